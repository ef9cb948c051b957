// Windows file semantics where they are at home: the OS matches wildcards, ignores letter case
// and refuses to overwrite on request.

#include "platform/FileSystem.h"

#include <windows.h>

namespace hx::platform {

std::vector<DirEntry> listFolder(const std::string& folder, std::string_view pattern)
{
    std::vector<DirEntry> entries;
    const std::string search = joinPath(folder, pattern);
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA(search.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string_view name(data.cFileName);
        if (name == "." || name == "..")
            continue;
        entries.push_back(
            {std::string(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return entries;
}

std::string resolvePath(const std::string& path)
{
    return path; // the file system ignores letter case itself
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isLink(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool pathExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::uint64_t fileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool copyFileNoOverwrite(const std::string& from, const std::string& to)
{
    return ::CopyFileA(from.c_str(), to.c_str(), TRUE) != 0; // fail if the target exists
}

bool createFolder(const std::string& path)
{
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool deleteFile(const std::string& path)
{
    return ::DeleteFileA(path.c_str()) != 0;
}

bool removeFolder(const std::string& path)
{
    return ::RemoveDirectoryA(path.c_str()) != 0;
}

bool clearAttributes(const std::string& path)
{
    return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

std::string currentFolder()
{
    const DWORD size = ::GetCurrentDirectoryA(0, nullptr);
    std::string folder(size, '\0');
    const DWORD length = ::GetCurrentDirectoryA(size, folder.data());
    folder.resize(length < size ? length : 0);
    // "C:\" becomes "C:", so that joining a name gives "C:\name".
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

} // namespace hx::platform
