// What a window showing a job's small table (Fab Export's plot roles) decides, toolkit-free: each row's list,
// and which rows are in view when there are more than fit.
#pragma once

#include "app/context.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace fk::model {

struct RowList {
    std::vector<std::string> entries;
    size_t selected = 0;
};

// The request's choices with the row's own one selected; a choice the list leaves out ("inner12", from the
// last run or a plot's name) is added at the end, so that OK keeps it as it was.
RowList rowList(const app::TableRequest& request, size_t row);

// Whether the option means anything with these choices: not where a row holds the choice that makes it moot.
bool optionApplies(const std::vector<std::string>& choices, const std::string& mootBy);

// A window shows at most this many rows at once; a scroll bar reaches the others.
inline constexpr int mostRowsShown = 20;

// The rows in view: as many of `rows` as `height` holds at `rowHeight` each, at most mostRowsShown, and at
// least one while there is a row.
int rowsShown(int rows, int height, int rowHeight);

// The first row in view for a scroll that asks for `wanted`: never before the first row, never so far that
// the view is not full.
int firstRowInView(int wanted, int rows, int shown);

} // namespace fk::model
