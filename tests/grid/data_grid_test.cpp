#include "grid/data_grid.h"
#include "grid/rows_mime.h"
#include "grid_test_helpers.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

using grid::DataGrid;
using grid::GridColumn;
using grid::SortState;

// A receive-view shaped grid: a hidden key among the shown columns, six rows keyed 10..15.
class DataGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid_.setColumns({{QStringLiteral("N"), QStringLiteral("№"), 40},
                          {QStringLiteral("DataId"), QString(), 30, {}, {}, {}, true},
                          {QStringLiteral("T4"), QStringLiteral("Режим"), 70},
                          {QStringLiteral("F1"), QStringLiteral("d,\nмм"), 90}});
        grid_.setKeyField(QStringLiteral("DataId"));
        std::vector<QVariantList> rows;
        for (int i = 0; i < 6; ++i)
            rows.push_back({i + 1, 10 + i, QStringLiteral("Режим %1").arg(i), 1.5 * i});
        grid_.setRows({QStringLiteral("N"), QStringLiteral("DataId"), QStringLiteral("T4"),
                       QStringLiteral("F1")},
                      std::move(rows));
        grid_.resize(400, 300);
        grid_.show();
        QApplication::processEvents();
    }

    DataGrid grid_;
};

QVariantList keys(std::initializer_list<int> values) {
    QVariantList list;
    for (int value : values)
        list << value;
    return list;
}

TEST_F(DataGridTest, TitleClicksFollowThePlainShiftAndCtrlRules) {
    QList<int> reported;
    QObject::connect(&grid_, &DataGrid::titleStateChanged,
                     [&reported](int column) { reported << column; });
    auto states = [this] {
        return std::vector<SortState>{grid_.sortState(0), grid_.sortState(1), grid_.sortState(2),
                                      grid_.sortState(3)};
    };
    using S = SortState;

    clickTitle(grid_, 2);  // sorting still off: nothing happens
    EXPECT_TRUE(reported.isEmpty());
    grid_.setTitleSort(DataGrid::TitleSort::Several);

    clickTitle(grid_, 2);
    EXPECT_EQ(states(), (std::vector<S>{S::None, S::None, S::Ascending, S::None}));
    clickTitle(grid_, 2);
    EXPECT_EQ(states(), (std::vector<S>{S::None, S::None, S::Descending, S::None}));
    clickTitle(grid_, 3, Qt::ShiftModifier);
    clickTitle(grid_, 0, Qt::ShiftModifier);
    EXPECT_EQ(states(), (std::vector<S>{S::Ascending, S::None, S::Descending, S::Ascending}));
    // Sorted columns come in column order, whatever the click order.
    const auto sorted = grid_.sortedColumns();
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0], std::make_pair(0, S::Ascending));
    EXPECT_EQ(sorted[1], std::make_pair(2, S::Descending));
    EXPECT_EQ(sorted[2], std::make_pair(3, S::Ascending));

    clickTitle(grid_, 2, Qt::ShiftModifier);  // descending goes back to ascending
    EXPECT_EQ(states(), (std::vector<S>{S::Ascending, S::None, S::Ascending, S::Ascending}));
    clickTitle(grid_, 3, Qt::ControlModifier);
    EXPECT_EQ(states(), (std::vector<S>{S::Ascending, S::None, S::Ascending, S::None}));
    clickTitle(grid_, 3, Qt::ControlModifier);  // already none: no change, no report
    clickTitle(grid_, 0);                       // plain: the others fall back to none
    EXPECT_EQ(states(), (std::vector<S>{S::Descending, S::None, S::None, S::None}));
    grid_.clickTitle(1, Qt::NoModifier);  // the hidden key column cannot be sorted
    EXPECT_EQ(grid_.sortState(1), S::None);

    EXPECT_EQ(reported, (QList<int>{2, 2, 3, 0, 2, 3, 0}));

    // One sorted title at a time: Shift acts as a plain click.
    grid_.setTitleSort(DataGrid::TitleSort::Single);
    clickTitle(grid_, 2);
    clickTitle(grid_, 3, Qt::ShiftModifier);
    EXPECT_EQ(states(), (std::vector<S>{S::None, S::None, S::None, S::Ascending}));
    EXPECT_TRUE(grid_.selectedKeys().isEmpty());  // title clicks select no rows
}

TEST_F(DataGridTest, SelectionKeepsTheUsersOrderAndTravelsInTheDrag) {
    grid_.setSourceIdentity(QStringLiteral("DBGridPro1"));
    clickRow(grid_, 4);
    clickRow(grid_, 1, Qt::ControlModifier);
    clickRow(grid_, 3, Qt::ControlModifier);
    EXPECT_EQ(grid_.selectedKeys(), keys({14, 11, 13}));
    clickRow(grid_, 1, Qt::ControlModifier);  // deselected
    clickRow(grid_, 0, Qt::ControlModifier);
    EXPECT_EQ(grid_.selectedKeys(), keys({14, 13, 10}));
    EXPECT_EQ(grid_.currentKey(), QVariant(10));

    const auto mime = grid_.dragData();
    const grid::DraggedRows dragged = grid::draggedRows(mime.get());
    EXPECT_EQ(dragged.source, QStringLiteral("DBGridPro1"));
    EXPECT_EQ(dragged.keys, keys({14, 13, 10}));
    EXPECT_EQ(grid::draggedRowsSource(mime.get()), QStringLiteral("DBGridPro1"));

    // Without an explicit selection the current row is dragged; a reload clears the selection.
    grid_.setRows(
        {QStringLiteral("N"), QStringLiteral("DataId"), QStringLiteral("T4"), QStringLiteral("F1")},
        {{1, 20, QString(), 0.0}, {2, 21, QString(), 0.0}});
    EXPECT_TRUE(grid_.selectedKeys().isEmpty());
    EXPECT_TRUE(grid_.locateKey(21));
    EXPECT_FALSE(grid_.locateKey(99));
    EXPECT_EQ(grid::draggedRows(grid_.dragData().get()).keys, keys({21}));
    grid_.clearRows();
    EXPECT_TRUE(grid::draggedRows(grid_.dragData().get()).keys.isEmpty());
}

TEST_F(DataGridTest, OnlyCtrlASelectsEveryRowAndKeepsTheCurrentOne) {
    grid_.setCurrentRow(2);
    pressKey(grid_, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("A"));
    pressKey(grid_, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_TRUE(grid_.selectedKeys().isEmpty());
    EXPECT_EQ(grid_.currentRow(), 2);

    pressKey(grid_, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid_.selectedKeys(), keys({10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(grid_.currentKey(), QVariant(12));
    EXPECT_TRUE(grid_.updatesEnabled());
}

TEST_F(DataGridTest, CtrlDelAsksToDeleteTheSelectionOrTheCurrentRow) {
    QList<QVariantList> requested;
    QObject::connect(&grid_, &DataGrid::deleteRequested,
                     [&requested](const QVariantList& keys) { requested << keys; });
    clickRow(grid_, 3);
    clickRow(grid_, 1, Qt::ControlModifier);
    pressKey(grid_, Qt::Key_Delete, Qt::ShiftModifier);  // not the chord
    pressKey(grid_, Qt::Key_Delete, Qt::ControlModifier);
    grid_.clearSelection();
    grid_.setCurrentRow(5);
    pressKey(grid_, Qt::Key_Delete, Qt::ControlModifier);
    grid_.clearRows();
    pressKey(grid_, Qt::Key_Delete, Qt::ControlModifier);  // nothing to delete

    EXPECT_EQ(requested, (QList<QVariantList>{keys({13, 11}), keys({15})}));
}

TEST_F(DataGridTest, DropsAreAcceptedOnlyFromTheSourceTheOwnerNames) {
    DataGrid target;
    target.setColumns({{QStringLiteral("N"), QStringLiteral("№"), 40}});
    QList<grid::DraggedRows> dropped;
    QObject::connect(&target, &DataGrid::rowsDropped,
                     [&dropped](const QString& source, const QVariantList& rowKeys) {
                         dropped.push_back({source, rowKeys});
                     });
    // The platform delivers moves and the drop to the widget that accepted the drag's entry.
    auto dragOver = [&target](const QMimeData& mime) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target.viewport(), &enter);
        QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target.viewport(), &move);
        return enter.isAccepted() && move.isAccepted();
    };
    auto drop = [&target, &dragOver](const QMimeData& mime) {
        dragOver(mime);
        QDropEvent event(QPointF(6, 6), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target.viewport(), &event);
    };
    const auto fromOsk = grid::rowsMimeData({QStringLiteral("DBGridPro_COSK"), keys({3, 1})});
    const auto fromVtr = grid::rowsMimeData({QStringLiteral("DBGridPro_CVTR"), keys({7})});
    QMimeData text;
    text.setText(QStringLiteral("DBGridPro_COSK"));
    // The same rows as another running copy of the program drags them: its own token, or none
    // from a copy that sends only the grid's name and the keys.
    const auto fromOtherCopy = grid::rowsMimeData({QStringLiteral("DBGridPro_COSK"), keys({3})});
    fromOtherCopy->setData(QString::fromLatin1(grid::kRowsProcessMimeType), "5f3a");
    QMimeData withoutToken;
    for (const char* format : {grid::kRowsSourceMimeType, grid::kRowsKeysMimeType})
        withoutToken.setData(QString::fromLatin1(format),
                             fromOsk->data(QString::fromLatin1(format)));

    EXPECT_FALSE(dragOver(*fromOsk));  // no acceptance callback: not a drop target
    target.setDropAcceptance(
        [](const QString& source) { return source == QLatin1String("DBGridPro_COSK"); });
    EXPECT_TRUE(target.viewport()->acceptDrops());
    EXPECT_TRUE(dragOver(*fromOsk));
    EXPECT_FALSE(dragOver(*fromVtr));
    EXPECT_FALSE(dragOver(text));
    EXPECT_FALSE(dragOver(*fromOtherCopy));
    EXPECT_FALSE(dragOver(withoutToken));
    drop(*fromVtr);
    drop(*fromOtherCopy);
    drop(withoutToken);
    drop(*fromOsk);

    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped.at(0).source, QStringLiteral("DBGridPro_COSK"));
    EXPECT_EQ(dropped.at(0).keys, keys({3, 1}));
}

// The width a cell needs to show its text whole: the text and the item's margins and grid line.
int cellNeed(const DataGrid& grid, const QString& text) {
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    return grid.fontMetrics().horizontalAdvance(text) + 2 * margin + 1;
}

// Columns share the width in the proportions of their starting widths, but none gets less than
// its texts need; when even that does not fit, the grid scrolls sideways. A double click on a
// title's right edge fits that column to its texts and title, and the width stays.
TEST(DataGridFitTest, ColumnsNeverCutTheirTextsAndATitleEdgeDoubleClickFitsOne) {
    DataGrid grid;
    grid.setColumns({{QStringLiteral("N"), QStringLiteral("№"), 100},
                     {QStringLiteral("DateTime"), QStringLiteral("Дата/Время"), 30},
                     {QStringLiteral("T1"), QStringLiteral("Материал изделия"), 100}});
    const QStringList dates{QStringLiteral("07.10.2019 14:23:05"),
                            QStringLiteral("28.12.2024 9:05:00")};
    grid.resize(500, 200);
    grid.show();
    QApplication::processEvents();
    grid.setRows(
        {QStringLiteral("N"), QStringLiteral("DateTime"), QStringLiteral("T1")},
        {{1, dates[0], QStringLiteral("б")}, {2, dates[1], QStringLiteral("Бетон тяжелый")}});
    const auto anyCut = [&grid] {
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < grid.rowCount(); ++row) {
                const QString text = grid.model()->index(row, column).data().toString();
                if (cellNeed(grid, text) > grid.columnWidth(column))
                    return true;
            }
        return false;
    };
    const auto widths = [&grid] {
        return grid.columnWidth(0) + grid.columnWidth(1) + grid.columnWidth(2);
    };

    // The date-time's proportional share is too small: it gets its need, the others share the
    // rest as their starting widths say.
    EXPECT_FALSE(anyCut());
    EXPECT_EQ(widths(), grid.viewport()->width());
    EXPECT_NEAR(grid.columnWidth(1), cellNeed(grid, dates[0]), 2);
    EXPECT_NEAR(grid.columnWidth(0), grid.columnWidth(2), 1);

    grid.resize(120, 200);
    QApplication::processEvents();
    EXPECT_FALSE(anyCut());
    EXPECT_GT(grid.horizontalScrollBar()->maximum(), 0);

    grid.resize(500, 200);
    QApplication::processEvents();
    EXPECT_EQ(grid.horizontalScrollBar()->maximum(), 0);
    QHeaderView* titles = grid.horizontalHeader();
    const QPoint edge(titles->sectionViewportPosition(2) + titles->sectionSize(2) - 1,
                      titles->height() / 2);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, edge, titles->mapToGlobal(edge),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(titles->viewport(), &doubleClick);
    const int fitted =
        std::max(cellNeed(grid, QStringLiteral("Бетон тяжелый")), titles->sectionSizeHint(2));
    EXPECT_NEAR(grid.columnWidth(2), fitted, 2);
    const int chosen = grid.columnWidth(2);
    EXPECT_EQ(widths(), grid.viewport()->width());
    grid.resize(640, 200);
    QApplication::processEvents();
    EXPECT_EQ(grid.columnWidth(2), chosen);
    EXPECT_EQ(widths(), grid.viewport()->width());
}

// What a screen reader is told: the grid's name, every title and every cell's text as it is
// drawn, through the accessibility interfaces the AT-SPI bridge reads.
TEST_F(DataGridTest, ScreenReadersGetTitlesAndCellTexts) {
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&grid_);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->text(QAccessible::Name), QStringLiteral("Таблица"));
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 6);
    QStringList titles;
    for (int column = 0; column < table->columnCount(); ++column)
        titles << table->columnDescription(column).simplified();  // a title's lines, read as one
    EXPECT_TRUE(titles.contains(QStringLiteral("Режим")));
    EXPECT_TRUE(titles.contains(QStringLiteral("d, мм")));

    const int modeColumn = static_cast<int>(titles.indexOf(QStringLiteral("Режим")));
    QAccessibleInterface* cell = table->cellAt(4, modeColumn);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("Режим 4"));
}

}  // namespace
}  // namespace vlr::test
