#pragma once

#include <QString>
#include <QVariant>

#include <ostream>

// Readable failure messages for Qt values in assertions: the text, not its bytes.
inline void PrintTo(const QString& value, std::ostream* os) {
    *os << '"' << value.toStdString() << '"';
}

inline void PrintTo(const QVariant& value, std::ostream* os) {
    *os << "QVariant(" << value.typeName() << ", \"" << value.toString().toStdString() << "\")";
}
