#include "app/RemovalView.h"

#include "app/Artwork.h"
#include "app/Skin.h"
#include "app/WidgetFactory.h"

namespace hx::app {

RemovalView::RemovalView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p1", {29, 145, 639, 332}, lightColor());
    panelLabel(this, "Label4", "Product:", 64, 24, 257);
    cb3_ = makeCombo(this, "cb3", {64, 64, 257, 25}, 14);
    panelLabel(this, "Label5", "Livery:", 64, 120, 257);
    cb4_ = makeCombo(this, "cb4", {64, 160, 257, 25}, 14);
    BitBtn6_ = makeButton(this, "BitBtn6", {456, 264, 145, 50}, artwork::actionButton("REMOVE"), 3);

    // `activated` comes from the user's choice only, as the change handlers require. A choice in
    // cb4 runs nothing: the remove button reads it.
    connect(cb3_, &QComboBox::activated, this, &RemovalView::productChosen);
    connect(BitBtn6_, &QAbstractButton::clicked, this, &RemovalView::removeClicked);
}

void RemovalView::showProducts(const std::vector<std::string>& items, int selected)
{
    showChoices(cb3_, items, selected);
}

void RemovalView::showLiveries(const std::vector<std::string>& items, int selected)
{
    showChoices(cb4_, items, selected);
}

int RemovalView::chosenLivery() const
{
    return cb4_->currentIndex();
}

void RemovalView::setActionEnabled(bool enabled)
{
    BitBtn6_->setEnabled(enabled);
}

} // namespace hx::app
