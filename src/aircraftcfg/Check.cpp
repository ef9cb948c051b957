#include "aircraftcfg/Check.h"

#include "aircraftcfg/FltsimEntries.h"
#include "history/ChangeLock.h"
#include "history/History.h"
#include "packages/SafeName.h"
#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <map>
#include <optional>

namespace hx {

namespace {

std::string header(std::size_t number)
{
    return "[fltsim." + std::to_string(number) + "]";
}

void checkKeys(std::string_view text, std::vector<std::string>& problems)
{
    std::map<std::string, std::vector<std::size_t>> titles;
    for (const EntryHeader& h : entryHeaders(text)) {
        const LineRange keys = entryKeyLines(text, h.begin);
        if (const std::optional<KeyLine> title = findKey(text, keys, kEntryTitleKey))
            titles[std::string(title->value)].push_back(h.number);
        else
            problems.push_back(header(h.number) + " has no title=");
        if (!findKey(text, keys, kUiVariationKey))
            problems.push_back(header(h.number) + " has no ui_variation=");
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

std::vector<std::string> checkRecordedTextures(std::string_view text, const std::string& configPath,
                                               const History& history)
{
    std::vector<std::string> problems;
    std::vector<std::string> seen;
    // Either separator may stand in a path on Windows.
    const auto slashed = [](std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    };
    const std::string config = slashed(platform::resolvePath(configPath));
    for (const ChangeRecord& r : history.records()) { // newest first
        if (r.action != ChangeAction::Installation || r.state != ChangeState::Done ||
            r.textureFolder.empty() ||
            !platform::equalsIgnoringCase(slashed(r.configPath), config) || !recordPathsAreSafe(r))
            continue;
        const bool newer = std::any_of(seen.begin(), seen.end(), [&](const std::string& f) {
            return platform::equalsIgnoringCase(f, r.textureFolder);
        });
        seen.push_back(r.textureFolder);
        const std::string name = r.textureFolder.substr(r.textureFolder.find_last_of("/\\") + 1);
        if (newer || !textureFolderInUse(text, name) || !platform::folderExists(r.textureFolder))
            continue; // a missing folder is reported with its entry
        for (std::size_t i = 0; i < r.copiedFiles.size(); ++i) {
            const std::string& file = r.copiedFiles[i];
            if (!platform::fileExists(file))
                problems.push_back("The texture file " + file + " of " + r.livery + " is missing");
            else if (i < r.copiedSizes.size() && platform::fileSize(file) != r.copiedSizes[i])
                problems.push_back("The texture file " + file + " of " + r.livery + " holds " +
                                   std::to_string(platform::fileSize(file)) +
                                   " bytes; the installation copied " +
                                   std::to_string(r.copiedSizes[i]));
        }
    }
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

Outcome checkProduct(const Simulator& sim, const std::string& product, Feedback& feedback,
                     const History* history)
{
    const std::string path = configOf(sim, product, feedback);
    if (path.empty())
        return Outcome::Refused;
    const std::string productFolder = path.substr(0, path.find_last_of(platform::kSeparator));
    const std::string text = readWorkingText(path);
    std::vector<std::string> problems = checkAircraft(text, productFolder);
    if (history) {
        const std::vector<std::string> textures = checkRecordedTextures(text, path, *history);
        problems.insert(problems.end(), textures.begin(), textures.end());
    }
    for (const std::string& problem : problems)
        feedback.showMessage(problem);
    return problems.empty() ? Outcome::Completed : Outcome::Refused;
}

Outcome repairProduct(const Simulator& sim, const std::string& product, Feedback& feedback,
                      History* history)
{
    const std::string path = configOf(sim, product, feedback);
    if (path.empty())
        return Outcome::Refused;
    const ChangeLock lock(path, history);
    const std::string text = readWorkingText(path);
    const std::string repaired = renumberInFileOrder(text);
    const std::size_t count = entryHeaders(text).size();
    if (repaired == text) {
        feedback.showMessage("The entries of " + product +
                             " are numbered well; nothing was changed");
        return Outcome::Completed;
    }
    PendingChange change =
        beginChange(history, ChangeAction::Repair, product, "all liveries", path, repaired);
    writeWorkingText(path, repaired);
    finishChange(change);
    feedback.showMessage("Renumbered the " + std::to_string(count) + " entries of " + product +
                         " from 0 in file order");
    return Outcome::Completed;
}

} // namespace hx
