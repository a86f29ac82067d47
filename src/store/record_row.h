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

// DateTime columns hold wall-clock readings (of the instrument, or of this computer for the
// catalog) as "YYYY-MM-DD HH:MM:SS", without a time zone.
QString toStoredDateTime(const QDateTime& value);
QString toStoredDateTime(const QDate& date, const QTime& time);
// The stored text back as the same wall-clock reading, carried as a UTC date-time so that no
// zone's clock change can shift or drop it; an invalid QDateTime for null or malformed text.
// Compare it with date-times made the same way, or by date() and time().
QDateTime fromStoredDateTime(const QVariant& stored);

}  // namespace vlr::store
