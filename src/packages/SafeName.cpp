#include "packages/SafeName.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace hx {

namespace {

// Device names that Windows opens instead of a file, whatever the extension; COM and LPT
// followed by a digit or a superscript 1, 2 or 3 (spelled in UTF-8) are devices as well.
constexpr std::array<std::string_view, 6> kDevices = {"con", "prn",    "aux",
                                                      "nul", "conin$", "conout$"};

bool isDeviceName(std::string_view name)
{
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    const std::string lower = platform::lowerAscii(base);
    if (std::find(kDevices.begin(), kDevices.end(), lower) != kDevices.end())
        return true;
    const std::string_view prefix = std::string_view(lower).substr(0, 3);
    if (prefix != "com" && prefix != "lpt")
        return false;
    const std::string_view rest = std::string_view(lower).substr(3);
    return (rest.size() == 1 && rest[0] >= '0' && rest[0] <= '9') || rest == "\xC2\xB9" ||
           rest == "\xC2\xB2" || rest == "\xC2\xB3";
}

// One UTF-8 sequence at `at`: its code point and length, or -1 with length 1 when the bytes
// are not valid UTF-8.
struct Decoded {
    std::int32_t cp;
    std::size_t length;
};

Decoded decodeAt(std::string_view s, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > s.size())
        return {-1, 1};
    std::int32_t cp = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {-1, 1};
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    constexpr std::int32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
        return {-1, 1};
    return {cp, length};
}

void appendUtf8(std::string& out, std::int32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct UpperRun {
    std::int32_t first;
    std::int32_t last;
    std::int32_t delta;
    std::int32_t stride;
};

constexpr UpperRun kUpperRuns[] = {
#include "packages/UpperCaseTable.inc"
};

std::int32_t upperOf(std::int32_t cp)
{
    const auto* run =
        std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), cp,
                         [](std::int32_t c, const UpperRun& r) { return c < r.first; });
    if (run == std::begin(kUpperRuns))
        return cp;
    --run;
    if (cp > run->last || (cp - run->first) % run->stride != 0)
        return cp;
    return cp + run->delta;
}

} // namespace

const char* plainNameProblem(std::string_view name)
{
    if (name.empty())
        return "is empty";
    if (name.size() > kMaxNameLength)
        return "is longer than 255 bytes";
    for (char c : name) {
        if (c == '/' || c == '\\')
            return "holds a path separator";
        if (static_cast<unsigned char>(c) < 32)
            return "holds a control character";
        if (c == ':')
            return "holds a ':', which names a drive or a stream on Windows";
        if (std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return "holds one of < > \" | ? *, which Windows does not allow in names";
    }
    if (name.back() == '.' || name.back() == ' ')
        return "ends in a dot or a space, which Windows drops";
    if (isDeviceName(name))
        return "is a device name on Windows";
    return nullptr;
}

std::string windowsCaseKey(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded d = decodeAt(utf8, at);
        if (d.cp < 0)
            out += utf8[at];
        else
            appendUtf8(out, d.cp < 0x10000 ? upperOf(d.cp) : d.cp);
        at += d.length;
    }
    return out;
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const Decoded d = decodeAt(text, at);
        if (d.cp < 0)
            return false;
        at += d.length;
    }
    return true;
}

std::size_t utf16Length(std::string_view utf8)
{
    std::size_t units = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded d = decodeAt(utf8, at);
        units += d.cp >= 0x10000 ? 2 : 1;
        at += d.length;
    }
    return units;
}

std::string printableName(std::string_view name, std::size_t limit)
{
    std::string out;
    for (std::size_t at = 0; at < name.size();) {
        if (at >= limit) {
            out += "...";
            break;
        }
        const Decoded d = decodeAt(name, at);
        const unsigned char c = static_cast<unsigned char>(name[at]);
        if (d.cp >= 32 && d.cp != 127) {
            out.append(name.substr(at, d.length));
        } else if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
        at += d.length;
    }
    return out;
}

} // namespace hx
