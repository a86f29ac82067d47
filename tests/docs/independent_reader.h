#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

namespace vlr::docs {

// What python3-xlrd and olefile (Debian's packages, readers that share no code with ours) see
// in a workbook file.
struct ReaderView {
    QString problem;      // empty when both read the file without a complaint
    QStringList streams;  // every storage and stream of the compound file
    qint64 workbookSize = -1;
    QStringList sheetNames;
    QJsonArray
        sheets;  // per sheet its rows, per row its cells up to the last: number, text or null
};

ReaderView readWithIndependentReaders(const QString& path);

// The first cell in which two sheets differ, as "row r, column c: got X, expected Y"; empty
// when they are equal.
QString firstDifference(const QJsonArray& actualRows, const QJsonArray& expectedRows);

}  // namespace vlr::docs
