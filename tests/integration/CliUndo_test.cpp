// hangarix-cli check, repair, history and undo end to end on a simulator folder built by the
// test.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace hx {
namespace {

using test::ProcessResult;
using test::readFile;
using test::shellQuote;
using test::TempDir;
using test::writeFile;

const std::string kGapped = "[fltsim.0]\r\ntitle=A\r\ntexture=A\r\nui_variation=Red\r\n"
                            "description=a\r\n\r\n"
                            "[fltsim.2]\r\ntitle=B\r\ntexture=B\r\nui_variation=Blue\r\n"
                            "description=b\r\n\r\n[General]\r\natc_type=AIRBUS\r\n";

class CliUndoTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string product = dir / "FSX/SimObjects/Airplanes/KZQ_A320";

    void SetUp() override
    {
        test::makeFolders(dir / "work");
        test::makeFolders(dir / "wine");
        writeFile(product + "/aircraft.cfg", kGapped);
        writeFile(product + "/texture.A/a.bmp", "BM a");
        writeFile(product + "/texture.B/b.bmp", "BM b");
    }

    ProcessResult cli(const std::string& arguments)
    {
        return test::runCliWithoutRegistry(dir / "wine",
                                           "-C " + shellQuote(dir / "work") + " --sim fsx --root " +
                                               shellQuote(dir / "FSX") + " " + arguments);
    }
};

TEST_F(CliUndoTest, ChecksRepairsListsAndUndoes)
{
    struct Step {
        const char* arguments;
        int exitCode;
        std::string out; // a regular expression over the whole output
    };
    const Step steps[] = {
        {"check KZQ_A320", 1, "Gap in the numbering: no \\[fltsim\\.1\\].*\n"},
        {"check KZQ_B737", 1, "Cannot find aircraft.cfg file, please recheck pathes\n"},
        {"history", 0, ""},
        {"undo", 1, "The history holds no change to undo\n"},
        {"repair KZQ_A320", 0, "Renumbered the 2 entries of KZQ_A320 from 0 in file order\n"},
        {"check KZQ_A320", 0, ""},
        {"remove KZQ_A320 1", 0, "Removed succesfully\n"},
        {"history", 0,
         "2\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\tremoval\tKZQ_A320\tBlue\n"
         "1\t[-0-9: ]{19}\trepair\tKZQ_A320\tall liveries\n"},
        {"undo 1", 0,
         "Undone: removal of Blue \\(KZQ_A320\\)\nUndone: repair of all liveries \\(KZQ_A320\\)\n"},
        {"history", 0, ""},
        {"undo x", 2, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.arguments);
        const ProcessResult r = cli(step.arguments);
        EXPECT_EQ(r.exitCode, step.exitCode) << r.err;
        EXPECT_TRUE(std::regex_match(r.out, std::regex(step.out))) << r.out;
    }
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), kGapped);
    EXPECT_EQ(readFile(product + "/texture.B/b.bmp"), "BM b");
}

TEST_F(CliUndoTest, UndoRefusesWhenTheFileWasChangedSince)
{
    ASSERT_EQ(cli("repair KZQ_A320").exitCode, 0);
    const std::string changed = readFile(product + "/aircraft.cfg") + "; edited by hand\r\n";
    writeFile(product + "/aircraft.cfg", changed);
    const ProcessResult r = cli("undo");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Cannot undo the repair of all liveries (KZQ_A320) (change 1): aircraft.cfg "
                     "was changed since by something else; nothing was undone\n");
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), changed);
    EXPECT_EQ(cli("history").out.substr(0, 2), "1\t");
}

} // namespace
} // namespace hx
