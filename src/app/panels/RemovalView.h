#pragma once
// The removal panel p1: the installed products cb3, the liveries of the chosen product cb4 and
// the remove button BitBtn6.

#include <QWidget>

class QLabel;

#include <string>
#include <vector>

namespace hx::app {

class BitmapButton;
class SkinnedComboBox;

class RemovalView : public QWidget {
    Q_OBJECT
public:
    explicit RemovalView(QWidget* parent);

    void showProducts(const std::vector<std::string>& items, int selected);
    void showLiveries(const std::vector<std::string>& items, int selected);
    int chosenLivery() const;
    // The one-line warning under the livery list; hidden when empty.
    void showWarning(const std::string& text);
    void setActionEnabled(bool enabled);

signals:
    void productChosen(int index); // the user's choice in cb3
    void removeClicked();          // BitBtn6

private:
    SkinnedComboBox* cb3_;
    SkinnedComboBox* cb4_;
    BitmapButton* BitBtn6_;
    QLabel* warning_;
};

} // namespace hx::app
