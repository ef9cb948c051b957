#include "controls/MarqueeBar.h"

#include "controls/SystemLook.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <climits>
#include <cstdlib>

namespace hx {

namespace {

// Amount added to each channel of the bar colour, by gradient style and block (head first).
constexpr int kShadeAmounts[3][TMarqueeBar::kBlockCount] = {
    {0, 0, 0, 0, 0, 0, 0},       // gsNone
    {0, 16, 32, 48, 64, 80, 96}, // gsRightToLeft
    {96, 64, 32, 0, 32, 64, 96}, // gsCenter
};

// Block margins inside the frame: classic and themed.
constexpr int kClassicMargin = 2;
constexpr int kThemedMargin = 3;

void fill(QPainter& canvas, int left, int top, int width, int height, TColor color)
{
    if (width <= 0 || height <= 0)
        return;
    canvas.fillRect(QRect(left, top, width, height), QBrush(toQColor(color), Qt::SolidPattern));
}

// A rectangle with a one-pixel outline, both corners of the outline inclusive, like a GDI
// Rectangle drawn with a 1-pixel pen from (0, 0) to (width, height).
void outlinedRect(QPainter& canvas, int width, int height, TColor outline, TColor inside)
{
    fill(canvas, 0, 0, width, height, outline);
    fill(canvas, 1, 1, width - 2, height - 2, inside);
}

bool isPureColor(TColor color)
{
    switch (color) {
    case 255:      // red
    case 65280:    // lime
    case 16711680: // blue
    case 65535:    // yellow
    case 16711935: // fuchsia
    case 16776960: // aqua
        return true;
    default:
        return false;
    }
}

} // namespace

TMarqueeBar::TMarqueeBar(QWidget* parent) : QWidget(parent)
{
    // Opaque: every pixel is painted from the off-screen picture, so Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(145, 17);
    rebuiltWidth_ = width();
    rebuiltHeight_ = height();
    offscreen_ = QImage(width(), height(), QImage::Format_RGB32);
    timer_.setSingleShot(false);
    timer_.setInterval(animationSpeed_);
    connect(&timer_, &QTimer::timeout, this, &TMarqueeBar::TimerTick);
    // The look is not evaluated before the first paint: the blocks start with classic geometry.
    RebuildBlocks();
}

TMarqueeBar::~TMarqueeBar()
{
    timer_.stop();
}

void TMarqueeBar::setActive(bool value)
{
    active_ = value;
    if (value) {
        if (!timer_.isActive())
            timer_.start();
    } else {
        timer_.stop();
        position_ = 0;
        update();
    }
}

void TMarqueeBar::setAnimationSpeed(int value)
{
    // The interval was taken at construction; this value is only stored.
    animationSpeed_ = value == INT_MIN ? INT_MAX : std::abs(value);
}

void TMarqueeBar::setBackColor(TColor value)
{
    backColor_ = value;
    update();
}

void TMarqueeBar::setBarColor(TColor value)
{
    barColor_ = value;
    update();
}

void TMarqueeBar::setBorderColor(TColor value)
{
    borderColor_ = value;
    update();
}

void TMarqueeBar::setBorderStyle(TBorderStyle value)
{
    borderStyle_ = value;
    update();
}

void TMarqueeBar::setDefaultStyled(bool value)
{
    defaultStyled_ = value;
}

void TMarqueeBar::setGradientStyle(TGradientStyle value)
{
    gradientStyle_ = value;
    update();
}

void TMarqueeBar::setParented(bool value)
{
    parented_ = value;
    update();
}

void TMarqueeBar::setLook(MarqueeLook look)
{
    look_ = look;
    update();
}

bool TMarqueeBar::platformThemed()
{
    return visualStylesActive();
}

void TMarqueeBar::TimerTick()
{
    ++position_;
    if (position_ > slotCount_ + 7)
        position_ = 0;
    update();
}

TColor TMarqueeBar::AdjustBarColor(TColor color) const
{
    if (!themed_)
        return color;
    int hue = 0;
    int saturation = 0;
    int lightness = 0;
    ColorToHSL(color, hue, saturation, lightness);
    // Pure colours are too loud under visual styles: keep the hue, soften the rest.
    if (isPureColor(color))
        return HSLToColor(hue, 90, 140);
    if (lightness > 200)
        return DarkerColor(color, 64);
    if (lightness <= 64)
        return LighterColor(color, 32);
    return color;
}

void TMarqueeBar::RebuildBlocks()
{
    const int h = height();
    blockWidth_ = themed_ ? (h - 4) / 2 : (h - 1) / 2;
    blockHeight_ = themed_ ? h - 6 : h - 4;
    const TColor adjusted = AdjustBarColor(barColor_);
    const int style = gradientStyle_ >= gsNone && gradientStyle_ <= gsCenter ? gradientStyle_ : 0;
    for (int i = 0; i < kBlockCount; ++i) {
        Block& block = blocks_[static_cast<std::size_t>(i)];
        block.color = LighterColor(adjusted, kShadeAmounts[style][i]);
        // Too small a control leaves no room for a block: the picture is then empty.
        block.picture =
            QImage(IntMax(blockWidth_, 0), IntMax(blockHeight_, 0), QImage::Format_RGB32);
        if (block.picture.isNull())
            continue;
        if (themed_) {
            ShadeBlock(block.picture, block.color);
        } else {
            block.picture.fill(toQColor(block.color));
        }
    }
    rebuiltThemed_ = themed_;
    rebuiltBarColor_ = barColor_;
    rebuiltGradient_ = gradientStyle_;

    // A slot is a block and a 2-pixel gap; the frame takes 4 pixels. A slot width of 0 or less
    // (themed, height below 4) fits no slot at all rather than dividing by zero.
    const int slotWidth = blockWidth_ + 2;
    slotCount_ = slotWidth > 0 ? IntMax((width() - 4) / slotWidth, 0) : 0;
    const int snapped = IntMax(slotWidth, 0) * slotCount_ + 4;
    if (snapped != width()) {
        if (composing_) {
            // Changing the geometry from inside a paint event is unsafe in Qt; the resize
            // follows at once from the event loop and brings its own paint.
            QMetaObject::invokeMethod(
                this, [this, snapped] { resize(snapped, height()); }, Qt::QueuedConnection);
        } else {
            resize(snapped, height());
        }
    }
}

void TMarqueeBar::ShadeBlock(QImage& picture, TColor color)
{
    const int w = picture.width();
    const int h = picture.height();
    const int half = h / 2;
    QPainter canvas(&picture);
    canvas.setPen(QPen(toQColor(color), 1, Qt::SolidLine));
    canvas.setBrush(QBrush(toQColor(color), Qt::SolidPattern));
    GradientFillRect(canvas, Rect{0, 0, w, half + 1}, color, LighterColor(color, 48), gdTopToBottom,
                     255);
    GradientFillRect(canvas, Rect{0, half + 1, w, half + 3}, LighterColor(color, 40),
                     DarkerColor(color, 8), gdTopToBottom, 255);
    GradientFillRect(canvas, Rect{0, half + 3, w, h}, DarkerColor(color, 8),
                     LighterColor(color, 16), gdTopToBottom, 255);
}

// The background brush of the parent widget; a bar without a parent uses its own back colour.
TColor TMarqueeBar::parentBrushColor() const
{
    const QWidget* parent = parentWidget();
    if (parent == nullptr)
        return backColor_;
    return fromQColor(parent->palette().color(parent->backgroundRole()));
}

void TMarqueeBar::frameColors(TColor& back, TColor& border) const
{
    if (themed_ && defaultStyled_) {
        back = clWhite;
        border = DarkerColor(clWhite, 160);
    } else if (parented_) {
        back = parentBrushColor();
        border = DarkerColor(back, 64);
    } else {
        back = backColor_;
        border = borderColor_;
    }
}

void TMarqueeBar::PaintFrame(QPainter& canvas, TColor back, TColor border) const
{
    const int w = offscreen_.width();
    const int h = offscreen_.height();
    switch (borderStyle_) {
    case bsNone:
        outlinedRect(canvas, w, h, back, back);
        break;
    case bs3D:
        outlinedRect(canvas, w, h, LighterColor(back, 64), back);
        // Dark left and top edges: a line up the left side from (0, H-2) and along the top to
        // (W-1, 0), neither end point drawn except where the second line starts.
        fill(canvas, 0, 0, 1, h - 1, DarkerColor(back, 64));
        fill(canvas, 0, 0, w - 1, 1, DarkerColor(back, 64));
        break;
    case bsFlat:
    default:
        outlinedRect(canvas, w, h, border, back);
        break;
    }
}

void TMarqueeBar::PaintFrameThemed(QPainter& canvas, TColor back, TColor border) const
{
    const int w = offscreen_.width();
    const int h = offscreen_.height();
    if (borderStyle_ == bsNone) {
        outlinedRect(canvas, w, h, back, back);
        return;
    }
    // A rounded rectangle whose corner ellipses are 4 pixels wide and 6 high: at that size the
    // rounding leaves out exactly the four corner pixels of the outline. They show the parent's
    // background, as the control's corners would on screen.
    fill(canvas, 0, 0, w, h, parentBrushColor());
    fill(canvas, 1, 0, w - 2, h, border);
    fill(canvas, 0, 1, w, h - 2, border);
    fill(canvas, 1, 1, w - 2, h - 2, back);
    if (borderStyle_ == bs3D || defaultStyled_) {
        // Inner shadow: from (W-3, 1) left to (1, 1) and from (1, 2) down to (1, H-2), end
        // points not drawn.
        fill(canvas, 2, 1, w - 4, 1, DarkerColor(back, 64));
        fill(canvas, 1, 2, 1, h - 4, DarkerColor(back, 64));
    }
}

void TMarqueeBar::PaintBlocks(QPainter& canvas, int margin) const
{
    if (position_ == 0)
        return;
    for (int i = 1; i <= kBlockCount; ++i) {
        const int slot = position_ - i;
        if (slot < 0)
            break;
        if (slot < slotCount_)
            canvas.drawImage(slot * (blockWidth_ + 2) + margin, margin, blockPicture(i));
    }
}

const QImage& TMarqueeBar::composeFrame()
{
    themed_ = look_ == MarqueeLook::Platform ? platformThemed() : look_ == MarqueeLook::Themed;
    if (width() != rebuiltWidth_ || height() != rebuiltHeight_ || themed_ != rebuiltThemed_ ||
        barColor_ != rebuiltBarColor_ || gradientStyle_ != rebuiltGradient_) {
        rebuiltWidth_ = width();
        rebuiltHeight_ = height();
        RebuildBlocks();
    }
    if (offscreen_.width() != width() || offscreen_.height() != height())
        offscreen_ = QImage(IntMax(width(), 0), IntMax(height(), 0), QImage::Format_RGB32);
    if (offscreen_.isNull())
        return offscreen_;

    TColor back = 0;
    TColor border = 0;
    frameColors(back, border);
    QPainter canvas(&offscreen_);
    if (themed_) {
        PaintFrameThemed(canvas, back, border);
        PaintBlocks(canvas, kThemedMargin);
    } else {
        PaintFrame(canvas, back, border);
        PaintBlocks(canvas, kClassicMargin);
    }
    return offscreen_;
}

void TMarqueeBar::paintEvent(QPaintEvent* /*event*/)
{
    if (!isVisible())
        return;
    composing_ = true;
    composeFrame();
    composing_ = false;
    // One copy of the composed picture: the control never shows a half-drawn frame.
    QPainter painter(this);
    painter.drawImage(0, 0, offscreen_);
}

} // namespace hx
