#pragma once
// The central directory of a ZIP archive as it stands in the file, read by the tool itself and
// not through libzip, because the checks against hostile archives need what libzip keeps to
// itself: where each entry's local header lies, and how many bytes the directory takes before
// anything is allocated for it.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace hx {

struct ZipRecord {
    std::uint64_t localOffset = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::string rawName;
};

struct ZipDirectory {
    std::uint64_t offset = 0; // where the central directory starts
    std::uint64_t size = 0;
    std::vector<ZipRecord> records; // in directory order, as libzip indexes them
};

// Why a directory cannot be read, or is refused, raised by readZipDirectory.
struct ZipDirectoryProblem {
    enum Kind { Damaged, TooLarge } kind;
    std::string text;
};

// Reads the end record (ZIP64 too) and the whole central directory of `file`. Throws
// ZipDirectoryProblem: Damaged when the file is no ZIP archive or its directory does not hold
// together, TooLarge when the directory would take more than `maxBytes` or more than
// `maxEntries` records.
ZipDirectory readZipDirectory(std::ifstream& file, std::uint64_t maxBytes,
                              std::uint64_t maxEntries);

// One entry's bytes in the file: its local header through its compressed data.
struct ZipSpan {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::size_t index = 0; // of the record
};

// The spans of all records, read from their local headers and sorted by where they begin.
// Throws ZipDirectoryProblem (Damaged) for a local header that is missing or runs past the end
// of the file.
std::vector<ZipSpan> readZipSpans(std::ifstream& file, const ZipDirectory& directory);

} // namespace hx
