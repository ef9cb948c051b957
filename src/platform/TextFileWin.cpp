// Reading and atomically replacing text files on Windows.

#include "platform/Errors.h"
#include "platform/TextFile.h"

#include <windows.h>

namespace hx::platform {

namespace {

// The run-time library's wording of a Windows error.
[[noreturn]] void throwWin32(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        throw IoError("File not found");
    case ERROR_ACCESS_DENIED:
        throw IoError("File access denied");
    default:
        throw IoError("I/O error " + std::to_string(error));
    }
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close()
    {
        const bool ok = !valid() || ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

} // namespace

namespace {

std::string readTextOf(const std::string& path, LoneCr loneCr)
{
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throwWin32(::GetLastError());
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            throwWin32(::GetLastError());
        if (read == 0)
            break;
        bytes.append(buffer, read);
    }
    return joinLines(bytes, loneCr);
}

} // namespace

std::string readText(const std::string& path, LoneCr loneCr)
{
    try {
        return readTextOf(path, loneCr);
    } catch (IoError& e) {
        e.setPath(path);
        throw;
    }
}

void writeTextAtomic(const std::string& path, std::string_view text)
{
    const std::size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);

    char tempPath[MAX_PATH];
    if (!::GetTempFileNameA(folder.c_str(), "hx", 0, tempPath)) { // creates it, empty
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED)
            throw IoError(folderNotWritable(folder));
        throwWin32(error);
    }

    DWORD error = ERROR_SUCCESS;
    {
        Handle file(::CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            error = ::GetLastError();
        while (error == ERROR_SUCCESS && !text.empty()) {
            const DWORD chunk =
                text.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(text.size());
            DWORD written = 0;
            if (!::WriteFile(file.get(), text.data(), chunk, &written, nullptr))
                error = ::GetLastError();
            text.remove_prefix(written);
        }
        if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get()))
            error = ::GetLastError();
        if (!file.close() && error == ERROR_SUCCESS)
            error = ::GetLastError();
    }
    if (error == ERROR_SUCCESS) {
        // ReplaceFile keeps the old file's attributes and security; a new file is moved in.
        const bool replaced = ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
                              ::ReplaceFileA(path.c_str(), tempPath, nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
        if (!replaced && !::MoveFileExA(tempPath, path.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = ::GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        ::DeleteFileA(tempPath);
        throwWin32(error);
    }
}

} // namespace hx::platform
