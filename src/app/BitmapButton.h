#pragma once
// A button whose picture is its whole face. The picture holds one face, or three side by side:
// normal, disabled, pressed. A one-face picture is drawn one pixel lower while pressed.

#include <QAbstractButton>
#include <QImage>

namespace hx::app {

class BitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit BitmapButton(QWidget* parent = nullptr);

    void setGlyph(const QImage& picture, int faceCount);
    const QImage& glyph() const { return picture_; }
    int faceCount() const { return faces_; }
    // The face that shows now: 0 normal, 1 disabled, 2 pressed (always 0 with one face).
    int currentFace() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    int faces_ = 1;
};

} // namespace hx::app
