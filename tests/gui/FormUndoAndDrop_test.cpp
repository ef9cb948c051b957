// The window's undo (Ctrl+Z), the removal panel's numbering warning and livery archives dropped
// on the window, on real folders under the offscreen platform.

#include "app/skin/SkinnedControls.h"
#include "app/window/Dialogs.h"
#include "app/window/Form1.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <QAbstractButton>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace hx::test;
using hx::test::ZipMaker;

namespace {

// Records the boxes and answers the question as the test says.
class AnsweringDialogs : public hx::app::Dialogs {
public:
    void messageBox(QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                    const QString&) override
    {
        boxes.push_back(text.toStdString());
    }
    bool askYesNo(QWidget*, const QString&, const QString& text) override
    {
        questions.push_back(text.toStdString());
        return answer;
    }
    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    bool answer = true;
};

const std::string kConfig = "[fltsim.0]\r\ntitle=A\r\ntexture=House\r\nui_variation=House\r\n"
                            "description=x\r\n\r\n[fltsim.2]\r\ntitle=B\r\ntexture=Red\r\n"
                            "ui_variation=Red\r\ndescription=y\r\n\r\n[General]\r\n";

class FormUndoTest : public ::testing::Test {
protected:
    TempDir start;
    TempDir prefix;
    std::filesystem::path oldCwd = std::filesystem::current_path();
    AnsweringDialogs dialogs;
    std::string product = prefix / "drive_c/FSX/SimObjects/Airplanes/KZQ_A320";

    void SetUp() override
    {
        std::filesystem::current_path(start.path());
        writeFile(prefix / "system.reg",
                  "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight "
                  "Simulator\\\\10.0] 1\n\"SetupPath\"=\"C:\\\\FSX\"\n");
        writeFile(product + "/aircraft.cfg", kConfig);
        writeFile(product + "/texture.House/a.bmp", "BM");
        writeFile(product + "/texture.Red/a.bmp", "BM");
    }
    void TearDown() override { std::filesystem::current_path(oldCwd); }

    std::vector<std::string> liveries(const hx::app::TForm1& form)
    {
        auto* cb4 = form.findChild<hx::app::SkinnedComboBox*>("cb4");
        std::vector<std::string> items;
        for (int i = 0; i < cb4->count(); ++i)
            items.push_back(cb4->itemText(i).toStdString());
        return items;
    }
};

TEST_F(FormUndoTest, CtrlZAsksThenUndoesTheRemovalAndRefreshesTheLists)
{
    hx::app::TForm1 form(dialogs);
    form.setRegistryOpener([p = prefix.path()] { return hx::platform::openWineRegistry(p); });
    form.FormCreate();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.BitBtn12Click();
    form.cb3Change(0);
    auto* warning = form.findChild<QLabel*>("LiveryWarning");
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->isVisible());
    // Not under the simulator panel, which lies across the removal panel.
    const QRect shown(warning->mapTo(&form, QPoint(0, 0)), warning->size());
    EXPECT_FALSE(shown.intersects(form.findChild<QWidget*>("p5")->geometry()));
    EXPECT_EQ(warning->text().toStdString(),
              "Gap in the numbering: no [fltsim.1]; the simulators stop reading there, so the "
              "liveries after it do not show");

    form.BitBtn6Click(); // removes House, the first livery
    EXPECT_EQ(liveries(form), std::vector<std::string>{"Red"});
    EXPECT_FALSE(std::filesystem::exists(product + "/texture.House"));

    struct Row {
        bool answer;
        std::vector<std::string> liveries;
        std::string box;
    };
    const Row rows[] = {
        {false, {"Red"}, "Removed succesfully"},
        {true, {"House", "Red"}, "Undone: removal of House (KZQ_A320)"},
        {true, {"House", "Red"}, "The history holds no change to undo"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.box);
        dialogs.answer = row.answer;
        QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(liveries(form), row.liveries);
        EXPECT_EQ(dialogs.boxes.back(), row.box);
    }
    EXPECT_EQ(dialogs.questions, std::vector<std::string>(2, "Undo removal of House (KZQ_A320)?"));
    EXPECT_EQ(readFile(product + "/aircraft.cfg"), kConfig);
    EXPECT_EQ(readFile(product + "/texture.House/a.bmp"), "BM");
    EXPECT_TRUE(warning->isVisible());
}

// A drop of archives installs their packages; an archive is known by its first bytes, so a ZIP
// named .7z installs, a 7-Zip archive named .zip is refused with its message, and other files
// are not taken.
TEST_F(FormUndoTest, DroppedArchivesAreInstalledAndLeftAsTheyWere)
{
    ZipMaker()
        .file("Green/installerinfo.txt", "[fltsim.XX]\r\ntitle=G\r\ntexture=Green\r\n"
                                         "ui_variation=Green\r\ndescription=d\r\n\r\n"
                                         "productfolder=A320\r\n")
        .file("Green/texture.Green/t.bmp", "BM")
        .save(start / "green.ZIP");
    const std::string archive = readFile(start / "green.ZIP");
    ZipMaker()
        .file("Blue/installerinfo.txt", "[fltsim.XX]\r\ntexture=Blue\r\nproductfolder=A320\r\n")
        .file("Blue/texture.Blue/t.bmp", "BM")
        .save(start / "blue.7z");
    writeFile(start / "notes.txt", "not an archive");
    writeFile(start / "notes.7z", "not an archive");
    writeFile(start / "seven.zip", std::string("7z\xBC\xAF\x27\x1C\0\4 and the rest", 21));
    hx::app::TForm1 form(dialogs);
    form.setRegistryOpener([p = prefix.path()] { return hx::platform::openWineRegistry(p); });
    form.FormCreate();

    struct Row {
        const char* file;
        bool accepted;
        std::string box;
    };
    const Row rows[] = {
        {"notes.txt", false, ""},
        {"notes.7z", false, ""},
        {"green.ZIP", true, "Installation completed"},
        {"seven.zip", true,
         "seven.zip is a 7-Zip archive; Hangarix unpacks ZIP archives. Unpack it into the "
         "downloads folder and install it from the first tab"},
        {"blue.7z", true, "Installation completed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        dialogs.boxes.clear();
        const std::string config = readFile(product + "/aircraft.cfg");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(start / row.file))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &enter);
        EXPECT_EQ(enter.isAccepted(), row.accepted);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &drop);
        QCoreApplication::processEvents(); // the installation runs after the drop has returned
        EXPECT_EQ(dialogs.boxes,
                  row.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.box});
        EXPECT_EQ(readFile(product + "/aircraft.cfg") == config,
                  row.box != "Installation completed");
    }
    EXPECT_EQ(readFile(product + "/texture.Green/t.bmp"), "BM");
    EXPECT_NE(readFile(product + "/aircraft.cfg").find("ui_variation=Green"), std::string::npos);
    EXPECT_EQ(readFile(start / "green.ZIP"), archive);
}

} // namespace
