// hangarix-cli products / liveries / remove, end to end on a simulator folder built by the test.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace hx {
namespace {

using test::exists;
using test::makeFolders;
using test::ProcessResult;
using test::readFile;
using test::shellQuote;
using test::TempDir;
using test::writeFile;

const std::string kBefore = "[fltsim.0]\r\ntexture=A\r\nui_variation=Red\r\ndescription=first\r\n"
                            "\r\n"
                            "[fltsim.1]\r\ntexture=B\r\nui_variation=Blue\r\n"
                            "description=second\r\n\r\n"
                            "[fltsim.2]\r\ntexture=C\r\nui_variation=Green\r\n"
                            "description=third\r\n\r\n"
                            "[General]\r\natc_type=AIRBUS\r\n";

class CliRemoveTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string root = dir / "FSX";
    std::string airplanes = root + "/SimObjects/Airplanes";
    std::string product = airplanes + "/KZQ_A320";

    void SetUp() override
    {
        makeFolders(dir / "work");
        makeFolders(dir / "wine"); // an empty prefix: no simulator registered
        writeFile(product + "/aircraft.cfg", kBefore);
        for (const char* t : {"A", "B", "C"})
            writeFile(product + "/texture." + t + "/livery.bmp", "BM");
        makeFolders(airplanes + "/KZQ_B737");
        makeFolders(airplanes + "/KZQ_A320.bak");
        makeFolders(airplanes + "/Default");
    }

    ProcessResult cli(const std::string& simKind, const std::string& arguments)
    {
        return test::runCliWithoutRegistry(dir / "wine", "-C " + shellQuote(dir / "work") +
                                                             " --sim " + simKind + " --root " +
                                                             shellQuote(root) + " " + arguments);
    }
};

std::vector<std::string> sortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST_F(CliRemoveTest, ListsAndRemovesALivery)
{
    ProcessResult r = cli("fsx", "products");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(sortedLines(r.out), (std::vector<std::string>{"KZQ_A320", "KZQ_B737"}));

    r = cli("fsx", "liveries KZQ_A320");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\tRed\n1\tBlue\n2\tGreen\n");

    r = cli("fsx", "remove KZQ_A320 1");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Removed succesfully\n");
    EXPECT_EQ(readFile(product + "/aircraft.cfg"),
              "[fltsim.0]\r\ntexture=A\r\nui_variation=Red\r\ndescription=first\r\n\r\n"
              "[fltsim.1]\r\ntexture=C\r\nui_variation=Green\r\ndescription=third\r\n\r\n"
              "[General]\r\natc_type=AIRBUS\r\n");
    EXPECT_FALSE(exists(product + "/texture.B"));
    EXPECT_TRUE(exists(product + "/texture.C/livery.bmp"));

    // A product typed in other capitals is the same folder, as on Windows.
    r = cli("fsx", "liveries kzq_a320");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\tRed\n1\tGreen\n");
}

TEST_F(CliRemoveTest, RefusalsExitWithOne)
{
    ProcessResult r = cli("none", "products");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Please select FS\n");

    r = cli("none", "remove KZQ_A320 0");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Please select FS\n");

    r = cli("fsx", "remove KZQ_A320.bak 0");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("KZQ_A320.bak is not an installed product"), std::string::npos) << r.err;

    r = cli("fsx", "remove KZQ_A320 3");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no livery at index 3"), std::string::npos) << r.err;

    // A texture value that would lead the deletion out of the aircraft's folder.
    const std::string hostile = "[fltsim.0]\r\ntexture=A/../../../../..\r\nui_variation=Red\r\n"
                                "description=first\r\n\r\n[General]\r\n";
    writeFile(product + "/aircraft.cfg", hostile);
    r = cli("fsx", "remove KZQ_A320 0");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("nothing was removed"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), hostile);
    EXPECT_TRUE(exists(product + "/texture.A/livery.bmp"));
}

TEST_F(CliRemoveTest, ErrorsAndWrongArgumentsExitWithTwo)
{
    // KZQ_B737 has no aircraft.cfg: listing reads it without a test, as the window does.
    ProcessResult r = cli("fsx", "liveries KZQ_B737");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "File not found.\n");

    r = cli("fsx", "remove KZQ_A320 first");
    EXPECT_EQ(r.exitCode, 2);
    r = cli("fsx", "liveries");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), kBefore);
}

} // namespace
} // namespace hx
