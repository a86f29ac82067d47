#pragma once

#include "xls/stream_sink.h"
#include "xls/xls_workbook.h"

#include <QByteArray>
#include <QString>

namespace vlr::xls {

class TvteCustomWriter {
public:
    virtual ~TvteCustomWriter() = default;
    // The base writer writes nothing.
    virtual void SaveToFile(const TvteXLSWorkbook& /*workbook*/, const QString& /*fileName*/) {}
};

// Saves a workbook as an .xls file: a compound file whose one stream "Workbook" holds the
// workbook in the BIFF8 record format.
class TvteExcelWriter : public TvteCustomWriter {
public:
    // Throws XlsError when the workbook exceeds the format (rows 0..65535, columns 0..255,
    // texts of at most 65535 characters) or when the file cannot be written.
    void SaveToFile(const TvteXLSWorkbook& workbook, const QString& fileName) override;
};

// Writes the "Workbook" stream of a workbook into a sink; throws XlsError beyond the format's
// limits, before anything is written.
void writeWorkbookStream(const TvteXLSWorkbook& workbook, StreamSink& sink);
// The same stream, held whole.
QByteArray buildWorkbookStream(const TvteXLSWorkbook& workbook);

}  // namespace vlr::xls
