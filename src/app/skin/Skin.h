#pragma once
// The window's two colours and its fonts. The window was designed around "Bookman Old Style"
// and "MS Sans Serif"; where they are missing, metric-compatible faces stand in.

#include <QColor>
#include <QFont>
#include <QString>

namespace hx::app {

// Window-system colour values (blue in the high byte) and their RGB.
inline constexpr unsigned kLightColorRef = 15655890; // 210, 227, 238
inline constexpr unsigned kDarkColorRef = 9728318;   // 62, 113, 148

inline QColor lightColor()
{
    return QColor(210, 227, 238);
}
inline QColor darkColor()
{
    return QColor(62, 113, 148);
}

// A window-system colour value (0x00BBGGRR) as a QColor.
inline QColor fromColorRef(unsigned ref)
{
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

inline constexpr const char* kBookman = "Bookman Old Style";
inline constexpr const char* kSansSerif = "MS Sans Serif";

// Registers the stand-ins for the two design faces (idempotent).
void installFontSubstitutes();

// "Bookman Old Style" at a pixel height.
QFont bookmanFont(int pixelSize, bool bold);
// "MS Sans Serif" at 11 pixels, the face of every other text.
QFont sansFont(int pixelSize = 11);

// Style sheets of the skinned controls.
QString comboBoxStyle();
QString pathBoxStyle();
// The filter field over a list: the path box's look, its border doubled while it has the focus.
QString filterBoxStyle();
QString checkBoxStyle();

} // namespace hx::app
