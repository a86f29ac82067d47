#include "docs/document_report.h"

#include "docs/cell_text.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QSqlQuery>

namespace vlr::docs {
namespace {

constexpr int kTitleHeight = 64;
constexpr int kHeaderHeight = 60;
constexpr int kDataHeight = 40;
constexpr int kFooterHeight = 20;
constexpr int kLeftMargin = 72;
constexpr int kRightEdge = 1046;  // the right margin on A4 landscape

report::TextCell framedCell(const ReportColumn& column, int height, const QString& text,
                            report::CellFont font, Qt::Alignment alignment) {
    // A split column's halves share its cell height.
    const int half = height / 2;
    const int top = column.half == CellHalf::Lower ? half : 0;
    const int cellHeight = column.half == CellHalf::Whole ? height : half;
    report::TextCell cell;
    cell.rect = QRect(column.x, top, column.width, cellHeight);
    cell.text = text;
    cell.font = font;
    cell.alignment = alignment;
    cell.frameSides = report::FrameAll;
    return cell;
}

report::Band titleBand(const ReportTable& table) {
    report::TextCell title;
    title.rect = QRect(kLeftMargin, 0, table.titleWidth, kTitleHeight);
    title.text = table.title;
    title.font = report::CellFont{QStringLiteral("Arial"), 14, true};
    title.alignment = Qt::AlignLeft | Qt::AlignTop;
    return report::Band{report::BandKind::ReportTitle, kTitleHeight, {title}};
}

report::Band headerBand(const ReportTable& table) {
    report::Band band{report::BandKind::PageHeader, kHeaderHeight, {}};
    const report::CellFont font{QStringLiteral("Arial"), double(table.headingPointSize), true};
    for (const ReportColumn& column : table.columns)
        band.cells.push_back(
            framedCell(column, kHeaderHeight, column.heading, font, Qt::AlignCenter));
    return band;
}

report::Band dataBand(const ReportTable& table) {
    report::Band band{report::BandKind::MasterData, kDataHeight, {}};
    const report::CellFont font{QStringLiteral("Arial"), 10, false};
    for (const ReportColumn& column : table.columns) {
        const QString reference = QStringLiteral("[%1.\"%2\"]").arg(table.dataSet, column.field);
        report::TextCell cell = framedCell(column, kDataHeight, reference, font, column.alignment);
        const DisplayFormat format = column.format;
        cell.format = [format](const QVariant& value) { return reportText(value, format); };
        band.cells.push_back(cell);
    }
    return band;
}

report::Band footerBand() {
    report::TextCell number;
    number.rect = QRect(844, 0, kRightEdge - 844, kFooterHeight);
    number.text = QStringLiteral("Стр. [PAGE#] из [TOTALPAGES]");
    number.alignment = Qt::AlignRight | Qt::AlignVCenter;
    return report::Band{report::BandKind::PageFooter, kFooterHeight, {number}};
}

// The records as the report walks them: the fields of its data cells, in the given order.
class PrintRows : public report::RowSource {
public:
    PrintRows(const store::Database& database, int fileNameId, const ReportTable& table,
              const RecordOrder& order)
        : records_(database, fileNameId, order, fieldsOf(table)) {}

    int fieldIndex(const QString& name) const override { return records_.fieldIndex(name); }
    bool next() override { return ++row_ < records_.count(); }
    QVariant value(int field) const override { return records_.value(row_, field); }

private:
    static QStringList fieldsOf(const ReportTable& table) {
        QStringList fields;
        for (const ReportColumn& column : table.columns) {
            if (!fields.contains(column.field))
                fields << column.field;
        }
        return fields;
    }

    FileRecords records_;
    int row_ = -1;
};

}  // namespace

report::ReportLayout reportLayout(const DocumentKind& kind) {
    report::ReportLayout layout;
    layout.page.paper = QPageSize::A4;
    layout.page.orientation = QPageLayout::Landscape;
    layout.page.margins = QMargins(kLeftMargin, 25, 25, 25);
    layout.dataSet = kind.report.dataSet;
    layout.bands = {titleBand(kind.report), headerBand(kind.report), dataBand(kind.report),
                    footerBand()};
    return layout;
}

std::unique_ptr<report::RowSource> openPrintRows(const store::Database& database, int fileNameId,
                                                 const DocumentKind& kind,
                                                 const RecordOrder& order) {
    return std::make_unique<PrintRows>(database, fileNameId, kind.report, order);
}

report::Preparation prepareDocumentReport(const store::Database& database, int fileNameId,
                                          const DocumentKind& kind, const RecordOrder& order,
                                          const std::function<void()>& eachRow) {
    const std::unique_ptr<report::RowSource> rows =
        openPrintRows(database, fileNameId, kind, order);
    if (!eachRow)
        return report::prepareReport(reportLayout(kind), *rows);
    report::WatchedRows watched(*rows, eachRow);
    return report::prepareReport(reportLayout(kind), watched);
}

QString printDocumentName(const store::Database& database, int fileNameId) {
    try {
        store::Query find(database, store::ADOQuery_FindFile());
        QSqlQuery& rows = find.set(QStringLiteral("PFileNameId"), fileNameId).open();
        return rows.next() ? rows.value(QStringLiteral("FileName")).toString() : QString();
    } catch (const store::StoreError&) {
        return QString();
    }
}

QString printFailedText() {
    return QStringLiteral("Не могу напечатать файл!");
}

}  // namespace vlr::docs
