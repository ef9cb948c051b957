// The simulator look-ups over a Wine registry written by the test.

#include "packages/Simulator.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace hx {
namespace {

using test::TempDir;

// Registry sections as Wine writes them (backslashes doubled).
constexpr const char* kFs9Section =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1\n";
constexpr const char* kFsxSection =
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1\n";
constexpr const char* kFs9Installed = "\"EXE Path\"=\"C:\\\\Games\\\\FS9\"\n";
constexpr const char* kFsxInstalled = "\"SetupPath\"=\"C:\\\\Games\\\\FSX\\\\\"\n";

class SimulatorTest : public ::testing::Test {
protected:
    TempDir prefix;
    std::string fs9Root = prefix / "drive_c/Games/FS9";
    std::string fsxRoot = prefix / "drive_c/Games/FSX/";

    std::unique_ptr<platform::Registry> registry(const std::string& sections)
    {
        test::writeFile(prefix / "system.reg", "WINE REGISTRY Version 2\n\n" + sections);
        return platform::openWineRegistry(prefix.path());
    }
};

void expectSim(const Simulator& sim, SimKind kind, const std::string& root)
{
    EXPECT_EQ(sim.kind, kind);
    EXPECT_EQ(sim.root, root);
}

TEST_F(SimulatorTest, StartupProposesTheInstalledSimulatorFs9First)
{
    expectSim(startupLookup(*registry("")), SimKind::None, "");
    expectSim(startupLookup(*registry(std::string(kFs9Section) + kFs9Installed)), SimKind::FS9,
              fs9Root);
    expectSim(startupLookup(*registry(std::string(kFsxSection) + kFsxInstalled)), SimKind::FSX,
              fsxRoot);
    // Both installed: FS9 always wins.
    expectSim(startupLookup(*registry(std::string(kFsxSection) + kFsxInstalled + kFs9Section +
                                      kFs9Installed)),
              SimKind::FS9, fs9Root);
}

TEST_F(SimulatorTest, Fs9KeyWithoutItsValueHidesAnInstalledFsx)
{
    const auto reg =
        registry(std::string(kFs9Section) + "\"Other\"=\"x\"\n" + kFsxSection + kFsxInstalled);
    expectSim(startupLookup(*reg), SimKind::None, "");
}

TEST_F(SimulatorTest, AnEmptyValueGivesAnEmptyRoot)
{
    expectSim(startupLookup(*registry(std::string(kFs9Section) + "\"exe path\"=\"\"\n")),
              SimKind::FS9, "");
}

TEST_F(SimulatorTest, AValueOfTheWrongTypeRaisesItsError)
{
    const auto reg = registry(std::string(kFs9Section) + "\"EXE Path\"=dword:00000001\n");
    try {
        startupLookup(*reg);
        FAIL() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'exe path'");
    }
    EXPECT_THROW(simulatorChosen(*reg, SimKind::FS9, Simulator{}), RegistryError);
    // Choosing the other simulator does not read the broken value.
    expectSim(simulatorChosen(*reg, SimKind::FSX, Simulator{SimKind::None, "R"}), SimKind::FSX,
              "R");
}

TEST_F(SimulatorTest, ChoosingASimulatorFollowsTheRegistryOrKeepsTheFolder)
{
    const auto onlyFs9 = registry(std::string(kFs9Section) + kFs9Installed);
    const Simulator start = startupLookup(*onlyFs9);

    // FSX missing: the list shows FSX, the box keeps FS9's folder.
    expectSim(simulatorChosen(*onlyFs9, SimKind::FSX, start), SimKind::FSX, fs9Root);
    // None keeps the folder too.
    expectSim(simulatorChosen(*onlyFs9, SimKind::None, start), SimKind::None, fs9Root);
    // Back to FS9 from a typed folder: the registry's folder again.
    expectSim(simulatorChosen(*onlyFs9, SimKind::FS9, Simulator{SimKind::FSX, "typed"}),
              SimKind::FS9, fs9Root);

    const auto both =
        registry(std::string(kFs9Section) + kFs9Installed + kFsxSection + kFsxInstalled);
    expectSim(simulatorChosen(*both, SimKind::FSX, start), SimKind::FSX, fsxRoot);

    // FS9's key without its value: the typed folder stays.
    const auto fs9NoValue = registry(std::string(kFs9Section) + "\"Other\"=\"x\"\n");
    expectSim(simulatorChosen(*fs9NoValue, SimKind::FS9, Simulator{SimKind::None, "typed"}),
              SimKind::FS9, "typed");
}

// FSX Steam Edition: the current user's AppPath (user.reg), then DovetailGames' Install_Path
// (system.reg, 32-bit view), used only when the classic key holds no folder.
TEST_F(SimulatorTest, FsxSteamEditionKeysStandInForAnEmptyClassicKey)
{
    const std::string steamUser =
        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator - "
        "Steam Edition\\\\10.0] 1\n\"AppPath\"=\"C:\\\\Steam\\\\FSX\\\\\"\n";
    const std::string dovetail = "[Software\\\\Wow6432Node\\\\DovetailGames\\\\FSX] 1\n"
                                 "\"Install_Path\"=\"C:\\\\Dovetail\\\\FSX\"\n";
    const std::string classicEmpty = std::string(kFsxSection) + "\"SetupPath\"=\"\"\n";
    const std::string steamRoot = prefix / "drive_c/Steam/FSX/";
    const std::string dovetailRoot = prefix / "drive_c/Dovetail/FSX";
    struct Row {
        const char* name;
        std::string system;
        std::string user;
        SimKind kind;       // at start-up
        std::string root;   // at start-up
        std::string chosen; // the root after choosing FSX over a typed folder
    };
    const Row rows[] = {
        {"user key only", "", steamUser, SimKind::FSX, steamRoot, steamRoot},
        {"machine key only", dovetail, "", SimKind::FSX, dovetailRoot, dovetailRoot},
        {"user key before machine key", dovetail, steamUser, SimKind::FSX, steamRoot, steamRoot},
        {"classic key wins", std::string(kFsxSection) + kFsxInstalled + dovetail, steamUser,
         SimKind::FSX, fsxRoot, fsxRoot},
        {"empty classic value", classicEmpty, steamUser, SimKind::FSX, steamRoot, steamRoot},
        {"empty classic value alone", classicEmpty, "", SimKind::FSX, "", ""},
        {"user key in system.reg is not read", steamUser, "", SimKind::None, "", "typed"},
        {"FS9's key still hides FSX at start-up", std::string(kFs9Section) + dovetail, steamUser,
         SimKind::None, "", steamRoot},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::writeFile(prefix / "user.reg", "WINE REGISTRY Version 2\n\n" + row.user);
        const auto reg = registry(row.system);
        expectSim(startupLookup(*reg), row.kind, row.root);
        expectSim(simulatorChosen(*reg, SimKind::FSX, Simulator{SimKind::None, "typed"}),
                  SimKind::FSX, row.chosen);
    }
}

TEST(AircraftBaseFolder, JoinsTheRootUnchanged)
{
    // The root stays as given; the rest is joined with the system's separator.
    const auto joined = [](std::string root, std::string rest) {
        std::replace(rest.begin(), rest.end(), '/', platform::kSeparator);
        return root + rest;
    };
    EXPECT_EQ(aircraftBaseFolder({SimKind::FS9, "R"}), joined("R", "/Aircraft/"));
    EXPECT_EQ(aircraftBaseFolder({SimKind::FSX, "R"}), joined("R", "/SimObjects/Airplanes/"));
    EXPECT_EQ(aircraftBaseFolder({SimKind::FS9, "R/"}), joined("R/", "/Aircraft/"));
    EXPECT_EQ(aircraftBaseFolder({SimKind::FSX, "/x/FSX/"}),
              joined("/x/FSX/", "/SimObjects/Airplanes/"));
    EXPECT_EQ(aircraftBaseFolder({SimKind::None, "R"}), std::nullopt);
    EXPECT_STREQ(simKindName(SimKind::None), "None");
    EXPECT_STREQ(simKindName(SimKind::FS9), "FS9");
    EXPECT_STREQ(simKindName(SimKind::FSX), "FSX");
}

} // namespace
} // namespace hx
