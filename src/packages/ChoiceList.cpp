#include "packages/ChoiceList.h"

#include "platform/AsciiCase.h"

#include <algorithm>

namespace hx {

std::string ChoiceList::selectedText() const
{
    return selected >= 0 && static_cast<std::size_t>(selected) < items.size() ? items[selected]
                                                                              : std::string();
}

int ChoiceList::indexOf(std::string_view text) const
{
    const auto sameIgnoringCase = [text](const std::string& item) {
        return platform::equalsIgnoringCase(item, text);
    };
    auto it = std::find(items.begin(), items.end(), text);
    if (it == items.end())
        it = std::find_if(items.begin(), items.end(), sameIgnoringCase);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void ChoiceList::select(int index)
{
    selected = index >= 0 && static_cast<std::size_t>(index) < items.size() ? index : -1;
}

void ChoiceList::clear()
{
    items.clear();
    selected = -1;
}

} // namespace hx
