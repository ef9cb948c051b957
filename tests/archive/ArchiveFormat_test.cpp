// An archive's kind comes from its first bytes, whatever its name.

#include "archive/ArchiveFormat.h"

#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>

namespace hx {
namespace {

using namespace std::string_literals;

// A tar header block with `magic` at `at` (257 in POSIX and GNU tar), then some data.
std::string tar(const std::string& magic, std::size_t at = 257)
{
    return std::string(at, 'n') + magic + std::string(1024 - at - magic.size(), '\0');
}

TEST(ArchiveFormat, KindComesFromTheFirstBytes)
{
    const std::string zip = test::ZipMaker().file("Pkg/installerinfo.txt", "x").bytes();
    const std::string sevenZip = "7z\xBC\xAF\x27\x1C\0\4 and the rest"s;
    const struct {
        const char* file;
        std::string bytes;
        ArchiveFormat format;
    } rows[] = {
        {"a.7z", sevenZip, ArchiveFormat::SevenZip},
        {"a.zip", sevenZip, ArchiveFormat::SevenZip},
        {"v4.rar", "Rar!\x1A\x07\x00\xCF\x90"s, ArchiveFormat::Rar},
        {"v5.rar", "Rar!\x1A\x07\x01\x00\x33"s, ArchiveFormat::Rar},
        {"a.tar.gz", "\x1F\x8B\x08\0\0\0\0\0"s, ArchiveFormat::Gzip},
        {"posix.tar", tar("ustar\0"s + "00"), ArchiveFormat::Tar},
        {"gnu.tar", tar("ustar  \0"s), ArchiveFormat::Tar},
        {"a.7z", zip, ArchiveFormat::Zip},
        {"empty.zip", "PK\5\6"s + std::string(18, '\0'), ArchiveFormat::Zip},
        {"nothing.7z", "", ArchiveFormat::Unknown},
        {"short.7z", "7z\xBC\xAF\x27"s, ArchiveFormat::Unknown},
        {"cut.rar", "Rar!\x1A\x07"s, ArchiveFormat::Unknown},
        {"late.tar", tar("ustar\0"s, 258), ArchiveFormat::Unknown},
        {"cut.tar", tar("ustar\0"s).substr(0, 262), ArchiveFormat::Unknown},
        {"page.zip", "<html>Maintenance</html>", ArchiveFormat::Unknown},
    };
    test::TempDir dir;
    for (const auto& row : rows) {
        test::writeFile(dir / row.file, row.bytes);
        EXPECT_EQ(readArchiveFormat(dir / row.file), row.format) << row.file;
    }
    EXPECT_EQ(readArchiveFormat(dir / "missing.7z"), ArchiveFormat::Unknown);
}

} // namespace
} // namespace hx
