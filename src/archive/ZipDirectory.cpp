#include "archive/ZipDirectory.h"

#include <algorithm>

namespace hx {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;

std::uint64_t readLe(const char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

[[noreturn]] void damaged(std::string text)
{
    throw ZipDirectoryProblem{ZipDirectoryProblem::Damaged, std::move(text)};
}

std::string readAt(std::ifstream& file, std::uint64_t offset, std::size_t length)
{
    std::string bytes(length, '\0');
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file.read(bytes.data(), static_cast<std::streamsize>(length)))
        damaged("it ends before the end of a record");
    return bytes;
}

std::uint64_t fileSizeOf(std::ifstream& file)
{
    file.clear();
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0)
        damaged("its size cannot be read");
    return static_cast<std::uint64_t>(size);
}

// The end record that lies last in the file and whose comment reaches the file's end, as a
// reader that searches from the end finds it; failing that, the last one that fits, since some
// tools leave bytes after the comment.
std::uint64_t findEndRecord(std::ifstream& file, std::uint64_t fileSize)
{
    if (fileSize < kEndSize)
        damaged("it is too short for a ZIP archive");
    const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment);
    const std::string tail = readAt(file, fileSize - tailSize, static_cast<std::size_t>(tailSize));
    std::size_t fits = tail.size();
    for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (readLe(&tail[at], 4) != kEndSignature)
            continue;
        if (at + kEndSize + readLe(&tail[at + 20], 2) == tail.size())
            return fileSize - tailSize + at;
        if (fits == tail.size())
            fits = at;
    }
    if (fits == tail.size())
        damaged("it has no end of central directory record");
    return fileSize - tailSize + fits;
}

// The ZIP64 end record, when its locator stands before the end record; without one the 32-bit
// values stand (an archive may hold exactly 65,535 entries).
void readZip64End(std::ifstream& file, std::uint64_t endAt, ZipDirectory& dir,
                  std::uint64_t& entries)
{
    if (endAt < 20)
        return;
    const std::string locator = readAt(file, endAt - 20, 20);
    if (readLe(locator.data(), 4) != kZip64LocatorSignature)
        return;
    const std::string end = readAt(file, readLe(&locator[8], 8), 56);
    if (readLe(end.data(), 4) != kZip64EndSignature)
        damaged("its ZIP64 end record is missing");
    entries = readLe(&end[32], 8);
    dir.size = readLe(&end[40], 8);
    dir.offset = readLe(&end[48], 8);
}

// Sizes and offset that did not fit 32 bits are in the ZIP64 extra field, in this order.
void applyZip64Extra(const char* extra, std::size_t length, ZipRecord& record)
{
    for (std::size_t at = 0; at + 4 <= length;) {
        const auto id = readLe(extra + at, 2);
        const std::size_t size = readLe(extra + at + 2, 2);
        if (at + 4 + size > length)
            damaged("an extra field of its directory runs past its record");
        if (id == 0x0001) {
            std::size_t field = at + 4;
            for (std::uint64_t* value :
                 {&record.size, &record.compressedSize, &record.localOffset}) {
                if (*value != 0xFFFFFFFFu)
                    continue;
                if (field + 8 > at + 4 + size)
                    damaged("a ZIP64 extra field of its directory is too short");
                *value = readLe(extra + field, 8);
                field += 8;
            }
        }
        at += 4 + size;
    }
}

ZipRecord parseRecord(const std::string& cd, std::size_t& at)
{
    if (at + kCentralSize > cd.size() || readLe(&cd[at], 4) != kCentralSignature)
        damaged("a record of its central directory is damaged");
    const char* p = &cd[at];
    ZipRecord record;
    record.flags = static_cast<std::uint16_t>(readLe(p + 8, 2));
    record.method = static_cast<std::uint16_t>(readLe(p + 10, 2));
    record.compressedSize = readLe(p + 20, 4);
    record.size = readLe(p + 24, 4);
    record.localOffset = readLe(p + 42, 4);
    const std::size_t nameLength = readLe(p + 28, 2);
    const std::size_t extraLength = readLe(p + 30, 2);
    const std::size_t total = kCentralSize + nameLength + extraLength + readLe(p + 32, 2);
    if (at + total > cd.size())
        damaged("a record of its central directory runs past the directory");
    record.rawName.assign(p + kCentralSize, nameLength);
    applyZip64Extra(p + kCentralSize + nameLength, extraLength, record);
    at += total;
    return record;
}

} // namespace

ZipDirectory readZipDirectory(std::ifstream& file, std::uint64_t maxBytes, std::uint64_t maxEntries)
{
    const std::uint64_t fileSize = fileSizeOf(file);
    const std::uint64_t endAt = findEndRecord(file, fileSize);
    const std::string end = readAt(file, endAt, kEndSize);
    ZipDirectory dir;
    std::uint64_t entries = readLe(&end[10], 2);
    dir.size = readLe(&end[12], 4);
    dir.offset = readLe(&end[16], 4);
    if (entries == 0xFFFF || dir.size == 0xFFFFFFFFu || dir.offset == 0xFFFFFFFFu)
        readZip64End(file, endAt, dir, entries);
    if (dir.offset > endAt || dir.size > endAt - dir.offset)
        damaged("its central directory lies outside the file");
    if (entries > maxEntries)
        throw ZipDirectoryProblem{ZipDirectoryProblem::TooLarge,
                                  "it holds " + std::to_string(entries) +
                                      " entries, more than the " + std::to_string(maxEntries) +
                                      " allowed"};
    if (dir.size > maxBytes)
        throw ZipDirectoryProblem{ZipDirectoryProblem::TooLarge,
                                  "its directory takes " + std::to_string(dir.size) +
                                      " bytes, more than the " + std::to_string(maxBytes) +
                                      " allowed"};
    const std::string cd = readAt(file, dir.offset, static_cast<std::size_t>(dir.size));
    dir.records.reserve(static_cast<std::size_t>(entries));
    for (std::size_t at = 0; dir.records.size() < entries;)
        dir.records.push_back(parseRecord(cd, at));
    return dir;
}

std::vector<ZipSpan> readZipSpans(std::ifstream& file, const ZipDirectory& directory)
{
    std::vector<ZipSpan> spans(directory.records.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        spans[i].index = i;
        spans[i].begin = directory.records[i].localOffset;
    }
    // In file order, so the local headers are read front to back.
    std::sort(spans.begin(), spans.end(),
              [](const ZipSpan& a, const ZipSpan& b) { return a.begin < b.begin; });
    const std::uint64_t fileSize = fileSizeOf(file);
    for (ZipSpan& span : spans) {
        const ZipRecord& record = directory.records[span.index];
        if (span.begin > fileSize || fileSize - span.begin < kLocalSize)
            damaged("a local header lies outside the file");
        const std::string header = readAt(file, span.begin, kLocalSize);
        if (readLe(header.data(), 4) != kLocalSignature)
            damaged("a local header is missing where its directory points");
        const std::uint64_t dataAt =
            span.begin + kLocalSize + readLe(&header[26], 2) + readLe(&header[28], 2);
        if (record.compressedSize > fileSize || dataAt > fileSize - record.compressedSize)
            damaged("an entry's data runs past the end of the file");
        span.end = dataAt + record.compressedSize;
    }
    return spans;
}

} // namespace hx
