#include "online/RecursiveDelete.h"

#include "platform/FileSystem.h"

namespace hx {

namespace {

std::string withSeparator(const std::string& folder)
{
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        return folder;
    return folder + platform::kSeparator;
}

bool deleteBelow(const std::string& folder, const DeleteOptions& options)
{
    if (!platform::folderExists(folder))
        return false;
    const std::string prefix = withSeparator(folder);
    bool allDeleted = true;
    for (const platform::DirEntry& entry : platform::listFolder(folder, "*")) {
        const std::string path = prefix + entry.name;
        bool deleted = false;
        // The listing reports a link to a folder as a folder (as Windows reports a junction);
        // it is deleted as a link, never descended into.
        if (entry.isFolder && !platform::isLink(path)) {
            if (options.clearReadOnly)
                (void)platform::clearAttributes(path); // the deletion below reports a failure
            DeleteOptions below = options;
            below.removeFolderItself = true;
            deleted = deleteBelow(path, below);
        } else {
            // A link's attributes would be those of its target, which is not ours to change.
            const bool link = platform::isLink(path);
            if (options.clearReadOnly && !link)
                (void)platform::clearAttributes(path); // the deletion reports a failure
            // A junction to a folder goes the way of an empty folder on Windows.
            deleted = platform::deleteFile(path) || (link && platform::removeFolder(path));
        }
        if (!deleted) {
            allDeleted = false;
            if (options.stopAtFirstFailure)
                return false;
        }
    }
    if (allDeleted && options.removeFolderItself && !platform::removeFolder(folder))
        return false;
    return allDeleted;
}

} // namespace

bool recursiveDelete(const std::string& folder, const DeleteOptions& options)
{
    // The folder being emptied must itself accept deletions below it.
    if (options.clearReadOnly && platform::folderExists(folder) && !platform::isLink(folder))
        (void)platform::clearAttributes(folder); // a deletion below it reports a failure
    return deleteBelow(folder, options);
}

} // namespace hx
