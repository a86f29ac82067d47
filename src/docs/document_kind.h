#pragma once

#include <QString>
#include <QVector>
#include <Qt>

namespace vlr::docs {

// How a record field becomes a cell value: the print row set's type of the field.
enum class FieldType {
    Integer,   // N: a 32-bit integer, a number cell
    DateTime,  // written as its text in the user's format
    Number,    // F1..F10: double-precision numbers, number cells
    Text,      // T1..T10 and Comment: text cells
};

// The type of a record-row field by its name (N, DateTime, F1..F10, T1..T10, Comment, ...).
FieldType fieldTypeOf(const QString& field);

// A numeric display pattern of a grid column or a report cell.
enum class DisplayFormat {
    None,         // the value's own text form
    OneDecimal,   // "0.0"
    TwoDecimals,  // "0.00"
};

// The width a grid gives a column that sets none of its own.
constexpr int kDefaultColumnWidth = 64;

// One column of a data grid. Alignments carry the vertical part too (cells centre vertically).
struct GridColumn {
    QString field;
    QString title;  // lines separated by '\n'; the grid may also wrap a long title
    int width;      // starting width in pixels; the grid fits the visible columns to its width
    Qt::Alignment alignment;       // of the cells
    Qt::Alignment titleAlignment;  // of the title
    DisplayFormat format;
    bool hidden;
};

// The columns of one grid, in the grid's column order with its hidden columns in their places.
struct GridTable {
    QString name;    // the grid's component name, "DBGridPro_OSK"
    int titleLines;  // how many text lines high the titles are
    QVector<GridColumn> columns;
    // The designed window font's height in pixels (its line, not its em): the widths were
    // made for it.
    int fontHeight = 13;

    const GridColumn* column(const QString& field) const;
};

// Which part of its column's cell a report column fills: the split columns stack two fields.
enum class CellHalf { Whole, Upper, Lower };

// One column of a printed report: the heading cell in the page header and the data cell in the
// master data band share the position and the width (layout units of 1.015/93 inch).
struct ReportColumn {
    int x;  // from the paper's left edge
    int width;
    CellHalf half;
    QString heading;  // lines separated by '\n'
    QString field;
    DisplayFormat format;
    Qt::Alignment alignment;  // of the data cell
};

// A kind's printed report.
struct ReportTable {
    QString name;     // the report's component name, "frReport_OSK"
    QString dataSet;  // the print row set the data cells refer to, "ADOQuery_PrintOSK"
    QString title;
    int titleWidth;
    int headingPointSize;
    QVector<ReportColumn> columns;  // left to right, the upper half before the lower
};

// One column of an exported sheet: its header and the record field it shows.
struct ExportColumn {
    QString header;
    QString field;
    FieldType type;
};

// What differs between the three kinds of file: captions and the columns of the document
// grid, the receive view's grid, the report and the exported sheet. Windows, reports and the
// export all read these tables; everything else the document side does is the same for all
// kinds.
struct DocumentKind {
    int deviceListId;               // the id files of this kind are created with
    QString caption;                // "ОСК-К9"
    QVector<ExportColumn> columns;  // of the exported sheet, in sheet order
    GridTable grid;                 // the document window's grid
    GridTable receiveGrid;          // the receive view's tab this kind accepts drops from
    ReportTable report;

    // The exported column of a field name (compared without regard to letter case); nullptr
    // when the kind has no such column.
    const ExportColumn* column(const QString& field) const;
};

const DocumentKind& oskKind();
const DocumentKind& vtrKind();
const DocumentKind& vtrAsphaltKind();

// The three kinds in the order of the receive view's tabs.
QVector<const DocumentKind*> documentKinds();

// The kind of a file by its Catalog.DeviceListId: 1 OSK; 2, 3 and 4 VTR; 5 VTR asphalt.
// nullptr for any other id.
const DocumentKind* documentKindFor(int deviceListId);

}  // namespace vlr::docs
