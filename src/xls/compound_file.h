#pragma once

#include "xls/stream_sink.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace vlr::xls {

// A compound file (version 3, 512-byte sectors) whose root storage holds one stream.
// Streams shorter than 4096 bytes go to the mini stream, longer ones to regular sectors.
QByteArray buildCompoundFile(const QString& streamName, const QByteArray& stream);

// Writes such a file to path safely: into a temporary file in the target's folder, replacing
// the target only when everything was written, so a failure leaves an existing file as it was
// and no partial or temporary file behind. A read-only target is not replaced; a link keeps
// pointing at the new file. Throws XlsError "StgCreateDocFile error %d" when the file cannot be
// created or replaced, "CreateStream error %d" when the stream cannot be written (or its name
// does not fit a directory entry), with the system's error code (errno) as the number.
// The stream is produced by writeStream into the sink it is given, which passes it on to the
// file piece by piece; an exception from writeStream leaves things as a failed write does.
void saveCompoundFile(const QString& path, const QString& streamName,
                      const std::function<void(StreamSink&)>& writeStream);
void saveCompoundFile(const QString& path, const QString& streamName, const QByteArray& stream);

}  // namespace vlr::xls
