#include "grid/title_sort_states.h"

namespace vlr::grid {

namespace {

SortState nextState(SortState state) {
    return state == SortState::Ascending ? SortState::Descending : SortState::Ascending;
}

}  // namespace

void TitleSortStates::resize(int columns) {
    states_.assign(static_cast<size_t>(columns), SortState::None);
}

SortState TitleSortStates::state(int column) const {
    if (column < 0 || column >= columnCount())
        return SortState::None;
    return states_[static_cast<size_t>(column)];
}

void TitleSortStates::set(int column, SortState state) {
    if (column >= 0 && column < columnCount())
        states_[static_cast<size_t>(column)] = state;
}

void TitleSortStates::clear() {
    states_.assign(states_.size(), SortState::None);
}

bool TitleSortStates::click(int column, Qt::KeyboardModifiers modifiers, bool severalAllowed) {
    if (column < 0 || column >= columnCount())
        return false;
    const std::vector<SortState> before = states_;
    const auto index = static_cast<size_t>(column);
    if (modifiers & Qt::ControlModifier) {
        states_[index] = SortState::None;
    } else {
        const SortState next = nextState(states_[index]);
        if (!(modifiers & Qt::ShiftModifier) || !severalAllowed)
            clear();
        states_[index] = next;
    }
    return states_ != before;
}

int TitleSortStates::rank(int column) const {
    if (state(column) == SortState::None)
        return 0;
    int rank = 0;
    for (int i = 0; i <= column; ++i)
        if (states_[static_cast<size_t>(i)] != SortState::None)
            ++rank;
    return rank;
}

int TitleSortStates::sortedCount() const {
    int count = 0;
    for (SortState s : states_)
        if (s != SortState::None)
            ++count;
    return count;
}

}  // namespace vlr::grid
