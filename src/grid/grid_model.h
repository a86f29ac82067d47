#pragma once

#include "grid/grid_column.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariant>

#include <vector>

class QSqlQuery;

namespace vlr::grid {

// The rows of a grid held in memory: every field of the row set, one flat block of values.
// Model columns are the grid's column descriptions; a cell's text is made only when a view
// asks for it. One field is the key that names a row (the selection, drags, locating).
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    void setKeyField(const QString& field);
    const QString& keyField() const { return keyField_; }

    // Reads an executed query to its end, forward only. Throws std::invalid_argument when
    // a column's field or the key field is not among the query's fields.
    void loadFromQuery(QSqlQuery& query);
    // The same from values given directly: rows of values in the order of fields.
    void setRows(const QStringList& fields, const std::vector<QVariantList>& rows);
    void clearRows();

    const QStringList& fields() const { return fields_; }
    QVariant value(int row, const QString& field) const;
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
    void adoptFields(const QStringList& fields);
    const QVariant& at(int row, int fieldIndex) const;

    std::vector<GridColumn> columns_;
    QString keyField_;
    QStringList fields_;
    std::vector<int> columnFields_;  // field index of each column
    int keyFieldIndex_ = -1;
    int rows_ = 0;
    std::vector<QVariant> values_;  // rows_ x fields_.size(), row after row
};

}  // namespace vlr::grid
