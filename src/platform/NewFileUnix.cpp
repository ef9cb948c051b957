#include "platform/NewFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace hx::platform {

NewFile::~NewFile()
{
    if (fd_ >= 0)
        (void)::close(fd_); // the caller is already reporting a failure
}

bool NewFile::create(const std::string& path)
{
    // O_EXCL with O_NOFOLLOW: a link planted at the target is never followed.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd_ >= 0;
}

bool NewFile::writeAll(const char* data, std::size_t size)
{
    for (std::size_t written = 0; written < size;) {
        const ssize_t n = ::write(fd_, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool NewFile::close()
{
    // The descriptor is given up before the call: after a failed close its number may already
    // belong to another file, so it is never closed a second time.
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

} // namespace hx::platform
