#pragma once
// A livery list with a filter field above it. The list box holds the items whose text contains
// the field's text, ignoring case (every item while the field is empty); each item carries its
// index in the full list, and every choice is reported as that index, so the logic's lists and
// indices stay as they are whatever the filter hides.

#include <QObject>
#include <QStringList>

#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace hx::app {

class ListFilter : public QObject {
    Q_OBJECT
public:
    // Filters `box` by `field`; both belong to the same panel, which owns this filter too.
    ListFilter(QLineEdit* field, QComboBox* box);

    // Shows the full list and its selection (-1: none) through the filter. A selection the
    // filter hides gives way to the first item on show, or to none when nothing is on show, and
    // the replacement is reported through `chosen` as a user's choice is.
    // `marks`: for each item, a text that marks it (see SkinnedComboBox::kMarkRole), or empty.
    void show(const std::vector<std::string>& items, int selected,
              const std::vector<std::string>& marks = {});
    // The full list's index of the item in the box; -1 when the box shows none.
    int current() const;

signals:
    // The user chose the item of full index `index` (-1: the filter left nothing on show).
    void chosen(int index);

private:
    // Refills the box and selects `selected` when on show. Otherwise the first item on show is
    // selected: in place of a hidden selection, or in place of none when `firstWhenNone`.
    void refill(int selected, bool firstWhenNone);

    QLineEdit* field_;
    QComboBox* box_;
    QStringList items_;
    QStringList marks_;
};

} // namespace hx::app
