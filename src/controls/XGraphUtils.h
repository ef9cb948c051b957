#pragma once
// Colour and drawing routines of the display controls: reading and building colour values,
// darker and lighter shades, hue/saturation/lightness conversions and banded gradient fills.
//
// A TColor holds red in bits 0-7, green in 8-15 and blue in 16-23. A negative value (high byte
// FF) names a system colour by the index in its low 24 bits (the Windows COLOR_* numbering);
// the routines that read channels resolve it to the colour the platform uses right now.

#include <QColor>

#include <cstdint>

class QPainter;

namespace hx {

using TColor = std::int32_t;

// System colour references.
inline constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000Fu);
inline constexpr TColor clActiveCaption = static_cast<TColor>(0xFF000002u);
// "Use the default colour": not a system colour reference. Drawn, it resolves through its low
// 24 bits like any plain colour value, that is to black (0, 0, 0).
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clWhite = 0xFFFFFF;

// The integer HSL scale: hue 0..HSLRange-1, saturation and lightness 0..HSLRange.
inline constexpr int HSLRange = 255;

// A rectangle whose right and bottom edges are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The current value (0x00BBGGRR) of the system colour with the given index (0..30, the
// Windows COLOR_SCROLLBAR .. COLOR_MENUBAR numbering). On Windows this is GetSysColor; elsewhere
// the index is mapped to the application palette's role for the same purpose where Qt has one,
// and to the classic Windows value where it has none. Unknown indices give 0 (black).
TColor systemColor(int index);

// Resolves a system colour reference to its current plain value; other values are returned as
// they are.
TColor resolveColor(TColor color);

// Conversions to and from Qt's colour type (system colours resolved; alpha is opaque).
QColor toQColor(TColor color);
TColor fromQColor(const QColor& color);

int RedOf(TColor color);
int GreenOf(TColor color);
int BlueOf(TColor color);

// red | green << 8 | blue << 16, cut to 24 bits; channels are expected in 0..255.
TColor MakeColor(int red, int green, int blue);

// Each channel minus `amount`, not below 0.
TColor DarkerColor(TColor color, int amount);
// Each channel plus `amount`, not above 255.
TColor LighterColor(TColor color, int amount);

int RectHeight(const Rect& rect);
int RectWidth(const Rect& rect);
int IntMax(int a, int b);
int IntMin(int a, int b);
double FloatMax(double a, double b);
double FloatMin(double a, double b);

// number * numerator / denominator with a 64-bit intermediate, rounded to the nearest integer
// with halves away from zero (as the Windows MulDiv). A zero denominator or a result outside
// the 32-bit range gives -1, again as the Windows MulDiv.
int MulDiv(int number, int numerator, int denominator);

// Hue, saturation and lightness, each 0..1.
void RGBToHSL(TColor color, double& hue, double& saturation, double& lightness);
// The same on the integer scale (hue 0..254, saturation and lightness 0..255), rounded to
// nearest with halves to even.
void ColorToHSL(TColor color, int& hue, int& saturation, int& lightness);

// One channel (0..255) of the HSL-to-RGB conversion.
int HueToChannel(double m1, double m2, double hue);
// Converts real-scale HSL to channels and returns the colour.
TColor HSLToRGB(double hue, double saturation, double lightness, int& red, int& green, int& blue);
TColor HSLToRGB(double hue, double saturation, double lightness);
// Converts integer-scale HSL to a colour, handing back the channels too.
TColor HSLToColor(int hue, int saturation, int lightness, int& red, int& green, int& blue);
TColor HSLToColor(int hue, int saturation, int lightness);

// Directions of GradientFillRect.
inline constexpr int gdTopToBottom = 0; // begin colour at the top
inline constexpr int gdBottomToTop = 1; // begin colour at the bottom
inline constexpr int gdLeftToRight = 2; // begin colour at the left
inline constexpr int gdRightToLeft = 3; // begin colour at the right

// Fills `rect` with up to `colourCount` bands running from `begin` to `end` in `direction`.
// Bands are extent / count pixels deep; pixels left over at the far end take the colour of that
// end. Each band is filled with a colour of its own; the painter's brush is left as it was and
// its pen is set to a solid style.
void GradientFillRect(QPainter& canvas, const Rect& rect, TColor begin, TColor end, int direction,
                      int colourCount);

} // namespace hx
