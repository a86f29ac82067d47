#include "grid/grid_model.h"

#include <stdexcept>

namespace vlr::grid {

namespace {

// Field names compare as SQL compares them: without case.
int indexOfField(const QStringList& fields, const QString& field) {
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int fieldIndexOrThrow(const QStringList& fields, const QString& field) {
    const int index = indexOfField(fields, field);
    if (index < 0)
        throw std::invalid_argument("grid field missing from the row set: " + field.toStdString());
    return index;
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_.reset(0);
    fields_.clear();
    columnFields_.clear();
    keyFieldIndex_ = -1;
    endResetModel();
}

void GridModel::setKeyField(const QString& field) {
    keyField_ = field;
    keyFieldIndex_ = indexOfField(fields_, field);
}

void GridModel::setExtraFields(const QStringList& fields) {
    extraFields_ = fields;
}

std::vector<int> GridModel::adoptFields(const QStringList& fields) {
    QStringList wanted;
    for (const GridColumn& column : columns_)
        wanted << column.field;
    if (!keyField_.isEmpty())
        wanted << keyField_;
    wanted << extraFields_;

    QStringList kept;
    std::vector<int> positions;
    std::vector<int> columnFields;
    for (const QString& field : wanted) {
        int index = indexOfField(kept, field);
        if (index < 0) {
            positions.push_back(fieldIndexOrThrow(fields, field));
            index = static_cast<int>(kept.size());
            kept << fields.at(positions.back());
        }
        if (columnFields.size() < columns_.size())
            columnFields.push_back(index);
    }
    fields_ = kept;
    columnFields_ = std::move(columnFields);
    keyFieldIndex_ = indexOfField(fields_, keyField_);
    return positions;
}

std::vector<int> GridModel::beginLoad(const QStringList& fields) {
    beginResetModel();
    std::vector<int> positions;
    try {
        positions = adoptFields(fields);
    } catch (...) {
        // A failed load leaves the grid empty, as a row set that did not open.
        rows_.reset(0);
        endResetModel();
        throw;
    }
    rows_.reset(static_cast<int>(positions.size()));
    return positions;
}

void GridModel::setRows(const QStringList& fields, std::vector<QVariantList>&& rows) {
    const std::vector<int> positions = beginLoad(fields);
    for (QVariantList& row : rows) {
        for (int position : positions)
            rows_.append(position < row.size() ? std::move(row[position]) : QVariant());
        rows_.endRow();
    }
    rows.clear();
    endResetModel();
}

void GridModel::clearRows() {
    beginResetModel();
    rows_.reset(0);
    endResetModel();
}

const QVariant& GridModel::at(int row, int fieldIndex) const {
    return rows_.at(row, fieldIndex);
}

QVariant GridModel::value(int row, const QString& field) const {
    const int index = indexOfField(fields_, field);
    if (row < 0 || row >= rows_.rowCount() || index < 0)
        return {};
    return at(row, index);
}

QVariant GridModel::key(int row) const {
    if (row < 0 || row >= rows_.rowCount() || keyFieldIndex_ < 0)
        return {};
    return at(row, keyFieldIndex_);
}

int GridModel::rowOfKey(const QVariant& key) const {
    if (keyFieldIndex_ < 0 || !key.isValid())
        return -1;
    for (int row = 0; row < rows_.rowCount(); ++row)
        if (at(row, keyFieldIndex_) == key)
            return row;
    return -1;
}

QString GridModel::cellText(int row, int column) const {
    if (row < 0 || row >= rows_.rowCount() || column < 0 || column >= columnCount())
        return {};
    const QVariant& value = at(row, columnFields_[static_cast<size_t>(column)]);
    const GridColumn& description = columns_[static_cast<size_t>(column)];
    if (description.text)
        return description.text(value);
    return value.isNull() ? QString() : value.toString();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return cellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return static_cast<int>(columns_[static_cast<size_t>(index.column())].alignment);
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn& column = columns_[static_cast<size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return column.title;
        case Qt::AccessibleTextRole:
            return column.title.simplified();
        case Qt::TextAlignmentRole:
            return static_cast<int>(column.titleAlignment);
        default:
            return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

}  // namespace vlr::grid
