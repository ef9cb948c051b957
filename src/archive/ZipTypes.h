#pragma once
// What every part of the archive code shares: its errors, the budgets an archive must keep and
// the progress and summary of an unpacking. Includes nothing of the archive code itself.

#include "platform/Errors.h"

#include <cstdint>
#include <functional>
#include <string>

namespace hx {

// The reader's own error: the file is not a ZIP archive, or it is damaged or truncated (an
// entry's data does not match its declared size or CRC).
class ZipError : public Error {
public:
    using Error::Error;
};

// The archive is readable but unsafe to unpack; nothing was extracted.
class ZipRefusal : public ZipError {
public:
    using ZipError::ZipError;
};

// Progress over the whole archive: uncompressed bytes written of all entries' declared total.
struct ZipProgress {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    int percent = 0; // 0..100
};

// Called at the start and each time the percentage changes.
using ZipMeter = std::function<void(const ZipProgress&)>;

// Budgets that an archive must keep to be unpacked.
struct ZipLimits {
    std::uint64_t maxEntries = 100000;
    // Sum of the entries' declared sizes.
    std::uint64_t maxTotalSize = std::uint64_t{8} << 30;
    // The sum must also fit in the free space of the disk that holds the base folder.
    bool checkFreeSpace = true;
    // Bytes of the central directory, read whole before any entry is looked at.
    std::uint64_t maxDirectorySize = std::uint64_t{64} << 20;
    // The largest Deflate entry (uncompressed and compressed) inflated in one call, its data and
    // its output held in memory whole; larger ones stream. 65 MiB holds a 4096 x 4096 texture
    // at 32 bits with its header, the largest the simulators load, so nearly every file of a
    // livery goes the faster way, while an unpacking never holds more than twice this.
    std::uint64_t maxWholeEntry = std::uint64_t{65} << 20;
};

struct ZipSummary {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t bytes = 0;
};

// Free bytes for an unprivileged user on the disk that holds `path`; UINT64_MAX when unknown.
std::uint64_t freeDiskSpace(const std::string& path);

// The archive's name for messages: the last part of its path, after either separator.
inline std::string fileNameOf(const std::string& path)
{
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace hx
