// Windows file semantics where they are at home: the file system ignores letter case and
// refuses to overwrite on request. Paths are UTF-8 here and UTF-16 at the API.

#include "platform/Faults.h"
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

bool moveFileNoOverwrite(const std::string& from, const std::string& to)
{
    if (const int injected = faults::before(faults::Step::Rename)) {
        ::SetLastError(win::errorFromErrno(injected));
        return false;
    }
    return ::MoveFileExW(widen(from).c_str(), widen(to).c_str(), 0) != 0;
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

std::optional<std::uint64_t> plainFileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
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
    // Only plain files are copied: a device or pipe name is never opened.
    const DWORD attributes = attributesOf(from);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
        ::SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    if (const int injected = faults::before(faults::Step::Write)) {
        ::SetLastError(win::errorFromErrno(injected));
        return false;
    }
    if (::CopyFileW(widen(from).c_str(), target.c_str(), TRUE)) // fail if the target exists
        return true;
    // A copy that failed part way leaves a truncated target, which a later copy would never
    // replace: remove it, unless the target is someone else's that appeared meanwhile.
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(target.c_str());
    }
    ::SetLastError(error);
    return false;
}

bool copyFileToNewName(const std::string& from, const std::string& to)
{
    return copyFileNoOverwrite(from, to);
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

std::uint64_t freeSpace(const std::string& path)
{
    ULARGE_INTEGER available;
    if (!::GetDiskFreeSpaceExW(widen(path).c_str(), &available, nullptr, nullptr))
        return UINT64_MAX;
    return available.QuadPart;
}

bool setCurrentFolder(const std::string& path)
{
    return ::SetCurrentDirectoryW(widen(path).c_str()) != 0;
}

bool createFolderPath(const std::string& path)
{
    const std::wstring wide = widen(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return folderExists(path);
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos || slash <= rootLength(path) ||
        !createFolderPath(path.substr(0, slash)))
        return false;
    return ::CreateDirectoryW(wide.c_str(), nullptr) != 0;
}

std::string programFolder()
{
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
        if (length == 0)
            return {};
        if (length < exe.size()) {
            exe.resize(length);
            break;
        }
        exe.resize(exe.size() * 2); // cut short: try again with more room
    }
    const std::size_t slash = exe.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : narrow(exe.substr(0, slash));
}

PathLimit pathLimit()
{
    return {259, true};
}

std::string topFolder()
{
    return "c:\\";
}

bool carriesErrno(const std::error_code& error)
{
    return error.category() == std::generic_category();
}

bool canCreateIn(const std::string& folder)
{
    // Deleted by the system when closed; an access list that refuses writing refuses this.
    const std::string probe =
        joinPath(folder, ".hangarix-probe-" + std::to_string(::GetCurrentProcessId()));
    const HANDLE file = ::CreateFileW(
        widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

void setLastError(const std::error_code& error)
{
    ::SetLastError(error.category() == std::system_category() ? DWORD(error.value())
                                                              : win::errorFromErrno(error.value()));
}

std::string lastErrorText()
{
    const DWORD code = ::GetLastError();
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = n && text ? std::wstring(text, n) : std::wstring();
    if (text)
        ::LocalFree(text);
    while (!words.empty() &&
           (words.back() == L'\r' || words.back() == L'\n' || words.back() == L'.'))
        words.pop_back();
    return words.empty() ? "system error " + std::to_string(code) : narrow(words);
}

std::string userDataFolder()
{
    std::wstring base(32768, L'\0');
    DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), DWORD(base.size()));
    if (length == 0 || length >= base.size()) {
        length = ::GetEnvironmentVariableW(L"USERPROFILE", base.data(), DWORD(base.size()));
        if (length == 0 || length >= base.size())
            return {};
        base.resize(length);
        base += L"\\AppData\\Local";
    } else {
        base.resize(length);
    }
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/'))
        base.pop_back();
    return narrow(base) + "\\Hangarix";
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
