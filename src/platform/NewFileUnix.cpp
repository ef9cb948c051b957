#include "platform/NewFile.h"
#include "platform/WriteAllUnix.h"

#include <fcntl.h>
#include <unistd.h>

namespace hx::platform {

bool NewFile::create(const std::string& path)
{
    // O_EXCL with O_NOFOLLOW: a link planted at the target is never followed.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd_ >= 0;
}

bool NewFile::writeAll(const char* data, std::size_t size)
{
    return platform::writeAll(fd_, std::string_view(data, size));
}

int NewFile::closeDescriptor(int fd)
{
    return ::close(fd);
}

} // namespace hx::platform
