#include "controls/XGraphUtils.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QRect>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace hx {

namespace {

// Round to nearest, halves to even: the default rounding mode of the floating-point unit.
int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

int channel(TColor color, int shift)
{
    return (resolveColor(color) >> shift) & 0xFF;
}

void fillSolid(QPainter& canvas, int left, int top, int width, int height, TColor color)
{
    canvas.fillRect(QRect(left, top, width, height), QBrush(toQColor(color), Qt::SolidPattern));
}

} // namespace

QColor toQColor(TColor color)
{
    const TColor plain = resolveColor(color);
    return QColor(plain & 0xFF, (plain >> 8) & 0xFF, (plain >> 16) & 0xFF);
}

TColor fromQColor(const QColor& color)
{
    return MakeColor(color.red(), color.green(), color.blue());
}

TColor resolveColor(TColor color)
{
    if (color < 0)
        return systemColor(color & 0xFFFFFF);
    return color;
}

int RedOf(TColor color)
{
    return channel(color, 0);
}

int GreenOf(TColor color)
{
    return channel(color, 8);
}

int BlueOf(TColor color)
{
    return channel(color, 16);
}

TColor MakeColor(int red, int green, int blue)
{
    return (red | (green << 8) | (blue << 16)) & 0xFFFFFF;
}

TColor DarkerColor(TColor color, int amount)
{
    const TColor c = resolveColor(color);
    return MakeColor(IntMax(RedOf(c) - amount, 0), IntMax(GreenOf(c) - amount, 0),
                     IntMax(BlueOf(c) - amount, 0));
}

TColor LighterColor(TColor color, int amount)
{
    const TColor c = resolveColor(color);
    return MakeColor(IntMin(RedOf(c) + amount, 255), IntMin(GreenOf(c) + amount, 255),
                     IntMin(BlueOf(c) + amount, 255));
}

int RectHeight(const Rect& rect)
{
    return rect.bottom - rect.top;
}

int RectWidth(const Rect& rect)
{
    return rect.right - rect.left;
}

int IntMax(int a, int b)
{
    return a > b ? a : b;
}

int IntMin(int a, int b)
{
    return a < b ? a : b;
}

double FloatMax(double a, double b)
{
    return a > b ? a : b;
}

double FloatMin(double a, double b)
{
    return a < b ? a : b;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::uint64_t magnitude =
        product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor =
        denominator < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(denominator))
                        : static_cast<std::uint64_t>(denominator);
    // Halves away from zero: add half the divisor to the magnitude before dividing.
    const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        return -1;
    const auto result = static_cast<int>(quotient);
    return negative ? -result : result;
}

void RGBToHSL(TColor color, double& hue, double& saturation, double& lightness)
{
    const TColor c = resolveColor(color);
    const double r = RedOf(c) / 255.0;
    const double g = GreenOf(c) / 255.0;
    const double b = BlueOf(c) / 255.0;
    const double max = FloatMax(FloatMax(r, g), b);
    const double min = FloatMin(FloatMin(r, g), b);
    lightness = (max + min) / 2;
    if (max == min) {
        hue = 0;
        saturation = 0;
        return;
    }
    const double d = max - min;
    saturation = lightness < 0.5 ? d / (max + min) : d / (2 - max - min);
    if (r == max)
        hue = (g - b) / d;
    else if (g == max)
        hue = 2 + (b - r) / d;
    else
        hue = 4 + (r - g) / d;
    hue /= 6;
    if (hue < 0)
        hue += 1;
}

void ColorToHSL(TColor color, int& hue, int& saturation, int& lightness)
{
    double h = 0;
    double s = 0;
    double l = 0;
    RGBToHSL(color, h, s, l);
    hue = roundEven(h * (HSLRange - 1));
    saturation = roundEven(s * HSLRange);
    lightness = roundEven(l * HSLRange);
}

int HueToChannel(double m1, double m2, double hue)
{
    if (hue < 0)
        hue += 1;
    else if (hue > 1)
        hue -= 1;
    double v = 0;
    if (6 * hue < 1)
        v = m1 + (m2 - m1) * hue * 6;
    else if (2 * hue < 1)
        v = m2;
    else if (3 * hue < 2)
        v = m1 + (m2 - m1) * (2.0 / 3 - hue) * 6;
    else
        v = m1;
    return roundEven(v * 255);
}

TColor HSLToRGB(double hue, double saturation, double lightness, int& red, int& green, int& blue)
{
    if (saturation == 0) {
        red = green = blue = roundEven(lightness * 255);
    } else {
        const double m2 = lightness <= 0.5 ? lightness * (1 + saturation)
                                           : lightness + saturation - lightness * saturation;
        const double m1 = 2 * lightness - m2;
        red = HueToChannel(m1, m2, hue + 1.0 / 3);
        green = HueToChannel(m1, m2, hue);
        blue = HueToChannel(m1, m2, hue - 1.0 / 3);
    }
    return MakeColor(red, green, blue);
}

TColor HSLToRGB(double hue, double saturation, double lightness)
{
    int r = 0;
    int g = 0;
    int b = 0;
    return HSLToRGB(hue, saturation, lightness, r, g, b);
}

TColor HSLToColor(int hue, int saturation, int lightness, int& red, int& green, int& blue)
{
    return HSLToRGB(static_cast<double>(hue) / (HSLRange - 1),
                    static_cast<double>(saturation) / HSLRange,
                    static_cast<double>(lightness) / HSLRange, red, green, blue);
}

TColor HSLToColor(int hue, int saturation, int lightness)
{
    int r = 0;
    int g = 0;
    int b = 0;
    return HSLToColor(hue, saturation, lightness, r, g, b);
}

void GradientFillRect(QPainter& canvas, const Rect& rect, TColor begin, TColor end, int direction,
                      int colourCount)
{
    const int width = RectWidth(rect);
    const int height = RectHeight(rect);
    if (width <= 0 || height <= 0)
        return;
    if (colourCount < 2) {
        fillSolid(canvas, rect.left, rect.top, width, height, begin);
        return;
    }
    const TColor first = resolveColor(begin);
    const TColor last = resolveColor(end);
    // Directions 1 and 3 run from the end colour, so the begin colour lands at the bottom/right.
    const bool reversed = direction == gdBottomToTop || direction == gdRightToLeft;
    const bool horizontal = direction == gdLeftToRight || direction == gdRightToLeft;
    const TColor base = reversed ? last : first;
    const TColor other = reversed ? first : last;
    const int dr = RedOf(other) - RedOf(base);
    const int dg = GreenOf(other) - GreenOf(base);
    const int db = BlueOf(other) - BlueOf(base);

    const int extent = horizontal ? width : height;
    const int bands = IntMax(2, IntMin(colourCount, extent));
    const int bandSize = extent / bands;

    QPen pen = canvas.pen();
    pen.setStyle(Qt::SolidLine);
    canvas.setPen(pen);

    auto fillStrip = [&](int offset, int depth, TColor color) {
        if (horizontal)
            fillSolid(canvas, rect.left + offset, rect.top, depth, height, color);
        else
            fillSolid(canvas, rect.left, rect.top + offset, width, depth, color);
    };

    if (bandSize > 0) {
        for (int i = 0; i < bands; ++i) {
            const TColor color = MakeColor(RedOf(base) + MulDiv(i, dr, bands - 1),
                                           GreenOf(base) + MulDiv(i, dg, bands - 1),
                                           BlueOf(base) + MulDiv(i, db, bands - 1));
            fillStrip(i * bandSize, bandSize, color);
        }
    }
    const int remainder = extent % bands;
    if (remainder > 0)
        fillStrip(extent - remainder, remainder, reversed ? first : last);
}

} // namespace hx
