#include "online/RecursiveDelete.h"

#include "platform/FileSystem.h"

#include <filesystem>

namespace hx {

namespace {

// The listing reports a link to a folder as a folder (as Windows reports a junction); deleting
// must not descend into it, or it would empty a folder outside the one being deleted.
bool isLink(const std::string& path)
{
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(platform::resolvePath(path), ec);
    return !ec && std::filesystem::is_symlink(status);
}

std::string withSeparator(const std::string& folder)
{
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        return folder;
    return folder + platform::kSeparator;
}

bool deleteBelow(const std::string& folder, bool clearReadOnly, bool stopAtFirstFailure,
                 bool removeFolderItself)
{
    if (!platform::folderExists(folder))
        return false;
    const std::string prefix = withSeparator(folder);
    bool allDeleted = true;
    for (const platform::DirEntry& entry : platform::listFolder(folder, "*")) {
        const std::string path = prefix + entry.name;
        bool deleted = false;
        if (entry.isFolder && !isLink(path)) {
            if (clearReadOnly)
                platform::clearAttributes(path);
            deleted = deleteBelow(path, clearReadOnly, stopAtFirstFailure, true);
        } else {
            // A link's attributes would be those of its target, which is not ours to change.
            if (clearReadOnly && !isLink(path))
                platform::clearAttributes(path);
            deleted = platform::deleteFile(path);
        }
        if (!deleted) {
            allDeleted = false;
            if (stopAtFirstFailure)
                return false;
        }
    }
    if (allDeleted && removeFolderItself && !platform::removeFolder(folder))
        return false;
    return allDeleted;
}

} // namespace

bool recursiveDelete(const std::string& folder, bool clearReadOnly, bool stopAtFirstFailure,
                     bool removeFolderItself)
{
    // The folder being emptied must itself accept deletions below it.
    if (clearReadOnly && platform::folderExists(folder) && !isLink(folder))
        platform::clearAttributes(folder);
    return deleteBelow(folder, clearReadOnly, stopAtFirstFailure, removeFolderItself);
}

} // namespace hx
