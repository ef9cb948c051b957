#include "app/window/Form1Layout.h"

#include "app/panels/CatalogueView.h"
#include "app/panels/LocalPackagesView.h"
#include "app/panels/ProgressView.h"
#include "app/panels/RemovalView.h"
#include "app/panels/SimulatorView.h"
#include "app/skin/Artwork.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/PictureBox.h"
#include "app/skin/Skin.h"
#include "app/skin/WidgetFactory.h"
#include "app/window/AccessibleTexts.h"
#include "online/CatalogueUrl.h"

#include <QIcon>
#include <QPixmap>

#include <utility>

namespace hx::app {

namespace {

PictureBox* makePicture(QWidget* form, const char* name, const QRect& geometry,
                        const QImage& picture)
{
    auto* box = new PictureBox(form);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setPicture(picture);
    box->installEventFilter(form);
    return box;
}

void styleWindow(QWidget* form)
{
    installFontSubstitutes();
    form->setFixedSize(700, 500);
    form->move(Form1Layout::designPosition());
    form->setAutoFillBackground(true);
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, lightColor());
    form->setPalette(pal);
    form->setFont(sansFont());
    form->setWindowIcon(QIcon(QPixmap::fromImage(artwork::appIcon())));
}

} // namespace

// Created bottom to top: the header, then p1, p2, p4, the corner and tab buttons, p5, p3.
Form1Layout::Form1Layout(QWidget* form)
{
    using artwork::Glyph;
    styleWindow(form);
    Image3 = makePicture(form, "Image3", {0, 0, 699, 121}, artwork::header());
    Image1 = makePicture(form, "Image1", {62, 99, 239, 18}, artwork::makerName());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Go to ") + QString::fromLatin1(kMakerWebSite));

    p1 = new RemovalView(form);
    p2 = new CatalogueView(form);
    p4 = new LocalPackagesView(form);

    BitBtn5 = makeButton(form, "BitBtn5", {638, 1, 27, 26}, artwork::cornerButton(Glyph::Help), 3);
    BitBtn4 = makeButton(form, "BitBtn4", {672, 1, 27, 26}, artwork::cornerButton(Glyph::Close), 3);
    BitBtn10 = makeButton(form, "BitBtn10", {176, 122, 161, 18},
                          artwork::tabButton("Add downloaded livery"), 1);
    BitBtn11 = makeButton(form, "BitBtn11", {344, 122, 161, 18},
                          artwork::tabButton("Search liveries online"), 1);
    BitBtn12 =
        makeButton(form, "BitBtn12", {512, 122, 161, 18}, artwork::tabButton("Remove liveries"), 1);
    BitBtn5->setToolTip("Help");
    BitBtn4->setToolTip("Close");

    p5 = new SimulatorView(form);
    p3 = new ProgressView(form);
    p3->hide();
    showWorkPanel(p4);
    setAccessibleTexts(form);
}

void Form1Layout::showWorkPanel(QWidget* panel)
{
    const std::pair<QWidget*, BitmapButton*> tabs[] = {
        {p4, BitBtn10}, {p2, BitBtn11}, {p1, BitBtn12}};
    for (const auto& [shown, tab] : tabs) {
        shown->setVisible(shown == panel);
        tab->setMarked(shown == panel);
    }
}

void Form1Layout::setActionsEnabled(bool enabled)
{
    p4->setActionEnabled(enabled);
    p1->setActionEnabled(enabled);
    p2->setActionEnabled(enabled);
}

} // namespace hx::app
