// TForm1 on the offscreen platform, on real folders: start-up with and without a simulator in a
// Wine prefix's registry, a broken package, the layout, navigation, the handlers against a
// sandbox and a loopback catalogue, closing, and the titles during a download.

#include "aircraftcfg/FltsimEntries.h"
#include "aircraftcfg/Installation.h"
#include "app/skin/Artwork.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/PictureBox.h"
#include "app/skin/Skin.h"
#include "app/skin/SkinnedControls.h"
#include "app/window/Dialogs.h"
#include "app/window/Form1.h"
#include "controls/MarqueeBar.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <set>

using hx::app::TForm1;
using namespace hx::test;

namespace {

using Button = hx::app::BitmapButton;
using Combo = hx::app::SkinnedComboBox;
using Picture = hx::app::PictureBox;

struct Box {
    QMessageBox::Icon icon;
    std::string caption;
    std::string text;
    std::string detail;
};

// Records every box and web page instead of showing them; the folder picker answers as the
// test says.
class RecordingDialogs : public hx::app::Dialogs {
public:
    void messageBox(QWidget*, QMessageBox::Icon icon, const QString& caption, const QString& text,
                    const QString& detail) override
    {
        if (onBox)
            onBox();
        boxes.push_back({icon, caption.toStdString(), text.toStdString(), detail.toStdString()});
    }
    void openUrl(const QUrl& url) override { urls.push_back(url.toString().toStdString()); }
    bool askYesNo(QWidget*, const QString&, const QString& text) override
    {
        questions.push_back(text.toStdString());
        return answer;
    }
    bool pickFolder(QWidget*, const QString& title, QString& folder) override
    {
        return picker && picker(title, folder);
    }

    std::vector<Box> boxes;
    std::vector<std::string> urls;
    std::vector<std::string> questions;
    bool answer = true; // to every question
    std::function<bool(const QString& title, QString& folder)> picker;
    std::function<void()> onBox; // runs as a box appears, to look at the window behind it
};

// A control of the window, found by its name in the layout.
template <typename W = QWidget> W* child(const QWidget& form, const char* name)
{
    W* found = form.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A start-up folder and a Wine prefix of its own; the process works in the folder as the tool
// does, and every box is recorded instead of shown.
class Form1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(start.path());
        writeFile(prefix / "system.reg", "WINE REGISTRY Version 2\n\n");
    }
    void TearDown() override { std::filesystem::current_path(oldCwd_); }
    void registry(const std::string& body)
    {
        writeFile(prefix / "system.reg", "WINE REGISTRY Version 2\n\n" + body);
    }
    // An FSX installation in the prefix's drive C with one of the maker's aircraft.
    std::string installFsx()
    {
        registry("[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1\n"
                 "\"SetupPath\"=\"C:\\\\FSX\"\n");
        const std::string root = prefix / "drive_c/FSX";
        writeFile(root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg",
                  "[fltsim.0]\r\ntitle=A320 House\r\ntexture=House\r\nui_variation=House\r\n"
                  "description=x\r\n\r\n[General]\r\natc_type=AIRBUS\r\n");
        makeFolders(root + "/SimObjects/Airplanes/KZQ_A320/texture.House");
        return root;
    }
    void package(const std::string& name, bool withInfo = true)
    {
        const std::string folder = start / ("downloads/" + name);
        if (withInfo)
            writeFile(folder + "/installerinfo.txt", "[fltsim.XX]\r\ntitle=A320 " + name +
                                                         "\r\ntexture=" + name +
                                                         "\r\nui_variation=" + name +
                                                         "\r\ndescription=d\r\n\r\n"
                                                         "productfolder=A320\r\n");
        writeFile(folder + "/texture." + name + "/a.bmp", "bitmap");
    }
    std::unique_ptr<TForm1> startForm()
    {
        auto form = std::make_unique<TForm1>(dialogs);
        form->setRegistryOpener([p = prefix.path()] { return hx::platform::openWineRegistry(p); });
        form->FormCreate();
        return form;
    }
    // A real archive with one package of the installed A320.
    static std::string greenArchive(int moreFiles = 0)
    {
        hx::test::ZipMaker zip;
        zip.folder("Green/")
            .file("Green/installerinfo.txt",
                  "[fltsim.XX]\r\ntitle=A320 Green\r\ntexture=Green\r\nui_variation=Green\r\n"
                  "description=d\r\n\r\nproductfolder=A320\r\n")
            .folder("Green/texture.Green/")
            .file("Green/texture.Green/t.bmp", std::string(300000, 'g'));
        for (int i = 0; i < moreFiles; ++i)
            zip.file("Green/texture.Green/t" + std::to_string(i) + ".bmp", "bitmap");
        return zip.bytes();
    }
    // A catalogue of one product with one livery, whose archive is `archive` as it reads when
    // it is asked for.
    static void serveCatalogue(LoopbackServer& server, const std::string& archive)
    {
        server.server().Get("/hangarix/prod.txt",
                            [](const httplib::Request&, httplib::Response& res) {
                                res.set_content("A320&&a.txt;;\r\n", "text/plain");
                            });
        server.server().Get(
            "/hangarix/a.txt", [&server](const httplib::Request&, httplib::Response& res) {
                res.set_content("Green&&" + server.url("/green.zip") + ";;!!\r\n", "text/plain");
            });
        server.server().Get("/green.zip",
                            [&archive](const httplib::Request&, httplib::Response& res) {
                                res.set_content(archive, "application/zip");
                            });
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> t;
        for (const Box& b : boxes)
            t.push_back(b.text);
        return t;
    }

    TempDir start;
    TempDir prefix;
    RecordingDialogs dialogs;
    std::vector<Box>& boxes = dialogs.boxes;
    std::vector<std::string>& urls = dialogs.urls;

private:
    std::filesystem::path oldCwd_;
};

bool shown(QWidget* w, TForm1& form)
{
    return w->isVisibleTo(&form);
}

TEST_F(Form1Test, StartsWithoutSimulatorOnAFreshFolder)
{
    auto form = startForm();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(hx::app::applicationTitle().toStdString(), "KZQ HX");
    EXPECT_EQ(form->caption().toStdString(), "Hangarix");
    EXPECT_EQ(child<Combo>(*form, "cb2")->currentText().toStdString(), "None");
    EXPECT_TRUE(child<QLineEdit>(*form, "e1")->text().isEmpty());
    EXPECT_EQ(form->startupFolder(), std::filesystem::current_path().string());
    for (const char* folder : {"downloads", "tempzip", "templiv", "images"})
        EXPECT_TRUE(std::filesystem::is_directory(start / folder)) << folder;
    // The fallback picture ships inside the program and lands beside the working folders.
    QImage fallback(QString::fromStdString(start / "thumbnail.jpg"), "JPG");
    EXPECT_EQ(fallback.size(), QSize(256, 128));
    EXPECT_EQ(child<Combo>(*form, "cb1")->count(), 0);
    EXPECT_EQ(child<QPlainTextEdit>(*form, "m1")->toPlainText().toStdString(), "Information:");
    EXPECT_TRUE(child<Picture>(*form, "i2")->picture().isNull());
    EXPECT_TRUE(shown(child(*form, "p4"), *form));
    EXPECT_FALSE(shown(child(*form, "p1"), *form));
    EXPECT_FALSE(shown(child(*form, "p2"), *form));
    EXPECT_FALSE(shown(child(*form, "p3"), *form));
    EXPECT_EQ(child<Combo>(*form, "cb1")->textColor(), hx::app::darkColor());
}

TEST_F(Form1Test, StartsOnTheRegistrysSimulatorAndShowsTheFirstPackage)
{
    const std::string root = installFsx();
    package("Blue");
    auto form = startForm();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(child<Combo>(*form, "cb2")->currentIndex(), 2);
    EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), root);
    ASSERT_EQ(child<Combo>(*form, "cb1")->count(), 1);
    EXPECT_EQ(child<Combo>(*form, "cb1")->currentText().toStdString(), "Blue");
    EXPECT_EQ(child<QPlainTextEdit>(*form, "m1")->toPlainText().toStdString(),
              "Information:\nA320 Blue\nBlue");
    // No picture of its own: the fallback, drawn at its size.
    EXPECT_EQ(child<Picture>(*form, "i2")->picture().size(), QSize(256, 128));
}

TEST_F(Form1Test, ABrokenPackageEndsTheStartUpInTheErrorBoxWithTheSimulatorKept)
{
    const std::string root = installFsx();
    package("Broken", false);
    auto form = startForm();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].caption, "KZQ HX");
    EXPECT_EQ(boxes[0].text, "File not found.");
    EXPECT_EQ(child<Combo>(*form, "cb2")->currentIndex(), 2);
    EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), root);
    EXPECT_EQ(child<Combo>(*form, "cb1")->currentText().toStdString(), "Broken");
    EXPECT_EQ(child<QPlainTextEdit>(*form, "m1")->toPlainText().toStdString(), "Information:");
    form->show();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Form1Test, ARegistryValueOfTheWrongTypeEndsTheStartUpBeforeThePackages)
{
    registry("[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1\n"
             "\"exe path\"=dword:00000001\n");
    package("Blue");
    auto form = startForm();
    // The message ends in a quote, which sorts below ".": no full stop is added.
    EXPECT_EQ(texts(), std::vector<std::string>{"Invalid data type for 'exe path'"});
    EXPECT_EQ(child<Combo>(*form, "cb2")->currentIndex(), 0);
    EXPECT_EQ(child<Combo>(*form, "cb1")->count(), 0);
}

TEST_F(Form1Test, ControlsHaveTheirNamesPlacesAndStacking)
{
    TForm1 form(dialogs);
    EXPECT_EQ(form.size(), QSize(700, 500));
    EXPECT_EQ(form.pos(), QPoint(192, 114));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    const struct {
        const char* name;
        QRect geometry;
    } table[] = {
        {"Image3", {0, 0, 699, 121}},      {"Image1", {62, 99, 239, 18}},
        {"BitBtn5", {638, 1, 27, 26}},     {"BitBtn4", {672, 1, 27, 26}},
        {"BitBtn10", {176, 122, 161, 18}}, {"BitBtn11", {344, 122, 161, 18}},
        {"BitBtn12", {512, 122, 161, 18}}, {"p4", {29, 145, 639, 332}},
        {"p1", {29, 145, 639, 332}},       {"p2", {29, 145, 639, 332}},
        {"p5", {33, 338, 552, 57}},        {"p3", {46, 192, 579, 185}},
        {"cb1", {144, 36, 145, 25}},       {"sl1", {7, 66, 169, 25}},
        {"m1", {8, 96, 345, 97}},          {"i2", {382, 0, 256, 128}},
        {"BitBtn3", {456, 264, 145, 50}},  {"cb3", {64, 64, 257, 25}},
        {"cb4", {64, 160, 257, 25}},       {"BitBtn6", {456, 264, 145, 50}},
        {"cb5", {32, 56, 273, 25}},        {"cb6", {32, 146, 273, 25}},
        {"i3", {381, 1, 256, 128}},        {"BitBtn8", {456, 264, 145, 50}},
        {"cb2", {112, 3, 145, 25}},        {"e1", {112, 29, 400, 25}},
        {"BitBtn1", {516, 25, 30, 29}},    {"Label8", {76, 6, 435, 40}},
        {"Label10", {80, 52, 409, 16}},    {"mb1", {0, 72, 576, 49}},
        {"ProgressBar", {1, 71, 577, 50}}, {"AbMeter1", {0, 72, 577, 49}},
        {"cb1Filter", {144, 8, 145, 22}},  {"cb6Filter", {32, 118, 273, 22}},
        {"cb4Filter", {64, 132, 257, 22}}, {"LiveryPicture", {382, 0, 256, 128}},
    };
    for (const auto& row : table) {
        auto* w = form.findChild<QWidget*>(row.name);
        ASSERT_NE(w, nullptr) << row.name;
        EXPECT_EQ(w->geometry(), row.geometry) << row.name;
    }
    // Within each work panel no two controls overlap, and none lies under the simulator panel.
    QWidget* p5 = child(form, "p5");
    for (const char* name : {"p4", "p2", "p1"}) {
        QWidget* panel = child(form, name);
        const QRect simulator(panel->mapFrom(&form, p5->pos()), p5->size());
        const auto controls = panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const std::string at = name + (" " + controls[i]->objectName().toStdString());
            EXPECT_FALSE(controls[i]->geometry().intersects(simulator)) << at;
            for (qsizetype j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << at << " " << controls[j]->objectName().toStdString();
        }
    }
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "Label9", "Label11",
          "Label12", "Label13", "Label14", "Label15", "Label16", "Label17"})
        EXPECT_NE(form.findChild<QLabel*>(name), nullptr) << name;
    EXPECT_EQ(child<QLabel>(form, "Label1")->pos(), QPoint(8, 38));
    EXPECT_EQ(child<QLabel>(form, "Label17")->pos(), QPoint(344, 152));
    EXPECT_EQ(child<QLabel>(form, "Label10")->text().toStdString(),
              "This bar does not always reflect the real progress, please be patient");
    // Bottom to top: p1, p2, p4, the corner and tab buttons, p5, p3.
    const QObjectList& order = form.children();
    const auto at = [&](QObject* o) { return order.indexOf(o); };
    EXPECT_LT(at(child(form, "p1")), at(child(form, "p2")));
    EXPECT_LT(at(child(form, "p2")), at(child(form, "p4")));
    EXPECT_LT(at(child(form, "p4")), at(child<Button>(form, "BitBtn10")));
    EXPECT_LT(at(child<Button>(form, "BitBtn12")), at(child(form, "p5")));
    EXPECT_LT(at(child(form, "p5")), at(child(form, "p3")));
    EXPECT_FALSE(child<QProgressBar>(form, "ProgressBar")->isVisibleTo(&form));
    EXPECT_FALSE(child<hx::app::Meter>(form, "AbMeter1")->isVisibleTo(&form));
    EXPECT_EQ(child<Combo>(form, "cb2")->count(), 3);
    EXPECT_FALSE(child<Combo>(form, "cb2")->isEditable());
    // Three faces of the large buttons, one of the tabs.
    EXPECT_EQ(child<Button>(form, "BitBtn3")->glyph().size(), QSize(438, 51));
    EXPECT_EQ(child<Button>(form, "BitBtn3")->faceCount(), 3);
    EXPECT_EQ(child<Button>(form, "BitBtn4")->glyph().size(), QSize(84, 27));
    EXPECT_EQ(child<Button>(form, "BitBtn1")->glyph().size(), QSize(93, 30));
    EXPECT_EQ(child<Button>(form, "BitBtn10")->glyph().size(), QSize(165, 21));
    child<Button>(form, "BitBtn3")->setEnabled(false);
    EXPECT_EQ(child<Button>(form, "BitBtn3")->currentFace(), 1);
    child<Button>(form, "BitBtn3")->setEnabled(true);
    child<Button>(form, "BitBtn3")->setDown(true);
    EXPECT_EQ(child<Button>(form, "BitBtn3")->currentFace(), 2);
}

TEST_F(Form1Test, NavigatesBetweenThePanelsAsTheTabsSay)
{
    installFsx();
    auto form = startForm();
    // "None": the removal tab refuses and nothing moves.
    child<Combo>(*form, "cb2")->setCurrentIndex(0);
    form->BitBtn12Click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Please select FS"});
    EXPECT_TRUE(shown(child(*form, "p4"), *form));
    EXPECT_FALSE(shown(child(*form, "p1"), *form));

    child<Combo>(*form, "cb2")->setCurrentIndex(2);
    form->BitBtn12Click();
    EXPECT_FALSE(shown(child(*form, "p4"), *form));
    EXPECT_TRUE(shown(child(*form, "p1"), *form));
    ASSERT_EQ(child<Combo>(*form, "cb3")->count(), 1);
    EXPECT_EQ(child<Combo>(*form, "cb3")->itemText(0).toStdString(), "KZQ_A320");
    EXPECT_EQ(child<Combo>(*form, "cb3")->currentIndex(), -1);

    // The progress panel stays above whatever tab is chosen.
    child(*form, "p3")->show();
    form->BitBtn10Click();
    EXPECT_TRUE(shown(child(*form, "p4"), *form));
    EXPECT_FALSE(shown(child(*form, "p1"), *form));
    EXPECT_TRUE(shown(child(*form, "p3"), *form));
    EXPECT_TRUE(shown(child(*form, "p5"), *form));
}

TEST_F(Form1Test, InstallsAndRemovesThroughTheHandlers)
{
    const std::string root = installFsx();
    package("Blue");
    auto form = startForm();
    form->BitBtn3Click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Installation completed"});
    const std::string cfg = root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg";
    EXPECT_NE(readFile(cfg).find("[fltsim.1]\r\ntitle=A320 Blue"), std::string::npos);
    EXPECT_TRUE(exists(root + "/SimObjects/Airplanes/KZQ_A320/texture.Blue/a.bmp"));

    form->BitBtn12Click();
    child<Combo>(*form, "cb3")->setCurrentIndex(0);
    emit child<Combo>(*form, "cb3")->activated(0);
    ASSERT_EQ(child<Combo>(*form, "cb4")->count(), 2);
    EXPECT_EQ(child<Combo>(*form, "cb4")->itemText(1).toStdString(), "Blue");
    child<Combo>(*form, "cb4")->setCurrentIndex(1);
    int liveriesAtTheBox = -1; // the list is refilled before the message box appears
    dialogs.onBox = [&] { liveriesAtTheBox = child<Combo>(*form, "cb4")->count(); };
    form->BitBtn6Click();
    EXPECT_EQ(liveriesAtTheBox, 1);
    EXPECT_EQ(texts().back(), "Removed succesfully");
    EXPECT_EQ(readFile(cfg).find("Blue"), std::string::npos);
    EXPECT_FALSE(exists(root + "/SimObjects/Airplanes/KZQ_A320/texture.Blue"));
    EXPECT_EQ(child<Combo>(*form, "cb4")->count(), 1);
}

// A package installed already is marked in the list; installing it again asks first, and
// "Select all liveries" leaves it alone and says so.
TEST_F(Form1Test, APackageInstalledAlreadyIsMarkedAskedAboutAndSkippedBySelectAll)
{
    const std::string cfg = installFsx() + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg";
    for (const char* name : {"Blue", "Red"})
        package(name);
    auto form = startForm();
    Combo* cb1 = child<Combo>(*form, "cb1");
    const auto markOf = [&](const std::string& name) {
        const int row = cb1->findText(QString::fromStdString(name));
        return cb1->itemData(row, Combo::kMarkRole).toString().toStdString();
    };
    EXPECT_EQ(markOf("Blue"), "");
    cb1->setCurrentIndex(cb1->findText("Blue"));
    emit cb1->activated(cb1->currentIndex());
    form->BitBtn3Click();
    EXPECT_EQ(markOf("Blue"), "Installed as [fltsim.1]");
    EXPECT_EQ(markOf("Red"), "");
    EXPECT_EQ(cb1->currentText().toStdString(), "Blue");

    const std::string once = readFile(cfg);
    const std::string question = "Blue is already installed (as [fltsim.1]). Install another copy?";
    struct Row {
        bool answer;
        std::vector<std::string> texts; // the boxes after the question
        bool again;                     // a second entry of Blue
    };
    const Row rows[] = {{false, {}, false}, {true, {"Installation completed"}, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        boxes.clear();
        dialogs.questions.clear();
        dialogs.answer = row.answer;
        form->BitBtn3Click();
        EXPECT_EQ(dialogs.questions, std::vector<std::string>{question});
        // A second copy also says that the texture files already there were kept.
        EXPECT_EQ(texts().size(), row.texts.size() * 2);
        if (row.answer) {
            EXPECT_EQ(texts().front(), row.texts.front());
        }
        EXPECT_EQ(readFile(cfg).find("[fltsim.2]") != std::string::npos, row.again);
    }
    // Select all: Red is installed, Blue (twice in the file) is not asked about.
    boxes.clear();
    dialogs.questions.clear();
    child<QCheckBox>(*form, "sl1")->setChecked(true);
    form->BitBtn3Click();
    EXPECT_TRUE(dialogs.questions.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Installation completed");
    EXPECT_EQ(boxes[0].detail, "1 package was already installed and skipped: Blue.");
    EXPECT_EQ(markOf("Red"), "Installed as [fltsim.3]");
    EXPECT_NE(once, readFile(cfg));
}

// An aircraft.cfg of one entry per livery, numbered in file order; texture=<the livery's name>.
std::string entries(const std::vector<std::string>& liveries)
{
    std::string text;
    for (std::size_t i = 0; i < liveries.size(); ++i)
        text += "[fltsim." + std::to_string(i) + "]\r\ntitle=A320 " + liveries[i] +
                "\r\ntexture=" + liveries[i] + "\r\nui_variation=" + liveries[i] +
                "\r\ndescription=x\r\n\r\n";
    return text + "[General]\r\natc_type=AIRBUS\r\n";
}

// Acting on the Nth item that a filter leaves on show acts on that entry and no other, though
// the filter hides items before it: the package installed, the archive chosen, the livery removed.
TEST_F(Form1Test, AFilteredListActsOnTheItemOnShow)
{
    const std::string cfg = installFsx() + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg";
    const std::vector<std::string> installed = {"House", "Red A", "Blue B", "Red C", "Red D"};
    writeFile(cfg, entries(installed));
    for (const char* name : {"RedOne", "BlueOne", "RedTwo", "BlueTwo", "RedThree", "BlueThree"})
        package(name);
    const std::vector<std::string> offered = {"Red A", "Blue B", "Red C", "Blue D", "Blue E"};
    LoopbackServer server;
    const auto archive = [&](const std::string& name) {
        return server.url("/" + name.substr(name.size() - 1));
    };
    server.server().Get("/hangarix/prod.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("A320&&a.txt;;\r\n", "text/plain");
    });
    server.server().Get("/hangarix/a.txt", [&](const httplib::Request&, httplib::Response& res) {
        std::string list;
        for (const std::string& name : offered)
            list += name + "&&" + archive(name) + ";;!!\r\n";
        res.set_content(list, "text/plain");
    });
    server.start();
    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    // The folder lists the packages in an order of its own: the filter hides the first of them.
    const std::vector<std::string> packages = form->localPackages()->items();
    const std::string hidingTheFirst = packages.at(0).rfind("Red", 0) == 0 ? "BLUE" : "red";
    const auto those = [](const std::vector<std::string>& all, auto test) {
        std::vector<std::string> picked;
        std::copy_if(all.begin(), all.end(), std::back_inserter(picked), test);
        return picked;
    };
    const struct {
        const char* list;
        std::function<void()> open, act;
        std::string filter;
        int nth;
        std::vector<std::string> entries; // the logic's list, in its order
        std::function<bool(const std::string&)> actedOn;
    } table[] = {
        {"cb4",
         [&] {
             form->BitBtn12Click();
             form->cb3Change(0);
         },
         [&] { form->BitBtn6Click(); }, "RED", 1, installed,
         [&](const std::string& name) {
             return readFile(cfg).find("=" + name + "\r") == std::string::npos;
         }},
        {"cb6", [&] { form->BitBtn11Click(); }, [] {}, "blue", 2, offered,
         [&](const std::string& name) {
             return form->catalogue()->selectedArchiveUrl() == archive(name);
         }},
        {"cb1", [&] { form->BitBtn10Click(); }, [&] { form->BitBtn3Click(); }, hidingTheFirst, 1,
         packages,
         [&](const std::string& name) {
             return readFile(cfg).find(" " + name + "\r") != std::string::npos;
         }},
    };
    for (const auto& row : table) {
        row.open();
        QTest::keyClicks(child<QLineEdit>(*form, (std::string(row.list) + "Filter").c_str()),
                         QString::fromStdString(row.filter));
        const std::vector<std::string> onShow = those(row.entries, [&](const std::string& e) {
            return QString::fromStdString(e).contains(QString::fromStdString(row.filter),
                                                      Qt::CaseInsensitive);
        });
        auto* box = child<Combo>(*form, row.list);
        ASSERT_EQ(box->count(), int(onShow.size())) << row.list;
        const std::string target = onShow.at(row.nth);
        ASSERT_NE(target, row.entries.at(row.nth)) << row.list << ": no earlier item is hidden";
        box->setCurrentIndex(row.nth);
        emit box->activated(row.nth);
        row.act();
        EXPECT_EQ(those(row.entries, row.actedOn), std::vector<std::string>{target}) << row.list;
    }
    EXPECT_EQ(texts(), (std::vector<std::string>{"Removed succesfully", "Installation completed"}));
}

// The removal tab shows the chosen livery's thumbnail.jpg from its texture folder, found
// whatever the letter case of the names, else the fallback picture (256 x 128).
TEST_F(Form1Test, TheRemovalTabShowsTheLiverysOwnPictureElseTheFallback)
{
    const std::string aircraft = installFsx() + "/SimObjects/Airplanes/KZQ_A320";
    const struct {
        std::string texture, file; // a file in the aircraft's folder
        QSize own;                 // the size of the livery's own picture; none: the fallback
    } table[] = {
        {"Own", "texture.Own/thumbnail.jpg", {40, 20}},
        {"Mixed", "TEXTURE.mixed/Thumbnail.JPG", {60, 30}},
        {"Bare", "texture.Bare/Bare_t.jpg", {}}, // a picture, but not the thumbnail
        {"Gone", "", {}},                        // no folder at all
    };
    std::vector<std::string> liveries;
    for (const auto& row : table) {
        liveries.push_back(row.texture);
        if (row.file.empty())
            continue;
        makeFolders(aircraft + "/" + row.file.substr(0, row.file.find('/')));
        QImage picture(row.own.isEmpty() ? QSize(30, 30) : row.own, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(QString::fromStdString(aircraft + "/" + row.file), "JPG"));
    }
    writeFile(aircraft + "/aircraft.cfg", entries(liveries));
    auto form = startForm();
    const QImage fallback = hx::app::loadPictureFile(start / "thumbnail.jpg");
    form->BitBtn12Click();
    emit child<Combo>(*form, "cb3")->activated(0);
    auto* cb4 = child<Combo>(*form, "cb4");
    for (int i = 0; i < int(std::size(table)); ++i) {
        cb4->setCurrentIndex(i);
        emit cb4->activated(i);
        const QImage shown = child<Picture>(*form, "LiveryPicture")->picture();
        if (table[i].own.isEmpty())
            EXPECT_EQ(shown, fallback) << table[i].texture;
        else
            EXPECT_EQ(shown.size(), table[i].own) << table[i].texture;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Form1Test, ChangingTheSimulatorFollowsTheRegistryOrKeepsThePath)
{
    const std::string root = installFsx();
    auto form = startForm();
    child<Combo>(*form, "cb2")->setCurrentIndex(1);
    emit child<Combo>(*form, "cb2")->activated(1); // FS9 is not installed: the path stays
    EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), root);
    EXPECT_EQ(form->currentSimulator().kind, hx::SimKind::FS9);

    // Browse starts at the path box's folder when it exists, else at the root.
    QString started;
    dialogs.picker = [&](const QString& title, QString& folder) {
        EXPECT_EQ(title.toStdString(), "Select FS folder");
        started = folder;
        folder = "/chosen";
        return true;
    };
    form->BitBtn1Click();
    EXPECT_EQ(started.toStdString(), root);
    EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), "/chosen");
    form->BitBtn1Click();
    // A path box naming no folder starts the picker at the system drive's root.
#ifdef _WIN32
    EXPECT_EQ(started.toStdString(), "c:\\");
#else
    EXPECT_EQ(started.toStdString(), "/");
#endif
    EXPECT_EQ(child<Combo>(*form, "cb2")->currentIndex(), 1);
}

// The list keeps None, FS9 and FSX at their places and offers each other simulator found after
// them; a folder picked by hand that holds no aircraft is taken, with a warning.
TEST_F(Form1Test, OffersPrepar3DAfterFsxAndWarnsOfAFolderWithoutAircraft)
{
    const std::string p3d = prefix / "drive_c/P3D";
    makeFolders(p3d + "/SimObjects/Airplanes");
    registry("[Software\\\\Lockheed Martin\\\\Prepar3D v5] 1\n\"SetupPath\"=\"C:\\\\P3D\"\n"
             "[Software\\\\Lockheed Martin\\\\Prepar3D v6] 1\n\"SetupPath\"=\"C:\\\\Gone\"\n");
    auto form = startForm();
    Combo* cb2 = child<Combo>(*form, "cb2");
    ASSERT_EQ(cb2->count(), 4);
    EXPECT_EQ(cb2->currentIndex(), 0); // the start-up proposes FS9 or FSX only
    EXPECT_EQ(cb2->itemText(2).toStdString(), "FSX");
    EXPECT_EQ(cb2->itemText(3).toStdString(), "Prepar3D v5");
    cb2->setCurrentIndex(3);
    emit cb2->activated(3);
    EXPECT_EQ(form->currentSimulator().kind, hx::SimKind::P3D5);
    EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), p3d);

    for (const std::string& picked : {p3d, std::string(prefix / "drive_c")}) {
        boxes.clear();
        dialogs.picker = [&](const QString&, QString& folder) {
            folder = QString::fromStdString(picked);
            return true;
        };
        form->BitBtn1Click();
        EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), picked);
        EXPECT_EQ(boxes.size(), picked == p3d ? 0u : 1u) << picked;
    }
    EXPECT_EQ(boxes.at(0).icon, QMessageBox::Warning);
    EXPECT_NE(boxes[0].text.find("does not look like a simulator folder"), std::string::npos);
}

TEST_F(Form1Test, ChoosingASimulatorReadsTheRegistryAsItIsNow)
{
    auto form = startForm();
    EXPECT_EQ(child<Combo>(*form, "cb2")->currentIndex(), 0);
    // FSX is installed while the window is open.
    const std::string root = installFsx();
    child<Combo>(*form, "cb2")->setCurrentIndex(2);
    emit child<Combo>(*form, "cb2")->activated(2);
    EXPECT_EQ(child<QLineEdit>(*form, "e1")->text().toStdString(), root);
}

TEST_F(Form1Test, CatalogueOpensFromALoopbackServerAndAFailureKeepsThePanelClosed)
{
    LoopbackServer server;
    bool missing = true;
    server.server().Get("/hangarix/prod.txt", [&](const httplib::Request&, httplib::Response& res) {
        if (missing) {
            res.status = 404;
            return;
        }
        res.set_content("A320&&a.txt;;\r\n", "text/plain");
    });
    server.server().Get("/hangarix/a.txt", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("Blue&&" + server.url("/blue.zip") + ";;!!\r\n", "text/plain");
    });
    server.start();
    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    form->BitBtn11Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(shown(child(*form, "p2"), *form));

    missing = false;
    form->BitBtn11Click();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(shown(child(*form, "p2"), *form));
    EXPECT_FALSE(shown(child(*form, "p4"), *form));
    EXPECT_EQ(child<Combo>(*form, "cb5")->currentText().toStdString(), "A320");
    EXPECT_EQ(child<Combo>(*form, "cb6")->currentText().toStdString(), "Blue");
    // No picture of its own: the fallback from the start-up folder.
    EXPECT_EQ(child<Picture>(*form, "i3")->picture().size(), QSize(256, 128));
    EXPECT_EQ(form->catalogue()->selectedArchiveUrl(), server.url("/blue.zip"));
}

TEST_F(Form1Test, PicturesLoadByExtensionAtTheirOwnSize)
{
    QImage big(300, 150, QImage::Format_RGB32);
    big.fill(Qt::red);
    big.save(QString::fromStdString(start / "big.jpg"), "JPG");
    writeFile(start / "pic.png", "x");
    TForm1 form(dialogs);
    child<Picture>(form, "i2")->loadFromFile(start / "big.jpg");
    EXPECT_EQ(child<Picture>(form, "i2")->picture().size(), QSize(300, 150));
    const QImage drawn = child<Picture>(form, "i2")->grab().toImage();
    EXPECT_EQ(drawn.size(), QSize(256, 128));
    EXPECT_GT(qRed(drawn.pixel(255, 127)), 200); // cut off, not scaled down

    const auto message = [&](const std::string& path) -> std::string {
        try {
            child<Picture>(form, "i2")->loadFromFile(path);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(loaded)";
    };
    EXPECT_EQ(message(start / "pic.png"), "Unknown picture file extension (.png)");
    EXPECT_EQ(message(start / "none.jpg"),
              "Cannot open file \"" + (start / "none.jpg") + "\". No such file or directory");
    writeFile(start / "empty.jpg", "");
    EXPECT_NE(message(start / "empty.jpg"), "(loaded)");
    EXPECT_EQ(child<Picture>(form, "i2")->picture().size(),
              QSize(300, 150)); // a failure keeps the picture
}

TEST_F(Form1Test, WebLinksAndTheMakersName)
{
    TForm1 form(dialogs);
    form.show();
    EXPECT_EQ(child<Picture>(form, "Image1")->toolTip().toStdString(),
              "Go to http://www.kzq-aircraft.example");
    EXPECT_EQ(child<Picture>(form, "Image1")->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(child<Picture>(form, "Image1"), Qt::LeftButton);
    QTest::mouseClick(child<Button>(form, "BitBtn5"), Qt::LeftButton);
    EXPECT_EQ(urls, (std::vector<std::string>{"http://www.kzq-aircraft.example",
                                              "http://www.kzq-aircraft.example/FAQ"}));
}

TEST_F(Form1Test, ClosingClearsTheDownloadFlag)
{
    auto form = startForm();
    form->show();
    form->httpget().MBaixando = true;
    QTest::mouseClick(child<Button>(*form, "BitBtn4"), Qt::LeftButton);
    EXPECT_FALSE(form->httpget().MBaixando);
    EXPECT_FALSE(form->isVisible());

    auto other = startForm();
    other->show();
    other->httpget().MBaixando = true;
    other->close(); // the system's close command
    EXPECT_FALSE(other->httpget().MBaixando);
}

TEST_F(Form1Test, DownloadsAndInstallsWithTheTitlesCarryingThePercentage)
{
    const std::string root = installFsx();
    const std::string zip = greenArchive();
    LoopbackServer server;
    serveCatalogue(server, zip);
    server.start();

    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    form->BitBtn11Click();
    std::vector<std::string> captions, titles;
    bool disabledMeanwhile = true;
    // The task bar shows the application title as the window's title.
    QObject::connect(form.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
        captions.push_back(form->caption().toStdString());
        titles.push_back(title.toStdString());
        disabledMeanwhile = disabledMeanwhile && !child<Button>(*form, "BitBtn8")->isEnabled() &&
                            !child<Button>(*form, "BitBtn3")->isEnabled() &&
                            !child<Button>(*form, "BitBtn6")->isEnabled();
    });
    form->BitBtn8Click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Downloading and Installing completed"});
    EXPECT_NE(readFile(root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg").find("[fltsim.1]"),
              std::string::npos);
    EXPECT_FALSE(shown(child(*form, "p3"), *form));
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(child<Button>(*form, "BitBtn8")->isEnabled());
    EXPECT_EQ(form->caption().toStdString(), "Hangarix");
    EXPECT_EQ(hx::app::applicationTitle().toStdString(), "KZQ HX");
    // The last report during the download carries 100%; then both are set back.
    ASSERT_GE(titles.size(), 2u);
    EXPECT_EQ(titles[titles.size() - 2], "KZQ HX - 100%");
    EXPECT_EQ(captions[captions.size() - 2], "KZQ Hangarix - 100%");
    EXPECT_EQ(titles.back(), "KZQ HX");
    // The component's progress event is the window's handler, working from the component's
    // figures (still those of the finished download).
    ASSERT_TRUE(form->httpget().MOnProgress);
    form->httpget().MOnProgress(form->httpget());
    EXPECT_EQ(form->caption().toStdString(), "KZQ Hangarix - 100%");
    EXPECT_EQ(hx::app::applicationTitle().toStdString(), "KZQ HX - 100%");
}

TEST_F(Form1Test, ClosingDuringADownloadStopsItAndKeepsThePartialArchive)
{
    const std::string root = installFsx();
    std::string archive(4 * 1024 * 1024, '\0');
    unsigned seed = 7;
    for (char& c : archive)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    LoopbackServer server;
    serveCatalogue(server, archive);
    server.start();
    auto form = startForm();
    form->show();
    form->setCatalogueBaseUrl(server.url("/"));
    form->BitBtn11Click();
    form->httpget().setReportInterval(std::chrono::milliseconds(0)); // a report for every read
    int reports = 0;
    QObject::connect(form.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
        if (title.endsWith('%') && ++reports == 1)
            QTest::mouseClick(child<Button>(*form, "BitBtn4"), Qt::LeftButton);
    });
    form->BitBtn8Click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->httpget().MBaixando);
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_FALSE(shown(child(*form, "p3"), *form));
    EXPECT_EQ(hx::app::applicationTitle().toStdString(), "KZQ HX");
    // The part received stays in tempzip for a later resume; nothing was installed.
    const auto partial = std::filesystem::file_size(start / "tempzip/green.zip");
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, archive.size());
    EXPECT_EQ(readFile(root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg").find("Green"),
              std::string::npos);
}

TEST_F(Form1Test, TheDownloadReadsTheSimulatorAgainBeforeInstalling)
{
    const std::string root = installFsx();
    const std::string zip = greenArchive();
    LoopbackServer server;
    serveCatalogue(server, zip);
    server.start();
    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    form->BitBtn11Click();
    // The window stays usable during the download: the user picks "None" meanwhile.
    QObject::connect(form.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
        if (title.endsWith('%'))
            child<Combo>(*form, "cb2")->setCurrentIndex(0);
    });
    form->BitBtn8Click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Please select FS"});
    EXPECT_EQ(readFile(root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg").find("Green"),
              std::string::npos);
    EXPECT_FALSE(shown(child(*form, "p3"), *form));
}

TEST_F(Form1Test, AFailedUnpackingLeavesNoMeterOverTheNextDownloadsBar)
{
    installFsx();
    std::string archive(200000, 'x'); // complete, but no ZIP archive
    LoopbackServer server;
    serveCatalogue(server, archive);
    server.start();
    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    form->BitBtn11Click();
    form->BitBtn8Click();
    ASSERT_EQ(boxes.size(), 1u); // the refused archive
    EXPECT_FALSE(shown(child(*form, "p3"), *form));

    archive = greenArchive();
    bool barOnTop = false, meterShown = false;
    QObject::connect(form.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
        if (!title.endsWith('%'))
            return;
        barOnTop = child<QProgressBar>(*form, "ProgressBar")->isVisibleTo(form.get());
        meterShown =
            meterShown || child<hx::app::Meter>(*form, "AbMeter1")->isVisibleTo(form.get());
    });
    form->BitBtn8Click();
    EXPECT_EQ(texts().back(), "Downloading and Installing completed");
    EXPECT_TRUE(barOnTop);
    EXPECT_FALSE(meterShown);
}

TEST_F(Form1Test, ProgressPreviewShowsTheFiguresAsTheDownloadWritesThem)
{
    auto form = startForm();
    form->show();
    form->showProgressPreview();
    EXPECT_TRUE(shown(child(*form, "p3"), *form));
    EXPECT_TRUE(shown(child<QProgressBar>(*form, "ProgressBar"), *form));
    EXPECT_FALSE(shown(child<hx::TMarqueeBar>(*form, "mb1"), *form));
    EXPECT_FALSE(shown(child<hx::app::Meter>(*form, "AbMeter1"), *form));
    const hx::NumberSeparators& seps = hx::userNumberSeparators();
    const std::string g = seps.grouping, d = seps.decimal;
    EXPECT_EQ(child<QLabel>(*form, "Label13")->text().toStdString(),
              "10" + g + "250" + d + "00 KB");
    EXPECT_EQ(child<QLabel>(*form, "Label11")->text().toStdString(),
              "4" + g + "305" + d + "00 KB (42" + d + "00%)");
    EXPECT_EQ(child<QLabel>(*form, "Label12")->text().toStdString(),
              "5" + g + "945" + d + "00 KB (58" + d + "00%)");
    EXPECT_EQ(child<QLabel>(*form, "Label9")->text().toStdString(), "00:01:05 s");
    EXPECT_EQ(child<QProgressBar>(*form, "ProgressBar")->value() * 100 /
                  child<QProgressBar>(*form, "ProgressBar")->maximum(),
              42);
    EXPECT_EQ(hx::app::applicationTitle().toStdString(), "KZQ HX - 42%");
    // Every figure fits its label: none is cut off at the right.
    for (QLabel* l : {child<QLabel>(*form, "Label9"), child<QLabel>(*form, "Label11"),
                      child<QLabel>(*form, "Label12"), child<QLabel>(*form, "Label13")})
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width())
            << l->text().toStdString();
    form->stopProgressPreview();
    EXPECT_FALSE(shown(child(*form, "p3"), *form));
    EXPECT_EQ(hx::app::applicationTitle().toStdString(), "KZQ HX");
}

TEST_F(Form1Test, ListsDropDownBelowTheirBoxInTheBoxsFont)
{
    auto form = startForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    hx::app::SkinnedComboBox* box = child<Combo>(*form, "cb2");
    box->showPopup();
    QWidget* popup = box->view()->window();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->geometry().topLeft(), box->mapToGlobal(QPoint(0, box->height())));
    EXPECT_GE(popup->width(), box->width());
    EXPECT_EQ(box->view()->font(), box->font());
    EXPECT_EQ(box->view()->visualRect(box->model()->index(1, 0)).height(), 19);
    box->hidePopup();
    // A font set later reaches the list as well.
    box->setFont(hx::app::bookmanFont(20, true));
    EXPECT_EQ(box->view()->font(), box->font());
}

TEST_F(Form1Test, KeyboardFocusShowsOnButtonsAndTheCheckBoxOnly)
{
    auto form = startForm();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto face = [](QWidget* w) { return w->grab().toImage(); };
    for (QWidget* w : {static_cast<QWidget*>(child<Button>(*form, "BitBtn3")),
                       static_cast<QWidget*>(child<Button>(*form, "BitBtn4")),
                       static_cast<QWidget*>(child<Button>(*form, "BitBtn10"))}) {
        const QImage plain = face(w);
        w->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(w->hasFocus()) << w->objectName().toStdString();
        EXPECT_NE(face(w), plain) << w->objectName().toStdString();
        w->clearFocus();
        EXPECT_EQ(face(w), plain) << w->objectName().toStdString();
    }
    // A click on the check box gives it the focus without the dotted frame; Tab shows it.
    const QImage plain = face(child<hx::app::SkinnedCheckBox>(*form, "sl1"));
    child<hx::app::SkinnedCheckBox>(*form, "sl1")->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(child<hx::app::SkinnedCheckBox>(*form, "sl1")->hasFocus());
    EXPECT_EQ(face(child<hx::app::SkinnedCheckBox>(*form, "sl1")), plain);
    child<hx::app::SkinnedCheckBox>(*form, "sl1")->clearFocus();
    child<hx::app::SkinnedCheckBox>(*form, "sl1")->setFocus(Qt::TabFocusReason);
    EXPECT_NE(face(child<hx::app::SkinnedCheckBox>(*form, "sl1")), plain);
}

// The main paths as the user takes them, through the controls' signals and the window's wiring:
// each step clicks a button or presses a key in a list found by its name, then reads what the
// handler behind it left on the window.
TEST_F(Form1Test, EveryControlReachesItsHandlerThroughTheMouseOrTheKeyboard)
{
    const std::string root = installFsx();
    package("Blue");
    package("Red");
    const std::string zip = greenArchive();
    LoopbackServer server;
    server.server().Get("/hangarix/prod.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("A320&&a.txt;;\r\nB737&&b.txt;;\r\n", "text/plain");
    });
    server.server().Get("/hangarix/a.txt", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("Blue&&" + server.url("/blue.zip") + ";;!!\r\nGreen&&" +
                            server.url("/green.zip") + ";;!!\r\n",
                        "text/plain");
    });
    server.server().Get("/hangarix/b.txt", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("Red&&" + server.url("/red.zip") + ";;!!\r\n", "text/plain");
    });
    server.server().Get("/green.zip", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(zip, "application/zip");
    });
    server.start();
    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    form->show();
    dialogs.picker = [](const QString&, QString& folder) {
        folder = "/chosen";
        return true;
    };

    TForm1& f = *form;
    const auto lastBox = [&] { return boxes.empty() ? std::string() : boxes.back().text; };
    const auto workPanel = [&] {
        for (const char* name : {"p4", "p1", "p2"})
            if (shown(child(f, name), f))
                return std::string(name);
        return std::string();
    };
    const auto text = [&](const char* name) {
        return [&f, name] { return child<QComboBox>(f, name)->currentText().toStdString(); };
    };
    const auto path = [&] { return child<QLineEdit>(f, "e1")->text().toStdString(); };
    const auto memo = [&] { return child<QPlainTextEdit>(f, "m1")->toPlainText().toStdString(); };
    // The packages are listed in the order the file system gives.
    const auto package = [&](int index) {
        return child<QComboBox>(f, "cb1")->itemText(index).toStdString();
    };
    const std::string first = package(0), second = package(1);
    const auto archive = [&] { return f.catalogue()->selectedArchiveUrl(); };
    const auto faqOpened = [&] { return std::to_string(urls.size()) + " " + urls.back(); };
    const auto visible = [&] { return std::string(f.isVisible() ? "open" : "closed"); };
    constexpr int click = 0;
    const struct {
        const char* control;
        int key; // pressed in the control, or a mouse click
        std::function<std::string()> observe;
        std::string expected;
    } steps[] = {
        {"cb1", Qt::Key_Down, memo, "Information:\nA320 " + second + "\n" + second},
        {"cb1", Qt::Key_Up, memo, "Information:\nA320 " + first + "\n" + first},
        {"BitBtn3", click, lastBox, "Installation completed"},
        {"cb2", Qt::Key_Up, text("cb2"), "FS9"},
        {"cb2", Qt::Key_Up, text("cb2"), "None"},
        {"BitBtn12", click, lastBox, "Please select FS"},
        {"cb2", Qt::Key_End, path, root},
        {"BitBtn12", click, workPanel, "p1"},
        {"cb3", Qt::Key_Down, text("cb4"), "House"},
        {"cb4", Qt::Key_Down, text("cb4"), first},
        {"BitBtn6", click, lastBox, "Removed succesfully"},
        {"BitBtn11", click, workPanel, "p2"},
        {"cb5", Qt::Key_Down, archive, server.url("/red.zip")},
        {"cb5", Qt::Key_Up, archive, server.url("/blue.zip")},
        {"cb6", Qt::Key_Down, archive, server.url("/green.zip")},
        {"BitBtn8", click, lastBox, "Downloading and Installing completed"},
        {"BitBtn10", Qt::Key_Space, workPanel, "p4"},
        {"BitBtn1", click, path, "/chosen"},
        {"BitBtn5", click, faqOpened, "1 http://www.kzq-aircraft.example/FAQ"},
        {"BitBtn4", click, visible, "closed"},
    };
    for (const auto& step : steps) {
        QWidget* control = child(f, step.control);
        ASSERT_NE(control, nullptr);
        if (step.key == click)
            QTest::mouseClick(control, Qt::LeftButton);
        else
            QTest::keyClick(control, Qt::Key(step.key));
        EXPECT_EQ(step.observe(), step.expected) << step.control;
    }
    EXPECT_NE(readFile(root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg").find("A320 Green"),
              std::string::npos);
}

// The three phases as the user sees them: each phase text is drawn before its work starts (the
// archive fetched, the archive unpacked, the entry written), and the window handles its events
// between the files of the installation, with the marquee bar on show and running.
TEST_F(Form1Test, EachPhaseIsDrawnBeforeItsWorkAndTheInstallationKeepsTheWindowResponsive)
{
    const std::string root = installFsx();
    const std::string cfg = root + "/SimObjects/Airplanes/KZQ_A320/aircraft.cfg";
    const std::string zip = greenArchive(8);
    LoopbackServer server;
    serveCatalogue(server, zip);
    server.start();
    auto form = startForm();
    form->setCatalogueBaseUrl(server.url("/"));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->BitBtn11Click();

    const auto archived = [&] { return exists(start / "tempzip/green.zip"); };
    const auto unpacked = [&] { return exists(start / "templiv/Green"); };
    const auto installed = [&] { return readFile(cfg).find("A320 Green") != std::string::npos; };
    std::set<std::string> drawnBeforeWork; // first words of the phase texts
    struct PaintWatch : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                onPaint();
            return false;
        }
    } watch;
    auto* label8 = child<QLabel>(*form, "Label8");
    watch.onPaint = [&] {
        const std::string text = label8->text().toStdString();
        if (text.empty())
            return;
        const std::string word = text.substr(0, text.find(' '));
        const bool workDone = word == "Downloading" ? archived()
                              : word == "Unzipping" ? unpacked()
                                                    : installed();
        if (!workDone)
            drawnBeforeWork.insert(word);
    };
    label8->installEventFilter(&watch);
    // Events handled while the texture files are copied: they go into a folder beside the
    // texture folder first, and the entry is written after them.
    const auto copying = [&] {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(
                 hx::test::fsPath(root + "/SimObjects/Airplanes/KZQ_A320"), ec))
            if (entry.path().extension() == ".hangarix-new")
                return true;
        return false;
    };
    int eventsWhileCopying = 0;
    bool marqueeRunning = true;
    QTimer pump;
    QObject::connect(&pump, &QTimer::timeout, [&] {
        if (!boxes.empty() || installed() || !copying())
            return;
        ++eventsWhileCopying;
        auto* mb1 = child<hx::TMarqueeBar>(*form, "mb1");
        marqueeRunning = marqueeRunning && mb1->isVisibleTo(form.get()) && mb1->timerRunning();
    });
    pump.start(0);
    form->BitBtn8Click();
    pump.stop();
    EXPECT_EQ(texts(), std::vector<std::string>{"Downloading and Installing completed"});
    EXPECT_EQ(drawnBeforeWork, (std::set<std::string>{"Downloading", "Unzipping", "Installing"}));
    EXPECT_GE(eventsWhileCopying, 9); // after each of the nine texture files
    EXPECT_TRUE(marqueeRunning);
}

// The unpacking meter: its fill is the bar colour inside a light frame, so that even a full
// meter reads as a bar on the dark panel.
TEST_F(Form1Test, TheUnpackMeterShowsItsFillInsideALightFrameAtEveryPercentage)
{
    TForm1 form(dialogs);
    form.enterPhase(hx::FlowPhase::Download);
    form.enterPhase(hx::FlowPhase::Unpack);
    const QColor light = hx::app::lightColor(), dark = hx::app::darkColor();
    const struct {
        int percent;
        QColor left, right; // inside the frame, at its two ends
    } table[] = {{0, light, light}, {50, dark, light}, {100, dark, dark}};
    for (const auto& row : table) {
        form.setUnpackMeter(row.percent);
        const QImage panel = child(form, "p3")->grab().toImage();
        const QRect meter = child(form, "AbMeter1")->geometry();
        const int middle = meter.center().y();
        EXPECT_EQ(panel.pixelColor(meter.left() + 5, middle), row.left) << row.percent;
        EXPECT_EQ(panel.pixelColor(meter.right() - 5, middle), row.right) << row.percent;
        for (const QPoint frame :
             {QPoint(meter.left() + 1, middle), QPoint(meter.right() - 1, middle),
              QPoint(meter.center().x(), meter.top() + 1),
              QPoint(meter.center().x(), meter.bottom() - 1)})
            EXPECT_EQ(panel.pixelColor(frame), light) << row.percent;
        EXPECT_EQ(panel.pixelColor(meter.center().x(), meter.bottom() + 3), dark); // the panel
    }
}

// Keyboard: Enter and keypad Enter press the focused button as Space does; every Tab stop shows
// its focus; the tab of the panel on show looks pressed.
TEST_F(Form1Test, EnterPressesTheFocusedButtonEveryTabStopShowsItAndTheActiveTabIsMarked)
{
    installFsx();
    auto form = startForm();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto marked = [&] {
        std::string tabs;
        for (const char* name : {"BitBtn10", "BitBtn11", "BitBtn12"})
            tabs += child<Button>(*form, name)->isMarked() ? "x" : "-";
        return tabs;
    };
    EXPECT_EQ(marked(), "x--");
    const QImage markedFace = child<Button>(*form, "BitBtn10")->grab().toImage();
    const struct {
        const char* button;
        Qt::Key key;
        std::function<std::string()> observe;
        std::string expected;
    } presses[] = {
        {"BitBtn12", Qt::Key_Return, marked, "--x"},
        {"BitBtn10", Qt::Key_Enter, marked, "x--"},
        {"BitBtn12", Qt::Key_Space, marked, "--x"},
        {"BitBtn5", Qt::Key_Enter, [&] { return urls.empty() ? "" : urls.back(); },
         "http://www.kzq-aircraft.example/FAQ"},
    };
    for (const auto& press : presses) {
        child<Button>(*form, press.button)->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), child<Button>(*form, press.button));
        QTest::keyClick(QApplication::focusWidget(), press.key);
        EXPECT_EQ(press.observe(), press.expected) << press.button << " " << press.key;
    }
    EXPECT_NE(child<Button>(*form, "BitBtn10")->grab().toImage(), markedFace);

    // Every control that Tab reaches looks different while it has the focus.
    int stops = 0;
    for (QWidget* w = form->nextInFocusChain(); w != form.get(); w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled() ||
            w->window() != form.get())
            continue;
        ++stops;
        form->setFocus();
        const QImage plain = w->grab().toImage();
        w->setFocus(Qt::TabFocusReason);
        EXPECT_NE(w->grab().toImage(), plain) << w->objectName().toStdString();
    }
    EXPECT_GE(stops, 8);
}

// Every control tells a screen reader what it is and what it does; lists name their label.
TEST_F(Form1Test, EveryControlHasAnAccessibleNameAndDescription)
{
    TForm1 form(dialogs);
    int controls = 0;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                             qobject_cast<QProgressBar*>(w) || qobject_cast<Picture*>(w) ||
                             qobject_cast<hx::app::Meter*>(w) || qobject_cast<hx::TMarqueeBar*>(w);
        if (!control || w->objectName().isEmpty())
            continue;
        ++controls;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr) << w->objectName().toStdString();
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
        EXPECT_FALSE(a->text(QAccessible::Description).isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_GE(controls, 25);
    const struct {
        const char* control;
        const char* label;
        const char* name;
    } named[] = {
        {"cb1", "Label1", "Select livery"}, {"cb3", "Label4", "Product"},
        {"cb4", "Label5", "Livery"},        {"cb5", "Label6", "Product"},
        {"cb6", "Label7", "Livery"},        {"cb2", "Label2", "Select FS"},
        {"e1", "Label3", "Path"},           {"BitBtn3", nullptr, "Install"},
        {"BitBtn4", nullptr, "Close"},      {"BitBtn11", nullptr, "Search liveries online"},
    };
    for (const auto& row : named) {
        EXPECT_EQ(child(form, row.control)->accessibleName().toStdString(), row.name);
        if (row.label) {
            EXPECT_EQ(child<QLabel>(form, row.label)->buddy(), child(form, row.control));
        }
    }
}

// Messages a user can act on: the system's text first, letter for letter, and below it which
// file, which package, what was installed.
TEST_F(Form1Test, MessagesNameTheFileThePackageThatStoppedARunAndWhatWasInstalled)
{
    const std::string root = installFsx();
    const std::string zip = greenArchive();
    LoopbackServer server;
    serveCatalogue(server, zip);
    server.start();
    package("Blue");
    package("Red");
    writeFile(start / "downloads/Odd/installerinfo.txt", "[fltsim.XX]\r\ntitle=Odd\r\n"
                                                         "productfolder=B747\r\n");
    makeFolders(start / "downloads/Odd/texture.Odd");
    auto form = startForm();
    ASSERT_TRUE(boxes.empty());
    const auto items = [&] {
        std::vector<std::string> names;
        for (int i = 0; i < child<Combo>(*form, "cb1")->count(); ++i)
            names.push_back(child<Combo>(*form, "cb1")->itemText(i).toStdString());
        return names;
    }();
    const auto odd = std::find(items.begin(), items.end(), "Odd") - items.begin();
    const std::string before = odd == 0   ? "no package was"
                               : odd == 1 ? "1 package was"
                                          : std::to_string(odd) + " packages were";
    form->setCatalogueBaseUrl(server.url("/"));
    const struct {
        std::function<void()> action;
        std::string text, detail;
    } table[] = {
        {[&] {
             std::filesystem::remove(start / "downloads/Red/installerinfo.txt");
             child<Combo>(*form, "cb1")
                 ->setCurrentIndex(
                     int(std::find(items.begin(), items.end(), "Red") - items.begin()));
             emit child<Combo>(*form, "cb1")->activated(child<Combo>(*form, "cb1")->currentIndex());
         },
         "File not found.",
         "File: " +
             hx::test::fsPath(start / "downloads/Red/installerinfo.txt").make_preferred().string()},
        {[&] {
             writeFile(start / "downloads/Red/installerinfo.txt", "productfolder=A320\r\n");
             child<QCheckBox>(*form, "sl1")->setChecked(true);
             form->BitBtn3Click();
         },
         "Cannot find aircraft.cfg file, please recheck pathes",
         "Stopped at the package \"Odd\"; " + before + " installed before it."},
        {[&] {
             form->BitBtn11Click();
             form->BitBtn8Click();
         },
         "Downloading and Installing completed", "Installed:\nA320 Green (KZQ_A320)"},
    };
    for (const auto& row : table) {
        boxes.clear();
        row.action();
        ASSERT_EQ(boxes.size(), 1u) << row.text;
        EXPECT_EQ(boxes[0].text, row.text);
        EXPECT_EQ(boxes[0].detail, row.detail);
    }
}

TEST(MessageDetails, SayWhereARunStoppedAndWhatALoadInstalled)
{
    const struct {
        std::string detail, expected;
    } table[] = {
        {hx::stoppedRunDetail("Red", 0), "Stopped at the package \"Red\"; no package was installed "
                                         "before it."},
        {hx::stoppedRunDetail("Red", 1), "Stopped at the package \"Red\"; 1 package was installed "
                                         "before it."},
        {hx::stoppedRunDetail("Red", 3), "Stopped at the package \"Red\"; 3 packages were "
                                         "installed before it."},
        {hx::installedDetail({}), "The archive held no livery package: nothing was installed."},
        {hx::installedDetail({"A (KZQ_A320)", "B (KZQ_A320)"}),
         "Installed:\nA (KZQ_A320)\nB (KZQ_A320)"},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.detail, row.expected);
}

} // namespace

int main(int argc, char** argv)
{
    // Test discovery runs the executable without the tests' environment: stay headless there too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
