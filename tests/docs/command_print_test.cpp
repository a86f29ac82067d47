#include "docs/document_files.h"
#include "docs/document_kind.h"
#include "support/vlr_tool.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vlr::docs {
namespace {

using test::runVlrTool;
using test::ToolRun;

// A word of the PDF as poppler reads it back, its box in layout units from the paper's corner.
struct PdfWord {
    QRectF box;
    QString text;
};

// Points (1/72 inch) to layout units (1.015/93 inch).
constexpr double kUnitsPerPoint = 93.0 / 1.015 / 72;

QVector<QVector<PdfWord>> pdfWords(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000)) << "pdftotext (poppler-utils) is needed";
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral("<page [^>]*>(.*?)</page>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QVector<QVector<PdfWord>> pages;
    for (auto pageMatch = page.globalMatch(html); pageMatch.hasNext();) {
        QVector<PdfWord> words;
        for (auto wordMatch = word.globalMatch(pageMatch.next().captured(1));
             wordMatch.hasNext();) {
            const QRegularExpressionMatch w = wordMatch.next();
            const QPointF topLeft(w.captured(1).toDouble(), w.captured(2).toDouble());
            const QPointF bottomRight(w.captured(3).toDouble(), w.captured(4).toDouble());
            QString text = w.captured(5);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            words.push_back({QRectF(topLeft * kUnitsPerPoint, bottomRight * kUnitsPerPoint), text});
        }
        pages.push_back(words);
    }
    return pages;
}

// The words whose centre lies in a cell, in reading order.
QString textIn(const QVector<PdfWord>& words, const QRectF& cell) {
    QVector<PdfWord> inside;
    for (const PdfWord& word : words) {
        if (cell.contains(word.box.center()))
            inside.push_back(word);
    }
    std::sort(inside.begin(), inside.end(), [](const PdfWord& a, const PdfWord& b) {
        return std::abs(a.box.top() - b.box.top()) > 3 ? a.box.top() < b.box.top()
                                                       : a.box.left() < b.box.left();
    });
    QStringList texts;
    for (const PdfWord& word : inside)
        texts << word.text;
    return texts.join(QLatin1Char(' '));
}

QString comma(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return QString::number(std::floor(value * scale + 0.5) / scale, 'f', decimals)
        .replace(QLatin1Char('.'), QLatin1Char(','));
}

// What each VTR report cell of record n shows, as the numbered test records are filled:
// F1..F10 hold n/4 + i, T1..T10 "т<i>-<n>", the note "Запись <n>".
QString expectedVtrText(const QString& field, int n) {
    const auto number = [n](int i) { return n * 0.25 + i; };
    if (field == QLatin1String("N"))
        return QString::number(n);
    if (field == QLatin1String("DateTime"))
        return QStringLiteral("%1.%2.2024 %3:%4:05")
            .arg(n % 28 + 1, 2, 10, QLatin1Char('0'))
            .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
            .arg(n % 24)
            .arg(n % 60, 2, 10, QLatin1Char('0'));
    if (field == QLatin1String("F1") || field == QLatin1String("F2"))
        return QString::number(number(field.mid(1).toInt()))
            .replace(QLatin1Char('.'), QLatin1Char(','));
    if (field == QLatin1String("F3"))
        return comma(number(3), 1);
    if (field == QLatin1String("F5"))
        return comma(number(5), 2);
    if (field == QLatin1String("Comment"))
        return QStringLiteral("Запись %1").arg(n);
    return QStringLiteral("т%1-%2").arg(field.mid(1)).arg(n);  // texts that are no numbers
}

class CommandPrint : public test::DocumentFilesTest {
protected:
    void SetUp() override {
        DocumentFilesTest::SetUp();
        // The tool writes dates and numbers the way the user's settings say: Russian here.
        savedLanguage_ = qgetenv("LC_ALL");
        qputenv("LC_ALL", "ru_RU.UTF-8");
    }
    void TearDown() override { qputenv("LC_ALL", savedLanguage_); }

    ToolRun vlr(const QStringList& args) {
        return runVlrTool(dir_.path(), QStringList{QStringLiteral("print")} + args);
    }

    QByteArray savedLanguage_;
};

// Every heading and every value of a sorted 100-record file at its place, on its page.
TEST_F(CommandPrint, SortedFilePrintsEveryHeadingAndValueInItsCell) {
    const int file = addSavedFile(QStringLiteral("Прочность"), 2);
    addNumberedRecords(file, 100);
    const QString pdf = dir_.filePath(QStringLiteral("отчёт.pdf"));
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older report");
    old.close();

    const ToolRun run =
        vlr({"--file", "Прочность", "--out", dir_.filePath("отчёт"), "--sort", "F1 DESC"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Напечатано в файл отчёт.pdf: 7 стр.\n"));

    const QVector<QVector<PdfWord>> pages = pdfWords(pdf);
    ASSERT_EQ(pages.size(), 7);
    const ReportTable& table = vtrKind().report;
    int n = 100;  // F1 grows with N, so F1 DESC lists the records from the last
    for (int page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE(page + 1);
        const QVector<PdfWord>& words = pages[page];
        const int headerTop = page == 0 ? 25 + 64 : 25;
        const bool titled = std::any_of(words.begin(), words.end(), [](const PdfWord& word) {
            return word.text == QStringLiteral("ВТР-К9");
        });
        EXPECT_EQ(titled, page == 0);
        if (page == 0) {
            EXPECT_EQ(textIn(words, QRectF(72, 25, 111, 64)), QStringLiteral("ВТР-К9"));
        }
        EXPECT_EQ(textIn(words, QRectF(844, 713, 202, 20)),
                  QStringLiteral("Стр. %1 из 7").arg(page + 1));
        const int rows = page == 0 ? 14 : std::min(15, n);
        for (int row = -1; row < rows; ++row) {
            for (const ReportColumn& column : table.columns) {
                const int height = row < 0 ? 60 : 40;
                const int top = row < 0 ? headerTop : headerTop + 60 + row * 40;
                const int half = column.half == CellHalf::Whole ? height : height / 2;
                const QRectF cell(column.x, top + (column.half == CellHalf::Lower ? half : 0),
                                  column.width, half);
                const QString expected = row < 0 ? QString(column.heading).replace('\n', ' ')
                                                 : expectedVtrText(column.field, n - row);
                EXPECT_EQ(textIn(words, cell), expected)
                    << "row " << row << " field " << column.field.toStdString();
            }
        }
        n -= rows;
    }
    EXPECT_EQ(n, 0);
}

// The same checks and exit codes as the export; a failed print leaves an earlier PDF alone.
TEST_F(CommandPrint, FailuresKeepAnEarlierPdf) {
    const int file = addSavedFile(QStringLiteral("Плиты"), 1);
    addNumberedRecords(file, 3);
    const QString pdf = dir_.filePath(QStringLiteral("plates.pdf"));
    ASSERT_EQ(vlr({"--id", QString::number(file), "--out", pdf}).exitCode, 0);
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray before = written.readAll();
    written.close();
    EXPECT_TRUE(before.startsWith("%PDF"));

    const struct {
        QStringList args;
        int exitCode;
        const char* error;
    } cases[] = {
        {{"--id", QString::number(file), "--out", pdf, "--sort", "Weight DESC"},
         2,
         "vlr print: cannot sort by 'Weight DESC'"},
        {{"--file", "нет такого", "--out", pdf},
         1,
         "vlr print: there is no saved file named 'нет такого'"},
        {{"--file", "Плиты"}, 2, "vlr print: give the file to write with --out PATH.pdf"},
        {{"--id", QString::number(file), "--out", dir_.filePath("no/such/folder/a.pdf")},
         1,
         "vlr print: cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = vlr(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.error))) << run.err.toStdString();
    }
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), before);
}

}  // namespace
}  // namespace vlr::docs
