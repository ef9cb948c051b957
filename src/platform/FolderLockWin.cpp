#include "platform/Errors.h"
#include "platform/FolderLock.h"
#include "platform/WinApi.h"

#include <cstdint>
#include <cstdio>

namespace hx::platform {

namespace {

class MutexLock : public FolderLock {
public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexLock() override
    {
        ::ReleaseMutex(mutex_);
        ::CloseHandle(mutex_);
    }

private:
    HANDLE mutex_;
};

// "Local\Hangarix-<hash>": the folder's full path, letter case ignored, as the file system does.
std::wstring mutexName(const std::string& folder)
{
    const std::wstring wide = win::widen(folder);
    std::wstring full(32768, L'\0');
    const DWORD n = ::GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
    full.resize(n > 0 && n < full.size() ? n : 0);
    if (full.empty())
        full = wide;
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    ::CharUpperBuffW(full.data(), DWORD(full.size()));
    std::uint64_t h = 14695981039346656037ull;
    for (wchar_t c : full) {
        h ^= std::uint16_t(c == L'/' ? L'\\' : c);
        h *= 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Hangarix-%016llx", static_cast<unsigned long long>(h));
    return name;
}

} // namespace

std::unique_ptr<FolderLock> tryLockFolder(const std::string& folder)
{
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutexName(folder).c_str());
    if (!mutex)
        throw IoError("Cannot lock " + folder + " (system error " +
                      std::to_string(::GetLastError()) + ")");
    // An abandoned mutex (its holder was killed) is ours now.
    const DWORD got = ::WaitForSingleObject(mutex, 0);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED)
        return std::make_unique<MutexLock>(mutex);
    ::CloseHandle(mutex);
    return nullptr;
}

} // namespace hx::platform
