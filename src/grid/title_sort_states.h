#pragma once

#include <Qt>

#include <vector>

namespace vlr::grid {

enum class SortState { None, Ascending, Descending };

// The sort states of a grid's column titles and the click rules that change them. The grid
// only keeps and shows the states; whoever owns the rows orders them.
class TitleSortStates {
public:
    void resize(int columns);
    int columnCount() const { return static_cast<int>(states_.size()); }

    SortState state(int column) const;
    void set(int column, SortState state);
    void clear();

    // Plain click: this column none -> ascending -> descending -> ascending, the others none.
    // Shift: the same on this column, the others kept (when several may be sorted).
    // Ctrl: this column none. Returns whether any state changed.
    bool click(int column, Qt::KeyboardModifiers modifiers, bool severalAllowed);

    // 1-based rank of a sorted column among the sorted ones in column order; 0 when unsorted.
    int rank(int column) const;
    int sortedCount() const;

private:
    std::vector<SortState> states_;
};

}  // namespace vlr::grid
