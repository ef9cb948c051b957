#pragma once
// What kind of archive a file is, told by its first bytes rather than its name: liveries are
// also published as 7-Zip, RAR or tar archives, and a file's extension is whatever its uploader
// typed. Only ZIP archives are unpacked; the other kinds are refused with a message that says
// what the file is and what to do, before anything is written.

#include "archive/ZipTypes.h"

#include <string>
#include <string_view>

namespace hx {

enum class ArchiveFormat {
    Zip,      // a local header or an empty archive's end record at the start
    SevenZip, // 37 7A BC AF 27 1C
    Rar,      // "Rar!" 1A 07 00 (RAR 4) or "Rar!" 1A 07 01 00 (RAR 5)
    Gzip,     // 1F 8B, tar.gz included
    Tar,      // "ustar" at offset 257 (POSIX and GNU headers)
    Unknown,  // anything else, a self-extracting ZIP included: the ZIP reader judges it
};

// How many leading bytes archiveFormatOf looks at.
inline constexpr std::size_t kArchiveHeadSize = 512;

// The format of a file whose first bytes are `head` (shorter when the file is).
ArchiveFormat archiveFormatOf(std::string_view head);

// The format of the file at `path` (UTF-8); Unknown when it cannot be read, so that the ZIP
// reader reports why.
ArchiveFormat readArchiveFormat(const std::string& path);

// "7-Zip archive", "RAR archive", "tar archive", "gzip file"; empty for Zip and Unknown.
std::string archiveFormatName(ArchiveFormat format);

// "<file name> is a 7-Zip archive; Hangarix unpacks ZIP archives. Unpack it into the downloads
// folder and install it from the first tab", for one of the formats with a name.
std::string otherArchiveMessage(const std::string& fileName, ArchiveFormat format);

// The file is an archive of a kind that is not unpacked; its text is otherArchiveMessage.
class OtherArchiveFormat : public ZipError {
public:
    using ZipError::ZipError;
};

// Throws OtherArchiveFormat when the file at `path` is a 7-Zip, RAR, tar or gzip file.
void refuseOtherArchiveFormats(const std::string& path);

} // namespace hx
