// hangarix-cli unpack and download end to end: the real executable, a catalogue and archives
// served on 127.0.0.1, a simulator folder on disk.

#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace hx {
namespace {

using test::readFile;
using test::shellQuote;
using test::writeFile;
using test::ZipMaker;

namespace fs = std::filesystem;

std::string information(const std::string& title)
{
    return "[fltsim.XX]\r\ntitle=" + title + "\r\nui_variation=" + title +
           "\r\nproductfolder=B738\r\n";
}

TEST(CliUnpack, ExtractsGoodArchivesAndRefusesBadOnesWithExitTwo)
{
    test::TempDir dir;
    ZipMaker()
        .file("Pkg/installerinfo.txt", information("A"))
        .file("Pkg/texture.A/a.bmp", "a")
        .save(dir / "good.zip");
    ZipMaker().file("ok.txt", "ok").file("../escape.txt", "x").save(dir / "slip.zip");
    writeFile(dir / "junk.zip", "not an archive");

    const auto good =
        test::runCli("unpack " + shellQuote(dir / "good.zip") + " " + shellQuote(dir / "out"));
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(good.out,
              "2 files, 0 folders, " + std::to_string(information("A").size() + 1) + " bytes\n");
    EXPECT_EQ(readFile(dir / "out/Pkg/texture.A/a.bmp"), "a");

    const auto slip =
        test::runCli("unpack " + shellQuote(dir / "slip.zip") + " " + shellQuote(dir / "out2"));
    EXPECT_EQ(slip.exitCode, 2);
    EXPECT_NE(slip.err.find("slip.zip was refused"), std::string::npos) << slip.err;
    EXPECT_FALSE(test::exists(dir / "out2"));
    EXPECT_FALSE(test::exists(dir / "escape.txt"));

    const auto junk =
        test::runCli("unpack " + shellQuote(dir / "junk.zip") + " " + shellQuote(dir / "out3"));
    EXPECT_EQ(junk.exitCode, 2);
    EXPECT_NE(junk.err.find("junk.zip is damaged or not a ZIP archive"), std::string::npos)
        << junk.err;
}

// The shapes of archives that the extractor judges, through the executable: what it prints and
// how it ends.
TEST(CliUnpack, JudgesArchivesByWhatTheyCostAndByTheirNames)
{
    test::TempDir dir;
    const std::string black(4u << 20, '\0'); // a black light map deflates over 1000:1
    struct Case {
        const char* what;
        std::string bytes;
        int exitCode;
        std::string said;
    };
    const std::vector<Case> cases = {
        {"black texture", ZipMaker().file("P/texture.N/light.bmp", black).bytes(), 0, "1 files"},
        {"overlap bomb", test::sharedDataZip(1000, std::string(4096, 'x')), 2,
         "a.zip was refused: its entry \"f"},
        {"device name", ZipMaker().file("P/ok.bmp", "ok").file("P/aux.bmp", "x").bytes(), 2,
         "its entry \"P/aux.bmp\" has a name Windows cannot hold"},
        {"case twins", ZipMaker().file("P/\xC3\x89.bmp", "1").file("P/\xC3\xA9.bmp", "2").bytes(),
         2, "has the same name as the entry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "out");
        writeFile(dir / "a.zip", c.bytes);
        const auto result =
            test::runCli("unpack " + shellQuote(dir / "a.zip") + " " + shellQuote(dir / "out"));
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE((result.out + result.err).find(c.said), std::string::npos)
            << result.out << result.err;
        if (c.exitCode == 0)
            EXPECT_TRUE(readFile(dir / "out/P/texture.N/light.bmp") == black);
        else
            EXPECT_FALSE(test::exists(dir / "out"));
    }
}

class CliDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.serveRoutes();
        server.start();
        server.setRoute("/hangarix/prod.txt", "Other&&o.txt;;\r\nB738&&b738.txt;;\r\n");
        server.setRoute("/hangarix/o.txt", "O&&" + server.url("/zip/o.zip") + ";;!!\r\n");
        server.setRoute("/hangarix/b738.txt", "First&&" + server.url("/zip/first.zip") +
                                                  ";;!!\r\nPair&&" + server.url("/zip/pair.zip") +
                                                  ";;!!\r\n");
        server.setRoute("/zip/pair.zip", ZipMaker()
                                             .file("One/installerinfo.txt", information("One"))
                                             .file("One/texture.One/a.bmp", "1")
                                             .file("Two/installerinfo.txt", information("Two"))
                                             .file("Two/texture.Two/a.bmp", "2")
                                             .bytes());
        test::makeFolders(dir / "start");
        writeFile(product + "/aircraft.cfg", "[fltsim.0]\r\ntitle=Base\r\n\r\n[General]\r\n");
    }

    test::ProcessResult download(const std::string& sim, const std::string& args)
    {
        return test::runCli("-C " + shellQuote(dir / "start") + " --sim " + sim + " --root " +
                            shellQuote(dir / "fs9") + " --catalogue-url " +
                            shellQuote(server.url("/")) + " download " + args);
    }

    test::TempDir dir;
    std::string product = dir / "fs9/Aircraft/KZQ_B738";
    test::LoopbackServer server;
};

TEST_F(CliDownload, DownloadsTheChosenLiveryAndInstallsItsPackages)
{
    const auto run = download("fs9", "1 1");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Downloading and Installing completed\n");
    const std::string cfg = readFile(product + "/aircraft.cfg");
    EXPECT_NE(cfg.find("[fltsim.1]"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("[fltsim.2]"), std::string::npos) << cfg;
    EXPECT_EQ(readFile(product + "/texture.Two/a.bmp"), "2");
    EXPECT_TRUE(fs::is_empty(dir / "start/tempzip"));
    EXPECT_TRUE(fs::is_empty(dir / "start/templiv"));
}

TEST_F(CliDownload, RefusalsAndFailuresEndWithExitOne)
{
    const auto none = download("none", "1 1");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "Please select FS\n");

    // The first livery's archive is not on the server: the download's error is told.
    const auto missing = download("fs9", "1 0");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "<<< HTTP 404 - The server refused the request with this status. >>>\n");

    const auto wrongIndex = download("fs9", "1 2");
    EXPECT_EQ(wrongIndex.exitCode, 2);
    EXPECT_NE(wrongIndex.err.find("has no livery 2"), std::string::npos) << wrongIndex.err;
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), "[fltsim.0]\r\ntitle=Base\r\n\r\n[General]\r\n");
}

} // namespace
} // namespace hx

namespace hx {
namespace {

TEST_F(CliDownload, AnArchiveUrlWithASpaceIsFetched)
{
    // Catalogues are written by hand, and livery names have spaces.
    server.setRoute("/hangarix/o.txt", "O&&" + server.url("/zip/my livery.zip") + ";;!!\r\n");
    server.setRoute("/zip/my livery.zip", ZipMaker()
                                              .file("Sp/installerinfo.txt", information("Sp"))
                                              .file("Sp/texture.Sp/a.bmp", "s")
                                              .bytes());
    const auto run = download("fs9", "0 0");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "Downloading and Installing completed\n");
    EXPECT_EQ(readFile(product + "/texture.Sp/a.bmp"), "s");
    EXPECT_TRUE(fs::is_empty(dir / "start/tempzip"));
}

} // namespace
} // namespace hx
