#include "link/link_session.h"

#include "link/comm_port_driver.h"
#include "link/tick_timer.h"

namespace vlr::link {
namespace {

std::unique_ptr<SerialLink> instrumentPort() {
    auto driver = std::make_unique<TCommPortDriver>(ComPortTable{});
    // The instrument's line: RTS on, DTR off.
    driver->setEnableDTROnOpen(false);
    return driver;
}

}  // namespace

LinkSession::LinkSession(const store::Database& database, ExchangeView& view,
                         const PortSettings& settings, PortLookUp lookUp)
    : LinkSession(instrumentPort(), makeQtTickTimer(ComOutIntervalMs), database, view, settings,
                  std::move(lookUp)) {}

LinkSession::LinkSession(SerialLink& port, TickTimer& comOutTimer, const store::Database& database,
                         ExchangeView& view, const PortSettings& settings, PortLookUp lookUp)
    : port_(port),
      exchange_(port, comOutTimer, database, view, settings),
      watch_(std::move(lookUp)) {
    connectWatch();
}

LinkSession::LinkSession(std::unique_ptr<SerialLink> ownedPort,
                         std::unique_ptr<TickTimer> ownedTimer, const store::Database& database,
                         ExchangeView& view, const PortSettings& settings, PortLookUp lookUp)
    : ownedPort_(std::move(ownedPort)),
      ownedTimer_(std::move(ownedTimer)),
      port_(*ownedPort_),
      exchange_(port_, *ownedTimer_, database, view, settings),
      watch_(std::move(lookUp)) {
    connectWatch();
}

LinkSession::~LinkSession() = default;

void LinkSession::connectWatch() {
    QObject::connect(&watch_, &PortWatch::portsChanged, &watch_,
                     [this](const ComPortTable& ports) { applyPorts(ports); });
}

const ComPortTable& LinkSession::lookUpPorts() {
    watch_.lookUp();
    return watch_.ports();
}

void LinkSession::watchPorts(int intervalMs) {
    watch_.start(intervalMs);
}

void LinkSession::applyPorts(const ComPortTable& ports) {
    port_.setPortTable(ports);
    exchange_.setPresentPorts(presentPorts(ports));
}

}  // namespace vlr::link
