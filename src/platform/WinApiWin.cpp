#include "platform/WinApi.h"

#include <cerrno>

namespace hx::platform::win {

std::wstring widen(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16)
{
    if (utf16.empty())
        return {};
    const int size = static_cast<int>(utf16.size());
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

IoError ioError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: // a folder in the path is missing or is a file
    case ERROR_INVALID_DRIVE:
        return IoError("File not found");
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return IoError("File access denied");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return IoError("I/O error " + std::to_string(error) + " (the disk is full)");
    case ERROR_FILENAME_EXCED_RANGE:
        return IoError("I/O error " + std::to_string(error) + " (the path is too long)");
    case ERROR_WRITE_FAULT:
    case ERROR_CRC:
        return IoError("I/O error " + std::to_string(error) +
                       " (the disk reported a read or write error)");
    default:
        return IoError("I/O error " + std::to_string(error));
    }
}

DWORD errorFromErrno(int err)
{
    switch (err) {
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
        return ERROR_SHARING_VIOLATION;
    default:
        return ERROR_WRITE_FAULT;
    }
}

void throwIoError(DWORD error)
{
    throw ioError(error);
}

} // namespace hx::platform::win
