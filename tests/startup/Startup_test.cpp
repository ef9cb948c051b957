// The start-up both front ends run: in the current folder, with a Wine registry written by the
// test and a history left with a killed process's unfinished change.

#include "history/ChangeLock.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "startup/Startup.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hx {
namespace {

using test::TempDir;

constexpr const char* kFs9 = "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight "
                             "Simulator\\\\9.0] 1\n\"EXE Path\"=\"C:\\\\FS9\"\n";
constexpr const char* kFsx = "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight "
                             "Simulator\\\\10.0] 1\n\"SetupPath\"=\"C:\\\\FSX\"\n";
constexpr const char* kBrokenFs9 = "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft "
                                   "Games\\\\Flight Simulator\\\\9.0] 1\n\"EXE Path\"=dword:1\n";

class StartupTest : public ::testing::Test {
protected:
    TempDir prefix;
    TempDir start;
    std::filesystem::path oldFolder = std::filesystem::current_path();
    std::vector<std::string> notices;

    void SetUp() override
    {
        std::filesystem::current_path(start.path());
        setChangeNotice([this](const std::string& line) { notices.push_back(line); });
    }
    void TearDown() override
    {
        setChangeNotice(nullptr);
        std::filesystem::current_path(oldFolder);
    }
    std::unique_ptr<platform::Registry> registry(const std::string& sections)
    {
        test::writeFile(prefix / "system.reg", "WINE REGISTRY Version 2\n\n" + sections);
        return platform::openWineRegistry(prefix.path());
    }
};

// The proposal, a kind asked for, and a registry error that leaves no simulator but a start-up.
TEST_F(StartupTest, LooksTheSimulatorUpAsTheRegistryOrTheChoiceSays)
{
    struct Row {
        const char* name;
        std::string sections;
        std::optional<SimKind> chosen;
        SimKind kind;
        bool hasRoot;
        const char* error;
    };
    const Row rows[] = {
        {"nothing installed", "", std::nullopt, SimKind::None, false, ""},
        {"FS9 proposed first", std::string(kFsx) + kFs9, std::nullopt, SimKind::FS9, true, ""},
        {"FSX asked for", std::string(kFsx) + kFs9, SimKind::FSX, SimKind::FSX, true, ""},
        {"asked for, not installed", kFs9, SimKind::FSX, SimKind::FSX, false, ""},
        {"broken value", kBrokenFs9, std::nullopt, SimKind::None, false,
         "Invalid data type for 'exe path'"},
        {"broken value of the one asked for", kBrokenFs9, SimKind::FS9, SimKind::None, false,
         "Invalid data type for 'exe path'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Startup s = startUp(*registry(row.sections), row.chosen);
        EXPECT_EQ(s.folder, std::filesystem::current_path().string());
        ASSERT_NE(s.history, nullptr);
        EXPECT_EQ(s.history->folder(), platform::joinPath(s.folder, "history"));
        EXPECT_EQ(s.sim.kind, row.kind);
        EXPECT_EQ(!s.sim.root.empty(), row.hasRoot) << s.sim.root;
        EXPECT_EQ(s.lookupError, row.error);
    }
}

// A change a killed process left unfinished is recovered before the front end does anything,
// and the notice says so.
TEST_F(StartupTest, RecoversTheHistoryOfTheStartupFolder)
{
    const std::string cfg = start / "KZQ_A320/aircraft.cfg";
    test::writeFile(cfg, "[fltsim.0]\r\ntitle=A\r\n");
    {
        History history(std::filesystem::current_path().string());
        PendingChange change =
            history.begin(ChangeAction::Repair, "KZQ_A320", "all liveries", cfg, "planned");
        test::writeFile(cfg, "planned");
        // The process is killed here: aircraft.cfg is written, the record still says begun.
    }
    const Startup s = startUp(*registry(""));
    ASSERT_EQ(s.history->records().size(), 1u);
    EXPECT_EQ(s.history->records()[0].state, ChangeState::Done);
    EXPECT_EQ(notices, std::vector<std::string>{
                           "An interrupted repair of all liveries (KZQ_A320) was completed"});
}

} // namespace
} // namespace hx
