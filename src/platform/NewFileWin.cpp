#include "platform/NewFile.h"

#include "platform/WinApi.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace hx::platform {

bool NewFile::create(const std::string& path)
{
    fd_ = _wopen(win::widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                 _S_IREAD | _S_IWRITE);
    return fd_ >= 0;
}

bool NewFile::writeAll(const char* data, std::size_t size)
{
    for (std::size_t written = 0; written < size;) {
        const std::size_t piece = std::min<std::size_t>(size - written, 1u << 30);
        const int n = _write(fd_, data + written, static_cast<unsigned>(piece));
        if (n < 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

int NewFile::closeDescriptor(int fd)
{
    return _close(fd);
}

} // namespace hx::platform
