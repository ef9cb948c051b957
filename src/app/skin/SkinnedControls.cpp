#include "app/skin/SkinnedControls.h"

#include "app/skin/Skin.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFocusEvent>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyledItemDelegate>

#include <algorithm>

namespace hx::app {

namespace {

constexpr int kMarkWidth = 14;

// A check mark centred in `area`, in `color`.
void drawMark(QPainter& p, const QRect& area, const QColor& color)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c = QRectF(area).center();
    QPainterPath tick;
    tick.moveTo(c + QPointF(-4, 0));
    tick.lineTo(c + QPointF(-1, 3));
    tick.lineTo(c + QPointF(4, -4));
    p.drawPath(tick);
    p.restore();
}

bool marked(const QVariant& mark)
{
    return !mark.toString().isEmpty();
}

// Owner-drawn list items of one fixed height, a marked one with its check mark.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                     SkinnedComboBox::kItemHeight);
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(p, option, index);
        if (!marked(index.data(SkinnedComboBox::kMarkRole)))
            return;
        const QRect area(option.rect.right() - kMarkWidth, option.rect.top(), kMarkWidth,
                         option.rect.height());
        drawMark(*p, area, option.state & QStyle::State_Selected ? lightColor() : darkColor());
    }
};

constexpr int kButtonWidth = 17;

} // namespace

SkinnedComboBox::SkinnedComboBox(QWidget* parent) : QComboBox(parent), textColor_(darkColor())
{
    setEditable(false);
    auto* view = new QListView(this);
    view->setItemDelegate(new FixedHeightDelegate(view));
    view->setUniformItemSizes(true);
    setView(view);
    view->setStyleSheet(comboBoxStyle());
    view->setFont(font());
    setFocusPolicy(Qt::StrongFocus);
}

void SkinnedComboBox::changeEvent(QEvent* event)
{
    // The list is a window of its own, which fonts do not reach by themselves.
    if (event->type() == QEvent::FontChange)
        view()->setFont(font());
    QComboBox::changeEvent(event);
}

void SkinnedComboBox::showPopup()
{
    QComboBox::showPopup();
    // The style opens the list over the box, with the chosen item on top of it; a drop-down
    // list opens below the box instead.
    QWidget* popup = view()->window();
    if (popup == window() || !popup->isVisible())
        return;
    QRect frame = popup->geometry();
    frame.setWidth(std::max(width(), frame.width()));
    frame.moveTopLeft(mapToGlobal(QPoint(0, height())));
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (frame.bottom() > area.bottom() &&
            mapToGlobal(QPoint(0, 0)).y() - frame.height() >= area.top())
            frame.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
    }
    popup->setGeometry(frame);
}

void SkinnedComboBox::setTextColor(const QColor& color)
{
    textColor_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, color);
    pal.setColor(QPalette::ButtonText, color);
    setPalette(pal);
    update();
}

void SkinnedComboBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, lightColor());
    // The text field: a lighter well, the chosen item inverted while the box has the focus.
    const QRect field(1, 1, width() - kButtonWidth - 2, height() - 2);
    p.fillRect(field, QColor(240, 246, 250));
    QRect textRect = field.adjusted(3, 0, -2, 0);
    const bool mark = marked(currentData(kMarkRole));
    if (mark)
        textRect.setRight(textRect.right() - kMarkWidth);
    if (hasFocus() && currentIndex() >= 0) {
        p.fillRect(field.adjusted(1, 1, -1, -1), darkColor());
        p.setPen(lightColor());
    } else if (hasFocus()) {
        // Nothing chosen to invert: a dotted frame shows the focus.
        p.setPen(QPen(darkColor(), 1, Qt::DotLine));
        p.drawRect(field.adjusted(1, 1, -2, -2));
        p.setPen(textColor_);
    } else {
        p.setPen(textColor_);
    }
    p.setFont(font());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(currentText(), Qt::ElideRight, textRect.width()));
    if (mark)
        drawMark(p, QRect(textRect.right() + 1, field.top(), kMarkWidth, field.height()),
                 p.pen().color());

    // The button: light, separated by a dark line, with a dark arrow.
    const QRect button(width() - kButtonWidth - 1, 1, kButtonWidth, height() - 2);
    p.fillRect(button, lightColor());
    p.setPen(darkColor());
    p.drawLine(button.topLeft(), button.bottomLeft());
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(button).center() + QPointF(0.5, 1);
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(-4, -2));
    arrow.lineTo(c + QPointF(4, -2));
    arrow.lineTo(c + QPointF(0, 2.5));
    arrow.closeSubpath();
    p.fillPath(arrow, darkColor());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(darkColor());
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

SkinnedCheckBox::SkinnedCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
}

namespace {
constexpr int kBox = 13;
constexpr int kSpacing = SkinnedCheckBox::kBoxAndGap - kBox; // between the box and the text
} // namespace

bool SkinnedCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void SkinnedCheckBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect box(0, (height() - kBox) / 2, kBox, kBox);
    p.fillRect(box, lightColor());
    // A light border would vanish on the light panel; a faint dark inner line keeps the box
    // visible while the frame stays light.
    p.setPen(QColor(255, 255, 255));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(QColor(62, 113, 148, 110));
    p.drawRect(box.adjusted(1, 1, -2, -2));
    if (isChecked()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(darkColor(), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF o = box.topLeft();
        p.drawPolyline(QPolygonF{o + QPointF(3, 6.5), o + QPointF(5.5, 9.5), o + QPointF(10, 3.5)});
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QRect textArea(kBox + kSpacing, 0, width() - kBox - kSpacing, height());
    QRect drawn;
    p.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, text(), &drawn);
    if (hasFocus() && keyboardFocus_) {
        p.setPen(QPen(darkColor(), 1, Qt::DotLine));
        p.drawRect(drawn.adjusted(-2, -1, 1, 0) & rect().adjusted(0, 0, -1, -1));
    }
}

void SkinnedCheckBox::focusInEvent(QFocusEvent* event)
{
    keyboardFocus_ =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QCheckBox::focusInEvent(event);
}

void SkinnedCheckBox::focusOutEvent(QFocusEvent* event)
{
    keyboardFocus_ = false;
    QCheckBox::focusOutEvent(event);
}

Meter::Meter(QWidget* parent) : QWidget(parent)
{
}

void Meter::setProgress(int percent)
{
    percent_ = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    update();
}

void Meter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect inner = rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
    p.fillRect(rect(), lightColor());
    p.fillRect(QRect(inner.left(), inner.top(), inner.width() * percent_ / 100, inner.height()),
               darkColor());
}

} // namespace hx::app
