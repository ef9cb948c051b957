#include "aircraftcfg/Check.h"
#include "aircraftcfg/Removal.h"
#include "support/RecordingFeedback.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace hx {
namespace {

using test::exists;
using test::makeFolders;
using test::readFile;
using test::RecordingFeedback;
using test::TempDir;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// One entry laid out as installed packages lay it out.
std::string entry(int number, const std::string& texture, const std::string& name)
{
    return "[fltsim." + std::to_string(number) + "]\r\ntitle=KZQ A320 " + name +
           "\r\nsim=KZQ_A320\r\ntexture=" + texture + "\r\nui_variation=" + name +
           "\r\ndescription=" + name + " livery\r\n\r\n";
}

const std::string kGeneral = "[General]\r\natc_type=AIRBUS\r\natc_model=A320\r\n";

// An FSX root with the product KZQ_A320 (aircraft.cfg written by the test).
class RemovalTest : public ::testing::Test {
protected:
    TempDir dir;
    Simulator sim{SimKind::FSX, dir / "FSX"};
    std::string base = dir / "FSX/SimObjects/Airplanes";
    std::string product = base + "/KZQ_A320";
    std::string cfg = product + "/aircraft.cfg";
    RecordingFeedback feedback;
    RemovalPanel panel;

    void writeTexture(const std::string& value)
    {
        writeFile(product + "/texture." + value + "/" + value + "_t.bmp", "BM" + value);
        writeFile(product + "/texture." + value + "/thumbnail.jpg", "jpg");
    }

    // Opens the panel and picks KZQ_A320, as the user does before removing.
    void choose()
    {
        ASSERT_TRUE(panel.openPanel(sim, feedback));
        const auto& items = panel.products().items;
        const auto it = std::find(items.begin(), items.end(), "KZQ_A320");
        ASSERT_NE(it, items.end());
        ASSERT_EQ(panel.productChosen(sim, static_cast<int>(it - items.begin()), feedback),
                  Outcome::Completed);
    }

    Outcome removeItem(int index)
    {
        panel.selectLivery(index);
        return panel.removeSelectedLivery(sim, feedback);
    }
};

// An entry under a header written as it stands (any letter case, any number).
std::string entryUnder(const std::string& header, const std::string& name)
{
    return header + "\r\ntexture=" + name + "\r\nui_variation=" + name + "\r\ndescription=" + name +
           "\r\n\r\n";
}

struct Listed {
    std::string header;
    std::string name; // also its texture value
};

std::string configOf(const std::vector<Listed>& entries, const std::string& general = kGeneral)
{
    std::string text;
    for (const Listed& e : entries)
        text += entryUnder(e.header, e.name);
    return text + general;
}

// List item i is the i-th header in file order, whatever its number or letter case; the headers
// above the removed number go down by one, unless another header still carries that number.
TEST_F(RemovalTest, RemovesTheEntryTheListShowsAndRenumbersAboveIt)
{
    struct Case {
        const char* name;
        std::vector<Listed> before;
        int item;
        std::vector<Listed> after;
    };
    const std::vector<Case> cases = {
        {"capital F first, the new one last",
         {{"[Fltsim.0]", "Sichuan"}, {"[fltsim.1]", "Air"}, {"[fltsim.2]", "New"}},
         2,
         {{"[Fltsim.0]", "Sichuan"}, {"[fltsim.1]", "Air"}}},
        {"capital F first, removed",
         {{"[Fltsim.0]", "Sichuan"}, {"[fltsim.1]", "Air"}, {"[FLTSIM.2]", "New"}},
         0,
         {{"[fltsim.0]", "Air"}, {"[FLTSIM.1]", "New"}}},
        {"gaps",
         {{"[fltsim.0]", "N0"},
          {"[fltsim.3]", "N208TC"},
          {"[fltsim.2]", "N2"},
          {"[fltsim.5]", "N329BF"},
          {"[fltsim.9]", "N9"},
          {"[fltsim.10]", "N10"},
          {"[fltsim.11]", "N11"}},
         3,
         {{"[fltsim.0]", "N0"},
          {"[fltsim.3]", "N208TC"},
          {"[fltsim.2]", "N2"},
          {"[fltsim.8]", "N9"},
          {"[fltsim.9]", "N10"},
          {"[fltsim.10]", "N11"}}},
        {"a duplicate number keeps the others",
         {{"[fltsim.0]", "A"}, {"[fltsim.1]", "B"}, {"[Fltsim.1]", "C"}, {"[fltsim.2]", "D"}},
         1,
         {{"[fltsim.0]", "A"}, {"[Fltsim.1]", "C"}, {"[fltsim.2]", "D"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(cfg, configOf(c.before));
        for (const Listed& e : c.before)
            writeTexture(e.name);
        feedback.messages.clear();
        choose();
        EXPECT_EQ(removeItem(c.item), Outcome::Completed);
        EXPECT_EQ(readFile(cfg), configOf(c.after));
        EXPECT_THAT(feedback.messages, ElementsAre(kRemovedSuccesfully));
        for (const Listed& e : c.before)
            EXPECT_EQ(exists(product + "/texture." + e.name),
                      e.name != c.before[static_cast<std::size_t>(c.item)].name)
                << e.name;
    }
    // "[general]" in lower case is a section like any other: the entry before it is cut whole.
    writeFile(cfg, configOf({{"[fltsim.0]", "Own"}, {"[fltsim.1]", "New"}}, "[general]\r\n"));
    choose();
    EXPECT_EQ(removeItem(1), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), configOf({{"[fltsim.0]", "Own"}}, "[general]\r\n"));
}

// The list shows the entries that have a "ui_variation" key, and an item removes the entry it
// shows: an entry without one, a commented-out key and keys outside the entries are passed over.
TEST_F(RemovalTest, TheItemRemovesTheEntryItShows)
{
    const std::string commented = "[fltsim.0]\r\ntexture=A\r\n//"
                                  "ui_variation=Old\r\nui_variation=Red\r\ndescription=a\r\n\r\n";
    struct Case {
        const char* name;
        std::string before; // the text in front of the entry of Blue, the last item
        int number;         // Blue's entry number
        std::string after;  // the text behind it
        std::vector<std::string> items;
    };
    const std::vector<Case> cases = {
        {"an entry without ui_variation before it",
         "[fltsim.0]\r\ntexture=A\r\ndescription=a\r\n\r\n",
         1,
         kGeneral,
         {"Blue"}},
        {"nothing but the header before it", "[fltsim.0]\r\n", 1, kGeneral, {"Blue"}},
        {"a commented-out ui_variation", commented, 1, kGeneral, {"Red", "Blue"}},
        {"a ui_variation in [General]", "", 0, "[General]\r\nui_variation=Stray\r\n", {"Blue"}},
        {"a ui_variation before the first entry", "ui_variation=Loose\r\n", 0, kGeneral, {"Blue"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(cfg, c.before + entry(c.number, "B", "Blue") + c.after);
        writeTexture("A");
        writeTexture("B");
        feedback.messages.clear();
        choose();
        EXPECT_EQ(panel.liveries().items, c.items);
        EXPECT_EQ(removeItem(static_cast<int>(c.items.size()) - 1), Outcome::Completed);
        EXPECT_EQ(readFile(cfg), c.before + c.after);
        EXPECT_THAT(feedback.messages, ElementsAre(kRemovedSuccesfully));
        EXPECT_FALSE(exists(product + "/texture.B"));
        EXPECT_TRUE(exists(product + "/texture.A/A_t.bmp"));
    }
}

using Spell = std::string (*)(const std::string& key, const std::string& value);

// aircraft.cfg as real files are written: a comment on top, entries of many keys with comments
// between them, the aircraft's own sections after. Liveries are {name, texture}.
std::string realShaped(const std::vector<Listed>& liveries, const std::string& eol, Spell spell)
{
    const auto key = [&](const char* k, const std::string& v) { return spell(k, v) + eol; };
    std::string t = "// KZQ Airbus A320" + eol + eol;
    for (std::size_t i = 0; i < liveries.size(); ++i) {
        const auto& [name, texture] = liveries[i];
        t += "[fltsim." + std::to_string(i) + "]" + eol + key("title", "KZQ A320 " + name) +
             key("sim", "KZQ_A320") + key("texture", texture) + key("atc_airline", "KZQ") +
             key("ui_variation", name) + key("ui_typerole", "Airliner") +
             key("description", name + " livery") + eol + "// ---" + eol;
    }
    return t + "[General]" + eol + "atc_type=AIRBUS" + eol + eol + "[contact_points]" + eol +
           "point.0=1, 43.5, 0, -4, 1500" + eol;
}

// Every spelling the simulators accept is listed, checked and removed alike; a folder another
// entry still names is kept until that entry goes too.
TEST_F(RemovalTest, KeysAreReadWhateverTheirSpelling)
{
    using S = const std::string&;
    const struct {
        const char* name;
        Spell spell;
        std::string eol = "\r\n";
        bool finalBreak = true;
    } rows[] = {
        {"key=value", [](S k, S v) { return k + "=" + v; }},
        {"blanks around =", [](S k, S v) { return " " + k + " = " + v + " "; }},
        {"tabs", [](S k, S v) { return k + "\t\t\t= " + v + "\t"; }},
        {"capitals",
         [](S k, S v) {
             std::string upper = k;
             for (char& c : upper)
                 c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
             return upper + "=" + v;
         }},
        {"commented-out with //", [](S k, S v) { return "//" + k + "=Old\r\n" + k + "=" + v; }},
        {"commented-out with ;", [](S k, S v) { return " ;" + k + " = Old\r\n" + k + " = " + v; }},
        {"CR only", [](S k, S v) { return k + "\t= " + v; }, "\r"},
        {"LF only", [](S k, S v) { return k + " =" + v; }, "\n"},
        {"no final line break", [](S k, S v) { return k + "=" + v; }, "\r\n", false},
    };
    const Listed red{"Red", "Red"}, blue{"Blue", "Shared"}, green{"Green", "Shared"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(product);
        const std::string text = realShaped({red, blue, green}, row.eol, row.spell);
        writeFile(cfg, row.finalBreak ? text : text.substr(0, text.size() - row.eol.size()));
        writeTexture("Red");
        writeTexture("Shared");
        feedback.messages.clear();
        choose();
        EXPECT_THAT(panel.liveries().items, ElementsAre("Red", "Blue", "Green"));
        EXPECT_EQ(checkProduct(sim, "KZQ_A320", feedback), Outcome::Completed);

        EXPECT_EQ(removeItem(1), Outcome::Completed);
        std::string after = realShaped({red, green}, "\r\n", row.spell);
        after.insert(after.find("[fltsim.1]"), "// ---\r\n"); // the comment behind Blue stays
        EXPECT_EQ(readFile(cfg), after);
        EXPECT_TRUE(exists(product + "/texture.Shared/Shared_t.bmp"));
        EXPECT_EQ(removeItem(1), Outcome::Completed);
        EXPECT_FALSE(exists(product + "/texture.Shared"));
        EXPECT_THAT(panel.liveries().items, ElementsAre("Red"));
        EXPECT_THAT(
            feedback.messages,
            ElementsAre(::testing::HasSubstr("still used by another livery"), kRemovedSuccesfully));
    }
}

// The same package installed twice: removing one copy keeps the folder the other still names.
TEST_F(RemovalTest, KeepsATextureFolderAnotherEntryStillNames)
{
    struct Case {
        std::string otherTexture; // texture= of the entry that stays
        bool kept;
    };
    const std::vector<Case> cases = {
        {"Blue", true}, {"BLUE", true}, {"Blue. ", true}, {"Blue2", false}, {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.otherTexture);
        writeFile(cfg, entry(0, c.otherTexture, "Other") + entry(1, "Blue", "Blue") + kGeneral);
        writeTexture("Blue");
        feedback.messages.clear();
        choose();
        EXPECT_EQ(removeItem(1), Outcome::Completed);
        EXPECT_EQ(readFile(cfg), entry(0, c.otherTexture, "Other") + kGeneral);
        EXPECT_EQ(exists(product + "/texture.Blue/Blue_t.bmp"), c.kept);
        EXPECT_THAT(feedback.messages,
                    ElementsAre(c.kept ? "Removed succesfully\nThe texture folder \"texture.Blue\" "
                                         "is still used by another livery and was kept"
                                       : "Removed succesfully"));
    }
}

TEST_F(RemovalTest, WorkedExampleByteForByte)
{
    const std::string before =
        "[fltsim.0]\r\ntexture=A\r\nui_variation=Red\r\ndescription=first\r\n"
        "\r\n"
        "[fltsim.1]\r\ntexture=B\r\nui_variation=Blue\r\n"
        "description=second\r\n\r\n"
        "[fltsim.2]\r\ntexture=C\r\nui_variation=Green\r\n"
        "description=third\r\n\r\n"
        "[General]\r\natc_type=X\r\n";
    const std::string after = "[fltsim.0]\r\ntexture=A\r\nui_variation=Red\r\ndescription=first\r\n"
                              "\r\n"
                              "[fltsim.1]\r\ntexture=C\r\nui_variation=Green\r\n"
                              "description=third\r\n\r\n"
                              "[General]\r\natc_type=X\r\n";
    writeFile(cfg, before);
    for (const char* t : {"A", "B", "C"})
        writeTexture(t);
    choose();
    EXPECT_THAT(panel.liveries().items, ElementsAre("Red", "Blue", "Green"));
    EXPECT_EQ(panel.liveries().selected, 0);

    EXPECT_EQ(removeItem(1), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), after);
    EXPECT_FALSE(exists(product + "/texture.B"));
    EXPECT_TRUE(exists(product + "/texture.A/A_t.bmp"));
    EXPECT_TRUE(exists(product + "/texture.C/C_t.bmp"));
    EXPECT_THAT(panel.liveries().items, ElementsAre("Red", "Green"));
    EXPECT_EQ(panel.liveries().selected, 0);
    EXPECT_EQ(panel.products().selectedText(), "KZQ_A320");
    EXPECT_THAT(feedback.messages, ElementsAre("Removed succesfully"));
    EXPECT_EQ(feedback.hidden, 0);
}

TEST_F(RemovalTest, LiveryListKeepsDuplicatesAndReadsTheFirstKeyOfEachEntry)
{
    writeFile(cfg, "[fltsim.0]\nui_variation=Red\n\n[fltsim.1]\nui_variation=Blue\n\n"
                   "[fltsim.2]\nui_variation=Red\n\n[fltsim.3]\n//ui_variation=Old \n"
                   "ui_variation = Green\nui_variation=\n\n[General]\n");
    choose();
    EXPECT_THAT(panel.liveries().items, ElementsAre("Red", "Blue", "Red", "Green"));
    EXPECT_EQ(panel.liveries().selected, 0);
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(RemovalTest, RenumbersPastTenInBothDirections)
{
    const auto fileOf = [](const std::vector<int>& kept) {
        std::string text;
        for (std::size_t i = 0; i < kept.size(); ++i)
            text += entry(static_cast<int>(i), "L" + std::to_string(kept[i]),
                          "Livery " + std::to_string(kept[i]));
        return text + kGeneral;
    };
    std::vector<int> all(12);
    for (int i = 0; i < 12; ++i)
        all[i] = i;

    for (int removed : {10, 3}) {
        SCOPED_TRACE(removed);
        writeFile(cfg, fileOf(all));
        writeTexture("L" + std::to_string(removed));
        choose();
        ASSERT_EQ(panel.liveries().items.size(), 12u);
        EXPECT_EQ(removeItem(removed), Outcome::Completed);
        std::vector<int> kept = all;
        kept.erase(kept.begin() + removed);
        EXPECT_EQ(readFile(cfg), fileOf(kept));
        EXPECT_FALSE(exists(product + "/texture.L" + std::to_string(removed)));
        EXPECT_EQ(panel.liveries().items.size(), 11u);
        EXPECT_EQ(panel.liveries().items[removed], "Livery " + std::to_string(removed + 1));
    }
}

TEST_F(RemovalTest, RemovingTheLastEntryKeepsTheOtherNumbers)
{
    writeFile(cfg,
              entry(0, "A", "Red") + entry(1, "B", "Blue") + entry(2, "C", "Green") + kGeneral);
    writeTexture("C");
    choose();
    EXPECT_EQ(removeItem(2), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), entry(0, "A", "Red") + entry(1, "B", "Blue") + kGeneral);
    EXPECT_FALSE(exists(product + "/texture.C"));

    // Down to no livery at all: the product folder and its other files stay.
    EXPECT_EQ(removeItem(1), Outcome::Completed);
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), kGeneral);
    EXPECT_TRUE(panel.liveries().items.empty());
    EXPECT_EQ(panel.liveries().selected, -1);
    EXPECT_EQ(feedback.messages.size(), 3u);
}

TEST_F(RemovalTest, TextureFolderWithASubfolderKeepsIt)
{
    writeFile(cfg, entry(0, "A", "Red") + kGeneral);
    writeTexture("A");
    writeFile(product + "/texture.A/.hidden", "h");
    writeFile(product + "/texture.A/panel/panel.bmp", "BM");
    choose();
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_THAT(feedback.messages, ElementsAre("Removed succesfully"));
    EXPECT_FALSE(exists(product + "/texture.A/A_t.bmp"));
    EXPECT_FALSE(exists(product + "/texture.A/thumbnail.jpg"));
    EXPECT_FALSE(exists(product + "/texture.A/.hidden"));
    EXPECT_TRUE(exists(product + "/texture.A/panel/panel.bmp"));
}

TEST_F(RemovalTest, ATextureFolderThatIsALinkLosesOnlyTheLink)
{
    // The files the link points to lie outside the aircraft and are not the livery's.
    writeFile(dir / "elsewhere/keep.bmp", "BM");
    writeFile(cfg, entry(0, "A", "Red") + kGeneral);
    makeFolders(product);
    std::error_code noLinks;
    std::filesystem::create_directory_symlink(dir / "elsewhere", product + "/texture.A", noLinks);
    if (noLinks)
        GTEST_SKIP() << "symbolic links cannot be made here: " << noLinks.message();
    choose();
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_FALSE(exists(product + "/texture.A"));
    EXPECT_EQ(readFile(dir / "elsewhere/keep.bmp"), "BM");
}

TEST_F(RemovalTest, LineEndsAreWrittenBackAsCrLf)
{
    // LF alone, a lone CR (which ends its line), and a last line without a line break.
    writeFile(cfg, "[fltsim.0]\ntexture=A\nui_variation=Red\ndescription=first\n\n"
                   "[fltsim.1]\ntexture=B\nui_variation=Blue\ndescription=second\n\n"
                   "[General]\nat\rc_type=X");
    choose();
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), "[fltsim.0]\r\ntexture=B\r\nui_variation=Blue\r\ndescription=second"
                             "\r\n\r\n[General]\r\nat\r\nc_type=X\r\n");
}

TEST_F(RemovalTest, ProductsAreTheNamesWithoutExtension)
{
    makeFolders(base + "/KZQ_A320");
    makeFolders(base + "/KZQ_A320.bak");
    makeFolders(base + "/Default");
    makeFolders(base + "/kzq_b737");
    writeFile(base + "/KZQ_FILE", "a plain file is listed too");
    ASSERT_TRUE(panel.openPanel(sim, feedback));
    EXPECT_THAT(panel.products().items, UnorderedElementsAre("KZQ_A320", "kzq_b737", "KZQ_FILE"));
    EXPECT_EQ(panel.products().selected, -1);

    // FS9 looks in "Aircraft" instead.
    makeFolders(dir / "FS9/Aircraft/KZQ_DC3");
    ASSERT_TRUE(panel.openPanel(Simulator{SimKind::FS9, dir / "FS9"}, feedback));
    EXPECT_THAT(panel.products().items, ElementsAre("KZQ_DC3"));
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(RemovalTest, ReopeningKeepsTheLiveriesButDropsTheProductChoice)
{
    writeFile(cfg, entry(0, "A", "Red") + kGeneral);
    choose();
    ASSERT_TRUE(panel.openPanel(sim, feedback));
    EXPECT_EQ(panel.products().selected, -1);
    EXPECT_THAT(panel.liveries().items, ElementsAre("Red"));

    // Remove with no product chosen: the path names no file.
    EXPECT_EQ(panel.removeSelectedLivery(sim, feedback), Outcome::Refused);
    EXPECT_THAT(feedback.messages,
                ElementsAre("Cannot find aircraft.cfg file, please recheck pathes"));
    EXPECT_EQ(feedback.hidden, 1);
    EXPECT_EQ(readFile(cfg), entry(0, "A", "Red") + kGeneral);
}

TEST_F(RemovalTest, NoSimulatorRefusesEveryAction)
{
    writeFile(cfg, entry(0, "A", "Red") + kGeneral);
    choose();
    const Simulator none{SimKind::None, sim.root};
    EXPECT_FALSE(panel.openPanel(none, feedback));
    EXPECT_THAT(panel.products().items, ElementsAre("KZQ_A320")); // the list is left as it was
    EXPECT_EQ(panel.removeSelectedLivery(none, feedback), Outcome::Refused);
    EXPECT_EQ(readFile(cfg), entry(0, "A", "Red") + kGeneral);
    EXPECT_EQ(panel.productChosen(none, 0, feedback), Outcome::Refused);
    EXPECT_TRUE(panel.liveries().items.empty()); // cleared before the test, as the window does
    EXPECT_THAT(feedback.messages,
                ElementsAre("Please select FS", "Please select FS", "Please select FS"));
}

TEST_F(RemovalTest, MissingConfigFileIsReportedAndHidesTheProgressPanel)
{
    writeFile(cfg, entry(0, "A", "Red") + kGeneral);
    writeTexture("A");
    choose();
    std::remove(cfg.c_str());
    EXPECT_EQ(removeItem(0), Outcome::Refused);
    EXPECT_THAT(feedback.messages,
                ElementsAre("Cannot find aircraft.cfg file, please recheck pathes"));
    EXPECT_EQ(feedback.hidden, 1);
    EXPECT_TRUE(exists(product + "/texture.A/A_t.bmp"));
}

TEST_F(RemovalTest, LettersCaseIsResolvedLikeWindows)
{
    const std::string realProduct = dir / "FSX/simobjects/AIRPLANES/KZQ_A320";
    const std::string realCfg = realProduct + "/Aircraft.cfg";
    writeFile(realCfg, entry(0, "Red", "Red") + entry(1, "Blue", "Blue") + kGeneral);
    writeFile(realProduct + "/TEXTURE.Blue/blue.bmp", "BM");
    writeFile(realProduct + "/texture.red/red.bmp", "BM");
    choose();
    EXPECT_EQ(removeItem(1), Outcome::Completed);
    EXPECT_EQ(readFile(realCfg), entry(0, "Red", "Red") + kGeneral);
    EXPECT_FALSE(test::hasEntrySpelt(realProduct, "aircraft.cfg")); // no second file beside it
    EXPECT_FALSE(exists(realProduct + "/TEXTURE.Blue"));
    EXPECT_TRUE(exists(realProduct + "/texture.red/red.bmp"));
}

// Texture values that would lead the deletion out of the livery's own folder.
TEST_F(RemovalTest, TextureValueThatIsNotAPlainNameIsRefused)
{
    writeFile(dir / "victim/keep.txt", "keep");
    writeFile(product + "/keep.txt", "keep");
    makeFolders(product + "/texture..."); // so that the first value would really lead out
    for (const std::string value :
         {"../../../../../victim", "..\\..\\..\\..\\..\\victim", "C:\\victim", "Bl\tue"}) {
        SCOPED_TRACE(value);
        const std::string text = entry(0, "A", "Red") + entry(1, value, "Bad") + kGeneral;
        writeFile(cfg, text);
        feedback.messages.clear();
        choose();
        EXPECT_EQ(removeItem(1), Outcome::Refused);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_THAT(feedback.messages[0], ::testing::HasSubstr("texture." + value));
        EXPECT_THAT(feedback.messages[0], ::testing::HasSubstr("nothing was removed"));
        EXPECT_EQ(readFile(cfg), text);
        EXPECT_TRUE(exists(dir / "victim/keep.txt"));
        EXPECT_TRUE(exists(product + "/keep.txt"));
    }
}

TEST_F(RemovalTest, ProductNameThatIsNotAPlainNameIsRefused)
{
    // A name that is one component here but a path on Windows.
    HX_SKIP_ON_WINDOWS("a backslash separates folders there, so no folder has such a name");
    const std::string hostile = "KZQ_x\\victim";
    writeFile(base + "/" + hostile + "/aircraft.cfg", entry(0, "A", "Red") + kGeneral);
    ASSERT_TRUE(panel.openPanel(sim, feedback));
    ASSERT_THAT(panel.products().items, ElementsAre(hostile));
    EXPECT_EQ(panel.productChosen(sim, 0, feedback), Outcome::Refused);
    EXPECT_EQ(panel.removeSelectedLivery(sim, feedback), Outcome::Refused);
    ASSERT_EQ(feedback.messages.size(), 2u);
    EXPECT_THAT(feedback.messages[1], ::testing::HasSubstr("\"" + hostile + "\""));
    EXPECT_EQ(readFile(base + "/" + hostile + "/aircraft.cfg"), entry(0, "A", "Red") + kGeneral);
}

TEST_F(RemovalTest, EmptyTextureValueCutsTheEntryButKeepsTheSharedTextureFolder)
{
    writeFile(cfg, entry(0, "", "Default") + entry(1, "B", "Blue") + kGeneral);
    writeFile(product + "/texture/shared.bmp", "BM");
    // Windows drops the trailing dot of "texture.", so that name is the shared folder there; here
    // it is a folder of its own, which lets the test see a deletion that went by that name.
    writeFile(product + "/texture./shared.bmp", "BM");
    writeTexture("B");
    choose();
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), entry(0, "B", "Blue") + kGeneral);
    EXPECT_TRUE(exists(product + "/texture/shared.bmp"));
    EXPECT_TRUE(exists(product + "/texture./shared.bmp"));
    EXPECT_TRUE(exists(product + "/texture.B/B_t.bmp"));
    EXPECT_THAT(feedback.messages, ElementsAre("Removed succesfully"));
}

// Windows drops trailing dots and blanks from the folder name: "Blue " is texture.Blue, and a
// value of dots and blanks alone is the shared folder, which stays like it does for "".
TEST_F(RemovalTest, TrailingDotsAndBlanksNameTheFolderWindowsNames)
{
    writeFile(cfg, entry(0, "Blue .", "Blue") + entry(1, " . ", "Odd") + entry(2, "C", "Green") +
                       kGeneral);
    writeTexture("Blue");
    writeTexture("C");
    writeFile(product + "/texture/shared.bmp", "BM");
    choose();
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_FALSE(exists(product + "/texture.Blue"));
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_TRUE(exists(product + "/texture/shared.bmp"));
    EXPECT_TRUE(exists(product + "/texture.C/C_t.bmp"));
    EXPECT_EQ(readFile(cfg), entry(0, "C", "Green") + kGeneral);
    EXPECT_THAT(feedback.messages, ElementsAre("Removed succesfully", "Removed succesfully"));
}

TEST_F(RemovalTest, NoHeaderForTheSelectionLeavesEverythingAlone)
{
    // The file changed after the list was filled: its second entry is no longer "Blue".
    writeFile(cfg, entry(0, "A", "Red") + entry(5, "B", "Blue") + kGeneral);
    writeTexture("A");
    writeTexture("B");
    choose();
    const std::string text = entry(0, "A", "Red") + entry(1, "B", "Green") + kGeneral;
    writeFile(cfg, text);
    EXPECT_EQ(removeItem(1), Outcome::Refused);
    EXPECT_THAT(feedback.messages, ElementsAre(::testing::HasSubstr("\"Blue\"")));
    EXPECT_EQ(readFile(cfg), text);
    EXPECT_TRUE(exists(product + "/texture.A/A_t.bmp"));
    EXPECT_TRUE(exists(product + "/texture.B/B_t.bmp"));

    // No livery listed at all, so nothing is selected.
    writeFile(cfg, kGeneral);
    choose();
    feedback.messages.clear();
    EXPECT_EQ(panel.removeSelectedLivery(sim, feedback), Outcome::Refused);
    EXPECT_THAT(feedback.messages, ElementsAre("No livery is selected; nothing was removed"));
    EXPECT_EQ(readFile(cfg), kGeneral);
}

// Entries laid out otherwise: the cut never reaches text of the next entry or section, and only
// a texture line of the entry itself leads to a folder.
TEST_F(RemovalTest, OddLayoutsAreCutInsideTheirEntry)
{
    const std::string next = entry(1, "N", "Next");
    struct Case {
        const char* name;
        std::string odd; // entry 0 as written
        bool ownTexture; // its texture folder "texture.O" is deleted
    };
    const std::vector<Case> cases = {
        {"no description", "[fltsim.0]\r\ntexture=O\r\nui_variation=Odd\r\n\r\n", true},
        {"no texture", "[fltsim.0]\r\nui_variation=Odd\r\ndescription=odd\r\n\r\n", false},
        {"texture after description",
         "[fltsim.0]\r\nui_variation=Odd\r\ndescription=odd\r\ntexture=O\r\n\r\n", true},
        {"no empty line after it",
         "[fltsim.0]\r\ntexture=O\r\nui_variation=Odd\r\ndescription=odd\r\n", true},
        {"lines after description",
         "[fltsim.0]\r\ntexture=O\r\ndescription=odd\r\nui_variation=Odd\r\n\r\n", true},
        // Keys behind an empty line are still the entry's: they go with it.
        {"ui_variation after the empty line",
         "[fltsim.0]\r\ndescription=odd\r\n\r\nui_variation=Odd\r\n", false},
        {"texture after the empty line and a comment",
         "[fltsim.0]\r\nui_variation=Odd\r\ndescription=odd\r\n\r\n// x\r\ntexture=O\r\n", true},
        {"productfolder after the empty line",
         "[fltsim.0]\r\ntexture=O\r\nui_variation=Odd\r\ndescription=odd\r\n\r\n"
         "productfolder=A320\r\n\r\n",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(cfg, c.odd + next + kGeneral);
        writeTexture("O");
        writeTexture("N");
        feedback.messages.clear();
        ASSERT_TRUE(panel.openPanel(sim, feedback));
        ASSERT_EQ(panel.productChosen(sim, 0, feedback), Outcome::Completed);
        EXPECT_EQ(removeItem(0), Outcome::Completed);
        EXPECT_EQ(readFile(cfg), entry(0, "N", "Next") + kGeneral);
        EXPECT_EQ(exists(product + "/texture.O"), !c.ownTexture);
        EXPECT_TRUE(exists(product + "/texture.N/N_t.bmp"));
    }

    // The last entry without a description: the [General] section is left whole.
    const std::string general = "[General]\r\ndescription=The maker's A320\r\n";
    writeFile(cfg,
              entry(0, "N", "Next") + "[fltsim.1]\r\ntexture=O\r\nui_variation=Odd\r\n" + general);
    writeTexture("O");
    choose();
    EXPECT_EQ(removeItem(1), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), entry(0, "N", "Next") + general);
    EXPECT_FALSE(exists(product + "/texture.O"));
}

TEST_F(RemovalTest, RenumberingKeepsHeadersThatDoNotCloseOnTheirLine)
{
    // "[fltsim." without "]" on its line is no header: it is neither an entry nor rewritten
    // (replacing up to the next "]" further down would swallow the lines in between).
    const std::string note = "// liveries follow as [fltsim.N\r\n\r\n";
    writeFile(cfg, note + entry(1, "A", "Red") + entry(2, "B", "Blue") + kGeneral);
    choose();
    EXPECT_EQ(removeItem(0), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), note + entry(1, "B", "Blue") + kGeneral);
}

TEST_F(RemovalTest, AHeaderMentionedInsideALineIsNotTheEntry)
{
    // Cutting from a mention inside entry 0 would take entry 0's tail and glue "title=Red, like "
    // to the next header; the entry is the header that starts a line.
    const std::string first = "[fltsim.0]\r\ntexture=A\r\ntitle=Red, like [fltsim.1]\r\n"
                              "ui_variation=Red\r\ndescription=first\r\n\r\n";
    writeFile(cfg, first + entry(1, "B", "Blue") + kGeneral);
    writeTexture("A");
    writeTexture("B");
    choose();
    EXPECT_EQ(removeItem(1), Outcome::Completed);
    EXPECT_EQ(readFile(cfg), first + kGeneral);
    EXPECT_FALSE(exists(product + "/texture.B"));
    EXPECT_TRUE(exists(product + "/texture.A/A_t.bmp"));
}

} // namespace
} // namespace hx
