#include "platform/FileSystem.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace hx::platform;
#ifndef _WIN32
using hx::test::FileSizeLimit;
#endif
using hx::test::readFile;
using hx::test::TempDir;
using hx::test::writeFile;

namespace {

std::vector<std::string> names(const std::vector<DirEntry>& entries)
{
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

// The folder's entries in the order the OS lists them, filtered by `keep`.
template <typename Keep> std::vector<std::string> osOrder(const std::string& folder, Keep keep)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (keep(name))
            out.push_back(name);
    }
    return out;
}

std::string joined(std::initializer_list<const char*> parts)
{
    std::string out;
    for (const char* p : parts)
        out += p == std::string("/") ? std::string(1, kSeparator) : std::string(p);
    return out;
}

} // namespace

TEST(Wildcard, FollowsTheWindowsRules)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*", "anything.at.all", true},
        {"*", ".hidden", true},
        {"*.*", "noextension", true},
        {"*.*", "a.b", true},
        {"*.", "KZQ_A320", true},
        {"*.", "thumbnail.jpg", false},
        {"*.", "a.b.c", false},
        {"KZQ_*.", "KZQ_A320", true},
        {"KZQ_*.", "kzq_a320", true},
        {"KZQ_*.", "KZQ_A320.bak", false},
        {"KZQ_*.", "XKZQ_A320", false},
        {"KZQ_*", "KZQ_A320.bak", true},
        {"*.bmp", "a.BMP", true},
        {"*.BMP", "texture.bmp", true},
        {"*.bmp", "x.y.bmp", true},
        {"*.bmp", "bmp", false},
        {"*.bmp", "a.bmpx", false},
        {"*.bmp", "a.bmp.txt", false},
        {"a?c", "abc", true},
        {"a?c", "abbc", false},
        {"*a", "banana", true},
        {"*an*a", "banana", true},
        {"*x*", "banana", false},
        {"exact.txt", "EXACT.TXT", true},
        {"exact.txt", "exact.txt2", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST(ListFolder, KeepsOsOrderIncludesHiddenAndTellsFolders)
{
    TempDir dir;
    for (const char* f : {"b.bmp", "A.BMP", "c.txt", ".hidden", "KZQ_x", "z.Bmp"})
        writeFile(dir / f, "x");
    for (const char* d : {"KZQ_A320", "KZQ_A320.bak", ".git"})
        fs::create_directory(dir / d);
    // Links to folders need a privilege on Windows; there the listing is checked without one.
    std::error_code noLinks;
    fs::create_directory_symlink(dir / "KZQ_A320", dir / "KZQ_link", noLinks);

    const auto all = listFolder(dir.path(), "*");
    EXPECT_EQ(names(all), osOrder(dir.path(), [](const std::string&) { return true; }));
    EXPECT_EQ(all.size(), noLinks ? 9u : 10u);
    for (const auto& e : all) {
        const bool folder = e.name == "KZQ_A320" || e.name == "KZQ_A320.bak" || e.name == ".git" ||
                            e.name == "KZQ_link";
        EXPECT_EQ(e.isFolder, folder) << e.name;
    }

    EXPECT_EQ(names(listFolder(dir.path(), "*.bmp")), osOrder(dir.path(), [](const std::string& n) {
                  return n == "b.bmp" || n == "A.BMP" || n == "z.Bmp";
              }));
    EXPECT_EQ(names(listFolder(dir.path(), "KZQ_*.")),
              osOrder(dir.path(), [](const std::string& n) {
                  return n == "KZQ_x" || n == "KZQ_A320" || n == "KZQ_link";
              }));
}

TEST(ListFolder, ResolvesTheFolderCaseAndGivesNothingForMissingFolders)
{
    TempDir dir;
    writeFile(dir / "SimObjects/Airplanes/KZQ_A/aircraft.cfg", "");
    const auto entries = listFolder(dir / "simobjects/AIRPLANES", "*");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "KZQ_A");
    EXPECT_TRUE(entries[0].isFolder);

    EXPECT_TRUE(listFolder(dir / "nowhere", "*").empty());
    EXPECT_TRUE(listFolder(dir / "SimObjects/Airplanes/KZQ_A/aircraft.cfg", "*").empty());
}

TEST(ResolvePath, FindsEntriesIgnoringCaseAndKeepsTheRest)
{
    TempDir dir;
    writeFile(dir / "SimObjects/Airplanes/KZQ_A/aircraft.cfg", "");
    writeFile(dir / "SimObjects/Airplanes/KZQ_A/Texture.Blue/a.bmp", "");

    const std::string real = dir / "SimObjects/Airplanes/KZQ_A/aircraft.cfg";
    EXPECT_EQ(resolvePath(dir / "simobjects/airplanes/kzq_a/Aircraft.cfg"), real);
    EXPECT_EQ(resolvePath(real), real);
    // A missing component and everything below it stay as written.
    EXPECT_EQ(resolvePath(dir / "simobjects/NEW/Sub/x.txt"), dir / "SimObjects/NEW/Sub/x.txt");
    // Separators stand as they are: a doubled one is not collapsed.
    EXPECT_EQ(resolvePath(dir.path() + "//simobjects/airplanes/"),
              dir.path() + "//SimObjects/Airplanes/");
    EXPECT_EQ(resolvePath(dir / "SIMOBJECTS/./airplanes/../Airplanes/kzq_a/TEXTURE.blue"),
              dir / "SimObjects/./Airplanes/../Airplanes/KZQ_A/Texture.Blue");
}

TEST(ResolvePath, PrefersTheExactNameOverOtherCases)
{
    HX_SKIP_ON_WINDOWS("a file system that ignores case cannot hold a.txt and A.TXT side by side");
    TempDir dir;
    writeFile(dir / "Sub/a.txt", "lower");
    writeFile(dir / "Sub/A.TXT", "upper");
    const std::pair<std::string, std::string> rows[] = {
        {dir / "Sub/A.TXT", dir / "Sub/A.TXT"},
        {dir / "Sub/a.txt", dir / "Sub/a.txt"},
        // Also below a folder that was found ignoring case.
        {dir / "SUB/A.TXT", dir / "Sub/A.TXT"},
        {dir / "sub/a.txt", dir / "Sub/a.txt"},
    };
    for (const auto& [asked, found] : rows)
        EXPECT_EQ(resolvePath(asked), found) << asked;
    // A relative path is looked up from the current folder.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(resolvePath("SUB"), "Sub");
    EXPECT_EQ(resolvePath("sub/A.TXT"), "Sub/A.TXT");
    EXPECT_EQ(resolvePath("sub/new/x"), "Sub/new/x");
    std::filesystem::current_path(before);
}

TEST(ExistenceTests, ResolveCaseAndTellFilesFromFolders)
{
    TempDir dir;
    writeFile(dir / "Folder/aircraft.cfg", "12345");
    EXPECT_TRUE(fileExists(dir / "folder/Aircraft.cfg"));
    EXPECT_FALSE(folderExists(dir / "folder/Aircraft.cfg"));
    EXPECT_TRUE(pathExists(dir / "FOLDER/AIRCRAFT.CFG"));
    EXPECT_TRUE(folderExists(dir / "FOLDER"));
    EXPECT_FALSE(fileExists(dir / "FOLDER"));
    EXPECT_FALSE(pathExists(dir / "missing"));
    EXPECT_EQ(fileSize(dir / "folder/AIRCRAFT.cfg"), 5u);
    EXPECT_EQ(fileSize(dir / "missing"), 0u);
}

TEST(CopyFile, CopiesContentModeAndTimeButNeverOverwrites)
{
    TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 3);
    writeFile(dir / "Source.BMP", big);
    ASSERT_EQ(chmod((dir / "Source.BMP").c_str(), hx::test::modeAsKept(0640)), 0);
    const auto mtime = fs::last_write_time(dir / "Source.BMP") - std::chrono::hours(30);
    fs::last_write_time(dir / "Source.BMP", mtime);

    ASSERT_TRUE(copyFileNoOverwrite(dir / "source.bmp", dir / "copy.bmp"));
    EXPECT_EQ(readFile(dir / "copy.bmp"), big);
    struct stat st {};
    ASSERT_EQ(stat((dir / "copy.bmp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, hx::test::modeAsKept(0640));
    EXPECT_EQ(fs::last_write_time(dir / "copy.bmp"), mtime);

    // An existing target, in this case or another, stays as it is.
    writeFile(dir / "old.bmp", "old");
    EXPECT_FALSE(copyFileNoOverwrite(dir / "Source.BMP", dir / "old.bmp"));
    EXPECT_FALSE(copyFileNoOverwrite(dir / "Source.BMP", dir / "OLD.BMP"));
    EXPECT_EQ(readFile(dir / "old.bmp"), "old");
    EXPECT_FALSE(hx::test::hasEntrySpelt(dir.path(), "OLD.BMP"));

    // An empty file copies as an empty file.
    writeFile(dir / "empty", "");
    ASSERT_TRUE(copyFileNoOverwrite(dir / "empty", dir / "empty2"));
    EXPECT_EQ(readFile(dir / "empty2"), "");
}

TEST(CopyFile, RefusesFoldersAndMissingSourcesWithoutLeavingATarget)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(copyFileNoOverwrite(dir / "folder", dir / "target"));
    EXPECT_FALSE(copyFileNoOverwrite(dir / "missing", dir / "target"));
    EXPECT_FALSE(hx::test::exists(dir / "target"));
    writeFile(dir / "a", "a");
    EXPECT_FALSE(copyFileNoOverwrite(dir / "a", dir / "no/such/folder/a"));
}

TEST(CopyFile, AFailedWriteLeavesNoPartialTarget)
{
#ifdef _WIN32
    HX_SKIP_ON_WINDOWS("no per-process file size limit to make a write fail part way");
#else
    TempDir dir;
    writeFile(dir / "source", std::string(256 * 1024, 'x'));
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(copyFileNoOverwrite(dir / "source", dir / "target"));
    }
    EXPECT_FALSE(hx::test::exists(dir / "target"));
    // With room again, the same copy works: nothing of the failed one is in the way.
    EXPECT_TRUE(copyFileNoOverwrite(dir / "source", dir / "target"));
    EXPECT_EQ(fileSize(dir / "target"), 256u * 1024u);
#endif
}

TEST(Folders, CreateOneLevelDeleteFilesRemoveEmptyFolders)
{
    TempDir dir;
    EXPECT_TRUE(createFolder(dir / "Texture.Blue"));
    EXPECT_FALSE(createFolder(dir / "Texture.Blue"));
    EXPECT_FALSE(createFolder(dir / "TEXTURE.BLUE")); // exists in another case
    EXPECT_FALSE(hx::test::hasEntrySpelt(dir.path(), "TEXTURE.BLUE"));
    EXPECT_FALSE(createFolder(dir / "a/b")); // one level only
    EXPECT_FALSE(hx::test::exists(dir / "a"));

    writeFile(dir / "Texture.Blue/Body.bmp", "x");
    EXPECT_FALSE(removeFolder(dir / "texture.blue")); // not empty
    EXPECT_FALSE(deleteFile(dir / "texture.blue"));   // a folder is no file
    EXPECT_TRUE(folderExists(dir / "Texture.Blue"));
    EXPECT_FALSE(removeFolder(dir / "texture.blue/body.bmp")); // a file is no folder
    EXPECT_TRUE(deleteFile(dir / "texture.blue/BODY.BMP"));
    EXPECT_FALSE(deleteFile(dir / "texture.blue/BODY.BMP"));
    EXPECT_TRUE(removeFolder(dir / "TEXTURE.blue"));
    EXPECT_FALSE(hx::test::exists(dir / "Texture.Blue"));
    EXPECT_FALSE(removeFolder(dir / "Texture.Blue"));
}

TEST(Folders, ClearAttributesMakesEntriesWritableByTheOwner)
{
    TempDir dir;
    writeFile(dir / "ro.bmp", "x");
    ASSERT_EQ(chmod((dir / "ro.bmp").c_str(), 0444), 0);
    EXPECT_TRUE(clearAttributes(dir / "RO.BMP"));
    struct stat st {};
    ASSERT_EQ(stat((dir / "ro.bmp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, hx::test::modeAsKept(0644));
    EXPECT_FALSE(clearAttributes(dir / "missing"));
}

TEST(Paths, JoinAsTheyStandAndCurrentFolderHasNoTrailingSeparator)
{
    EXPECT_EQ(joinPath("root", "Aircraft"), joined({"root", "/", "Aircraft"}));
    EXPECT_EQ(joinPath("root/", "Aircraft"), joined({"root/", "/", "Aircraft"}));
    EXPECT_EQ(joinPath("", "x"), joined({"/", "x"}));

    TempDir dir;
    const auto before = fs::current_path();
    fs::current_path(dir.path());
    const std::string here = currentFolder();
    fs::current_path(before);
    EXPECT_EQ(fs::canonical(here), fs::canonical(dir.path()));
    EXPECT_NE(here.back(), kSeparator);
}
