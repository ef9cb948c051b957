#pragma once
// The model of a drop-down list that accepts no typing, as the panels' lists are.

#include <string>
#include <string_view>
#include <vector>

namespace hx {

// A drop-down list's items and the selected index (-1 for none).
struct ChoiceList {
    std::vector<std::string> items;
    int selected = -1;

    // The selected item, or an empty string when nothing is selected.
    std::string selectedText() const;
    // The index of the item that reads `text`; failing an exact match, of the first that reads
    // it ignoring case, as folder names do on Windows. -1 when none does.
    int indexOf(std::string_view text) const;
    // Selects `index` when it names an item; anything else leaves nothing selected.
    void select(int index);
    void clear();
};

} // namespace hx
