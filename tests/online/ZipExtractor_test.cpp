#include "online/ZipExtractor.h"

#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hx {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using test::ZipMaker;

namespace fs = std::filesystem;

std::size_t countEntries(const std::string& folder)
{
    std::size_t n = 0;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::end(it); ++it)
        ++n;
    return n;
}

TEST(ZipExtractor, RestoresStoredFoldersAndPathsAndReportsProgress)
{
    TempDir dir;
    const std::string big = test::textureLikeData(300000, 1);
    ZipMaker()
        .folder("Pkg/")
        .file("Pkg/installerinfo.txt", "[fltsim.XX]\r\nproductfolder=A\r\n")
        .file("Pkg/texture.Blue/body.bmp", big)
        .file("Pkg\\texture.Blue\\wing.bmp", "stored bytes", true)
        .file("Pkg/texture.Blue/empty.cfg", "")
        .folder("Pkg/texture.Blue/sub/")
        .folder("Other/")
        .file("top.txt", "top")
        .save(dir / "a.zip");

    std::vector<ZipProgress> reports;
    ZipExtractor extractor;
    extractor.setMeter([&](const ZipProgress& p) { reports.push_back(p); });
    const ZipSummary summary = extractor.extractAll(dir / "a.zip", dir / "out");

    EXPECT_EQ(readFile(dir / "out/Pkg/installerinfo.txt"), "[fltsim.XX]\r\nproductfolder=A\r\n");
    EXPECT_EQ(readFile(dir / "out/Pkg/texture.Blue/body.bmp"), big);
    EXPECT_EQ(readFile(dir / "out/Pkg/texture.Blue/wing.bmp"), "stored bytes");
    EXPECT_EQ(readFile(dir / "out/Pkg/texture.Blue/empty.cfg"), "");
    EXPECT_TRUE(fs::is_directory(dir / "out/Pkg/texture.Blue/sub"));
    EXPECT_TRUE(fs::is_directory(dir / "out/Other"));
    EXPECT_EQ(readFile(dir / "out/top.txt"), "top");
    EXPECT_EQ(summary.files, 5u);
    EXPECT_EQ(summary.folders, 3u);

    const std::uint64_t total = big.size() + std::string("stored bytes").size() +
                                std::string("[fltsim.XX]\r\nproductfolder=A\r\n").size() + 3;
    EXPECT_EQ(summary.bytes, total);
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front().percent, 0);
    EXPECT_EQ(reports.front().done, 0u);
    EXPECT_EQ(reports.back().percent, 100);
    EXPECT_EQ(reports.back().done, total);
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_GT(reports[i].percent, reports[i - 1].percent) << "each report is a new percent";
        EXPECT_EQ(reports[i].total, total);
    }
}

TEST(ZipExtractor, FoldersThatDifferOnlyInCaseAreOneFolder)
{
    TempDir dir;
    ZipMaker()
        .file("Pkg/Texture.A/a.bmp", "a")
        .file("PKG/texture.a/b.bmp", "b")
        .save(dir / "a.zip");
    ZipExtractor().extractAll(dir / "a.zip", dir / "out");
    EXPECT_EQ(readFile(dir / "out/Pkg/Texture.A/a.bmp"), "a");
    EXPECT_EQ(readFile(dir / "out/Pkg/Texture.A/b.bmp"), "b");
    EXPECT_EQ(countEntries(dir / "out"), 4u);
}

TEST(ZipExtractor, EmptyArchiveReportsFullProgress)
{
    TempDir dir;
    ZipMaker().save(dir / "a.zip");
    int last = -1;
    ZipExtractor extractor;
    extractor.setMeter([&](const ZipProgress& p) { last = p.percent; });
    // libzip writes no file for an archive without entries; an empty ZIP is 22 bytes.
    if (!test::exists(dir / "a.zip"))
        writeFile(dir / "a.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    EXPECT_EQ(extractor.extractAll(dir / "a.zip", dir / "out").files, 0u);
    EXPECT_EQ(last, 100);
}

TEST(ZipExtractor, UnreadableArchivesAreTheReadersError)
{
    TempDir dir;
    std::string good = ZipMaker()
                           .file("Pkg/a.bmp", test::textureLikeData(100000, 2))
                           .file("Pkg/b.bmp", test::textureLikeData(100000, 3))
                           .bytes();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"not a zip", "<html>404 Not Found</html>"},
        {"empty file", ""},
        {"first half", good.substr(0, good.size() / 2)},
        {"all but the last byte", good.substr(0, good.size() - 1)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        writeFile(dir / "bad.zip", bytes);
        try {
            ZipExtractor().extractAll(dir / "bad.zip", dir / "out");
            ADD_FAILURE() << "no error";
        } catch (const ZipRefusal& e) {
            ADD_FAILURE() << "refused instead of damaged: " << e.what();
        } catch (const ZipError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.zip"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(test::exists(dir / "out/Pkg/a.bmp"));
    }
    EXPECT_THROW(ZipExtractor().extractAll(dir / "missing.zip", dir / "out"), IoError);
}

TEST(ZipExtractor, DataThatDoesNotMatchItsHeadersIsDamage)
{
    TempDir dir;
    const std::string data = test::textureLikeData(200000, 4);
    const std::string good = ZipMaker().file("a.bmp", data).file("b.bmp", "bbb").bytes();

    struct Case {
        const char* what;
        test::ZipField field;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"declared smaller than the stream", test::ZipField::UncompressedSize, 1000},
        {"declared larger than the stream", test::ZipField::UncompressedSize, 250000},
        {"wrong CRC", test::ZipField::Crc, 0x12345678},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        test::patchZipEntry(bytes, "a.bmp", c.field, c.value);
        writeFile(dir / "bad.zip", bytes);
        fs::remove_all(dir / "out");
        std::uint64_t written = 0;
        ZipExtractor extractor;
        extractor.setMeter([&](const ZipProgress& p) { written = p.done; });
        try {
            extractor.extractAll(dir / "bad.zip", dir / "out");
            ADD_FAILURE() << "no error";
        } catch (const ZipError& e) {
            EXPECT_NE(std::string(e.what()).find("damaged: entry \"a.bmp\""), std::string::npos)
                << e.what();
        }
        EXPECT_LE(written, std::max<std::uint64_t>(c.value, data.size()));
        EXPECT_FALSE(test::exists(dir / "out/a.bmp")) << "a damaged entry leaves no file";
        EXPECT_FALSE(test::exists(dir / "out/b.bmp"));
    }
}

// Every hostile archive starts with a harmless entry: refusal must come before any writing.
TEST(ZipExtractor, HostileArchivesAreRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    std::string encrypted = ZipMaker().file("ok.txt", "ok").file("secret.bmp", "xyz").bytes();
    test::patchZipEntry(encrypted, "secret.bmp", test::ZipField::Flags, 1);
    std::string duplicate =
        ZipMaker().file("ok.txt", "ok").file("a.bmp", "1").file("b.bmp", "2").bytes();
    test::renameZipEntry(duplicate, "b.bmp", "a.bmp");

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"zip-slip", ZipMaker().file("ok.txt", "ok").file("../evil.txt", "x").bytes()},
        {"deep zip-slip",
         ZipMaker().file("ok.txt", "ok").file("a/b/../../../evil.txt", "x").bytes()},
        {"backslash slip",
         ZipMaker().file("ok.txt", "ok").file("a\\..\\..\\evil.txt", "x").bytes()},
        {"absolute",
         ZipMaker().file("ok.txt", "ok").file((dir / "evil.txt").substr(0), "x").bytes()},
        {"absolute backslash", ZipMaker().file("ok.txt", "ok").file("\\evil.txt", "x").bytes()},
        {"drive", ZipMaker().file("ok.txt", "ok").file("C:/evil.txt", "x").bytes()},
        {"drive relative", ZipMaker().file("ok.txt", "ok").file("C:evil.txt", "x").bytes()},
        {"stream name", ZipMaker().file("ok.txt", "ok").file("a.txt:stream", "x").bytes()},
        {"link", ZipMaker().file("ok.txt", "ok").link("up", dir.path()).bytes()},
        {"encrypted", encrypted},
        {"duplicate in other case",
         ZipMaker().file("ok.txt", "ok").file("Pkg/A.bmp", "1").file("pkg/a.BMP", "2").bytes()},
        {"duplicate", duplicate},
        {"file and folder",
         ZipMaker().file("ok.txt", "ok").file("a", "1").file("A/b", "2").bytes()},
        {"trailing dot", ZipMaker().file("ok.txt", "ok").file("texture./a.bmp", "1").bytes()},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(dir / "work");
        writeFile(dir / "work/hostile.zip", bytes);
        try {
            ZipExtractor().extractAll(dir / "work/hostile.zip", dir / "work/out/base");
            ADD_FAILURE() << "not refused";
        } catch (const ZipRefusal& e) {
            EXPECT_NE(std::string(e.what()).find("hostile.zip was refused"), std::string::npos)
                << e.what();
        }
        EXPECT_FALSE(test::exists(dir / "work/out")) << "nothing may be created";
        EXPECT_FALSE(test::exists(dir / "evil.txt"));
        EXPECT_FALSE(test::exists(dir / "work/evil.txt"));
    }
}

TEST(ZipExtractor, BudgetsRefuseBombsAndOversizedArchives)
{
    TempDir dir;
    ZipMaker()
        .file("ok.txt", "ok")
        .file("bomb.bmp", std::string(20u << 20, '\0'))
        .save(dir / "bomb.zip");
    try {
        ZipExtractor().extractAll(dir / "bomb.zip", dir / "out");
        ADD_FAILURE() << "bomb not refused";
    } catch (const ZipRefusal& e) {
        EXPECT_NE(std::string(e.what()).find("bomb.bmp"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(test::exists(dir / "out"));

    ZipMaker()
        .file("a.bmp", test::textureLikeData(60000, 5))
        .file("b.bmp", test::textureLikeData(60000, 6))
        .file("c.bmp", "c")
        .save(dir / "three.zip");
    ZipLimits total;
    total.maxTotalSize = 100000;
    EXPECT_THROW(ZipExtractor(total).extractAll(dir / "three.zip", dir / "out"), ZipRefusal);
    ZipLimits entries;
    entries.maxEntries = 2;
    EXPECT_THROW(ZipExtractor(entries).extractAll(dir / "three.zip", dir / "out"), ZipRefusal);
    EXPECT_FALSE(test::exists(dir / "out"));

    // Within the budgets the same archive unpacks.
    total.maxTotalSize = 120001;
    EXPECT_EQ(ZipExtractor(total).extractAll(dir / "three.zip", dir / "out").files, 3u);
}

TEST(ZipExtractor, NeverWritesThroughALinkFoundInTheBaseFolder)
{
    TempDir dir;
    writeFile(dir / "outside/victim.txt", "precious");
    fs::create_directories(dir / "out");
    fs::create_symlink(dir / "outside/victim.txt", dir / "out/a.txt");
    fs::create_directory_symlink(dir / "outside", dir / "out/sub");
    ZipMaker().file("a.txt", "overwritten").save(dir / "one.zip");
    ZipMaker().file("sub/victim.txt", "overwritten").save(dir / "two.zip");

    EXPECT_THROW(ZipExtractor().extractAll(dir / "one.zip", dir / "out"), IoError);
    EXPECT_THROW(ZipExtractor().extractAll(dir / "two.zip", dir / "out"), IoError);
    EXPECT_EQ(readFile(dir / "outside/victim.txt"), "precious");
}

} // namespace
} // namespace hx
