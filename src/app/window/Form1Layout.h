#pragma once
// The layout of TForm1: builds the window's look and its controls in their stacking order, and
// keeps the pointers the window's handlers use. The work panels, the simulator panel and the
// progress panel build their own controls.

#include <QPoint>

class QWidget;

namespace hx::app {

class BitmapButton;
class CatalogueView;
class LocalPackagesView;
class PictureBox;
class ProgressView;
class RemovalView;
class SimulatorView;

struct Form1Layout {
    // Builds the layout on `form`; the header pictures report their mouse events to `form`'s
    // event filter.
    explicit Form1Layout(QWidget* form);

    // Where the layout puts the window; it opens there when that lies inside the screen.
    static QPoint designPosition() { return {192, 114}; }

    // Shows the work panel `panel` (p4, p1 or p2), hides the other two and marks its tab as the
    // active one.
    void showWorkPanel(QWidget* panel);
    // The install, remove and load buttons.
    void setActionsEnabled(bool enabled);

    PictureBox* Image3;    // the header, which drags the window
    PictureBox* Image1;    // the maker's name, a link to the web site
    RemovalView* p1;       // removal
    CatalogueView* p2;     // online catalogue
    LocalPackagesView* p4; // local packages
    BitmapButton* BitBtn5; // help
    BitmapButton* BitBtn4; // close
    BitmapButton* BitBtn10;
    BitmapButton* BitBtn11;
    BitmapButton* BitBtn12;
    SimulatorView* p5; // simulator, always on show
    ProgressView* p3;  // progress of a download
};

} // namespace hx::app
