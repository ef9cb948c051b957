#pragma once
// Helpers shared by the Win32 side of the platform layer; only *Win.cpp files include this.
// Paths are UTF-8 inside the program and UTF-16 at the API, so every name the file system can
// hold passes through unchanged.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/Errors.h"

#include <string>
#include <string_view>

namespace hx::platform::win {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The run-time library's wording of a Win32 error, as on POSIX: "File not found",
// "File access denied" or "I/O error N".
IoError ioError(DWORD error);
[[noreturn]] void throwIoError(DWORD error);
// The Win32 error for an errno value (the fault switch names its errors so).
DWORD errorFromErrno(int err);

// A kernel handle closed once, when the object ends or close() is called.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    // False when closing failed; the handle is gone either way.
    bool close()
    {
        const bool ok = !valid() || ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

} // namespace hx::platform::win
