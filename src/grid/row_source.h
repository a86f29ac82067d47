#pragma once

#include <QVariant>

namespace vlr::grid {

// The rows a grid shows, asked for one value at a time while the grid draws: a source may
// hold every row, or read only the rows in view. Fields are numbered in the order of the
// field names the source was given to the grid with.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int rowCount() const = 0;
    virtual QVariant value(int row, int field) const = 0;
    // The row's key value, which names it in selections, drags and deletions.
    virtual QVariant key(int row) const = 0;
    virtual int rowOfKey(const QVariant& key) const = 0;  // -1 when no row has it
};

}  // namespace vlr::grid
