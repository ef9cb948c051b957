// hangarix-cli sim: the start-up steps and the simulator choice, with a Wine prefix written by
// the test standing in for the machine's registry.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace hx {
namespace {

using test::exists;
using test::ProcessResult;
using test::shellQuote;
using test::TempDir;
using test::writeFile;

constexpr const char* kFs9 =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1\n"
    "\"EXE Path\"=\"C:\\\\FS9\"\n";
constexpr const char* kFsx =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1\n"
    "\"SetupPath\"=\"C:\\\\FSX\\\\\"\n";

class CliSimTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string prefix = dir / "wine";
    std::string work = dir / "work";

    void SetUp() override
    {
        HX_SKIP_ON_WINDOWS("the command line reads the machine's registry there, not a Wine "
                           "prefix named by WINEPREFIX (scripts/test-windows.sh checks it with "
                           "real keys)");
        test::makeFolders(work);
    }

    void registry(const std::string& sections)
    {
        writeFile(prefix + "/system.reg", "WINE REGISTRY Version 2\n\n" + sections);
    }

    ProcessResult cli(const std::string& arguments)
    {
        return test::runProcess("WINEPREFIX=" + shellQuote(prefix) + " " + shellQuote(HX_CLI_PATH) +
                                " -C " + shellQuote(work) + " " + arguments);
    }
};

TEST_F(CliSimTest, GivenSimulatorAndRootArePrintedAsGiven)
{
    registry(kFs9);
    const auto r = cli("--sim fsx --root R sim");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "FSX\tR\n");
    EXPECT_EQ(r.err, "");

    const auto trailing = cli("--sim fs9 --root " + shellQuote("C:\\FS 9\\") + " sim");
    EXPECT_EQ(trailing.out, "FS9\tC:\\FS 9\\\n");
}

TEST_F(CliSimTest, WithoutSimTheRegistryDecides)
{
    registry("");
    EXPECT_EQ(cli("sim").out, "None\t\n");

    registry(std::string(kFsx) + kFs9);
    EXPECT_EQ(cli("sim").out, "FS9\t" + prefix + "/drive_c/FS9\n");

    registry(kFsx);
    EXPECT_EQ(cli("sim").out, "FSX\t" + prefix + "/drive_c/FSX/\n");
    // --root alone replaces the registry's folder, not its choice.
    EXPECT_EQ(cli("--root /elsewhere sim").out, "FSX\t/elsewhere\n");
}

TEST_F(CliSimTest, SimAloneTakesTheFolderFromTheRegistry)
{
    registry(std::string(kFsx) + kFs9);
    EXPECT_EQ(cli("--sim fsx sim").out, "FSX\t" + prefix + "/drive_c/FSX/\n");
    registry(kFs9);
    EXPECT_EQ(cli("--sim fsx sim").out, "FSX\t\n");
    EXPECT_EQ(cli("--sim none sim").out, "None\t\n");
}

TEST_F(CliSimTest, AWrongValueTypeIsReportedAndTheStartContinues)
{
    registry("[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1\n"
             "\"exe path\"=dword:00000010\n");
    const auto r = cli("sim");
    EXPECT_EQ(r.out, "None\t\n");
    EXPECT_NE(r.err.find("Invalid data type for 'exe path'"), std::string::npos) << r.err;
}

// sims lists what exists, one tab-separated line each; --sim takes each kind it prints.
TEST_F(CliSimTest, SimsListsEverySimulatorFoundAndSimTakesItsKind)
{
    test::makeFolders(prefix + "/drive_c/FSX");
    test::makeFolders(prefix + "/drive_c/P3D4");
    registry(std::string(kFsx) + kFs9 + // FS9's folder does not exist
             "[Software\\\\Lockheed Martin\\\\Prepar3D v4] 1\n\"SetupPath\"=\"C:\\\\P3D4\"\n"
             "[Software\\\\Lockheed Martin\\\\Prepar3D v5] 1\n\"SetupPath\"=dword:00000001\n");
    const auto r = cli("sims");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "FSX\t" + prefix +
                         "/drive_c/FSX/\tHKEY_LOCAL_MACHINE\\software\\Microsoft\\Microsoft "
                         "Games\\Flight Simulator\\10.0\\SetupPath (32-bit view)\n"
                         "P3D4\t" +
                         prefix +
                         "/drive_c/P3D4\tHKEY_LOCAL_MACHINE\\Software\\Lockheed "
                         "Martin\\Prepar3D v4\\SetupPath (64-bit view)\n");
    EXPECT_NE(r.err.find("Invalid data type for 'SetupPath' (HKEY_LOCAL_MACHINE\\Software\\"
                         "Lockheed Martin\\Prepar3D v5"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(cli("--sim p3d4 sim").out, "P3D4\t" + prefix + "/drive_c/P3D4\n");
    EXPECT_EQ(cli("--sim P3D6 sim").out, "P3D6\t\n");
    EXPECT_EQ(cli("sims x").exitCode, 2);
}

TEST_F(CliSimTest, StartCreatesTheFourWorkingFolders)
{
    registry("");
    writeFile(work + "/downloads/pkg/installerinfo.txt", "keep");
    const auto r = cli("sim");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* folder : {"downloads", "tempzip", "templiv", "images"})
        EXPECT_TRUE(exists(work + "/" + folder)) << folder;
    EXPECT_EQ(test::readFile(work + "/downloads/pkg/installerinfo.txt"), "keep");

    EXPECT_EQ(cli("sim extra").exitCode, 2);
    EXPECT_EQ(cli("--sim fs10 sim").exitCode, 2);
}

} // namespace
} // namespace hx
