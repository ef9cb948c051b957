#pragma once
// Writing on POSIX descriptors, shared by the Unix files of this folder.

#include <string_view>

namespace hx::platform {

// Writes all of `bytes` to `fd`, again after short writes and interruptions (EINTR). False,
// with errno set, when a write fails.
[[nodiscard]] bool writeAll(int fd, std::string_view bytes);

} // namespace hx::platform
