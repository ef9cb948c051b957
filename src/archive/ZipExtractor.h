#pragma once
// Unpacking of a livery archive (PKWARE ZIP) below a base folder, with progress over the whole
// archive. The whole archive is checked before the first byte is written, because a downloaded
// archive is untrusted: an entry that would land outside the base folder, a link, an encrypted
// entry, a name that Windows cannot hold, two names that Windows would take for one, entries
// whose data overlap, or sizes that would fill the disk refuse the archive as a whole. Bombs
// are judged by what they would cost (bytes, entries), never by how well they compress: a
// black light map deflates over 1000:1 and is an honest texture.

#include "archive/ZipTypes.h"

#include <string>
#include <thread>

namespace hx {

class ZipExtractor {
public:
    explicit ZipExtractor(ZipLimits limits = {}) : limits_(limits) {}

    void setMeter(ZipMeter meter) { meter_ = std::move(meter); }

    // Whether an entry too large to inflate whole is written and checked on a second thread
    // while the next piece is inflated. On by default with a second core: on two cores it takes
    // a 300 MiB entry from 0.81 s to 0.68 s (the unpacking benchmark), and entries inflated
    // whole never use it.
    void setParallelWrites(bool parallel) { parallelWrites_ = parallel; }

    // Opens `archive`, checks every entry, then extracts all entries below `baseFolder` (created
    // when missing, one level), creating the stored folders and restoring the stored paths, and
    // closes the archive. Entry names may use '/' or '\' as separators; folders that differ only
    // in letter case (as Windows compares them) are one folder. An existing file is replaced
    // whole, only once its new content is complete.
    // Throws OtherArchiveFormat for a 7-Zip, RAR, tar or gzip file and ZipRefusal for an unsafe
    // archive (both before anything is written), ZipError for a damaged or truncated file or
    // one of no known kind, IoError when the disk lacks the space or a file cannot be created
    // or written, or memory runs out. After a failure that comes once writing has begun, every
    // file and folder that this call created is removed again.
    ZipSummary extractAll(const std::string& archive, const std::string& baseFolder);

private:
    ZipLimits limits_;
    ZipMeter meter_;
    bool parallelWrites_ = std::thread::hardware_concurrency() >= 2;
};

} // namespace hx
