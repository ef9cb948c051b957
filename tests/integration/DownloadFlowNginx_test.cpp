// The download-and-install flow against a real nginx on 127.0.0.1.

#include "online/DownloadFlow.h"
#include "online/MHttpGetResume.h"
#include "packages/WorkingFolders.h"
#include "support/Nginx.h"
#include "support/RecordingFeedback.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace hx {
namespace {

using test::readFile;
using test::writeFile;
using test::ZipMaker;

namespace fs = std::filesystem;

std::string information(const std::string& title)
{
    return "[fltsim.XX]\r\ntitle=" + title + "\r\nui_variation=" + title +
           "\r\nproductfolder=C-172\r\n";
}

constexpr const char* kConfig = "[fltsim.0]\r\ntitle=Base\r\n\r\n[General]\r\n";

class DownloadFlowNginx : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::Nginx::available())
            GTEST_SKIP() << "nginx is not installed";
        test::makeFolders(dir / "www");
        nginx = std::make_unique<test::Nginx>(dir / "www");
        test::makeFolders(start);
        createWorkingFolders(start);
        writeFile(product + "/aircraft.cfg", kConfig);
    }

    Outcome click(const std::string& name)
    {
        return flow.BitBtn8Click(nginx->url("/liveries/" + name), sim, feedback);
    }

    test::TempDir dir;
    std::unique_ptr<test::Nginx> nginx;
    std::string start = dir / "start";
    std::string product = dir / "fs9/Aircraft/KZQ_C_172";
    Simulator sim{SimKind::FS9, dir / "fs9"};
    TMHttpGetResume httpget;
    test::RecordingFeedback feedback;
    DownloadFlow flow{httpget, start};
};

TEST_F(DownloadFlowNginx, ResumesAPartialArchiveAndInstallsBothPackagesInTurn)
{
    const std::string archive =
        ZipMaker()
            .file("North/installerinfo.txt", information("North"))
            .file("North/texture.North/a.bmp", test::textureLikeData(300000, 11), true)
            .file("South/installerinfo.txt", information("South"))
            .file("South/texture.South/a.bmp", test::textureLikeData(300000, 12), true)
            .bytes();
    writeFile(dir / "www/liveries/pair.zip", archive);
    const std::size_t half = archive.size() / 2;
    writeFile(start + "/tempzip/pair.zip", archive.substr(0, half));

    EXPECT_EQ(click("pair.zip"), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
    const std::string log = nginx->accessLog();
    EXPECT_NE(log.find("GET /liveries/pair.zip 206 \"bytes=" + std::to_string(half) + "-\""),
              std::string::npos)
        << log;
    const std::string cfg = readFile(product + "/aircraft.cfg");
    EXPECT_NE(cfg.find("[fltsim.1]"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("[fltsim.2]"), std::string::npos) << cfg;
    EXPECT_EQ(readFile(product + "/texture.South/a.bmp"), test::textureLikeData(300000, 12));
    EXPECT_TRUE(fs::is_empty(start + "/tempzip"));
    EXPECT_TRUE(fs::is_empty(start + "/templiv"));
}

TEST_F(DownloadFlowNginx, HostileArchivesAndMissingOnesChangeNothing)
{
    writeFile(dir / "www/liveries/slip.zip",
              ZipMaker()
                  .file("P/installerinfo.txt", information("P"))
                  .file("P/../../../fs9/Aircraft/KZQ_C_172/aircraft.cfg", "x")
                  .bytes());
    writeFile(dir / "www/liveries/link.zip",
              ZipMaker().link("P", dir.path()).file("P/installerinfo.txt", "x").bytes());
    for (const char* name : {"slip.zip", "link.zip"}) {
        SCOPED_TRACE(name);
        feedback.messages.clear();
        EXPECT_EQ(click(name), Outcome::Refused);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_NE(feedback.messages[0].find(std::string(name) + " was refused"), std::string::npos);
        EXPECT_TRUE(fs::is_empty(start + "/tempzip"));
        EXPECT_TRUE(fs::is_empty(start + "/templiv"));
    }

    feedback.messages.clear();
    const int hiddenBefore = feedback.hidden;
    EXPECT_EQ(click("absent.zip"), Outcome::Stopped);
    // The missing archive is told with the download's own error text.
    EXPECT_EQ(feedback.messages,
              std::vector<std::string>{
                  "<<< HTTP 404 - The server refused the request with this status. >>>"});
    EXPECT_EQ(feedback.hidden, hiddenBefore + 1);
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), kConfig);
}

} // namespace
} // namespace hx
