#include "app/panels/ListFilter.h"

#include "app/skin/SkinnedControls.h"
#include "app/window/TextBytes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace hx::app {

ListFilter::ListFilter(QLineEdit* field, QComboBox* box) : QObject(box), field_(field), box_(box)
{
    // `activated` comes from the user's choice only, as the change handlers require.
    connect(box_, &QComboBox::activated, this, [this] { emit chosen(current()); });
    // While typing, the list always offers a choice when anything matches.
    connect(field_, &QLineEdit::textChanged, this, [this] { refill(current(), true); });
}

void ListFilter::show(const std::vector<std::string>& items, int selected,
                      const std::vector<std::string>& marks)
{
    items_.clear();
    marks_.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        items_.push_back(fromBytes(items[i]));
        marks_.push_back(i < marks.size() ? fromBytes(marks[i]) : QString());
    }
    refill(selected >= 0 && selected < items_.size() ? selected : -1, false);
}

int ListFilter::current() const
{
    const QVariant index = box_->currentData();
    return index.isValid() ? index.toInt() : -1;
}

void ListFilter::refill(int selected, bool firstWhenNone)
{
    {
        QSignalBlocker block(box_);
        box_->clear();
        const QString filter = field_->text();
        int row = -1;
        for (int i = 0; i < items_.size(); ++i) {
            if (!items_[i].contains(filter, Qt::CaseInsensitive))
                continue;
            if (i == selected)
                row = box_->count();
            box_->addItem(items_[i], i);
            if (!marks_[i].isEmpty()) {
                const int added = box_->count() - 1;
                box_->setItemData(added, marks_[i], SkinnedComboBox::kMarkRole);
                box_->setItemData(added, marks_[i], Qt::ToolTipRole);
                box_->setItemData(added, items_[i] + ", " + marks_[i], Qt::AccessibleTextRole);
            }
        }
        if (row < 0 && (selected >= 0 || firstWhenNone) && box_->count() > 0)
            row = 0;
        box_->setCurrentIndex(row);
    }
    // The box is complete before the handler runs: it may show the lists again.
    if (current() != selected)
        emit chosen(current());
}

} // namespace hx::app
