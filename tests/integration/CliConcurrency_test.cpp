// Real processes at once on one aircraft: every change they report as done is in aircraft.cfg
// with its texture folder, no folder is left without its entry, and the history's chain undoes
// them all.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

namespace hx {
namespace {

#ifndef _WIN32
const std::string kConfig = "[fltsim.0]\r\ntitle=KZQ A320 House\r\ntexture=House\r\n"
                            "ui_variation=House\r\n\r\n[General]\r\natc_type=KZQ\r\n";

struct Race {
    test::TempDir dir;
    std::string product = dir / "FSX/SimObjects/Airplanes/KZQ_A320";

    Race(const std::vector<std::string>& liveries)
    {
        test::writeFile(product + "/aircraft.cfg", kConfig);
        test::makeFolders(product + "/texture.House");
        for (const char* start : {"start", "other"})
            for (const std::string& v : liveries) {
                const std::string package = dir / (std::string(start) + "/downloads/" + v);
                test::writeFile(package + "/installerinfo.txt",
                                "[fltsim.xx]\r\ntitle=KZQ A320 " + v + "\r\ntexture=" + v +
                                    "\r\nui_variation=" + v + "\r\nproductfolder=A320\r\n");
                for (int i = 0; i < 20; ++i)
                    test::writeFile(package + "/texture." + v + "/t" + std::to_string(i) + ".bmp",
                                    std::string(20000, char('a' + i)));
            }
    }

    // One hangarix-cli command line, its output in out<i> and its exit code in rc<i>.
    std::string command(int i, const std::string& start, const std::string& args) const
    {
        const std::string n = std::to_string(i);
        return "( WINEPREFIX=" + test::shellQuote(dir / "wine") + " " +
               test::shellQuote(HX_CLI_PATH) + " -C " + test::shellQuote(dir / start) +
               " --sim fsx --root " + test::shellQuote(dir / "FSX") + " " + args + " >" +
               test::shellQuote(dir / ("out" + n)) + " 2>&1; echo $? >" +
               test::shellQuote(dir / ("rc" + n)) + " ) &";
    }
    std::string out(int i) const { return test::readFile(dir / ("out" + std::to_string(i))); }
    std::string config() const { return test::readFile(product + "/aircraft.cfg"); }

    // Every texture.* folder is named by an entry, and the other way round; no staging folder.
    void expectNoOrphan() const
    {
        const std::string cfg = config();
        for (const auto& entry : std::filesystem::directory_iterator(product)) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find("hangarix-new"), std::string::npos) << name;
            if (name.rfind("texture.", 0) == 0) {
                EXPECT_NE(cfg.find("texture=" + name.substr(8) + "\r\n"), std::string::npos)
                    << name << " has no entry";
            }
        }
    }
};

TEST(CliConcurrency, EveryReportedChangeIsWholeAndTheHistoryChainUndoesThem)
{
    struct Row {
        const char* name;
        std::vector<std::string> liveries;
        bool undoRacing;        // an undo of a first installation runs among them
        bool twoStartupFolders; // half the processes keep another history
    };
    const Row rows[] = {
        {"six installations, one history", {"A", "B", "C", "D", "E", "F"}, false, false},
        {"four installations, two histories", {"A", "B", "C", "D"}, false, true},
        {"installations racing an undo", {"A", "B", "C"}, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Race race(row.liveries);
        if (row.undoRacing) {
            ASSERT_EQ(test::runProcess(race.command(99, "start", "install A") + " wait").exitCode,
                      0);
            ASSERT_NE(race.config().find("ui_variation=A"), std::string::npos);
        }
        std::string line;
        int n = 0;
        for (std::size_t i = row.undoRacing ? 1 : 0; i < row.liveries.size(); ++i, ++n)
            line += race.command(n, row.twoStartupFolders && i % 2 ? "other" : "start",
                                 "install " + row.liveries[i]) +
                    " ";
        if (row.undoRacing)
            line += race.command(n++, "start", "undo") + " ";
        ASSERT_EQ(test::runProcess(line + "wait").exitCode, 0);

        // What the processes reported: each installation done, and which change the undo took
        // back (the newest when it ran).
        std::set<std::string> present;
        if (row.undoRacing)
            present.insert("A");
        for (int i = 0; i < n; ++i) {
            const std::string out = race.out(i);
            const std::string rc = test::readFile(race.dir / ("rc" + std::to_string(i)));
            EXPECT_EQ(rc, "0\n") << out;
            if (out.find("Installation completed") != std::string::npos)
                present.insert(row.liveries[row.undoRacing ? std::size_t(i) + 1 : std::size_t(i)]);
            if (const std::size_t at = out.find("Undone: installation of ");
                at != std::string::npos)
                present.erase(out.substr(at + 24, out.find(' ', at + 24) - at - 24));
        }
        EXPECT_EQ(present.size(), row.liveries.size() - (row.undoRacing ? 1 : 0));
        const std::string cfg = race.config();
        for (const std::string& v : row.liveries)
            EXPECT_EQ(cfg.find("ui_variation=" + v + "\r\n") != std::string::npos,
                      present.count(v) == 1)
                << v;
        for (const std::string& v : present) {
            EXPECT_EQ(std::distance(
                          std::filesystem::directory_iterator(race.product + "/texture." + v), {}),
                      20)
                << v;
        }
        race.expectNoOrphan();

        // The chains of both histories undo everything, in any order of the two.
        for (const char* start : {"start", "other"})
            for (int undo = 0; undo < 8; ++undo) {
                const auto result = test::runProcess(race.command(100, start, "undo") + " wait");
                if (race.out(100).find("Undone") == std::string::npos)
                    break;
            }
        if (!row.twoStartupFolders) {
            EXPECT_EQ(race.config(), kConfig);
        }
        race.expectNoOrphan();
    }
}
#endif

} // namespace
} // namespace hx
