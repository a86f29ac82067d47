#include "grid/row_store.h"

#include <algorithm>

namespace vlr::grid {

void RowStore::reset(int fieldCount) {
    for (size_t block = 0; block < usedBlocks_; ++block)
        blocks_[block].clear();
    fields_ = static_cast<size_t>(std::max(fieldCount, 0));
    rows_ = 0;
    usedBlocks_ = 0;
}

void RowStore::append(QVariant&& value) {
    const size_t blockSize = kBlockRows * fields_;
    if (usedBlocks_ == 0 || blocks_[usedBlocks_ - 1].size() == blockSize) {
        if (usedBlocks_ == blocks_.size())
            blocks_.emplace_back();
        blocks_[usedBlocks_].reserve(blockSize);
        ++usedBlocks_;
    }
    blocks_[usedBlocks_ - 1].push_back(std::move(value));
}

const QVariant& RowStore::at(int row, int field) const {
    const auto index = static_cast<size_t>(row);
    return blocks_[index / kBlockRows][(index % kBlockRows) * fields_ + static_cast<size_t>(field)];
}

}  // namespace vlr::grid
