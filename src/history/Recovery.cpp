// Recovering the history: a change a killed process left unfinished is rolled back when
// aircraft.cfg still holds the bytes the record kept, completed when it already holds what the
// change planned, and set aside otherwise; so is a record that cannot be read or trusted.

#include "history/History.h"

#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "platform/MoveFolder.h"
#include "platform/TextFile.h"

#include <filesystem>
#include <optional>

namespace hx {

namespace {

std::optional<std::string> hashOf(const std::string& path)
{
    if (!platform::fileExists(path))
        return std::nullopt;
    try {
        return contentHash(readFileBytes(path));
    } catch (const Error&) {
        return std::nullopt;
    }
}

bool isNumber(const std::string& name)
{
    return !name.empty() && name.size() <= 18 &&
           name.find_first_not_of("0123456789") == std::string::npos;
}

// Takes back what an unfinished installation put in the aircraft: the staging folder, the
// files it placed, the texture folder it created (when nothing else lies in it).
void takeBackTextures(const ChangeRecord& r)
{
    if (!r.staging.empty() && platform::folderExists(r.staging))
        removeTree(r.staging);
    for (const std::string& file : r.copiedFiles)
        (void)platform::deleteFile(file);
    if (r.folderCreated && !r.textureFolder.empty())
        (void)platform::removeFolder(r.textureFolder);
}

} // namespace

std::vector<std::string> History::recover(const std::string& heldAircraft)
{
    std::vector<std::string> said;
    const auto setAside = [&](const std::string& name, const std::string& why) {
        const std::string from = platform::joinPath(folder(), name);
        std::string to = from + ".damaged";
        for (int n = 2; platform::pathExists(to); ++n)
            to = from + ".damaged-" + std::to_string(n);
        std::error_code ec;
        std::filesystem::rename(std::filesystem::u8path(from), std::filesystem::u8path(to), ec);
        said.push_back("The history's change " + name + " " + why + "; it was set aside as " + to);
    };

    for (const platform::DirEntry& entry : platform::listFolder(folder(), "*")) {
        if (!entry.isFolder || !isNumber(entry.name))
            continue;
        const std::string own = recordFolder(std::stoull(entry.name));
        ChangeRecord r;
        try {
            r = readRecord(std::stoull(entry.name));
        } catch (const Error&) {
            setAside(entry.name, "cannot be read (it is cut short or damaged)");
            continue;
        }
        if (!recordPathsAreSafe(r)) {
            setAside(entry.name, "names files outside its aircraft");
            continue;
        }
        if (hashOf(platform::joinPath(own, "aircraft.cfg")) != r.savedHash) {
            setAside(entry.name, "holds a damaged copy of aircraft.cfg");
            continue;
        }
        if (r.state == ChangeState::Done)
            continue;

        // Another process may be changing that aircraft through another history: leave the
        // record for later then.
        const std::string aircraft = parentFolderOf(r.configPath);
        std::unique_ptr<platform::FolderLock> lock;
        if (!platform::equalsIgnoringCase(aircraft, heldAircraft)) {
            try {
                lock = platform::tryLockFolder(aircraft);
            } catch (const Error&) {
                setAside(entry.name, "concerns an aircraft that is gone");
                continue;
            }
            if (!lock)
                continue;
        }
        platform::removeLeftoverTemporaries(r.configPath);
        const std::optional<std::string> now = hashOf(r.configPath);
        const std::string texture = platform::joinPath(own, "texture");
        const std::string what = changeDescription(r);
        try {
            if (r.state == ChangeState::Undoing) {
                undoRecord(r);
                said.push_back("An interrupted undo of the " + what + " was completed");
            } else if (now == r.savedHash) {
                if (r.action == ChangeAction::Installation)
                    takeBackTextures(r);
                if (platform::folderExists(texture) && !platform::pathExists(r.textureFolder))
                    (void)platform::moveFolder(texture, r.textureFolder);
                removeTree(own);
                said.push_back("An interrupted " + what + " was rolled back");
            } else if (now == r.plannedHash) {
                if (!r.staging.empty() && platform::folderExists(r.staging))
                    removeTree(r.staging);
                if (r.action == ChangeAction::Removal && !r.textureFolder.empty()) {
                    if (platform::folderExists(texture) && platform::pathExists(r.textureFolder))
                        removeTree(texture); // a copy across volumes cut short
                    // The move the removal planned, made now where it did not happen.
                    r.textureMoved = !platform::pathExists(r.textureFolder) ||
                                     platform::moveFolder(r.textureFolder, texture);
                    if (!r.textureMoved)
                        said.push_back("The texture folder " + r.textureFolder +
                                       " of the interrupted " + what + " could not be deleted (" +
                                       platform::lastErrorText() + ")");
                }
                r.hashAfter = *now;
                r.state = ChangeState::Done;
                write(r);
                said.push_back("An interrupted " + what + " was completed");
            } else {
                setAside(entry.name, "was interrupted, and aircraft.cfg was changed since by "
                                     "something else");
            }
        } catch (const Error& e) {
            said.push_back("An interrupted " + what + " could not be recovered yet: " + e.what());
        }
    }
    return said;
}

} // namespace hx
