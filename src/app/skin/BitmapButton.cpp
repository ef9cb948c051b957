#include "app/skin/BitmapButton.h"

#include <QKeyEvent>
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

void BitmapButton::setMarked(bool marked)
{
    if (marked_ == marked)
        return;
    marked_ = marked;
    update();
}

namespace {
bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}
} // namespace

void BitmapButton::keyPressEvent(QKeyEvent* event)
{
    if (!isEnter(event))
        return QAbstractButton::keyPressEvent(event);
    if (!event->isAutoRepeat())
        setDown(true);
    event->accept();
}

void BitmapButton::keyReleaseEvent(QKeyEvent* event)
{
    if (!isEnter(event))
        return QAbstractButton::keyReleaseEvent(event);
    event->accept();
    if (event->isAutoRepeat() || !isDown())
        return;
    setDown(false);
    click();
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
    const bool pressedLook = faces_ < 3 && (isDown() || marked_);
    if (pressedLook)
        at += QPoint(1, 1);
    p.drawImage(at, picture_, source);
    if (marked_) {
        // Sunk a little: a faint shade over the face, deeper along the top and left edges.
        p.fillRect(rect(), QColor(0, 0, 0, 22));
        p.setPen(QColor(0, 0, 0, 70));
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 1, 0, height() - 1);
    }
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
