#pragma once

#include <vector>

namespace vlr::grid {

// What a visible column asks of the grid's width.
struct ColumnRoom {
    int base = 1;     // the column's starting width: its share of the room is in proportion
    int need = 0;     // the least width its shown texts need; never cut below it
    int chosen = -1;  // a width the user gave it (a drag or a fit), kept as it is; -1 for none
};

// The widths of columns sharing `available` pixels. Columns the user sized keep their widths;
// the others share what is left in proportion to their bases, except that none gets less than
// its need: a column whose share falls short gets its need and the rest is shared again among
// the others. When even the needs do not fit, the widths add up to more than is available and
// the grid scrolls sideways rather than cut a value. Otherwise the widths fill the room exactly.
std::vector<int> fitColumnWidths(const std::vector<ColumnRoom>& columns, int available);

}  // namespace vlr::grid
