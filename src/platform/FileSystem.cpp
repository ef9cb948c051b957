#include "platform/FileSystem.h"

#include "platform/AsciiCase.h"

#include <vector>

namespace hx::platform {

std::string joinPath(std::string_view a, std::string_view b)
{
    std::string out;
    out.reserve(a.size() + 1 + b.size());
    out.append(a);
    out.push_back(kSeparator);
    out.append(b);
    return out;
}

namespace {

// The pattern after the rewriting Windows applies before matching: '?' always becomes
// kAnyOne, '*' followed by '.' becomes kStarToLastDot, and '.' followed by '*', '?' or the end
// becomes kDotOrEnd. The special symbols cannot occur in names, so they stand for themselves.
enum Symbol : char {
    kStar = '*',
    kAnyOne = '\x01',        // one character, or none before a dot or the end of the name
    kStarToLastDot = '\x02', // any run of characters that does not pass the name's last dot
    kDotOrEnd = '\x03',      // a dot, or nothing at the end of the name
};

std::string rewritePattern(std::string_view pattern)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const bool atEnd = i + 1 == pattern.size();
        if (c == '?')
            out.push_back(kAnyOne);
        else if (c == '*' && next == '.')
            out.push_back(kStarToLastDot);
        else if (c == '.' && (next == '*' || next == '?' || atEnd))
            out.push_back(kDotOrEnd);
        else
            out.push_back(c);
    }
    return out;
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    const std::string p = rewritePattern(pattern);
    const std::size_t n = name.size();
    const std::size_t lastDot = name.rfind('.');

    // reach[j]: the pattern read so far can consume exactly the first j characters of the name.
    // One pass per pattern symbol keeps the cost at pattern length times name length.
    std::vector<char> reach(n + 1, 0), next(n + 1, 0);
    reach[0] = 1;
    for (const char sym : p) {
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (std::size_t j = 0; j <= n; ++j) {
            if (!reach[j])
                continue;
            switch (sym) {
            case kStar:
                for (std::size_t k = j; k <= n; ++k)
                    next[k] = 1;
                break;
            case kStarToLastDot: {
                // May run up to, but not over, the last dot that still lies ahead.
                const std::size_t limit =
                    (lastDot != std::string_view::npos && lastDot >= j) ? lastDot : n;
                for (std::size_t k = j; k <= limit; ++k)
                    next[k] = 1;
                break;
            }
            case kAnyOne:
                if (j == n || name[j] == '.')
                    next[j] = 1;
                else
                    next[j + 1] = 1;
                break;
            case kDotOrEnd:
                if (j == n)
                    next[j] = 1;
                else if (name[j] == '.')
                    next[j + 1] = 1;
                break;
            default:
                if (j < n && foldAscii(name[j]) == foldAscii(sym))
                    next[j + 1] = 1;
                break;
            }
        }
        reach.swap(next);
        for (char r : reach)
            any = any || r;
        if (!any)
            return false;
    }
    return reach[n] != 0;
}

} // namespace hx::platform
