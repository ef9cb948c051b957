#pragma once
// Deleting a folder's content, and the folder itself, as the unpack folder is emptied before
// every unpacking and after every completed install.

#include <string>

namespace hx {

// Deletes everything below `folder`. With `clearReadOnly` each entry's read-only, hidden and
// system attributes are cleared before it is deleted (on POSIX: the owner's write permission is
// granted, which is what deleting below a folder needs). With `stopAtFirstFailure` the walk ends
// at the first entry that cannot be deleted. With `removeFolderItself` the emptied folder is
// removed too.
//
// A folder is recognised by its folder flag alone, so folders that carry further attributes
// are emptied and removed as well. A symbolic link (or junction) is deleted as a link and never
// followed: what it points to stays as it is.
//
// Returns false when the folder does not exist or when any entry, or the folder itself when
// asked, could not be deleted.
bool recursiveDelete(const std::string& folder, bool clearReadOnly, bool stopAtFirstFailure,
                     bool removeFolderItself);

} // namespace hx
