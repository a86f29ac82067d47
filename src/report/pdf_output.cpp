#include "report/pdf_output.h"

#include "report/page_painter.h"

#include <QPdfWriter>
#include <QSaveFile>

namespace vlr::report {

void writePdf(const PreparedReport& report, const QString& path, int dotsPerInch) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setResolution(dotsPerInch);
        writer.setCreator(QStringLiteral("Velaron Link"));
        writer.setPageLayout(paperLayout(report.layout().page));
        if (printPages(report, writer, 0, report.pageCount() - 1) != PrintResult::Printed) {
            file.cancelWriting();
            throw ReportError(QStringLiteral("cannot write the pages to %1").arg(path));
        }
    }
    if (!file.commit())
        throw ReportError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace vlr::report
