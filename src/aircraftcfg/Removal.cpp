#include "aircraftcfg/Removal.h"

#include "aircraftcfg/Check.h"
#include "aircraftcfg/FltsimEntries.h"
#include "history/ChangeLock.h"
#include "history/History.h"
#include "packages/PackageInfo.h"
#include "packages/SafeName.h"
#include "platform/AsciiCase.h"
#include "platform/FileSystem.h"

#include <optional>

namespace hx {

namespace {

constexpr std::string_view kSharedTextureFolder = "texture";

std::string notPlainMessage(const std::string& what, const std::string& name)
{
    return "The " + what + " \"" + name + "\" is not a plain folder name; nothing was removed";
}

// The entry that the selected list item stands for: the item-th entry with a "ui_variation"
// key, provided that key still reads as the item does (otherwise the file changed since the list
// was filled).
bool findSelectedEntry(std::string_view text, const ChoiceList& list, EntrySpan& span)
{
    const std::vector<LiveryName> names = findLiveryNames(text);
    const auto index = static_cast<std::size_t>(list.selected);
    if (index >= names.size() || names[index].name != list.selectedText())
        return false;
    span = entrySpanAt(text, entryHeaders(text)[names[index].entry]);
    return true;
}

std::string noEntryMessage(const ChoiceList& list)
{
    return "aircraft.cfg holds no entry for the selected livery \"" + list.selectedText() +
           "\" at its place in the list (the file was changed or its entries are laid out "
           "otherwise); nothing was removed";
}

// Empties the texture folder and removes it. Files only: a subfolder is not entered, so it
// stays and keeps the folder with it.
void deleteTextureFolder(const std::string& folder)
{
    if (platform::isLink(folder)) {
        // A link (or junction) to a folder elsewhere: only the link is the livery's.
        // Whatever cannot be deleted stays: the entry is already gone from aircraft.cfg.
        (void)(platform::deleteFile(folder) || platform::removeFolder(folder));
        return;
    }
    // As above, what cannot be deleted stays (and the folder with it).
    for (const platform::DirEntry& entry : platform::listFolder(folder, "*.*"))
        (void)platform::deleteFile(platform::joinPath(folder, entry.name));
    (void)platform::removeFolder(folder);
}

// With a history the folder (or the link in its place) moves into the change's record, so an
// undo brings it back; when it cannot move there it stays as it is, never deleted for good.
// Without a history it is emptied and removed. Returns why it stays, or empty when it is gone.
std::string removeTextureFolder(const std::string& folder, PendingChange& change)
{
    const std::string resolved = platform::resolvePath(folder);
    if (!platform::pathExists(resolved))
        return {};
    if (change.recording()) {
        if (change.moveTextureFolder(resolved))
            return {};
        const std::string why = platform::lastErrorText();
        return "it could not be moved into the history: " + why + "; a file in it may be in use";
    }
    deleteTextureFolder(folder);
    // A subfolder keeps the folder on purpose; a file left behind could not be deleted.
    for (const platform::DirEntry& entry : platform::listFolder(resolved, "*"))
        if (!entry.isFolder)
            return "a file in it is in use or cannot be deleted";
    return {};
}

} // namespace

std::string renumberEntries(std::string_view text, std::size_t removed)
{
    const std::vector<EntryHeader> headers = entryHeaders(text);
    for (const EntryHeader& header : headers)
        if (header.number == removed)
            return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    for (const EntryHeader& header : headers) {
        if (header.number <= removed)
            continue;
        out.append(text, copied, header.numberBegin - copied);
        out += std::to_string(header.number - 1);
        copied = header.numberEnd;
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
    return renumberEntries(rest, span.number);
}

bool RemovalPanel::openPanel(const Simulator& sim, Feedback& feedback)
{
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return false;
    }
    products_.clear();
    for (const platform::DirEntry& entry : platform::listFolder(*base, kProductPattern))
        products_.items.push_back(entry.name);
    return true;
}

Outcome RemovalPanel::productChosen(const Simulator& sim, int index, Feedback& feedback)
{
    products_.select(index);
    return listLiveries(sim, feedback);
}

void RemovalPanel::showLiveriesOf(const std::string& workingText)
{
    liveries_.items = listLiveryNames(workingText);
    liveries_.select(0);
    warning_ = numberingWarning(workingText);
}

Outcome RemovalPanel::listLiveries(const Simulator& sim, Feedback& feedback)
{
    liveries_.clear();
    warning_.clear();
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return Outcome::Refused;
    }
    const std::string product = products_.selectedText();
    if (product.empty())
        return Outcome::Stopped; // the window cannot get here: a change always picks an item
    if (!isPlainName(product)) {
        feedback.showMessage(notPlainMessage("product", product));
        return Outcome::Refused;
    }
    showLiveriesOf(readWorkingText(configFilePath(*base, product)));
    return Outcome::Completed;
}

std::optional<std::string> RemovalPanel::selectedConfigFile(const std::string& base,
                                                            Feedback& feedback) const
{
    // With no product selected the path names no file, which the existence test reports.
    const std::string product = products_.selectedText();
    if (!product.empty() && !isPlainName(product)) {
        feedback.showMessage(notPlainMessage("product", product));
        return std::nullopt;
    }
    const std::string configPath = configFilePath(base, product);
    if (product.empty() || !platform::fileExists(configPath)) {
        feedback.showMessage(kCannotFindConfig);
        feedback.hideProgressPanel();
        return std::nullopt;
    }
    return configPath;
}

void RemovalPanel::relistAfterRemoval(const std::string& configPath,
                                      const std::string& keptTextureFolder,
                                      const std::string& stuckTextureFolder, Feedback& feedback)
{
    liveries_.clear();
    showLiveriesOf(readWorkingText(configPath));
    feedback.listsChanged();
    if (!stuckTextureFolder.empty()) {
        feedback.showMessage(stuckTextureFolder);
        return;
    }
    feedback.showMessage(!keptTextureFolder.empty()
                             ? std::string(kRemovedSuccesfully) + "\nThe texture folder \"" +
                                   keptTextureFolder +
                                   "\" is still used by another livery and was kept"
                             : std::string(kRemovedSuccesfully));
}

Outcome RemovalPanel::removeSelectedLivery(const Simulator& sim, Feedback& feedback,
                                           History* history)
{
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return Outcome::Refused;
    }
    const std::optional<std::string> config = selectedConfigFile(*base, feedback);
    if (!config)
        return Outcome::Refused;
    const std::string& configPath = *config;
    const std::string product = products_.selectedText();

    // One change at a time per aircraft: the file is read under the lock.
    const ChangeLock lock(configPath, history);
    const std::string text = readWorkingText(configPath);
    EntrySpan span;
    if (liveries_.selected < 0) {
        feedback.showMessage("No livery is selected; nothing was removed");
        return Outcome::Refused;
    }
    if (!findSelectedEntry(text, liveries_, span)) {
        feedback.showMessage(noEntryMessage(liveries_));
        return Outcome::Refused;
    }
    // The folder name as Windows reads it, trailing dots and blanks dropped: "texture=Blue ."
    // names texture.Blue, while an empty value (or one of dots and blanks alone) names the
    // aircraft's shared "texture" folder. Then the entry goes and every folder stays.
    const std::string textureFolderName = textureFolderOf(span);
    const bool ownTextureFolder = span.hasTexture && textureFolderName != kSharedTextureFolder;
    if (ownTextureFolder && !isPlainName(textureFolderName)) {
        feedback.showMessage(notPlainMessage("texture folder", textureFolderName));
        return Outcome::Refused;
    }

    // The file is rewritten before the folder is touched, so a failed write keeps the folder.
    // The history keeps the file first; when it cannot, nothing is removed.
    const std::string rest = cutEntry(text, span);
    PendingChange change = beginChange(history, ChangeAction::Removal, product,
                                       liveries_.selectedText(), configPath, rest);
    // A folder that another entry still names (the same package installed twice) stays.
    const bool keptInUse = ownTextureFolder && textureFolderInUse(rest, textureFolderName);
    const bool removingFolder = ownTextureFolder && !keptInUse;
    const std::string folder =
        platform::resolvePath(platform::joinPath(*base + product, textureFolderName));
    if (removingFolder && platform::pathExists(folder))
        change.removingTextureFolder(folder);
    writeWorkingText(configPath, rest);

    std::string stuck;
    if (removingFolder) {
        if (const std::string why = removeTextureFolder(folder, change); !why.empty())
            stuck = "The livery was removed from aircraft.cfg; its texture folder " + folder +
                    " could not be deleted (" + why + "). Delete it once nothing uses it";
    }
    finishChange(change);
    relistAfterRemoval(configPath, keptInUse ? textureFolderName : std::string(), stuck, feedback);
    return Outcome::Completed;
}

std::string RemovalPanel::liveryPicturePath(const Simulator& sim, const std::string& fallback) const
{
    if (liveries_.selected < 0)
        return {};
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    const std::string product = products_.selectedText();
    if (!base || !isPlainName(product))
        return fallback;
    const std::string configPath = configFilePath(*base, product);
    if (!platform::fileExists(configPath))
        return fallback;
    EntrySpan span;
    if (!findSelectedEntry(readWorkingText(configPath), liveries_, span) || !span.hasTexture)
        return fallback;
    // The folder is looked at only when it stays inside the aircraft's folder.
    const std::string folder = textureFolderOf(span);
    if (!isPlainName(folder))
        return fallback;
    const std::string picture = platform::resolvePath(
        platform::joinPath(platform::joinPath(*base + product, folder), kPackagePictureName));
    return platform::fileExists(picture) ? picture : fallback;
}

} // namespace hx
