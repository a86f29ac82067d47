#include "link/link_session.h"

#include "link/comm_port_driver.h"
#include "link/tick_timer.h"

namespace vlr::link {
namespace {

std::unique_ptr<SerialLink> instrumentPort(ComPortTable ports) {
    auto driver = std::make_unique<TCommPortDriver>(std::move(ports));
    // The instrument's line: RTS on, DTR off.
    driver->setEnableDTROnOpen(false);
    return driver;
}

}  // namespace

LinkSession::LinkSession(const store::Database& database, ExchangeView& view,
                         const PortSettings& settings, ComPortTable ports)
    : LinkSession(instrumentPort(std::move(ports)), makeQtTickTimer(ComOutIntervalMs), database,
                  view, settings) {}

LinkSession::LinkSession(SerialLink& port, TickTimer& comOutTimer, const store::Database& database,
                         ExchangeView& view, const PortSettings& settings)
    : port_(port), exchange_(port, comOutTimer, database, view, settings) {}

LinkSession::LinkSession(std::unique_ptr<SerialLink> ownedPort,
                         std::unique_ptr<TickTimer> ownedTimer, const store::Database& database,
                         ExchangeView& view, const PortSettings& settings)
    : ownedPort_(std::move(ownedPort)),
      ownedTimer_(std::move(ownedTimer)),
      port_(*ownedPort_),
      exchange_(port_, *ownedTimer_, database, view, settings) {}

LinkSession::~LinkSession() = default;

PresentPorts LinkSession::probePorts() {
    exchange_.setScanEnabled(false);
    const PresentPorts present = probePresentPorts(port_);
    exchange_.setPresentPorts(present);
    return present;
}

}  // namespace vlr::link
