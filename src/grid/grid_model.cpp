#include "grid/grid_model.h"

#include <QSqlQuery>
#include <QSqlRecord>

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

// A first guess of the row count of a forward-only read: a growing vector would copy
// every value several times.
constexpr size_t kReservedRows = 1024;

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_ = 0;
    values_.clear();
    fields_.clear();
    columnFields_.clear();
    keyFieldIndex_ = -1;
    endResetModel();
}

void GridModel::setKeyField(const QString& field) {
    keyField_ = field;
    keyFieldIndex_ = indexOfField(fields_, field);
}

void GridModel::adoptFields(const QStringList& fields) {
    std::vector<int> columnFields;
    columnFields.reserve(columns_.size());
    for (const GridColumn& column : columns_)
        columnFields.push_back(fieldIndexOrThrow(fields, column.field));
    const int keyIndex = keyField_.isEmpty() ? -1 : fieldIndexOrThrow(fields, keyField_);
    fields_ = fields;
    columnFields_ = std::move(columnFields);
    keyFieldIndex_ = keyIndex;
}

void GridModel::loadFromQuery(QSqlQuery& query) {
    const QSqlRecord record = query.record();
    QStringList fields;
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);

    beginResetModel();
    rows_ = 0;
    values_.clear();
    try {
        adoptFields(fields);
    } catch (...) {
        endResetModel();
        throw;
    }
    const int fieldCount = static_cast<int>(fields.size());
    const int size = query.size();
    values_.reserve(static_cast<size_t>(fieldCount) *
                    (size > 0 ? static_cast<size_t>(size) : kReservedRows));
    while (query.next()) {
        for (int i = 0; i < fieldCount; ++i)
            values_.push_back(query.value(i));
        ++rows_;
    }
    endResetModel();
}

void GridModel::setRows(const QStringList& fields, const std::vector<QVariantList>& rows) {
    beginResetModel();
    rows_ = 0;
    values_.clear();
    try {
        adoptFields(fields);
    } catch (...) {
        endResetModel();
        throw;
    }
    const auto fieldCount = static_cast<qsizetype>(fields.size());
    values_.reserve(rows.size() * static_cast<size_t>(fieldCount));
    for (const QVariantList& row : rows) {
        for (qsizetype i = 0; i < fieldCount; ++i)
            values_.push_back(i < row.size() ? row.at(i) : QVariant());
        ++rows_;
    }
    endResetModel();
}

void GridModel::clearRows() {
    beginResetModel();
    rows_ = 0;
    values_.clear();
    endResetModel();
}

const QVariant& GridModel::at(int row, int fieldIndex) const {
    return values_[static_cast<size_t>(row) * static_cast<size_t>(fields_.size()) +
                   static_cast<size_t>(fieldIndex)];
}

QVariant GridModel::value(int row, const QString& field) const {
    const int index = indexOfField(fields_, field);
    if (row < 0 || row >= rows_ || index < 0)
        return {};
    return at(row, index);
}

QVariant GridModel::key(int row) const {
    if (row < 0 || row >= rows_ || keyFieldIndex_ < 0)
        return {};
    return at(row, keyFieldIndex_);
}

int GridModel::rowOfKey(const QVariant& key) const {
    if (keyFieldIndex_ < 0 || !key.isValid())
        return -1;
    for (int row = 0; row < rows_; ++row)
        if (at(row, keyFieldIndex_) == key)
            return row;
    return -1;
}

QString GridModel::cellText(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columnCount())
        return {};
    const QVariant& value = at(row, columnFields_[static_cast<size_t>(column)]);
    const GridColumn& description = columns_[static_cast<size_t>(column)];
    if (description.text)
        return description.text(value);
    return value.isNull() ? QString() : value.toString();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
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
