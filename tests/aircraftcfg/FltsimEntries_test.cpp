#include "aircraftcfg/FltsimEntries.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace hx {
namespace {

// An entry as an installerinfo.txt provides it, with the "xx" placeholder.
std::string entry(const std::string& variation)
{
    return "[fltsim.xx]\r\ntitle=KZQ A320 " + variation +
           "\r\nsim=KZQ_A320\r\ntexture=" + variation + "\r\nui_variation=" + variation +
           "\r\nproductfolder=A320\r\n"
           "description=" +
           variation + " livery\r\n";
}

std::string numbered(std::size_t n, const std::string& variation)
{
    return numberEntry(entry(variation), n);
}

// Runs the installation's sequence of edits on a working text.
std::string install(const std::string& text, const std::string& variation)
{
    return insertEntry(text, numberEntry(entry(variation), newEntryNumber(text)));
}

TEST(FltsimEntries, NewNumberIsTheLowestThatNoHeaderCarries)
{
    struct Case {
        std::string text;
        std::size_t number;
    };
    const Case cases[] = {
        {"", 0},
        {"[General]\r\natc_type=KZQ\r\n", 0},
        {"[fltsim.0]\r\n\r\n[fltsim.1]\r\n\r\n[fltsim.2]\r\n", 3},
        // Only a header at the start of a line counts, not a mention or a comment.
        {"//[fltsim.0]\r\nx=[fltsim.[fltsim.\r\n", 0},
        {"[fltsim.", 0},
        {" [fltsim.0]\r\n", 0},
        // Any letter case; a header needs digits and "]".
        {"[FLTSIM.0]\r\n[Fltsim.1]\r\n[fltsim0]\r\n", 2},
        {"[Fltsim.0]\r\n[fltsim.1]\r\n[fltsim.2] ; note\r\n", 3},
        {"[fltsim.0]\r\n[fltsim.]\r\n[fltsim.x1]\r\n[fltsim.1\r\n", 1},
        // Gaps are filled from the lowest; duplicates are never made.
        {"[fltsim.0]\r\n[fltsim.3]\r\n[fltsim.2]\r\n[fltsim.5]\r\n", 1},
        {"[fltsim.1]\r\n[fltsim.2]\r\n", 0},
        {"[fltsim.0]\r\n[Fltsim.0]\r\n[FLTSIM.1]\r\n", 2},
        {"[fltsim.00]\r\n[fltsim.01]\r\n", 2},
        {"\xEF\xBB\xBF[fltsim.0]\r\n[fltsim.1]\r\n", 2}, // a byte order mark before the first
        {"[fltsim.0]\r\n[fltsim.4294967296]\r\n[fltsim.999999999]\r\n", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(newEntryNumber(c.text), c.number) << ::testing::PrintToString(c.text);
}

TEST(FltsimEntries, NumbersThePlaceholderWithoutLeadingZeros)
{
    EXPECT_EQ(numberEntry("[fltsim.xx]\r\na=b\r\n", 0), "[fltsim.0]\r\na=b\r\n");
    EXPECT_EQ(numberEntry("[fltsim.xx]\r\n", 7), "[fltsim.7]\r\n");
    EXPECT_EQ(numberEntry("[fltsim.xx]\r\n", 10), "[fltsim.10]\r\n");
    EXPECT_EQ(numberEntry("[fltsim.xx]\r\n", 100), "[fltsim.100]\r\n");
    // Whatever stands at positions 9 and 10 is replaced, no check of the header.
    EXPECT_EQ(numberEntry("abcdefgh12]rest", 3), "abcdefgh3]rest");
    // Short texts: what stands from position 9 on is lost, the number goes to the end.
    EXPECT_EQ(numberEntry("[fltsim.x", 4), "[fltsim.4");
    EXPECT_EQ(numberEntry("[fltsim.xy", 4), "[fltsim.4");
    EXPECT_EQ(numberEntry("abc", 12), "abc12");
    EXPECT_EQ(numberEntry("", 0), "0");
}

TEST(FltsimEntries, InsertsAfterThreeEntriesWithTwoEmptyLinesBeforeAndOneAfter)
{
    const std::string head = "[fltsim.0]\r\na=0\r\n\r\n[fltsim.1]\r\na=1\r\n\r\n"
                             "[fltsim.2]\r\na=2\r\n";
    const std::string tail = "[General]\r\natc_type=KZQ\r\n";
    const std::string text = head + "\r\n" + tail;
    EXPECT_EQ(install(text, "Blue"), head + "\r\n\r\n" + numbered(3, "Blue") + "\r\n" + tail);
}

TEST(FltsimEntries, InsertsWithOneEmptyLineWhenGeneralFollowsDirectly)
{
    const std::string text = "[fltsim.0]\r\na=0\r\n[General]\r\nb=1\r\n";
    EXPECT_EQ(install(text, "Red"),
              "[fltsim.0]\r\na=0\r\n\r\n" + numbered(1, "Red") + "\r\n[General]\r\nb=1\r\n");
}

TEST(FltsimEntries, FirstEntryOfAFileWithoutEntriesIsNumberedZero)
{
    const std::string text = "[General]\r\natc_type=KZQ\r\n"; // [General] at position 1
    EXPECT_EQ(install(text, "Red"), "\r\n\r\n" + numbered(0, "Red") + text);
    const std::string text2 = "// KZQ\r\n\r\n[General]\r\n";
    EXPECT_EQ(install(text2, "Red"),
              "// KZQ\r\n\r\n\r\n" + numbered(0, "Red") + "\r\n[General]\r\n");
}

TEST(FltsimEntries, TheEntryGoesBeforeTheGeneralLineOrToTheEnd)
{
    struct Case {
        std::string text;
        std::string result; // of inserting "E"
    };
    const Case cases[] = {
        // "[General]" in any letter case, at the start of a line.
        {"a=0\r\n\r\n[GENERAL]\r\nb=1\r\n", "a=0\r\n\r\n\r\nE\r\n[GENERAL]\r\nb=1\r\n"},
        {"a=0\r\n\r\n[general]\r\n", "a=0\r\n\r\n\r\nE\r\n[general]\r\n"},
        {"[general]\r\n", "\r\n\r\nE[general]\r\n"},
        // Without one, at the end, never at the top.
        {"[fltsim.0]\r\na=0\r\n", "[fltsim.0]\r\na=0\r\n\r\n\r\nE"},
        {"", "\r\n\r\nE"},
        {"x[General]", "x[General]\r\n\r\nE"},
        {"\xEF\xBB\xBF[General]\r\n", "\xEF\xBB\xBF\r\n\r\nE[General]\r\n"},
        {"//[General]\r\n", "//[General]\r\n\r\n\r\nE"},
        {"a\r\n//[General]\r\n[General]\r\n", "a\r\n//[General]\r\n\r\nE\r\n[General]\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(insertEntry(c.text, "E"), c.result) << ::testing::PrintToString(c.text);
    const std::string none = "[fltsim.0]\r\na=0\r\n";
    EXPECT_EQ(install(none, "Red"), none + "\r\n\r\n" + numbered(1, "Red"));
}

TEST(FltsimEntries, OnlyTheFirstGeneralCounts)
{
    const std::string text = "a\r\n\r\n[General]\r\n\r\n[General]\r\n";
    EXPECT_EQ(insertEntry(text, "E\r\n"), "a\r\n\r\n\r\nE\r\n\r\n[General]\r\n\r\n[General]\r\n");
}

TEST(FltsimEntries, GapsAreFilledAndCommentedHeadersIgnored)
{
    const std::string gap = "[fltsim.0]\r\n\r\n[fltsim.2]\r\n\r\n[General]\r\n";
    EXPECT_EQ(newEntryNumber(gap), 1u);
    EXPECT_NE(install(gap, "X").find("[fltsim.1]\r\ntitle=KZQ A320 X"), std::string::npos);
    const std::string commented = "//[fltsim.9]\r\n[fltsim.0]\r\n\r\n[General]\r\n";
    EXPECT_NE(install(commented, "X").find("[fltsim.1]\r\ntitle"), std::string::npos);
}

TEST(FltsimEntries, TenAndHundredEntriesGrowTheHeader)
{
    std::string text;
    for (int i = 0; i < 100; ++i) {
        if (i == 10) {
            EXPECT_NE(install(text + "[General]\r\n", "T").find("\r\n[fltsim.10]\r\ntitle="),
                      std::string::npos);
        }
        text +=
            "[fltsim." + std::to_string(i) + "]\r\nui_variation=v" + std::to_string(i) + "\r\n\r\n";
    }
    const std::string out = install(text + "[General]\r\n", "H");
    EXPECT_EQ(out, text + "\r\n" + numbered(100, "H") + "\r\n[General]\r\n");
    EXPECT_NE(out.find("\r\n[fltsim.100]\r\n"), std::string::npos);
}

TEST(FltsimEntries, InstallingTwiceGivesTwoEntriesOfTheSameName)
{
    const std::string text = "[fltsim.0]\r\nui_variation=Base\r\n\r\n[General]\r\n";
    const std::string twice = install(install(text, "Blue"), "Blue");
    EXPECT_EQ(listLiveryNames(twice), (std::vector<std::string>{"Base", "Blue", "Blue"}));
    EXPECT_EQ(twice, "[fltsim.0]\r\nui_variation=Base\r\n\r\n\r\n" + numbered(1, "Blue") +
                         "\r\n\r\n" + numbered(2, "Blue") + "\r\n[General]\r\n");
}

// One name per entry: its first "ui_variation" key, trimmed; keys outside the entries and keys
// that merely end in the name do not count.
TEST(FltsimEntries, ListsTheFirstVariationOfEachEntryTrimmed)
{
    const std::string text = "ui_variation=Loose\r\n[fltsim.0]\r\nui_variation=Blue  \r\n\r\n"
                             "[fltsim.1]\r\nx_ui_variation=Inner\r\nui_variation=\r\n"
                             "ui_variation=Blue\r\n[fltsim.2]\r\n[General]\r\nui_variation=G\r\n";
    EXPECT_EQ(listLiveryNames(text), (std::vector<std::string>{"Blue", ""}));
    EXPECT_TRUE(listLiveryNames("").empty());
    EXPECT_TRUE(listLiveryNames("UI_VARIATION=a\r\n").empty());
    EXPECT_EQ(listLiveryNames("[fltsim.0]\r\nui_variation=last"),
              (std::vector<std::string>{"last"}));
    EXPECT_EQ(listLiveryNames("[fltsim.0]\r\nui_variation=ui_variation=x\r\n"),
              (std::vector<std::string>{"ui_variation=x"}));
}

TEST(FltsimEntries, ReadsAnyLineEndsAndWritesCrLfBackByteForByte)
{
    test::TempDir dir;
    const std::string path = dir / "aircraft.cfg";
    test::writeFile(path, "[fltsim.0]\nui_variation=A\r\n\n[General]\nx=1");
    const std::string text = readWorkingText(path);
    EXPECT_EQ(text, "[fltsim.0]\r\nui_variation=A\r\n\r\n[General]\r\nx=1\r\n");
    writeWorkingText(path, install(text, "B"));
    EXPECT_EQ(test::readFile(path), "[fltsim.0]\r\nui_variation=A\r\n\r\n\r\n" + numbered(1, "B") +
                                        "\r\n[General]\r\nx=1\r\n");
    EXPECT_EQ(readWorkingText(path), test::readFile(path));
}

// A lone CR ends a line in aircraft.cfg: old Mac files keep their lines, and the new entry goes
// before their "[General]" line instead of into the middle of a key.
TEST(FltsimEntries, InstallsIntoFilesOfAnyLineEnds)
{
    const std::string crlf = "[fltsim.0]\r\nui_variation=A\r\n\r\n[General]\r\nx=1\r\n";
    const std::string installed =
        "[fltsim.0]\r\nui_variation=A\r\n\r\n\r\n" + numbered(1, "B") + "\r\n[General]\r\nx=1\r\n";
    const std::string files[] = {
        crlf,
        "[fltsim.0]\rui_variation=A\r\r[General]\rx=1\r",
        "[fltsim.0]\rui_variation=A\r\r[General]\rx=1",
        "[fltsim.0]\r\r\nui_variation=A\r\n\r\r\n[General]\nx=1",
    };
    test::TempDir dir;
    const std::string path = dir / "aircraft.cfg";
    for (const std::string& bytes : files) {
        test::writeFile(path, bytes);
        EXPECT_EQ(readWorkingText(path), crlf) << ::testing::PrintToString(bytes);
        writeWorkingText(path, install(readWorkingText(path), "B"));
        EXPECT_EQ(test::readFile(path), installed) << ::testing::PrintToString(bytes);
    }
}

// A livery counts as installed when one entry has both its ui_variation and its texture folder.
TEST(FltsimEntries, FindsTheInstalledCopyByVariationAndTextureFolder)
{
    const std::string cfg = "[fltsim.0]\r\ntexture=House\r\nui_variation=House\r\n\r\n"
                            "[fltsim.4]\r\nui_variation = Blue \r\nTEXTURE=Blue\r\n\r\n"
                            "[fltsim.2]\r\ntexture=Red\r\nui_variation=Other\r\n\r\n"
                            "[fltsim.3]\r\nui_variation=Plain\r\n\r\n"
                            "[fltsim.5]\r\ntexture=Blue.\r\nui_variation=Again\r\n\r\n"
                            "[General]\r\nui_variation=Red\r\ntexture=Red\r\n";
    struct Row {
        const char* variation;
        const char* folder;
        std::optional<std::size_t> entry;
    };
    const Row rows[] = {
        {"House", "texture.House", 0},           // same variation, same folder
        {"Blue", "TEXTURE.blue", 4},             // keys and folder in other letter cases
        {"House", "texture.Blue", std::nullopt}, // same variation, other folder
        {"Red", "texture.Red", std::nullopt},   // same folder, other variation ([General] no entry)
        {"blue", "texture.Blue", std::nullopt}, // the variation is compared exactly
        {"Plain", "", 3},                       // neither has a texture folder
        {"Plain", "texture.Plain", std::nullopt},
        {"Again", "texture.Blue", 5}, // Windows drops the trailing dot
    };
    for (const Row& row : rows)
        EXPECT_EQ(findInstalledCopy(cfg, row.variation, row.folder), row.entry)
            << row.variation << " " << row.folder;
}

TEST(FltsimEntries, MissingFileRaisesIoError)
{
    test::TempDir dir;
    EXPECT_THROW(readWorkingText(dir / "none.cfg"), IoError);
    EXPECT_THROW(writeWorkingText(dir / "no/such/aircraft.cfg", "x"), IoError);
}

} // namespace
} // namespace hx
