#include "docs/xlsx_export.h"
#include "docs/document_files.h"
#include "docs/document_kind.h"
#include "docs/export_format.h"
#include "store/statements.h"
#include "support/file_size_limit.h"
#include "xlsx/xlsx_error.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace vlr::docs {
namespace {

// Cyrillic, Latin, Greek and CJK characters, and characters outside the Basic Multilingual
// Plane.
const QString kWideText = QStringLiteral("Бетон В25 ü Ω 漢字 😀 𝄞 €");

// What python3-openpyxl, a reader that shares no code with the writer, sees in a workbook.
QJsonObject readBack(const QString& path, bool firstColumnOnly = false) {
    QProcess python;
    QStringList arguments{QStringLiteral(VLR_TEST_SOURCE_DIR "/openpyxl_readback.py")};
    if (firstColumnOnly)
        arguments << QStringLiteral("--first-column");
    python.start(QStringLiteral("/usr/bin/python3"), arguments << path);
    const bool finished = python.waitForFinished(600000);
    EXPECT_TRUE(finished && python.exitCode() == 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QString columnLetter(int count) {
    return QString(QChar(u'A' + count - 1));
}

class XlsxExport : public test::DocumentFilesTest {
protected:
    // The rows the export must give for a file, read here on their own in the given order:
    // the header, then numbers as numbers, the date-time as the stored wall-clock reading, texts
    // as stored (CR LF as LF), nothing for null or empty text.
    QJsonArray expectedRows(int fileNameId, const DocumentKind& kind, const QString& orderBy) {
        const QJsonArray header = exportHeader(kind);
        QSqlQuery rows = exportedRecords(fileNameId, kind, orderBy);
        QJsonArray expected{header};
        while (rows.next()) {
            QJsonArray cells;
            for (int c = 0; c < kind.columns.size(); ++c) {
                const QVariant stored = rows.value(c);
                QJsonValue cell = QJsonValue::Null;
                if (stored.isNull() || stored.toString().isEmpty())
                    cell = QJsonValue::Null;
                else if (kind.columns[c].type == FieldType::DateTime)
                    cell = QJsonObject{{"date", stored.toString()}};
                else if (kind.columns[c].type == FieldType::Text)
                    cell = stored.toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                else
                    cell = stored.toDouble();
                cells.append(cell);
            }
            expected.append(cells);
        }
        return expected;
    }
};

// Every kind, with the window's order (here by F1 descending), read back cell by cell: the
// header bold and frozen under an autofilter, the widths fitting the longest value, the sheet
// and the title named after the file, in the C locale's notation of numbers.
TEST_F(XlsxExport, EveryKindGivesBackTheStoredCellsTypedAndReadyToFilter) {
    const QString names[] = {QStringLiteral("Мост: секция [3]/Б*"),
                             QStringLiteral("Испытания бетона 😀 по ГОСТ 10180-2012, партия 7"),
                             QStringLiteral("'Асфальт'")};
    const QString sheetNames[] = {QStringLiteral("Мост_ секция _3__Б_"),
                                  QStringLiteral("Испытания бетона 😀 по ГОСТ 101"),
                                  QStringLiteral("_Асфальт_")};
    const DocumentKind* kinds[] = {&oskKind(), &vtrKind(), &vtrAsphaltKind()};
    for (int k = 0; k < 3; ++k) {
        const DocumentKind& kind = *kinds[k];
        SCOPED_TRACE(kind.caption.toStdString());
        const int file = addSavedFile(names[k], kind.deviceListId);
        addNumberedRecords(file, 30);
        const QString note = kWideText + QStringLiteral("\r\nвторая строка примечания 𝄞");
        addRecord(file, {{"N", 31},
                         {"DateTime", "2025-12-31 23:59:59"},
                         {"F1", -0.00001},
                         {"F2", 1e12},
                         {"F3", 123456.78901},
                         {"F5", 9.95},
                         {"F10", -7.5},
                         {"T1", kWideText},
                         {"T2", "150x150x150"},
                         {"T3", "плита\r\nпустотная"},
                         {"T4", "😀"},
                         {"T7", "Сжатие"},
                         {"T8", "23,5"},
                         {"T9", "=1+1"},
                         {"Comment", note}});
        addRecord(file, {{"N", 32}, {"DateTime", "2000-02-29 00:00:00"}, {"F1", 65535.5}});
        addRecord(file, {{"N", 33}});  // every other field null

        const QString path = dir_.filePath(QStringLiteral("export.xlsx"));
        const RecordOrder order{{"F1", true}, {"N", false}};
        exportDocumentAs(ExportFormat::Xlsx, db_, file, kind, order, path);

        const QJsonObject book = readBack(path);
        EXPECT_EQ(book.value("title").toString(), names[k]);
        const QJsonArray sheets = book.value("sheets").toArray();
        ASSERT_EQ(sheets.size(), 1);
        const QJsonObject sheet = sheets[0].toObject();
        EXPECT_EQ(sheet.value("name").toString(), sheetNames[k]);
        const QJsonArray rows = sheet.value("rows").toArray();
        const QJsonArray expected = expectedRows(file, kind, QStringLiteral("F1 DESC, N"));
        ASSERT_EQ(rows.size(), expected.size());
        for (int r = 0; r < rows.size(); ++r)
            EXPECT_EQ(rows[r].toArray(), expected[r].toArray()) << "row " << r;

        const int columns = int(kind.columns.size());
        EXPECT_EQ(sheet.value("freeze").toString(), QStringLiteral("A2"));
        EXPECT_EQ(sheet.value("filter").toString(),
                  QStringLiteral("A1:%1%2").arg(columnLetter(columns)).arg(rows.size()));
        EXPECT_EQ(sheet.value("bold").toArray(),
                  QJsonArray(QJsonArray::fromVariantList(QVariantList(columns, true))));
        EXPECT_EQ(sheet.value("date_formats").toArray(),
                  QJsonArray{QStringLiteral("dd.mm.yyyy hh:mm:ss")});
        const QJsonArray widths = sheet.value("widths").toArray();
        ASSERT_EQ(widths.size(), columns);
        for (int c = 0; c < columns; ++c) {
            int longest = int(kind.columns[c].header.toUcs4().size());
            for (const QJsonValue& row : rows) {
                const QJsonValue cell = row.toArray().at(c);
                const int characters =
                    cell.isString() ? int(cell.toString().toUcs4().size())
                    : cell.isDouble()
                        ? int(QString::number(cell.toDouble(), 'g', QLocale::FloatingPointShortest)
                                  .size())
                    : cell.isObject() ? 19
                                      : 0;
                longest = std::max(longest, characters);
            }
            EXPECT_GE(widths[c].toDouble(), longest) << "column " << c;
            EXPECT_LE(widths[c].toDouble(), longest + 5) << "column " << c;
        }
    }
}

// Beyond the records one sheet holds, further sheets go on under the header row, named apart.
TEST_F(XlsxExport, FurtherSheetsGoOnUnderTheHeader) {
    const int file = addSavedFile(QStringLiteral("Асфальт"), 5);
    addNumberedRecords(file, 5);
    const QString path = dir_.filePath(QStringLiteral("split.xlsx"));
    exportXlsxDocument(db_, file, vtrAsphaltKind(), RecordOrder(), path, {}, 2);
    const QJsonArray sheets = readBack(path, true).value("sheets").toArray();
    ASSERT_EQ(sheets.size(), 3);
    const QJsonArray expected[] = {{"N", 1, 2}, {"N", 3, 4}, {"N", 5}};
    const QString names[] = {"Асфальт", "Асфальт (2)", "Асфальт (3)"};
    for (int s = 0; s < 3; ++s) {
        const QJsonObject sheet = sheets[s].toObject();
        EXPECT_EQ(sheet.value("name").toString(), names[s]);
        EXPECT_EQ(sheet.value("first_column").toArray(), expected[s]);
        EXPECT_EQ(sheet.value("freeze").toString(), QStringLiteral("A2"));
        EXPECT_EQ(sheet.value("filter").toString(),
                  QStringLiteral("A1:M%1").arg(expected[s].size()));
    }
}

// The records carry only their numbers, so that the reader is quick about it.
TEST_F(XlsxExport, HundredThousandRecordsStayOnOneFilteredSheet) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    ASSERT_TRUE(QSqlQuery(db_.connection())
                    .exec(QStringLiteral("WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 "
                                         "FROM n WHERE v < 100000) INSERT INTO Data (FileNameId, "
                                         "N) SELECT %1, v FROM n")
                              .arg(file)));
    const QString path = dir_.filePath(QStringLiteral("large.xlsx"));
    exportDocumentAs(ExportFormat::Xlsx, db_, file, oskKind(), RecordOrder(), path);
    const QJsonArray sheets = readBack(path, true).value("sheets").toArray();
    ASSERT_EQ(sheets.size(), 1);
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_EQ(sheet.value("freeze").toString(), QStringLiteral("A2"));
    EXPECT_EQ(sheet.value("filter").toString(), QStringLiteral("A1:I100001"));
    const QJsonArray numbers = sheet.value("first_column").toArray();
    ASSERT_EQ(numbers.size(), 100001);
    EXPECT_EQ(numbers[0].toString(), QStringLiteral("N"));
    for (int n = 1; n <= 100000; ++n)
        ASSERT_EQ(numbers[n].toInt(), n);
}

// A write that fails part-way (the file-size limit stands for a full disk), or a folder that
// does not exist, gives the system's reason and leaves the old workbook and nothing else.
TEST_F(XlsxExport, FailureLeavesTheOldFileAndNoPartialOne) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    addNumberedRecords(file, 5);
    const QDir folder(dir_.filePath(QStringLiteral("out")));
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    const QString path = folder.filePath(QStringLiteral("export.xlsx"));
    exportDocumentAs(ExportFormat::Xlsx, db_, file, oskKind(), RecordOrder(), path);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();

    addNumberedRecords(file, 20000);
    for (const rlim_t limit : {rlim_t(16 * 1024), rlim_t(before.size() + 4096)}) {
        SCOPED_TRACE(limit);
        QString failure;
        {
            const test::FileSizeLimit small(limit);
            ASSERT_TRUE(small.active());
            try {
                exportDocumentAs(ExportFormat::Xlsx, db_, file, oskKind(), RecordOrder(), path);
            } catch (const ExportWriteError& error) {
                failure = error.message();
            }
        }
        EXPECT_EQ(failure, QStringLiteral("Не могу экспортировать файл! (%1)")
                               .arg(QString::fromLocal8Bit(std::strerror(EFBIG))));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), before);
        old.close();
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("export.xlsx")});
    }

    const QString missing = dir_.filePath(QStringLiteral("no/such/folder/export.xlsx"));
    try {
        exportXlsxDocument(db_, file, oskKind(), RecordOrder(), missing);
        ADD_FAILURE() << "a missing folder was written to";
    } catch (const xlsx::XlsxError& error) {
        EXPECT_EQ(error.message(), QString::fromLocal8Bit(std::strerror(ENOENT)));
    }
}

// The dialog's or the command's name decides: a format's suffix wins over the chosen filter;
// any other name gets the chosen format's suffix.
TEST(ExportFormats, TheSuffixOrTheChosenFilterPicksTheFormat) {
    ASSERT_EQ(exportFormats().size(), 2);
    EXPECT_EQ(exportFormats()[0].filter, QStringLiteral("Книга Excel (*.xls)"));
    EXPECT_EQ(exportFormats()[1].filter, QStringLiteral("Книга Excel 2007–365 (*.xlsx)"));
    const struct {
        const char* name;
        ExportFormat chosen;
        const char* path;
        ExportFormat format;
    } cases[] = {{"/t/a", ExportFormat::Xlsx, "/t/a.xlsx", ExportFormat::Xlsx},
                 {"/t/a", ExportFormat::Xls, "/t/a.xls", ExportFormat::Xls},
                 {"/t/a.XLSX", ExportFormat::Xls, "/t/a.XLSX", ExportFormat::Xlsx},
                 {"/t/a.xls", ExportFormat::Xlsx, "/t/a.xls", ExportFormat::Xls},
                 {"/t/отчёт 12.05", ExportFormat::Xlsx, "/t/отчёт 12.05.xlsx", ExportFormat::Xlsx}};
    for (const auto& c : cases) {
        const ExportTarget target = exportTarget(QString::fromUtf8(c.name), c.chosen);
        EXPECT_EQ(target.path, QString::fromUtf8(c.path));
        EXPECT_EQ(target.format, c.format) << c.name;
    }
    EXPECT_EQ(exportFormatOf(QStringLiteral("a.csv")), nullptr);
    EXPECT_EQ(exportSuffixesText(), QStringLiteral("xls, xlsx"));
}

}  // namespace
}  // namespace vlr::docs
