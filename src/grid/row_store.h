#pragma once

#include <QVariant>

#include <vector>

namespace vlr::grid {

// The values of a grid's rows, row after row in blocks of a fixed number of rows: a read of
// unknown length never moves what it already holds, and a reload reuses the blocks' memory.
class RowStore {
public:
    void reset(int fieldCount);  // drops every row
    void append(QVariant&& value);
    void endRow() { ++rows_; }
    int rowCount() const { return rows_; }
    const QVariant& at(int row, int field) const;

private:
    static constexpr size_t kBlockRows = 4096;

    size_t fields_ = 0;
    int rows_ = 0;
    size_t usedBlocks_ = 0;
    std::vector<std::vector<QVariant>> blocks_;
};

}  // namespace vlr::grid
