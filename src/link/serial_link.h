#pragma once

#include "link/com_port_names.h"

#include <QByteArray>

#include <functional>

namespace vlr::link {

// How an attempt to open the port ended.
enum class PortOpening {
    Opened,
    Absent,    // no such device (now)
    Busy,      // another program holds it
    NoAccess,  // the user may not open it
    Failed,    // it refused the line settings or failed otherwise
};

// What the exchange needs of a serial port. TCommPortDriver implements it over a real port;
// tests implement it to hand the exchange chunks directly and read back what it sent.
class SerialLink {
public:
    virtual ~SerialLink() = default;

    // The devices COM1..COM16 stand for now; an open port keeps the device it has.
    virtual void setPortTable(const ComPortTable& ports) = 0;
    // COM number 1..16; ignored while the port is open.
    virtual void setPortNumber(int number) = 0;
    virtual PortOpening openPort() = 0;
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
