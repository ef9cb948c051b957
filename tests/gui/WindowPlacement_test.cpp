// Where the window opens. The executable runs on an offscreen screen of 1280 x 800 pixels at the
// scale factor 1.5, a laptop on which the layout's position puts the close button and INSTALL
// off the screen.

#include "app/window/Dialogs.h"
#include "app/window/Form1.h"
#include "app/window/Form1Layout.h"
#include "app/window/WindowPlacement.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using hx::app::placeInArea;

TEST(WindowPlacement, KeepsTheLayoutsPlaceWhereItFitsAndMovesInsideOtherwise)
{
    const QSize window(700, 500);
    const QPoint design(192, 114);
    const struct {
        QRect area;
        QPoint expected;
        bool fits;
    } table[] = {
        {{0, 0, 1280, 800}, {192, 114}, true},     // room enough: the layout's place
        {{0, 0, 853, 533}, {153, 33}, true},       // 1280 x 800 at 1.5: moved inside
        {{0, 24, 853, 509}, {153, 33}, true},      // a top panel takes 24 pixels
        {{1280, 0, 1024, 768}, {1472, 114}, true}, // the second screen, on the right
        {{0, 0, 640, 400}, {0, 0}, false},         // 1280 x 800 at 2: the top-left part
        {{0, 0, 1024, 400}, {192, 0}, false},      // too low only: the top shows
    };
    for (const auto& row : table) {
        const hx::app::WindowPlace place = placeInArea(window, row.area, design);
        EXPECT_EQ(place.topLeft, row.expected) << row.area.width() << "x" << row.area.height();
        EXPECT_EQ(place.fits, row.fits) << row.area.width() << "x" << row.area.height();
    }
}

TEST(WindowPlacement, TheWindowOpensInsideTheScreenAtScaleOnePointFive)
{
    hx::test::TempDir start;
    hx::app::Dialogs dialogs;
    hx::app::TForm1 form(dialogs);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(853, 533)); // 1280 x 800 at 1.5
    hx::app::placeOnScreen(&form, hx::app::Form1Layout::designPosition());
    form.show();
    EXPECT_TRUE(area.contains(form.frameGeometry())) << form.x() << "," << form.y();
    for (const char* name : {"BitBtn4", "BitBtn3", "BitBtn8", "BitBtn6"}) {
        auto* button = form.findChild<QWidget*>(name);
        ASSERT_NE(button, nullptr);
        const QRect global(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_TRUE(area.contains(global)) << name;
    }
}

} // namespace

int main(int argc, char** argv)
{
    // A screen of the laptop's size, and the scale set before the application starts.
    hx::test::TempDir config;
    hx::test::writeFile(config / "screens.json",
                        R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280,)"
                        R"( "height": 800, "logicalDpi": 96, "dpr": 1}]})");
    // Qt cuts the platform's arguments at every ':', a drive letter's too: the file is named
    // relative to the current folder while the application starts and reads it.
    const std::filesystem::path oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(hx::test::fsPath(config.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=screens.json");
    qputenv("QT_SCALE_FACTOR", "1.5");
    QApplication app(argc, argv);
    std::filesystem::current_path(oldCwd);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
