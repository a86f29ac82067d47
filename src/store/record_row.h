#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace vlr::store {

// The fields of the record row that ADOQuery_CopyRec copies, in column order:
// N, DateTime, F1..F10, T1..T10, B1..B10 (Comment is not copied).
QStringList recordRowCopiedFields();

// Every column of the table Data, in column order.
QStringList dataColumnNames();

// DateTime columns hold local time as "YYYY-MM-DD HH:MM:SS".
QString toStoredDateTime(const QDateTime& value);
// The stored text back as a date-time; an invalid QDateTime for null or malformed text.
QDateTime fromStoredDateTime(const QVariant& stored);

}  // namespace vlr::store
