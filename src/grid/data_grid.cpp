#include "grid/data_grid.h"

#include "grid/column_fit.h"
#include "grid/title_header.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace vlr::grid {

namespace {

constexpr int kRowMargin = 4;

// A number or a date-time as a cell shows it: digits and their separators only.
bool isNumberOrDateTime(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.isDigit() || QStringView(u" .,:-+/").contains(c); });
}

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
    // The fit decides the widths: the style's minimum would widen a narrow column past its
    // share and push the last one out of view.
    titles_->setMinimumSectionSize(1);
    setModel(model_);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Only when even the texts' own widths do not fit: a value is never cut.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCornerButtonEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setDropIndicatorShown(false);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: silver; }"));
    setPalette(gridPalette(palette()));
    setAccessibleName(tr("Таблица"));
    setRowLines(1);
    setItemDelegate(new CurrentRowDelegate(this));

    connect(titles_, &TitleHeader::titleClicked, this, &DataGrid::clickTitle);
    // A width the user gives a column (dragging its edge, or a double click there, which fits
    // it to its texts and title) stays; the other columns share what is left.
    connect(titles_, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (fitting_ || isColumnHidden(column))
            return;
        chosenWidths_[column] = width;
        fitColumns();
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DataGrid::trackSelection);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                viewport()->update();  // the old and the new current row, across every column
                emit currentRowChanged(current.row());
            });
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { selectionOrder_.reset(model_->rowCount()); });
}

DataGrid::~DataGrid() = default;

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    model_->setColumns(std::move(columns));
    chosenWidths_.clear();
    sortStates_.resize(model_->columnCount());
    const auto& described = model_->columns();
    fitting_ = true;
    for (int column = 0; column < static_cast<int>(described.size()); ++column)
        setColumnHidden(column, described[static_cast<size_t>(column)].hidden);
    fitting_ = false;
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
    // A one-line row shows its text on one line: wrapped, a date-time would lose its time.
    setWordWrap(rowLines_ > 1);
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
    fitColumns();
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
// width, but never less than its texts need.
void DataGrid::fitColumns() {
    const auto& described = model_->columns();
    std::vector<int> shown;
    std::vector<ColumnRoom> rooms;
    for (int column = 0; column < static_cast<int>(described.size()); ++column) {
        if (isColumnHidden(column))
            continue;
        shown.push_back(column);
        const auto chosen = chosenWidths_.find(column);
        rooms.push_back({described[static_cast<size_t>(column)].width, textWidth(column),
                         chosen == chosenWidths_.end() ? -1 : chosen->second});
    }
    const std::vector<int> widths = fitColumnWidths(rooms, viewport()->width());
    fitting_ = true;
    for (size_t i = 0; i < shown.size(); ++i)
        setColumnWidth(shown[i], widths[i]);
    fitting_ = false;
}

// The widest text of the rows in view (of the first rows before the grid is shown) with the
// cell's margins; a row of several lines wraps its text, so there the widest word counts.
// Numbers, date-times and short texts count whole; of a longer text (a note, a specimen's
// dimensions) its beginning, the rest cut with an ellipsis until the user widens the column.
int DataGrid::textWidth(int column) const {
    constexpr int kMeasuredRows = 200;
    constexpr int kShortText = 16;  // characters
    const int rows = model_->rowCount();
    if (rows == 0)
        return 0;
    const int first = std::max(rowAt(0), 0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = rows - 1;
    last = std::min(last, first + kMeasuredRows);
    const QFontMetricsF metrics(font());
    qreal widest = 0;
    for (int row = first; row <= last; ++row) {
        QString text = model_->data(model_->index(row, column)).toString();
        if (text.size() > kShortText && !isNumberOrDateTime(text))
            text = text.left(kShortText) + QChar(0x2026);
        if (rowLines_ == 1) {
            widest = std::max(widest, metrics.horizontalAdvance(text));
            continue;
        }
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = std::max(widest, metrics.horizontalAdvance(word));
    }
    if (widest == 0)
        return 0;
    // The item's text margins, as the style draws them, and the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return static_cast<int>(std::ceil(widest)) + 2 * margin + 1;
}

int DataGrid::sizeHintForColumn(int column) const {
    return textWidth(column);
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

// Anywhere in the rows' area, an empty grid's included: the owner decides what a double click
// on no row means.
void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit rowDoubleClicked(currentRow());
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
