#include "app/panels/SimulatorView.h"

#include "app/skin/Artwork.h"
#include "app/skin/Skin.h"
#include "app/skin/WidgetFactory.h"
#include "app/window/TextBytes.h"
#include "platform/FileSystem.h"

#include <QLineEdit>

namespace hx::app {

SimulatorView::SimulatorView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p5", {33, 338, 552, 57}, lightColor());
    panelLabel(this, "Label2", "Select FS:", 8, 6, 100);
    cb2_ = makeCombo(this, "cb2", {112, 3, 145, 25}, 14);
    for (SimKind kind : {SimKind::None, SimKind::FS9, SimKind::FSX})
        cb2_->addItem(QString::fromLatin1(simKindTitle(kind)), static_cast<int>(kind));
    cb2_->setCurrentIndex(0);
    panelLabel(this, "Label3", "Path", 8, 30, 100);
    e1_ = place(new QLineEdit(this), "e1", 112, 29, 400, 25);
    e1_->setFont(bookmanFont(15, false));
    e1_->setStyleSheet(pathBoxStyle());
    BitBtn1_ = makeButton(this, "BitBtn1", {516, 25, 30, 29}, artwork::browseButton(), 3);
    BitBtn1_->setToolTip("Select FS folder");

    // `activated` comes from the user's choice only, as the change handlers require.
    connect(cb2_, &QComboBox::activated, this, &SimulatorView::simulatorChosen);
    connect(BitBtn1_, &QAbstractButton::clicked, this, &SimulatorView::browseClicked);
}

Simulator SimulatorView::simulator() const
{
    Simulator sim;
    sim.kind = static_cast<SimKind>(cb2_->currentData().toInt());
    sim.root = toBytes(e1_->text());
    return sim;
}

void SimulatorView::showSimulator(SimKind kind, const std::string& root)
{
    cb2_->setCurrentIndex(indexOf(kind));
    e1_->setText(fromBytes(root));
}

int SimulatorView::indexOf(SimKind kind)
{
    const int index = cb2_->findData(static_cast<int>(kind));
    if (index >= 0)
        return index;
    cb2_->addItem(QString::fromLatin1(simKindTitle(kind)), static_cast<int>(kind));
    return cb2_->count() - 1;
}

void SimulatorView::offerSimulators(const std::vector<FoundSimulator>& found)
{
    for (const FoundSimulator& sim : found)
        indexOf(sim.kind);
}

QString SimulatorView::path() const
{
    return e1_->text();
}

QString SimulatorView::browseStart() const
{
    const std::string current = toBytes(e1_->text());
    return fromBytes(!current.empty() && platform::folderExists(current) ? current
                                                                         : platform::topFolder());
}

void SimulatorView::setPath(const QString& path)
{
    e1_->setText(path);
}

} // namespace hx::app
