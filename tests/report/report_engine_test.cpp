#include "docs/document_kind.h"
#include "docs/document_report.h"
#include "report/cell_text_layout.h"
#include "report/prepared_report.h"
#include "store/record_row.h"
#include "support/qt_printers.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <stdexcept>

namespace vlr::report {
namespace {

// Rows held in memory: every field of the record row, each row filled by a function.
class MemoryRows : public RowSource {
public:
    MemoryRows(int count, std::function<QVariantMap(int n)> fill, int failAt = -1)
        : count_(count), fill_(std::move(fill)), failAt_(failAt) {}

    int fieldIndex(const QString& name) const override {
        return store::dataColumnNames().indexOf(name);
    }
    bool next() override {
        if (++n_ == failAt_)
            throw std::runtime_error("disk I/O error");
        if (n_ > count_)
            return false;
        row_ = fill_(n_);
        return true;
    }
    QVariant value(int field) const override {
        return row_.value(store::dataColumnNames().at(field));
    }

private:
    int count_;
    std::function<QVariantMap(int n)> fill_;
    int failAt_;
    int n_ = 0;
    QVariantMap row_;
};

QVariantMap numbered(int n) {
    return {{"N", n}, {"DateTime", QDateTime(QDate(2024, 5, 1), QTime(9, 0, n % 60), Qt::UTC)}};
}

std::shared_ptr<const PreparedReport> prepared(const docs::DocumentKind& kind, MemoryRows rows) {
    const Preparation preparation = prepareReport(docs::reportLayout(kind), rows);
    EXPECT_TRUE(preparation.succeeded()) << preparation.error.toStdString();
    return preparation.report;
}

BandKind kindOf(const PreparedReport& report, const PlacedBand& placed) {
    return report.layout().bands[placed.band].kind;
}

// The title only on the first page, the headings at the top of every page below it, whole data
// rows only between the headings and the footer, and the page number at every page's foot.
TEST(ReportPagination, RowsFillPagesBetweenHeadingsAndFooter) {
    const struct {
        int records;
        QVector<int> rowsPerPage;
    } cases[] = {
        {0, {0}}, {1, {1}}, {14, {14}}, {15, {14, 1}}, {100, {14, 15, 15, 15, 15, 15, 11}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        const auto report = prepared(docs::vtrKind(), MemoryRows(c.records, numbered));
        ASSERT_EQ(report->pageCount(), c.rowsPerPage.size());
        int nextRow = 0;
        for (int page = 0; page < report->pageCount(); ++page) {
            SCOPED_TRACE(page);
            const QVector<PlacedBand>& bands = report->bands(page);
            QVector<BandKind> expected;
            if (page == 0)
                expected << BandKind::ReportTitle;
            expected << BandKind::PageHeader
                     << QVector<BandKind>(c.rowsPerPage[page], BandKind::MasterData)
                     << BandKind::PageFooter;
            QVector<BandKind> kinds;
            for (const PlacedBand& placed : bands)
                kinds << kindOf(*report, placed);
            EXPECT_EQ(kinds, expected);
            EXPECT_EQ(bands.first().top, 25);
            EXPECT_EQ(bands.last().top, 758 - 25 - 20);
            // Bands follow each other without gaps down to the footer, which none overlaps.
            for (int i = 1; i + 1 < bands.size(); ++i) {
                const int above = report->layout().bands[bands[i - 1].band].height;
                EXPECT_EQ(bands[i].top, bands[i - 1].top + above) << "band " << i;
                EXPECT_LE(bands[i].top + report->layout().bands[bands[i].band].height,
                          bands.last().top);
                if (bands[i].row >= 0) {
                    EXPECT_EQ(bands[i].row, nextRow++);
                }
            }
            const QVector<PlacedText> texts = report->pageTexts(page);
            EXPECT_EQ(texts.last().text,
                      QStringLiteral("Стр. %1 из %2").arg(page + 1).arg(c.rowsPerPage.size()));
        }
        EXPECT_EQ(nextRow, c.records);
    }
}

double millimetres(double units) {
    return units * 25.4 * 1.015 / 93;
}

// The cells of each layout on the first page, in millimetres from the paper's corner, against
// the column tables of the three printed reports (x and width in layout units).
TEST(ReportLayouts, CellsSitWhereTheColumnTablesPutThem) {
    struct Column {
        int x;
        int width;
        const char* heading;
        int half;  // 0 whole, 1 upper, 2 lower
    };
    const struct {
        const docs::DocumentKind* kind;
        const char* title;
        int titleWidth;
        double headingSize;
        QVector<Column> columns;
    } layouts[] = {
        {&docs::oskKind(),
         "ОСК-К8",
         111,
         12,
         {{72, 61, "N", 0},
          {133, 80, "Дата/\nВремя", 0},
          {213, 94, "Режим", 0},
          {307, 88, "№ завис-ти", 0},
          {395, 88, "Класс арматуры", 0},
          {483, 120, "Тип изделия", 0},
          {603, 60, "d, мм", 0},
          {663, 60, "H, мм", 0},
          {723, 181, "Примечание", 0}}},
        {&docs::vtrKind(),
         "ВТР-К9",
         111,
         12,
         {{72, 61, "N", 0},
          {133, 80, "Дата/\nВремя", 0},
          {213, 102, "№ серии", 1},
          {213, 102, "№ образца", 2},
          {315, 92, "Материал", 0},
          {407, 97, "Метод испытания", 0},
          {504, 53, "P, кН", 0},
          {557, 61, "R, МПа", 0},
          {618, 134, "Размер, мм", 0},
          {752, 60, "K", 0},
          {812, 83, "V", 0},
          {895, 150, "Примечание", 0}}},
        {&docs::vtrAsphaltKind(),
         "ВТР-К9 Асфальтобетон",
         251,
         11,
         {{72, 45, "N", 0},
          {117, 80, "Дата/\nВремя", 0},
          {197, 84, "№ серии", 1},
          {197, 84, "№ образца", 2},
          {281, 95, "Материал", 0},
          {376, 91, "Метод испытания", 0},
          {467, 53, "P, кН", 0},
          {520, 53, "R, МПа", 0},
          {573, 124, "Размер, мм", 0},
          {697, 83, "Перемещение L,мм.", 0},
          {780, 90, "Скорость нагружения V, мм/мин. ", 0},
          {870, 55, "Работа A, Дж", 0},
          {925, 120, "Примечание", 0}}},
    };
    // A4 landscape in layout units; the left margin is about 20 mm.
    EXPECT_EQ(docs::reportLayout(docs::oskKind()).page.sizeInUnits(), QSize(1071, 758));
    EXPECT_NEAR(millimetres(72), 19.96, 0.01);

    const auto expectRect = [](const QRect& cell, double x, double y, double w, double h) {
        EXPECT_NEAR(millimetres(cell.x()), millimetres(x), 1e-9);
        EXPECT_NEAR(millimetres(cell.y()), millimetres(y), 1e-9);
        EXPECT_NEAR(millimetres(cell.width()), millimetres(w), 1e-9);
        EXPECT_NEAR(millimetres(cell.height()), millimetres(h), 1e-9);
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.title);
        const auto report = prepared(*l.kind, MemoryRows(1, numbered));
        const QVector<PlacedText> texts = report->pageTexts(0);
        const int columns = l.columns.size();
        ASSERT_EQ(texts.size(), 1 + 2 * columns + 1);

        const PlacedText& title = texts[0];
        EXPECT_EQ(title.text, QString::fromUtf8(l.title));
        expectRect(title.rect, 72, 25, l.titleWidth, 64);
        EXPECT_TRUE(title.cell->font.bold);
        EXPECT_EQ(title.cell->font.pointSize, 14);
        EXPECT_EQ(title.cell->frameSides, 0);

        for (int c = 0; c < columns; ++c) {
            const Column& column = l.columns[c];
            SCOPED_TRACE(column.heading);
            const PlacedText& heading = texts[1 + c];
            const PlacedText& data = texts[1 + columns + c];
            const double headingTop = 25 + 64 + (column.half == 2 ? 30 : 0);
            const double dataTop = 25 + 64 + 60 + (column.half == 2 ? 20 : 0);
            expectRect(heading.rect, column.x, headingTop, column.width, column.half ? 30 : 60);
            expectRect(data.rect, column.x, dataTop, column.width, column.half ? 20 : 40);
            EXPECT_EQ(heading.text, QString::fromUtf8(column.heading));
            EXPECT_EQ(heading.cell->font.pointSize, l.headingSize);
            EXPECT_TRUE(heading.cell->font.bold);
            EXPECT_EQ(heading.cell->alignment, Qt::AlignCenter);
            EXPECT_EQ(data.cell->font.pointSize, 10);
            EXPECT_FALSE(data.cell->font.bold);
            const bool note = column.heading == std::string("Примечание");
            EXPECT_EQ(data.cell->alignment,
                      (note ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
            EXPECT_EQ(heading.cell->frameSides | data.cell->frameSides, int(FrameAll));
        }
        const PlacedText& footer = texts.last();
        expectRect(footer.rect, 844, 758 - 25 - 20, 202, 20);
        EXPECT_EQ(footer.cell->alignment, Qt::AlignRight | Qt::AlignVCenter);
        EXPECT_EQ(footer.cell->frameSides, 0);
    }
}

QString printed(const PreparedReport& report, const QString& field) {
    for (const PlacedText& placed : report.pageTexts(0)) {
        if (placed.cell->text.endsWith(QLatin1Char('"') + field + QStringLiteral("\"]")))
            return placed.text;
    }
    ADD_FAILURE() << "no cell for " << field.toStdString();
    return QString();
}

TEST(ReportLayouts, DataCellsPrintTheirColumnsFormats) {
    const QVariantMap record{{"N", 7},
                             {"DateTime", QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC)},
                             {"F1", 12.0},
                             {"F2", 0.04},
                             {"F3", 520.46},
                             {"F5", 0.5},
                             {"F10", 3},
                             {"T8", QStringLiteral("23,5")},
                             {"T9", QStringLiteral("быстро")},
                             {"Comment", QStringLiteral("   ")}};
    const struct {
        const docs::DocumentKind* kind;
        const char* field;
        const char* text;
    } cases[] = {
        {&docs::oskKind(), "N", "7"},
        {&docs::oskKind(), "DateTime", "31.03.2024 2:30:00"},
        {&docs::oskKind(), "F1", "12,0"},
        {&docs::oskKind(), "F2", "0,0"},
        {&docs::oskKind(), "T3", ""},
        {&docs::vtrKind(), "F1", "12"},
        {&docs::vtrKind(), "F3", "520,5"},
        {&docs::vtrKind(), "F5", "0,50"},
        {&docs::vtrKind(), "T8", "23,50"},
        {&docs::vtrKind(), "T9", "быстро"},
        {&docs::vtrKind(), "Comment", ""},
        {&docs::vtrAsphaltKind(), "T8", "23,5"},
        {&docs::vtrAsphaltKind(), "F10", "3,00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind->caption.toStdString() + " " + c.field);
        const auto report = prepared(*c.kind, MemoryRows(1, [&](int) { return record; }));
        EXPECT_EQ(printed(*report, QString::fromLatin1(c.field)), QString::fromUtf8(c.text));
    }
}

TEST(ReportLayouts, ALongNoteWrapsInsideItsCell) {
    const ReportLayout layout = docs::reportLayout(docs::oskKind());
    const TextCell& note = layout.bands[2].cells.last();
    ASSERT_EQ(note.rect, QRect(723, 0, 181, 40));
    const QString text = QStringLiteral(
        "Образец отобран у северной стены, поверхность влажная, повторить замер через неделю");
    const QVector<CellLine> lines = layoutCellText(note, text);
    ASSERT_EQ(lines.size(), 2);
    QStringList words;
    for (const CellLine& line : lines) {
        EXPECT_GT(line.width, 100);
        EXPECT_LE(line.baseline.x() + line.width, 181 - 2);
        EXPECT_DOUBLE_EQ(line.baseline.x(), 2);
        EXPECT_GT(line.baseline.y(), 1);
        EXPECT_LT(line.baseline.y(), 40 - 1);
        words << line.text;
    }
    EXPECT_TRUE(text.startsWith(words.join(QLatin1Char(' '))));
    EXPECT_LT(words.join(QLatin1Char(' ')).size(), text.size());
}

TEST(ReportPreparation, FailuresComeBackWithTheirReason) {
    MemoryRows failing(20, numbered, 16);
    Preparation preparation = prepareReport(docs::reportLayout(docs::vtrKind()), failing);
    EXPECT_FALSE(preparation.succeeded());
    EXPECT_EQ(preparation.error, QStringLiteral("disk I/O error"));

    ReportLayout layout = docs::reportLayout(docs::vtrKind());
    layout.bands[2].cells[0].text = QStringLiteral("[ADOQuery_PrintVTR.\"Weight\"]");
    MemoryRows rows(1, numbered);
    preparation = prepareReport(layout, rows);
    EXPECT_FALSE(preparation.succeeded());
    EXPECT_EQ(preparation.error, QStringLiteral("the rows have no field Weight"));
}

}  // namespace
}  // namespace vlr::report
