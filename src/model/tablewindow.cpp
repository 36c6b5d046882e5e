#include "model/tablewindow.hpp"

#include <algorithm>

namespace fk::model {

RowList rowList(const app::TableRequest& request, size_t row) {
    RowList list{.entries = request.choices};
    if (row >= request.rows.size())
        return list;
    const std::string& choice = request.rows[row].choice;
    const auto found = std::find(list.entries.begin(), list.entries.end(), choice);
    list.selected = static_cast<size_t>(found - list.entries.begin());
    if (found == list.entries.end())
        list.entries.push_back(choice);
    return list;
}

bool optionApplies(const std::vector<std::string>& choices, const std::string& mootBy) {
    return mootBy.empty() || std::find(choices.begin(), choices.end(), mootBy) == choices.end();
}

int rowsShown(int rows, int height, int rowHeight) {
    const int fit = rowHeight > 0 ? height / rowHeight : 0;
    return std::min({rows, mostRowsShown, std::max(fit, 1)});
}

int firstRowInView(int wanted, int rows, int shown) {
    return std::clamp(wanted, 0, std::max(rows - shown, 0));
}

} // namespace fk::model
