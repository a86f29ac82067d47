#include "grid/data_grid.h"

#include "grid/title_header.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QResizeEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace vlr::grid {

namespace {

constexpr int kRowMargin = 4;

// The selected row stays filled when the grid loses the focus.
QPalette gridPalette(QPalette palette) {
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    return palette;
}

// The current row is the one double clicks, Ctrl+Del and drops without a selection act on: it is
// tinted across its whole width even when it is not selected.
class CurrentRowDelegate : public QStyledItemDelegate {
public:
    explicit CurrentRowDelegate(QTableView* view) : QStyledItemDelegate(view), view_(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.row() != view_->currentIndex().row() || option->state & QStyle::State_Selected)
            return;
        QColor tint = option->palette.color(QPalette::Active, QPalette::Highlight);
        tint.setAlpha(48);
        option->backgroundBrush = tint;
    }

private:
    QTableView* view_;
};

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent), model_(new GridModel(this)), titles_(new TitleHeader(sortStates_, this)) {
    setHorizontalHeader(titles_);
    setModel(model_);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(true);
    setCornerButtonEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setDropIndicatorShown(false);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: silver; }"));
    setPalette(gridPalette(palette()));
    setAccessibleName(tr("Таблица"));
    setRowLines(1);
    setItemDelegate(new CurrentRowDelegate(this));

    connect(titles_, &TitleHeader::titleClicked, this, &DataGrid::clickTitle);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DataGrid::trackSelection);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                viewport()->update();  // the old and the new current row, across every column
                emit currentRowChanged(current.row());
            });
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { selectionOrder_.reset(model_->rowCount()); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
}

DataGrid::~DataGrid() = default;

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    model_->setColumns(std::move(columns));
    sortStates_.resize(model_->columnCount());
    const auto& described = model_->columns();
    for (int column = 0; column < static_cast<int>(described.size()); ++column)
        setColumnHidden(column, described[static_cast<size_t>(column)].hidden);
    fitColumns();
}

const std::vector<GridColumn>& DataGrid::columns() const {
    return model_->columns();
}

int DataGrid::columnOfField(const QString& field) const {
    const auto& described = model_->columns();
    for (size_t column = 0; column < described.size(); ++column)
        if (described[column].field.compare(field, Qt::CaseInsensitive) == 0)
            return static_cast<int>(column);
    return -1;
}

void DataGrid::setKeyField(const QString& field) {
    model_->setKeyField(field);
}

QString DataGrid::keyField() const {
    return model_->keyField();
}

void DataGrid::setExtraFields(const QStringList& fields) {
    model_->setExtraFields(fields);
}

void DataGrid::setTitleLines(int lines) {
    titles_->setTitleLines(lines);
    updateGeometries();
}

void DataGrid::setRowLines(int lines) {
    rowLines_ = std::max(lines, 1);
    verticalHeader()->setDefaultSectionSize(rowLines_ * fontMetrics().lineSpacing() + kRowMargin);
    verticalHeader()->setMinimumSectionSize(1);
}

void DataGrid::setRows(const QStringList& fields, std::vector<QVariantList>&& rows) {
    model_->setRows(fields, std::move(rows));
    afterLoad();
}

void DataGrid::setSource(const QStringList& fields, std::unique_ptr<RowSource> source) {
    model_->setSource(fields, std::move(source));
    afterLoad();
}

void DataGrid::clearRows() {
    model_->clearRows();
}

void DataGrid::afterLoad() {
    if (model_->rowCount() > 0)
        setCurrentRow(0);
}

int DataGrid::rowCount() const {
    return model_->rowCount();
}

QVariant DataGrid::value(int row, const QString& field) const {
    return model_->value(row, field);
}

int DataGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

QVariant DataGrid::currentKey() const {
    return model_->key(currentRow());
}

QVariant DataGrid::currentValue(const QString& field) const {
    return model_->value(currentRow(), field);
}

bool DataGrid::locateKey(const QVariant& key) {
    const int row = model_->rowOfKey(key);
    if (row < 0)
        return false;
    setCurrentRow(row);
    return true;
}

int DataGrid::firstVisibleColumn() const {
    for (int column = 0; column < model_->columnCount(); ++column)
        if (!isColumnHidden(column))
            return column;
    return 0;
}

void DataGrid::setCurrentRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    const QModelIndex index = model_->index(row, firstVisibleColumn());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

void DataGrid::trackSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    for (const QItemSelectionRange& range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (!selectionModel()->rowIntersectsSelection(row, QModelIndex()))
                selectionOrder_.deselect(row);
    for (const QItemSelectionRange& range : selected)
        selectionOrder_.select(range.top(), range.bottom());
}

QVariantList DataGrid::selectedKeys() const {
    QVariantList keys;
    for (int row : selectionOrder_.rows())
        keys << model_->key(row);
    return keys;
}

QVariantList DataGrid::selectionOrCurrentKeys() const {
    if (!selectionOrder_.isEmpty())
        return selectedKeys();
    const QVariant key = currentKey();
    return key.isValid() ? QVariantList{key} : QVariantList{};
}

void DataGrid::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    selectionModel()->select(model_->index(row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void DataGrid::selectAllRows() {
    const QVariant current = currentKey();
    setUpdatesEnabled(false);
    selectAll();
    if (current.isValid())
        locateKey(current);
    setUpdatesEnabled(true);
    viewport()->update();
}

void DataGrid::setTitleSort(TitleSort mode) {
    titleSort_ = mode;
    if (mode == TitleSort::Off)
        clearSortStates();
}

SortState DataGrid::sortState(int column) const {
    return sortStates_.state(column);
}

void DataGrid::setSortState(int column, SortState state) {
    sortStates_.set(column, state);
    titles_->viewport()->update();
}

void DataGrid::clearSortStates() {
    sortStates_.clear();
    titles_->viewport()->update();
}

std::vector<std::pair<int, SortState>> DataGrid::sortedColumns() const {
    std::vector<std::pair<int, SortState>> sorted;
    for (int column = 0; column < sortStates_.columnCount(); ++column)
        if (sortStates_.state(column) != SortState::None)
            sorted.emplace_back(column, sortStates_.state(column));
    return sorted;
}

void DataGrid::clickTitle(int column, Qt::KeyboardModifiers modifiers) {
    if (titleSort_ == TitleSort::Off || isColumnHidden(column))
        return;
    if (!sortStates_.click(column, modifiers, titleSort_ == TitleSort::Several))
        return;
    titles_->viewport()->update();
    emit titleStateChanged(column);
}

void DataGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitColumns();
}

// Every visible column gets its share of the visible width in proportion to its starting
// width; the last one takes what rounding leaves.
void DataGrid::fitColumns() {
    const auto& described = model_->columns();
    int total = 0;
    int last = -1;
    for (int column = 0; column < static_cast<int>(described.size()); ++column)
        if (!isColumnHidden(column)) {
            total += std::max(described[static_cast<size_t>(column)].width, 1);
            last = column;
        }
    if (last < 0)
        return;
    const int available = viewport()->width();
    int used = 0;
    for (int column = 0; column < last; ++column) {
        if (isColumnHidden(column))
            continue;
        const int width = std::max(described[static_cast<size_t>(column)].width, 1);
        const int fitted = std::max(width * available / total, 1);
        setColumnWidth(column, fitted);
        used += fitted;
    }
    setColumnWidth(last, std::max(available - used, 1));
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (event->key() == Qt::Key_A && modifiers == Qt::ControlModifier) {
        selectAllRows();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        const QVariantList keys = selectionOrCurrentKeys();
        if (!keys.isEmpty())
            emit deleteRequested(keys);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    // Row heights are counted in lines of the grid's font.
    if (event->type() == QEvent::FontChange)
        setRowLines(rowLines_);
}

void DataGrid::keyboardSearch(const QString&) {
    // Typing moves nothing: the rows are searched by the windows, not by their first letters.
}

void DataGrid::setSourceIdentity(const QString& identity) {
    sourceIdentity_ = identity;
    setDragEnabled(!identity.isEmpty());
}

std::unique_ptr<QMimeData> DataGrid::dragData() const {
    return rowsMimeData({sourceIdentity_, selectionOrCurrentKeys()});
}

void DataGrid::startDrag(Qt::DropActions) {
    if (sourceIdentity_.isEmpty() || rowCount() == 0)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData().release());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void DataGrid::setDropAcceptance(DropAcceptance acceptance) {
    dropAcceptance_ = std::move(acceptance);
    setAcceptDrops(static_cast<bool>(dropAcceptance_));
    viewport()->setAcceptDrops(static_cast<bool>(dropAcceptance_));
}

bool DataGrid::acceptsDrag(const QMimeData* mime) const {
    return dropAcceptance_ && hasDraggedRows(mime) && dropAcceptance_(draggedRowsSource(mime));
}

void DataGrid::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void DataGrid::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrag(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DataGrid::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void DataGrid::dropEvent(QDropEvent* event) {
    if (!acceptsDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const DraggedRows rows = draggedRows(event->mimeData());
    emit rowsDropped(rows.source, rows.keys);
}

}  // namespace vlr::grid
