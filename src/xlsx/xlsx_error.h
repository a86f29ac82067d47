#pragma once

#include <QString>

#include <stdexcept>

namespace vlr::xlsx {

// A workbook could not be written; message() is the reason, the system's where it has one
// ("No space left on device").
class XlsxError : public std::runtime_error {
public:
    explicit XlsxError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The error of a failed system call, with the system's text for errno.
[[noreturn]] void throwSystemError(int error);

}  // namespace vlr::xlsx
