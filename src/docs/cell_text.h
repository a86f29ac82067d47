#pragma once

#include "docs/document_kind.h"

#include <QVariant>

namespace vlr::docs {

// The text a grid cell shows for a field value: "0.0" and "0.00" round to one or two decimals
// with the user's decimal separator; other numbers in their shortest general form; a date-time
// (QDateTime, read as wall-clock date and time) in the user's short date and long time format
// with a four-digit year; texts as they are; null as an empty cell.
QString gridText(const QVariant& value, DisplayFormat format);

// The text a printed data cell shows for a field value. "0.0" and "0.00" format anything that
// reads as a number (a number, or a text with a decimal comma or point) with the user's
// decimal separator, as the grid does; a text that does not read as a number prints unchanged.
// Without a format the value prints as in the grid. Null, or a text that is blank after trimming,
// prints empty.
QString reportText(const QVariant& value, DisplayFormat format);

}  // namespace vlr::docs
