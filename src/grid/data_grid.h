#pragma once

#include "grid/grid_column.h"
#include "grid/grid_model.h"
#include "grid/row_selection_order.h"
#include "grid/rows_mime.h"
#include "grid/title_sort_states.h"

#include <QTableView>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vlr::grid {

class TitleHeader;

// The data grid of every window: read-only rows held in memory or read by windows from a row
// source, whole-row multi-selection
// named by a key field, title sort states, rows dragged out and dropped in by key.
// The grid never orders rows itself: its owner re-reads them in the order of the states.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    enum class TitleSort { Off, Single, Several };
    using DropAcceptance = std::function<bool(const QString& source)>;

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // Columns, in the grid's fixed order; hidden ones keep their places.
    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const;
    int columnOfField(const QString& field) const;  // -1 when no column shows it
    void setKeyField(const QString& field);         // e.g. "DataId"
    QString keyField() const;
    // Fields kept for value() beyond the columns' and the key's (from the next load on).
    void setExtraFields(const QStringList& fields);
    void setTitleLines(int lines);
    void setRowLines(int lines);

    // Rows. A load makes the first row current and clears the selection.
    void setRows(const QStringList& fields, std::vector<QVariantList>&& rows);
    // Rows read from a source of the given fields as they come into view.
    void setSource(const QStringList& fields, std::unique_ptr<RowSource> source);
    void clearRows();
    int rowCount() const;
    GridModel* gridModel() const { return model_; }
    QVariant value(int row, const QString& field) const;

    // Current row (-1 and an invalid key when the grid is empty).
    int currentRow() const;
    QVariant currentKey() const;
    QVariant currentValue(const QString& field) const;
    bool locateKey(const QVariant& key);  // exact match; false leaves the current row
    void setCurrentRow(int row);

    // Selection, as key values in the order the user selected the rows.
    QVariantList selectedKeys() const;
    // The selection, or the current row's key when nothing is selected, or nothing.
    QVariantList selectionOrCurrentKeys() const;
    void selectRow(int row);  // adds the row to the selection
    // Selects every row and keeps the current one, with drawing frozen meanwhile.
    void selectAllRows();

    // Title sort states; changed by title clicks when enabled.
    void setTitleSort(TitleSort mode);
    TitleSort titleSort() const { return titleSort_; }
    SortState sortState(int column) const;
    void setSortState(int column, SortState state);
    void clearSortStates();
    // Column and sort state, sorted columns only, in column order.
    std::vector<std::pair<int, SortState>> sortedColumns() const;
    // Applies a title click as the user's (used by the title bar; hidden columns ignored).
    void clickTitle(int column, Qt::KeyboardModifiers modifiers);

    // Drag source: dragging is on once the grid has an identity.
    void setSourceIdentity(const QString& identity);
    QString sourceIdentity() const { return sourceIdentity_; }
    std::unique_ptr<QMimeData> dragData() const;

    // Drop target: dropping is on once the grid has an acceptance callback.
    void setDropAcceptance(DropAcceptance acceptance);

signals:
    void titleStateChanged(int column);
    void rowsDropped(const QString& source, const QVariantList& keys);
    void deleteRequested(const QVariantList& keys);  // Ctrl+Del
    // A double click in the rows' area, on a row or not; the current row (-1 when none).
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // What a double click on the title's right edge fits the column to (with its title).
    int sizeHintForColumn(int column) const override;
    void changeEvent(QEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void afterLoad();
    void fitColumns();
    int textWidth(int column) const;
    void trackSelection(const QItemSelection& selected, const QItemSelection& deselected);
    bool acceptsDrag(const QMimeData* mime) const;
    int firstVisibleColumn() const;

    GridModel* model_;
    TitleHeader* titles_;
    TitleSortStates sortStates_;
    TitleSort titleSort_ = TitleSort::Off;
    RowSelectionOrder selectionOrder_;
    QString sourceIdentity_;
    DropAcceptance dropAcceptance_;
    int rowLines_ = 1;
    std::map<int, int> chosenWidths_;  // column -> width the user gave it
    bool fitting_ = false;
};

}  // namespace vlr::grid
