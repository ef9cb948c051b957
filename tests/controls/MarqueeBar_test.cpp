#include "controls/MarqueeBar.h"

#include "support/QtTestMain.h"

#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace hx {
namespace {

constexpr TColor kLight = 15655890; // 210, 227, 238
constexpr TColor kDark = 9728318;   // 62, 113, 148

TColor pixel(const QImage& image, int x, int y)
{
    return fromQColor(image.pixelColor(x, y));
}

// The main window's bar: 576 x 49 in the light and dark colours, flat border, fading to the left.
std::unique_ptr<TMarqueeBar> windowBar(MarqueeLook look, QWidget* parent = nullptr)
{
    auto bar = std::make_unique<TMarqueeBar>(parent);
    bar->setLook(look);
    bar->resize(576, 49);
    bar->setAnimationSpeed(60);
    bar->setBackColor(kLight);
    bar->setBarColor(kDark);
    bar->setBorderColor(kDark);
    bar->setBorderStyle(bsFlat);
    bar->setDefaultStyled(false);
    bar->setGradientStyle(gsRightToLeft);
    bar->setParented(false);
    return bar;
}

// Ticks until the bar reaches `position`; fails if a whole cycle passes without it.
void tickTo(TMarqueeBar& bar, int position)
{
    for (int ticks = 0; bar.position() != position; ++ticks) {
        ASSERT_LE(ticks, bar.slotCount() + 8) << "position " << position << " never reached";
        bar.TimerTick();
    }
}

// The colour at the centre of every slot, as rendered.
std::vector<TColor> slotColours(TMarqueeBar& bar)
{
    const QImage& image = bar.composeFrame();
    const int margin = bar.themed() ? 3 : 2;
    std::vector<TColor> colours;
    for (int slot = 0; slot < bar.slotCount(); ++slot)
        colours.push_back(pixel(image,
                                slot * (bar.blockWidth() + 2) + margin + bar.blockWidth() / 2,
                                image.height() / 2));
    return colours;
}

// Slot colours of the window's classic bar: `head` in the given slots, the back colour elsewhere.
std::vector<TColor> expectedSlots(int count, std::vector<std::pair<int, TColor>> blocks)
{
    std::vector<TColor> colours(static_cast<std::size_t>(count), kLight);
    for (const auto& [slot, colour] : blocks)
        colours[static_cast<std::size_t>(slot)] = colour;
    return colours;
}

// Only the frame is drawn: outline in `border`, everything inside in `back`.
void expectFrameOnly(const QImage& image, TColor back, TColor border)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool edge = x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1;
            ASSERT_EQ(pixel(image, x, y), edge ? border : back) << x << "," << y;
        }
}

TEST(MarqueeBar, NewBarHasItsDefaultsAndSnapsTo144)
{
    TMarqueeBar bar;
    EXPECT_EQ(bar.width(), 144);
    EXPECT_EQ(bar.height(), 17);
    EXPECT_EQ(bar.blockWidth(), 8);
    EXPECT_EQ(bar.blockHeight(), 13);
    EXPECT_EQ(bar.slotCount(), 14);
    EXPECT_FALSE(bar.Active());
    EXPECT_FALSE(bar.timerRunning());
    EXPECT_EQ(bar.timerInterval(), 60);
    EXPECT_EQ(bar.AnimationSpeed(), 60);
    EXPECT_EQ(bar.BackColor(), clBtnFace);
    EXPECT_EQ(bar.BarColor(), clActiveCaption);
    EXPECT_EQ(bar.BorderColor(), clDefault);
    EXPECT_EQ(bar.BorderStyle(), bsFlat);
    EXPECT_EQ(bar.GradientStyle(), gsRightToLeft);
    EXPECT_FALSE(bar.DefaultStyled());
    EXPECT_FALSE(bar.Parented());
    EXPECT_EQ(bar.position(), 0);
    EXPECT_TRUE(bar.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(bar.testAttribute(Qt::WA_NoSystemBackground));
    // The blocks are made from the system's active-caption colour.
    EXPECT_EQ(bar.blockColor(1), resolveColor(clActiveCaption));
    EXPECT_EQ(bar.blockPicture(1).size(), QSize(8, 13));
}

TEST(MarqueeBar, AnimationSpeedStoresTheAbsoluteValueAndLeavesTheTimer)
{
    TMarqueeBar bar;
    bar.setAnimationSpeed(-40);
    EXPECT_EQ(bar.AnimationSpeed(), 40);
    EXPECT_EQ(bar.timerInterval(), 60);
    bar.setAnimationSpeed(INT_MIN);
    EXPECT_EQ(bar.AnimationSpeed(), INT_MAX);
}

TEST(MarqueeBar, WindowInstanceInTheClassicLook)
{
    auto bar = windowBar(MarqueeLook::Classic);
    bar->composeFrame();
    EXPECT_FALSE(bar->themed());
    EXPECT_EQ(bar->blockWidth(), 24);
    EXPECT_EQ(bar->blockHeight(), 45);
    EXPECT_EQ(bar->slotCount(), 22);
    EXPECT_EQ(bar->width(), 576);
    EXPECT_EQ(bar->composeFrame().size(), QSize(576, 49));

    // One cycle is slot count + 8 ticks.
    for (int tick = 1; tick < 30; ++tick) {
        bar->TimerTick();
        ASSERT_EQ(bar->position(), tick);
    }
    bar->TimerTick();
    EXPECT_EQ(bar->position(), 0);
}

TEST(MarqueeBar, WindowInstanceInTheThemedLookSnapsTo556)
{
    auto bar = windowBar(MarqueeLook::Themed);
    const QImage& image = bar->composeFrame();
    EXPECT_TRUE(bar->themed());
    EXPECT_EQ(bar->blockWidth(), 22);
    EXPECT_EQ(bar->blockHeight(), 43);
    EXPECT_EQ(bar->slotCount(), 23);
    EXPECT_EQ(bar->width(), 556);
    EXPECT_EQ(image.size(), QSize(556, 49));
    // A second paint rebuilds with the same result.
    bar->composeFrame();
    EXPECT_EQ(bar->width(), 556);
    EXPECT_EQ(bar->slotCount(), 23);
}

TEST(MarqueeBar, TrainEntersHeadFirstAndLeavesTailLast)
{
    auto bar = windowBar(MarqueeLook::Classic);
    bar->composeFrame();
    const int slotTotal = bar->slotCount();
    const TColor head = MakeColor(62, 113, 148);
    const TColor tail = MakeColor(158, 209, 244);

    EXPECT_EQ(slotColours(*bar), expectedSlots(slotTotal, {}));
    tickTo(*bar, 1);
    EXPECT_EQ(slotColours(*bar), expectedSlots(slotTotal, {{0, head}}));
    tickTo(*bar, 3);
    EXPECT_EQ(
        slotColours(*bar),
        expectedSlots(slotTotal, {{2, head}, {1, bar->blockColor(2)}, {0, bar->blockColor(3)}}));
    tickTo(*bar, slotTotal + 6);
    EXPECT_EQ(slotColours(*bar), expectedSlots(slotTotal, {{slotTotal - 1, tail}}));
    tickTo(*bar, slotTotal + 7);
    EXPECT_EQ(slotColours(*bar), expectedSlots(slotTotal, {}));

    // Position 1, pixel by pixel: the head fills (2, 2) to (25, 46); frame and gaps stay.
    tickTo(*bar, 1);
    const QImage& image = bar->composeFrame();
    EXPECT_EQ(pixel(image, 2, 2), head);
    EXPECT_EQ(pixel(image, 25, 46), head);
    EXPECT_EQ(pixel(image, 26, 24), kLight);
    EXPECT_EQ(pixel(image, 25, 47), kLight);
    EXPECT_EQ(pixel(image, 1, 24), kLight);
    EXPECT_EQ(pixel(image, 0, 24), kDark);
    EXPECT_EQ(pixel(image, 575, 48), kDark);
}

TEST(MarqueeBar, ThemedTrainSitsThreePixelsInside)
{
    auto bar = windowBar(MarqueeLook::Themed);
    bar->composeFrame();
    const int slotTotal = bar->slotCount();
    tickTo(*bar, slotTotal + 6);
    const QImage& image = bar->composeFrame();
    const int left = (slotTotal - 1) * 24 + 3; // the tail in the last slot
    EXPECT_EQ(pixel(image, left, 3), bar->blockColor(7));
    EXPECT_EQ(pixel(image, left + 21, 3), bar->blockColor(7));
    EXPECT_EQ(pixel(image, left - 1, 3), kLight);
    EXPECT_EQ(pixel(image, left, 2), kLight);
    EXPECT_EQ(pixel(image, left, 46), kLight);
    EXPECT_EQ(pixel(image, left + 22, 20), kLight);
    EXPECT_EQ(pixel(image, left - 24, 20), kLight); // block 6 has left the bar
}

TEST(MarqueeBar, BlockColoursFadeTowardsTheTail)
{
    for (MarqueeLook look : {MarqueeLook::Classic, MarqueeLook::Themed}) {
        auto bar = windowBar(look);
        bar->composeFrame();
        // Lightness 105 lies between 64 and 200: the themed look keeps the colour too.
        EXPECT_EQ(bar->blockColor(1), MakeColor(62, 113, 148));
        EXPECT_EQ(bar->blockColor(2), MakeColor(78, 129, 164));
        EXPECT_EQ(bar->blockColor(7), MakeColor(158, 209, 244));
    }

    auto bar = windowBar(MarqueeLook::Classic);
    bar->setGradientStyle(gsCenter);
    bar->composeFrame();
    EXPECT_EQ(bar->blockColor(4), kDark);
    EXPECT_EQ(bar->blockColor(3), bar->blockColor(5));
    EXPECT_EQ(bar->blockColor(1), MakeColor(158, 209, 244));
    bar->setGradientStyle(gsNone);
    bar->composeFrame();
    for (int block = 1; block <= 7; ++block)
        EXPECT_EQ(bar->blockColor(block), kDark);
}

TEST(MarqueeBar, ThemedLookSoftensPureAndExtremeColours)
{
    auto bar = windowBar(MarqueeLook::Themed);
    bar->setBarColor(255);
    bar->composeFrame();
    // Red hue at saturation 90 and lightness 140, then the per-block amounts.
    EXPECT_EQ(bar->blockColor(1), MakeColor(181, 99, 99));
    EXPECT_EQ(bar->blockColor(7), MakeColor(255, 195, 195));

    bar->setBarColor(MakeColor(230, 230, 230)); // lightness above 200: darker by 64
    bar->composeFrame();
    EXPECT_EQ(bar->blockColor(1), MakeColor(166, 166, 166));
    bar->setBarColor(MakeColor(64, 64, 64)); // lightness 64: lighter by 32
    bar->composeFrame();
    EXPECT_EQ(bar->blockColor(1), MakeColor(96, 96, 96));

    auto classic = windowBar(MarqueeLook::Classic);
    classic->setBarColor(255);
    classic->composeFrame();
    EXPECT_EQ(classic->blockColor(1), 255);
}

TEST(MarqueeBar, ThemedBlocksAreShadedInThreeBands)
{
    auto bar = windowBar(MarqueeLook::Themed);
    bar->composeFrame();
    const QImage& block = bar->blockPicture(1);
    ASSERT_EQ(block.size(), QSize(22, 43));
    const std::vector<std::pair<int, TColor>> rows{
        {0, MakeColor(62, 113, 148)},   // upper band from the block colour...
        {10, MakeColor(85, 136, 171)},  // ... 10/21 of the way to + 48
        {21, MakeColor(110, 161, 196)}, // ... to + 48
        {22, MakeColor(102, 153, 188)}, // middle: + 40, then - 8
        {23, MakeColor(54, 105, 140)},  {24, MakeColor(54, 105, 140)}, // lower band from - 8 ...
        {42, MakeColor(78, 129, 164)},                                 // ... to + 16
    };
    for (const auto& [row, colour] : rows)
        for (int x = 0; x < block.width(); ++x)
            ASSERT_EQ(pixel(block, x, row), colour) << "row " << row;

    // The block is copied into the bar as it is.
    tickTo(*bar, 1);
    const QImage& image = bar->composeFrame();
    for (const auto& [row, colour] : rows)
        EXPECT_EQ(pixel(image, 3 + 7, 3 + row), colour) << "row " << row;
}

TEST(MarqueeBar, InactiveBarClearsToItsFrameAtOnce)
{
    auto bar = windowBar(MarqueeLook::Classic);
    bar->setActive(true);
    EXPECT_TRUE(bar->timerRunning());
    tickTo(*bar, 12);
    EXPECT_NE(pixel(bar->composeFrame(), 11 * 26 + 10, 24), kLight);
    bar->setActive(false);
    EXPECT_FALSE(bar->timerRunning());
    EXPECT_EQ(bar->position(), 0);
    expectFrameOnly(bar->composeFrame(), kLight, kDark);
}

TEST(MarqueeBar, ActiveBarIsDrivenByItsTimer)
{
    auto bar = windowBar(MarqueeLook::Classic);
    bar->composeFrame();
    bar->setActive(true);
    EXPECT_EQ(bar->position(), 0); // the first step comes one interval later
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->position() >= 2; }, 10000));
    bar->setActive(false);
    EXPECT_EQ(bar->position(), 0);
}

TEST(MarqueeBar, ClassicFrames)
{
    auto bar = windowBar(MarqueeLook::Classic);
    const int w = 576;
    const int h = 49;
    bar->setBorderStyle(bsNone);
    expectFrameOnly(bar->composeFrame(), kLight, kLight);

    bar->setBorderStyle(bs3D);
    const TColor dark = DarkerColor(kLight, 64);
    const TColor light = LighterColor(kLight, 64);
    const QImage image = bar->composeFrame();
    EXPECT_EQ(pixel(image, 0, 0), dark);
    EXPECT_EQ(pixel(image, 0, h - 2), dark);
    EXPECT_EQ(pixel(image, w - 2, 0), dark);
    EXPECT_EQ(pixel(image, w - 1, 0), light);
    EXPECT_EQ(pixel(image, 0, h - 1), light);
    EXPECT_EQ(pixel(image, w - 1, h - 1), light);
    EXPECT_EQ(pixel(image, 5, h - 1), light);
    EXPECT_EQ(pixel(image, w - 1, 5), light);
    EXPECT_EQ(pixel(image, 1, 1), kLight);
    // DefaultStyled only matters in the themed look.
    bar->setDefaultStyled(true);
    EXPECT_EQ(bar->composeFrame(), image);
}

TEST(MarqueeBar, ThemedFramesHaveRoundedCornersAndAnInnerShadow)
{
    QWidget panel;
    QPalette palette = panel.palette();
    palette.setColor(panel.backgroundRole(), QColor(10, 20, 30));
    panel.setPalette(palette);
    auto bar = windowBar(MarqueeLook::Themed, &panel);
    bar->composeFrame();
    const int w = bar->width();
    const int h = bar->height();
    const TColor panelColour = MakeColor(10, 20, 30);

    const QImage flat = bar->composeFrame();
    for (auto [x, y] :
         std::vector<std::pair<int, int>>{{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(pixel(flat, x, y), panelColour) << x << "," << y;
    EXPECT_EQ(pixel(flat, 1, 0), kDark);
    EXPECT_EQ(pixel(flat, 0, 1), kDark);
    EXPECT_EQ(pixel(flat, w - 2, h - 1), kDark);
    EXPECT_EQ(pixel(flat, 1, 1), kLight);
    EXPECT_EQ(pixel(flat, 2, 1), kLight); // no shadow on a flat border

    bar->setBorderStyle(bs3D);
    const QImage raised = bar->composeFrame();
    const TColor shadow = DarkerColor(kLight, 64);
    EXPECT_EQ(pixel(raised, 1, 1), kLight);
    EXPECT_EQ(pixel(raised, 2, 1), shadow);
    EXPECT_EQ(pixel(raised, w - 3, 1), shadow);
    EXPECT_EQ(pixel(raised, w - 2, 1), kLight);
    EXPECT_EQ(pixel(raised, 1, 2), shadow);
    EXPECT_EQ(pixel(raised, 1, h - 3), shadow);
    EXPECT_EQ(pixel(raised, 1, h - 2), kLight);

    // DefaultStyled: white inside a grey 95 border, with the shadow even on a flat border.
    bar->setBorderStyle(bsFlat);
    bar->setDefaultStyled(true);
    const QImage styled = bar->composeFrame();
    EXPECT_EQ(pixel(styled, 1, 0), MakeColor(95, 95, 95));
    EXPECT_EQ(pixel(styled, 20, 20), clWhite);
    EXPECT_EQ(pixel(styled, 2, 1), MakeColor(191, 191, 191));

    bar->setBorderStyle(bsNone);
    bar->setDefaultStyled(false);
    expectFrameOnly(bar->composeFrame(), kLight, kLight);
}

TEST(MarqueeBar, ParentedBarTakesItsColoursFromTheParent)
{
    QWidget panel;
    QPalette palette = panel.palette();
    palette.setColor(panel.backgroundRole(), QColor(100, 150, 200));
    panel.setPalette(palette);
    auto bar = windowBar(MarqueeLook::Classic, &panel);
    bar->setParented(true);
    expectFrameOnly(bar->composeFrame(), MakeColor(100, 150, 200), MakeColor(36, 86, 136));
}

TEST(MarqueeBar, ChangesOfColourStyleAndLookRebuildTheBlocks)
{
    auto bar = windowBar(MarqueeLook::Classic);
    bar->composeFrame();
    bar->setBarColor(MakeColor(0, 100, 0));
    bar->composeFrame();
    EXPECT_EQ(bar->blockColor(1), MakeColor(0, 100, 0));
    bar->setGradientStyle(gsNone);
    bar->composeFrame();
    EXPECT_EQ(bar->blockColor(7), MakeColor(0, 100, 0));
    bar->setLook(MarqueeLook::Themed);
    bar->composeFrame();
    EXPECT_EQ(bar->blockWidth(), 22);
    EXPECT_EQ(bar->width(), 556);
}

TEST(MarqueeBar, TooSmallBarsShowOnlyTheirFrame)
{
    TMarqueeBar narrow;
    narrow.setLook(MarqueeLook::Classic);
    narrow.setBackColor(kLight);
    narrow.setBorderColor(kDark);
    narrow.resize(12, 17); // less than one 10-pixel slot besides the frame
    narrow.composeFrame();
    EXPECT_EQ(narrow.slotCount(), 0);
    EXPECT_EQ(narrow.width(), 4);
    narrow.TimerTick();
    expectFrameOnly(narrow.composeFrame(), kLight, kDark);

    // Themed blocks of a bar 4 or less high have no width: no slot fits, nothing breaks.
    for (int height : {0, 2, 4}) {
        TMarqueeBar flat;
        flat.setLook(MarqueeLook::Themed);
        flat.resize(100, height);
        flat.composeFrame();
        flat.TimerTick();
        flat.composeFrame();
        EXPECT_GE(flat.slotCount(), 0) << height;
    }
}

TEST(MarqueeBar, ShownBarPaintsTheComposedPictureAndSnapsItsWidth)
{
    QWidget panel;
    panel.resize(700, 200);
    auto bar = windowBar(MarqueeLook::Themed, &panel);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    // The first paint rebuilds for the new size; the width follows from the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->width() == 556; }, 10000));
    tickTo(*bar, 5);
    const QImage painted = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(painted, bar->composeFrame());
    EXPECT_EQ(pixel(painted, 4 * 24 + 3, 3), bar->blockColor(1));
}

} // namespace
} // namespace hx
