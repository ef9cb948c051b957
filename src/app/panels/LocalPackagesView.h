#pragma once
// The local packages panel p4: the package list cb1 with its filter field cb1Filter above it, the
// check box sl1, the information memo m1, the package picture i2 and the install button BitBtn3.

#include <QWidget>

#include <string>
#include <vector>

class QPlainTextEdit;

namespace hx::app {

class BitmapButton;
class ListFilter;
class PictureBox;
class SkinnedCheckBox;
class SkinnedComboBox;

class LocalPackagesView : public QWidget {
    Q_OBJECT
public:
    explicit LocalPackagesView(QWidget* parent);

    // The list's items and selection, and the information text of the selected package. The
    // list shows them through its filter (see ListFilter).
    // `marks`: for each item, what marks it (installed already), or empty.
    void showPackages(const std::vector<std::string>& items, int selected,
                      const std::string& information, const std::vector<std::string>& marks = {});
    void loadPicture(const std::string& path);
    // The check box: install every package rather than the selected one.
    bool allLiveriesChosen() const;
    void setActionEnabled(bool enabled);

signals:
    void packageChosen(int index); // the user's choice in cb1, as the full list's index
    void installClicked();         // BitBtn3

private:
    SkinnedComboBox* cb1_;
    ListFilter* cb1Filter_;
    SkinnedCheckBox* sl1_;
    QPlainTextEdit* m1_;
    PictureBox* i2_;
    BitmapButton* BitBtn3_;
};

} // namespace hx::app
