#pragma once
// The uncompressed data of one archive entry, read up to its declared size and checked whole at
// the end (no more data than declared, the CRC right). Deflate and stored entries, nearly every
// livery, are inflated here from the raw bytes that libzip hands out, so the CRC can be computed
// by the caller, on the thread that writes; libzip decodes the other methods and checks their
// CRC itself. A Deflate entry of bounded size is inflated in one call by libdeflate, which is
// about twice as fast as zlib's streaming inflater; a larger one streams (StreamInflater.h).

#include "archive/ZipPlan.h"

#include <zip.h>

struct libdeflate_decompressor;

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hx {

// libzip's text for one of its error codes.
std::string libzipMessage(int code);

// CRC-32 as ZIP stores it, continued from `crc` (0 to start).
std::uint32_t zipCrc32(std::uint32_t crc, const char* data, std::size_t size);

// One libdeflate decompressor for the entries of an unpacking (not shared between threads).
class WholeInflater {
public:
    WholeInflater();
    ~WholeInflater();
    WholeInflater(const WholeInflater&) = delete;
    WholeInflater& operator=(const WholeInflater&) = delete;
    libdeflate_decompressor* get() const { return decompressor_; }

private:
    libdeflate_decompressor* decompressor_;
};

class ZipEntryReader {
public:
    // Throws ZipError (damaged) or IoError (out of memory) when the entry cannot be opened.
    // `wholeLimit`: the largest Deflate entry (both sizes) that readWhole inflates.
    ZipEntryReader(zip_t* archive, const PlannedEntry& entry, const std::string& archiveName,
                   std::uint64_t wholeLimit);
    ~ZipEntryReader();
    ZipEntryReader(const ZipEntryReader&) = delete;
    ZipEntryReader& operator=(const ZipEntryReader&) = delete;

    // Fills `buffer` with up to `size` bytes, never more than `remaining` (of the declared
    // size); fewer only when `remaining` is smaller. Throws ZipError when the data is damaged
    // or ends before the declared size.
    std::size_t read(char* buffer, std::size_t size, std::uint64_t remaining);

    // True when the caller computes the CRC of what read() gave and passes it to finish().
    bool callerChecksCrc() const { return inflater_ != nullptr || stored_; }

    // Whether readWhole serves this entry: Deflate, both sizes within the whole limit.
    bool readsWhole() const { return whole_; }
    // The whole entry inflated into `out` (grown to the declared size when smaller; never
    // shrunk, so that it is reused) from its compressed data read into `input` (the same), then
    // checked as finish() checks: exactly the declared size, the right CRC. Throws ZipError when
    // the data is damaged, IoError when memory runs out.
    void readWhole(WholeInflater& inflater, std::vector<char>& input, std::vector<char>& out);

    // After the declared size: the entry must end there and its CRC match.
    void finish(std::uint32_t crc);

private:
    struct Inflater;
    [[noreturn]] void fail(const std::string& what, int code) const;
    std::size_t readRaw(char* buffer, std::size_t size);
    std::size_t inflate(char* buffer, std::size_t size);
    void close();

    const PlannedEntry& entry_;
    const std::string& archiveName_;
    zip_file_t* file_ = nullptr;
    bool stored_ = false;
    std::uint32_t expectedCrc_ = 0;
    std::uint64_t compressedSize_ = 0;
    bool whole_ = false;
    std::unique_ptr<Inflater> inflater_;
};

} // namespace hx
