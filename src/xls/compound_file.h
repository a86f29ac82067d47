#pragma once

#include <QByteArray>
#include <QString>

namespace vlr::xls {

// A compound file (version 3, 512-byte sectors) whose root storage holds one stream.
// Streams shorter than 4096 bytes go to the mini stream, longer ones to regular sectors.
QByteArray buildCompoundFile(const QString& streamName, const QByteArray& stream);

// Writes such a file to path safely: into a temporary file in the target's folder, replacing
// the target only when everything was written. Throws XlsError "StgCreateDocFile error %d"
// when the file cannot be created or replaced, "CreateStream error %d" when the stream cannot
// be written, with the system's error code as the number.
void saveCompoundFile(const QString& path, const QString& streamName, const QByteArray& stream);

}  // namespace vlr::xls
