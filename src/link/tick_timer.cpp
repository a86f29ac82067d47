#include "link/tick_timer.h"

#include <QTimer>

namespace vlr::link {
namespace {

class QtTickTimer : public TickTimer {
public:
    explicit QtTickTimer(int intervalMs) {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<TickTimer> makeQtTickTimer(int intervalMs) {
    return std::make_unique<QtTickTimer>(intervalMs);
}

}  // namespace vlr::link
