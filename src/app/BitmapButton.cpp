#include "app/BitmapButton.h"

#include <QPainter>

#include <algorithm>

namespace hx::app {

BitmapButton::BitmapButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void BitmapButton::setGlyph(const QImage& picture, int faceCount)
{
    picture_ = picture;
    faces_ = faceCount < 1 ? 1 : faceCount;
    update();
}

int BitmapButton::currentFace() const
{
    if (faces_ < 3)
        return 0;
    if (!isEnabled())
        return 1;
    return isDown() ? 2 : 0;
}

QSize BitmapButton::sizeHint() const
{
    return picture_.isNull() ? QSize(24, 24) : QSize(picture_.width() / faces_, picture_.height());
}

void BitmapButton::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    const int faceWidth = picture_.width() / faces_;
    const QRect source(currentFace() * faceWidth, 0, faceWidth, picture_.height());
    // Centred like a glyph on a button; a face larger than the button loses its outer pixels.
    QPoint at((width() - faceWidth) / 2, (height() - picture_.height()) / 2);
    if (faces_ < 3 && isDown())
        at += QPoint(1, 1);
    p.drawImage(at, picture_, source);
    if (faces_ < 3 && !isEnabled())
        p.fillRect(rect(), QColor(255, 255, 255, 110));
    // Focus arrives by the keyboard only: a dotted frame inside the face shows where it is.
    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 220), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        const int inset = std::min(width(), height()) >= 40 ? 5 : 3;
        p.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
    }
}

} // namespace hx::app
