// Changes under faults: every write, flush or rename of an installation, a removal or an undo
// made to fail in turn, the process killed at each of them, two processes at once, a damaged
// history. After each, the aircraft holds its old state or its new one, never a half-done one,
// and what was reported matches what happened.

#include "aircraftcfg/Check.h"
#include "aircraftcfg/Installation.h"
#include "aircraftcfg/Removal.h"
#include "history/ChangeLock.h"
#include "history/History.h"
#include "platform/Errors.h"
#include "platform/Faults.h"
#include "platform/FileSystem.h"
#include "support/RecordingFeedback.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace hx {
namespace {

namespace fs = std::filesystem;
using platform::faults::Step;

const std::string kConfig = "[fltsim.0]\r\ntitle=KZQ A320 House\r\nsim=KZQ_A320\r\n"
                            "texture=House\r\nui_variation=House\r\n\r\n"
                            "[General]\r\natc_type=KZQ\r\n";

// Every file below a folder with its bytes: the state compared before and after.
using Tree = std::map<std::string, std::string>;

Tree treeOf(const std::string& folder)
{
    Tree tree;
    for (const auto& entry : fs::recursive_directory_iterator(test::fsPath(folder))) {
        const std::string rel = fs::relative(entry.path(), test::fsPath(folder)).generic_string();
        tree[rel] = entry.is_regular_file() ? test::readFile(entry.path().string()) : "<folder>";
    }
    return tree;
}

// A start-up folder with a history, an FSX aircraft with one livery and its texture folder,
// and a package of a second livery with three texture files.
struct Sandbox {
    test::TempDir dir;
    test::RecordingFeedback feedback;
    Simulator sim{SimKind::FSX, dir / "FSX"};
    History history{dir / "start"};
    std::string aircraft = dir / "FSX/SimObjects/Airplanes/KZQ_A320";
    std::string cfg = aircraft + "/aircraft.cfg";

    Sandbox()
    {
        test::makeFolders(dir / "start");
        test::writeFile(cfg, kConfig);
        test::writeFile(aircraft + "/texture.House/house.bmp", "house");
        test::writeFile(aircraft + "/texbase/base.bmp", "base");
        test::writeFile(dir / "start/downloads/Blue/installerinfo.txt",
                        "[fltsim.xx]\r\ntitle=KZQ A320 Blue\r\nsim=KZQ_A320\r\ntexture=Blue\r\n"
                        "ui_variation=Blue\r\nproductfolder=A320\r\n");
        for (const char* name : {"a.bmp", "b.bmp", "thumbnail.jpg"})
            test::writeFile(dir / ("start/downloads/Blue/texture.Blue/" + std::string(name)),
                            std::string(50, name[0]));
    }
    ~Sandbox() { platform::faults::reset(); }

    Outcome install()
    {
        return installOnePackage(preparePackage(dir / "start/downloads/Blue"), sim, feedback,
                                 &history);
    }
    Outcome removeFirst()
    {
        RemovalPanel panel;
        panel.openPanel(sim, feedback);
        panel.productChosen(sim, 0, feedback);
        panel.selectLivery(0);
        return panel.removeSelectedLivery(sim, feedback, &history);
    }
    Outcome undo() { return history.undo().undone ? Outcome::Completed : Outcome::Refused; }
    // What the next change does first: recover the history under the locks.
    void recover() { ChangeLock lock(cfg, &history); }
};

// The operations, each with the state it starts from (set up by `prepare`).
struct Operation {
    const char* name;
    std::function<void(Sandbox&)> prepare;
    std::function<Outcome(Sandbox&)> run;
};

const Operation kOperations[] = {
    {"installation into a new texture folder", [](Sandbox&) {},
     [](Sandbox& s) { return s.install(); }},
    {"installation into an existing texture folder",
     [](Sandbox& s) { test::writeFile(s.aircraft + "/texture.Blue/a.bmp", "mine"); },
     [](Sandbox& s) { return s.install(); }},
    {"removal", [](Sandbox&) {}, [](Sandbox& s) { return s.removeFirst(); }},
    {"undo of an installation", [](Sandbox& s) { ASSERT_EQ(s.install(), Outcome::Completed); },
     [](Sandbox& s) { return s.undo(); }},
    {"undo of a removal", [](Sandbox& s) { ASSERT_EQ(s.removeFirst(), Outcome::Completed); },
     [](Sandbox& s) { return s.undo(); }},
};

// The state after a clean run of the operation.
Tree cleanResult(const Operation& op)
{
    Sandbox s;
    op.prepare(s);
    EXPECT_EQ(op.run(s), Outcome::Completed)
        << op.name << ": " << (s.feedback.messages.empty() ? "" : s.feedback.messages.back());
    return treeOf(s.aircraft);
}

// Whatever failed, the aircraft is as before or as after; a reported completion means after;
// after the next change's recovery the history still undoes what is there.
// A removal whose texture folder could not move away also stands, said in its message: the
// entry is gone and the folder stays as it was.
void expectWholeState(Sandbox& s, const Tree& before, const Tree& after, bool completed,
                      const std::string& where, bool killed = false)
{
    if (killed)
        s.recover(); // what the next start does
    const Tree now = treeOf(s.aircraft);
    Tree folderKept = after;
    for (const auto& [path, bytes] : before)
        if (path.rfind("texture.House", 0) == 0)
            folderKept[path] = bytes;
    const bool keptAndSaid =
        now == folderKept && !s.feedback.messages.empty() &&
        s.feedback.messages.back().find("could not be deleted") != std::string::npos;
    EXPECT_TRUE(now == before || now == after || keptAndSaid) << where;
    if (completed && !keptAndSaid) {
        EXPECT_EQ(now, after) << where << ": reported as done";
    }
    s.recover();
    EXPECT_EQ(treeOf(s.aircraft), now) << where << ": the recovery changed a whole state";
    if (now != before) {
        // The change stands and is recorded: undoing it gives the state before it.
        platform::faults::reset();
        const UndoResult undone = s.history.undo();
        if (undone.undone) {
            EXPECT_EQ(treeOf(s.aircraft), before) << where << ": undo";
        } else {
            EXPECT_EQ(treeOf(s.aircraft), now) << where << ": a refused undo";
        }
    }
}

TEST(ChangeFaults, AFailedWriteFlushOrRenameLeavesTheOldStateOrTheNew)
{
    for (const Operation& op : kOperations) {
        const Tree after = cleanResult(op);
        for (const Step step : {Step::Write, Step::Flush, Step::Rename}) {
            for (int k = 1;; ++k) {
                const std::string where = std::string(op.name) + ", step kind " +
                                          std::to_string(int(step)) + " #" + std::to_string(k);
                Sandbox s;
                op.prepare(s);
                const Tree before = treeOf(s.aircraft);
                platform::faults::reset();
                platform::faults::failAt(step, k, ENOSPC);
                bool completed = false;
                std::string error;
                try {
                    completed = op.run(s) == Outcome::Completed;
                } catch (const Error& e) {
                    error = e.what();
                }
                const bool reached = platform::faults::count(step) >= k;
                platform::faults::reset();
                // A failure said why in words.
                if (!error.empty()) {
                    std::string lower = error;
                    for (char& c : lower)
                        c = char(std::tolower(static_cast<unsigned char>(c)));
                    EXPECT_TRUE(lower.find("disk is full") != std::string::npos ||
                                lower.find("disk full") != std::string::npos ||
                                lower.find("no space left") != std::string::npos)
                        << where << ": " << error;
                }
                expectWholeState(s, before, after, completed, where);
                if (!reached)
                    break; // the operation ran to its end without meeting step k
            }
        }
    }
}

#ifndef _WIN32
TEST(ChangeFaults, AProcessKilledAtAnyStepLeavesAWholeStateAfterTheNextStart)
{
    for (const Operation& op : kOperations) {
        const Tree after = cleanResult(op);
        for (const Step step : {Step::Write, Step::Flush, Step::Rename}) {
            for (int k = 1; k < 50; ++k) {
                const std::string where = std::string(op.name) + ", killed before step kind " +
                                          std::to_string(int(step)) + " #" + std::to_string(k);
                Sandbox s;
                op.prepare(s);
                const Tree before = treeOf(s.aircraft);
                const pid_t child = ::fork();
                if (child == 0) {
                    platform::faults::reset();
                    platform::faults::setHook([&](Step kind, int n) {
                        if (kind == step && n == k)
                            ::_exit(9); // no destructor, no clean-up: as SIGKILL
                    });
                    try {
                        op.run(s);
                    } catch (...) {
                    }
                    ::_exit(0);
                }
                int status = 0;
                ASSERT_EQ(::waitpid(child, &status, 0), child);
                ASSERT_TRUE(WIFEXITED(status));
                expectWholeState(s, before, after, false, where, true);
                if (WEXITSTATUS(status) == 0)
                    break; // the child ran to its end
            }
        }
    }
}
#endif

TEST(ChangeFaults, ADamagedHistoryIsSetAsideAndNeverApplied)
{
    struct Row {
        const char* name;
        std::function<void(Sandbox&, const std::string& record)> damage;
    };
    const Row rows[] = {
        {"record cut short",
         [](Sandbox&, const std::string& record) {
             const std::string text = test::readFile(record + "/change.txt");
             test::writeFile(record + "/change.txt", text.substr(0, text.size() / 2));
         }},
        {"aircraft.cfg copy emptied",
         [](Sandbox&, const std::string& record) {
             test::writeFile(record + "/aircraft.cfg", "");
         }},
        {"aircraft.cfg copy cut",
         [](Sandbox&, const std::string& record) {
             test::writeFile(record + "/aircraft.cfg", kConfig.substr(0, 60));
         }},
        {"a copied file outside the aircraft",
         [](Sandbox& s, const std::string& record) {
             test::writeFile(record + "/change.txt", test::readFile(record + "/change.txt") +
                                                         "copied=" + (s.dir / "precious.txt") +
                                                         "\n");
         }},
        {"config naming another file",
         [](Sandbox& s, const std::string& record) {
             std::string text = test::readFile(record + "/change.txt");
             text.replace(text.find("config=") + 7, s.cfg.size(), s.dir / "precious.txt");
             test::writeFile(record + "/change.txt", text);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Sandbox s;
        test::writeFile(s.dir / "precious.txt", "keep me");
        ASSERT_EQ(s.install(), Outcome::Completed);
        const Tree installed = treeOf(s.aircraft);
        row.damage(s, s.history.recordFolder(1));

        // The undo sets the record aside with a word and applies nothing of it.
        std::vector<std::string> said;
        setChangeNotice([&](const std::string& line) { said.push_back(line); });
        EXPECT_FALSE(s.history.undo().undone);
        EXPECT_EQ(treeOf(s.aircraft), installed);
        EXPECT_EQ(test::readFile(s.dir / "precious.txt"), "keep me");
        // The next change is not blocked.
        EXPECT_EQ(s.removeFirst(), Outcome::Completed);
        setChangeNotice(nullptr);
        ASSERT_EQ(said.size(), 1u);
        EXPECT_NE(said[0].find("set aside"), std::string::npos) << said[0];
        EXPECT_TRUE(test::exists(s.history.recordFolder(1) + ".damaged"));
        EXPECT_EQ(test::readFile(s.dir / "precious.txt"), "keep me");
        EXPECT_EQ(s.history.records().front().id, 2u);
    }
}

// The window's events may throw while the textures are copied (on two threads): the copies stop
// and nothing of them is left beside the texture folder or in the aircraft.
TEST(ChangeFaults, AnErrorFromTheEventsWhileCopyingLeavesTheAircraftAsItWas)
{
    struct ThrowingFeedback : test::RecordingFeedback {
        void processEvents() override { throw Error("the window closed"); }
    };
    Sandbox s;
    const Tree before = treeOf(s.aircraft);
    ThrowingFeedback feedback;
    EXPECT_THROW(installOnePackage(preparePackage(s.dir / "start/downloads/Blue"), s.sim, feedback,
                                   &s.history),
                 Error);
    EXPECT_EQ(treeOf(s.aircraft), before);
}

#ifndef _WIN32
TEST(ChangeFaults, SpecialFilesInAPackageAreSkippedWithANote)
{
    Sandbox s;
    ASSERT_EQ(::mkfifo((s.dir / "start/downloads/Blue/texture.Blue/pipe.bmp").c_str(), 0644), 0);
    std::vector<std::string> said;
    setChangeNotice([&](const std::string& line) { said.push_back(line); });
    EXPECT_EQ(s.install(), Outcome::Completed); // without waiting for a writer
    setChangeNotice(nullptr);
    EXPECT_FALSE(test::exists(s.aircraft + "/texture.Blue/pipe.bmp"));
    EXPECT_TRUE(test::exists(s.aircraft + "/texture.Blue/a.bmp"));
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("pipe.bmp"), std::string::npos);
}
#endif

#ifndef _WIN32
TEST(ChangeFaults, ARemovedLinkComesBackAsALink)
{
    Sandbox s;
    test::writeFile(s.dir / "elsewhere/house.bmp", "shared");
    fs::remove_all(test::fsPath(s.aircraft + "/texture.House"));
    fs::create_directory_symlink(test::fsPath(s.dir / "elsewhere"),
                                 test::fsPath(s.aircraft + "/texture.House"));
    EXPECT_EQ(s.removeFirst(), Outcome::Completed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(test::fsPath(s.aircraft + "/texture.House"))));
    EXPECT_EQ(test::readFile(s.dir / "elsewhere/house.bmp"), "shared"); // never followed
    EXPECT_TRUE(s.history.undo().undone);
    EXPECT_TRUE(fs::is_symlink(test::fsPath(s.aircraft + "/texture.House")));
    EXPECT_EQ(test::readFile(s.aircraft + "/texture.House/house.bmp"), "shared");
}
#endif

TEST(ChangeFaults, CheckReportsTextureFilesGoneOrChangedSinceTheInstallation)
{
    Sandbox s;
    ASSERT_EQ(s.install(), Outcome::Completed);
    EXPECT_TRUE(checkRecordedTextures(test::readFile(s.cfg), s.cfg, s.history).empty());
    test::writeFile(s.aircraft + "/texture.Blue/a.bmp", "cut");
    ASSERT_TRUE(platform::deleteFile(s.aircraft + "/texture.Blue/b.bmp"));
    const std::vector<std::string> problems =
        checkRecordedTextures(test::readFile(s.cfg), s.cfg, s.history);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("a.bmp of Blue holds 3 bytes; the installation copied 50"),
              std::string::npos)
        << problems[0];
    EXPECT_NE(problems[1].find("b.bmp of Blue is missing"), std::string::npos) << problems[1];
    // Once the livery is removed, its files are no longer the check's business.
    RemovalPanel panel;
    panel.openPanel(s.sim, s.feedback);
    panel.productChosen(s.sim, 0, s.feedback);
    panel.selectLivery(1);
    ASSERT_EQ(panel.removeSelectedLivery(s.sim, s.feedback, &s.history), Outcome::Completed);
    EXPECT_TRUE(checkRecordedTextures(test::readFile(s.cfg), s.cfg, s.history).empty());
}

TEST(ChangeFaults, FilesAlreadyInTheTextureFolderAreKeptAndCounted)
{
    Sandbox s;
    test::writeFile(s.aircraft + "/texture.Blue/a.bmp", "mine");
    test::writeFile(s.aircraft + "/texture.Blue/b.bmp", "mine too");
    std::vector<std::string> said;
    setChangeNotice([&](const std::string& line) { said.push_back(line); });
    EXPECT_EQ(s.install(), Outcome::Completed);
    setChangeNotice(nullptr);
    EXPECT_EQ(test::readFile(s.aircraft + "/texture.Blue/a.bmp"), "mine");
    EXPECT_EQ(test::readFile(s.aircraft + "/texture.Blue/thumbnail.jpg"), std::string(50, 't'));
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("held 2 files"), std::string::npos) << said[0];
}

TEST(ChangeFaults, ATextureFolderThatCannotMoveIsReportedAndKept)
{
    // The move into the history is the removal's last rename but the final record's.
    const int renamesBefore = [&] {
        Sandbox probe;
        platform::faults::reset();
        probe.removeFirst();
        return platform::faults::count(Step::Rename);
    }();
    Sandbox s;
    platform::faults::reset();
    platform::faults::failAt(Step::Rename, renamesBefore - 1, EBUSY);
    EXPECT_EQ(s.removeFirst(), Outcome::Completed);
    platform::faults::reset();
    ASSERT_EQ(s.feedback.messages.size(), 1u);
    EXPECT_NE(s.feedback.messages[0].find("could not be deleted"), std::string::npos)
        << s.feedback.messages[0];
    EXPECT_TRUE(test::exists(s.aircraft + "/texture.House/house.bmp"));
    // Undo brings the entry back to the folder that stayed.
    EXPECT_TRUE(s.history.undo().undone);
    EXPECT_EQ(test::readFile(s.cfg), kConfig);
}

} // namespace
} // namespace hx
