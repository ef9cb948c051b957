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

    r = cli("fsx", "install --all");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Installation completed\n");
    std::string expected = insertEntry(kConfig, red);
    std::size_t n = 2;
    for (const std::string& name : packageOrder())
        expected = insertEntry(expected, numberEntry(infoText(name, "A320"), n++));
    EXPECT_EQ(test::readFile(product() + "/aircraft.cfg"), expected);
    EXPECT_TRUE(fs::exists(product() + "/texture.Blue/base.bmp"));
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
