#pragma once
// Where the window opens: on the screen under the mouse, wholly inside the part of it that
// panels and task bars leave free. The layout's position is kept where it fits.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace hx::app {

struct WindowPlace {
    QPoint topLeft;
    bool fits = true; // false: the window is larger than the area; its top-left part shows
};

// The place of a window of `size` in `area` (a screen's available geometry): `design`, taken
// relative to the area's corner, moved just as far as the window needs to lie inside. Along a
// side the window cannot fit, it starts at the area's start, so that its header and the top-left
// of its panels show.
WindowPlace placeInArea(const QSize& size, const QRect& area, const QPoint& design);

// Moves `window` (not yet shown) onto the screen under the mouse cursor. When it cannot fit, says
// so on stderr.
void placeOnScreen(QWidget* window, const QPoint& design);

} // namespace hx::app
