#include "archive/ZipExtractor.h"

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <functional>
#include <random>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>
#endif

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
        {"compressed size cut short", test::ZipField::CompressedSize, 1000},
    };
    // Each case inflated whole and streamed (no entry is small enough to go whole).
    for (const Case& c : cases)
        for (const std::uint64_t wholeLimit : {std::uint64_t{65} << 20, std::uint64_t{0}}) {
            SCOPED_TRACE(std::string(c.what) + (wholeLimit ? ", whole" : ", streamed"));
            std::string bytes = good;
            test::patchZipEntry(bytes, "a.bmp", c.field, c.value);
            writeFile(dir / "bad.zip", bytes);
            fs::remove_all(dir / "out");
            std::uint64_t written = 0;
            ZipLimits limits;
            limits.maxWholeEntry = wholeLimit;
            ZipExtractor extractor(limits);
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
    // Declared sizes are what a bomb costs: three entries of 4 GiB each pass the 8 GiB ceiling.
    std::string bomb = ZipMaker()
                           .file("ok.txt", "ok")
                           .file("a.bmp", "a")
                           .file("b.bmp", "b")
                           .file("c.bmp", "c")
                           .bytes();
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        test::patchZipEntry(bomb, name, test::ZipField::UncompressedSize, 0xF0000000u);
    writeFile(dir / "bomb.zip", bomb);
    try {
        ZipExtractor().extractAll(dir / "bomb.zip", dir / "out");
        ADD_FAILURE() << "bomb not refused";
    } catch (const ZipRefusal& e) {
        EXPECT_NE(std::string(e.what()).find("c.bmp"), std::string::npos) << e.what();
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
    std::error_code noLinks;
    fs::create_symlink(dir / "outside/victim.txt", dir / "out/a.txt", noLinks);
    if (noLinks)
        GTEST_SKIP() << "symbolic links cannot be made here: " << noLinks.message();
    fs::create_directory_symlink(dir / "outside", dir / "out/sub");
    ZipMaker().file("a.txt", "overwritten").save(dir / "one.zip");
    ZipMaker().file("sub/victim.txt", "overwritten").save(dir / "two.zip");

    EXPECT_THROW(ZipExtractor().extractAll(dir / "one.zip", dir / "out"), IoError);
    EXPECT_THROW(ZipExtractor().extractAll(dir / "two.zip", dir / "out"), IoError);
    EXPECT_EQ(readFile(dir / "outside/victim.txt"), "precious");
}

// A night light map: a 1024x1024 32-bit BMP, almost all black.
std::string blackBitmap()
{
    std::string bmp(54 + 1024 * 1024 * 4, '\0');
    bmp.replace(0, 2, "BM");
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[28] = 32;
    bmp[54 + 4 * 1000] = '\x10'; // one lit pixel
    return bmp;
}

// Refusal of a whole archive before anything is written: the message names the archive and
// `fragment` (the entry, the reason); the output folder is never created.
void expectRefused(const std::string& bytes, const std::string& fragment,
                   const ZipLimits& limits = {})
{
    TempDir dir;
    writeFile(dir / "hostile.zip", bytes);
    try {
        ZipExtractor(limits).extractAll(dir / "hostile.zip", dir / "out/base");
        ADD_FAILURE() << "not refused";
    } catch (const ZipRefusal& e) {

        const std::string what = e.what();
        EXPECT_NE(what.find("The archive hostile.zip was refused"), std::string::npos) << what;
        EXPECT_NE(what.find(fragment), std::string::npos) << what;
        EXPECT_EQ(what.find('\n'), std::string::npos) << "one line: " << what;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not refused: " << e.what();
    }
    EXPECT_FALSE(test::exists(dir / "out"));
}

// Around the whole-entry limit each entry goes whole or streams, by its uncompressed and its
// compressed size; either way it unpacks byte-identical. Random bytes compress to slightly more
// than their size, so "stored in deflate" entries cross the limit by their compressed size.
TEST(ZipExtractor, EntriesAroundTheWholeEntryLimitUnpackByteIdentical)
{
    const std::string texture = test::textureLikeData(100000, 7);
    std::mt19937 random(7);
    std::string noise(100000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    struct Row {
        const char* what;
        const std::string& data;
        std::uint64_t limit;
    };
    const Row rows[] = {
        {"well under the limit", texture, 1u << 20},
        {"exactly at the limit", texture, texture.size()},
        {"one byte over", texture, texture.size() - 1},
        {"incompressible, at its size", noise, noise.size()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        ZipMaker().file("Pkg/a.bmp", row.data).file("Pkg/b.bmp", "b").save(dir / "a.zip");
        ZipLimits limits;
        limits.maxWholeEntry = row.limit;
        const ZipSummary summary = ZipExtractor(limits).extractAll(dir / "a.zip", dir / "out");
        EXPECT_EQ(summary.files, 2u);
        EXPECT_TRUE(readFile(dir / "out/Pkg/a.bmp") == row.data);
        EXPECT_EQ(readFile(dir / "out/Pkg/b.bmp"), "b");
    }
}

TEST(ZipExtractor, HonestArchivesOfAnyRatioUnpackByteIdentical)
{
    const std::string black = blackBitmap();
    struct Case {
        const char* what;
        int method;
        bool parallel;
    };
    const Case cases[] = {
        {"deflate, over 1000:1", ZIP_CM_DEFLATE, false},
        {"deflate streamed, written on a second thread", ZIP_CM_DEFLATE, true},
        {"bzip2, far over 1000:1", ZIP_CM_BZIP2, false},
        {"stored", ZIP_CM_STORE, false},
        {"stored, written on a second thread", ZIP_CM_STORE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ZipMaker()
            .file("Pkg/installerinfo.txt", "[fltsim.XX]\r\n")
            .compressed("Pkg/texture.Night/light_L.bmp", black, c.method)
            .compressed("Pkg/texture.Night/zeros.bin", std::string(3u << 20, '\0'), c.method)
            .save(dir / "night.zip");
        // The second thread serves streamed entries only: those cases stream every entry.
        ZipLimits limits;
        if (c.parallel)
            limits.maxWholeEntry = 0;
        ZipExtractor extractor(limits);
        extractor.setParallelWrites(c.parallel);
        const ZipSummary summary = extractor.extractAll(dir / "night.zip", dir / "out");
        EXPECT_EQ(summary.files, 3u);
        EXPECT_TRUE(readFile(dir / "out/Pkg/texture.Night/light_L.bmp") == black);
        EXPECT_EQ(fs::file_size(dir / "out/Pkg/texture.Night/zeros.bin"), 3u << 20);
    }
}

TEST(ZipExtractor, OverlappingEntriesAreRefused)
{
    const std::string good = ZipMaker()
                                 .file("a.bmp", test::textureLikeData(50000, 7))
                                 .file("b.bmp", test::textureLikeData(50000, 8))
                                 .file("c.bmp", "c", true)
                                 .bytes();
    std::string same = good;
    test::patchZipEntry(same, "b.bmp", test::ZipField::LocalHeaderOffset, 0);
    std::string nested = good;
    test::patchZipEntry(nested, "a.bmp", test::ZipField::CompressedSize,
                        test::localHeaderOffset(good, "b.bmp") + 10);
    std::string intoDirectory = good;
    test::patchZipEntry(intoDirectory, "c.bmp", test::ZipField::CompressedSize, 60);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {test::sharedDataZip(1000, std::string(4096, 'x')), "overlaps the entry \"f"},
        {same, "its entry \"b.bmp\" overlaps the entry \"a.bmp\""},
        {nested, "its entry \"b.bmp\" overlaps the entry \"a.bmp\""},
        {intoDirectory, "its entry \"c.bmp\" overlaps the central directory"},
    };
    for (const auto& [bytes, fragment] : cases) {
        SCOPED_TRACE(fragment);
        expectRefused(bytes, fragment);
    }
}

TEST(ZipExtractor, CountsAndSizesAreTheBudgets)
{
    const std::string three = ZipMaker()
                                  .file("a.bmp", test::textureLikeData(60000, 5))
                                  .file("b.bmp", test::textureLikeData(60000, 6))
                                  .file("c.bmp", "c")
                                  .bytes();
    ZipLimits total;
    total.maxTotalSize = 100000;
    ZipLimits entries;
    entries.maxEntries = 2;
    ZipLimits directory;
    directory.maxDirectorySize = 100;
    const std::vector<std::tuple<const char*, ZipLimits, std::string>> cases = {
        {"total", total, "its entry \"b.bmp\" brings the unpacked size over the 100000 bytes"},
        {"entries", entries, "it holds 3 entries, more than the 2 allowed"},
        {"directory", directory, "its directory takes"},
    };
    for (const auto& [what, limits, fragment] : cases) {
        SCOPED_TRACE(what);
        expectRefused(three, fragment, limits);
    }
}

TEST(ZipExtractor, NamesWindowsCannotHoldAreRefused)
{
    const std::string longPart(256, 'n');
    std::string deep;
    while (deep.size() < 4100)
        deep += "d/";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Pkg/a*b.bmp", "\"a*b.bmp\" holds one of"},
        {"Pkg/a?.bmp", "\"a?.bmp\" holds one of"},
        {"a|b.bmp", "holds one of"},
        {"a<b.bmp", "holds one of"},
        {"a>b.bmp", "holds one of"},
        {"a\"b.bmp", "holds one of"},
        {"bad\x01name.bmp", "\"bad\\x01name.bmp\" holds a control character"},
        {"two\nlines.bmp", "its entry \"two\\nlines.bmp\""},
        {"CON", "\"CON\" is a device name on Windows"},
        {"Pkg/con.txt", "\"con.txt\" is a device name"},
        {"nul.tar.gz", "is a device name"},
        {"COM1.dds", "is a device name"},
        {"lpt9/a.bmp", "\"lpt9\" is a device name"},
        {"aux .bmp", "is a device name"},
        {"texture./a.bmp", "ends in a dot or a space"},
        {"Pkg/" + longPart, "is longer than 255 bytes"},
        {deep + "a.bmp", "has too long a path"},
    };
    for (const auto& [name, fragment] : cases) {
        SCOPED_TRACE(name.substr(0, 40));
        expectRefused(ZipMaker().file("ok.txt", "ok").file(name, "x").bytes(), fragment);
    }
}

TEST(ZipExtractor, NamesThatWindowsTakesForOneAreRefused)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"Pkg/\xC3\x89t\xC3\xA9.bmp", "Pkg/\xC3\xA9t\xC3\xA9.bmp", "the same name as the entry"},
        {"\xCE\xA3\xCE\xB1/a.bmp", "\xCF\x83\xCE\x91/b.bmp", ""},
        {"Pkg/\xC3\x89t\xC3\xA9", "pkg/\xC3\xA9T\xC3\x89/a.bmp", "is a file and a folder at once"},
    };
    for (const auto& [first, second, fragment] : cases) {
        SCOPED_TRACE(first + " / " + second);
        const std::string bytes = ZipMaker().file(first, "1").file(second, "2").bytes();
        if (fragment.empty()) { // folders of one name are one folder, as on Windows
            TempDir dir;
            writeFile(dir / "a.zip", bytes);
            ZipExtractor().extractAll(dir / "a.zip", dir / "out");
            EXPECT_EQ(countEntries(dir / "out"), 3u);
            continue;
        }
        expectRefused(bytes, fragment);
    }
}

TEST(ZipExtractor, DeepNamesAreRefusedInLittleMemory)
{
    std::string deep;
    while (deep.size() < 64000)
        deep += "d/";
    ZipMaker maker;
    for (int i = 0; i < 3; ++i)
        maker.file(deep + "f" + std::to_string(i), "x");
    const std::string bytes = maker.bytes();
#ifdef _WIN32
    expectRefused(bytes, "has too long a path"); // the memory it takes is measured on POSIX
#else
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    expectRefused(bytes, "has too long a path");
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes";
#endif

    // Deep but within the limits (Windows allows 259 characters for a whole path): unpacked.
#ifdef _WIN32
    constexpr std::size_t kDeep = 150;
#else
    constexpr std::size_t kDeep = 1500;
#endif
    std::string ok;
    while (ok.size() < kDeep)
        ok += "d/";
    TempDir dir;
    ZipMaker().file(ok + "a.bmp", "a").file(ok + "b.bmp", "b").save(dir / "a.zip");
    EXPECT_EQ(ZipExtractor().extractAll(dir / "a.zip", dir / "out").files, 2u);
    EXPECT_EQ(readFile(dir / "out" + std::string("/") + ok + "b.bmp"), "b");
}

TEST(ZipExtractor, UnsupportedMethodsAreNamed)
{
    const std::string good = ZipMaker().file("ok.txt", "ok").file("a.bmp", "aaaa").bytes();
    const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>> cases = {
        {9, 0, "its entry \"a.bmp\" uses the compression method Deflate64"},
        {98, 0, "its entry \"a.bmp\" uses the compression method PPMd"},
        {14, 0, "its entry \"a.bmp\" uses the compression method LZMA"},
        {99, 1, "its entry \"a.bmp\" uses AES encryption"},
        {8, 1, "its entry \"a.bmp\" is encrypted"},
    };
    for (const auto& [method, flags, fragment] : cases) {
        SCOPED_TRACE(fragment);
        if (flags == 0 && zip_compression_method_supported(static_cast<zip_int32_t>(method), 0))
            continue; // this libzip reads it
        std::string bytes = good;
        test::patchZipEntry(bytes, "a.bmp", test::ZipField::Method, method);
        test::patchZipEntry(bytes, "a.bmp", test::ZipField::Flags, flags);
        expectRefused(bytes, fragment);
    }
}

// A write that fails once writing has begun takes away what this extraction created, and only
// that, and says in words what failed and where.
TEST(ZipExtractor, FailedWritesLeaveNoPartialTree)
{
#ifdef _WIN32
    HX_SKIP_ON_WINDOWS("no per-process file size limit to make a write fail part way");
#else
    const std::string big = test::textureLikeData(400000, 9);
    const std::string archive = ZipMaker()
                                    .file("Pkg/installerinfo.txt", "info")
                                    .file("Pkg/texture.A/a.bmp", "a")
                                    .file("kept.txt", "new")
                                    .file("Pkg/texture.B/big.bmp", big)
                                    .file("Blocked/c.bmp", "c")
                                    .bytes();
    struct Case {
        const char* what;
        std::function<void(const std::string& out)> before;
        rlim_t fileSizeLimit;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"file too large", [](const std::string&) {}, 100000, "big.bmp: the file is larger than"},
        {"folder blocked by a file",
         [](const std::string& out) { writeFile(out + "/Blocked", "mine"); }, RLIM_INFINITY,
         "Blocked: something else is in its place"},
        {"existing file replaced whole",
         [](const std::string& out) { writeFile(out + "/kept.txt", "old"); }, 100000, "big.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir / "a.zip", archive);
        fs::create_directories(dir / "out");
        c.before(dir / "out");
        const std::size_t existing = countEntries(dir / "out");
        try {
            test::FileSizeLimit limit(c.fileSizeLimit);
            ZipExtractor().extractAll(dir / "a.zip", dir / "out");
            ADD_FAILURE() << "no error";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
        EXPECT_EQ(countEntries(dir / "out"), existing) << "only what was there before";
        if (test::exists(dir / "out/kept.txt")) {
            EXPECT_EQ(readFile(dir / "out/kept.txt"), "new") << "replaced whole or not at all";
        }
    }
#endif
}

} // namespace
} // namespace hx
