#pragma once

#include "docs/file_records.h"
#include "grid/row_source.h"

#include <memory>

namespace vlr::ui {

// A file's records as a grid reads them: a window of rows at a time, as they come into view,
// named by their DataId. A window that cannot be read shows empty cells until the next reload.
class RecordRows : public grid::RowSource {
public:
    explicit RecordRows(std::unique_ptr<docs::FileRecords> records);

    int rowCount() const override;
    QVariant value(int row, int field) const override;
    QVariant key(int row) const override;
    int rowOfKey(const QVariant& key) const override;

private:
    std::unique_ptr<docs::FileRecords> records_;
};

}  // namespace vlr::ui
