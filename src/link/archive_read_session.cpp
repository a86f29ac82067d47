#include "link/archive_read_session.h"

#include "link/console_exchange_view.h"
#include "link/link_session.h"

namespace vlr::link {

ArchiveReadSession::ArchiveReadSession(LinkSession& link, ConsoleExchangeView& view,
                                       int answerTimeoutMs)
    : link_(link), view_(view) {
    answerTimeout_.setSingleShot(true);
    answerTimeout_.setInterval(answerTimeoutMs);
    connect(&answerTimeout_, &QTimer::timeout, this, [this] {
        if (!readStarted_)
            finish({ReadResult::NoInstrument, 0, 0, 0, {}});
    });
}

ArchiveReadSession::~ArchiveReadSession() {
    view_.onStateChanged = nullptr;
    view_.onReadEnded = nullptr;
}

void ArchiveReadSession::start() {
    view_.onStateChanged = [this](ExchangeState state) {
        if (state == ExchangeState::Connected)
            queueRead();
    };
    // Before the read command only an instrument that cannot be read is reported.
    view_.onReadEnded = [this](const ReadOutcome& outcome) { finish(outcome); };
    answerTimeout_.start();
    if (link_.state() == ExchangeState::Connected)
        queueRead();
}

void ArchiveReadSession::queueRead() {
    if (readQueued_ || readStarted_ || finished_)
        return;
    // The exchange reports its state in the middle of a step: the command waits until the
    // step is over.
    readQueued_ = true;
    QMetaObject::invokeMethod(this, &ArchiveReadSession::tryRead, Qt::QueuedConnection);
}

void ArchiveReadSession::tryRead() {
    readQueued_ = false;
    if (readStarted_ || finished_ || !link_.readArchive())
        return;
    readStarted_ = true;
    answerTimeout_.stop();
}

void ArchiveReadSession::finish(const ReadOutcome& outcome) {
    if (finished_)
        return;
    finished_ = true;
    outcome_ = outcome;
    answerTimeout_.stop();
    if (onFinished)
        onFinished(outcome);
}

}  // namespace vlr::link
