#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>

namespace vlr::store {
class RowCursor;
}

namespace vlr::docs {

// What the numeric fields F1..F10 of a row set hold: a file's records keep decimals as they
// were stored; the received rows keep singles, each read as the decimal it stands for
// (5204.7002 as 5204.7).
enum class NumberStorage { Decimal, Single };

// Reads one field of the record rows (Data, Data_Comm) by the one set of rules that the grids,
// the report and the export share: DataId, FileNameId and N as int; DateTime as a wall-clock
// QDateTime (carried as UTC), or as its stored text when that is no date and time, so that
// nothing stored is hidden; F1..F10 as double; B1..B10 and Printable as bool; texts as QString;
// null as a null QVariant.
class FieldReader {
public:
    FieldReader(const QString& field, int column, NumberStorage numbers);

    int column() const { return column_; }
    // The field of the cursor's current row.
    QVariant read(const store::RowCursor& rows);

private:
    enum class Kind { Integer, DateTime, Decimal, Single, Flag, Text };

    QString text(QByteArrayView utf8);

    int column_;
    Kind kind_;
    // A file's records repeat a few texts (material, method, size) many times: one shared copy
    // of each keeps a large read from allocating a string per cell.
    QHash<QByteArray, QString> texts_;
};

}  // namespace vlr::docs
