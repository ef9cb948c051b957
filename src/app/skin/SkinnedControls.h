#pragma once
// The window's skinned standard controls: flat combo boxes with a dark border and arrow on a
// light button, fixed 19-pixel list items and no typing; a check box with a light box and a
// dark mark; and the horizontal meter that shows the unpacking progress.

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QWidget>

namespace hx::app {

class SkinnedComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 19;
    // An item whose data in this role is a non-empty text is marked with a check mark at its
    // right end; the text is its tool tip (e.g. "Installed as [fltsim.3]").
    static constexpr int kMarkRole = Qt::UserRole + 1;

    explicit SkinnedComboBox(QWidget* parent = nullptr);

    void setTextColor(const QColor& color);
    QColor textColor() const { return textColor_; }

    // The list drops down below the box (above it when the screen ends first), as wide as the
    // box, in the box's font.
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QColor textColor_;
};

class SkinnedCheckBox : public QCheckBox {
    Q_OBJECT
public:
    // The box, 13 pixels, and the 6 pixels between it and the text.
    static constexpr int kBoxAndGap = 13 + 6;

    explicit SkinnedCheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool keyboardFocus_ = false; // focus cues show after the keyboard moved the focus here
};

// A horizontal meter: the filled part dark, the rest light. The fill lies inside a light frame, as
// the download bar's does, so that a full meter still reads as a bar on the dark panel.
class Meter : public QWidget {
    Q_OBJECT
public:
    explicit Meter(QWidget* parent = nullptr);

    void setProgress(int percent);
    int progress() const { return percent_; }
    // The light frame around the fill, in pixels.
    static constexpr int kFrame = 3;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percent_ = 0;
};

} // namespace hx::app
