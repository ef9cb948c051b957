#pragma once
// The online catalogue panel p2: the products cb5, the liveries cb6 with their filter field
// cb6Filter above them, the livery's picture i3 and the download button BitBtn8.

#include <QWidget>

#include <string>
#include <vector>

namespace hx::app {

class BitmapButton;
class ListFilter;
class PictureBox;
class SkinnedComboBox;

class CatalogueView : public QWidget {
    Q_OBJECT
public:
    explicit CatalogueView(QWidget* parent);

    void showProducts(const std::vector<std::string>& items, int selected);
    // Shown through the filter over the list (see ListFilter).
    void showLiveries(const std::vector<std::string>& items, int selected);
    void loadPicture(const std::string& path);
    void setActionEnabled(bool enabled);

signals:
    void productChosen(int index); // the user's choice in cb5
    void liveryChosen(int index);  // the user's choice in cb6, as the full list's index
    void loadClicked();            // BitBtn8

private:
    SkinnedComboBox* cb5_;
    SkinnedComboBox* cb6_;
    ListFilter* cb6Filter_;
    PictureBox* i3_;
    BitmapButton* BitBtn8_;
};

} // namespace hx::app
