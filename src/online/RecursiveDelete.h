#pragma once
// Deleting a folder's content, and the folder itself, as the unpack folder is emptied before
// every unpacking and after every completed install.

#include <string>

namespace hx {

struct DeleteOptions {
    // Each entry's read-only, hidden and system attributes are cleared before it is deleted (on
    // POSIX: the owner's write permission is granted, which is what deleting below a folder
    // needs).
    bool clearReadOnly = false;
    // The walk ends at the first entry that cannot be deleted.
    bool stopAtFirstFailure = false;
    // The emptied folder is removed too.
    bool removeFolderItself = false;
};

// Deletes everything below `folder`, as `options` say.
//
// A folder is recognised by its folder flag alone, so folders that carry further attributes
// are emptied and removed as well. A symbolic link (or junction) is deleted as a link and never
// followed: what it points to stays as it is.
//
// Returns false when the folder does not exist or when any entry, or the folder itself when
// asked, could not be deleted.
[[nodiscard]] bool recursiveDelete(const std::string& folder, const DeleteOptions& options);

} // namespace hx
