#pragma once
// Small builders of the window's controls: each names a control after the layout, places it and
// gives it the window's look, so that the panels read as their layout tables.

#include "app/skin/BitmapButton.h"
#include "app/skin/SkinnedControls.h"

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

namespace hx::app {

// Names `widget` and puts it at x, y with the size w x h.
template <typename W> W* place(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

// Names and places a panel without bevel, filled with `background`.
void setUpPanel(QWidget* panel, const char* name, const QRect& geometry, const QColor& background);

// A label as large as its text (for texts that change).
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  const QFont& font, const QColor& color);
// A label with fixed text in the box `geometry`: its font steps down until the text fits (see
// FittedText.h). A box height of 0 is one line of the font's design size.
QLabel* fixedLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                   const QFont& font, const QColor& color);
// A caption of a work panel: bold Bookman, dark, in a box `width` wide (up to the control beside
// it).
QLabel* panelLabel(QWidget* parent, const char* name, const char* text, int x, int y, int width);
BitmapButton* makeButton(QWidget* parent, const char* name, const QRect& geometry,
                         const QImage& picture, int faces);
SkinnedComboBox* makeCombo(QWidget* parent, const char* name, const QRect& geometry,
                           int fontPixels);
// A one-line field over a list that narrows it as the user types; `hint` shows while it is
// empty.
QLineEdit* makeFilterField(QWidget* parent, const char* name, const QRect& geometry,
                           const char* hint);

// Fills a list box from a model's items and selection; no change handler runs.
void showChoices(QComboBox* box, const std::vector<std::string>& items, int selected);

} // namespace hx::app
