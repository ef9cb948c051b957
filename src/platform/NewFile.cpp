#include "platform/NewFile.h"

namespace hx::platform {

NewFile::~NewFile()
{
    if (fd_ >= 0)
        (void)closeDescriptor(fd_); // the caller is already reporting a failure
}

bool NewFile::close()
{
    // The descriptor is given up before the call: after a failed close its number may already
    // belong to another file, so it is never closed a second time.
    const int fd = fd_;
    fd_ = -1;
    return closeDescriptor(fd) == 0;
}

} // namespace hx::platform
