#include "docs/file_records.h"
#include "docs/cell_text.h"
#include "docs/document_export.h"
#include "docs/document_files.h"
#include "docs/document_report.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "xls/xls_workbook.h"

#include <QDateTime>
#include <QHash>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

class FileRecordsTest : public test::OnBothDatabases<test::DocumentFilesTest> {
protected:
    // The DataIds of the file as its search statement for the order lists them, nulls where the
    // local file puts them on either engine.
    std::vector<int> statementOrder(int file, const RecordOrder& order) {
        const QString line = store::orderByLine(order);
        store::Query search(db_, store::documentSearchStatement(line));
        QSqlQuery& rows = search.set(QStringLiteral("PFileNameId"), file).open();
        std::vector<int> ids;
        while (rows.next())
            ids.push_back(rows.value(QStringLiteral("DataId")).toInt());
        return ids;
    }
};

TEST_P(FileRecordsTest, RecordsComeInTheirStatementsOrderAndAreReadByWindows) {
    // Over two windows of rows, with repeated, null and case-different values in every column.
    const int file = addSavedFile(QStringLiteral("Много"), 2);
    const int other = addSavedFile(QStringLiteral("Другой"), 2);
    const QStringList texts{"Ж", "ёмкость", "Бетон", "бетон", "Арматура", "zeta", "Alpha", ""};
    QSqlDatabase connection = db_.connection();
    connection.transaction();
    for (int i = 0; i < 700; ++i) {
        QVariantMap fields{{"N", i % 50}, {"F1", i % 7 == 0 ? QVariant() : QVariant(i % 13 - 6.5)}};
        if (i % 11 != 0)
            fields.insert("T1", texts[i % texts.size()]);
        if (i % 5 != 0)
            fields.insert("DateTime",
                          QStringLiteral("2024-01-%1 10:00:00").arg(i % 28 + 1, 2, 10, QChar('0')));
        fields.insert("Comment", texts[(i / 3) % texts.size()] + QString::number(i % 4));
        addRecord(file, fields);
    }
    addRecord(other, {{"N", 1}});
    connection.commit();

    const QStringList fields{"N", "T1", "F1", "DateTime"};
    for (const RecordOrder& order :
         {RecordOrder{}, RecordOrder{{"T1", false}}, RecordOrder{{"T1", true}, {"F1", false}},
          RecordOrder{{"F1", true}, {"Comment", false}},
          RecordOrder{{"DateTime", true}, {"N", false}}, RecordOrder{{"Comment", true}}}) {
        const FileRecords records(db_, file, order, fields);
        const std::vector<int> expected = statementOrder(file, order);
        ASSERT_EQ(records.count(), int(expected.size()));
        std::vector<int> ids;
        for (int row = 0; row < records.count(); ++row)
            ids.push_back(records.dataId(row));
        EXPECT_EQ(ids, expected) << store::orderByLine(order).toStdString();
    }

    // Values are read a window at a time, anywhere in the file, and found by their id.
    const FileRecords records(db_, file, {{"T1", true}}, fields);
    const int last = records.count() - 1;
    EXPECT_EQ(records.rowOfDataId(records.dataId(last)), last);
    EXPECT_EQ(records.rowOfDataId(-5), -1);
    const QVariant lastN =
        firstValue(QStringLiteral("SELECT N FROM Data WHERE DataId=%1").arg(records.dataId(last)));
    EXPECT_EQ(records.value(last, records.fieldIndex(QStringLiteral("N"))), lastN);
    EXPECT_EQ(records.value(0, 1).toString(), QStringLiteral("zeta"));  // Latin after Cyrillic
    // Read through in order (as the report and the export read), every row has its own record's
    // values, whatever windows the reading takes.
    QHash<int, int> numbers;
    QSqlQuery all(connection);
    ASSERT_TRUE(all.exec(QStringLiteral("SELECT DataId, N FROM Data")));
    while (all.next())
        numbers.insert(all.value(0).toInt(), all.value(1).toInt());
    const FileRecords inOrder(db_, file, {{"T1", true}}, fields);
    for (int row = 0; row <= last; ++row)
        ASSERT_EQ(inOrder.value(row, 0).toInt(), numbers.value(inOrder.dataId(row), -1)) << row;
    // A record removed since the order was read shows nothing.
    QSqlQuery(connection)
        .exec(QStringLiteral("DELETE FROM Data WHERE DataId=%1").arg(records.dataId(300)));
    EXPECT_TRUE(records.value(300, 0).isNull());

    EXPECT_THROW(FileRecords(db_, file, {{"NoSuchField", false}}, fields), store::StoreError);
    EXPECT_THROW(FileRecords(db_, file, {}, {"N; drop table Data"}), store::StoreError);
}

TEST_P(FileRecordsTest, GridReportAndExportReadEveryValueByOneSetOfRules) {
    // The tests run as a Russian user.
    const int file = addSavedFile(QStringLiteral("ВТР"), 2);
    // A date-time that is no date-time, as another program may leave it in a local file (a
    // server's column holds none), and a number of the single-precision grid (123456792 is
    // exactly a single).
    const bool localFile = backend() == test::Backend::File;
    const QString shownDate =
        localFile ? QStringLiteral("31.02.2024") : QStringLiteral("29.02.2024 13:05:00");
    QSqlQuery pragma(db_.connection());
    if (localFile)
        pragma.exec(QStringLiteral("PRAGMA ignore_check_constraints=1"));
    addRecord(file, {{"N", 1},
                     {"DateTime", localFile ? shownDate : QStringLiteral("2024-02-29 13:05:00")},
                     {"F3", 123456792.0},
                     {"F5", 0.5}});
    if (localFile)
        pragma.exec(QStringLiteral("PRAGMA ignore_check_constraints=0"));

    const FileRecords records(db_, file, {}, {"DateTime", "F3", "F5"});
    if (localFile) {
        EXPECT_EQ(records.value(0, 0), QVariant(shownDate));
    }
    EXPECT_EQ(records.value(0, 1), QVariant(123456792.0));

    // Grid and report: the same texts, with the user's decimal separator.
    const GridColumn& force = *vtrKind().grid.column(QStringLiteral("F3"));
    EXPECT_EQ(gridText(records.value(0, 1), force.format), QStringLiteral("123456792,0"));
    EXPECT_EQ(gridText(records.value(0, 0), DisplayFormat::None), shownDate);
    std::unique_ptr<report::RowSource> printed = openPrintRows(db_, file, vtrKind(), {});
    ASSERT_TRUE(printed->next());
    EXPECT_EQ(reportText(printed->value(printed->fieldIndex(QStringLiteral("F3"))),
                         DisplayFormat::OneDecimal),
              QStringLiteral("123456792,0"));
    EXPECT_EQ(reportText(printed->value(printed->fieldIndex(QStringLiteral("F5"))),
                         DisplayFormat::TwoDecimals),
              QStringLiteral("0,50"));
    EXPECT_EQ(reportText(printed->value(printed->fieldIndex(QStringLiteral("DateTime"))),
                         DisplayFormat::None),
              shownDate);

    // Export: the same number, and the date-time's text rather than an empty cell.
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, db_, file, vtrKind(), {});
    xls::TvteXLSWorksheet& sheet = workbook.Sheet(0);
    EXPECT_EQ(sheet.GetRange(6, 1, 6, 1).Number(), 123456792.0);
    EXPECT_EQ(sheet.GetRange(1, 1, 1, 1).Text(), shownDate);
}

}  // namespace
VLR_ON_BOTH_DATABASES(FileRecordsTest);

}  // namespace vlr::docs
