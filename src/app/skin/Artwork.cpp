#include "app/skin/Artwork.h"

#include "app/skin/Skin.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace hx::app::artwork {

namespace {

constexpr int kFaces = 3; // normal, disabled, pressed
enum class State { Normal, Disabled, Pressed };

QImage blank(int w, int h, const QColor& fill = Qt::transparent)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

// An airliner seen from above, nose up, in a 100 x 100 box.
QPainterPath aircraftShape()
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    p.addRoundedRect(QRectF(45.5, 0, 9, 97), 4.5, 4.5);
    const auto wing = [&](double s) {
        QPolygonF w;
        w << QPointF(50 + s * 3, 36) << QPointF(50 + s * 47, 63) << QPointF(50 + s * 47, 68)
          << QPointF(50 + s * 3, 55);
        p.addPolygon(w);
        p.addRoundedRect(QRectF(50 + s * 21 - 2.5, 47, 5, 11), 2, 2); // engine
        QPolygonF t;
        t << QPointF(50 + s * 2, 82) << QPointF(50 + s * 19, 93) << QPointF(50 + s * 19, 97)
          << QPointF(50 + s * 2, 92);
        p.addPolygon(t);
    };
    wing(-1);
    wing(1);
    return p.simplified();
}

void drawAircraft(QPainter& p, const QPointF& centre, double size, double angle,
                  const QBrush& brush)
{
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.scale(size / 100.0, size / 100.0);
    p.translate(-50, -50);
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawPath(aircraftShape());
    p.restore();
}

// The header's sky: deep blue on the left into the window's dark colour and a lighter blue on
// the right, with a soft gloss on the upper half.
void drawHeaderBackground(QPainter& p)
{
    const QRectF r(0, 0, 700, 120);
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0.0, QColor(22, 48, 70));
    g.setColorAt(0.55, darkColor());
    g.setColorAt(1.0, QColor(104, 152, 186));
    p.fillRect(r, g);
    QLinearGradient gloss(0, 0, 0, 120);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 46));
    gloss.setColorAt(0.5, QColor(255, 255, 255, 8));
    gloss.setColorAt(1.0, QColor(0, 0, 0, 40));
    p.fillRect(r, gloss);

    // Speed lines behind the aircraft.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 7; ++i) {
        QPen pen(QColor(255, 255, 255, 18 + i * 4), 1.0 + (i % 3));
        p.setPen(pen);
        const double y = 30 + i * 11;
        p.drawLine(QPointF(330 + i * 18, y + 40), QPointF(700, y - 40));
    }
    p.restore();
}

void drawHeaderContent(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Aircraft climbing out to the right, with a faint echo behind it.
    drawAircraft(p, QPointF(590, 70), 150, 62, QColor(255, 255, 255, 38));
    drawAircraft(p, QPointF(602, 64), 118, 62, QColor(255, 255, 255, 70));

    // The maker's mark: a light disc ringed in white with "KZQ" and a swoosh.
    const QPointF c(60, 50);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(c + QPointF(1.5, 2.5), 37, 37);
    QRadialGradient disc(c + QPointF(-12, -14), 60);
    disc.setColorAt(0.0, Qt::white);
    disc.setColorAt(1.0, lightColor());
    p.setBrush(disc);
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(c, 36, 36);
    p.setPen(QPen(darkColor(), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 31, 31);
    QPainterPath swoosh;
    swoosh.moveTo(c + QPointF(-28, 14));
    swoosh.cubicTo(c + QPointF(-8, 30), c + QPointF(18, 22), c + QPointF(30, -4));
    swoosh.cubicTo(c + QPointF(14, 16), c + QPointF(-8, 22), c + QPointF(-28, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(darkColor());
    p.drawPath(swoosh);
    QFont mark = bookmanFont(24, true);
    mark.setItalic(true);
    mark.setLetterSpacing(QFont::AbsoluteSpacing, -1);
    p.setFont(mark);
    p.setPen(QColor(30, 62, 86));
    p.drawText(QRectF(c.x() - 34, c.y() - 26, 68, 36), Qt::AlignCenter, "KZQ");

    // The tool's name and what it is for.
    QFont title = bookmanFont(46, true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPointF(120 + 2, 64 + 2), "Hangarix");
    p.setPen(Qt::white);
    p.drawText(QPointF(120, 64), "Hangarix");
    p.setFont(sansFont(13));
    p.setPen(lightColor());
    p.drawText(QPointF(124, 86), "Livery manager for FS9 and FSX add-ons");

    // A thin light rule closes the header above the tabs.
    p.fillRect(QRectF(0, 118, 700, 2), lightColor());
}

struct FaceColors {
    QColor top, bottom, border, text;
};

FaceColors faceColors(State s)
{
    switch (s) {
    case State::Disabled:
        return {QColor(222, 229, 234), QColor(188, 200, 209), QColor(160, 174, 185),
                QColor(146, 160, 171)};
    case State::Pressed:
        return {QColor(38, 74, 100), QColor(66, 118, 154), QColor(24, 50, 70), lightColor()};
    default:
        return {QColor(98, 152, 190), QColor(44, 86, 116), QColor(28, 58, 80), Qt::white};
    }
}

// A rounded, glossy face; returns the rectangle its content is centred in.
QRectF drawFace(QPainter& p, const QRectF& r, State s, double radius)
{
    const FaceColors fc = faceColors(s);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0.0, fc.top);
    g.setColorAt(1.0, fc.bottom);
    p.setPen(QPen(fc.border, 1));
    p.setBrush(g);
    p.drawRoundedRect(body, radius, radius);
    if (s != State::Pressed) {
        QLinearGradient gloss(body.topLeft(), QPointF(body.left(), body.center().y()));
        gloss.setColorAt(0.0, QColor(255, 255, 255, s == State::Disabled ? 90 : 70));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(body.adjusted(1, 1, -1, -body.height() / 2), radius - 1, radius - 1);
    }
    return s == State::Pressed ? r.translated(1, 1) : r;
}

template <typename Content> QImage threeFaces(int faceW, int faceH, double radius, Content content)
{
    QImage img = blank(faceW * kFaces, faceH);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    const State states[kFaces] = {State::Normal, State::Disabled, State::Pressed};
    for (int i = 0; i < kFaces; ++i) {
        const QRectF r(i * faceW, 0, faceW - 1, faceH - 1);
        const QRectF inner = drawFace(p, r, states[i], radius);
        content(p, inner, faceColors(states[i]));
    }
    return img;
}

} // namespace

QImage header()
{
    QImage img = blank(700, 120);
    QPainter p(&img);
    drawHeaderBackground(p);
    drawHeaderContent(p);
    return img;
}

QImage makerName()
{
    // Drawn over the header at 62, 99: it carries the header's sky beneath its letters.
    QImage img = blank(239, 18);
    QPainter p(&img);
    p.translate(-62, -99);
    drawHeaderBackground(p);
    p.resetTransform();
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f = bookmanFont(12, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    f.setCapitalization(QFont::AllUppercase);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 239, 18), Qt::AlignCenter, kMakerName);
    return img;
}

QImage actionButton(const QString& text)
{
    return threeFaces(146, 51, 7, [&](QPainter& p, const QRectF& r, const FaceColors& fc) {
        QFont f = bookmanFont(22, true);
        f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
        p.setFont(f);
        if (fc.text == Qt::white) {
            p.setPen(QColor(0, 0, 0, 90));
            p.drawText(r.translated(1, 1), Qt::AlignCenter, text);
        }
        p.setPen(fc.text);
        p.drawText(r, Qt::AlignCenter, text);
    });
}

QImage cornerButton(Glyph glyph)
{
    return threeFaces(28, 27, 5, [&](QPainter& p, const QRectF& r, const FaceColors& fc) {
        const QPointF c = r.center();
        if (glyph == Glyph::Close) {
            p.setPen(QPen(fc.text, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(c + QPointF(-5, -5), c + QPointF(5, 5));
            p.drawLine(c + QPointF(-5, 5), c + QPointF(5, -5));
        } else {
            p.setFont(bookmanFont(18, true));
            p.setPen(fc.text);
            p.drawText(r.translated(0, 1), Qt::AlignCenter, "?");
        }
    });
}

QImage browseButton()
{
    return threeFaces(31, 30, 5, [&](QPainter& p, const QRectF& r, const FaceColors& fc) {
        p.setPen(Qt::NoPen);
        p.setBrush(fc.text);
        for (int i = -1; i <= 1; ++i)
            p.drawEllipse(r.center() + QPointF(i * 7, 2), 2.2, 2.2);
    });
}

QImage tabButton(const QString& text)
{
    QImage img = blank(165, 21);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The visible tab fills the middle 161 x 18 that the button shows; its top corners round
    // off like a folder tab.
    const QRectF r(2.5, 1.5, 160, 19);
    QPainterPath tab;
    tab.moveTo(r.bottomLeft());
    tab.lineTo(r.left(), r.top() + 5);
    tab.quadTo(r.topLeft(), r.topLeft() + QPointF(5, 0));
    tab.lineTo(r.right() - 5, r.top());
    tab.quadTo(r.topRight(), r.topRight() + QPointF(0, 5));
    tab.lineTo(r.bottomRight());
    tab.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(96, 148, 184));
    g.setColorAt(1.0, darkColor());
    p.setPen(QPen(QColor(36, 70, 96), 1));
    p.setBrush(g);
    p.drawPath(tab);
    QFont f = bookmanFont(12, true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r.adjusted(0, 0, 0, -1), Qt::AlignCenter, text);
    return img;
}

QImage appIcon()
{
    // Shapes only, no text: the Windows build draws this icon at build time, where no font
    // system is set up.
    QImage img = blank(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 32);
    g.setColorAt(0.0, QColor(98, 152, 190));
    g.setColorAt(1.0, QColor(30, 64, 90));
    p.setPen(QPen(QColor(22, 48, 70), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
    drawAircraft(p, QPointF(16, 16), 26, 45, QColor(255, 255, 255, 70));
    // A bold serif "H": two stems with small serifs and a bar, on whole pixels so it stays sharp.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int x : {8, 19}) {
        p.drawRect(x + 1, 8, 4, 16); // stem
        p.drawRect(x - 1, 7, 8, 2);  // top serif
        p.drawRect(x - 1, 23, 8, 2); // foot serif
    }
    p.drawRect(13, 14, 6, 3); // bar
    return img;
}

QByteArray iconFile(const QImage& picture)
{
    // One image: the directory, then a bitmap header of twice the height (colour rows, then the
    // mask rows), 24-bit colour rows bottom-up in B, G, R order, and a 1-bit mask in which a set
    // bit lets the background through. Rows are padded to four bytes.
    const QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width();
    const int h = img.height();
    const int colourRow = (w * 3 + 3) / 4 * 4;
    const int maskRow = ((w + 31) / 32) * 4;
    const quint32 bitmapSize = 40 + quint32(colourRow * h + maskRow * h);
    QByteArray out;
    const auto u8 = [&](int v) { out.append(char(v & 0xFF)); };
    const auto u16 = [&](quint32 v) {
        u8(int(v));
        u8(int(v >> 8));
    };
    const auto u32 = [&](quint32 v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    u16(0); // reserved
    u16(1); // icon
    u16(1); // one image
    u8(w >= 256 ? 0 : w);
    u8(h >= 256 ? 0 : h);
    u8(0);   // no palette
    u8(0);   // reserved
    u16(1);  // planes
    u16(24); // bits per pixel
    u32(bitmapSize);
    u32(6 + 16); // offset of the bitmap
    u32(40);
    u32(quint32(w));
    u32(quint32(h * 2));
    u16(1);
    u16(24);
    u32(0); // uncompressed
    u32(quint32(colourRow * h + maskRow * h));
    u32(0);
    u32(0);
    u32(0);
    u32(0);
    // Half-covered edge pixels are kept opaque with their own colour; the rest is masked out.
    const auto opaque = [&](int x, int y) { return qAlpha(img.pixel(x, y)) >= 128; };
    for (int y = h - 1; y >= 0; --y) {
        int written = 0;
        for (int x = 0; x < w; ++x, written += 3) {
            const QRgb c = opaque(x, y) ? img.pixel(x, y) : 0;
            u8(qBlue(c));
            u8(qGreen(c));
            u8(qRed(c));
        }
        for (; written < colourRow; ++written)
            u8(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < w; ++x)
            if (!opaque(x, y))
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

QImage fallbackThumbnail()
{
    QImage img = blank(256, 128, lightColor());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient g(0, 0, 0, 128);
    g.setColorAt(0.0, QColor(240, 246, 250));
    g.setColorAt(1.0, lightColor());
    p.fillRect(img.rect(), g);
    QPen frame(darkColor(), 1, Qt::DashLine);
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.5, 6.5, 243, 115), 6, 6);
    drawAircraft(p, QPointF(128, 52), 70, 45, QColor(62, 113, 148, 90));
    p.setFont(bookmanFont(18, true));
    p.setPen(darkColor());
    p.drawText(QRectF(0, 86, 256, 26), Qt::AlignCenter, "No picture");
    return img;
}

QByteArray fallbackThumbnailJpeg()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    fallbackThumbnail().convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", 92);
    return bytes;
}

} // namespace hx::app::artwork
