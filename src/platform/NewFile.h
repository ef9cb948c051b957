#pragma once
// A file created for writing that must not exist yet, closed exactly once.

#include <cstddef>
#include <string>

namespace hx::platform {

class NewFile {
public:
    NewFile() = default;
    // Closes a file still open, ignoring the result: only a failing caller leaves one open.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates `path` (UTF-8) for writing; never follows a link at its place. False with errno
    // set when it cannot (EEXIST when something is there already).
    [[nodiscard]] bool create(const std::string& path);
    // Writes all of `data`, going on after interruptions; false with errno set on failure.
    [[nodiscard]] bool writeAll(const char* data, std::size_t size);
    // Closes the file once, whatever the result; false with errno set when data may be lost.
    [[nodiscard]] bool close();

private:
    static int closeDescriptor(int fd); // the system's close: 0 on success
    int fd_ = -1;
};

} // namespace hx::platform
