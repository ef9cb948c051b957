#include "packages/LocalPackageList.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace hx {
namespace {

// A start-up folder with a downloads folder; the picture loader records every path it is
// handed and, like the window's, fails on a file that is missing or holds no JPEG signature.
class LocalPackageListTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::vector<std::string> loaded;
    LocalPackageList list{dir.path(), [this](const std::string& path) {
                              loaded.push_back(path);
                              if (!platform::fileExists(path) ||
                                  test::readFile(path).rfind("\xFF\xD8", 0) != 0)
                                  throw std::runtime_error("Cannot open file \"" + path + "\"");
                          }};

    std::string downloads(const std::string& rel = "") const
    {
        return dir / ("downloads" + (rel.empty() ? "" : "/" + rel));
    }
    void addPackage(const std::string& name, const std::string& title, const std::string& variation,
                    const std::string& product, bool withPicture = true)
    {
        test::writeFile(downloads(name + "/installerinfo.txt"),
                        "[fltsim.xx]\ntitle=" + title + "\nui_variation=" + variation +
                            "\nproductfolder=" + product + "\ntexture=" + variation + "\n");
        test::makeFolders(downloads(name + "/texture." + variation));
        if (withPicture)
            test::writeFile(downloads(name + "/texture." + variation + "/thumbnail.jpg"),
                            "\xFF\xD8 picture of " + name);
    }
};

TEST_F(LocalPackageListTest, EmptyOrMissingDownloadsGiveAnEmptyList)
{
    list.startupFill();
    EXPECT_TRUE(list.items().empty());
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.selectedName(), "");
    EXPECT_EQ(list.memoText(), "Information:");
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(list.current().name, "");
    EXPECT_EQ(list.current().informationText, "");

    test::makeFolders(downloads());
    list.startupFill();
    EXPECT_TRUE(list.items().empty());
    EXPECT_TRUE(loaded.empty());
}

TEST_F(LocalPackageListTest, ListsNamesWithoutADotInListingOrder)
{
    addPackage("Blue", "KZQ A320 Blue", "Blue", "A320");
    addPackage("Red", "KZQ A320 Red", "Red", "A320");
    addPackage("Old.bak", "x", "x", "A320");
    test::writeFile(downloads("README"), "a file without extension is listed too");
    test::writeFile(downloads("notes.txt"), "");
    std::vector<std::string> expected;
    for (const auto& e : std::filesystem::directory_iterator(downloads()))
        if (e.path().filename().string().find('.') == std::string::npos)
            expected.push_back(e.path().filename().string());
    ASSERT_EQ(expected.size(), 3u);

    list.fill();
    EXPECT_EQ(list.items(), expected);
    EXPECT_EQ(list.selectedIndex(), -1);
    list.fill(); // not cleared first
    EXPECT_EQ(list.items().size(), 6u);
}

TEST_F(LocalPackageListTest, StartupShowsTheFirstPackage)
{
    addPackage("Only", "KZQ A320 Blue  ", "Blue 1", "A320-200");
    list.startupFill();
    ASSERT_EQ(list.items(), std::vector<std::string>{"Only"});
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(list.selectedName(), "Only");
    EXPECT_EQ(list.memoLines(),
              (std::vector<std::string>{"Information:", "KZQ A320 Blue  ", "Blue 1"}));
    EXPECT_EQ(list.memoText(), "Information:\r\nKZQ A320 Blue  \r\nBlue 1");
    const CurrentPackage& c = list.current();
    EXPECT_EQ(c.name, "Only");
    EXPECT_EQ(c.textureFolderName, "texture.Blue 1");
    EXPECT_EQ(c.productFolderName, "KZQ_A320_200");
    EXPECT_EQ(c.informationText, "[fltsim.xx]\r\ntitle=KZQ A320 Blue  \r\nui_variation=Blue 1\r\n"
                                 "productfolder=A320-200\r\ntexture=Blue 1\r\n");
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0], list.packageFolder("Only") + platform::kSeparator + "texture.Blue 1" +
                             platform::kSeparator + "thumbnail.jpg");
    EXPECT_EQ(list.picturePath(), loaded[0]);
}

TEST_F(LocalPackageListTest, PackageWithoutPictureShowsTheFallback)
{
    addPackage("Plain", "T", "V", "A320", /*withPicture=*/false);
    test::writeFile(dir / "thumbnail.jpg", "\xFF\xD8 fallback");
    list.startupFill();
    EXPECT_EQ(list.picturePath(), dir.path() + platform::kSeparator + "thumbnail.jpg");
    EXPECT_EQ(list.current().name, "Plain");

    // A package with nothing but its information file: no texture folder, the fallback too.
    test::writeFile(downloads("Bare/installerinfo.txt"), "title=B\r\n");
    list.showPackage("Bare");
    EXPECT_EQ(list.current().textureFolderName, "");
    EXPECT_EQ(list.picturePath(), dir.path() + platform::kSeparator + "thumbnail.jpg");
}

TEST_F(LocalPackageListTest, AFailedShowingKeepsTheCurrentPackageWhole)
{
    addPackage("A", "Title A", "Var A", "A320");
    addPackage("B", "Title B", "Var B", "B737");
    test::writeFile(downloads("B/texture.Var B/thumbnail.jpg"), "damaged");
    addPackage("C", "Title C", "Var C", "C172");
    std::filesystem::remove(downloads("C/installerinfo.txt"));
    list.fill();
    const auto indexOf = [&](const std::string& name) {
        return static_cast<int>(std::find(list.items().begin(), list.items().end(), name) -
                                list.items().begin());
    };
    list.choose(indexOf("A"));
    const CurrentPackage shownA = list.current();
    const std::string memoA = list.memoText();

    // The picture fails: nothing of B is committed, the selection moved all the same.
    EXPECT_THROW(list.choose(indexOf("B")), std::runtime_error);
    EXPECT_EQ(list.selectedName(), "B");
    EXPECT_EQ(list.current().name, "A");
    EXPECT_EQ(list.current().textureFolderName, shownA.textureFolderName);
    EXPECT_EQ(list.current().productFolderName, "KZQ_A320");
    EXPECT_EQ(list.memoText(), memoA);

    // The information file is missing: the picture was shown, the package is not committed.
    EXPECT_THROW(list.choose(indexOf("C")), IoError);
    EXPECT_EQ(list.selectedName(), "C");
    EXPECT_EQ(list.current().name, "A");
    EXPECT_EQ(list.current().informationText, shownA.informationText);
    EXPECT_EQ(list.memoText(), memoA);
    EXPECT_NE(list.picturePath().find("texture.Var C"), std::string::npos);

    list.choose(indexOf("A"));
    list.choose(99);
    EXPECT_EQ(list.selectedIndex(), -1);
}

TEST_F(LocalPackageListTest, StartupFailureKeepsTheListAndItemZero)
{
    test::writeFile(downloads("Broken/texture.X/readme.txt"), "no information file");
    EXPECT_THROW(list.startupFill(), std::runtime_error); // no fallback picture either
    EXPECT_EQ(list.items(), std::vector<std::string>{"Broken"});
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(list.current().name, "");
    EXPECT_EQ(list.memoText(), "Information:");
}

} // namespace
} // namespace hx
