// Reading and atomically replacing text files on Windows.

#include "platform/Faults.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"
#include "platform/WinApi.h"

namespace hx::platform {

using win::Handle;
using win::throwIoError;
using win::widen;

std::string readFileBytes(const std::string& path)
{
    Handle file(::CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throwIoError(::GetLastError());
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            throwIoError(::GetLastError());
        if (read == 0)
            break;
        bytes.append(buffer, read);
    }
    return bytes;
}

namespace {

// Writes `text` into the (empty) temporary file and flushes it to disk; the Win32 error or 0.
DWORD writeTemporary(const std::wstring& tempPath, std::string_view text)
{
    Handle file(::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return ::GetLastError();
    if (const int injected = faults::before(faults::Step::Write))
        return win::errorFromErrno(injected);
    while (!text.empty()) {
        const DWORD chunk = text.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(text.size());
        DWORD written = 0;
        if (!::WriteFile(file.get(), text.data(), chunk, &written, nullptr))
            return ::GetLastError();
        text.remove_prefix(written);
    }
    if (const int injected = faults::before(faults::Step::Flush))
        return win::errorFromErrno(injected);
    if (!::FlushFileBuffers(file.get()))
        return ::GetLastError();
    return file.close() ? 0 : ::GetLastError();
}

// Puts the temporary file in the target's place. ReplaceFile keeps the old file's attributes
// and security; a new file is moved in.
DWORD replaceWith(const std::wstring& target, const std::wstring& tempPath, bool replacing)
{
    if (const int injected = faults::before(faults::Step::Rename))
        return win::errorFromErrno(injected);
    if (replacing && ::ReplaceFileW(target.c_str(), tempPath.c_str(), nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return 0;
    if (::MoveFileExW(tempPath.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ::GetLastError();
}

} // namespace

void removeLeftoverTemporaries(const std::string& path)
{
    // GetTempFileName's names: "hx" + up to four hex digits + ".tmp".
    const std::string resolved = resolvePath(path);
    const std::size_t slash = resolved.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : resolved.substr(0, slash);
    for (const DirEntry& entry : listFolder(folder, "hx*.tmp"))
        if (!entry.isFolder && entry.name.size() <= 10)
            ::DeleteFileW(widen(joinPath(folder, entry.name)).c_str());
}

void writeTextAtomic(const std::string& path, std::string_view text)
{
    // The file as it is spelt on disk: a replacement keeps its name's letter case.
    const std::string resolved = resolvePath(path);
    const std::size_t slash = resolved.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : resolved.substr(0, slash + 1);
    const std::wstring target = widen(resolved);

    // A folder in the file's place, or a read-only file, is refused here rather than left to
    // ReplaceFile and MoveFileEx, which do not refuse both everywhere.
    const DWORD old = ::GetFileAttributesW(target.c_str());
    const bool replacing = old != INVALID_FILE_ATTRIBUTES;
    if (replacing && (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        throwIoError(ERROR_ACCESS_DENIED);

    wchar_t tempPath[MAX_PATH];
    if (!::GetTempFileNameW(widen(folder).c_str(), L"hx", 0, tempPath)) { // creates it, empty
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED)
            throw IoError(folderNotWritable(folder));
        throwIoError(error);
    }
    DWORD error = writeTemporary(tempPath, text);
    if (error == 0)
        error = replaceWith(target, tempPath, replacing);
    if (error != 0) {
        ::DeleteFileW(tempPath);
        throwIoError(error);
    }
}

} // namespace hx::platform
