#pragma once
// Texts that never overflow their box. The layout was drawn for "Bookman Old Style"; a face that
// stands in for it may run wider, so a label with fixed text steps its font's size down until
// every text it shows fits the label's box, measured with the font's metrics. A face that is
// narrower keeps the design size.

#include <QFont>
#include <QSize>
#include <QStringList>

class QLabel;
class QCheckBox;

namespace hx::app {

// True when every text (lines split at "\n") fits `box` in `font`.
bool textsFit(const QFont& font, const QStringList& texts, const QSize& box);

// `font` at the largest pixel size, no larger than its own, at which every text fits `box`;
// never below `minimumPixels`.
QFont fittedFont(const QFont& font, const QStringList& texts, const QSize& box,
                 int minimumPixels = 7);

// Fits the label's font to its box (its contents rectangle) for each of `texts`; with no texts,
// for the text it holds.
void fitLabel(QLabel* label, const QStringList& texts = {});

// The check box's text beside its box: the space right of the box and its gap.
void fitCheckBox(QCheckBox* box, int boxAndGap);

} // namespace hx::app
