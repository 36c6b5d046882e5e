// The role table's window decisions: each row's list and the rows in view.
#include "model/tablewindow.hpp"

#include <gtest/gtest.h>

namespace fk::test {

TEST(TableWindow, EachRowListsTheChoicesWithItsOwnSelected) {
    const app::TableRequest request{.choices = {"none", "top", "outline"},
                                    .rows = {{"TOP.GBR", "top"}, {"L12.GBR", "inner12"}, {"A.GBR", "none"}}};
    struct Case {
        size_t row;
        std::vector<std::string> entries;
        size_t selected;
    };
    const Case cases[] = {
        {0, {"none", "top", "outline"}, 1},
        // A choice the list leaves out is kept, at the end.
        {1, {"none", "top", "outline", "inner12"}, 3},
        {2, {"none", "top", "outline"}, 0},
    };
    for (const auto& c : cases) {
        const model::RowList list = model::rowList(request, c.row);
        EXPECT_EQ(list.entries, c.entries) << c.row;
        EXPECT_EQ(list.selected, c.selected) << c.row;
    }
}

TEST(TableWindow, RowsInViewAndScrolling) {
    struct Case {
        int rows, height, shown;
    };
    // Rows of 26 pixels: what fits, never more than 20, never none while there is a row.
    const Case shownCases[] = {{3, 520, 3}, {30, 520, 20}, {30, 1000, 20}, {30, 519, 19},
                               {30, 10, 1}, {30, -5, 1},   {0, 520, 0}};
    for (const auto& c : shownCases)
        EXPECT_EQ(model::rowsShown(c.rows, c.height, 26), c.shown) << c.rows << " rows in " << c.height;
    struct Scroll {
        int wanted, rows, shown, first;
    };
    // The view stays full: it starts at row 0 at the earliest and at rows - shown at the latest.
    const Scroll scrolls[] = {{-1, 30, 20, 0},  {4, 30, 20, 4},   {10, 30, 20, 10},
                              {11, 30, 20, 10}, {30, 30, 20, 10}, {2, 3, 3, 0}};
    for (const auto& s : scrolls)
        EXPECT_EQ(model::firstRowInView(s.wanted, s.rows, s.shown), s.first) << s.wanted << " of " << s.rows;
}

} // namespace fk::test
