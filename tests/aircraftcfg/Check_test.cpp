// Checking an aircraft for what hides or breaks its liveries, and repairing its numbering.

#include "aircraftcfg/Check.h"
#include "aircraftcfg/Removal.h"
#include "history/History.h"
#include "support/RecordingFeedback.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hx {
namespace {

using test::makeFolders;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::string entry(const std::string& header, const std::string& title, const std::string& texture)
{
    return header + "\r\n" + (title.empty() ? "" : "title=" + title + "\r\n") +
           "texture=" + texture + "\r\nui_variation=" + texture + "\r\ndescription=d\r\n\r\n";
}

const std::string kGeneral = "[General]\r\natc_type=AIRBUS\r\n";

class CheckTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string product = dir / "FSX/SimObjects/Airplanes/KZQ_A320";
    Simulator sim{SimKind::FSX, dir / "FSX"};
    test::RecordingFeedback feedback;

    void aircraft(const std::string& config, const std::vector<std::string>& folders)
    {
        writeFile(product + "/aircraft.cfg", config);
        for (const std::string& folder : folders)
            makeFolders(product + "/" + folder);
    }
};

// One row per kind of problem; a clean aircraft reports nothing and exits 0.
TEST_F(CheckTest, ReportsEachKindOfProblemOnItsOwnLine)
{
    const std::string a = entry("[fltsim.0]", "A", "A");
    struct Row {
        const char* name;
        std::string config;
        std::vector<std::string> folders;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"clean",
         a + entry("[fltsim.1]", "B", "B") + kGeneral,
         {"texture.A", "texture.B", "texture"},
         {}},
        {"gap",
         a + entry("[fltsim.2]", "B", "B") + kGeneral,
         {"texture.A", "texture.B"},
         {"Gap in the numbering: no [fltsim.1]; the simulators stop reading there, so the "
          "liveries after it do not show"}},
        {"repeat",
         a + entry("[FLTSIM.0]", "B", "B") + kGeneral,
         {"texture.A", "texture.B"},
         {"[fltsim.0] is used by 2 entries; the simulators show only one of them"}},
        {"no title",
         a + entry("[fltsim.1]", "", "B") + kGeneral,
         {"texture.A", "texture.B"},
         {"[fltsim.1] has no title="}},
        {"no ui_variation",
         a + "[fltsim.1]\r\ntitle=B\r\ntexture=B\r\ndescription=d\r\n\r\n" + kGeneral,
         {"texture.A", "texture.B"},
         {"[fltsim.1] has no ui_variation="}},
        {"keys read as the simulators do",
         "[fltsim.0]\r\nTitle = A\r\ntexture=A\r\nUI_Variation =A\r\n\r\n" + kGeneral,
         {"texture.a"},
         {}},
        {"missing texture folder",
         a + kGeneral,
         {},
         {"[fltsim.0] texture=A names the folder texture.A, which does not exist"}},
        {"unused texture folder",
         a + kGeneral,
         {"texture.A", "texture.Old"},
         {"The folder texture.Old is named by no entry"}},
        {"same title twice",
         a + entry("[fltsim.1]", "A", "B") + kGeneral,
         {"texture.A", "texture.B"},
         {"The title \"A\" is used by 2 entries: [fltsim.0] [fltsim.1]"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(product);
        aircraft(row.config, row.folders);
        feedback.messages.clear();
        EXPECT_EQ(checkProduct(sim, "KZQ_A320", feedback),
                  row.lines.empty() ? Outcome::Completed : Outcome::Refused);
        EXPECT_EQ(feedback.messages, row.lines);
    }
}

// The removal panel warns of gaps and repeats only.
TEST(NumberingWarning, NamesTheFirstGapOrRepeat)
{
    struct Row {
        std::string config;
        std::string warning;
    };
    const Row rows[] = {
        {entry("[fltsim.0]", "A", "A") + entry("[fltsim.1]", "", "B"), ""},
        {entry("[fltsim.1]", "A", "A"),
         "Gap in the numbering: no [fltsim.0]; the simulators stop reading there, so the "
         "liveries after it do not show"},
        {entry("[fltsim.0]", "A", "A") + entry("[fltsim.0]", "B", "B"),
         "[fltsim.0] is used by 2 entries; the simulators show only one of them"},
        {"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(numberingWarning(row.config), row.warning) << row.config;
}

// The removal panel's model carries the warning of the chosen product, kept up after a removal.
TEST_F(CheckTest, TheRemovalPanelWarnsOfTheChosenProductsGapOrRepeat)
{
    aircraft(entry("[fltsim.0]", "A", "A") + entry("[fltsim.2]", "B", "B") + kGeneral,
             {"texture.A", "texture.B"});
    RemovalPanel panel;
    ASSERT_TRUE(panel.openPanel(sim, feedback));
    EXPECT_EQ(panel.warning(), "");
    ASSERT_EQ(panel.productChosen(sim, 0, feedback), Outcome::Completed);
    EXPECT_EQ(panel.warning(), numberingWarning(readFile(product + "/aircraft.cfg")));
    EXPECT_NE(panel.warning(), "");
    panel.selectLivery(1); // the gapped entry goes, and the warning with it
    ASSERT_EQ(panel.removeSelectedLivery(sim, feedback), Outcome::Completed);
    EXPECT_EQ(panel.warning(), "");
}

TEST(RenumberInFileOrder, NumbersTheHeadersFromZeroAndChangesNothingElse)
{
    struct Row {
        std::string before;
        std::string after;
    };
    const Row rows[] = {
        {"[fltsim.0]\r\n[fltsim.2]\r\n[General]\r\n", "[fltsim.0]\r\n[fltsim.1]\r\n[General]\r\n"},
        {"[fltsim.1]\r\nx=[fltsim.7]\r\n[FltSim.1]\r\n",
         "[fltsim.0]\r\nx=[fltsim.7]\r\n[FltSim.1]\r\n"},
        {"[fltsim.10]\r\n[fltsim.3]\r\n", "[fltsim.0]\r\n[fltsim.1]\r\n"},
        {"", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(renumberInFileOrder(row.before), row.after) << row.before;
}

TEST_F(CheckTest, RepairThenUndoGivesTheFileBackByteForByte)
{
    makeFolders(dir / "work");
    History history(dir / "work");
    // LF line ends: the repair writes CR LF, the undo gives the LF file back.
    const std::string before = "[fltsim.0]\ntitle=A\n\n[fltsim.3]\ntitle=B\n\n[General]\n";
    aircraft(before, {});
    EXPECT_EQ(repairProduct(sim, "KZQ_A320", feedback, &history), Outcome::Completed);
    EXPECT_EQ(readFile(product + "/aircraft.cfg"),
              "[fltsim.0]\r\ntitle=A\r\n\r\n[fltsim.1]\r\ntitle=B\r\n\r\n[General]\r\n");
    ASSERT_EQ(history.records().size(), 1u);
    EXPECT_EQ(undoQuestion(history.records()[0]), "Undo repair of all liveries (KZQ_A320)?");
    // A second repair finds nothing to do and records nothing.
    EXPECT_EQ(repairProduct(sim, "KZQ_A320", feedback, &history), Outcome::Completed);
    EXPECT_EQ(history.records().size(), 1u);
    EXPECT_TRUE(history.undo().undone);
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), before);
    EXPECT_EQ(feedback.messages,
              (std::vector<std::string>{
                  "Renumbered the 2 entries of KZQ_A320 from 0 in file order",
                  "The entries of KZQ_A320 are numbered well; nothing was changed"}));
}

} // namespace
} // namespace hx
