#include "packages/PackageInfo.h"

#include "platform/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hx {
namespace {

TEST(PackageInfo, KeyValueIsTheRestOfTheLineAfterTheFirstOccurrence)
{
    const std::string text = "[fltsim.xx]\r\nsub_title=Inner\r\ntitle=KZQ A320 Blue  \r\n"
                             "ui_variation=Blue 1\r\nproductfolder=A320";
    EXPECT_EQ(keyValue(text, "title="), "Inner"); // inside sub_title= on an earlier line
    EXPECT_EQ(keyValue(text, "ui_variation="), "Blue 1");
    EXPECT_EQ(keyValue(text, "productfolder="), "A320"); // no CR after it: to the end
    EXPECT_EQ(keyValue("a=\r\nb=2\r\n", "a="), "");
    EXPECT_EQ(keyValue("x=1 \t \r\n", "x="), "1 \t ");
    EXPECT_EQ(keyValue("Title=Up\r\n", "title="), ""); // case-sensitive
    EXPECT_EQ(keyValue("", "title="), "");
    EXPECT_EQ(keyValue("[fltsim.xx]\r\nui_variation=v\r\n", "title="), ""); // absent
}

TEST(PackageInfo, ProductFolderNameReplacesEveryDash)
{
    EXPECT_EQ(productFolderName("productfolder=My-Plane-1\r\n"), "KZQ_My_Plane_1");
    EXPECT_EQ(productFolderName("productfolder=\r\n"), "KZQ_");
    EXPECT_EQ(productFolderName("productfolder=--A 3-\r\n"), "KZQ___A 3_");
    EXPECT_EQ(productFolderName("title=x\r\n"), "KZQ_");
}

TEST(PackageInfo, ReadsAnyLineEndsIntoTheSameText)
{
    test::TempDir dir;
    const std::string crlf = "[fltsim.xx]\r\ntitle=Blue\r\nui_variation=Blue 1\r\n";
    test::writeFile(dir / "a.txt", crlf);
    test::writeFile(dir / "b.txt", "[fltsim.xx]\ntitle=Blue\nui_variation=Blue 1");
    test::writeFile(dir / "c.txt", "[fltsim.xx]\r\ntitle=Bl\rue\r\nui_variation=Blue 1\n");
    test::writeFile(dir / "empty.txt", "");
    EXPECT_EQ(readInformationText(dir / "a.txt"), crlf);
    EXPECT_EQ(readInformationText(dir / "b.txt"), crlf);
    EXPECT_EQ(readInformationText(dir / "c.txt"), crlf);
    EXPECT_EQ(readInformationText(dir / "empty.txt"), "");
    EXPECT_THROW(readInformationText(dir / "missing.txt"), IoError);
}

TEST(PackageInfo, DescriptionIsWhatTheInformationFileSays)
{
    const struct {
        std::string file;
        std::string title, variation, productFolder;
    } cases[] = {
        {"[fltsim.xx]\ntitle=KZQ A320 Blue\nui_variation=Blue 1\nproductfolder=A-320\n",
         "KZQ A320 Blue", "Blue 1", "KZQ_A_320"},
        {"title=Only\r\n", "Only", "", "KZQ_"},
        {"", "", "", "KZQ_"},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        test::writeFile(dir / "Pkg/installerinfo.txt", c.file);
        const PackageDescription d = describePackage(dir / "Pkg");
        EXPECT_EQ(d.informationText, readInformationText(dir / "Pkg/installerinfo.txt"));
        EXPECT_EQ(d.title, c.title) << c.file;
        EXPECT_EQ(d.variation, c.variation) << c.file;
        EXPECT_EQ(d.productFolderName, c.productFolder) << c.file;
    }
    EXPECT_THROW(describePackage(dir / "Missing"), IoError);
}

TEST(PackageInfo, TextureFolderIsTheLastEntryOtherThanTheInformationFile)
{
    test::TempDir dir;
    const std::string pkg = dir / "Blue";
    test::writeFile(pkg + "/installerinfo.txt", "x\r\n");
    EXPECT_EQ(textureFolderName(pkg), ""); // nothing besides the information file
    EXPECT_EQ(textureFolderName(dir / "missing"), "");

    test::makeFolders(pkg + "/texture.Blue");
    EXPECT_EQ(textureFolderName(pkg), "texture.Blue");

    // Two texture folders: whichever the file system lists last.
    test::makeFolders(pkg + "/texture.Red");
    std::string last;
    for (const auto& e : std::filesystem::directory_iterator(pkg))
        if (e.path().filename() != "installerinfo.txt")
            last = e.path().filename().string();
    EXPECT_EQ(textureFolderName(pkg), last);

    // An information file with other capitals is an ordinary entry; so is a file.
    const std::string other = dir / "Other";
    test::writeFile(other + "/InstallerInfo.txt", "x\r\n");
    EXPECT_EQ(textureFolderName(other), "InstallerInfo.txt");
}

} // namespace
} // namespace hx
