#include "app/panels/RemovalView.h"

#include "app/skin/Artwork.h"
#include "app/skin/Skin.h"
#include "app/skin/WidgetFactory.h"
#include "app/window/TextBytes.h"

#include <QLabel>

namespace hx::app {

RemovalView::RemovalView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p1", {29, 145, 639, 332}, lightColor());
    panelLabel(this, "Label4", "Product:", 64, 24, 257);
    cb3_ = makeCombo(this, "cb3", {64, 64, 257, 25}, 14);
    panelLabel(this, "Label5", "Livery:", 64, 120, 257);
    cb4_ = makeCombo(this, "cb4", {64, 160, 257, 25}, 14);
    BitBtn6_ = makeButton(this, "BitBtn6", {456, 264, 145, 50}, artwork::actionButton("REMOVE"), 3);
    // Under the livery list, below the simulator panel that lies across the middle of this
    // one, beside the remove button: a gap or a repeat in the entry numbers.
    warning_ = place(new QLabel(this), "LiveryWarning", 8, 256, 436, 68);
    warning_->setWordWrap(true);
    warning_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    warning_->setStyleSheet(QStringLiteral("color: #a00000;"));
    warning_->hide();

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
