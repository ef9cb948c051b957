#include "online/DownloadFlow.h"

#include "online/MHttpGetResume.h"
#include "online/WinInetErrors.h"
#include "packages/WorkingFolders.h"
#include "platform/FileSystem.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <map>
#include <mutex>

namespace hx {
namespace {

using test::exists;
using test::readFile;
using test::writeFile;
using test::ZipMaker;

namespace fs = std::filesystem;

// Records what the flow asks of the window.
struct Recorder : DownloadFlowFeedback {
    std::vector<std::string> messages;
    std::vector<std::string> events; // phases, "hide", "hideMeter"
    std::vector<int> meter;
    std::vector<std::string> titles; // "caption|title"
    std::function<void()> onPump;

    std::vector<std::string> endings; // messages and "hide", in the order they came

    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        endings.push_back(text);
    }
    void hideProgressPanel() override
    {
        events.push_back("hide");
        endings.push_back("hide");
    }
    void processEvents() override
    {
        if (onPump)
            onPump();
    }
    void enterPhase(FlowPhase phase) override
    {
        events.push_back(phase == FlowPhase::Download ? "download"
                         : phase == FlowPhase::Unpack ? "unpack"
                                                      : "install");
        const char* expected = phase == FlowPhase::Download ? kDownloadPhaseText
                               : phase == FlowPhase::Unpack ? kUnpackPhaseText
                                                            : kInstallPhaseText;
        EXPECT_STREQ(phaseText(phase), expected);
    }
    void setUnpackMeter(int percent) override { meter.push_back(percent); }
    void hideUnpackMeter() override { events.push_back("hideMeter"); }
    void setTitles(const std::string& caption, const std::string& title) override
    {
        titles.push_back(caption + "|" + title);
    }
    void showDetailedMessage(const std::string& text, const std::string& detail) override
    {
        showMessage(text);
        lastDetail = detail;
    }
    bool confirm(const std::string& question) override
    {
        questions.push_back(question);
        return answer;
    }
    std::string lastDetail;
    std::vector<std::string> questions;
    bool answer = true;
};

std::string information(const std::string& title)
{
    return "[fltsim.XX]\r\ntitle=" + title + "\r\ntexture=" + title + "\r\nui_variation=" + title +
           "\r\nproductfolder=A-320\r\n";
}

constexpr const char* kConfig = "[fltsim.0]\r\ntitle=Base\r\n\r\n[General]\r\natc_type=KZQ\r\n";

class DownloadFlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::makeFolders(start);
        createWorkingFolders(start);
        product = dir / "fsx/SimObjects/Airplanes/KZQ_A_320";
        writeFile(product + "/aircraft.cfg", kConfig);
        writeFile(product + "/texbase/shared.bmp", "shared");
        server.server().Get("/files/(.*)", [this](const httplib::Request& req,
                                                  httplib::Response& res) { serve(req, res); });
        server.start();
        httpget.setReportInterval(std::chrono::milliseconds(0));
        httpget.setPauseUnit(std::chrono::milliseconds(1));
    }

    void serve(const httplib::Request& req, httplib::Response& res)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (req.method == "GET") {
            ++gets;
            ranges.push_back(req.get_header_value("Range"));
        }
        const auto found = files.find(req.matches[1]);
        if (found == files.end() || (outage && req.method == "GET")) {
            res.status = found == files.end() ? 404 : 503;
            return;
        }
        const std::string body = found->second;
        if (dropAfter > 0 && req.method == "GET" && !req.has_header("Range")) {
            // Half the body, then the connection closes; the server stays down until the test
            // brings it back, so the component's own retry fails too.
            const std::size_t cut = dropAfter;
            outage = true;
            res.set_content_provider(
                body.size(), "application/zip",
                [body, cut](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset >= cut)
                        return false;
                    sink.write(body.data() + offset, cut - offset);
                    return true;
                });
            return;
        }
        res.set_content(body, "application/zip");
    }

    void publish(const std::string& name, const std::string& bytes)
    {
        std::lock_guard<std::mutex> lock(mutex);
        files[name] = bytes;
    }

    Outcome click(const std::string& name)
    {
        return flow.downloadAndInstall(server.url("/files/" + name), sim, feedback);
    }

    std::string config() const { return readFile(product + "/aircraft.cfg"); }
    bool tempzipEmpty() const { return fs::is_empty(start + "/tempzip"); }
    bool templivEmpty() const { return fs::is_empty(start + "/templiv"); }

    test::TempDir dir;
    std::string start = dir / "start";
    std::string product;
    Simulator sim{SimKind::FSX, dir / "fsx"};
    std::mutex mutex;
    std::map<std::string, std::string> files;
    std::vector<std::string> ranges;
    int gets = 0;
    std::size_t dropAfter = 0;
    bool outage = false;
    test::LoopbackServer server;
    TMHttpGetResume httpget;
    Recorder feedback;
    DownloadFlow flow{httpget, start};
};

TEST(DownloadFlowTitles, PercentIsRoundedHalfAwayFromZero)
{
    EXPECT_EQ(downloadPercentText(0, 1000), "0%");
    EXPECT_EQ(downloadPercentText(1, 200), "1%");     // 0.5
    EXPECT_EQ(downloadPercentText(5, 200), "3%");     // 2.5
    EXPECT_EQ(downloadPercentText(849, 2000), "42%"); // 42.45
    EXPECT_EQ(downloadPercentText(199, 200), "100%"); // 99.5
    EXPECT_EQ(downloadPercentText(5000, 5000), "100%");
    EXPECT_EQ(downloadPercentText(3'000'000'000, 6'000'000'000), "50%");
    EXPECT_EQ(downloadPercentText(10, 0), "0%");
    EXPECT_EQ(downloadCaption(42, 100), "KZQ Hangarix - 42%");
    EXPECT_EQ(downloadApplicationTitle(42, 100), "KZQ HX - 42%");
}

TEST(DownloadFlowTitles, BothTitlesCarryThePercentageOnceTheSizeIsKnown)
{
    const struct {
        std::int64_t received, total;
        std::vector<std::string> titles; // "caption|title" as set, none while the size is unknown
    } cases[] = {
        {0, 1000, {"KZQ Hangarix - 0%|KZQ HX - 0%"}},
        {849, 2000, {"KZQ Hangarix - 42%|KZQ HX - 42%"}},
        {10, 0, {}},
        {10, -1, {}},
    };
    for (const auto& c : cases) {
        Recorder feedback;
        showDownloadTitles(feedback, c.received, c.total);
        EXPECT_EQ(feedback.titles, c.titles) << c.received << " of " << c.total;
    }
}

TEST_F(DownloadFlowTest, InstallsTwoPackagesOfOneProductWithConsecutiveNumbersAndCleansUp)
{
    publish("two.zip", ZipMaker()
                           .file("Red/installerinfo.txt", information("Red"))
                           .file("Red/texture.Red/body.bmp", test::textureLikeData(200000, 1))
                           .file("Blue/installerinfo.txt", information("Blue"))
                           .file("Blue/texture.Blue/body.bmp", "blue")
                           .bytes());
    EXPECT_EQ(click("two.zip"), Outcome::Completed);

    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
    const std::vector<std::string> events = {"download", "unpack", "hideMeter", "install", "hide"};
    EXPECT_EQ(feedback.events, events);
    const std::string cfg = config();
    for (const char* title : {"Red", "Blue"})
        EXPECT_NE(cfg.find(std::string("]\r\ntitle=") + title), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("[fltsim.1]"), std::string::npos);
    EXPECT_NE(cfg.find("[fltsim.2]"), std::string::npos);
    EXPECT_EQ(readFile(product + "/texture.Blue/body.bmp"), "blue");
    EXPECT_EQ(readFile(product + "/texture.Red/shared.bmp"), "shared");
    EXPECT_TRUE(tempzipEmpty());
    EXPECT_TRUE(templivEmpty());

    ASSERT_FALSE(feedback.titles.empty());
    EXPECT_EQ(feedback.titles.back(), "Hangarix|KZQ HX");
    EXPECT_EQ(feedback.titles[feedback.titles.size() - 2], "KZQ Hangarix - 100%|KZQ HX - 100%");
    ASSERT_FALSE(feedback.meter.empty());
    EXPECT_EQ(feedback.meter.back(), 100);
    EXPECT_FALSE(flow.running());
}

// A package of the archive that is installed already is asked about; No leaves it alone and the
// other packages are installed, Yes adds another copy.
TEST_F(DownloadFlowTest, APackageInstalledAlreadyIsInstalledAgainOnlyWhenTheUserSaysYes)
{
    const auto archive = [] {
        return ZipMaker()
            .file("Red/installerinfo.txt", information("Red"))
            .file("Red/texture.Red/body.bmp", "red")
            .file("Blue/installerinfo.txt", information("Blue"))
            .file("Blue/texture.Blue/body.bmp", "blue")
            .bytes();
    };
    publish("red.zip", ZipMaker()
                           .file("Red/installerinfo.txt", information("Red"))
                           .file("Red/texture.Red/body.bmp", "red")
                           .bytes());
    ASSERT_EQ(click("red.zip"), Outcome::Completed);
    publish("two.zip", archive());
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        feedback.answer = yes;
        feedback.questions.clear();
        EXPECT_EQ(click("two.zip"), Outcome::Completed);
        // No: Red alone is installed and asked about; then Blue was installed too.
        std::vector<std::string> asked = {
            "Red is already installed (as [fltsim.1]). Install another copy?"};
        if (yes)
            asked.insert(asked.begin(),
                         "Blue is already installed (as [fltsim.2]). Install another copy?");
        std::sort(feedback.questions.begin(), feedback.questions.end());
        EXPECT_EQ(feedback.questions, asked);
        const std::string after = config();
        const auto count = [&](const std::string& what) {
            std::size_t n = 0;
            for (auto at = after.find(what); at != std::string::npos; at = after.find(what, at + 1))
                ++n;
            return n;
        };
        EXPECT_EQ(count("ui_variation=Red\r\n"), yes ? 2u : 1u);
        EXPECT_EQ(count("ui_variation=Blue\r\n"), yes ? 2u : 1u);
        EXPECT_EQ(feedback.lastDetail.find("already installed, skipped") != std::string::npos, !yes)
            << feedback.lastDetail;
    }
}

TEST_F(DownloadFlowTest, DottedPackageFoldersAndTopLevelFilesInstallNothingYetComplete)
{
    publish("odd.zip", ZipMaker()
                           .file("Livery.v2/installerinfo.txt", information("V2"))
                           .file("Livery.v2/texture.V2/a.bmp", "a")
                           .file("installerinfo.txt", information("Top"))
                           .file("texture.Top/a.bmp", "a")
                           .bytes());
    EXPECT_EQ(click("odd.zip"), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
    EXPECT_EQ(config(), kConfig);
    EXPECT_TRUE(tempzipEmpty());
    EXPECT_TRUE(templivEmpty());
}

TEST_F(DownloadFlowTest, RefusalsBeforeTheDownloadStartsNothing)
{
    publish("a.zip", ZipMaker().file("A/installerinfo.txt", information("A")).bytes());
    const Simulator none{SimKind::None, sim.root};
    EXPECT_EQ(flow.downloadAndInstall(server.url("/files/a.zip"), none, feedback),
              Outcome::Refused);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kPleaseSelectFS});

    const std::string refusedName = "Refused the archive name";
    const struct {
        std::string url;
        std::string message; // the start of the one message shown
    } cases[] = {
        {server.url("/files/"), refusedName},
        {server.url("/files/.."), refusedName},
        {"http://127.0.0.1:1/a\\..\\..\\x.zip", refusedName},
        {"", kChooseALiveryFirst}, // no livery chosen: no URL at all
    };
    for (const auto& c : cases) {
        feedback.messages.clear();
        EXPECT_EQ(flow.downloadAndInstall(c.url, sim, feedback), Outcome::Refused) << c.url;
        ASSERT_EQ(feedback.messages.size(), 1u) << c.url;
        EXPECT_EQ(feedback.messages[0].substr(0, c.message.size()), c.message) << c.url;
    }
    EXPECT_EQ(gets, 0);
    EXPECT_TRUE(feedback.events.empty());
    EXPECT_TRUE(tempzipEmpty());
}

TEST_F(DownloadFlowTest, FailedDownloadShowsTheComponentsErrorThenHidesThePanel)
{
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(test::LoopbackServer::closedPort()) + "/files/a.zip";
    struct Case {
        std::string url;
        bool pause; // the window closes during the download: no failure, no message
        std::vector<std::string> endings;
    };
    const std::vector<Case> cases = {
        {server.url("/files/missing.zip"),
         false,
         {"<<< HTTP 404 - The server refused the request with this status. >>>", "hide"}},
        {closed, false, {wininetStatusText(12029), "hide"}},
        {server.url("/files/a.zip"), true, {"hide"}},
    };
    publish("a.zip", ZipMaker().file("A/installerinfo.txt", information("A")).bytes());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        feedback.events.clear();
        feedback.endings.clear();
        feedback.onPump = [&] {
            if (c.pause)
                httpget.MBaixando = false;
        };
        EXPECT_EQ(flow.downloadAndInstall(c.url, sim, feedback), Outcome::Stopped);
        EXPECT_EQ(feedback.endings, c.endings);
        EXPECT_EQ(feedback.events, (std::vector<std::string>{"download", "unpack", "hide"}));
        EXPECT_EQ(feedback.titles.back(), "Hangarix|KZQ HX");
        EXPECT_EQ(config(), kConfig);
    }
    EXPECT_FALSE(exists(start + "/tempzip/missing.zip"));
}

TEST_F(DownloadFlowTest, TruncatedDownloadIsNotUnpackedAndTheNextClickResumesIt)
{
    const std::string archive =
        ZipMaker()
            .file("Pkg/installerinfo.txt", information("Pkg"))
            .file("Pkg/texture.Pkg/a.bmp", test::textureLikeData(400000, 7), true)
            .bytes();
    publish("big.zip", archive);
    dropAfter = archive.size() / 2;
    EXPECT_EQ(click("big.zip"), Outcome::Stopped);
    // The retry after the drop finds the server down: that failure is told.
    EXPECT_EQ(feedback.messages,
              std::vector<std::string>{
                  "<<< HTTP 503 - The server refused the request with this status. >>>"});
    EXPECT_EQ(feedback.events.back(), "hide");
    EXPECT_EQ(test::readFile(start + "/tempzip/big.zip"), archive.substr(0, dropAfter));
    EXPECT_EQ(config(), kConfig);

    {
        std::lock_guard<std::mutex> lock(mutex);
        outage = false;
        dropAfter = 0;
        ranges.clear();
    }
    EXPECT_EQ(click("big.zip"), Outcome::Completed);
    EXPECT_EQ(ranges,
              std::vector<std::string>{"bytes=" + std::to_string(archive.size() / 2) + "-"});
    EXPECT_NE(config().find("[fltsim.1]\r\ntitle=Pkg"), std::string::npos);
    EXPECT_TRUE(tempzipEmpty());
}

TEST_F(DownloadFlowTest, LeftoversInTheUnpackFolderAreRemovedBeforeUnpacking)
{
    // Left by an earlier run: a package folder without information file would stop the
    // install with a message if it survived.
    writeFile(start + "/templiv/Old/.hidden", "x");
    writeFile(start + "/templiv/Old/texture.Old/ro.bmp", "x");
    fs::permissions(start + "/templiv/Old/texture.Old/ro.bmp", fs::perms::owner_read);
    fs::permissions(start + "/templiv/Old/texture.Old",
                    fs::perms::owner_read | fs::perms::owner_exec);
    publish("a.zip", ZipMaker()
                         .file("A/installerinfo.txt", information("A"))
                         .file("A/texture.A/a.bmp", "a")
                         .bytes());
    EXPECT_EQ(click("a.zip"), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
    EXPECT_TRUE(templivEmpty());
}

TEST_F(DownloadFlowTest, HostileArchivesAreRemovedAndChangeNothingOutsideTheUnpackFolder)
{
    const std::vector<std::pair<std::string, std::string>> archives = {
        {"slip.zip", ZipMaker()
                         .file("A/installerinfo.txt", information("A"))
                         .file("../../slip.txt", "x")
                         .bytes()},
        {"absolute.zip", ZipMaker()
                             .file("A/installerinfo.txt", information("A"))
                             .file(dir / "abs.txt", "x")
                             .bytes()},
        {"link.zip", ZipMaker().link("A", product).file("A/aircraft.cfg", "overwritten").bytes()},
        {"bomb.zip", test::sharedDataZip(1000, std::string(4096, 'b'))},
    };
    for (const auto& [name, bytes] : archives) {
        SCOPED_TRACE(name);
        publish(name, bytes);
        feedback.messages.clear();
        EXPECT_EQ(click(name), Outcome::Refused);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_NE(feedback.messages[0].find(name + " was refused"), std::string::npos)
            << feedback.messages[0];
        EXPECT_EQ(feedback.events.back(), "hide");
        EXPECT_TRUE(tempzipEmpty()) << "the refused archive is removed";
        EXPECT_TRUE(templivEmpty());
        EXPECT_FALSE(exists(dir / "slip.txt"));
        EXPECT_FALSE(exists(dir / "abs.txt"));
        EXPECT_EQ(config(), kConfig);
    }
}

TEST_F(DownloadFlowTest, CompleteArchiveThatCannotBeReadIsRemovedAndFetchedAfreshNextTime)
{
    publish("a.zip", "<html>Maintenance</html>");
    EXPECT_EQ(click("a.zip"), Outcome::Refused);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_NE(feedback.messages[0].find("a.zip was removed"), std::string::npos);
    EXPECT_TRUE(tempzipEmpty());

    publish("a.zip", ZipMaker().file("A/installerinfo.txt", information("A")).bytes());
    feedback.messages.clear();
    EXPECT_EQ(click("a.zip"), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
}

TEST_F(DownloadFlowTest, ServerDownKeepsAPartialArchiveAndInstallsACompleteOne)
{
    const std::string url =
        "http://127.0.0.1:" + std::to_string(test::LoopbackServer::closedPort()) + "/files/a.zip";
    const std::string archive = ZipMaker().file("A/installerinfo.txt", information("A")).bytes();
    const std::string partial = archive.substr(0, archive.size() / 2);
    writeFile(start + "/tempzip/a.zip", partial);
    EXPECT_EQ(flow.downloadAndInstall(url, sim, feedback), Outcome::Stopped);
    EXPECT_EQ(feedback.endings, (std::vector<std::string>{wininetStatusText(12029), "hide"}));
    EXPECT_EQ(readFile(start + "/tempzip/a.zip"), partial) << "kept for the resume";

    // Left complete by an earlier click that stopped before installing, with the side file of
    // its resume: the clean-up removes both.
    writeFile(start + "/tempzip/a.zip", archive);
    writeFile(resumeFilePath(start + "/tempzip/a.zip"), "url=" + url + "\nsize=1\nvalidator=\n");
    feedback.messages.clear();
    EXPECT_EQ(flow.downloadAndInstall(url, sim, feedback), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
    EXPECT_NE(config().find("[fltsim.1]\r\ntitle=A"), std::string::npos);
    EXPECT_TRUE(tempzipEmpty());

    // Refused, but not known to be complete: it stays, since only a download can tell.
    const std::string bomb = test::sharedDataZip(100, "b");
    writeFile(start + "/tempzip/a.zip", bomb);
    feedback.messages.clear();
    EXPECT_EQ(flow.downloadAndInstall(url, sim, feedback), Outcome::Refused);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_NE(feedback.messages[0].find("a.zip was refused"), std::string::npos);
    EXPECT_EQ(readFile(start + "/tempzip/a.zip"), bomb);
}

// A downloaded archive of another kind stays in tempzip, where the message says, for the user
// to unpack; a second click tells the same without downloading it again.
TEST_F(DownloadFlowTest, OtherArchiveKindsAreKeptAndTheMessageSaysWhere)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* kind;
    } rows[] = {
        {"livery.7z", std::string("7z\xBC\xAF\x27\x1C\0\4 and the rest", 21), "7-Zip archive"},
        {"livery.zip", std::string("Rar!\x1A\x07\x01\x00 and the rest", 21), "RAR archive"},
    };
    writeFile(start + "/templiv/Old/left.txt", "left by an earlier run");
    for (const auto& row : rows) {
        publish(row.name, row.bytes);
        // As the message spells it: the start-up folder joined with the system's separator.
        const std::string kept =
            start + platform::kSeparator + "tempzip" + platform::kSeparator + row.name;
        gets = 0;
        for (int second = 0; second < 2; ++second) {
            SCOPED_TRACE(row.name + std::string(second ? " again" : ""));
            feedback.messages.clear();
            EXPECT_EQ(click(row.name), Outcome::Refused);
            EXPECT_EQ(feedback.messages,
                      std::vector<std::string>{
                          std::string(row.name) + " is a " + row.kind +
                          "; Hangarix unpacks ZIP archives. Unpack it into the downloads folder "
                          "and install it from the first tab (it was kept as " +
                          kept + ")"});
            EXPECT_EQ(readFile(kept), row.bytes);
            EXPECT_EQ(gets, 1);
        }
    }
    EXPECT_EQ(readFile(start + "/templiv/Old/left.txt"), "left by an earlier run");
    EXPECT_EQ(config(), kConfig);
}

TEST_F(DownloadFlowTest, PackageWithoutInformationFileStopsWithItsMessage)
{
    publish("a.zip", ZipMaker().file("A/texture.A/a.bmp", "a").bytes());
    EXPECT_EQ(click("a.zip"), Outcome::Refused);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kCannotFindInformationFile});
    EXPECT_EQ(feedback.events.back(), "hide");
    EXPECT_TRUE(exists(start + "/tempzip/a.zip")) << "left for the next click";
}

TEST_F(DownloadFlowTest, SimulatorChoiceIsReadAgainBeforeInstalling)
{
    publish("a.zip", ZipMaker().file("A/installerinfo.txt", information("A")).bytes());
    Simulator current = sim;
    feedback.onPump = [&] { current.kind = SimKind::None; }; // changed during the download
    EXPECT_EQ(flow.downloadAndInstall(
                  server.url("/files/a.zip"), [&] { return current; }, feedback),
              Outcome::Refused);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kPleaseSelectFS});
    EXPECT_EQ(feedback.events.back(), "hide");
    EXPECT_EQ(config(), kConfig);
}

TEST_F(DownloadFlowTest, SecondClickWhileTheFirstRunsIsIgnored)
{
    publish("a.zip", ZipMaker()
                         .file("A/installerinfo.txt", information("A"))
                         .file("A/texture.A/a.bmp", test::textureLikeData(300000, 9), true)
                         .bytes());
    int nested = 0;
    feedback.onPump = [&] {
        if (nested++ == 0) {
            EXPECT_EQ(click("a.zip"), Outcome::Stopped);
        }
        EXPECT_TRUE(flow.running());
    };
    EXPECT_EQ(click("a.zip"), Outcome::Completed);
    EXPECT_GT(nested, 0);
    EXPECT_EQ(gets, 1);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{kDownloadingAndInstallingCompleted});
    EXPECT_EQ(config().find("[fltsim.2]"), std::string::npos) << "installed once";
}

} // namespace
} // namespace hx
