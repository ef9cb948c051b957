// HKEY_LOCAL_MACHINE of a Wine prefix, read from its system.reg, and HKEY_CURRENT_USER, read from
// its user.reg, so that a simulator installed under Wine is found as it is on Windows. Plain file
// reading: it builds everywhere, and outside Windows it is the machine's registry.
//
// The file, as Wine writes it:
//   WINE REGISTRY Version 2
//   [Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0] 1700000000
//   #time=1d9...
//   "EXE Path"="C:\\Program Files\\FS9"
//   "Expand"=str(2):"%ProgramFiles%\\FS9"
//   "Count"=dword:00000001
//   "Blob"=hex:01,02,03    (long data continues on the next line after a final backslash)
//   @="default value"
// Names and strings escape '\\' and the quote (']' in key names), control characters as
// \n, \t, ... or octal \NNN, and characters above 127 as \xNNNN (UTF-16 code units).

#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace hx::platform {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegUnknown = 0xffffffffu;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Builds UTF-8 text from UTF-16 code units (escapes) and raw bytes (already UTF-8 in the file).
class Utf8Builder {
public:
    void raw(char c)
    {
        flushSurrogate();
        out_.push_back(c);
    }
    void unit(std::uint32_t u)
    {
        if (u >= 0xd800 && u < 0xdc00) {
            flushSurrogate();
            high_ = u;
            return;
        }
        if (u >= 0xdc00 && u < 0xe000 && high_) {
            codePoint(0x10000 + ((high_ - 0xd800) << 10) + (u - 0xdc00));
            high_ = 0;
            return;
        }
        flushSurrogate();
        codePoint(u);
    }
    std::string take()
    {
        flushSurrogate();
        return std::move(out_);
    }

private:
    void flushSurrogate()
    {
        if (high_)
            codePoint(0xfffd);
        high_ = 0;
    }
    void codePoint(std::uint32_t cp)
    {
        if (cp >= 0xd800 && cp < 0xe000)
            cp = 0xfffd; // an unpaired surrogate
        if (cp < 0x80) {
            out_.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out_.push_back(static_cast<char>(0xc0 | (cp >> 6)));
            out_.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
        } else if (cp < 0x10000) {
            out_.push_back(static_cast<char>(0xe0 | (cp >> 12)));
            out_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
            out_.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
        } else {
            out_.push_back(static_cast<char>(0xf0 | (cp >> 18)));
            out_.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3f)));
            out_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
            out_.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
        }
    }
    std::string out_;
    std::uint32_t high_ = 0;
};

// The control character a one-letter escape stands for ("\n" is 10); 0 for any other letter.
std::uint32_t namedEscape(char e)
{
    switch (e) {
    case 'a':
        return 7;
    case 'b':
        return 8;
    case 'e':
        return 27;
    case 'f':
        return 12;
    case 'n':
        return 10;
    case 'r':
        return 13;
    case 't':
        return 9;
    case 'v':
        return 11;
    default:
        return 0;
    }
}

// Reads one escape whose character `e` after the backslash was just consumed: a named one, up to
// four hexadecimal digits after "x", or up to three octal digits.
void readEscape(std::string_view s, std::size_t& pos, char e, Utf8Builder& out)
{
    if (const std::uint32_t named = namedEscape(e)) {
        out.unit(named);
    } else if (e == 'x') {
        std::uint32_t u = 0;
        int digits = 0;
        while (digits < 4 && pos < s.size() && hexDigit(s[pos]) >= 0) {
            u = u * 16 + static_cast<std::uint32_t>(hexDigit(s[pos++]));
            ++digits;
        }
        if (digits == 0)
            out.raw('x');
        else
            out.unit(u);
    } else if (e >= '0' && e <= '7') {
        std::uint32_t u = static_cast<std::uint32_t>(e - '0');
        for (int digits = 1; digits < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7';
             ++digits)
            u = u * 8 + static_cast<std::uint32_t>(s[pos++] - '0');
        out.unit(u);
    } else {
        out.raw(e); // "\\", "\"", "\]" and anything else stand for the character
    }
}

// Reads an escaped string from `s` at `pos` up to the unescaped `close` character, which is
// consumed. Returns false when the line ends first.
bool unescape(std::string_view s, std::size_t& pos, char close, std::string& result)
{
    Utf8Builder out;
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == close) {
            result = out.take();
            return true;
        }
        if (c != '\\' || pos >= s.size()) {
            out.raw(c);
            continue;
        }
        const char e = s[pos++];
        readEscape(s, pos, e, out);
    }
    return false;
}

// "01,02,ff" -> bytes; blanks around the numbers are allowed.
std::string parseHexBytes(std::string_view s)
{
    std::string bytes;
    int value = -1;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d >= 0) {
            value = value < 0 ? d : ((value << 4) | d) & 0xff;
        } else if (c == ',') {
            if (value >= 0)
                bytes.push_back(static_cast<char>(value));
            value = -1;
        }
    }
    if (value >= 0)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

// A string stored as UTF-16LE bytes (hex(1) and hex(2) values) as UTF-8.
std::string utf16Bytes(std::string_view bytes)
{
    Utf8Builder out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t u =
            static_cast<unsigned char>(bytes[i]) |
            (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
        out.unit(u);
    }
    return out.take();
}

std::string cutAtNul(std::string s)
{
    const std::size_t nul = s.find('\0');
    if (nul != std::string::npos)
        s.resize(nul);
    return s;
}

struct Value {
    std::uint32_t type = kRegUnknown;
    std::string text; // string types only: as stored, cut at the first NUL
};

// The data part of a value line (after "="), or nullopt when it is malformed.
std::optional<Value> parseData(std::string_view data)
{
    Value value;
    if (data.starts_with("\"")) {
        std::size_t p = 1;
        if (!unescape(data, p, '"', value.text))
            return std::nullopt;
        value.type = kRegSz;
        value.text = cutAtNul(std::move(value.text));
    } else if (data.starts_with("str(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        value.type = static_cast<std::uint32_t>(
            std::strtoul(std::string(data.substr(4, close - 4)).c_str(), nullptr, 16));
        std::size_t p = close + 2;
        if (p >= data.size() || data[p] != '"')
            return std::nullopt;
        ++p;
        if (!unescape(data, p, '"', value.text))
            return std::nullopt;
        value.text = cutAtNul(std::move(value.text));
    } else if (data.starts_with("dword:")) {
        value.type = kRegDword;
    } else if (data.starts_with("hex:")) {
        value.type = kRegBinary;
    } else if (data.starts_with("hex(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        value.type = static_cast<std::uint32_t>(
            std::strtoul(std::string(data.substr(4, close - 4)).c_str(), nullptr, 16));
        // Wine writes a string that is not NUL-terminated as hex(1) or hex(2): still a
        // string, in UTF-16LE.
        if (value.type == kRegSz || value.type == kRegExpandSz)
            value.text = cutAtNul(utf16Bytes(parseHexBytes(data.substr(close + 2))));
    }
    return value;
}

// Lines of a text, one at a time, with "\r\n" taken as a line end too.
class LineReader {
public:
    LineReader(std::string_view text, std::size_t begin, std::size_t end)
        : text_(text.substr(0, end)), pos_(begin)
    {
    }
    std::size_t position() const { return pos_; }
    bool next(std::string_view& line)
    {
        if (pos_ >= text_.size())
            return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos_ = end + 1;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_;
};

// One hive of the prefix: the keys of one registry file.
class WineHive final : public Registry {
public:
    WineHive(std::string prefix, std::string content)
        : prefix_(std::move(prefix)), content_(std::move(content))
    {
        indexSections();
    }

    bool keyOpens(const std::string& key, RegistryView view) const override
    {
        return findKey(key, view) != nullptr;
    }

    std::optional<std::string> readString(const std::string& key, const std::string& value,
                                          RegistryView view) const override
    {
        const std::string* found = findKey(key, view);
        if (!found)
            return std::nullopt;
        const auto sections = sections_.find(*found);
        if (sections == sections_.end())
            return std::nullopt; // a key that only holds subkeys
        const std::optional<Value> v = findValue(sections->second, lowerAscii(value));
        if (!v)
            return std::nullopt;
        if (v->type != kRegSz && v->type != kRegExpandSz)
            throw RegistryError("Invalid data type for '" + value + "'");
        return mapDrive(v->text);
    }

private:
    struct Section {
        std::size_t begin; // first byte after the header line
        std::size_t end;   // the next header line, or the end of the file
    };

    // The key as stored: for the 32-bit view Software\Wow6432Node\... first, then as given.
    const std::string* findKey(const std::string& key, RegistryView view) const
    {
        std::string k = lowerAscii(key);
        while (!k.empty() && k.front() == '\\')
            k.erase(k.begin());
        while (!k.empty() && k.back() == '\\')
            k.pop_back();
        constexpr std::string_view kSoftware = "software\\";
        if (view == RegistryView::Bits32 && k.starts_with(kSoftware) &&
            !k.starts_with("software\\wow6432node\\")) {
            const std::string view32 =
                std::string("software\\wow6432node\\") + k.substr(kSoftware.size());
            if (const auto it = keys_.find(view32); it != keys_.end())
                return &*it;
        }
        if (const auto it = keys_.find(k); it != keys_.end())
            return &*it;
        return nullptr;
    }

    // "C:\Program Files\FS9" -> "<prefix>/drive_c/Program Files/FS9", through the prefix's
    // dosdevices link for the drive when there is one.
    std::string mapDrive(const std::string& value) const
    {
        const bool isDrive =
            value.size() >= 2 && std::isalpha(static_cast<unsigned char>(value[0])) &&
            value[1] == ':' && (value.size() == 2 || value[2] == '\\' || value[2] == '/');
        if (!isDrive)
            return value;
        const char letter = foldAscii(value[0]);
        std::string drive;
        const std::string device = prefix_ + "/dosdevices/" + letter + ":";
        std::error_code error;
        if (const auto real = std::filesystem::canonical(device, error); !error) {
            drive = real.generic_string();
        } else if (letter == 'c') {
            drive = prefix_ + "/drive_c";
        } else {
            return value;
        }
        if (drive == "/")
            drive.clear(); // Z: is usually the root; avoid "//home"
        std::string rest = value.substr(2);
        for (char& c : rest)
            if (c == '\\')
                c = '/';
        return drive + rest;
    }

    void addKey(const std::string& key)
    {
        // Wine writes only keys that hold values or have no subkeys, so every ancestor of a
        // written key exists too. Once an ancestor is known, so are all of its own.
        if (!keys_.insert(key).second)
            return;
        for (std::size_t pos = key.rfind('\\'); pos != std::string::npos && pos > 0;
             pos = key.rfind('\\', pos - 1)) {
            if (!keys_.insert(key.substr(0, pos)).second)
                break;
        }
    }

    // One pass over the file: every key and where its values stand. Values are parsed when
    // they are asked for, as a look-up reads a handful of a file's many thousands.
    void indexSections()
    {
        LineReader lines(content_, 0, content_.size());
        std::string_view line;
        if (!lines.next(line) || line != "WINE REGISTRY Version 2")
            return; // not a registry file: nothing opens
        Section* current = nullptr;
        for (std::size_t start = lines.position(); lines.next(line); start = lines.position()) {
            if (line.empty() || line[0] != '[')
                continue;
            if (current)
                current->end = start;
            current = nullptr;
            std::size_t at = 1;
            std::string key;
            if (!unescape(line, at, ']', key))
                continue;
            key = lowerAscii(key);
            addKey(key);
            current = &sections_[key].emplace_back(Section{lines.position(), content_.size()});
        }
    }

    // The value named `name` (lower case) in the sections of one key; the last one wins, as
    // when Wine loads the file.
    std::optional<Value> findValue(const std::vector<Section>& sections,
                                   const std::string& name) const
    {
        std::optional<Value> found;
        std::string joined;
        for (const Section& section : sections) {
            LineReader lines(content_, section.begin, section.end);
            std::string_view line;
            while (lines.next(line)) {
                if (line.empty() || (line[0] != '"' && line[0] != '@'))
                    continue; // comments (";;"), options ("#time="), anything unknown
                std::string_view logical = line;
                if (line.back() == '\\') {
                    // Continuation lines: the backslash goes, the next line's indent too.
                    joined.assign(line.substr(0, line.size() - 1));
                    std::string_view more;
                    while (lines.next(more)) {
                        const std::size_t start = more.find_first_not_of(" \t");
                        more = start == std::string_view::npos ? std::string_view{}
                                                               : more.substr(start);
                        const bool continues = !more.empty() && more.back() == '\\';
                        joined.append(continues ? more.substr(0, more.size() - 1) : more);
                        if (!continues)
                            break;
                    }
                    logical = joined;
                }
                std::size_t at = 1;
                std::string valueName;
                if (logical[0] == '"' && !unescape(logical, at, '"', valueName))
                    continue;
                if (at >= logical.size() || logical[at] != '=' || lowerAscii(valueName) != name)
                    continue;
                if (auto value = parseData(logical.substr(at + 1)))
                    found = std::move(value);
            }
        }
        return found;
    }

    std::string prefix_;
    std::string content_;
    std::unordered_set<std::string> keys_;
    std::unordered_map<std::string, std::vector<Section>> sections_;
};

// The prefix's two hives; a key with the current user's prefix goes to user.reg.
class WineRegistry final : public Registry {
public:
    WineRegistry(std::unique_ptr<Registry> machine, std::unique_ptr<Registry> user)
        : machine_(std::move(machine)), user_(std::move(user))
    {
    }

    bool keyOpens(const std::string& key, RegistryView view) const override
    {
        std::string rest;
        return isCurrentUserKey(key, rest) ? user_->keyOpens(rest, view)
                                           : machine_->keyOpens(key, view);
    }

    std::optional<std::string> readString(const std::string& key, const std::string& value,
                                          RegistryView view) const override
    {
        std::string rest;
        return isCurrentUserKey(key, rest) ? user_->readString(rest, value, view)
                                           : machine_->readString(key, value, view);
    }

private:
    std::unique_ptr<Registry> machine_;
    std::unique_ptr<Registry> user_;
};

// A registry file that cannot be read is a hive in which no key opens.
std::unique_ptr<Registry> openHive(const std::string& prefix, const char* fileName)
{
    std::string content;
    std::ifstream in(prefix + "/" + fileName, std::ios::binary);
    if (in) {
        std::ostringstream s;
        s << in.rdbuf();
        content = std::move(s).str();
    }
    return std::make_unique<WineHive>(prefix, std::move(content));
}

} // namespace

std::unique_ptr<Registry> openWineRegistry(const std::string& prefix)
{
    return std::make_unique<WineRegistry>(openHive(prefix, "system.reg"),
                                          openHive(prefix, "user.reg"));
}

} // namespace hx::platform
