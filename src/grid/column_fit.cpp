#include "grid/column_fit.h"

#include <algorithm>

namespace vlr::grid {

std::vector<int> fitColumnWidths(const std::vector<ColumnRoom>& columns, int available) {
    std::vector<int> widths(columns.size(), 0);
    std::vector<size_t> sharing;
    int room = available;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].chosen >= 0) {
            widths[c] = std::max(columns[c].chosen, 1);
            room -= widths[c];
        } else {
            sharing.push_back(c);
        }
    }
    // Columns whose share falls short of their need take their need, until every share holds.
    for (bool settled = false; !settled && !sharing.empty();) {
        settled = true;
        long long bases = 0;
        for (size_t c : sharing)
            bases += std::max(columns[c].base, 1);
        const long long shared = std::max(room, 0);
        std::vector<size_t> still;
        for (size_t c : sharing) {
            const long long share = shared * std::max(columns[c].base, 1) / bases;
            if (share < columns[c].need) {
                widths[c] = columns[c].need;
                room -= columns[c].need;
                settled = false;
            } else {
                still.push_back(c);
            }
        }
        sharing.swap(still);
    }
    if (sharing.empty())
        return widths;
    long long bases = 0;
    for (size_t c : sharing)
        bases += std::max(columns[c].base, 1);
    int used = 0;
    for (size_t i = 0; i + 1 < sharing.size(); ++i) {
        const size_t c = sharing[i];
        widths[c] = std::max(int(std::max(room, 0) * std::max(columns[c].base, 1) / bases), 1);
        used += widths[c];
    }
    // The last one takes what rounding leaves.
    widths[sharing.back()] = std::max(room - used, std::max(columns[sharing.back()].need, 1));
    return widths;
}

}  // namespace vlr::grid
