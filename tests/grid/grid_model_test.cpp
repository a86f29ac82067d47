#include "grid/grid_model.h"
#include "grid/data_grid.h"

#include <QApplication>
#include <QHeaderView>

#include <gtest/gtest.h>

#include <stdexcept>

namespace vlr::test {
namespace {

using grid::GridColumn;

const QStringList kFields{QStringLiteral("DataId"), QStringLiteral("N"), QStringLiteral("F1"),
                          QStringLiteral("T1"), QStringLiteral("Comment")};

// Three records as a row set gives them, in the order asked: by N, by T1 descending, by N
// descending.
std::vector<QVariantList> records(const std::vector<int>& order) {
    const std::vector<QVariantList> all{{3, 1, 10.0, QStringLiteral("а"), QStringLiteral("прим.")},
                                        {7, 2, 1.456, QStringLiteral("б"), QVariant()},
                                        {9, 3, QVariant(), QVariant(), QString()}};
    std::vector<QVariantList> rows;
    for (int index : order)
        rows.push_back(all[static_cast<size_t>(index)]);
    return rows;
}

// The column descriptions the rows are shown through.
std::vector<GridColumn> columns() {
    const auto twoDecimals = [](const QVariant& value) {
        return value.isNull() ? QString() : QString::number(value.toDouble(), 'f', 2);
    };
    GridColumn material;  // set field by field, as a window may
    material.field = QStringLiteral("t1");
    material.title = QStringLiteral("Материал");
    material.width = 90;
    return {{QStringLiteral("N"), QStringLiteral("№"), 30, Qt::AlignCenter},
            {QStringLiteral("DataId"), QString(), 10, {}, {}, {}, true},
            {QStringLiteral("F1"), QStringLiteral("d,\nмм"), 60, Qt::AlignRight | Qt::AlignVCenter,
             Qt::AlignLeft, twoDecimals},
            material};
}

TEST(GridModelTest, ShowsRowsThroughTheColumns) {
    grid::GridModel model;
    model.setColumns(columns());
    model.setKeyField(QStringLiteral("DataId"));
    model.setExtraFields({QStringLiteral("Comment")});
    model.setRows(kFields, records({0, 1, 2}));

    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.key(0), QVariant(3));
    EXPECT_EQ(model.rowOfKey(9), 2);
    EXPECT_EQ(model.rowOfKey(8), -1);
    EXPECT_TRUE(model.value(1, QStringLiteral("comment")).isNull());
    EXPECT_EQ(model.value(0, QStringLiteral("Comment")).toString(), QStringLiteral("прим."));
    EXPECT_EQ(model.keptFields(),
              (QStringList{QStringLiteral("N"), QStringLiteral("DataId"), QStringLiteral("F1"),
                           QStringLiteral("T1"), QStringLiteral("Comment")}));
    // Field names match without case; text functions shape the cells; null shows empty.
    EXPECT_EQ(model.data(model.index(1, 2)).toString(), QStringLiteral("1.46"));
    EXPECT_EQ(model.data(model.index(1, 3)).toString(), QStringLiteral("б"));
    EXPECT_EQ(model.data(model.index(2, 2)).toString(), QString());
    EXPECT_EQ(model.data(model.index(0, 2), Qt::AccessibleTextRole).toString(),
              QStringLiteral("10.00"));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(),
              static_cast<int>(Qt::AlignCenter));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("d,\nмм"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
              QStringLiteral("d, мм"));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    // A reload in another order replaces the rows.
    model.setRows(kFields, records({1, 0, 2}));
    EXPECT_EQ(model.key(0), QVariant(7));

    // A column whose field the rows lack is a fault of the caller, said loudly.
    EXPECT_THROW(model.setRows({QStringLiteral("DataId"), QStringLiteral("N")}, {{3, 1}}),
                 std::invalid_argument);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(GridModelTest, GridFitsVisibleColumnsToItsWidthAndStartsOnTheFirstRow) {
    grid::DataGrid grid;
    grid.setColumns(columns());
    grid.setKeyField(QStringLiteral("DataId"));
    grid.setTitleLines(2);
    grid.setRowLines(2);
    grid.resize(500, 200);
    grid.show();
    QApplication::processEvents();
    grid.setRows(kFields, records({2, 1, 0}));

    EXPECT_EQ(grid.currentKey(), QVariant(9));
    EXPECT_TRUE(grid.currentValue(QStringLiteral("T1")).isNull());
    EXPECT_FALSE(grid.currentValue(QStringLiteral("Comment")).isValid());  // not kept
    EXPECT_TRUE(grid.isColumnHidden(1));
    const int width = grid.viewport()->width();
    EXPECT_EQ(grid.columnWidth(0) + grid.columnWidth(2) + grid.columnWidth(3), width);
    EXPECT_NEAR(grid.columnWidth(3), width * 90 / 180, 1);
    EXPECT_GE(grid.rowHeight(0), 2 * grid.fontMetrics().lineSpacing());
    EXPECT_GE(grid.horizontalHeader()->height(), 2 * grid.fontMetrics().lineSpacing());
    QFont larger = grid.font();
    larger.setPixelSize(30);
    grid.setFont(larger);  // rows keep their two lines of the new font
    EXPECT_GE(grid.rowHeight(0), 60);

    grid.resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(grid.columnWidth(0) + grid.columnWidth(2) + grid.columnWidth(3),
              grid.viewport()->width());
}

}  // namespace
}  // namespace vlr::test
