#pragma once

#include "grid/grid_column.h"
#include "grid/row_store.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace vlr::grid {

// The rows of a grid held in memory, one flat block of values. Of the row set's fields only
// those the grid uses are kept: the columns' fields, the key field and any extra fields the
// owner names. Model columns are the grid's column descriptions; a cell's text is made only
// when a view asks for it. The key field names a row (the selection, drags, locating).
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    void setKeyField(const QString& field);
    const QString& keyField() const { return keyField_; }
    // Fields kept beside the columns' and the key's, for value() (takes effect at the next load).
    void setExtraFields(const QStringList& fields);

    // Rows of values in the order of fields, moved in. Throws std::invalid_argument when a
    // column's field, the key field or an extra field is not among the fields.
    void setRows(const QStringList& fields, std::vector<QVariantList>&& rows);
    void clearRows();

    const QStringList& keptFields() const { return fields_; }
    QVariant value(int row, const QString& field) const;  // invalid for a field not kept
    QVariant key(int row) const;
    int rowOfKey(const QVariant& key) const;  // -1 when no row has it
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Chooses the kept fields; returns their positions among the given ones.
    std::vector<int> adoptFields(const QStringList& fields);
    // Starts a reset for new rows of the given fields; the caller appends them and ends it.
    std::vector<int> beginLoad(const QStringList& fields);
    const QVariant& at(int row, int fieldIndex) const;

    std::vector<GridColumn> columns_;
    QString keyField_;
    QStringList extraFields_;
    QStringList fields_;             // kept fields
    std::vector<int> columnFields_;  // field index of each column
    int keyFieldIndex_ = -1;
    RowStore rows_;
};

}  // namespace vlr::grid
