#pragma once

#include <QString>

#include <stdexcept>

namespace vlr::store {

// A statement or the database itself failed; what() is the database's own message text.
class StoreError : public std::runtime_error {
public:
    // Refused: this statement failed (its values, a full disk, a lock); the next one may well
    // run. ConnectionLost: the server cannot be reached, so every statement fails alike until
    // it is back.
    enum class Cause { Refused, ConnectionLost };

    explicit StoreError(const QString& message, Cause cause = Cause::Refused)
        : std::runtime_error(message.toStdString()), message_(message), cause_(cause) {}
    const QString& message() const { return message_; }
    bool connectionLost() const { return cause_ == Cause::ConnectionLost; }

private:
    QString message_;
    Cause cause_;
};

}  // namespace vlr::store
