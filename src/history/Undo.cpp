// Undoing recorded changes: aircraft.cfg gets its previous bytes back, a removed texture folder
// returns from the record, the files an installation copied go. Everything is checked before
// anything is touched.

#include "history/ChangeLock.h"
#include "history/History.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/MoveFolder.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <filesystem>

namespace hx {

namespace {

std::optional<std::string> readIfPresent(const std::string& path)
{
    if (!platform::fileExists(path))
        return std::nullopt;
    return readFileBytes(path);
}

std::string refusal(const ChangeRecord& r, const std::string& why)
{
    return "Cannot undo the " + changeDescription(r) + " (change " + std::to_string(r.id) +
           "): " + why + "; nothing was undone";
}

// Why the changes (newest first) cannot be undone in a row, or empty when they can.
std::string whyNot(const History& history, const std::vector<ChangeRecord>& chain)
{
    std::optional<std::string> current = readIfPresent(chain.front().configPath);
    for (const ChangeRecord& r : chain) {
        if (r.state != ChangeState::Done || r.hashAfter.empty())
            return refusal(r, "its record is incomplete");
        if (!recordPathsAreSafe(r))
            return refusal(r, "its record names files outside the aircraft");
        if (!current)
            return refusal(r, "aircraft.cfg is missing at " + r.configPath);
        if (contentHash(*current) != r.hashAfter)
            return refusal(r, "aircraft.cfg was changed since by something else");
        const std::string own = history.recordFolder(r.id);
        if (r.textureMoved && !platform::folderExists(platform::joinPath(own, "texture")))
            return refusal(r, "the texture folder is missing from the history");
        current = readIfPresent(platform::joinPath(own, "aircraft.cfg"));
        if (!current)
            return refusal(r, "the earlier aircraft.cfg is missing from the history");
        // The copy is restored only as it was kept: a cut or emptied copy is refused.
        if (contentHash(*current) != r.savedHash)
            return refusal(r, "the earlier aircraft.cfg in the history is damaged");
    }
    return {};
}

} // namespace

void History::undoRecord(ChangeRecord r) const
{
    const std::string own = recordFolder(r.id);
    if (r.state != ChangeState::Undoing) {
        r.state = ChangeState::Undoing;
        write(r); // a kill from here on is completed by the next change
    }
    // A folder that cannot come back stops the undo before the file changes, and the record
    // (with the folder) stays.
    const std::string texture = platform::joinPath(own, "texture");
    const bool moveBack = r.textureMoved && platform::folderExists(texture);
    if (moveBack && !platform::moveFolder(texture, r.textureFolder)) {
        const std::string why = platform::lastErrorText();
        r.state = ChangeState::Done;
        write(r);
        throw IoError(refusal(r, "the texture folder cannot be moved back to " + r.textureFolder +
                                     " (" + why + ")"));
    }
    try {
        const std::optional<std::string> saved =
            readIfPresent(platform::joinPath(own, "aircraft.cfg"));
        if (!saved || contentHash(*saved) != r.savedHash)
            throw IoError(refusal(r, "the earlier aircraft.cfg in the history is damaged"));
        if (readIfPresent(r.configPath) != saved)
            platform::writeTextAtomic(r.configPath, *saved);
    } catch (const Error&) {
        // The undo did not happen: the folder goes back into the record, which stands as done.
        // When even that fails, the record stays "undoing" and the next change completes it.
        if (moveBack)
            (void)platform::moveFolder(r.textureFolder, texture);
        r.state = ChangeState::Done;
        try {
            write(r);
        } catch (const Error&) {
        }
        throw;
    }
    // A copied file that is gone already, or cannot be deleted, does not stop the undo.
    for (const std::string& file : r.copiedFiles)
        (void)platform::deleteFile(file);
    if (r.folderCreated)
        (void)platform::removeFolder(r.textureFolder); // only when nothing else lies in it
    removeTree(own);
}

UndoResult History::undo(std::optional<std::uint64_t> id)
{
    // The aircraft is known from the records; they are read again under its lock.
    {
        const std::vector<ChangeRecord> unlocked = records();
        const auto named = std::find_if(unlocked.begin(), unlocked.end(), [&](const auto& r) {
            return id ? r.id == *id : r.state == ChangeState::Done;
        });
        if (named != unlocked.end()) {
            const ChangeLock lock(named->configPath, this);
            return undoLocked(id);
        }
    }
    return undoLocked(id);
}

UndoResult History::undoLocked(std::optional<std::uint64_t> id)
{
    const std::vector<ChangeRecord> all = records(); // newest first
    if (all.empty())
        return {false, "The history holds no change to undo"};
    std::vector<ChangeRecord> chain;
    if (!id) {
        // A record left incomplete by a failed change is passed by.
        const auto newest = std::find_if(all.begin(), all.end(), [](const ChangeRecord& r) {
            return r.state == ChangeState::Done;
        });
        if (newest == all.end())
            return {false, "The history holds no change to undo"};
        chain.push_back(*newest);
    } else {
        const auto target = std::find_if(all.begin(), all.end(),
                                         [&](const ChangeRecord& r) { return r.id == *id; });
        if (target == all.end())
            return {false, "The history holds no change " + std::to_string(*id)};
        for (const ChangeRecord& r : all)
            if (r.id >= *id && r.configPath == target->configPath)
                chain.push_back(r);
    }
    if (std::string why = whyNot(*this, chain); !why.empty())
        return {false, why};
    UndoResult result{true, {}};
    for (const ChangeRecord& r : chain) {
        undoRecord(r);
        result.message +=
            (result.message.empty() ? "Undone: " : "\nUndone: ") + changeDescription(r);
    }
    return result;
}

} // namespace hx
