#pragma once

#include "link/com_port_names.h"
#include "link/exchange_controller.h"
#include "link/port_look_up.h"
#include "link/port_watch.h"

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
// timer (Timer_ComOut), the exchange over both, and the watch over the ports present. The
// desktop program, `vlr read` and the tests build the link through it. The exchange starts at
// once; it probes nothing until the first look at the ports (lookUpPorts or watchPorts).
class LinkSession {
public:
    static constexpr int ComOutIntervalMs = 1000;
    static constexpr int PortLookUpIntervalMs = 1000;

    // Over the serial port driver, COM numbers naming the devices the look-up finds (by
    // default the run's own, port_look_up.h), and a timer on the event loop. The database, the
    // view and the port settings must outlive the session; the settings are the run's own
    // record, read again at every choice of a port.
    LinkSession(const store::Database& database, ExchangeView& view, const PortSettings& settings,
                PortLookUp lookUp = systemPortLookUp());
    // Over the given port and timer, which must outlive it (tests drive chunks and ticks).
    LinkSession(SerialLink& port, TickTimer& comOutTimer, const store::Database& database,
                ExchangeView& view, const PortSettings& settings, PortLookUp lookUp);
    LinkSession(const store::Database&, ExchangeView&, const PortSettings&&,
                PortLookUp = {}) = delete;
    LinkSession(SerialLink&, TickTimer&, const store::Database&, ExchangeView&,
                const PortSettings&&, PortLookUp) = delete;
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // One look at the ports present now: their devices go to the port, the list to the
    // exchange, which probes from its next tick on (and at once a port that has just appeared).
    const ComPortTable& lookUpPorts();
    // Looks now and then every intervalMs for as long as the session lives.
    void watchPorts(int intervalMs = PortLookUpIntervalMs);
    const ComPortTable& ports() const { return watch_.ports(); }
    // Tells when the ports present change (the port options dialog's list follows it).
    PortWatch& portWatch() { return watch_; }

    // The command "Считать архив"; false (and nothing happens) when reading is not possible.
    bool readArchive() { return exchange_.A_ReadArcExecute(); }

    const ExchangeController& exchange() const { return exchange_; }
    ExchangeState state() const { return exchange_.state(); }
    const PortSettings& portSettings() const { return exchange_.portSettings(); }
    SerialLink& port() { return port_; }

private:
    LinkSession(std::unique_ptr<SerialLink> ownedPort, std::unique_ptr<TickTimer> ownedTimer,
                const store::Database& database, ExchangeView& view, const PortSettings& settings,
                PortLookUp lookUp);
    void connectWatch();
    void applyPorts(const ComPortTable& ports);

    std::unique_ptr<SerialLink> ownedPort_;
    std::unique_ptr<TickTimer> ownedTimer_;
    SerialLink& port_;
    ExchangeController exchange_;
    // Last: no look reaches the exchange once it is gone.
    PortWatch watch_;
};

}  // namespace vlr::link
