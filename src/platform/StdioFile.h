#pragma once
// C stdio files by UTF-8 names, and their 64-bit positions.

#include <cstdint>
#include <cstdio>
#include <string>

namespace hx::platform {

// std::fopen for a UTF-8 path (on Windows through the wide call, so every letter is kept).
std::FILE* openStdioFile(const std::string& path, const char* mode);

// Moves to `offset` from the start, past 2 GiB too; 0 on success, otherwise errno is set.
int seekStdioFile(std::FILE* file, std::int64_t offset);

} // namespace hx::platform
