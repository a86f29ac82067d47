#pragma once

#include <QByteArrayView>
#include <QString>

namespace vlr::store {

// The rows of one statement as one engine's interface gives them; RowCursor reads through it.
// Failures throw StoreError, so a failure never passes for the end of the rows.
class RowSource {
public:
    virtual ~RowSource() = default;

    // The column of that name, compared without regard to case; -1 when there is none.
    virtual int columnIndex(const QString& name) const = 0;
    // Moves to the next row; false after the last, and false again when asked again.
    virtual bool next() = 0;

    virtual bool isNull(int column) const = 0;
    virtual double number(int column) const = 0;
    virtual int integer(int column) const = 0;
    // The field's text in UTF-8; valid until the next call of next().
    virtual QByteArrayView utf8(int column) const = 0;
};

}  // namespace vlr::store
