#include "app/skin/FittedText.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>

namespace hx::app {

bool textsFit(const QFont& font, const QStringList& texts, const QSize& box)
{
    const QFontMetrics metrics(font);
    for (const QString& text : texts) {
        const QSize needed = metrics.size(0, text);
        if (needed.width() > box.width() || needed.height() > box.height())
            return false;
    }
    return true;
}

QFont fittedFont(const QFont& font, const QStringList& texts, const QSize& box, int minimumPixels)
{
    QFont fitted = font;
    int pixels = fitted.pixelSize() > 0 ? fitted.pixelSize() : QFontInfo(fitted).pixelSize();
    fitted.setPixelSize(pixels);
    while (pixels > minimumPixels && !textsFit(fitted, texts, box))
        fitted.setPixelSize(--pixels);
    return fitted;
}

void fitLabel(QLabel* label, const QStringList& texts)
{
    const QStringList shown = texts.isEmpty() ? QStringList{label->text()} : texts;
    label->setFont(fittedFont(label->font(), shown, label->contentsRect().size()));
}

void fitCheckBox(QCheckBox* box, int boxAndGap)
{
    const QSize textBox(box->width() - boxAndGap, box->height());
    box->setFont(fittedFont(box->font(), {box->text()}, textBox));
}

} // namespace hx::app
