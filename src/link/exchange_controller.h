#pragma once

#include "link/exchange_view.h"
#include "link/port_settings.h"
#include "link/receive_buffer.h"
#include "link/serial_link.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <vector>

namespace vlr::store {
class Database;
}

namespace vlr::link {

class TickTimer;

// The conversation with the instrument: probes the present COM ports with 'Z', identifies the
// instrument with 'V' against DeviceList, keeps the link alive, and on the read command reads
// the archive record by record ('n', then 'O' per record, 'Z' after the last) into Data_Comm.
// Driven by received chunks, ticks of the silence timer and the read command; all on one thread.
class ExchangeController {
public:
    using State = ExchangeState;

    static constexpr char LetterProbe = 'Z';
    static constexpr char LetterIdentify = 'V';
    static constexpr char LetterFirstRecord = 'n';
    static constexpr char LetterNextRecord = 'O';

    // Wires itself to the port's chunks and errors and to the timer's ticks (Timer_ComOut,
    // 1000 ms), resets the link and starts the timer. The references must outlive it; the port
    // settings are the run's own record, read again at every choice of a port.
    ExchangeController(SerialLink& port, TickTimer& comOutTimer, const store::Database& database,
                       ExchangeView& view, const PortSettings& settings);
    ExchangeController(SerialLink&, TickTimer&, const store::Database&, ExchangeView&,
                       const PortSettings&&) = delete;
    ~ExchangeController();
    ExchangeController(const ExchangeController&) = delete;
    ExchangeController& operator=(const ExchangeController&) = delete;

    // The ports present now, from every look at the system's ports; the first list lets ticks
    // probe from then on. A port that appears in a later list while the search runs is probed
    // at once (in automatic detection, or when it is the fixed port).
    void setPresentPorts(const link::PresentPorts& present);
    const PortSettings& portSettings() const { return settings_; }

    // A chunk of received bytes (never empty in practice; an empty one only feeds the watchdog).
    void CommPortDriver1ReceiveData(const QByteArray& chunk);
    // A tick of the silence timer.
    void Timer_ComOutTimer();
    // The read command "Считать архив"; false (and nothing happens) when reading is not
    // possible: no instrument identified, an empty archive or a read already running.
    bool A_ReadArcExecute();
    // The port failed or vanished: the link is reset; stored rows stay.
    void onPortError();

    State state() const;
    bool LinkUp() const { return LinkUp_; }
    bool Identified() const { return Identified_; }
    bool ScanEnabled() const { return ScanEnabled_; }
    bool canReadArchive() const { return readArchiveEnabled_; }
    char CommandLetter() const { return CommandLetter_; }
    int PortIndex() const { return PortIndex_; }
    const link::PresentPorts& PresentPorts() const { return PresentPorts_; }
    int DeviceType() const { return DeviceType_; }
    int DeviceSubType() const { return DeviceSubType_; }
    QDate FirmwareDate() const { return FirmwareDate_; }
    int DeviceListId() const { return DeviceListId_; }
    const QString& DeviceName() const { return DeviceName_; }
    int DeviceNumArc() const { return DeviceNumArc_; }
    int CurrentArchive() const { return CurrentArchive_; }
    const std::vector<int>& ExpectedCounts() const { return ExpectedCounts_; }
    const std::vector<int>& ReceivedCounts() const { return ReceivedCounts_; }
    int ExpectedTotal() const { return ExpectedTotal_; }
    int ReceivedTotal() const { return ReceivedTotal_; }
    // Records of the current or last read that the database refused.
    int NotStoredTotal() const { return NotStoredTotal_; }
    int ReceivedLength() const { return buffer_.length(); }

private:
    enum class IdentifyOutcome { Identified, UnknownFirmware, NotIdentified, TransmissionError };

    void receiveForFrame(const QByteArray& chunk);
    void onIdentificationFrame();
    void onRecordFrame();
    // Both throw StoreError when the database server is lost.
    IdentifyOutcome identify(int payloadLength);
    bool lookUpDevice();
    void showKindTabs();
    void recordStep(int payloadLength);
    int nextArchiveWithRecords(int from) const;
    // Ends a read whose link is sound: the instrument is kept alive for the next command.
    void finishRead(ReadResult result);
    void requestIdentification();
    void probeNextPort();
    void probeAutomatic();
    void probeFixed();
    // Opens COM(index + 1) and sends the probe; the port stays closed when it does not open.
    PortOpening probePort(int index);
    // The fixed port of the settings as an index, -1 when their text names none.
    int selectedPortIndex() const;
    int portToProbeOnArrival(const link::PresentPorts& before) const;
    // A read the reset cuts short ends with the given result.
    void resetLink(ReadResult readEndsWith = ReadResult::NoInstrument);
    void send(char letter);
    void reportState();
    void reportProgress();
    // Progress, then the outcome of a read that ends.
    void endRead(ReadResult result);
    // The outcome of an identification that leaves nothing to read.
    void reportUnreadable(ReadResult result);
    void setPanel(int panel, const QString& text);
    void setReadArchiveEnabled(bool enabled);
    void LockCommCommands();
    void UnlockCommCommands();

    SerialLink& port_;
    TickTimer& timer_;
    const store::Database& database_;
    ExchangeView& view_;
    const PortSettings& settings_;

    ReceiveBuffer buffer_;
    char CommandLetter_ = LetterProbe;
    bool LinkUp_ = false;
    bool Identified_ = false;
    bool DataSeen_ = false;
    bool EchoSeen_ = false;
    bool EndMarkSeen_ = false;
    bool ScanEnabled_ = false;
    bool readArchiveEnabled_ = false;
    link::PresentPorts PresentPorts_{};
    int PortIndex_ = 0;
    int refusedPort_ = -1;  // the fixed port whose refusal to open has been told

    int DeviceType_ = 0;
    int DeviceSubType_ = 0;
    QDate FirmwareDate_;
    int DeviceListId_ = 0;
    QString DeviceName_;
    int DeviceNumArc_ = 0;
    QDate DeviceVersion_;
    std::vector<int> ExpectedCounts_;
    std::vector<int> ReceivedCounts_;
    int CurrentArchive_ = 0;
    int ExpectedTotal_ = 0;
    int ReceivedTotal_ = 0;
    int NotStoredTotal_ = 0;
    QString DatabaseFailure_;  // why the current or last read lost its database server
    State reportedState_ = State::Probing;
};

}  // namespace vlr::link
