#include "controls/XGraphUtils.h"

#include "support/QtTestMain.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace hx {
namespace {

constexpr TColor kSentinel = 0x563412; // 18, 52, 86: a colour no fill below uses

TColor pixel(const QImage& image, int x, int y)
{
    return fromQColor(image.pixelColor(x, y));
}

QImage canvasImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(toQColor(kSentinel));
    return image;
}

// Every pixel outside `rect` still has the sentinel colour.
void expectUntouchedOutside(const QImage& image, const Rect& rect)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside =
                x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            if (!inside) {
                ASSERT_EQ(pixel(image, x, y), kSentinel) << "outside pixel " << x << "," << y;
            }
        }
}

// Paints one gradient into a fresh image with a sentinel background.
QImage gradient(int width, int height, const Rect& rect, TColor begin, TColor end, int direction,
                int colours)
{
    QImage image = canvasImage(width, height);
    QPainter canvas(&image);
    GradientFillRect(canvas, rect, begin, end, direction, colours);
    canvas.end();
    return image;
}

// Restores the application palette when a test that changes it ends.
class PaletteGuard {
public:
    PaletteGuard() : saved_(QGuiApplication::palette()) {}
    ~PaletteGuard() { QGuiApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

TEST(XGraphUtils, ChannelsAndColourBuilding)
{
    EXPECT_EQ(RedOf(9728318), 62);
    EXPECT_EQ(GreenOf(9728318), 113);
    EXPECT_EQ(BlueOf(9728318), 148);
    EXPECT_EQ(MakeColor(62, 113, 148), 9728318);
    // The result is cut to 24 bits, so a stray high bit of blue does not make a system colour.
    EXPECT_EQ(MakeColor(0, 0, 0x1FF), 0xFF0000);
    // clDefault is no system colour reference: drawn, it is black.
    EXPECT_GT(clDefault, 0);
    EXPECT_EQ(RedOf(clDefault) + GreenOf(clDefault) + BlueOf(clDefault), 0);
}

TEST(XGraphUtils, DarkerAndLighterClampEachChannel)
{
    EXPECT_EQ(DarkerColor(clWhite, 160), MakeColor(95, 95, 95));
    EXPECT_EQ(LighterColor(MakeColor(62, 113, 148), 96), MakeColor(158, 209, 244));
    EXPECT_EQ(DarkerColor(MakeColor(10, 200, 64), 64), MakeColor(0, 136, 0));
    EXPECT_EQ(LighterColor(MakeColor(10, 200, 250), 48), MakeColor(58, 248, 255));
}

TEST(XGraphUtils, SystemColoursFollowTheApplicationPalette)
{
    HX_SKIP_ON_WINDOWS("system colours are the system's own there (SystemColoursAreWindowsOwn)");
    PaletteGuard guard;
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Active, QPalette::Button, QColor(200, 100, 50));
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(20, 40, 60));
    QGuiApplication::setPalette(palette);

    EXPECT_EQ(RedOf(clBtnFace), 200);
    EXPECT_EQ(GreenOf(clBtnFace), 100);
    EXPECT_EQ(BlueOf(clBtnFace), 50);
    EXPECT_EQ(resolveColor(clActiveCaption), MakeColor(20, 40, 60));
    EXPECT_EQ(DarkerColor(clBtnFace, 64), MakeColor(136, 36, 0));
    EXPECT_EQ(LighterColor(clBtnFace, 64), MakeColor(255, 164, 114));
    // Indices without a palette role take the classic Windows value; unknown ones are black.
    EXPECT_EQ(systemColor(27), MakeColor(166, 202, 240));
    EXPECT_EQ(resolveColor(static_cast<TColor>(0xFF000019u)), 0);
    EXPECT_EQ(resolveColor(static_cast<TColor>(0xFF0000FFu)), 0);
    int h = 0, s = 0, l = 0;
    ColorToHSL(clBtnFace, h, s, l);
    EXPECT_EQ(l, 125); // (200 + 50) / 2
}

TEST(XGraphUtils, MulDivRoundsHalvesAwayFromZeroWithAWideIntermediate)
{
    EXPECT_EQ(MulDiv(1, 5, 2), 3);
    EXPECT_EQ(MulDiv(1, -5, 2), -3);
    EXPECT_EQ(MulDiv(-1, 5, -2), 3);
    EXPECT_EQ(MulDiv(2, 10, 3), 7); // 6.67
    EXPECT_EQ(MulDiv(1, 10, 3), 3); // 3.33
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);
}

TEST(XGraphUtils, ColourToHslOnTheIntegerScale)
{
    int h = -1, s = -1, l = -1;
    ColorToHSL(255, h, s, l);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 255);
    EXPECT_EQ(l, 128);
    ColorToHSL(clWhite, h, s, l);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(l, 255);
    ColorToHSL(9728318, h, s, l);
    EXPECT_EQ(l, 105);
    // Lightness 2.5 rounds to the even neighbour, 3.5 too.
    ColorToHSL(MakeColor(5, 0, 0), h, s, l);
    EXPECT_EQ(l, 2);
    ColorToHSL(MakeColor(7, 0, 0), h, s, l);
    EXPECT_EQ(l, 4);
    // Blue: hue 4/6 of the way round, scaled by 254.
    ColorToHSL(MakeColor(0, 0, 255), h, s, l);
    EXPECT_EQ(h, 169);
    // Magenta: the hue formula goes negative and wraps to 5/6.
    ColorToHSL(MakeColor(255, 0, 255), h, s, l);
    EXPECT_EQ(h, 212);
}

TEST(XGraphUtils, HslToColour)
{
    for (int l : {0, 1, 64, 105, 128, 254, 255}) {
        int r = -1, g = -1, b = -1;
        EXPECT_EQ(HSLToColor(0, 0, l, r, g, b), MakeColor(l, l, l));
        EXPECT_EQ(r, l);
        EXPECT_EQ(g, l);
        EXPECT_EQ(b, l);
    }
    // The softened red of the themed marquee bar.
    int r = 0, g = 0, b = 0;
    EXPECT_EQ(HSLToColor(0, 90, 140, r, g, b), MakeColor(181, 99, 99));
    // Blue's integer HSL (169, 255, 128) does not quite lead back to pure blue.
    EXPECT_EQ(HSLToColor(169, 255, 128), MakeColor(1, 3, 255));
    EXPECT_EQ(HueToChannel(0.0, 1.0, -0.9), 153); // wraps to 0.1: 0.6 of the way up
    EXPECT_EQ(HueToChannel(0.0, 1.0, 1.4), 255);  // wraps to 0.4: the plateau
    EXPECT_EQ(HueToChannel(0.2, 1.0, 0.9), 51);   // past 2/3: m1
}

TEST(XGraphUtils, RealScaleRoundTripRecoversEveryChannel)
{
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 51) {
                const TColor color = MakeColor(r, g, b);
                double h = 0, s = 0, l = 0;
                RGBToHSL(color, h, s, l);
                ASSERT_EQ(HSLToRGB(h, s, l), color) << r << "," << g << "," << b;
            }
}

TEST(XGraphUtils, GradientOfTenPixelsWith255ColoursMakesOnePixelBands)
{
    const Rect rect{1, 2, 5, 12};
    const TColor begin = MakeColor(0, 200, 10);
    const TColor end = MakeColor(90, 20, 10);
    const QImage image = gradient(7, 14, rect, begin, end, gdTopToBottom, 255);
    expectUntouchedOutside(image, rect);
    for (int i = 0; i < 10; ++i)
        for (int x = rect.left; x < rect.right; ++x)
            ASSERT_EQ(pixel(image, x, rect.top + i), MakeColor(10 * i, 200 - 20 * i, 10)) << i;

    // Bottom to top: the same bands upside down.
    const QImage reversed = gradient(7, 14, rect, begin, end, gdBottomToTop, 255);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(pixel(reversed, 2, rect.bottom - 1 - i), MakeColor(10 * i, 200 - 20 * i, 10));
}

TEST(XGraphUtils, GradientRemainderTakesTheColourOfItsEnd)
{
    const Rect rect{0, 0, 3, 10};
    const TColor begin = MakeColor(0, 0, 0);
    const TColor end = MakeColor(90, 30, 255);
    const QImage down = gradient(3, 10, rect, begin, end, gdTopToBottom, 4);
    const std::vector<TColor> bands{begin, MakeColor(30, 10, 85), MakeColor(60, 20, 170), end};
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(pixel(down, 1, y), bands[static_cast<std::size_t>(y / 2)]) << y;
    EXPECT_EQ(pixel(down, 0, 8), end);
    EXPECT_EQ(pixel(down, 2, 9), end);

    // Bottom to top: the bands run from the end colour, the leftover pixels take the begin one.
    const QImage up = gradient(3, 10, rect, begin, end, gdBottomToTop, 4);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(pixel(up, 1, y), bands[static_cast<std::size_t>(3 - y / 2)]) << y;
    EXPECT_EQ(pixel(up, 1, 8), begin);
    EXPECT_EQ(pixel(up, 1, 9), begin);
}

TEST(XGraphUtils, HorizontalGradientsAndMulDivHalves)
{
    const Rect rect{2, 1, 8, 3}; // 6 wide: 3 bands of 2 pixels
    const TColor begin = MakeColor(0, 0, 5);
    const TColor end = MakeColor(255, 5, 0);
    const QImage right = gradient(10, 4, rect, begin, end, gdLeftToRight, 3);
    expectUntouchedOutside(right, rect);
    // Middle band: 0 + 127.5 -> 128, 0 + 2.5 -> 3, 5 - 2.5 -> 2 (halves away from zero).
    const std::vector<TColor> bands{begin, MakeColor(128, 3, 2), end};
    for (int x = 0; x < 6; ++x)
        for (int y = rect.top; y < rect.bottom; ++y)
            EXPECT_EQ(pixel(right, rect.left + x, y), bands[static_cast<std::size_t>(x / 2)]);

    const QImage left = gradient(10, 4, rect, begin, end, gdRightToLeft, 3);
    // From the end colour at the left: 255 - 127.5 -> 127, 5 - 2.5 -> 2, 0 + 2.5 -> 3.
    EXPECT_EQ(pixel(left, 2, 1), end);
    EXPECT_EQ(pixel(left, 4, 2), MakeColor(127, 2, 3));
    EXPECT_EQ(pixel(left, 7, 1), begin);
}

TEST(XGraphUtils, OnePixelGradientAndSmallColourCounts)
{
    const TColor begin = MakeColor(10, 20, 30);
    const TColor end = MakeColor(200, 210, 220);
    const Rect row{0, 1, 4, 2};
    const QImage down = gradient(4, 3, row, begin, end, gdTopToBottom, 255);
    expectUntouchedOutside(down, row);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(pixel(down, x, 1), end);
    const QImage up = gradient(4, 3, row, begin, end, gdBottomToTop, 255);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(pixel(up, x, 1), begin);

    const Rect rect{1, 1, 5, 9};
    for (int colours : {0, 1}) {
        for (int direction : {gdTopToBottom, gdBottomToTop, gdLeftToRight, gdRightToLeft}) {
            const QImage flat = gradient(6, 10, rect, begin, end, direction, colours);
            expectUntouchedOutside(flat, rect);
            for (int y = rect.top; y < rect.bottom; ++y)
                for (int x = rect.left; x < rect.right; ++x)
                    ASSERT_EQ(pixel(flat, x, y), begin) << colours << " " << direction;
        }
    }
}

TEST(XGraphUtils, EmptyRectangleDrawsNothingAndThePainterKeepsItsBrush)
{
    QImage image = canvasImage(5, 5);
    QPainter canvas(&image);
    canvas.setBrush(QBrush(Qt::green, Qt::Dense4Pattern));
    canvas.setPen(QPen(Qt::red, 3, Qt::DashLine));
    GradientFillRect(canvas, Rect{2, 2, 2, 5}, 0, clWhite, gdTopToBottom, 255);
    GradientFillRect(canvas, Rect{1, 3, 4, 3}, 0, clWhite, gdLeftToRight, 255);
    GradientFillRect(canvas, Rect{4, 4, 1, 5}, 0, clWhite, gdTopToBottom, 0);
    GradientFillRect(canvas, Rect{0, 0, 5, 5}, 0, clWhite, gdTopToBottom, 5);
    EXPECT_EQ(canvas.brush().color(), QColor(Qt::green));
    EXPECT_EQ(canvas.brush().style(), Qt::Dense4Pattern);
    EXPECT_EQ(canvas.pen().style(), Qt::SolidLine);
    EXPECT_EQ(canvas.pen().color(), QColor(Qt::red));
    canvas.end();
    EXPECT_EQ(pixel(image, 0, 0), 0);
    EXPECT_EQ(pixel(image, 4, 4), clWhite);

    const QImage untouched = gradient(5, 5, Rect{2, 2, 2, 5}, 0, clWhite, gdTopToBottom, 255);
    expectUntouchedOutside(untouched, Rect{});
}

#ifdef _WIN32
// On Windows a system colour reference is resolved by the system, whatever Qt's palette says.
TEST(XGraphUtils, SystemColoursAreWindowsOwn)
{
    for (int index : {COLOR_BTNFACE, COLOR_ACTIVECAPTION, COLOR_WINDOW, COLOR_HIGHLIGHT, 27}) {
        const TColor expected = static_cast<TColor>(GetSysColor(index) & 0xFFFFFF);
        EXPECT_EQ(systemColor(index), expected) << index;
        EXPECT_EQ(resolveColor(static_cast<TColor>(0xFF000000u | unsigned(index))), expected)
            << index;
    }
    EXPECT_EQ(systemColor(31), 0);
    const QImage image = gradient(1, 3, Rect{0, 0, 1, 3}, clBtnFace, 0, gdTopToBottom, 3);
    EXPECT_EQ(pixel(image, 0, 0), static_cast<TColor>(GetSysColor(COLOR_BTNFACE) & 0xFFFFFF));
    EXPECT_EQ(pixel(image, 0, 2), 0);
}
#endif

TEST(XGraphUtils, GradientResolvesSystemColours)
{
    HX_SKIP_ON_WINDOWS("system colours are the system's own there (SystemColoursAreWindowsOwn)");
    PaletteGuard guard;
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Active, QPalette::Button, QColor(100, 50, 0));
    QGuiApplication::setPalette(palette);
    const QImage image = gradient(1, 3, Rect{0, 0, 1, 3}, clBtnFace, 0, gdTopToBottom, 3);
    EXPECT_EQ(pixel(image, 0, 0), MakeColor(100, 50, 0));
    EXPECT_EQ(pixel(image, 0, 1), MakeColor(50, 25, 0));
    EXPECT_EQ(pixel(image, 0, 2), 0);
}

} // namespace
} // namespace hx
