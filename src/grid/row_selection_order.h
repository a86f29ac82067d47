#pragma once

#include <QtGlobal>

#include <vector>

namespace vlr::grid {

// The order in which the user selected a grid's rows. Each selected row keeps the number of
// its selection, so a later deselection of any row costs nothing.
class RowSelectionOrder {
public:
    void reset(int rows);
    void select(int first, int last);  // rows already selected keep their place
    void deselect(int row);
    bool isEmpty() const { return selected_ == 0; }
    std::vector<int> rows() const;  // selected rows, first selected first

private:
    std::vector<quint64> stamps_;  // 0: not selected
    quint64 lastStamp_ = 0;
    int selected_ = 0;
};

}  // namespace vlr::grid
