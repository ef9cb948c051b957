#pragma once
// TMarqueeBar: an indicator for work whose progress cannot be measured. A train of seven blocks,
// shaded from the bar colour towards lighter tones, moves through a framed bar one slot per
// timer tick and re-enters from the left once it has left on the right.

#include "controls/XGraphUtils.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>

namespace hx {

enum TBorderStyle { bsNone, bsFlat, bs3D };
enum TGradientStyle { gsNone, gsRightToLeft, gsCenter };

// Which look the bar draws in: the one the platform's visual styles call for, or a forced one.
enum class MarqueeLook { Platform, Classic, Themed };

class TMarqueeBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBlockCount = 7;

    explicit TMarqueeBar(QWidget* parent = nullptr);
    ~TMarqueeBar() override;

    bool Active() const { return active_; }
    void setActive(bool value);
    int AnimationSpeed() const { return animationSpeed_; }
    void setAnimationSpeed(int value);
    TColor BackColor() const { return backColor_; }
    void setBackColor(TColor value);
    TColor BarColor() const { return barColor_; }
    void setBarColor(TColor value);
    TColor BorderColor() const { return borderColor_; }
    void setBorderColor(TColor value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle value);
    bool DefaultStyled() const { return defaultStyled_; }
    void setDefaultStyled(bool value);
    TGradientStyle GradientStyle() const { return gradientStyle_; }
    void setGradientStyle(TGradientStyle value);
    bool Parented() const { return parented_; }
    void setParented(bool value);

    // Forces the classic or the themed look, or lets the platform decide (the default).
    void setLook(MarqueeLook look);
    MarqueeLook look() const { return look_; }
    // Whether the platform's visual styles apply to this application right now.
    static bool platformThemed();

    // Runs the paint steps into the off-screen picture (look, rebuild on a change of size,
    // frame, blocks) and returns it; the paint event copies exactly this picture.
    const QImage& composeFrame();

    // Read-outs of the state the last rebuild or tick left behind.
    bool themed() const { return themed_; }
    int position() const { return position_; }
    int slotCount() const { return slotCount_; }
    // Block geometry of the last rebuild (the same for all seven blocks).
    int blockWidth() const { return blockWidth_; }
    int blockHeight() const { return blockHeight_; }
    // Block 1 is the head of the train, block 7 its tail.
    TColor blockColor(int block) const { return blocks_.at(block - 1).color; }
    const QImage& blockPicture(int block) const { return blocks_.at(block - 1).picture; }
    int timerInterval() const { return timer_.interval(); }
    bool timerRunning() const { return timer_.isActive(); }

public slots:
    // One animation step: advance the position, wrap after slot count + 7, repaint.
    void TimerTick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Block {
        QImage picture;
        TColor color = 0;
    };

    void RebuildBlocks();
    TColor AdjustBarColor(TColor color) const;
    void PaintFrame(QPainter& canvas, TColor back, TColor border) const;
    void PaintFrameThemed(QPainter& canvas, TColor back, TColor border) const;
    void PaintBlocks(QPainter& canvas, int margin) const;
    static void ShadeBlock(QImage& picture, TColor color);
    void frameColors(TColor& back, TColor& border) const;
    TColor parentBrushColor() const;

    bool active_ = false;
    int animationSpeed_ = 60;
    TColor backColor_ = clBtnFace;
    TColor barColor_ = clActiveCaption;
    TColor borderColor_ = clDefault;
    TBorderStyle borderStyle_ = bsFlat;
    bool defaultStyled_ = false;
    TGradientStyle gradientStyle_ = gsRightToLeft;
    bool parented_ = false;

    MarqueeLook look_ = MarqueeLook::Platform;
    bool themed_ = false;
    int position_ = 0;
    int slotCount_ = 0;
    int blockWidth_ = 0;
    int blockHeight_ = 0;
    int rebuiltWidth_ = 0;
    int rebuiltHeight_ = 0;
    // The look, bar colour and gradient style the blocks were last built with: a change of any
    // of them rebuilds the blocks at the next paint, as a change of size does.
    bool rebuiltThemed_ = false;
    TColor rebuiltBarColor_ = 0;
    TGradientStyle rebuiltGradient_ = gsRightToLeft;
    bool composing_ = false;

    std::array<Block, kBlockCount> blocks_;
    QImage offscreen_;
    QTimer timer_;
};

} // namespace hx
