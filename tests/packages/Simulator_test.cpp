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

// Every simulator the registry names, in the view its program writes: Prepar3D v1 to v3 as
// 32-bit programs (Wow6432Node), v4 and later as 64-bit ones, each also by the user's AppPath.
TEST_F(SimulatorTest, FindsEveryInstalledSimulatorWithItsSource)
{
    const auto lm = [](const char* view, const char* product) {
        return std::string("[Software\\\\") + view + "Lockheed Martin\\\\" + product + "] 1\n";
    };
    const auto value = [](const char* name, const char* folder) {
        return "\"" + std::string(name) + "\"=\"C:\\\\" + folder + "\"\n";
    };
    for (const char* folder : {"FS9", "FSX", "SE", "P1", "P2", "P3", "P4", "P5", "P6", "U4"})
        test::makeFolders(prefix / ("drive_c/" + std::string(folder)));
    struct Row {
        const char* name;
        std::string system;
        std::string user;
        // kind, folder below drive_c, the end of the source
        std::vector<std::tuple<SimKind, std::string, std::string>> found;
    };
    const std::string hklm = "HKEY_LOCAL_MACHINE\\";
    const Row rows[] = {
        {"nothing installed", "", "", {}},
        {"FS9 and both FSX",
         std::string(kFs9Section) + value("exe path", "FS9") + kFsxSection +
             value("SetupPath", "FSX") + "[Software\\\\Wow6432Node\\\\DovetailGames\\\\FSX] 1\n" +
             value("Install_Path", "SE"),
         "",
         {{SimKind::FS9, "FS9", "9.0\\exe path (32-bit view)"},
          {SimKind::FSX, "FSX", "10.0\\SetupPath (32-bit view)"},
          {SimKind::FSX, "SE", "DovetailGames\\FSX\\Install_Path (32-bit view)"}}},
        {"every Prepar3D in its view",
         lm("Wow6432Node\\\\", "Prepar3D") + value("SetupPath", "P1") +
             lm("Wow6432Node\\\\", "Prepar3D v2") + value("SetupPath", "P2") +
             lm("Wow6432Node\\\\", "Prepar3D v3") + value("SetupPath", "P3") +
             lm("", "Prepar3D v4") + value("SetupPath", "P4") + lm("", "Prepar3D v5") +
             value("SetupPath", "P5") + lm("", "Prepar3D v6") + value("SetupPath", "P6"),
         "",
         {{SimKind::P3D1, "P1", "Lockheed Martin\\Prepar3D\\SetupPath (32-bit view)"},
          {SimKind::P3D2, "P2", "Prepar3D v2\\SetupPath (32-bit view)"},
          {SimKind::P3D3, "P3", "Prepar3D v3\\SetupPath (32-bit view)"},
          {SimKind::P3D4, "P4", "Prepar3D v4\\SetupPath (64-bit view)"},
          {SimKind::P3D5, "P5", "Prepar3D v5\\SetupPath (64-bit view)"},
          {SimKind::P3D6, "P6", "Prepar3D v6\\SetupPath (64-bit view)"}}},
        {"a 64-bit version in the 32-bit view is not its key",
         lm("Wow6432Node\\\\", "Prepar3D v4") + value("SetupPath", "P4"),
         "",
         {}},
        {"missing folders are dropped",
         lm("", "Prepar3D v5") + value("SetupPath", "Gone") + std::string(kFs9Section) +
             value("exe path", "Gone"),
         "",
         {}},
        {"the user's AppPath, once per folder",
         lm("", "Prepar3D v4") + value("SetupPath", "P4"),
         lm("", "Prepar3D v4") + value("AppPath", "p4\\\\") + lm("", "Prepar3D v5") +
             value("AppPath", "U4"),
         {{SimKind::P3D4, "P4", "Prepar3D v4\\SetupPath (64-bit view)"},
          {SimKind::P3D5, "U4",
           "HKEY_CURRENT_USER\\Software\\Lockheed Martin\\Prepar3D "
           "v5\\AppPath (64-bit view)"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::writeFile(prefix / "user.reg", "WINE REGISTRY Version 2\n\n" + row.user);
        const SimulatorSearch search = findSimulators(*registry(row.system));
        EXPECT_TRUE(search.problems.empty());
        ASSERT_EQ(search.found.size(), row.found.size());
        for (std::size_t i = 0; i < row.found.size(); ++i) {
            const auto& [kind, folder, source] = row.found[i];
            EXPECT_EQ(search.found[i].kind, kind);
            EXPECT_EQ(search.found[i].root, prefix / ("drive_c/" + folder));
            EXPECT_TRUE(search.found[i].source.ends_with(source)) << search.found[i].source;
            EXPECT_TRUE(search.found[i].source.starts_with("HKEY_")) << search.found[i].source;
        }
    }
    // Choosing a version takes its folder from the same keys; a broken value is named with its
    // source and hides nothing else.
    test::writeFile(prefix / "user.reg", "WINE REGISTRY Version 2\n\n");
    const auto broken = registry(lm("", "Prepar3D v4") + value("SetupPath", "P4") +
                                 lm("", "Prepar3D v5") + "\"SetupPath\"=dword:00000001\n");
    expectSim(simulatorChosen(*broken, SimKind::P3D4, Simulator{SimKind::None, "typed"}),
              SimKind::P3D4, prefix / "drive_c/P4");
    const SimulatorSearch search = findSimulators(*broken);
    ASSERT_EQ(search.found.size(), 1u);
    ASSERT_EQ(search.problems.size(), 1u);
    EXPECT_EQ(search.problems[0], "Invalid data type for 'SetupPath' (HKEY_LOCAL_MACHINE\\"
                                  "Software\\Lockheed Martin\\Prepar3D v5\\SetupPath (64-bit "
                                  "view))");
    EXPECT_THROW(simulatorChosen(*broken, SimKind::P3D5, Simulator{}), RegistryError);
}

TEST(SimulatorKinds, NamesOptionsAndLayout)
{
    struct Row {
        const char* option;
        std::optional<SimKind> kind;
        const char* name;
        const char* title;
        bool likeFsx;
    };
    const Row rows[] = {
        {"none", SimKind::None, "None", "None", false},
        {"FS9", SimKind::FS9, "FS9", "FS9", false},
        {"fsx", SimKind::FSX, "FSX", "FSX", true},
        {"p3d1", SimKind::P3D1, "P3D1", "Prepar3D", true},
        {"P3D4", SimKind::P3D4, "P3D4", "Prepar3D v4", true},
        {"p3d6", SimKind::P3D6, "P3D6", "Prepar3D v6", true},
        {"p3d7", std::nullopt, "", "", false},
        {"p3d", std::nullopt, "", "", false},
        {"", std::nullopt, "", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.option);
        EXPECT_EQ(parseSimKind(row.option), row.kind);
        if (!row.kind)
            continue;
        EXPECT_STREQ(simKindName(*row.kind), row.name);
        EXPECT_STREQ(simKindTitle(*row.kind), row.title);
        EXPECT_EQ(installsLikeFsx(*row.kind), row.likeFsx);
        // The name is what `--sim` takes back.
        EXPECT_EQ(parseSimKind(simKindName(*row.kind)), row.kind);
    }
}

TEST_F(SimulatorTest, AFolderWithoutAircraftIsNotASimulatorFolder)
{
    test::makeFolders(prefix / "fs9/aircraft");
    test::makeFolders(prefix / "fsx/SimObjects/Airplanes");
    test::makeFolders(prefix / "half/SimObjects");
    EXPECT_EQ(notASimulatorFolder(prefix / "fs9"), std::nullopt); // found by case, as on Windows
    EXPECT_EQ(notASimulatorFolder(prefix / "fsx"), std::nullopt);
    for (const char* wrong : {"half", "missing"}) {
        const auto problem = notASimulatorFolder(prefix / wrong);
        ASSERT_TRUE(problem) << wrong;
        EXPECT_TRUE(problem->ends_with("does not look like a simulator folder: it holds neither "
                                       "SimObjects" +
                                       std::string(1, platform::kSeparator) +
                                       "Airplanes nor Aircraft"));
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
    EXPECT_EQ(aircraftBaseFolder({SimKind::P3D5, "R"}), joined("R", "/SimObjects/Airplanes/"));
    EXPECT_EQ(aircraftBaseFolder({SimKind::None, "R"}), std::nullopt);
    EXPECT_STREQ(simKindName(SimKind::None), "None");
    EXPECT_STREQ(simKindName(SimKind::FS9), "FS9");
    EXPECT_STREQ(simKindName(SimKind::FSX), "FSX");
}

} // namespace
} // namespace hx
