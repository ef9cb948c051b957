#pragma once
// The online catalogue panel p2: the products cb5, the liveries cb6, the livery's picture i3 and
// the download button BitBtn8.

#include <QWidget>

#include <string>
#include <vector>

namespace hx::app {

class BitmapButton;
class PictureBox;
class SkinnedComboBox;

class CatalogueView : public QWidget {
    Q_OBJECT
public:
    explicit CatalogueView(QWidget* parent);

    void showProducts(const std::vector<std::string>& items, int selected);
    void showLiveries(const std::vector<std::string>& items, int selected);
    void loadPicture(const std::string& path);
    void setActionEnabled(bool enabled);

signals:
    void productChosen(int index); // the user's choice in cb5
    void liveryChosen(int index);  // the user's choice in cb6
    void loadClicked();            // BitBtn8

private:
    SkinnedComboBox* cb5_;
    SkinnedComboBox* cb6_;
    PictureBox* i3_;
    BitmapButton* BitBtn8_;
};

} // namespace hx::app
