#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace vlr::xls {

// A date-time as the user's settings write it, the way the grid, the report and the export
// show it: the short date format with the year always in four digits (some short formats have
// two, which loses the century), a space and the long time format without a zone name; the time
// is left out when it is exactly midnight. The date and time are taken as they are (a wall-clock
// reading), never converted between zones.
QString userDateTimeText(const QDateTime& value);
QString userDateTimeText(const QDate& date, const QTime& time);

}  // namespace vlr::xls
