#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace vlr::link {

class ConsoleExchangeView;
class ExchangeController;

// How one unattended read ended.
enum class ReadOutcome {
    Running,
    Complete,           // every record of every archive stored
    EmptyArchive,       // the instrument holds no records
    NoInstrument,       // nothing identified within the time allowed
    NotIdentified,      // an instrument answered but is not in DeviceList
    UnknownFirmware,    // identified, but its firmware is newer than the program knows
    TransmissionError,  // a damaged record ended the read
    LinkLost,           // the instrument fell silent or the port went away during the read
};

// Drives an exchange through one archive read without a user: waits for an instrument to be
// identified, gives the read command as soon as it may, and tells how the read ended. It only
// watches the exchange and its view; the exchange itself does the talking.
class ArchiveReadSession : public QObject {
    Q_OBJECT
public:
    // answerTimeoutMs bounds the wait for an instrument that can be read.
    ArchiveReadSession(ExchangeController& exchange, ConsoleExchangeView& view,
                       int answerTimeoutMs);
    ~ArchiveReadSession() override;

    void start();
    ReadOutcome outcome() const { return outcome_; }

    std::function<void(ReadOutcome)> onFinished;

private:
    void check();
    void finish(ReadOutcome outcome);
    bool messageShown(const QString& text) const;

    ExchangeController& exchange_;
    ConsoleExchangeView& view_;
    QTimer answerTimeout_;
    bool reading_ = false;
    bool checkQueued_ = false;
    std::size_t firstMessage_ = 0;  // messages shown before the session do not count
    ReadOutcome outcome_ = ReadOutcome::Running;
};

}  // namespace vlr::link
