#include "ui/busy_work.h"

#include <QApplication>
#include <QCursor>

namespace vlr::ui {
namespace {

// Well inside the link's 50 ms poll of the port.
constexpr int kTurnEveryMs = 20;

}  // namespace

BusyWork::BusyWork() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sinceTurn_.start();
}

BusyWork::~BusyWork() {
    QApplication::restoreOverrideCursor();
}

void BusyWork::turn() {
    if (!sinceTurn_.hasExpired(kTurnEveryMs))
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceTurn_.restart();
}

}  // namespace vlr::ui
