#pragma once

#include "report/prepared_report.h"

#include <stdexcept>

namespace vlr::report {

// Writing a report's output failed; what() says why, in UTF-8.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Writes every page to a PDF file at the given resolution. A file already at path is replaced
// only by a completely written one. Throws ReportError when the file cannot be written.
void writePdf(const PreparedReport& report, const QString& path, int dotsPerInch = 1200);

}  // namespace vlr::report
