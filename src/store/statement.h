#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace vlr::store {

// Declared type of a statement parameter, as in the PARAMETERS clause of the original texts.
// Binding a value converts it to what a column of that type holds (see Query).
enum class ParamType { Long, Short, Bit, IEEESingle, DateTime, Text };

struct ParamDecl {
    QString name;  // "PFileNameId"
    ParamType type;
    int size = 0;           // characters, for Text
    QVariant defaultValue;  // used when the caller does not set the parameter; null by default
};

// The parameter by which a statement keeps to the running station's received rows and unsaved
// files; Query gives it the station of the database unless set.
inline QString stationParameterName() {
    return QStringLiteral("PStation");
}

// A fixed statement: its component name, its declared parameters and its SQLite text with
// named placeholders (":PFileNameId"). The line structure of the text is kept.
struct Statement {
    QString name;
    QVector<ParamDecl> params;
    QString text;
    bool returnsRows = false;
};

}  // namespace vlr::store
