#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace hx::platform {

namespace {

class FlockLock : public FolderLock {
public:
    explicit FlockLock(int fd) : fd_(fd) {}
    ~FlockLock() override { ::close(fd_); } // closing releases the lock

private:
    int fd_;
};

} // namespace

std::unique_ptr<FolderLock> tryLockFolder(const std::string& folder)
{
    const int fd = ::open(resolvePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        IoError error = ioErrorFromErrno(errno);
        error.setPath(folder);
        throw error;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return nullptr;
        IoError error = ioErrorFromErrno(err);
        error.setPath(folder);
        throw error;
    }
    return std::make_unique<FlockLock>(fd);
}

} // namespace hx::platform
