#pragma once
// A button whose picture is its whole face. The picture holds one face, or three side by side:
// normal, disabled, pressed. A one-face picture is drawn one pixel lower while pressed.
// Enter and keypad Enter press the focused button as Space does. A button can be marked (the tab
// of the panel on show): it then keeps a subtle pressed face.

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

    void setMarked(bool marked);
    bool isMarked() const { return marked_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QImage picture_;
    int faces_ = 1;
    bool marked_ = false;
};

} // namespace hx::app
