#pragma once
// Moving a whole folder: a rename when both places lie on one volume, a copy followed by the
// deletion of the original across volumes.

#include <string>

namespace hx::platform {

// Moves `from` (a folder with everything below it, or a link to a folder, which moves as a
// link and only by a rename) to `to`. When `to` does not exist, `from` is
// renamed, or copied and then deleted when the rename cannot cross volumes. When `to` exists,
// the entries of `from` that `to` lacks are copied in (nothing is overwritten) and `from` is
// deleted as far as it can be (what cannot be deleted stays, as a deletion leaves it). A failed
// copy removes what it created and leaves `from` as it was. Returns whether everything of
// `from` stands at `to`.
bool moveFolder(const std::string& from, const std::string& to);

// The cross-volume half on its own, for the tests: copy, then delete the original.
bool copyFolderThenDelete(const std::string& from, const std::string& to);

} // namespace hx::platform
