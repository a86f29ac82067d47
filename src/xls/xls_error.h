#pragma once

#include <QString>

#include <stdexcept>

namespace vlr::xls {

// A workbook could not be built or written; what() is the text shown to the user.
class XlsError : public std::runtime_error {
public:
    explicit XlsError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace vlr::xls
