#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QTime>

#include <utility>

namespace vlr::docs {

// The stored "yyyy-MM-dd HH:mm:ss" as a wall-clock date and time, read without the local time
// zone: a measurement taken in the hour a clock change skips or repeats keeps its time, and a
// large file is not slowed down by a zone lookup per record. Anything else gives an invalid
// date.
std::pair<QDate, QTime> wallClockDateTime(QByteArrayView stored);

}  // namespace vlr::docs
