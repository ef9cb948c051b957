// hangarix-cli install then remove of the new livery on aircraft.cfg files shaped like those of
// real add-ons: every other entry and every texture folder must come out as it went in.

#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace hx {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// One section: its lines without the empty ones.
using Sections = std::vector<Lines>;

std::string entryLines(const std::string& header, const std::string& name, const char* eol)
{
    return header + eol + "title=" + name + eol + "texture=" + name + eol + "ui_variation=" + name +
           eol + "description=" + name + eol + eol;
}

std::string configOf(const std::vector<std::pair<std::string, std::string>>& entries,
                     const std::string& general, const char* eol)
{
    std::string text;
    for (const auto& [header, name] : entries)
        text += entryLines(header, name, eol);
    return text + general + eol + "atc_type=KZQ" + eol;
}

// Splits at CR LF, LF or a lone CR; a section starts at each line that starts with "[".
Sections sectionsOf(const std::string& bytes)
{
    Sections sections(1);
    std::string line;
    auto flush = [&] {
        if (line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        if (!line.empty() && line[0] == '[')
            sections.emplace_back();
        if (!line.empty())
            sections.back().push_back(line);
        line.clear();
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            flush();
        } else {
            line.push_back(bytes[i]);
        }
    }
    flush();
    return sections;
}

// Every file below `folder` except aircraft.cfg, with its bytes.
std::map<std::string, std::string> filesBelow(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::u8string name = fs::relative(e.path(), test::fsPath(folder)).u8string();
        const std::string relative(name.begin(), name.end());
        if (relative != "aircraft.cfg")
            files[relative] =
                e.is_directory() ? "(folder)" : test::readFile(folder + "/" + relative);
    }
    return files;
}

struct Case {
    const char* name;
    std::string config;
    std::vector<std::string> textures; // texture.<name> folders beside it
    Lines headersAfter;                // empty: every header stays as it was
};

std::vector<Case> cases()
{
    std::vector<Case> out;
    // An AI traffic file: the first header with a capital F, then [fltsim.1] to [fltsim.114].
    std::vector<std::pair<std::string, std::string>> ai = {{"[Fltsim.0]", "Sichuan Airlines"}};
    for (int i = 1; i < 115; ++i)
        ai.push_back({"[fltsim." + std::to_string(i) + "]", "AI" + std::to_string(i)});
    out.push_back(
        {"ai traffic", configOf(ai, "[General]", "\r\n"), {"Sichuan Airlines", "AI114"}, {}});
    // Numbering with gaps, LF line ends, no final line break.
    std::string gaps = configOf({{"[fltsim.0]", "N0"},
                                 {"[fltsim.3]", "N208TC"},
                                 {"[fltsim.2]", "N2"},
                                 {"[fltsim.5]", "N329BF"},
                                 {"[fltsim.9]", "N9"},
                                 {"[fltsim.10]", "N10"},
                                 {"[fltsim.11]", "N11"}},
                                "[General]", "\n");
    gaps.pop_back();
    out.push_back({"gaps",
                   gaps,
                   {"N208TC", "N329BF"},
                   {"[fltsim.0]", "[fltsim.2]", "[fltsim.1]", "[fltsim.4]", "[fltsim.8]",
                    "[fltsim.9]", "[fltsim.10]"}});
    // "[general]" in lower case, a byte order mark and Latin-1 names.
    out.push_back({"lower-case general",
                   "\xEF\xBB\xBF" + configOf({{"[fltsim.0]", "A\xe9roport"}, {"[fltsim.1]", "Own"}},
                                             "[general]", "\r\n"),
                   {"A\xe9roport", "Own"},
                   {}});
    // Old Mac line ends.
    out.push_back({"CR only",
                   configOf({{"[fltsim.0]", "Mac0"}, {"[fltsim.1]", "Mac1"}}, "[General]", "\r"),
                   {"Mac0", "Mac1"},
                   {}});
    // The package was installed before: its texture folder is shared by both entries.
    out.push_back({"installed twice",
                   configOf({{"[fltsim.0]", "House"}, {"[fltsim.1]", "Blue"}}, "[General]", "\r\n"),
                   {"House", "Blue"},
                   {}});
    return out;
}

class CliRealShapedConfigsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string product = dir / "FS9/Aircraft/KZQ_A320";

    void SetUp() override
    {
        test::writeFile(dir / "start/downloads/Blue/installerinfo.txt",
                        "[fltsim.xx]\r\ntitle=KZQ A320 Blue\r\ntexture=Blue\r\n"
                        "ui_variation=Blue\r\nproductfolder=A320\r\ndescription=Blue\r\n");
        test::writeFile(dir / "start/downloads/Blue/texture.Blue/Blue.bmp", "BM Blue");
    }

    test::ProcessResult cli(const std::string& command)
    {
        return test::runCliWithoutRegistry(
            dir / "wine", "-C " + test::shellQuote(dir / "start") + " --sim fs9 --root " +
                              test::shellQuote(dir / "FS9") + " " + command);
    }
};

TEST_F(CliRealShapedConfigsTest, InstallThenRemoveLeavesEveryOtherEntryAndFolder)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        fs::remove_all(product);
        test::writeFile(product + "/aircraft.cfg", c.config);
        // Folders named as the system names a value of aircraft.cfg (in the ANSI code page on
        // Windows, the bytes as they are elsewhere).
        for (const std::string& t : c.textures)
            test::writeFile(product + "/" + platform::pathFromText("texture." + t + "/" + t) +
                                ".bmp",
                            "BM " + t);
        const auto folders = filesBelow(product);
        const std::string listed = cli("liveries KZQ_A320").out;

        auto r = cli("install Blue");
        ASSERT_EQ(r.out, "Installation completed\n") << r.err;
        r = cli("liveries KZQ_A320");
        ASSERT_EQ(r.out.substr(0, listed.size()), listed); // the new livery is listed last
        std::istringstream lastLine(r.out.substr(listed.size()));
        std::string index, name;
        std::getline(lastLine, index, '\t');
        std::getline(lastLine, name);
        ASSERT_EQ(name, "Blue");

        r = cli("remove KZQ_A320 " + index);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.rfind("Removed succesfully\n", 0), 0u) << r.out;
        EXPECT_EQ(cli("liveries KZQ_A320").out, listed);
        EXPECT_EQ(filesBelow(product), folders);

        Sections expected = sectionsOf(c.config);
        for (std::size_t s = 1, h = 0; s < expected.size() && h < c.headersAfter.size(); ++s)
            if (expected[s][0].rfind("[fltsim.", 0) == 0 ||
                expected[s][0].rfind("[Fltsim.", 0) == 0)
                expected[s][0] = c.headersAfter[h++];
        EXPECT_EQ(sectionsOf(test::readFile(product + "/aircraft.cfg")), expected);
    }
}

} // namespace
} // namespace hx
