#include "app/panels/CatalogueView.h"

#include "app/panels/ListFilter.h"
#include "app/skin/Artwork.h"
#include "app/skin/PictureBox.h"
#include "app/skin/Skin.h"
#include "app/skin/WidgetFactory.h"

#include <QLineEdit>

namespace hx::app {

CatalogueView::CatalogueView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p2", {29, 145, 639, 332}, lightColor());
    panelLabel(this, "Label6", "Product:", 32, 24, 273);
    cb5_ = makeCombo(this, "cb5", {32, 56, 273, 25}, 14);
    panelLabel(this, "Label7", "Livery:", 32, 92, 273);
    QLineEdit* filter = makeFilterField(this, "cb6Filter", {32, 118, 273, 22}, "Filter");
    cb6_ = makeCombo(this, "cb6", {32, 146, 273, 25}, 14);
    cb6Filter_ = new ListFilter(filter, cb6_);
    i3_ = place(new PictureBox(this), "i3", 381, 1, 256, 128);
    BitBtn8_ = makeButton(this, "BitBtn8", {456, 264, 145, 50}, artwork::actionButton("LOAD"), 3);

    // `activated` comes from the user's choice only, as the change handlers require.
    connect(cb5_, &QComboBox::activated, this, &CatalogueView::productChosen);
    // The livery: the user's choice, or the filter's in place of one it hides, as the full
    // list's index.
    connect(cb6Filter_, &ListFilter::chosen, this, &CatalogueView::liveryChosen);
    connect(BitBtn8_, &QAbstractButton::clicked, this, &CatalogueView::loadClicked);
}

void CatalogueView::showProducts(const std::vector<std::string>& items, int selected)
{
    showChoices(cb5_, items, selected);
}

void CatalogueView::showLiveries(const std::vector<std::string>& items, int selected)
{
    cb6Filter_->show(items, selected);
}

void CatalogueView::loadPicture(const std::string& path)
{
    i3_->loadFromFile(path);
}

void CatalogueView::setActionEnabled(bool enabled)
{
    BitBtn8_->setEnabled(enabled);
}

} // namespace hx::app
