#pragma once
// One change at a time: an exclusive lock on a folder, held by one process, released when the
// object goes or the process ends (a killed process holds nothing). On POSIX it is flock() on the
// folder itself, so nothing is written into the folder; on Windows a named mutex derived from
// the folder's full path.

#include <memory>
#include <string>

namespace hx::platform {

class FolderLock {
public:
    virtual ~FolderLock() = default;
};

// The lock on `folder`, or null when another holder has it. Throws IoError when the folder
// cannot be opened to be locked.
std::unique_ptr<FolderLock> tryLockFolder(const std::string& folder);

} // namespace hx::platform
