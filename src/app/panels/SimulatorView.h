#pragma once
// The simulator panel p5, always on show: the simulator list cb2 ("None", "FS9", "FSX" at their
// indices, then each other simulator found), the path box e1 and the browse button BitBtn1.

#include "packages/Simulator.h"

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;

namespace hx::app {

class BitmapButton;
class SkinnedComboBox;

class SimulatorView : public QWidget {
    Q_OBJECT
public:
    explicit SimulatorView(QWidget* parent);

    // The simulator as the list and the path box say now.
    Simulator simulator() const;
    // Puts a simulator into the list and the path box; no handler runs. A kind the list does
    // not offer yet is added to it.
    void showSimulator(SimKind kind, const std::string& root);
    // Adds, after "FSX", each kind found that the list does not offer yet.
    void offerSimulators(const std::vector<FoundSimulator>& found);
    QString path() const;
    void setPath(const QString& path);
    // Where the browse button's folder picker starts: the path box's folder when it exists,
    // else the root of the file system.
    QString browseStart() const;

signals:
    void simulatorChosen(int index); // the user's choice in cb2
    void browseClicked();            // BitBtn1

private:
    int indexOf(SimKind kind);

    SkinnedComboBox* cb2_;
    QLineEdit* e1_;
    BitmapButton* BitBtn1_;
};

} // namespace hx::app
