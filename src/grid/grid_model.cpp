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

// Rows held in memory: the values of the kept fields, row after row.
class HeldRows : public RowSource {
public:
    HeldRows(const RowStore& rows, int keyField) : store_(rows), keyField_(keyField) {}

    int rowCount() const override { return store_.rowCount(); }
    QVariant value(int row, int field) const override { return store_.at(row, field); }
    QVariant key(int row) const override {
        return keyField_ < 0 ? QVariant() : store_.at(row, keyField_);
    }
    int rowOfKey(const QVariant& key) const override {
        if (keyField_ < 0)
            return -1;
        for (int row = 0; row < store_.rowCount(); ++row)
            if (store_.at(row, keyField_) == key)
                return row;
        return -1;
    }

private:
    const RowStore& store_;
    int keyField_;
};

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

GridModel::~GridModel() = default;

void GridModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    source_.reset();
    held_.reset(0);
    fields_.clear();
    columnFields_.clear();
    endResetModel();
}

void GridModel::setKeyField(const QString& field) {
    keyField_ = field;
}

void GridModel::setExtraFields(const QStringList& fields) {
    extraFields_ = fields;
}

QStringList GridModel::wantedFields() const {
    QStringList wanted;
    for (const GridColumn& column : columns_)
        wanted << column.field;
    if (!keyField_.isEmpty())
        wanted << keyField_;
    wanted << extraFields_;
    return wanted;
}

void GridModel::adoptFields(const QStringList& fields, const QStringList& kept) {
    std::vector<int> columnFields;
    try {
        for (const QString& field : wantedFields())
            fieldIndexOrThrow(fields, field);
        for (const GridColumn& column : columns_)
            columnFields.push_back(indexOfField(kept, column.field));
    } catch (...) {
        // A failed load leaves the grid empty, as a row set that did not open.
        clearRows();
        throw;
    }
    fields_ = kept;
    columnFields_ = std::move(columnFields);
}

void GridModel::setRows(const QStringList& fields, std::vector<QVariantList>&& rows) {
    // Only the fields the grid uses are kept, each once.
    QStringList kept;
    std::vector<int> positions;
    for (const QString& field : wantedFields()) {
        const int index = indexOfField(fields, field);
        if (index >= 0 && indexOfField(kept, field) < 0) {
            kept << fields.at(index);
            positions.push_back(index);
        }
    }
    adoptFields(fields, kept);
    beginResetModel();
    source_.reset();
    held_.reset(static_cast<int>(positions.size()));
    for (QVariantList& row : rows) {
        for (int position : positions)
            held_.append(position < row.size() ? std::move(row[position]) : QVariant());
        held_.endRow();
    }
    rows.clear();
    source_ = std::make_unique<HeldRows>(held_, indexOfField(fields_, keyField_));
    endResetModel();
}

void GridModel::setSource(const QStringList& fields, std::unique_ptr<RowSource> source) {
    adoptFields(fields, fields);
    beginResetModel();
    held_.reset(0);
    source_ = std::move(source);
    endResetModel();
}

void GridModel::clearRows() {
    beginResetModel();
    source_.reset();
    held_.reset(0);
    endResetModel();
}

QVariant GridModel::value(int row, const QString& field) const {
    const int index = indexOfField(fields_, field);
    if (row < 0 || row >= rowCount() || index < 0)
        return {};
    return source_->value(row, index);
}

QVariant GridModel::key(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return source_->key(row);
}

int GridModel::rowOfKey(const QVariant& key) const {
    if (!source_ || !key.isValid())
        return -1;
    return source_->rowOfKey(key);
}

QString GridModel::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    const int field = columnFields_[static_cast<size_t>(column)];
    const QVariant value = field < 0 ? QVariant() : source_->value(row, field);
    const GridColumn& description = columns_[static_cast<size_t>(column)];
    if (description.text)
        return description.text(value);
    return value.isNull() ? QString() : value.toString();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !source_ ? 0 : source_->rowCount();
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
