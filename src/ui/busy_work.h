#pragma once

#include <QElapsedTimer>

namespace vlr::ui {

// A long piece of work on the window thread (an export, the preparation of a report): the busy
// cursor while it lasts, and turns for the event loop in between, so that the instrument link's
// timers keep reading and the windows are repainted. Input waits for the end of the work.
class BusyWork {
public:
    BusyWork();
    ~BusyWork();
    BusyWork(const BusyWork&) = delete;
    BusyWork& operator=(const BusyWork&) = delete;

    // Called often by the work; lets the event loop run when its last turn is a while ago.
    void turn();

private:
    QElapsedTimer sinceTurn_;
};

}  // namespace vlr::ui
