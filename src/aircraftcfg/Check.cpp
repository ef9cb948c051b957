#include "aircraftcfg/Check.h"

#include "aircraftcfg/FltsimEntries.h"
#include "aircraftcfg/Removal.h"
#include "history/History.h"
#include "packages/SafeName.h"
#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"

#include <map>
#include <optional>

namespace hx {

namespace {

std::string header(std::size_t number)
{
    return "[fltsim." + std::to_string(number) + "]";
}

std::string trimBlanks(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

// The value of `key` in the lines of `entry`, as the simulators read it: the first line whose
// name before "=" is `key` in any letter case, blanks around either side dropped.
std::optional<std::string> keyValue(std::string_view entry, std::string_view key)
{
    std::size_t pos = 0;
    while (pos < entry.size()) {
        std::size_t end = entry.find("\r\n", pos);
        if (end == std::string_view::npos)
            end = entry.size();
        const std::string_view line = entry.substr(pos, end - pos);
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos &&
            platform::equalsIgnoringCase(trimBlanks(line.substr(0, eq)), key))
            return trimBlanks(line.substr(eq + 1));
        pos = end + 2;
    }
    return std::nullopt;
}

// The text of each entry: from its header to the next line that opens a section.
std::vector<std::string_view> entryTexts(std::string_view text,
                                         const std::vector<EntryHeader>& headers)
{
    std::vector<std::string_view> entries;
    for (const EntryHeader& h : headers) {
        const std::size_t next = text.find("\n[", h.numberEnd);
        const std::size_t end = next == std::string_view::npos ? text.size() : next + 1;
        entries.push_back(text.substr(h.begin, end - h.begin));
    }
    return entries;
}

void checkKeys(std::string_view text, std::vector<std::string>& problems)
{
    const std::vector<EntryHeader> headers = entryHeaders(text);
    const std::vector<std::string_view> entries = entryTexts(text, headers);
    std::map<std::string, std::vector<std::size_t>> titles;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::optional<std::string> title = keyValue(entries[i], "title");
        if (!title)
            problems.push_back(header(headers[i].number) + " has no title=");
        else
            titles[*title].push_back(headers[i].number);
        if (!keyValue(entries[i], "ui_variation"))
            problems.push_back(header(headers[i].number) + " has no ui_variation=");
    }
    for (const auto& [title, numbers] : titles) {
        if (numbers.size() < 2)
            continue;
        std::string line = "The title \"" + title + "\" is used by " +
                           std::to_string(numbers.size()) + " entries:";
        for (std::size_t n : numbers)
            line += " " + header(n);
        problems.push_back(line);
    }
}

void checkTextureFolders(std::string_view text, const std::string& productFolder,
                         std::vector<std::string>& problems)
{
    const std::vector<EntryHeader> headers = entryHeaders(text);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        EntrySpan span;
        findEntry(text, static_cast<int>(i), span);
        const std::string folder = textureFolderOf(span);
        if (!folder.empty() && !platform::folderExists(platform::joinPath(productFolder, folder)))
            problems.push_back(header(headers[i].number) + " texture=" + span.textureValue +
                               " names the folder " + folder + ", which does not exist");
    }
    // "texture.*" matches the shared "texture" folder too, which no entry needs to name.
    constexpr std::string_view kPrefix = "texture.";
    for (const platform::DirEntry& entry : platform::listFolder(productFolder, "texture.*")) {
        const bool own =
            entry.name.size() > kPrefix.size() &&
            platform::equalsIgnoringCase(entry.name.substr(0, kPrefix.size()), kPrefix);
        if (entry.isFolder && own && !textureFolderInUse(text, entry.name))
            problems.push_back("The folder " + entry.name + " is named by no entry");
    }
}

} // namespace

std::vector<std::string> numberingProblems(std::string_view text)
{
    std::map<std::size_t, std::size_t> uses;
    for (const EntryHeader& h : entryHeaders(text))
        ++uses[h.number];
    std::vector<std::string> problems;
    std::size_t expected = 0;
    for (const auto& [number, count] : uses) {
        if (number > expected)
            problems.push_back("Gap in the numbering: no " + header(expected) +
                               "; the simulators stop reading there, so the liveries after it "
                               "do not show");
        if (count > 1)
            problems.push_back(header(number) + " is used by " + std::to_string(count) +
                               " entries; the simulators show only one of them");
        expected = number + 1;
    }
    return problems;
}

std::string numberingWarning(std::string_view text)
{
    const std::vector<std::string> problems = numberingProblems(text);
    return problems.empty() ? std::string() : problems.front();
}

std::vector<std::string> checkAircraft(std::string_view text, const std::string& productFolder)
{
    std::vector<std::string> problems = numberingProblems(text);
    checkKeys(text, problems);
    checkTextureFolders(text, productFolder, problems);
    return problems;
}

std::string renumberInFileOrder(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    std::size_t next = 0;
    for (const EntryHeader& h : entryHeaders(text)) {
        out.append(text, copied, h.numberBegin - copied);
        out += std::to_string(next++);
        copied = h.numberEnd;
    }
    out.append(text, copied, std::string_view::npos);
    return out;
}

namespace {

// The product's aircraft.cfg, or empty after a refusal shown through `feedback`.
std::string configOf(const Simulator& sim, const std::string& product, Feedback& feedback)
{
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return {};
    }
    if (!isPlainName(product)) {
        feedback.showMessage("The product \"" + product + "\" is not a plain folder name");
        return {};
    }
    const std::string path = configFilePath(*base, product);
    if (!platform::fileExists(path)) {
        feedback.showMessage(kCannotFindConfig);
        return {};
    }
    return platform::resolvePath(path);
}

} // namespace

Outcome checkProduct(const Simulator& sim, const std::string& product, Feedback& feedback)
{
    const std::string path = configOf(sim, product, feedback);
    if (path.empty())
        return Outcome::Refused;
    const std::string productFolder = path.substr(0, path.find_last_of(platform::kSeparator));
    const std::vector<std::string> problems = checkAircraft(readWorkingText(path), productFolder);
    for (const std::string& problem : problems)
        feedback.showMessage(problem);
    return problems.empty() ? Outcome::Completed : Outcome::Refused;
}

Outcome repairProduct(const Simulator& sim, const std::string& product, Feedback& feedback)
{
    const std::string path = configOf(sim, product, feedback);
    if (path.empty())
        return Outcome::Refused;
    const std::string text = readWorkingText(path);
    const std::string repaired = renumberInFileOrder(text);
    const std::size_t count = entryHeaders(text).size();
    if (repaired == text) {
        feedback.showMessage("The entries of " + product +
                             " are numbered well; nothing was changed");
        return Outcome::Completed;
    }
    PendingChange change = beginChange(ChangeAction::Repair, product, "all liveries", path);
    writeWorkingText(path, repaired);
    change.finish();
    feedback.showMessage("Renumbered the " + std::to_string(count) + " entries of " + product +
                         " from 0 in file order");
    return Outcome::Completed;
}

} // namespace hx
