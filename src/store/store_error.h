#pragma once

#include <QString>

#include <stdexcept>

namespace vlr::store {

// A statement or the database itself failed; what() is the database's own message text.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace vlr::store
