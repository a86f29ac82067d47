#include "ui/record_rows.h"

#include "store/store_error.h"

namespace vlr::ui {

RecordRows::RecordRows(std::unique_ptr<docs::FileRecords> records) : records_(std::move(records)) {}

int RecordRows::rowCount() const {
    return records_->count();
}

QVariant RecordRows::value(int row, int field) const {
    try {
        return records_->value(row, field);
    } catch (const store::StoreError&) {
        return QVariant();
    }
}

QVariant RecordRows::key(int row) const {
    return records_->dataId(row);
}

int RecordRows::rowOfKey(const QVariant& key) const {
    bool isId = false;
    const int dataId = key.toInt(&isId);
    return isId ? records_->rowOfDataId(dataId) : -1;
}

}  // namespace vlr::ui
