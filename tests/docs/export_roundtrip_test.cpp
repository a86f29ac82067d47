#include "docs/document_export.h"
#include "docs/document_files.h"
#include "docs/document_kind.h"
#include "docs/independent_reader.h"
#include "store/statements.h"

#include <QDateTime>
#include <QJsonArray>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

using test::DocumentFilesTest;

// Characters of every reach: Cyrillic (in the Russian code page), Latin, Greek and CJK ones
// that the code page lacks, and characters outside the Basic Multilingual Plane.
const QString kWideText = QStringLiteral("Бетон В25 ü Ω 漢字 😀 𝄞 €");

class ExportRoundTrip : public DocumentFilesTest {
protected:
    // The sheets the database says the export must give, from the records read here on their
    // own, in the given order: a header row, then at most 65,535 records per sheet.
    QJsonArray expectedSheets(int fileNameId, const DocumentKind& kind, const QString& orderBy) {
        const QJsonArray header = exportHeader(kind);
        QSqlQuery rows = exportedRecords(fileNameId, kind, orderBy);
        QJsonArray sheets;
        QJsonArray sheetRows{header};
        while (rows.next()) {
            if (sheetRows.size() == 65536) {
                sheets.append(sheetRows);
                sheetRows = QJsonArray{header};
            }
            QJsonArray cells;
            for (int c = 0; c < kind.columns.size(); ++c)
                cells.append(expectedCell(kind.columns[c].type, rows.value(c)));
            sheetRows.append(cells);
        }
        sheets.append(sheetRows);
        return sheets;
    }

    // What a reader must find for a stored value: numbers as numbers, the date-time as the
    // Russian system text, texts as stored (CR LF as LF), nothing for null or empty text.
    static QJsonValue expectedCell(FieldType type, const QVariant& stored) {
        if (stored.isNull())
            return QJsonValue::Null;
        switch (type) {
            case FieldType::Integer:
            case FieldType::Number:
                return stored.toDouble();
            case FieldType::DateTime: {
                const QDateTime at = QDateTime::fromString(test::storedText(stored),
                                                           QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                const QString format = at.time() == QTime(0, 0)
                                           ? QStringLiteral("dd.MM.yyyy")
                                           : QStringLiteral("dd.MM.yyyy H:mm:ss");
                return at.toString(format);
            }
            case FieldType::Text: {
                const QString text =
                    stored.toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
            }
        }
        return QJsonValue::Undefined;
    }

    // Exports the file and compares every cell the readers see with the database.
    ReaderView exportAndCompare(int fileNameId, const DocumentKind& kind, const RecordOrder& order,
                                const QString& orderBy) {
        const QString path = dir_.filePath(QStringLiteral("export.xls"));
        exportDocument(db_, fileNameId, kind, order, path);
        const ReaderView view = readWithIndependentReaders(path);
        EXPECT_EQ(view.problem, QString());
        EXPECT_EQ(view.streams, QStringList{QStringLiteral("Workbook")});
        const QJsonArray expected = expectedSheets(fileNameId, kind, orderBy);
        EXPECT_EQ(view.sheets.size(), expected.size());
        for (int s = 0; s < std::min<int>(view.sheets.size(), expected.size()); ++s) {
            EXPECT_EQ(view.sheetNames.value(s), QStringLiteral("Sheet%1").arg(s + 1));
            EXPECT_EQ(firstDifference(view.sheets[s].toArray(), expected[s].toArray()), QString())
                << "sheet " << s + 1;
        }
        return view;
    }
};

TEST_F(ExportRoundTrip, EmptyFileIsAHeaderRowInTheMiniStream) {
    const int file = addSavedFile(QStringLiteral("пустой"), 1);
    const ReaderView view = exportAndCompare(file, oskKind(), RecordOrder(), "N, DateTime");
    EXPECT_GT(view.workbookSize, 0);
    EXPECT_LT(view.workbookSize, 4096);
}

// What each database gives for every kind of value comes back from the file.
using DatabaseValuesRoundTrip = test::OnBothDatabases<ExportRoundTrip>;

TEST_P(DatabaseValuesRoundTrip, EveryKindGivesBackTheDatabaseValues) {
    for (const DocumentKind* kind : {&oskKind(), &vtrKind(), &vtrAsphaltKind()}) {
        SCOPED_TRACE(kind->caption.toStdString());
        const int file = addSavedFile(kind->caption, kind->deviceListId);
        addNumberedRecords(file, 40);
        addRecord(file, {{"N", 41},
                         {"DateTime", "2025-12-31 00:00:00"},
                         {"F1", -0.00001},
                         {"F2", 1e12},
                         {"F3", 123456.78901},
                         {"F5", 0},
                         {"F10", -7.5},
                         {"T1", kWideText},
                         {"T2", "150x150x150"},
                         {"T3", "плита\r\nпустотная"},
                         {"T4", "😀"},
                         {"T7", "Сжатие"},
                         {"T8", "23,5"},
                         {"T9", "0,5"},
                         {"Comment", kWideText + QStringLiteral("\r\n") + kWideText}});
        addRecord(file, {{"N", 42}});  // every other field null
        exportAndCompare(file, *kind, RecordOrder(), "N, DateTime");
    }
}

VLR_ON_BOTH_DATABASES(DatabaseValuesRoundTrip);

// Notes long enough to fill the shared strings past several CONTINUE records; made of
// characters outside the Basic Multilingual Plane, some piece boundary falls inside such a
// character's surrogate pair unless the writer keeps the pairs whole.
TEST_F(ExportRoundTrip, LongTextsAcrossContinueRecordsComeBackWhole) {
    const int file = addSavedFile(QStringLiteral("длинные"), 1);
    QSqlDatabase connection = db_.connection();
    connection.transaction();
    for (int n = 1; n <= 400; ++n) {
        QString note;
        for (int i = 0; i < 30 + n % 21; ++i)
            note += i % 7 == 3 ? QStringLiteral("Ж") : QStringLiteral("𝄞");
        addRecord(file, {{"N", n}, {"T1", QString(50 - n % 3, QChar(0x0416))}, {"Comment", note}});
    }
    connection.commit();
    exportAndCompare(file, oskKind(), RecordOrder(), "N, DateTime");
}

TEST_F(ExportRoundTrip, SortedExportKeepsTheSortedOrder) {
    const int file = addSavedFile(QStringLiteral("ВТР"), 2);
    addNumberedRecords(file, 30);
    exportAndCompare(file, vtrKind(), {{QStringLiteral("T8"), true}, {QStringLiteral("F1"), false}},
                     "T8 COLLATE ru_ci DESC, F1, DataId");
}

TEST_F(ExportRoundTrip, MoreRecordsThanOneSheetHoldsAllComeBack) {
    const int file = addSavedFile(QStringLiteral("большой"), 5);
    addNumberedRecords(file, kRecordsPerSheet + 3);
    const ReaderView view = exportAndCompare(file, vtrAsphaltKind(), RecordOrder(), "N, DateTime");
    EXPECT_EQ(view.sheets.size(), 2);
}

}  // namespace
}  // namespace vlr::docs
