#include "app/panels/LocalPackagesView.h"

#include "app/panels/ListFilter.h"
#include "app/skin/Artwork.h"
#include "app/skin/FittedText.h"
#include "app/skin/PictureBox.h"
#include "app/skin/Skin.h"
#include "app/skin/WidgetFactory.h"
#include "app/window/TextBytes.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace hx::app {

LocalPackagesView::LocalPackagesView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p4", {29, 145, 639, 332}, lightColor());
    panelLabel(this, "Label1", "Select livery:", 8, 38, 132);
    // The filter over the list comes first in the Tab order, then the list it narrows.
    QLineEdit* filter = makeFilterField(this, "cb1Filter", {144, 8, 145, 22}, "Filter");
    cb1_ = makeCombo(this, "cb1", {144, 36, 145, 25}, 15);
    cb1_->setTextColor(QColor(0, 0, 128)); // navy at design; the start-up step makes it dark
    cb1Filter_ = new ListFilter(filter, cb1_);
    sl1_ = place(new SkinnedCheckBox("Select all liveries", this), "sl1", 7, 66, 169, 25);
    sl1_->setCursor(Qt::PointingHandCursor);
    sl1_->setStyleSheet(checkBoxStyle());
    fitCheckBox(sl1_, SkinnedCheckBox::kBoxAndGap);
    m1_ = place(new QPlainTextEdit(this), "m1", 8, 96, 345, 97);
    m1_->setReadOnly(true);
    m1_->setFrameShape(QFrame::NoFrame);
    m1_->setFont(bookmanFont(16, true));
    m1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette pal = m1_->palette();
    pal.setColor(QPalette::Base, lightColor());
    pal.setColor(QPalette::Text, darkColor());
    m1_->setPalette(pal);
    m1_->setPlainText("Information:");
    i2_ = place(new PictureBox(this), "i2", 382, 0, 256, 128);
    BitBtn3_ =
        makeButton(this, "BitBtn3", {456, 264, 145, 50}, artwork::actionButton("INSTALL"), 3);

    // The user's choice, or the filter's in place of a package it hides, as the full list's index.
    connect(cb1Filter_, &ListFilter::chosen, this, &LocalPackagesView::packageChosen);
    connect(BitBtn3_, &QAbstractButton::clicked, this, &LocalPackagesView::installClicked);
}

void LocalPackagesView::showPackages(const std::vector<std::string>& items, int selected,
                                     const std::string& information,
                                     const std::vector<std::string>& marks)
{
    cb1Filter_->show(items, selected, marks);
    m1_->setPlainText(displayText(information));
}

void LocalPackagesView::loadPicture(const std::string& path)
{
    i2_->loadFromFile(path);
}

bool LocalPackagesView::allLiveriesChosen() const
{
    return sl1_->isChecked();
}

void LocalPackagesView::setActionEnabled(bool enabled)
{
    BitBtn3_->setEnabled(enabled);
}

} // namespace hx::app
