#include "aircraftcfg/FltsimEntries.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace hx {
namespace {

namespace fs = std::filesystem;

const std::string kConfig = "[fltsim.0]\r\ntitle=KZQ A320 House\r\ntexture=House\r\n"
                            "ui_variation=House\r\ndescription=House\r\n\r\n"
                            "[General]\r\natc_type=KZQ\r\n";

std::string infoText(const std::string& variation, const std::string& product)
{
    return "[fltsim.xx]\r\ntitle=KZQ A320 " + variation + "\r\ntexture=" + variation +
           "\r\nui_variation=" + variation + "\r\nproductfolder=" + product +
           "\r\ndescription=" + variation + "\r\n";
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// A sandbox: a start-up folder with two packages and an FSX root with KZQ_A320 installed.
class CliInstallTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string product() const { return dir / "FSX/SimObjects/Airplanes/KZQ_A320"; }

    void SetUp() override
    {
        test::writeFile(product() + "/aircraft.cfg", kConfig);
        test::writeFile(product() + "/texbase/base.bmp", "BM shared");
        for (const std::string v : {"Blue", "Red"}) {
            test::writeFile(dir / ("start/downloads/" + v + "/installerinfo.txt"),
                            infoText(v, "A320"));
            test::writeFile(dir / ("start/downloads/" + v + "/texture." + v + "/own.bmp"),
                            "BM " + v);
        }
    }

    test::ProcessResult cli(const std::string& sim, const std::string& command)
    {
        // An empty Wine prefix keeps the machine's registry out of the test.
        return test::runCliWithoutRegistry(
            dir / "wine", "-C " + test::shellQuote(dir / "start") + " --sim " + sim + " --root " +
                              test::shellQuote(dir / "FSX") + " " + command);
    }

    std::vector<std::string> packageOrder()
    {
        std::vector<std::string> order;
        for (const auto& e : fs::directory_iterator(dir / "start/downloads"))
            order.push_back(e.path().filename().string());
        return order;
    }
};

TEST_F(CliInstallTest, PackagesListsEveryPackageTabSeparated)
{
    test::makeFolders(dir / "start/downloads/Broken/texture.X");
    test::makeFolders(dir / "start/downloads/with.dot");
    const auto r = cli("fsx", "packages");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> expected;
    for (const std::string& name : packageOrder()) {
        if (name == "Broken")
            expected.push_back("Broken");
        else if (name != "with.dot")
            expected.push_back(name + "\tKZQ A320 " + name + "\t" + name + "\tKZQ_A320");
    }
    EXPECT_EQ(lines(r.out), expected);
    EXPECT_EQ(r.err, "Broken: File not found.\n");
}

TEST_F(CliInstallTest, InstallsOnePackageAndThenAllOfThem)
{
    auto r = cli("fsx", "install Red");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Installation completed\n");
    const std::string red = numberEntry(infoText("Red", "A320"), 1);
    EXPECT_EQ(test::readFile(product() + "/aircraft.cfg"), insertEntry(kConfig, red));
    EXPECT_EQ(test::readFile(product() + "/texture.Red/own.bmp"), "BM Red");
    EXPECT_EQ(test::readFile(product() + "/texture.Red/base.bmp"), "BM shared");

    // Every package but Red, which is installed already.
    r = cli("fsx", "install --all");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Installation completed\n");
    EXPECT_EQ(r.err, "1 package was already installed and skipped: Red.\n");
    const std::string expected =
        insertEntry(insertEntry(kConfig, red), numberEntry(infoText("Blue", "A320"), 2));
    EXPECT_EQ(test::readFile(product() + "/aircraft.cfg"), expected);
    EXPECT_TRUE(fs::exists(product() + "/texture.Blue/base.bmp"));
}

// A livery installed already: listed with its entry; installing it again says so and installs
// another copy, unless --skip-installed leaves it alone.
TEST_F(CliInstallTest, ALiveryInstalledAlreadyIsMarkedAndInstalledAgainOnlyWhenWanted)
{
    ASSERT_EQ(cli("fsx", "install Blue").exitCode, 0);
    const std::string once = test::readFile(product() + "/aircraft.cfg");
    auto r = cli("fsx", "packages");
    EXPECT_NE(r.out.find("Blue\tKZQ A320 Blue\tBlue\tKZQ_A320\tinstalled as [fltsim.1]\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Red\tKZQ A320 Red\tRed\tKZQ_A320\n"), std::string::npos) << r.out;

    const std::string question = "Blue is already installed (as [fltsim.1]). Install another copy?";
    struct Row {
        const char* options;
        std::string err;
        bool installed;
    };
    const Row rows[] = {
        {"--skip-installed ", question + " No (--skip-installed)\n", false},
        {"", question + " Yes\n", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options);
        r = test::runCliWithoutRegistry(dir / "wine",
                                        row.options + std::string("-C ") +
                                            test::shellQuote(dir / "start") + " --sim fsx --root " +
                                            test::shellQuote(dir / "FSX") + " install Blue");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        // A second copy also says that the texture files already there were kept.
        EXPECT_TRUE(r.err.starts_with(row.err)) << r.err;
        EXPECT_EQ(r.out, row.installed ? "Installation completed\n" : "");
        EXPECT_EQ(test::readFile(product() + "/aircraft.cfg"),
                  row.installed ? insertEntry(once, numberEntry(infoText("Blue", "A320"), 2))
                                : once);
    }
}

TEST_F(CliInstallTest, RefusalsExitWithOneAndChangeNothing)
{
    auto r = cli("fsx", "install Green"); // not listed: no selection
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Please choose correct livery\n");

    r = cli("none", "install --all");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Please select FS\n");

    test::writeFile(dir / "start/downloads/Blue/installerinfo.txt", infoText("Blue", "B-737"));
    r = cli("fsx", "install Blue");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Cannot find aircraft.cfg file, please recheck pathes\n");

    test::writeFile(dir / "start/downloads/Blue/installerinfo.txt", infoText("Blue", "../.."));
    r = cli("fsx", "install Blue");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("productfolder"), std::string::npos);

    EXPECT_EQ(test::readFile(product() + "/aircraft.cfg"), kConfig);
    EXPECT_FALSE(fs::exists(product() + "/texture.Blue"));
    EXPECT_FALSE(fs::exists(product() + "/texture.Red"));

    r = cli("fsx", "install");
    EXPECT_EQ(r.exitCode, 2);
}

} // namespace
} // namespace hx
