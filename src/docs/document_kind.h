#pragma once

#include <QString>
#include <QVector>

namespace vlr::docs {

// How a record field becomes a cell value: the print row set's type of the field.
enum class FieldType {
    Integer,   // N: a 32-bit integer, a number cell
    DateTime,  // written as its text in the user's format
    Number,    // F1..F10: double-precision numbers, number cells
    Text,      // T1..T10 and Comment: text cells
};

// One column of an exported sheet: its header and the record field it shows.
struct ExportColumn {
    QString header;
    QString field;
    FieldType type;
};

// What differs between the three kinds of file: captions and column sets. Everything else
// the document side does is the same for all kinds.
struct DocumentKind {
    int deviceListId;               // the id files of this kind are created with
    QString caption;                // "ОСК-К9"
    QVector<ExportColumn> columns;  // of the exported sheet, in sheet order

    // The column of a field name (compared without regard to letter case); nullptr when the
    // kind has no such column.
    const ExportColumn* column(const QString& field) const;
};

const DocumentKind& oskKind();
const DocumentKind& vtrKind();
const DocumentKind& vtrAsphaltKind();

// The kind of a file by its Catalog.DeviceListId: 1 OSK; 2, 3 and 4 VTR; 5 VTR asphalt.
// nullptr for any other id.
const DocumentKind* documentKindFor(int deviceListId);

}  // namespace vlr::docs
