#include "controls/SystemLook.h"
#include "controls/XGraphUtils.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QStyle>

#include <array>

namespace hx {

namespace {

// How a system-colour index is answered away from Windows: the palette role that serves the
// same purpose in Qt (role < 0: none), and the classic Windows value used when there is no such
// role or no application (and so no palette) yet.
struct SystemColorEntry {
    int role;
    QPalette::ColorGroup group;
    TColor classic;
};

constexpr int kNoRole = -1;
constexpr QPalette::ColorGroup kActive = QPalette::Active;

// Indexed by the Windows COLOR_* number; classic values are 0x00BBGGRR.
constexpr std::array<SystemColorEntry, 31> kSystemColors{{
    {kNoRole, kActive, 0xC8D0D4},                   // 0 COLOR_SCROLLBAR
    {kNoRole, kActive, 0xA56E3A},                   // 1 COLOR_BACKGROUND (desktop)
    {QPalette::Highlight, kActive, 0x6A240A},       // 2 COLOR_ACTIVECAPTION
    {kNoRole, kActive, 0x808080},                   // 3 COLOR_INACTIVECAPTION
    {QPalette::Window, kActive, 0xC8D0D4},          // 4 COLOR_MENU
    {QPalette::Base, kActive, 0xFFFFFF},            // 5 COLOR_WINDOW
    {kNoRole, kActive, 0x000000},                   // 6 COLOR_WINDOWFRAME
    {QPalette::WindowText, kActive, 0x000000},      // 7 COLOR_MENUTEXT
    {QPalette::Text, kActive, 0x000000},            // 8 COLOR_WINDOWTEXT
    {QPalette::HighlightedText, kActive, 0xFFFFFF}, // 9 COLOR_CAPTIONTEXT
    {QPalette::Window, kActive, 0xC8D0D4},          // 10 COLOR_ACTIVEBORDER
    {QPalette::Window, kActive, 0xC8D0D4},          // 11 COLOR_INACTIVEBORDER
    {QPalette::Dark, kActive, 0x808080},            // 12 COLOR_APPWORKSPACE
    {QPalette::Highlight, kActive, 0x6A240A},       // 13 COLOR_HIGHLIGHT
    {QPalette::HighlightedText, kActive, 0xFFFFFF}, // 14 COLOR_HIGHLIGHTTEXT
    {QPalette::Button, kActive, 0xC8D0D4},          // 15 COLOR_BTNFACE
    {QPalette::Dark, kActive, 0x808080},            // 16 COLOR_BTNSHADOW
    {QPalette::Text, QPalette::Disabled, 0x808080}, // 17 COLOR_GRAYTEXT
    {QPalette::ButtonText, kActive, 0x000000},      // 18 COLOR_BTNTEXT
    {kNoRole, kActive, 0xC8D0D4},                   // 19 COLOR_INACTIVECAPTIONTEXT
    {QPalette::Light, kActive, 0xFFFFFF},           // 20 COLOR_BTNHIGHLIGHT
    {QPalette::Shadow, kActive, 0x404040},          // 21 COLOR_3DDKSHADOW
    {QPalette::Midlight, kActive, 0xC8D0D4},        // 22 COLOR_3DLIGHT
    {QPalette::ToolTipText, kActive, 0x000000},     // 23 COLOR_INFOTEXT
    {QPalette::ToolTipBase, kActive, 0xE1FFFF},     // 24 COLOR_INFOBK
    {kNoRole, kActive, 0x000000},                   // 25 (no system colour)
    {QPalette::Link, kActive, 0x800000},            // 26 COLOR_HOTLIGHT
    {kNoRole, kActive, 0xF0CAA6},                   // 27 COLOR_GRADIENTACTIVECAPTION
    {kNoRole, kActive, 0xC0C0C0},                   // 28 COLOR_GRADIENTINACTIVECAPTION
    {QPalette::Highlight, kActive, 0x6A240A},       // 29 COLOR_MENUHILIGHT
    {QPalette::Window, kActive, 0xC8D0D4},          // 30 COLOR_MENUBAR
}};

} // namespace

TColor systemColor(int index)
{
    if (index < 0 || index >= static_cast<int>(kSystemColors.size()))
        return 0;
    const SystemColorEntry& entry = kSystemColors[static_cast<std::size_t>(index)];
    if (entry.role == kNoRole || QGuiApplication::instance() == nullptr)
        return entry.classic;
    return fromQColor(QGuiApplication::palette().color(
        entry.group, static_cast<QPalette::ColorRole>(entry.role)));
}

bool visualStylesActive()
{
    // Away from Windows there are no visual styles to ask. Qt's "windows" style is the classic
    // Windows look; every other style (Fusion, the desktop's own) draws modern, themed controls,
    // so the bar follows the style the application uses.
    const QStyle* style = QApplication::style();
    if (style == nullptr)
        return false;
    return style->name().compare(QStringLiteral("windows"), Qt::CaseInsensitive) != 0;
}

} // namespace hx
