#include "aircraftcfg/Installation.h"

#include "aircraftcfg/FltsimEntries.h"
#include "packages/LocalPackageList.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "support/RecordingFeedback.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace hx {
namespace {

namespace fs = std::filesystem;

using test::RecordingFeedback;

const std::string kConfig = "[fltsim.0]\r\ntitle=KZQ A320 House\r\nsim=KZQ_A320\r\n"
                            "texture=House\r\nui_variation=House\r\ndescription=House colours\r\n"
                            "\r\n[fltsim.1]\r\ntitle=KZQ A320 Grey\r\nsim=KZQ_A320\r\n"
                            "texture=Grey\r\nui_variation=Grey\r\ndescription=Grey\r\n\r\n"
                            "[General]\r\natc_type=KZQ\r\natc_model=A320\r\n";

std::string infoText(const std::string& variation, const std::string& product)
{
    return "[fltsim.xx]\r\ntitle=KZQ A320 " + variation +
           "\r\nsim=KZQ_A320\r\ntexture=" + variation + "\r\nui_variation=" + variation +
           "\r\nproductfolder=" + product + "\r\ndescription=" + variation + " livery\r\n";
}

std::string entryText(std::size_t n, const std::string& variation)
{
    return "[fltsim." + std::to_string(n) + "]" + infoText(variation, "A320").substr(11);
}

// A start-up folder with downloads, an FSX root and an FS9 root, each with KZQ_A320 installed.
class InstallationTest : public ::testing::Test {
protected:
    test::TempDir dir;
    RecordingFeedback feedback;
    LocalPackageList list{dir / "start", [](const std::string&) {}};
    Simulator fsx{SimKind::FSX, dir / "FSX"};
    Simulator fs9{SimKind::FS9, dir / "FS9"};

    std::string fsxProduct(const std::string& rel = "") const
    {
        return dir / ("FSX/SimObjects/Airplanes/KZQ_A320" + (rel.empty() ? "" : "/" + rel));
    }
    std::string fs9Product(const std::string& rel = "") const
    {
        return dir / ("FS9/Aircraft/KZQ_A320" + (rel.empty() ? "" : "/" + rel));
    }
    std::string pkg(const std::string& rel) const { return dir / ("start/downloads/" + rel); }

    void SetUp() override
    {
        test::makeFolders(dir / "start/downloads");
        test::writeFile(fsxProduct("aircraft.cfg"), kConfig);
        test::writeFile(fsxProduct("texbase/a.bmp"), "shared a");
        test::writeFile(fsxProduct("texbase/b.bmp"), "shared b");
        test::writeFile(fsxProduct("texbase/notes.txt"), "not a bitmap");
        test::writeFile(fs9Product("aircraft.cfg"), kConfig);
        test::writeFile(fs9Product("texbase/b.bmp"), "shared b");
    }

    // A package folder named `name` with its information file and texture."variation".
    void addPackage(const std::string& name, const std::string& variation,
                    const std::string& product = "A320")
    {
        test::writeFile(pkg(name + "/installerinfo.txt"), infoText(variation, product));
        test::writeFile(pkg(name + "/texture." + variation + "/a.bmp"), name + " own a");
        test::writeFile(pkg(name + "/texture." + variation + "/thumbnail.jpg"), "jpeg");
    }

    void select(const std::string& name)
    {
        if (list.items().empty())
            list.fill();
        const auto it = std::find(list.items().begin(), list.items().end(), name);
        ASSERT_NE(it, list.items().end());
        list.choose(static_cast<int>(it - list.items().begin()));
    }

    static std::set<std::string> names(const std::string& folder)
    {
        std::set<std::string> out;
        if (fs::is_directory(folder))
            for (const auto& e : fs::directory_iterator(folder))
                out.insert(e.path().filename().string());
        return out;
    }
};

TEST_F(InstallationTest, InstallsTheSelectedPackageIntoFsxWithBaseTextures)
{
    addPackage("Blue", "Blue");
    test::writeFile(pkg("Blue/texture.Blue/sub/deep.bmp"), "not copied");
    select("Blue");

    EXPECT_EQ(installPackages(list, false, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Installation completed"});
    EXPECT_EQ(feedback.hidden, 0);
    const std::string expected = kConfig.substr(0, kConfig.find("[General]")) + "\r\n" +
                                 entryText(2, "Blue") +
                                 "\r\n[General]\r\natc_type=KZQ\r\natc_model=A320\r\n";
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")), expected);
    // The package's own a.bmp wins; the shared b.bmp joins it; no subfolder, no other type.
    EXPECT_EQ(names(fsxProduct("texture.Blue")),
              (std::set<std::string>{"a.bmp", "b.bmp", "thumbnail.jpg"}));
    EXPECT_EQ(test::readFile(fsxProduct("texture.Blue/a.bmp")), "Blue own a");
    EXPECT_EQ(test::readFile(fsxProduct("texture.Blue/b.bmp")), "shared b");
    // The selection and the current package are untouched.
    EXPECT_EQ(list.current().name, "Blue");
}

TEST_F(InstallationTest, Fs9GetsNoBaseTexturesAndTheSameEntry)
{
    addPackage("Blue", "Blue");
    select("Blue");
    EXPECT_EQ(installPackages(list, false, fs9, feedback), Outcome::Completed);
    EXPECT_EQ(names(fs9Product("texture.Blue")), (std::set<std::string>{"a.bmp", "thumbnail.jpg"}));
    EXPECT_EQ(test::readFile(fs9Product("aircraft.cfg")),
              insertEntry(kConfig, entryText(2, "Blue")));
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")), kConfig); // the other simulator
}

TEST_F(InstallationTest, ExistingTextureFolderGetsASecondEntryAndOnlyMissingFiles)
{
    addPackage("Blue", "Blue");
    test::writeFile(fsxProduct("texture.Blue/a.bmp"), "installed earlier");
    select("Blue");
    EXPECT_EQ(installPackages(list, false, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(installPackages(list, false, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(test::readFile(fsxProduct("texture.Blue/a.bmp")), "installed earlier");
    EXPECT_EQ(test::readFile(fsxProduct("texture.Blue/thumbnail.jpg")), "jpeg");
    const std::string text = test::readFile(fsxProduct("aircraft.cfg"));
    EXPECT_EQ(listLiveryNames(text), (std::vector<std::string>{"House", "Grey", "Blue", "Blue"}));
    EXPECT_NE(text.find(entryText(2, "Blue") + "\r\n\r\n" + entryText(3, "Blue") + "\r\n[General]"),
              std::string::npos);
}

TEST_F(InstallationTest, AllPackagesOfOneProductGetConsecutiveNumbersInListOrder)
{
    addPackage("One", "Blue");
    addPackage("Two", "Red");
    list.fill();
    EXPECT_EQ(installPackages(list, true, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Installation completed"});
    const auto variationOf = [](const std::string& name) { return name == "One" ? "Blue" : "Red"; };
    const std::string first = variationOf(list.items()[0]);
    const std::string second = variationOf(list.items()[1]);
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")),
              insertEntry(insertEntry(kConfig, entryText(2, first)), entryText(3, second)));
    EXPECT_TRUE(fs::exists(fsxProduct("texture.Blue/b.bmp")));
    EXPECT_TRUE(fs::exists(fsxProduct("texture.Red/b.bmp")));
    EXPECT_EQ(list.selectedIndex(), -1); // the run leaves the list as it was
    EXPECT_EQ(list.current().name, "");
}

TEST_F(InstallationTest, RunOverThreeStopsAtTheSecondWhoseProductIsMissing)
{
    for (const char* name : {"P1", "P2", "P3"})
        test::makeFolders(pkg(name));
    list.fill();
    ASSERT_EQ(list.items().size(), 3u);
    const std::vector<std::string> order = list.items();
    addPackage(order[0], "First");
    addPackage(order[1], "Second", "B-737");
    addPackage(order[2], "Third");

    EXPECT_EQ(installPackages(list, true, fsx, feedback), Outcome::Refused);
    EXPECT_EQ(feedback.messages,
              std::vector<std::string>{"Cannot find aircraft.cfg file, please recheck pathes"});
    EXPECT_EQ(feedback.hidden, 1);
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")),
              insertEntry(kConfig, entryText(2, "First")));
    EXPECT_TRUE(fs::exists(fsxProduct("texture.First/a.bmp")));
    EXPECT_FALSE(fs::exists(fsxProduct("texture.Third")));
    EXPECT_FALSE(fs::exists(dir / "FSX/SimObjects/Airplanes/KZQ_B_737"));
}

TEST_F(InstallationTest, RefusalsInTheirOrderChangeNothing)
{
    addPackage("Blue", "Blue");
    list.fill();

    // No simulator, every package complete: "Please select FS" once, no completion.
    EXPECT_EQ(installPackages(list, true, Simulator{SimKind::None, dir / "FSX"}, feedback),
              Outcome::Refused);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Please select FS"});

    // Nothing selected: the information file check comes first, even without a simulator.
    feedback.messages.clear();
    EXPECT_EQ(installPackages(list, false, Simulator{}, feedback), Outcome::Refused);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Please choose correct livery"});
    EXPECT_EQ(feedback.hidden, 1);

    // A listed package without its information file ends a run over all packages.
    test::makeFolders(pkg("Empty/texture.X"));
    LocalPackageList withEmpty{dir / "start", [](const std::string&) {}};
    withEmpty.fill();
    feedback.messages.clear();
    EXPECT_EQ(installPackages(withEmpty, true, fsx, feedback), Outcome::Refused);
    EXPECT_EQ(feedback.messages.back(), "Please choose correct livery");
    EXPECT_EQ(
        std::count(feedback.messages.begin(), feedback.messages.end(), "Installation completed"),
        0);

    // An empty list with all ticked: completed at once.
    LocalPackageList empty{dir / "nowhere", [](const std::string&) {}};
    empty.fill();
    feedback.messages.clear();
    EXPECT_EQ(installPackages(empty, true, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Installation completed"});

    // The FSX file changed only by the packages installed before "Empty" in list order.
    const auto blue = std::find(withEmpty.items().begin(), withEmpty.items().end(), "Blue");
    const auto bare = std::find(withEmpty.items().begin(), withEmpty.items().end(), "Empty");
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")),
              blue < bare ? insertEntry(kConfig, entryText(2, "Blue")) : kConfig);
}

TEST_F(InstallationTest, HostileNamesAreRefusedAndNothingChanges)
{
    const std::string before = test::readFile(fsxProduct("aircraft.cfg"));
    test::writeFile(dir / "FSX/SimObjects/aircraft.cfg", kConfig); // a target for "../"
    test::writeFile(dir / "FSX/aircraft.cfg", kConfig);
    const std::string hostile[] = {"../..",    "A320/../..", "..",    "../../KZQ_A320",
                                   "C:\\evil", "x\\..\\..",  "A320.", "A320 "};
    for (const std::string& value : hostile) {
        SCOPED_TRACE(value);
        test::TempDir src;
        test::writeFile(src / "installerinfo.txt", infoText("Blue", value));
        test::writeFile(src / "texture.Blue/a.bmp", "x");
        RecordingFeedback fb;
        EXPECT_EQ(installOnePackage(preparePackage(src.path()), fsx, fb), Outcome::Refused);
        ASSERT_EQ(fb.messages.size(), 1u);
        EXPECT_NE(fb.messages[0].find("productfolder"), std::string::npos);
    }
    // A texture folder name that Windows would turn into the shared "texture" folder, or one
    // holding a separator, is refused the same way. (Windows itself makes no such folders: it
    // drops the trailing dot and takes the backslashes as separators.)
#ifndef _WIN32
    for (const std::string& texture : {std::string("texture."), std::string("tex\\..\\..")}) {
        SCOPED_TRACE(texture);
        test::TempDir src;
        test::writeFile(src / "installerinfo.txt", infoText("Blue", "A320"));
        test::writeFile(src / (texture + "/a.bmp"), "x");
        RecordingFeedback fb;
        EXPECT_EQ(installOnePackage(preparePackage(src.path()), fsx, fb), Outcome::Refused);
        ASSERT_EQ(fb.messages.size(), 1u);
        EXPECT_NE(fb.messages[0].find("texture folder"), std::string::npos);
    }
#endif
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")), before);
    EXPECT_EQ(test::readFile(dir / "FSX/SimObjects/aircraft.cfg"), kConfig);
    EXPECT_EQ(test::readFile(dir / "FSX/aircraft.cfg"), kConfig);
    EXPECT_EQ(names(fsxProduct()), (std::set<std::string>{"aircraft.cfg", "texbase"}));
}

TEST_F(InstallationTest, PackageWithoutTextureFolderAddsOnlyTheEntry)
{
    test::writeFile(pkg("Bare/installerinfo.txt"), infoText("Bare", "A320"));
    select("Bare");
    EXPECT_EQ(installPackages(list, false, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")),
              insertEntry(kConfig, entryText(2, "Bare")));
    EXPECT_EQ(names(fsxProduct()), (std::set<std::string>{"aircraft.cfg", "texbase"}));
    EXPECT_EQ(names(dir / "FSX/SimObjects/Airplanes"), std::set<std::string>{"KZQ_A320"});
}

TEST_F(InstallationTest, LookUpsIgnoreLetterCase)
{
    // An aircraft folder made on Windows: other capitals everywhere.
    const std::string product = dir / "FSX/simobjects/AIRPLANES/kzq_a320";
    fs::remove_all(dir / "FSX");
    test::writeFile(product + "/Aircraft.cfg", kConfig);
    test::writeFile(product + "/Texbase/B.BMP", "shared b");
    test::writeFile(product + "/TEXTURE.Blue/A.bmp", "installed earlier");
    addPackage("Blue", "Blue");
    select("Blue");
    EXPECT_EQ(installPackages(list, false, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(feedback.messages, std::vector<std::string>{"Installation completed"});
    EXPECT_EQ(names(product), (std::set<std::string>{"Aircraft.cfg", "Texbase", "TEXTURE.Blue"}));
    EXPECT_EQ(test::readFile(product + "/Aircraft.cfg"),
              insertEntry(kConfig, entryText(2, "Blue")));
    EXPECT_EQ(names(product + "/TEXTURE.Blue"),
              (std::set<std::string>{"A.bmp", "B.BMP", "thumbnail.jpg"}));
    EXPECT_EQ(test::readFile(product + "/TEXTURE.Blue/A.bmp"), "installed earlier");
}

TEST_F(InstallationTest, SelectedPackageWhoseShowingFailedIsInstalledWithItsOwnValues)
{
    addPackage("Good", "Good");
    addPackage("Other", "Other", "A-320");
    test::writeFile(dir / "FSX/SimObjects/Airplanes/KZQ_A_320/aircraft.cfg", "[General]\r\n");
    int calls = 0;
    LocalPackageList failing{dir / "start", [&calls](const std::string&) {
                                 if (++calls > 1)
                                     throw std::runtime_error("picture");
                             }};
    failing.fill();
    const auto indexOf = [&](const std::string& name) {
        return static_cast<int>(std::find(failing.items().begin(), failing.items().end(), name) -
                                failing.items().begin());
    };
    failing.choose(indexOf("Good"));
    EXPECT_THROW(failing.choose(indexOf("Other")), std::runtime_error);
    ASSERT_EQ(failing.current().name, "Good");

    EXPECT_EQ(installPackages(failing, false, fsx, feedback), Outcome::Completed);
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")), kConfig);
    EXPECT_TRUE(fs::exists(dir / "FSX/SimObjects/Airplanes/KZQ_A_320/texture.Other/a.bmp"));
    EXPECT_FALSE(fs::exists(fsxProduct("texture.Good")));
}

TEST_F(InstallationTest, ReadOnlyConfigFileEndsTheRunBeforeAnythingIsCopied)
{
    addPackage("Blue", "Blue");
    select("Blue");
    fs::permissions(fsxProduct("aircraft.cfg"), fs::perms::owner_read | fs::perms::group_read);

    try {
        installPackages(list, false, fsx, feedback);
        ADD_FAILURE() << "a read-only aircraft.cfg was replaced";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "File access denied");
    }
    EXPECT_EQ(test::readFile(fsxProduct("aircraft.cfg")), kConfig);
    EXPECT_FALSE(fs::exists(fsxProduct("texture.Blue")));
    EXPECT_TRUE(feedback.messages.empty());
}

} // namespace
} // namespace hx
