#pragma once

#include "link/com_port_names.h"
#include "link/port_look_up.h"

#include <QObject>
#include <QTimer>

namespace vlr::link {

// Looks at the ports present again and again while the program runs and tells when they
// change. Polling once a second serves the system's devices and the paths VLR_COMn name (links
// to pseudo-terminals, which no device event reports) alike; a look is a stat per named path
// or one listing of the system's serial ports, a small fraction of a millisecond to a
// millisecond on the event loop, so it never holds up the exchange.
class PortWatch : public QObject {
    Q_OBJECT
public:
    explicit PortWatch(PortLookUp lookUp, QObject* parent = nullptr);

    // One look now; portsChanged follows when the table differs from the last one, and after
    // the first look always.
    void lookUp();
    // Looks now and then every intervalMs.
    void start(int intervalMs);
    const ComPortTable& ports() const { return ports_; }

signals:
    void portsChanged(const vlr::link::ComPortTable& ports);

private:
    PortLookUp lookUp_;
    QTimer timer_;
    ComPortTable ports_;
    bool looked_ = false;
};

}  // namespace vlr::link
