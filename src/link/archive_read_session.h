#pragma once

#include "link/exchange_view.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace vlr::link {

class ConsoleExchangeView;
class LinkSession;

// Drives a link through one archive read without a user: waits for an instrument to be
// identified, gives the read command as soon as it may, and tells how the read ended. It only
// listens to what the exchange tells its view; the exchange itself does the talking.
class ArchiveReadSession : public QObject {
    Q_OBJECT
public:
    // answerTimeoutMs bounds the wait for an instrument that can be read; when it passes, the
    // outcome is NoInstrument with no read started.
    ArchiveReadSession(LinkSession& link, ConsoleExchangeView& view, int answerTimeoutMs);
    ~ArchiveReadSession() override;

    void start();
    bool finished() const { return finished_; }
    // Whether the read command was given: a NoInstrument outcome without it means that nothing
    // answered in time, with it that the instrument fell silent during the read.
    bool readStarted() const { return readStarted_; }
    const ReadOutcome& outcome() const { return outcome_; }

    std::function<void(const ReadOutcome&)> onFinished;

private:
    void queueRead();
    void tryRead();
    void finish(const ReadOutcome& outcome);

    LinkSession& link_;
    ConsoleExchangeView& view_;
    QTimer answerTimeout_;
    bool readQueued_ = false;
    bool readStarted_ = false;
    bool finished_ = false;
    ReadOutcome outcome_;
};

}  // namespace vlr::link
