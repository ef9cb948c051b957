#include "app/panels/RemovalView.h"

#include "app/panels/ListFilter.h"
#include "app/skin/Artwork.h"
#include "app/skin/PictureBox.h"
#include "app/skin/Skin.h"
#include "app/skin/WidgetFactory.h"
#include "app/window/TextBytes.h"

#include <QLabel>
#include <QLineEdit>

namespace hx::app {

RemovalView::RemovalView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p1", {29, 145, 639, 332}, lightColor());
    panelLabel(this, "Label4", "Product:", 64, 24, 257);
    cb3_ = makeCombo(this, "cb3", {64, 64, 257, 25}, 14);
    panelLabel(this, "Label5", "Livery:", 64, 106, 257);
    QLineEdit* filter = makeFilterField(this, "cb4Filter", {64, 132, 257, 22}, "Filter");
    cb4_ = makeCombo(this, "cb4", {64, 160, 257, 25}, 14);
    cb4Filter_ = new ListFilter(filter, cb4_);
    // Right of the lists, where the other panels show theirs: the chosen livery's picture.
    picture_ = place(new PictureBox(this), "LiveryPicture", 382, 0, 256, 128);
    BitBtn6_ = makeButton(this, "BitBtn6", {456, 264, 145, 50}, artwork::actionButton("REMOVE"), 3);
    // Under the livery list, below the simulator panel that lies across the middle of this
    // one, beside the remove button: a gap or a repeat in the entry numbers.
    warning_ = place(new QLabel(this), "LiveryWarning", 8, 256, 436, 68);
    warning_->setWordWrap(true);
    warning_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    warning_->setStyleSheet(QStringLiteral("color: #a00000;"));
    warning_->hide();

    // `activated` comes from the user's choice only, as the change handlers require. The livery:
    // the user's choice, or the filter's in place of one it hides, as the full list's index.
    connect(cb3_, &QComboBox::activated, this, &RemovalView::productChosen);
    connect(cb4Filter_, &ListFilter::chosen, this, &RemovalView::liveryChosen);
    connect(BitBtn6_, &QAbstractButton::clicked, this, &RemovalView::removeClicked);
}

void RemovalView::showProducts(const std::vector<std::string>& items, int selected)
{
    showChoices(cb3_, items, selected);
}

void RemovalView::showLiveries(const std::vector<std::string>& items, int selected)
{
    cb4Filter_->show(items, selected);
}

int RemovalView::chosenLivery() const
{
    return cb4Filter_->current();
}

void RemovalView::showPicture(const std::string& path)
{
    // Cleared first: after a failed load no other livery's picture stays on show.
    picture_->setPicture(QImage());
    if (!path.empty())
        picture_->loadFromFile(path);
}

void RemovalView::showWarning(const std::string& text)
{
    warning_->setText(fromBytes(text));
    warning_->setToolTip(warning_->text());
    warning_->setVisible(!text.empty());
}

void RemovalView::setActionEnabled(bool enabled)
{
    BitBtn6_->setEnabled(enabled);
}

} // namespace hx::app
