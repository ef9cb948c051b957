#include "platform/Errors.h"

#include <cerrno>

namespace hx {

namespace {

// The run-time library's "I/O error N", with the cause in words where the number alone would
// leave the user guessing.
std::string ioErrorText(int err)
{
    const char* words = nullptr;
    switch (err) {
    case ENOSPC:
        words = "the disk is full";
        break;
#ifdef EDQUOT
    case EDQUOT:
        words = "the disk quota is used up";
        break;
#endif
    case EFBIG:
        words = "the file is larger than the system allows";
        break;
    case ENAMETOOLONG:
        words = "the path is too long";
        break;
    case EIO:
        words = "the disk reported a read or write error";
        break;
    case EBUSY:
    case ETXTBSY:
        words = "the file is in use";
        break;
    case ENOTEMPTY:
        words = "the folder is not empty";
        break;
    default:
        break;
    }
    std::string text = "I/O error " + std::to_string(err);
    return words ? text + " (" + words + ")" : text;
}

} // namespace

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
        return IoError(ioErrorText(err));
    }
}

} // namespace hx
