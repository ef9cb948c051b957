#pragma once
// The removal panel p1: the installed products cb3, the liveries of the chosen product cb4 with
// their filter field cb4Filter above them, the chosen livery's picture and the remove button
// BitBtn6.

#include <QWidget>

class QLabel;

#include <string>
#include <vector>

namespace hx::app {

class BitmapButton;
class ListFilter;
class PictureBox;
class SkinnedComboBox;

class RemovalView : public QWidget {
    Q_OBJECT
public:
    explicit RemovalView(QWidget* parent);

    void showProducts(const std::vector<std::string>& items, int selected);
    // Shown through the filter over the list (see ListFilter).
    void showLiveries(const std::vector<std::string>& items, int selected);
    // The full list's index of the livery on show in cb4; -1 when none is.
    int chosenLivery() const;
    // Shows the picture file at `path`; none for an empty path or when the file fails to load
    // (which throws, as PictureBox::loadFromFile does).
    void showPicture(const std::string& path);
    // The one-line warning under the livery list; hidden when empty.
    void showWarning(const std::string& text);
    void setActionEnabled(bool enabled);

signals:
    void productChosen(int index); // the user's choice in cb3
    void liveryChosen(int index);  // the user's choice in cb4, as the full list's index
    void removeClicked();          // BitBtn6

private:
    SkinnedComboBox* cb3_;
    SkinnedComboBox* cb4_;
    ListFilter* cb4Filter_;
    PictureBox* picture_;
    BitmapButton* BitBtn6_;
    QLabel* warning_;
};

} // namespace hx::app
