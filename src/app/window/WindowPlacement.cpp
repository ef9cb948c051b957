#include "app/window/WindowPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <iostream>

namespace hx::app {

namespace {

// The start along one side: inside [areaStart, areaStart + areaLength) when the length fits.
int placeAlong(int design, int length, int areaStart, int areaLength)
{
    if (length > areaLength)
        return areaStart;
    return std::clamp(areaStart + design, areaStart, areaStart + areaLength - length);
}

} // namespace

WindowPlace placeInArea(const QSize& size, const QRect& area, const QPoint& design)
{
    WindowPlace place;
    place.topLeft = {placeAlong(design.x(), size.width(), area.x(), area.width()),
                     placeAlong(design.y(), size.height(), area.y(), area.height())};
    place.fits = size.width() <= area.width() && size.height() <= area.height();
    return place;
}

void placeOnScreen(QWidget* window, const QPoint& design)
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const WindowPlace place = placeInArea(window->size(), area, design);
    window->move(place.topLeft);
    if (!place.fits)
        std::cerr << "hangarix: the window (" << window->width() << " x " << window->height()
                  << ") is larger than the free area of the screen (" << area.width() << " x "
                  << area.height()
                  << "); its top-left part is shown. Drag the header to bring the rest into view, "
                     "or Tab to the close button and press Enter to close the window."
                  << std::endl;
}

} // namespace hx::app
