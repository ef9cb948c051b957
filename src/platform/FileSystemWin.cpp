// Windows file semantics where they are at home: the file system ignores letter case and
// refuses to overwrite on request. Paths are UTF-8 here and UTF-16 at the API.

#include "platform/FileSystem.h"
#include "platform/WinApi.h"

namespace hx::platform {

using win::narrow;
using win::widen;

namespace {

DWORD attributesOf(const std::string& path)
{
    return ::GetFileAttributesW(widen(path).c_str());
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Length of the part of `path` that names a root and has no on-disk spelling of its own:
// "C:", or "\\server\share" of a network path.
std::size_t rootLength(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return 2;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        std::size_t end = path.find_first_of("\\/", 2); // after the server
        end = end == std::string::npos ? path.size() : path.find_first_of("\\/", end + 1);
        return end == std::string::npos ? path.size() : end;
    }
    return 0;
}

// The path as FindFirstFile takes it: a doubled separator inside it (a simulator folder given
// with a trailing backslash, then joined) is made single, as not every implementation accepts it.
std::wstring searchPath(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i)
        if (!(i > 1 && isSeparator(path[i]) && isSeparator(out.back())))
            out.push_back(path[i]);
    return widen(out);
}

// The on-disk spelling of the last component of `path`, or nothing when it does not exist.
bool onDiskName(const std::string& path, std::string& name)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW(searchPath(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(find);
    name = narrow(data.cFileName);
    return true;
}

} // namespace

std::vector<DirEntry> listFolder(const std::string& folder, std::string_view pattern)
{
    // The OS lists everything and the project's own matcher filters: FindFirstFile would also
    // match the 8.3 short names ("*.bmp" takes "a.bmpx", whose short name is "A~1.BMP").
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW(searchPath(joinPath(folder, "*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = narrow(data.cFileName);
        if (name == "." || name == ".." || !wildcardMatch(pattern, name))
            continue;
        entries.push_back(
            {std::move(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return entries;
}

std::string resolvePath(const std::string& path)
{
    std::size_t pos = rootLength(path);
    std::string out = path.substr(0, pos);
    bool missing = false; // once a component is missing, nothing below it can exist
    while (pos <= path.size()) {
        std::size_t end = path.find_first_of("\\/", pos);
        if (end == std::string::npos)
            end = path.size();
        const std::string_view component(path.data() + pos, end - pos);
        const std::size_t folderLength = out.size();
        out.append(component);
        std::string name;
        const bool plainName = !component.empty() && component != "." && component != ".." &&
                               component.find_first_of("*?") == std::string_view::npos;
        if (!missing && plainName) {
            if (onDiskName(out, name)) {
                out.resize(folderLength);
                out.append(name);
            } else {
                missing = true;
            }
        }
        if (end == path.size())
            break;
        out.push_back(path[end]);
        pos = end + 1;
    }
    return out;
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isLink(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool pathExists(const std::string& path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

std::uint64_t fileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool copyFileNoOverwrite(const std::string& from, const std::string& to)
{
    if (pathExists(to))
        return false;
    const std::wstring target = widen(to);
    if (::CopyFileW(widen(from).c_str(), target.c_str(), TRUE)) // fail if the target exists
        return true;
    // A copy that failed part way leaves a truncated target, which a later copy would never
    // replace: remove it, unless the target is someone else's that appeared meanwhile.
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(target.c_str());
    }
    return false;
}

bool createFolder(const std::string& path)
{
    return ::CreateDirectoryW(widen(path).c_str(), nullptr) != 0;
}

bool deleteFile(const std::string& path)
{
    return ::DeleteFileW(widen(path).c_str()) != 0;
}

bool removeFolder(const std::string& path)
{
    return ::RemoveDirectoryW(widen(path).c_str()) != 0;
}

bool clearAttributes(const std::string& path)
{
    return ::SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

std::string currentFolder()
{
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
    folder.resize(length < size ? length : 0);
    std::string out = narrow(folder);
    // "C:\" becomes "C:", so that joining a name gives "C:\name".
    while (!out.empty() && isSeparator(out.back()))
        out.pop_back();
    return out;
}

std::string pathFromText(std::string_view text)
{
    // Single-byte text from the tool's files is in the ANSI code page, as its makers wrote it.
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    return narrow(wide);
}

} // namespace hx::platform
