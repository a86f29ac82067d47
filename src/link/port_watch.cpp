#include "link/port_watch.h"

namespace vlr::link {

PortWatch::PortWatch(PortLookUp lookUp, QObject* parent)
    : QObject(parent), lookUp_(std::move(lookUp)) {
    connect(&timer_, &QTimer::timeout, this, &PortWatch::lookUp);
}

void PortWatch::lookUp() {
    ComPortTable now = lookUp_();
    if (looked_ && now == ports_)
        return;
    looked_ = true;
    ports_ = std::move(now);
    emit portsChanged(ports_);
}

void PortWatch::start(int intervalMs) {
    lookUp();
    timer_.start(intervalMs);
}

}  // namespace vlr::link
