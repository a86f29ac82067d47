#pragma once

// What the link's benchmarks share: a view nobody watches, the event loop run until a condition
// holds, and the simulator tool of this build.

#include "link/exchange_view.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace vlr::bench {

// The view of a read nobody watches.
class UnwatchedView : public link::ExchangeView {
public:
    void setStatusText(int, const QString&) override {}
    void showTab(link::CommTab, const QString&) override {}
    void setReadArchiveEnabled(bool) override {}
    void setCommOptionsEnabled(bool) override {}
    void startRefreshTimer() override {}
    void stopRefreshTimer() override {}
    void RefreshCommView() override {}
    void showMessage(const QString& text, const QString&, link::MessageIcon) override {
        messages << text;
    }
    void setExchangeState(link::ExchangeState) override {}
    void setReadProgress(const link::ReadProgress&) override {}
    void readEnded(const link::ReadOutcome& outcome) override { ended = outcome; }
    QStringList messages;
    link::ReadOutcome ended;
};

inline bool runUntil(const std::function<bool()>& done, int guardMs) {
    QDeadlineTimer guard(guardMs);
    // Sleeps until an event comes; the ticker bounds the sleep so the guard is looked at.
    QTimer ticker;
    ticker.start(5);
    while (!done()) {
        if (guard.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline QString simulatorPath() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../tools/vlr-sim"));
}

}  // namespace vlr::bench
