#pragma once
// Unpacking of a livery archive (PKWARE ZIP) below a base folder, with progress over the whole
// archive. The whole archive is checked before the first byte is written, because a downloaded
// archive is untrusted: an entry that would land outside the base folder, a link, an encrypted
// entry, a name that Windows cannot hold, two names that Windows would take for one, entries
// whose data overlap, or sizes that would fill the disk refuse the archive as a whole. Bombs
// are judged by what they would cost (bytes, entries), never by how well they compress: a
// black light map deflates over 1000:1 and is an honest texture.

#include "platform/Errors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

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
};

struct ZipSummary {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t bytes = 0;
};

class ZipExtractor {
public:
    explicit ZipExtractor(ZipLimits limits = {}) : limits_(limits) {}

    void setMeter(ZipMeter meter) { meter_ = std::move(meter); }

    // Whether a large entry is written and checked on a second thread while the next piece is
    // inflated. It pays only with a core to spare, so by default only with four or more: on two
    // busy cores the waiting for the second thread costs more than it saves.
    void setParallelWrites(bool parallel) { parallelWrites_ = parallel; }

    // Opens `archive`, checks every entry, then extracts all entries below `baseFolder` (created
    // when missing, one level), creating the stored folders and restoring the stored paths, and
    // closes the archive. Entry names may use '/' or '\' as separators; folders that differ only
    // in letter case (as Windows compares them) are one folder. An existing file is replaced
    // whole, only once its new content is complete.
    // Throws ZipRefusal for an unsafe archive (before anything is written), ZipError for a
    // non-ZIP, damaged or truncated file, IoError when the disk lacks the space or a file
    // cannot be created or written, or memory runs out. After a failure that comes once
    // writing has begun, every file and folder that this call created is removed again.
    ZipSummary extractAll(const std::string& archive, const std::string& baseFolder);

private:
    ZipLimits limits_;
    ZipMeter meter_;
    bool parallelWrites_ = std::thread::hardware_concurrency() >= 4;
};

// Free bytes for an unprivileged user on the disk that holds `path`; UINT64_MAX when unknown.
std::uint64_t freeDiskSpace(const std::string& path);

} // namespace hx
