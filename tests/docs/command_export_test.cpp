#include "docs/document_files.h"
#include "docs/independent_reader.h"
#include "support/vlr_tool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace vlr::docs {
namespace {

using test::runVlrTool;
using test::ToolRun;
using test::vlrToolPath;

class CommandExport : public test::DocumentFilesTest {
protected:
    void SetUp() override {
        DocumentFilesTest::SetUp();
        ASSERT_TRUE(QFileInfo(vlrToolPath()).isExecutable())
            << "build the vlr target first: " << vlrToolPath().toStdString();
    }

    // The tool in the test's folder, where it finds the local file; a server's database is
    // given to it.
    ToolRun vlr(const QStringList& args, const QString& folder = QString()) {
        QStringList command{QStringLiteral("export")};
        if (location_.isServer())
            command = QStringList{QStringLiteral("--database"), location_.url} + command;
        return runVlrTool(folder.isEmpty() ? dir_.path() : folder, command + args);
    }

    QString out(const QString& name) const { return dir_.filePath(name); }

    // One column of the first sheet as the independent readers see it, header included.
    static QStringList sheetColumn(const QString& path, int column) {
        const ReaderView view = readWithIndependentReaders(path);
        EXPECT_EQ(view.problem, QString());
        QStringList cells;
        for (const QJsonValue& row : view.sheets.at(0).toArray()) {
            const QJsonValue cell = row.toArray().at(column);
            cells << (cell.isDouble() ? QString::number(cell.toDouble()) : cell.toString());
        }
        return cells;
    }

    void setCreated(int fileNameId, const QString& created) {
        QSqlQuery update(db_.connection());
        update.prepare(QStringLiteral("UPDATE Catalog SET DataTime = ? WHERE FileNameId = ?"));
        update.addBindValue(created);
        update.addBindValue(fileNameId);
        ASSERT_TRUE(update.exec());
    }
};

// Which records of which file the tool exports, as each database gives them.
using CommandExportRecords = test::OnBothDatabases<CommandExport>;

// Of several saved files of a name the oldest is exported and the others are named; --sort
// gives the column order and a missing extension is added.
TEST_P(CommandExportRecords, ExportsTheOldestSavedFileOfANameInTheOrderAsked) {
    const int newer = addSavedFile(QStringLiteral("Объект 1"), 1);
    const int older = addSavedFile(QStringLiteral("Объект 1"), 1);
    setCreated(newer, QStringLiteral("2025-02-01 10:00:00"));
    setCreated(older, QStringLiteral("2025-01-01 10:00:00"));
    addRecord(newer, {{"N", 1}, {"T4", "новый"}});
    addRecord(older, {{"N", 1}, {"T4", "Б"}, {"F1", 5}});
    addRecord(older, {{"N", 2}, {"T4", "А"}, {"F1", 6}});
    addRecord(older, {{"N", 3}, {"T4", "Б"}, {"F1", 7}});

    ToolRun run = vlr({"--file", "Объект 1", "--out", out("sorted"), "--sort", "t4, F1 desc"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Экспорт в файл sorted.xls завершен успешно.\n"));
    EXPECT_EQ(run.err, QStringLiteral("vlr export: 2 saved files are named 'Объект 1'; taking the "
                                      "oldest, id %1 of 2025-01-01 10:00:00 (3 records). The "
                                      "others: id %2 of 2025-02-01 10:00:00 (1 records) (choose "
                                      "one with --id N)\n")
                           .arg(older)
                           .arg(newer));
    EXPECT_EQ(sheetColumn(out("sorted.xls"), 0), (QStringList{"N", "2", "3", "1"}));
    EXPECT_EQ(sheetColumn(out("sorted.xls"), 2), (QStringList{"Режим", "А", "Б", "Б"}));

    EXPECT_EQ(vlr({"--id", QString::number(older), "--out", out("plain.xls")}).exitCode, 0);
    EXPECT_EQ(sheetColumn(out("plain.xls"), 0), (QStringList{"N", "1", "2", "3"}));
    EXPECT_EQ(vlr({"--id", QString::number(newer), "--out", out("new.xls")}).exitCode, 0);
    EXPECT_EQ(sheetColumn(out("new.xls"), 2), (QStringList{"Режим", "новый"}));
}

VLR_ON_BOTH_DATABASES(CommandExportRecords);

// The suffix picks the format; any other suffix is refused before anything is written.
TEST_F(CommandExport, XlsxSuffixWritesAWorkbookAndOtherSuffixesAreRefused) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    addRecord(file, {{"N", 1}, {"T4", "Б"}});
    ToolRun run = vlr({"--file", "ОСК", "--out", out("book.xlsx")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Экспорт в файл book.xlsx завершен успешно.\n"));
    QFile book(out("book.xlsx"));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    EXPECT_EQ(book.read(4), QByteArray("PK\x03\x04"));

    run = vlr({"--file", "ОСК", "--out", out("book.csv")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith(
        QStringLiteral("vlr export: cannot write '%1': the formats are xls, xlsx\n")
            .arg(out("book.csv"))))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out("book.csv")));

    run = vlr({"--file", "ОСК", "--out", out("no/such/folder/a.xlsx")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("vlr export: Не могу экспортировать файл! (%1)\n")
                           .arg(QString::fromLocal8Bit(std::strerror(ENOENT))));
}

// Only the field names of the kind's columns may reach the statement; anything else is refused
// before the database or the target file is touched.
TEST_F(CommandExport, RefusesSortTermsThatAreNotTheKindsFields) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    addRecord(file, {{"N", 1}});
    for (const QString& sort :
         {QStringLiteral("T5"), QStringLiteral("N; DELETE FROM Data"), QStringLiteral("F1 DOWN"),
          QStringLiteral("N,"), QStringLiteral("(SELECT 1)"), QStringLiteral("N DESC DESC")}) {
        SCOPED_TRACE(sort.toStdString());
        const ToolRun run = vlr({"--file", "ОСК", "--out", out("x.xls"), "--sort", sort});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("cannot sort by"))) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out("x.xls")));
    }
    EXPECT_EQ(count(QStringLiteral("Data")), 1);
}

TEST_F(CommandExport, WrongOptionsAreUsageErrors) {
    const ToolRun help = vlr({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: vlr export")));
    for (const QStringList& args :
         {QStringList{}, QStringList{"--out", out("a.xls")},
          QStringList{"--file", "a", "--id", "1", "--out", out("a.xls")},
          QStringList{"--file", "a"}, QStringList{"--id", "x1", "--out", out("a.xls")},
          QStringList{"--file", "a", "--out", out("a.xls"), "extra"}, QStringList{"--bogus"}}) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = vlr(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("vlr export: "))) << run.err.toStdString();
    }
}

TEST_F(CommandExport, MissingFilesAndFailedWritesAreErrors) {
    const int unsaved = addSavedFile(QStringLiteral("временный"), 1);
    QSqlQuery(db_.connection())
        .exec(
            QStringLiteral("UPDATE Catalog SET FileSaved = 0 WHERE FileNameId = %1").arg(unsaved));
    const int saved = addSavedFile(QStringLiteral("ВТР"), 2);

    ToolRun run = vlr({"--file", "нет такого", "--out", out("a.xls")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("vlr export: there is no saved file named 'нет такого'\n"));
    EXPECT_EQ(vlr({"--id", QString::number(unsaved), "--out", out("a.xls")}).exitCode, 1);
    EXPECT_EQ(vlr({"--file", QString(60, QLatin1Char('x')), "--out", out("a.xls")}).exitCode, 1);

    run = vlr({"--id", QString::number(saved), "--out", out("no/such/folder/a.xls")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("vlr export: StgCreateDocFile error %1\n").arg(ENOENT));
    EXPECT_EQ(run.out, QString());

    QTemporaryDir empty;
    run = vlr({"--id", QString::number(saved), "--out", out("a.xls")}, empty.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("there is no VelaronLink.mdb")));
    EXPECT_FALSE(QFileInfo::exists(empty.filePath(QStringLiteral("VelaronLink.mdb"))));
    EXPECT_FALSE(QFileInfo::exists(out("a.xls")));
}

}  // namespace
}  // namespace vlr::docs
