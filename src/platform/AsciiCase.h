#pragma once
// Letter case in names and keys: only A-Z and a-z are folded, whatever the process's locale,
// so a comparison never depends on the user's language settings.

#include <string>
#include <string_view>

namespace hx::platform {

inline char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = foldAscii(c);
    return out;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

} // namespace hx::platform
