#include "grid/grid_model.h"
#include "grid/data_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include <gtest/gtest.h>

#include <stdexcept>

namespace vlr::test {
namespace {

using grid::GridColumn;

// Rows read from SQLite as the windows read them, shown through the column descriptions.
class GridModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db_.open());
        QSqlQuery query(db_);
        ASSERT_TRUE(query.exec(QStringLiteral(
            "CREATE TABLE Data (DataId INTEGER PRIMARY KEY, N INTEGER, F1 REAL, T1 TEXT, "
            "Comment TEXT)")));
        ASSERT_TRUE(query.exec(QStringLiteral(
            "INSERT INTO Data VALUES (7, 2, 1.456, 'б', NULL), (3, 1, 10, 'а', 'прим.'), "
            "(9, 3, NULL, NULL, '')")));
    }
    void TearDown() override {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }

    QSqlQuery ordered(const QString& order) {
        QSqlQuery query(db_);
        query.setForwardOnly(true);
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT * FROM Data ORDER BY ") + order));
        return query;
    }

    static std::vector<GridColumn> columns() {
        const auto twoDecimals = [](const QVariant& value) {
            return value.isNull() ? QString() : QString::number(value.toDouble(), 'f', 2);
        };
        GridColumn material;  // set field by field, as a window may
        material.field = QStringLiteral("t1");
        material.title = QStringLiteral("Материал");
        material.width = 90;
        return {{QStringLiteral("N"), QStringLiteral("№"), 30, Qt::AlignCenter},
                {QStringLiteral("DataId"), QString(), 10, {}, {}, {}, true},
                {QStringLiteral("F1"), QStringLiteral("d,\nмм"), 60,
                 Qt::AlignRight | Qt::AlignVCenter, Qt::AlignLeft, twoDecimals},
                material};
    }

    QString name_ = QUuid::createUuid().toString();
    QSqlDatabase db_;
};

TEST_F(GridModelTest, ReadsAQueryAndShowsItThroughTheColumns) {
    grid::GridModel model;
    model.setColumns(columns());
    model.setKeyField(QStringLiteral("DataId"));
    model.setExtraFields({QStringLiteral("Comment")});
    QSqlQuery byN = ordered(QStringLiteral("N"));
    model.loadFromQuery(byN);

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
    QSqlQuery byText = ordered(QStringLiteral("T1 DESC"));
    model.loadFromQuery(byText);
    EXPECT_EQ(model.key(0), QVariant(7));

    // A column whose field the row set lacks is a fault of the caller, said loudly.
    QSqlQuery narrow(db_);
    ASSERT_TRUE(narrow.exec(QStringLiteral("SELECT DataId, N FROM Data")));
    EXPECT_THROW(model.loadFromQuery(narrow), std::invalid_argument);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(GridModelTest, GridFitsVisibleColumnsToItsWidthAndStartsOnTheFirstRow) {
    grid::DataGrid grid;
    grid.setColumns(columns());
    grid.setKeyField(QStringLiteral("DataId"));
    grid.setTitleLines(2);
    grid.setRowLines(2);
    grid.resize(500, 200);
    grid.show();
    QApplication::processEvents();
    QSqlQuery byN = ordered(QStringLiteral("N DESC"));
    grid.loadFromQuery(byN);

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
