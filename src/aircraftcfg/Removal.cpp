#include "aircraftcfg/Removal.h"

#include "aircraftcfg/FltsimEntries.h"
#include "packages/SafeName.h"
#include "platform/FileSystem.h"

#include <optional>

namespace hx {

namespace {

constexpr std::string_view kTextureKey = "texture=";
constexpr std::string_view kDescriptionKey = "description=";
constexpr std::string_view kCrLf = "\r\n";

// One past the CR LF that ends the line holding `pos`, never beyond `limit`.
std::size_t lineEnd(std::string_view text, std::size_t pos, std::size_t limit)
{
    const std::size_t crlf = text.find(kCrLf, pos);
    if (crlf == std::string_view::npos || crlf + 2 > limit)
        return limit;
    return crlf + 2;
}

// The first occurrence of `header` that starts a line. A mention inside a line (a value, a
// commented-out header) is not the entry: cutting from there would glue the rest of that line
// to whatever follows the cut.
std::size_t findHeaderLine(std::string_view text, std::string_view header)
{
    std::size_t pos = text.find(header);
    while (pos != std::string_view::npos && pos != 0 && text[pos - 1] != '\n')
        pos = text.find(header, pos + 1);
    return pos;
}

constexpr std::string_view kSharedTextureFolder = "texture";

// Windows drops the trailing dots and blanks of a path's last component.
std::string windowsFolderName(std::string name)
{
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name;
}

std::string notPlainMessage(const std::string& what, const std::string& name)
{
    return "The " + what + " \"" + name + "\" is not a plain folder name; nothing was removed";
}

} // namespace

bool findEntry(std::string_view text, int index, EntrySpan& span)
{
    const std::string header = std::string(kFltsimHeader) + std::to_string(index) + "]";
    const std::size_t begin = findHeaderLine(text, header);
    if (begin == std::string_view::npos)
        return false;
    const std::size_t afterHeader = begin + header.size();

    // The entry cannot reach past the next line that opens a section.
    const std::size_t nextSection = text.find("\n[", afterHeader);
    const std::size_t limit = nextSection == std::string_view::npos ? text.size() : nextSection + 1;
    const std::string_view entry = text.substr(0, limit);

    // Through the "description=" line (or the header line when there is none), then the lines
    // that still follow without a break, then one empty line.
    const std::size_t description = entry.find(kDescriptionKey, afterHeader);
    std::size_t end =
        lineEnd(entry, description == std::string_view::npos ? begin : description, limit);
    while (end < limit && entry.compare(end, 2, kCrLf) != 0)
        end = lineEnd(entry, end, limit);
    if (end < limit && entry.compare(end, 2, kCrLf) == 0)
        end += 2;

    span.begin = begin;
    span.end = end;
    const std::size_t texture = text.substr(0, end).find(kTextureKey, afterHeader);
    span.hasTexture = texture != std::string_view::npos;
    span.textureValue.clear();
    if (span.hasTexture) {
        const std::size_t valueStart = texture + kTextureKey.size();
        std::size_t valueEnd = text.find('\r', valueStart);
        if (valueEnd == std::string_view::npos || valueEnd > end)
            valueEnd = end;
        span.textureValue = std::string(text.substr(valueStart, valueEnd - valueStart));
    }
    return true;
}

std::string renumberEntries(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t copied = 0;
    std::size_t count = 0;
    for (std::size_t found = text.find(kFltsimHeader); found != std::string_view::npos;
         found = text.find(kFltsimHeader, copied)) {
        const std::size_t numberStart = found + kFltsimHeader.size();
        out.append(text, copied, numberStart - copied);
        copied = numberStart;
        // Only a "]" on the same line closes the header; the search stops at the line's end so
        // the whole pass stays linear.
        const std::size_t stop = text.find_first_of("]\r\n", numberStart);
        if (stop != std::string_view::npos && text[stop] == ']') {
            out += std::to_string(count);
            copied = stop;
        }
        ++count;
    }
    out.append(text, copied, std::string_view::npos);
    return out;
}

std::string cutEntry(std::string_view text, const EntrySpan& span)
{
    std::string rest;
    rest.reserve(text.size() - (span.end - span.begin));
    rest.append(text, 0, span.begin);
    rest.append(text, span.end, std::string_view::npos);
    return renumberEntries(rest);
}

bool RemovalPanel::openPanel(const Simulator& sim, Feedback& feedback)
{
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return false;
    }
    cb3_.clear();
    for (const platform::DirEntry& entry : platform::listFolder(*base, kProductPattern))
        cb3_.items.push_back(entry.name);
    return true;
}

Outcome RemovalPanel::productChosen(const Simulator& sim, int index, Feedback& feedback)
{
    cb3_.select(index);
    return listLiveries(sim, feedback);
}

Outcome RemovalPanel::listLiveries(const Simulator& sim, Feedback& feedback)
{
    cb4_.clear();
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return Outcome::Refused;
    }
    const std::string product = cb3_.selectedText();
    if (product.empty())
        return Outcome::Stopped; // the window cannot get here: a change always picks an item
    if (!isPlainName(product)) {
        feedback.showMessage(notPlainMessage("product", product));
        return Outcome::Refused;
    }
    cb4_.items = listLiveryNames(readWorkingText(configFilePath(*base, product)));
    cb4_.select(0);
    return Outcome::Completed;
}

Outcome RemovalPanel::removeSelectedLivery(const Simulator& sim, Feedback& feedback)
{
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return Outcome::Refused;
    }
    // With no product selected the path names no file, which the existence test reports.
    const std::string product = cb3_.selectedText();
    if (!product.empty() && !isPlainName(product)) {
        feedback.showMessage(notPlainMessage("product", product));
        return Outcome::Refused;
    }
    const std::string configPath = configFilePath(*base, product);
    if (product.empty() || !platform::fileExists(configPath)) {
        feedback.showMessage(kCannotFindConfig);
        feedback.hideProgressPanel();
        return Outcome::Refused;
    }

    const std::string text = readWorkingText(configPath);
    EntrySpan span;
    if (cb4_.selected < 0 || !findEntry(text, cb4_.selected, span)) {
        feedback.showMessage(cb4_.selected < 0
                                 ? "No livery is selected; nothing was removed"
                                 : "aircraft.cfg holds no entry [fltsim." +
                                       std::to_string(cb4_.selected) +
                                       "] for the selected livery; nothing was removed");
        return Outcome::Refused;
    }
    // The folder name as Windows reads it, trailing dots and blanks dropped: "texture=Blue "
    // names texture.Blue, while an empty value (or one of dots and blanks alone) names the
    // aircraft's shared "texture" folder. Then the entry goes and every folder stays.
    const std::string textureFolderName = windowsFolderName("texture." + span.textureValue);
    const bool ownTextureFolder = span.hasTexture && textureFolderName != kSharedTextureFolder;
    if (ownTextureFolder && !isPlainName(textureFolderName)) {
        feedback.showMessage(notPlainMessage("texture folder", textureFolderName));
        return Outcome::Refused;
    }

    // The file is rewritten before the folder is touched, so a failed write keeps the folder.
    writeWorkingText(configPath, cutEntry(text, span));

    if (ownTextureFolder) {
        const std::string folder = platform::joinPath(*base + product, textureFolderName);
        if (platform::isLink(folder)) {
            // A link (or junction) to a folder elsewhere: only the link is the livery's.
            platform::deleteFile(folder) || platform::removeFolder(folder);
        } else {
            // Files only: a subfolder is not entered, so it stays and keeps the folder with it.
            for (const platform::DirEntry& entry : platform::listFolder(folder, "*.*"))
                platform::deleteFile(platform::joinPath(folder, entry.name));
            platform::removeFolder(folder);
        }
    }

    cb4_.clear();
    cb4_.items = listLiveryNames(readWorkingText(configPath));
    cb4_.select(0);
    feedback.showMessage(kRemovedSuccesfully);
    return Outcome::Completed;
}

} // namespace hx
