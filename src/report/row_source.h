#pragma once

#include <QString>
#include <QVariant>

namespace vlr::report {

// The open rows a report's master data band walks, from the first to the last. The caller
// fills it from its statement; a failure while reading throws a std::exception whose what()
// says why, and preparation reports it.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The field of that name; -1 when the rows have none.
    virtual int fieldIndex(const QString& name) const = 0;
    // Moves to the next row (the first on the first call); false after the last.
    virtual bool next() = 0;
    // The current row's value of a field; a null QVariant for null.
    virtual QVariant value(int field) const = 0;
};

}  // namespace vlr::report
