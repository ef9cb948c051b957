#pragma once
// The uncompressed data of one archive entry, read up to its declared size and checked whole at
// the end (no more data than declared, the CRC right). Deflate and stored entries, nearly every
// livery, are inflated here with zlib from the raw bytes that libzip hands out, so the CRC can
// be computed by the caller, on the thread that writes; libzip decodes the other methods and
// checks their CRC itself.

#include "archive/ZipPlan.h"

#include <zip.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hx {

// libzip's text for one of its error codes.
std::string libzipMessage(int code);

class ZipEntryReader {
public:
    // Throws ZipError (damaged) or IoError (out of memory) when the entry cannot be opened.
    ZipEntryReader(zip_t* archive, const PlannedEntry& entry, const std::string& archiveName);
    ~ZipEntryReader();
    ZipEntryReader(const ZipEntryReader&) = delete;
    ZipEntryReader& operator=(const ZipEntryReader&) = delete;

    // Fills `buffer` with up to `size` bytes, never more than `remaining` (of the declared
    // size); fewer only when `remaining` is smaller. Throws ZipError when the data is damaged
    // or ends before the declared size.
    std::size_t read(char* buffer, std::size_t size, std::uint64_t remaining);

    // True when the caller computes the CRC of what read() gave and passes it to finish().
    bool callerChecksCrc() const { return inflater_ != nullptr || stored_; }

    // After the declared size: the entry must end there and its CRC match.
    void finish(std::uint32_t crc);

private:
    struct Inflater;
    [[noreturn]] void fail(const std::string& what, int code) const;
    std::size_t readRaw(char* buffer, std::size_t size);
    std::size_t inflate(char* buffer, std::size_t size);

    const PlannedEntry& entry_;
    const std::string& archiveName_;
    zip_file_t* file_ = nullptr;
    bool stored_ = false;
    std::uint32_t expectedCrc_ = 0;
    std::unique_ptr<Inflater> inflater_;
};

} // namespace hx
