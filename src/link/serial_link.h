#pragma once

#include <QByteArray>

#include <functional>

namespace vlr::link {

// What the exchange needs of a serial port. TCommPortDriver implements it over a real port;
// tests implement it to hand the exchange chunks directly and read back what it sent.
class SerialLink {
public:
    virtual ~SerialLink() = default;

    // COM number 1..16; ignored while the port is open.
    virtual void setPortNumber(int number) = 0;
    virtual bool openPort() = 0;
    virtual void closePort() = 0;
    virtual bool isOpen() const = 0;
    // True when the byte went out within the port's output time-out.
    virtual bool writeOneByte(char byte) = 0;
    virtual int baudRateValue() const = 0;

    // Received bytes, one chunk at a time, on the event-loop thread; never empty.
    std::function<void(const QByteArray& chunk)> onReceiveData;
    // Raised, on the event-loop thread, when an open port fails or goes away (an adapter pulled
    // out); the port is closed by then or about to be.
    std::function<void()> onPortError;
};

}  // namespace vlr::link
