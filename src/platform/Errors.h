#pragma once
// The error family. Expected conditions are messages through the feedback seam; everything
// else is one of these exceptions, carrying the text the user sees in the error box.

#include <stdexcept>
#include <string>
#include <utility>

namespace hx {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be opened, read, created or written: "File not found",
// "File access denied" or "I/O error %d", as the run-time library words them.
class IoError : public Error {
public:
    using Error::Error;
    // The file the error concerns, when the code that met it knows; empty otherwise. The message
    // stays the run-time library's words; a front end shows the path beside it.
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }

private:
    std::string path_;
};

// A registry value of the wrong type: "Invalid data type for '%s'".
class RegistryError : public Error {
public:
    using Error::Error;
};

// Builds the IoError for an errno value (ENOENT -> "File not found", EACCES/EPERM ->
// "File access denied", anything else -> "I/O error N").
IoError ioErrorFromErrno(int err);

} // namespace hx
