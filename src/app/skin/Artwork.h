#pragma once
// Every picture of the window, drawn by code so that it can be changed like any source: the
// header, the maker's name, the button faces, the application icon and the fallback picture
// shown for packages and catalogue entries without a picture of their own.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace hx::app::artwork {

inline constexpr const char* kMakerName = "KZQ Aircraft Design";

// 700 x 120: the maker's "KZQ" mark and the tool's name on the window's dark blue.
QImage header();
// 239 x 18: the maker's name, on the part of the header it is laid over.
QImage makerName();

// Faces of a bitmap button, side by side.
enum class Glyph { Help, Close, Browse };
// 438 x 51: three faces of 146 x 51 (normal, disabled, pressed) reading `text`.
QImage actionButton(const QString& text);
// 84 x 27: three faces of 28 x 27 with a question mark or a cross.
QImage cornerButton(Glyph glyph);
// 93 x 30: three faces of 31 x 30 with three dots.
QImage browseButton();
// 165 x 21: one face, a tab reading `text`.
QImage tabButton(const QString& text);

// 32 x 32 application icon, drawn without fonts so that it needs no application object.
QImage appIcon();
// An icon file (.ico) holding `picture` as one 24-bit image with a transparency mask; pixels
// less than half covered are transparent.
QByteArray iconFile(const QImage& picture);

// 256 x 128 "No picture" picture, and the same as the JPEG file "thumbnail.jpg" holds.
QImage fallbackThumbnail();
QByteArray fallbackThumbnailJpeg();

} // namespace hx::app::artwork
