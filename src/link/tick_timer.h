#pragma once

#include <functional>
#include <memory>

namespace vlr::link {

// A restartable single-interval timer on the event-loop thread. The exchange and the receive
// view use it so that tests can fire ticks themselves instead of waiting for real time.
class TickTimer {
public:
    virtual ~TickTimer() = default;
    // (Re)starts counting a full interval from now.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    std::function<void()> onTick;
};

// A TickTimer over QTimer, repeating every intervalMs.
std::unique_ptr<TickTimer> makeQtTickTimer(int intervalMs);

}  // namespace vlr::link
