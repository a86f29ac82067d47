#pragma once

#include "sim/instrument_model.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>

class QSocketNotifier;

namespace vlr::sim {

// How the answers go out on the line.
struct LinePacing {
    int bitsPerSecond = 9600;   // 0 sends every answer at once
    int bitsPerCharacter = 10;  // start bit, 8 data bits, stop bit
    int answerDelayMs = 0;      // from the received letter to the first byte of the answer
};

// Serves an InstrumentModel on a pseudo-terminal: whoever opens devicePath() talks to the
// instrument. Runs on the event loop of the thread that owns it.
class PtyInstrumentServer : public QObject {
    Q_OBJECT
public:
    PtyInstrumentServer(InstrumentModel& model, LinePacing pacing, QObject* parent = nullptr);
    ~PtyInstrumentServer() override;

    // Creates the pseudo-terminal in raw mode; throws std::runtime_error with the reason.
    void open();
    // Closes it: a program holding the device sees it vanish.
    void close();
    QString devicePath() const { return devicePath_; }

    // Every byte the program has sent, in order.
    const QByteArray& received() const { return received_; }

    // Called for every received byte and for every answer as it is queued (tool's log).
    std::function<void(char letter, const QByteArray& answer)> onExchange;

private:
    void readLetters();
    void queueAnswer(const QByteArray& answer);
    void sendDue();

    InstrumentModel& model_;
    LinePacing pacing_;
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between the program's opens
    QString devicePath_;
    QSocketNotifier* readable_ = nullptr;
    QTimer sender_;
    QElapsedTimer clock_;
    QByteArray received_;
    QByteArray pending_;
    std::deque<qint64> dueNs_;  // when each pending byte has fully crossed the line
    qint64 lineFreeNs_ = 0;
};

}  // namespace vlr::sim
