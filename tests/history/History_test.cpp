// The history of changes on real folders: install, removal and repair recorded and undone byte
// for byte, refusals that change nothing, pruning, and the move of a folder across volumes.

#include "aircraftcfg/Installation.h"
#include "aircraftcfg/Removal.h"
#include "history/History.h"
#include "platform/Errors.h"
#include "platform/MoveFolder.h"
#include "support/RecordingFeedback.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace hx {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

// Every entry below `folder`: files with their bytes, folders marked.
std::map<std::string, std::string> tree(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        entries[fs::relative(e.path(), folder).string()] =
            e.is_directory() ? "(folder)" : readFile(e.path().string());
    return entries;
}

std::string lfOnly(std::string text)
{
    std::erase(text, '\r');
    return text;
}

// The demo sandbox (an FSX folder with the maker's A320 and two local packages) in a temp
// folder, with a history in the start-up folder.
class HistoryTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string work = dir / "work";
    std::string product = dir / "FSX/SimObjects/Airplanes/KZQ_A320";
    Simulator sim{SimKind::FSX, dir / "FSX"};
    test::RecordingFeedback feedback;
    History history{work};

    void SetUp() override
    {
        fs::copy(std::string(HX_SOURCE_DIR) + "/examples/sandbox", dir.path(),
                 fs::copy_options::recursive);
        fs::create_directories(work);
    }

    void install(const char* package)
    {
        ASSERT_EQ(installOnePackage(preparePackage(dir / "downloads/" + package), sim, feedback,
                                    &history),
                  Outcome::Completed);
    }
    void remove(int index)
    {
        RemovalPanel panel;
        ASSERT_TRUE(panel.openPanel(sim, feedback));
        ASSERT_EQ(panel.productChosen(sim, panel.products().indexOf("KZQ_A320"), feedback),
                  Outcome::Completed);
        panel.selectLivery(index);
        ASSERT_EQ(panel.removeSelectedLivery(sim, feedback, &history), Outcome::Completed);
    }
};

TEST_F(HistoryTest, InstallRemoveUndoUndoRestoresTheAircraftByteForByte)
{
    const std::string original = readFile(product + "/aircraft.cfg");
    const std::string info = dir / "downloads/A320_Lusitania/installerinfo.txt";
    const std::string shipped = readFile(info);
    const std::string key = "ui_variation=Lusitania Air";
    struct Row {
        const char* name;
        std::string config; // as the file stands before the install
        std::string variation = "ui_variation=Lusitania Air"; // the package's key as written
    };
    const Row rows[] = {
        {"CR LF as shipped", original},
        {"LF only", lfOnly(original)},
        {"last line without a line end", original.substr(0, original.size() - 2)},
        {"the package's key in capitals and tabs", original, "UI_Variation\t= Lusitania Air "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(product + "/aircraft.cfg", row.config);
        std::string package = shipped;
        package.replace(package.find(key), key.size(), row.variation);
        writeFile(info, package);
        const auto before = tree(product);
        install("A320_Lusitania");
        remove(1); // Grey primer: its folder moves into the history
        EXPECT_FALSE(fs::exists(product + "/texture.Grey"));
        EXPECT_NE(tree(product), before);

        ASSERT_EQ(history.records().size(), 2u);
        EXPECT_EQ(undoQuestion(history.records()[0]), "Undo removal of Grey primer (KZQ_A320)?");
        EXPECT_EQ(undoQuestion(history.records()[1]),
                  "Undo installation of Lusitania Air (KZQ_A320)?");
        EXPECT_TRUE(history.undo().undone);
        EXPECT_TRUE(history.undo().undone);
        EXPECT_EQ(tree(product), before);
        EXPECT_TRUE(history.records().empty());
        EXPECT_FALSE(history.undo().undone);
    }
}

TEST_F(HistoryTest, UndoOfAnIdTakesBackEveryLaterChangeOfThatAircraftOnly)
{
    const auto before = tree(product);
    install("A320_Lusitania");
    install("A320_Northwind");
    remove(0);
    const auto records = history.records();
    ASSERT_EQ(records.size(), 3u);
    const UndoResult result = history.undo(records[2].id);
    EXPECT_TRUE(result.undone) << result.message;
    EXPECT_EQ(result.message, "Undone: removal of House colours (KZQ_A320)\n"
                              "Undone: installation of Northwind (KZQ_A320)\n"
                              "Undone: installation of Lusitania Air (KZQ_A320)");
    EXPECT_EQ(tree(product), before);
    EXPECT_FALSE(history.undo(99).undone);
}

// Whatever changed since, the undo refuses and leaves the aircraft and the history as they are.
TEST_F(HistoryTest, UndoRefusesAfterAnOutsideChange)
{
    struct Row {
        const char* name;
        void (*change)(const std::string& product);
        const char* why;
    };
    const Row rows[] = {
        {"a byte appended",
         [](const std::string& p) {
             writeFile(p + "/aircraft.cfg", readFile(p + "/aircraft.cfg") + "x");
         },
         "aircraft.cfg was changed since by something else"},
        {"the file deleted", [](const std::string& p) { fs::remove(p + "/aircraft.cfg"); },
         "aircraft.cfg is missing"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(dir / "FSX");
        fs::copy(std::string(HX_SOURCE_DIR) + "/examples/sandbox/FSX", dir / "FSX",
                 fs::copy_options::recursive);
        install("A320_Lusitania");
        remove(0);
        row.change(product);
        const auto changed = tree(product);
        const auto recorded = tree(history.folder());
        const UndoResult result = history.undo();
        EXPECT_FALSE(result.undone);
        EXPECT_NE(result.message.find(row.why), std::string::npos) << result.message;
        EXPECT_NE(result.message.find("nothing was undone"), std::string::npos);
        EXPECT_EQ(tree(product), changed);
        EXPECT_EQ(tree(history.folder()), recorded);
        fs::remove_all(history.folder());
    }
}

TEST_F(HistoryTest, AHistoryThatCannotBeWrittenStopsTheChangeBeforeAnythingIsTouched)
{
    writeFile(history.folder(), "a file where the folder should be");
    const auto before = tree(product);
    EXPECT_THROW(install("A320_Lusitania"), IoError);
    RemovalPanel panel;
    panel.openPanel(sim, feedback);
    panel.productChosen(sim, 0, feedback);
    EXPECT_THROW(panel.removeSelectedLivery(sim, feedback, &history), IoError);
    EXPECT_EQ(tree(product), before);
}

TEST_F(HistoryTest, AFailedWriteOfAircraftCfgLeavesNoRecord)
{
    // A read-only aircraft.cfg is not replaced, as Windows refuses to.
    const std::string config = product + "/aircraft.cfg";
    fs::permissions(config,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_THROW(install("A320_Lusitania"), IoError);
    EXPECT_TRUE(history.records().empty());
    EXPECT_FALSE(fs::exists(history.recordFolder(1)));
}

// The oldest whole records go once the count or the size is passed; the newest always stays.
TEST(HistoryPruning, KeepsTheNewestRecordsWithinCountAndSize)
{
    struct Row {
        const char* name;
        HistoryLimits limits;
        std::size_t fileSize; // of aircraft.cfg, kept in every record
        int changes;
        std::vector<std::uint64_t> kept; // newest first
    };
    const Row rows[] = {
        {"within both", {5, 1u << 20}, 100, 4, {4, 3, 2, 1}},
        {"count reached", {3, 1u << 20}, 100, 5, {5, 4, 3}},
        {"size reached", {50, 3000}, 1000, 5, {5, 4}},
        {"one record over the size stays", {50, 10}, 1000, 2, {2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        test::makeFolders(dir / "work");
        History history(dir / "work", row.limits);
        const std::string config = dir / "aircraft.cfg";
        for (int i = 0; i < row.changes; ++i) {
            writeFile(config, std::string(row.fileSize, static_cast<char>('a' + i)));
            PendingChange change = history.begin(ChangeAction::Repair, "KZQ_A320", "all", config,
                                                 std::string(row.fileSize, 'z'));
            writeFile(config, std::string(row.fileSize, 'z'));
            change.finish();
        }
        std::vector<std::uint64_t> kept;
        for (const ChangeRecord& r : history.records())
            kept.push_back(r.id);
        EXPECT_EQ(kept, row.kept);
    }
}

TEST(MoveFolder, MovesATreeOnOneVolumeAndAcrossVolumes)
{
    TempDir dir;
    // A second volume is only known on Linux (its tmpfs); the copy-then-delete row covers the
    // crossing on Windows.
#ifdef _WIN32
    const bool haveShm = false;
#else
    struct stat shm;
    const bool haveShm = ::stat("/dev/shm", &shm) == 0 && ::access("/dev/shm", W_OK) == 0;
#endif
    const std::string other = haveShm ? "/dev/shm/hx-move-" + std::to_string(::getpid()) : "";
    struct Row {
        const char* name;
        std::string target;
        bool (*move)(const std::string&, const std::string&);
    };
    std::vector<Row> rows = {
        {"rename", dir / "moved", platform::moveFolder},
        {"copy then delete", dir / "copied", platform::copyFolderThenDelete},
    };
    if (haveShm)
        rows.push_back({"across volumes", other, platform::moveFolder});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(dir / "texture.Red/a.bmp", "BM a");
        writeFile(dir / "texture.Red/sub/b.bmp", "BM b");
        const auto before = tree(dir / "texture.Red");
        EXPECT_TRUE(row.move(dir / "texture.Red", row.target));
        EXPECT_FALSE(fs::exists(dir / "texture.Red"));
        EXPECT_EQ(tree(row.target), before);
        fs::remove_all(row.target);
    }
}

} // namespace
} // namespace hx
