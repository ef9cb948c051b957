// hangarix-cli install-archive: ZIP archives on disk installed as a downloaded one is, the files
// themselves left as they were.

#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>

namespace hx {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;
using test::readFile;
using test::shellQuote;
using test::TempDir;
using test::writeFile;
using test::ZipMaker;

std::string info(const std::string& name)
{
    return "[fltsim.XX]\r\ntitle=A320 " + name + "\r\ntexture=" + name +
           "\r\nui_variation=" + name + "\r\ndescription=d\r\n\r\nproductfolder=A320\r\n";
}

ZipMaker& package(ZipMaker& zip, const std::string& name)
{
    return zip.file(name + "/installerinfo.txt", info(name))
        .file(name + "/texture." + name + "/t.bmp", "BM " + name);
}

class CliInstallArchiveTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string product = dir / "FSX/SimObjects/Airplanes/KZQ_A320";
    std::string config = "[fltsim.0]\r\ntitle=House\r\ntexture=House\r\nui_variation=House\r\n"
                         "description=x\r\n\r\n[General]\r\natc_type=AIRBUS\r\n";

    void SetUp() override
    {
        test::makeFolders(dir / "work/templiv");
        test::makeFolders(dir / "wine");
        writeFile(product + "/aircraft.cfg", config);
        ZipMaker two;
        package(package(two, "Green"), "Blue").save(dir / "two.zip");
        ZipMaker one;
        package(one, "Red").save(dir / "one.zip");
        std::string cut = readFile(dir / "one.zip");
        writeFile(dir / "cut.zip", cut.substr(0, cut.size() / 2));
        writeFile(dir / "work/templiv/inside.zip", readFile(dir / "one.zip"));
    }

    ProcessResult cli(const std::string& sim, const std::string& arguments)
    {
        return test::runCliWithoutRegistry(
            dir / "wine", "-C " + shellQuote(dir / "work") + " --sim " + sim + " --root " +
                              shellQuote(dir / "FSX") + " install-archive " + arguments);
    }
};

TEST_F(CliInstallArchiveTest, InstallsEveryPackageAndLeavesTheArchivesAsTheyWere)
{
    struct Row {
        const char* name;
        std::string sim;
        std::string files; // relative to the test folder
        int exitCode;
        std::string firstLine;
        std::vector<std::string> installed; // texture folders that then exist, and the
                                            // entries after [fltsim.0], numbered on from 1
    };
    const Row rows[] = {
        {"two packages", "fsx", "two.zip", 0, "Installation completed", {"Green", "Blue"}},
        {"two archives",
         "fsx",
         "two.zip one.zip",
         0,
         "Installation completed",
         {"Green", "Blue", "Red"}},
        {"no simulator", "none", "two.zip", 1, "Please select FS", {}},
        {"truncated archive", "fsx", "cut.zip", 1, "The archive cut.zip is damaged", {}},
        {"missing file", "fsx", "none.zip", 1, "Cannot find the archive", {}},
        {"inside templiv", "fsx", "work/templiv/inside.zip", 1, "The archive", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(product);
        writeFile(product + "/aircraft.cfg", config);
        writeFile(dir / "work/templiv/inside.zip", readFile(dir / "one.zip"));
        // The archives given, as they are before the run.
        std::map<std::string, std::string> archives;
        std::string files;
        for (std::size_t at = 0, next; at < row.files.size(); at = next + 1) {
            next = row.files.find(' ', at);
            next = next == std::string::npos ? row.files.size() : next;
            const std::string file = dir / row.files.substr(at, next - at);
            files += shellQuote(file) + " ";
            if (fs::exists(file))
                archives[file] = readFile(file);
        }
        const ProcessResult r = cli(row.sim, files);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.out << r.err;
        EXPECT_EQ(r.out.substr(0, row.firstLine.size()), row.firstLine) << r.out;
        for (const auto& [file, bytes] : archives)
            EXPECT_EQ(readFile(file), bytes) << file;
        for (const std::string& t : row.installed)
            EXPECT_EQ(readFile(product + "/texture." + t + "/t.bmp"), "BM " + t);
        // No package installed leaves aircraft.cfg as it was.
        const std::string after = readFile(product + "/aircraft.cfg");
        EXPECT_EQ(row.installed.empty(), after == config);
        for (std::size_t i = 0; i <= row.installed.size(); ++i) {
            const std::string header = "[fltsim." + std::to_string(i) + "]";
            EXPECT_NE(after.find(header), std::string::npos) << header;
        }
        EXPECT_EQ(after.find("[fltsim." + std::to_string(row.installed.size() + 1) + "]"),
                  std::string::npos);
        // A completed run empties templiv, as the download does.
        const auto left =
            std::distance(fs::directory_iterator(dir / "work/templiv"), fs::directory_iterator());
        EXPECT_TRUE(row.exitCode != 0 || left == 0);
    }
}

// A ZIP named .7z installs; a 7-Zip archive named .zip is refused with its message before
// templiv or the aircraft is touched.
TEST_F(CliInstallArchiveTest, ArchivesAreKnownByTheirBytesWhateverTheirNames)
{
    writeFile(dir / "zip.7z", readFile(dir / "one.zip"));
    writeFile(dir / "seven.zip", std::string("7z\xBC\xAF\x27\x1C\0\4 and the rest", 21));
    const struct {
        const char* file;
        int exitCode;
        std::string out;
    } rows[] = {
        {"seven.zip", 1,
         "seven.zip is a 7-Zip archive; Hangarix unpacks ZIP archives. Unpack it into the "
         "downloads folder and install it from the first tab\n"},
        {"zip.7z", 0, "Installation completed\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        writeFile(product + "/aircraft.cfg", config);
        const ProcessResult r = cli("fsx", shellQuote(dir / row.file));
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_EQ(r.out, row.out);
        const bool installed = row.exitCode == 0;
        EXPECT_EQ(readFile(product + "/aircraft.cfg") == config, !installed);
        // Left by SetUp; only an unpacking empties templiv.
        EXPECT_EQ(fs::exists(dir / "work/templiv/inside.zip"), !installed);
    }
}

} // namespace
} // namespace hx
