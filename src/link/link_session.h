#pragma once

#include "link/com_port_names.h"
#include "link/exchange_controller.h"
#include "link/port_probe.h"

#include <memory>

namespace vlr::store {
class Database;
}

namespace vlr::link {

class ExchangeView;
class SerialLink;
class TickTimer;
struct PortSettings;

// The instrument link of one run, wired once: the serial port (CommPortDriver1), the silence
// timer (Timer_ComOut) and the exchange over both. The desktop program, `vlr read` and the
// tests build the link through it. The exchange starts at once; it probes nothing until the
// present ports are known (probePorts).
class LinkSession {
public:
    static constexpr int ComOutIntervalMs = 1000;

    // Over the serial port driver, COM numbers naming the devices of ports (by default the
    // system's table), and a timer on the event loop. The database, the view and the port
    // settings must outlive the session; the settings are the run's own record, read again
    // at every choice of a port.
    LinkSession(const store::Database& database, ExchangeView& view, const PortSettings& settings,
                ComPortTable ports = comPortTable());
    // Over the given port and timer, which must outlive it (tests drive chunks and ticks).
    LinkSession(SerialLink& port, TickTimer& comOutTimer, const store::Database& database,
                ExchangeView& view, const PortSettings& settings);
    LinkSession(const store::Database&, ExchangeView&, const PortSettings&&,
                ComPortTable = {}) = delete;
    LinkSession(SerialLink&, TickTimer&, const store::Database&, ExchangeView&,
                const PortSettings&&) = delete;
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // What the port options dialog does once at start: holds the exchange's scanning off,
    // tries COM1..COM16 through the session's port, and hands the present ones to the
    // exchange, which probes them from the next tick on. Returns them for the options list.
    PresentPorts probePorts();
    // The command "Считать архив"; false (and nothing happens) when reading is not possible.
    bool readArchive() { return exchange_.A_ReadArcExecute(); }

    const ExchangeController& exchange() const { return exchange_; }
    ExchangeState state() const { return exchange_.state(); }
    const PortSettings& portSettings() const { return exchange_.portSettings(); }
    SerialLink& port() { return port_; }

private:
    LinkSession(std::unique_ptr<SerialLink> ownedPort, std::unique_ptr<TickTimer> ownedTimer,
                const store::Database& database, ExchangeView& view, const PortSettings& settings);

    std::unique_ptr<SerialLink> ownedPort_;
    std::unique_ptr<TickTimer> ownedTimer_;
    SerialLink& port_;
    ExchangeController exchange_;
};

}  // namespace vlr::link
