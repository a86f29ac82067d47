#include "grid/row_selection_order.h"

#include <algorithm>
#include <utility>

namespace vlr::grid {

void RowSelectionOrder::reset(int rows) {
    stamps_.assign(static_cast<size_t>(std::max(rows, 0)), 0);
    lastStamp_ = 0;
    selected_ = 0;
}

void RowSelectionOrder::select(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(stamps_.size()) - 1);
    for (int row = first; row <= last; ++row) {
        quint64& stamp = stamps_[static_cast<size_t>(row)];
        if (stamp == 0) {
            stamp = ++lastStamp_;
            ++selected_;
        }
    }
}

void RowSelectionOrder::deselect(int row) {
    if (row < 0 || row >= static_cast<int>(stamps_.size()))
        return;
    quint64& stamp = stamps_[static_cast<size_t>(row)];
    if (stamp != 0) {
        stamp = 0;
        --selected_;
    }
}

std::vector<int> RowSelectionOrder::rows() const {
    std::vector<std::pair<quint64, int>> stamped;
    stamped.reserve(static_cast<size_t>(selected_));
    for (size_t row = 0; row < stamps_.size(); ++row)
        if (stamps_[row] != 0)
            stamped.emplace_back(stamps_[row], static_cast<int>(row));
    std::sort(stamped.begin(), stamped.end());
    std::vector<int> result;
    result.reserve(stamped.size());
    for (const auto& entry : stamped)
        result.push_back(entry.second);
    return result;
}

}  // namespace vlr::grid
