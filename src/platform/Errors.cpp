#include "platform/Errors.h"

#include <cerrno>

namespace hx {

IoError ioErrorFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return IoError("File not found");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // Windows refuses to open a folder as a file with "access denied"
        return IoError("File access denied");
    default:
        return IoError("I/O error " + std::to_string(err));
    }
}

} // namespace hx
