#include "aircraftcfg/FltsimEntries.h"

#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace hx {

namespace {

constexpr std::size_t kMaxNumberDigits = 9;

constexpr std::string_view kCrLf = "\r\n";

// One past the CR LF that ends the line holding `pos`, never beyond `limit`.
std::size_t lineEnd(std::string_view text, std::size_t pos, std::size_t limit)
{
    const std::size_t crlf = text.find(kCrLf, pos);
    if (crlf == std::string_view::npos || crlf + 2 > limit)
        return limit;
    return crlf + 2;
}

// Windows drops the trailing dots and blanks of a path's last component.
std::string windowsFolderName(std::string name)
{
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name;
}

bool startsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view prefix)
{
    return platform::equalsIgnoringCase(text.substr(pos, prefix.size()), prefix);
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Calls `visit(pos)` for the start of every line until it returns true; returns that position,
// or npos. A UTF-8 byte order mark in front of the first line is not part of that line.
template <typename Visit> std::size_t findLineStart(std::string_view text, Visit visit)
{
    for (std::size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0; pos < text.size();) {
        if (visit(pos))
            return pos;
        const std::size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
    }
    return std::string_view::npos;
}

// Reads the header at `pos` (a line start) into `header`; false when the line is no header.
bool readHeader(std::string_view text, std::size_t pos, EntryHeader& header)
{
    if (!startsWithIgnoringCase(text, pos, kFltsimHeader))
        return false;
    const std::size_t digits = pos + kFltsimHeader.size();
    std::size_t end = digits;
    std::size_t number = 0;
    while (end < text.size() && end - digits < kMaxNumberDigits && text[end] >= '0' &&
           text[end] <= '9')
        number = number * 10 + static_cast<std::size_t>(text[end++] - '0');
    if (end == digits || end >= text.size() || text[end] != ']')
        return false;
    header = {pos, digits, end, number};
    return true;
}

constexpr std::string_view kBlanks = " \t";

std::string_view trimBlanks(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Reads the line [begin, end) (its line break included) into `line`; false when it is no key
// line: no "=", nothing before it, or a comment.
bool readKeyLine(std::string_view text, std::size_t begin, std::size_t end, KeyLine& line)
{
    std::string_view content = text.substr(begin, end - begin);
    content = content.substr(0, content.find_first_of("\r\n"));
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return false;
    // The name starts at the line's first non-blank, so a comment's "//" or ";" leads it.
    const std::string_view key = trimBlanks(content.substr(0, equals));
    if (key.empty() || key.starts_with("//") || key.starts_with(';'))
        return false;
    line = {end, static_cast<std::size_t>(key.data() - text.data()), key,
            trimBlanks(content.substr(equals + 1))};
    return true;
}

// Calls `visit(line)` for every key line of `lines` until it returns true.
template <typename Visit> void forEachKeyLine(std::string_view text, LineRange lines, Visit visit)
{
    const std::size_t limit = std::min(lines.end, text.size());
    for (std::size_t pos = lines.begin; pos < limit;) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos || lf >= limit ? limit : lf + 1;
        KeyLine line;
        if (readKeyLine(text, pos, end, line) && visit(line))
            return;
        pos = end;
    }
}

} // namespace

std::string configFilePath(const std::string& baseFolder, const std::string& productFolderName)
{
    return platform::joinPath(baseFolder + productFolderName, kConfigFileName);
}

std::string readWorkingText(const std::string& path)
{
    return platform::readText(path, platform::LoneCr::EndsLine);
}

std::vector<EntryHeader> entryHeaders(std::string_view text)
{
    std::vector<EntryHeader> headers;
    findLineStart(text, [&](std::size_t pos) {
        EntryHeader header;
        if (readHeader(text, pos, header))
            headers.push_back(header);
        return false;
    });
    return headers;
}

std::size_t newEntryNumber(std::string_view text)
{
    // The lowest free number is at most the count of headers, so larger ones need no slot.
    const std::vector<EntryHeader> headers = entryHeaders(text);
    std::vector<bool> used(headers.size() + 1, false);
    for (const EntryHeader& header : headers)
        if (header.number < used.size())
            used[header.number] = true;
    std::size_t n = 0;
    while (used[n])
        ++n;
    return n;
}

std::string numberEntry(std::string_view entryText, std::size_t n)
{
    std::string out(entryText.substr(0, 8));
    out += std::to_string(n);
    if (entryText.size() > 10)
        out += entryText.substr(10);
    return out;
}

std::string insertEntry(std::string_view workingText, std::string_view numberedEntry)
{
    const std::size_t general = findLineStart(workingText, [&](std::size_t pos) {
        return startsWithIgnoringCase(workingText, pos, kGeneralHeader);
    });
    // In front of the two characters before it, but never before the first line's start.
    const std::size_t first = workingText.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    const std::size_t at = general == std::string_view::npos ? workingText.size()
                           : general < first + 2             ? first
                                                             : general - 2;
    std::string out;
    out.reserve(workingText.size() + numberedEntry.size() + 4);
    out.append(workingText.substr(0, at));
    out.append("\r\n\r\n");
    out.append(numberedEntry);
    out.append(workingText.substr(at));
    return out;
}

void writeWorkingText(const std::string& path, std::string_view text)
{
    platform::writeTextAtomic(path, text);
}

LineRange entryKeyLines(std::string_view text, std::size_t headerBegin)
{
    const std::size_t headerEnd = text.find('\n', headerBegin);
    if (headerEnd == std::string_view::npos)
        return {text.size(), text.size()};
    const std::size_t nextSection = text.find("\n[", headerEnd);
    return {headerEnd + 1, nextSection == std::string_view::npos ? text.size() : nextSection + 1};
}

std::vector<KeyLine> keyLines(std::string_view text, LineRange lines)
{
    std::vector<KeyLine> found;
    forEachKeyLine(text, lines, [&](const KeyLine& line) {
        found.push_back(line);
        return false;
    });
    return found;
}

std::optional<KeyLine> findKey(std::string_view text, LineRange lines, std::string_view key)
{
    std::optional<KeyLine> found;
    forEachKeyLine(text, lines, [&](const KeyLine& line) {
        if (!platform::equalsIgnoringCase(line.key, key))
            return false;
        found = line;
        return true;
    });
    return found;
}

std::vector<LiveryName> findLiveryNames(std::string_view text)
{
    std::vector<LiveryName> names;
    const std::vector<EntryHeader> headers = entryHeaders(text);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const std::optional<KeyLine> variation =
            findKey(text, entryKeyLines(text, headers[i].begin), kUiVariationKey);
        if (variation)
            names.push_back({variation->keyPos, std::string(variation->value), i});
    }
    return names;
}

std::vector<std::string> listLiveryNames(std::string_view text)
{
    std::vector<std::string> names;
    for (LiveryName& found : findLiveryNames(text))
        names.push_back(std::move(found.name));
    return names;
}

EntrySpan entrySpanAt(std::string_view text, const EntryHeader& header)
{
    EntrySpan span;
    span.begin = header.begin;
    span.number = header.number;

    // The entry's keys run up to the next line that opens a section; the cut never reaches past.
    const LineRange keys = entryKeyLines(text, header.begin);
    const std::size_t limit = keys.end;

    // Through the entry's last key line (its "description" line, as packages lay it out; the
    // header line when it has no keys), then the lines that still follow without a break, then
    // one empty line. Keys behind an empty line are still the entry's, as the simulators read
    // them: left in the file, they would join the section in front of the cut.
    const std::vector<KeyLine> all = keyLines(text, keys);
    std::size_t end = all.empty() ? keys.begin : all.back().lineEnd;
    while (end < limit && text.compare(end, 2, kCrLf) != 0)
        end = lineEnd(text, end, limit);
    if (end < limit && text.compare(end, 2, kCrLf) == 0)
        end += 2;
    span.end = end;

    if (const std::optional<KeyLine> variation = findKey(text, keys, kUiVariationKey))
        span.variationPos = variation->keyPos;
    const std::optional<KeyLine> texture = findKey(text, keys, kTextureKey);
    span.hasTexture = texture.has_value();
    if (texture)
        span.textureValue = std::string(texture->value);
    return span;
}

bool findEntry(std::string_view text, int index, EntrySpan& span)
{
    const std::vector<EntryHeader> headers = entryHeaders(text);
    if (index < 0 || static_cast<std::size_t>(index) >= headers.size())
        return false;
    span = entrySpanAt(text, headers[static_cast<std::size_t>(index)]);
    return true;
}

std::string textureFolderOf(const EntrySpan& span)
{
    // On Windows the value is read in the ANSI code page, as the simulator reads it.
    return span.hasTexture
               ? windowsFolderName(platform::pathFromText("texture." + span.textureValue))
               : std::string();
}

std::optional<std::size_t> findInstalledCopy(std::string_view text, std::string_view uiVariation,
                                             std::string_view textureFolder)
{
    const std::string wanted = windowsFolderName(std::string(textureFolder));
    std::vector<EntryHeader> headers;
    for (const LiveryName& livery : findLiveryNames(text)) {
        if (livery.name != uiVariation)
            continue;
        if (headers.empty())
            headers = entryHeaders(text);
        const EntrySpan span = entrySpanAt(text, headers[livery.entry]);
        if (platform::equalsIgnoringCase(textureFolderOf(span), wanted))
            return span.number;
    }
    return std::nullopt;
}

bool textureFolderInUse(std::string_view text, std::string_view folderName)
{
    const std::string wanted = windowsFolderName(std::string(folderName));
    for (const EntryHeader& header : entryHeaders(text))
        if (platform::equalsIgnoringCase(textureFolderOf(entrySpanAt(text, header)), wanted))
            return true;
    return false;
}

} // namespace hx
