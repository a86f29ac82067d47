#include "link/archive_read_session.h"

#include "link/console_exchange_view.h"
#include "link/exchange_controller.h"

#include <algorithm>

namespace vlr::link {

ArchiveReadSession::ArchiveReadSession(ExchangeController& exchange, ConsoleExchangeView& view,
                                       int answerTimeoutMs)
    : exchange_(exchange), view_(view) {
    answerTimeout_.setSingleShot(true);
    answerTimeout_.setInterval(answerTimeoutMs);
    connect(&answerTimeout_, &QTimer::timeout, this, [this] {
        if (!reading_)
            finish(ReadOutcome::NoInstrument);
    });
}

ArchiveReadSession::~ArchiveReadSession() {
    view_.onChanged = nullptr;
}

void ArchiveReadSession::start() {
    // The exchange calls the view in the middle of its steps; the state is looked at once the
    // step is over.
    view_.onChanged = [this] {
        if (checkQueued_)
            return;
        checkQueued_ = true;
        QMetaObject::invokeMethod(this, &ArchiveReadSession::check, Qt::QueuedConnection);
    };
    firstMessage_ = view_.messages().size();
    answerTimeout_.start();
}

bool ArchiveReadSession::messageShown(const QString& text) const {
    const std::vector<QString>& messages = view_.messages();
    const auto sinceStart = messages.begin() + static_cast<std::ptrdiff_t>(firstMessage_);
    return std::find(sinceStart, messages.end(), text) != messages.end();
}

void ArchiveReadSession::check() {
    checkQueued_ = false;
    if (outcome_ != ReadOutcome::Running)
        return;
    using State = ExchangeController::State;
    const State state = exchange_.state();
    if (reading_) {
        if (state == State::Connected && exchange_.ReceivedTotal() >= exchange_.ExpectedTotal())
            finish(ReadOutcome::Complete);
        else if (messageShown(QStringLiteral("Ошибка передачи данных !!!")))
            finish(ReadOutcome::TransmissionError);
        else if (state == State::Probing)
            finish(ReadOutcome::LinkLost);
        return;
    }
    if (messageShown(QStringLiteral("Прибор не опознан!"))) {
        finish(ReadOutcome::NotIdentified);
    } else if (messageShown(QStringLiteral("Записей в архиве нет!"))) {
        finish(ReadOutcome::EmptyArchive);
    } else if (state == State::Connected && exchange_.Identified() &&
               view_.panelText(0) == QStringLiteral("Неизвестная версия прибора")) {
        finish(ReadOutcome::UnknownFirmware);
    } else if (exchange_.canReadArchive() && exchange_.A_ReadArcExecute()) {
        reading_ = true;
        answerTimeout_.stop();
    }
}

void ArchiveReadSession::finish(ReadOutcome outcome) {
    outcome_ = outcome;
    answerTimeout_.stop();
    view_.onChanged = nullptr;
    if (onFinished)
        onFinished(outcome);
}

}  // namespace vlr::link
