#pragma once

#include "grid/grid_column.h"
#include "grid/row_source.h"
#include "grid/row_store.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace vlr::grid {

// The rows of a grid: either held in memory, one flat block of values of the fields the grid
// uses (the columns' fields, the key field and any extra fields the owner names), or read from
// a row source as the view asks for them. Model columns are the grid's column descriptions; a
// cell's text is made only when a view asks for it. The key field names a row (the selection,
// drags, locating).
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);
    ~GridModel() override;

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    void setKeyField(const QString& field);
    const QString& keyField() const { return keyField_; }
    // Fields kept beside the columns' and the key's, for value() (takes effect at the next load).
    void setExtraFields(const QStringList& fields);

    // Rows of values in the order of fields, moved in. Throws std::invalid_argument when a
    // column's field, the key field or an extra field is not among the fields.
    void setRows(const QStringList& fields, std::vector<QVariantList>&& rows);
    // Rows read from a source of the given fields; the same checks as setRows.
    void setSource(const QStringList& fields, std::unique_ptr<RowSource> source);
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
    // The fields the grid uses, in the order of the columns, the key and the extra fields.
    QStringList wantedFields() const;
    // Takes the kept fields (those of the rows given, the grid's among them) and the columns'
    // places among them. Throws std::invalid_argument, leaving the model empty, when a field
    // the grid uses is not among fields.
    void adoptFields(const QStringList& fields, const QStringList& kept);

    std::vector<GridColumn> columns_;
    QString keyField_;
    QStringList extraFields_;
    QStringList fields_;             // kept fields, as the source numbers them
    std::vector<int> columnFields_;  // field index of each column
    RowStore held_;                  // the rows given to setRows, reused by the next load
    std::unique_ptr<RowSource> source_;
};

}  // namespace vlr::grid
