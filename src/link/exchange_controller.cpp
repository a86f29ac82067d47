#include "link/exchange_controller.h"

#include "link/exchange_texts.h"
#include "link/frame_codec.h"
#include "link/record_decoder.h"
#include "link/serial_link.h"
#include "link/tick_timer.h"
#include "store/database.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>
#include <cstring>

namespace vlr::link {
namespace {

constexpr int PanelProgress = 0;
constexpr int PanelPort = 1;
constexpr int PanelDevice = 2;

constexpr int MinimumIdentificationBytes = 11;

// Why a port that is there did not open.
QString refusalText(PortOpening opening, int portNumber) {
    switch (opening) {
        case PortOpening::Busy:
            return texts::portBusy(portNumber);
        case PortOpening::NoAccess:
            return texts::portNoAccess(portNumber);
        default:
            return texts::portNotOpening(portNumber);
    }
}

bool chunkHolds(const QByteArray& chunk, char letter) {
    return std::memchr(chunk.constData(), letter, static_cast<size_t>(chunk.size())) != nullptr;
}

}  // namespace

ExchangeController::ExchangeController(SerialLink& port, TickTimer& comOutTimer,
                                       const store::Database& database, ExchangeView& view,
                                       const PortSettings& settings)
    : port_(port), timer_(comOutTimer), database_(database), view_(view), settings_(settings) {
    port_.onReceiveData = [this](const QByteArray& chunk) { CommPortDriver1ReceiveData(chunk); };
    port_.onPortError = [this] { onPortError(); };
    timer_.onTick = [this] { Timer_ComOutTimer(); };
    resetLink();
    timer_.start();
}

ExchangeController::~ExchangeController() {
    port_.onReceiveData = nullptr;
    port_.onPortError = nullptr;
    timer_.onTick = nullptr;
    timer_.stop();
}

void ExchangeController::setPresentPorts(const link::PresentPorts& present) {
    const link::PresentPorts before = PresentPorts_;
    const bool firstList = !ScanEnabled_;
    PresentPorts_ = present;
    ScanEnabled_ = true;
    // An instrument that answered on the port being probed is identified at the next tick.
    if (firstList || LinkUp_ || (port_.isOpen() && EchoSeen_))
        return;
    // A port that has just appeared (an adapter plugged in) is probed at once, not at its turn.
    const int appeared = portToProbeOnArrival(before);
    if (appeared < 0)
        return;
    timer_.stop();
    port_.closePort();
    if (probePort(appeared) == PortOpening::Opened)
        refusedPort_ = -1;
    timer_.start();
}

int ExchangeController::portToProbeOnArrival(const link::PresentPorts& before) const {
    if (!settings_.AutoDetectCom) {
        const int fixed = selectedPortIndex();
        return fixed >= 0 && PresentPorts_[static_cast<size_t>(fixed)] &&
                       !before[static_cast<size_t>(fixed)]
                   ? fixed
                   : -1;
    }
    for (size_t i = 0; i < PresentPorts_.size(); ++i) {
        if (PresentPorts_[i] && !before[i])
            return static_cast<int>(i);
    }
    return -1;
}

ExchangeController::State ExchangeController::state() const {
    if (!LinkUp_)
        return State::Probing;
    switch (CommandLetter_) {
        case LetterIdentify:
            return State::Identifying;
        case LetterFirstRecord:
            return State::Reading;
        default:
            return State::Connected;
    }
}

void ExchangeController::CommPortDriver1ReceiveData(const QByteArray& chunk) {
    timer_.stop();
    DataSeen_ = true;
    // Only this chunk is scanned: partial frames cost no more than their new bytes.
    if (chunkHolds(chunk, EndMark))
        EndMarkSeen_ = true;
    if (chunkHolds(chunk, LetterProbe))
        EchoSeen_ = true;

    if (CommandLetter_ == LetterProbe) {
        // Probing or keep-alive: only the echo matters; the bytes are dropped unstored.
        buffer_.clear();
    } else {
        receiveForFrame(chunk);
    }
    timer_.start();
}

void ExchangeController::receiveForFrame(const QByteArray& chunk) {
    if (!buffer_.append(chunk.constData(), chunk.size())) {
        // No frame is this long. Keep what leads up to an end mark inside the chunk; without
        // one the buffer is dropped and the link reset rather than written past its end.
        const int room = ReceiveBuffer::Capacity - buffer_.length();
        const int endMark = chunk.indexOf(EndMark);
        if (endMark < 0 || endMark >= room) {
            resetLink(ReadResult::TransmissionError);
            return;
        }
        buffer_.append(chunk.constData(), endMark + 1);
    }
    if (!EndMarkSeen_)
        return;
    if (CommandLetter_ == LetterIdentify)
        onIdentificationFrame();
    else if (CommandLetter_ == LetterFirstRecord)
        onRecordFrame();
}

void ExchangeController::onIdentificationFrame() {
    const int length = DecodeLongFrame(buffer_.data(), buffer_.highestIndex());
    IdentifyOutcome outcome = IdentifyOutcome::TransmissionError;
    try {
        if (length >= MinimumIdentificationBytes)
            outcome = identify(length);
    } catch (const store::StoreError& error) {
        // Without the server no instrument can be looked up, which makes it no unknown one: the
        // status bar says why, and the search goes on and identifies it once the server is back.
        resetLink();
        setPanel(PanelProgress, error.message());
        return;
    }
    switch (outcome) {
        case IdentifyOutcome::TransmissionError:
            setPanel(PanelProgress, texts::identificationTransmissionError());
            resetLink();
            break;
        case IdentifyOutcome::NotIdentified:
            resetLink();
            view_.showMessage(texts::instrumentNotIdentified(), texts::errorCaption(),
                              MessageIcon::Error);
            reportUnreadable(ReadResult::UnknownInstrument);
            break;
        case IdentifyOutcome::Identified:
        case IdentifyOutcome::UnknownFirmware:
            // A box shown during the identification lets other events run; a reset meanwhile
            // wins.
            if (!LinkUp_)
                return;
            buffer_.clear();
            EndMarkSeen_ = false;
            setPanel(PanelDevice, DeviceName_);
            if (ExpectedTotal_ != 0)
                setReadArchiveEnabled(true);
            CommandLetter_ = LetterProbe;
            send(LetterProbe);
            reportState();
            if (outcome == IdentifyOutcome::UnknownFirmware)
                reportUnreadable(ReadResult::UnknownFirmware);
            break;
    }
}

ExchangeController::IdentifyOutcome ExchangeController::identify(int payloadLength) {
    const std::uint8_t* payload = buffer_.data();
    Identified_ = false;
    DeviceType_ = payload[0];
    DeviceSubType_ = payload[1];
    FirmwareDate_ = ReadVersionDate(payload, 2);
    if (!lookUpDevice())
        return IdentifyOutcome::NotIdentified;
    Identified_ = true;

    if (FirmwareDate_ > DeviceVersion_) {
        setPanel(PanelProgress, texts::unknownFirmware());
        ExpectedTotal_ = 0;
        return IdentifyOutcome::UnknownFirmware;
    }
    // The counts of archives the instrument did not send are unknown, not zero.
    if (payloadLength < 7 + 4 * DeviceNumArc_)
        return IdentifyOutcome::TransmissionError;

    ExpectedCounts_.assign(static_cast<size_t>(DeviceNumArc_), 0);
    ReceivedCounts_.assign(static_cast<size_t>(DeviceNumArc_), 0);
    ExpectedTotal_ = 0;
    for (int i = 0; i < DeviceNumArc_; ++i) {
        ExpectedCounts_[static_cast<size_t>(i)] = ReadWord(payload, 7 + 4 * i);
        ExpectedTotal_ += ExpectedCounts_[static_cast<size_t>(i)];
    }
    CurrentArchive_ = 0;
    ReceivedTotal_ = 0;
    setPanel(PanelProgress, QString());

    showKindTabs();
    if (!Identified_)
        return IdentifyOutcome::NotIdentified;
    if (ExpectedTotal_ == 0) {
        view_.showMessage(texts::archiveEmpty(), texts::informationCaption(),
                          MessageIcon::Information);
        reportUnreadable(ReadResult::EmptyArchive);
    }
    return IdentifyOutcome::Identified;
}

bool ExchangeController::lookUpDevice() {
    try {
        store::Query search(database_, store::ADOQuery_SearchDev());
        search.set(QStringLiteral("PDevType"), DeviceType_)
            .set(QStringLiteral("PDevSubType"), DeviceSubType_);
        QSqlQuery& rows = search.open();
        if (!rows.next())
            return false;
        DeviceListId_ = rows.value(QStringLiteral("DeviceListId")).toInt();
        DeviceName_ = rows.value(QStringLiteral("DeviceName")).toString();
        DeviceNumArc_ = std::max(0, rows.value(QStringLiteral("DeviceNumArc")).toInt());
        DeviceVersion_ =
            store::fromStoredDateTime(rows.value(QStringLiteral("DeviceVersion"))).date();
        rows.finish();
        return true;
    } catch (const store::StoreError& error) {
        // A search that cannot run identifies nothing, as when no row matches; a lost server is
        // told as such.
        if (error.connectionLost())
            throw;
        return false;
    }
}

void ExchangeController::showKindTabs() {
    switch (DeviceListId_) {
        case 1:
            view_.showTab(CommTab::Osk, DeviceName_);
            break;
        case 2:
        case 3:
        case 4:
            view_.showTab(CommTab::Vtr, DeviceName_);
            break;
        case 5:
            view_.showTab(CommTab::Vtr, DeviceName_);
            view_.showTab(CommTab::Asphalt, texts::asphaltTabCaption());
            break;
        default:
            Identified_ = false;
            break;
    }
}

bool ExchangeController::A_ReadArcExecute() {
    if (!Identified_ || !readArchiveEnabled_ || state() != State::Connected)
        return false;
    LockCommCommands();
    try {
        store::Query(database_, store::ADOQuery_CommDelete())
            .set(QStringLiteral("PDeviceListId"), DeviceListId_)
            .exec();
    } catch (const store::StoreError&) {
        // The old rows of the kind then stay beside the new ones; nothing to tell the user.
    }
    view_.RefreshCommView();

    timer_.stop();
    CommandLetter_ = LetterFirstRecord;
    DataSeen_ = true;
    EchoSeen_ = true;
    EndMarkSeen_ = false;
    buffer_.clear();
    ReceivedTotal_ = 0;
    NotStoredTotal_ = 0;
    DatabaseFailure_.clear();
    std::fill(ReceivedCounts_.begin(), ReceivedCounts_.end(), 0);
    // Empty archives answer no request: start at the first one that holds records.
    CurrentArchive_ = nextArchiveWithRecords(0);
    view_.startRefreshTimer();
    send(LetterFirstRecord);
    timer_.start();
    reportState();
    reportProgress();
    return true;
}

void ExchangeController::onRecordFrame() {
    const int length = DecodeShortFrame(buffer_.data(), buffer_.highestIndex());
    if (length == 0) {
        view_.showMessage(texts::recordTransmissionError(), texts::errorCaption(),
                          MessageIcon::Error);
        resetLink(ReadResult::TransmissionError);
        return;
    }
    recordStep(length);
}

void ExchangeController::recordStep(int payloadLength) {
    const auto archive = static_cast<size_t>(CurrentArchive_);
    const RecordContext record{buffer_.data(), payloadLength,   DeviceListId_,
                               DeviceSubType_, CurrentArchive_, ReceivedCounts_[archive] + 1};
    try {
        if (decodeRecord(record, database_) == RecordOutcome::TooShort) {
            // The rest of the record was never sent: nothing of it is stored.
            view_.showMessage(texts::recordTransmissionError(), texts::errorCaption(),
                              MessageIcon::Error);
            resetLink(ReadResult::TransmissionError);
            return;
        }
    } catch (const store::StoreError& error) {
        ++NotStoredTotal_;
        if (error.connectionLost())
            DatabaseFailure_ = error.message();
        // A full disk refuses every record alike: the first tells the user why, the others are
        // only counted, and the end of the read tells how many.
        else if (NotStoredTotal_ == 1)
            view_.showMessage(error.message(), texts::errorCaption(), MessageIcon::Error);
    }
    // A box shown above lets other events run; a reset meanwhile ends this read.
    if (state() != State::Reading)
        return;

    ++ReceivedCounts_[archive];
    ++ReceivedTotal_;
    setPanel(PanelProgress, texts::receiving(ReceivedTotal_, ExpectedTotal_));
    EndMarkSeen_ = false;
    DataSeen_ = true;
    buffer_.clear();
    if (!DatabaseFailure_.isEmpty()) {
        // Without the server no later record could be stored either: the read ends here with
        // the rows stored before. The link itself is sound, so the instrument is kept as after
        // a whole read, ready for a read once the server is back.
        finishRead(ReadResult::DatabaseLost);
        view_.showMessage(texts::databaseLost(DatabaseFailure_, ReceivedTotal_, ExpectedTotal_),
                          texts::errorCaption(), MessageIcon::Error);
        return;
    }
    bool complete = false;
    if (ReceivedCounts_[archive] >= ExpectedCounts_[archive]) {
        const int next = nextArchiveWithRecords(CurrentArchive_ + 1);
        complete = next >= DeviceNumArc_;
        if (!complete)
            CurrentArchive_ = next;
    }
    if (complete) {
        finishRead(ReadResult::Complete);
    } else {
        send(LetterNextRecord);
        reportProgress();
    }
}

int ExchangeController::nextArchiveWithRecords(int from) const {
    int archive = from;
    while (archive < DeviceNumArc_ && ExpectedCounts_[static_cast<size_t>(archive)] == 0)
        ++archive;
    return archive;
}

void ExchangeController::finishRead(ReadResult result) {
    // Records the database refused are told where the progress stood, so a read that lost
    // rows never looks like a complete one.
    setPanel(PanelProgress, NotStoredTotal_ == 0
                                ? QString()
                                : texts::recordsNotStored(NotStoredTotal_, ReceivedTotal_));
    CommandLetter_ = LetterProbe;
    view_.stopRefreshTimer();
    // Without the server the rows cannot be read back: the view keeps those of its last reload.
    if (result != ReadResult::DatabaseLost)
        view_.RefreshCommView();
    send(LetterProbe);
    UnlockCommCommands();
    reportState();
    endRead(result);
}

void ExchangeController::Timer_ComOutTimer() {
    const bool anyPort =
        std::find(PresentPorts_.begin(), PresentPorts_.end(), true) != PresentPorts_.end();
    if (!ScanEnabled_ || !anyPort)
        return;
    if (LinkUp_) {
        if (CommandLetter_ == LetterProbe) {
            if (EchoSeen_) {
                EchoSeen_ = false;
                send(LetterProbe);
            } else {
                resetLink();
            }
        } else if (DataSeen_) {
            DataSeen_ = false;
        } else {
            resetLink();
        }
        return;
    }
    if (port_.isOpen() && EchoSeen_) {
        requestIdentification();
        return;
    }
    probeNextPort();
}

void ExchangeController::requestIdentification() {
    LinkUp_ = true;
    buffer_.clear();
    // A stray end mark seen while probing must not make the first piece of the answer look
    // like a whole frame.
    EndMarkSeen_ = false;
    CommandLetter_ = LetterIdentify;
    send(LetterIdentify);
    setPanel(PanelPort, texts::portState(PortIndex_ + 1, port_.baudRateValue()));
    setPanel(PanelProgress, texts::identificationRequested());
    reportState();
}

void ExchangeController::probeNextPort() {
    port_.closePort();
    if (settings_.AutoDetectCom)
        probeAutomatic();
    else
        probeFixed();
}

void ExchangeController::probeAutomatic() {
    refusedPort_ = -1;
    // The present ports in turn from the one after the last; one that does not open (another
    // program holds it, say) is passed over in the same tick without a word. With no other
    // present port the turn comes back to the same one.
    const int last = PortIndex_;
    int first = -1;
    for (int step = 1; step <= kComPortCount; ++step) {
        const int index = (last + step) % kComPortCount;
        if (!PresentPorts_[static_cast<size_t>(index)])
            continue;
        if (first < 0)
            first = index;
        if (probePort(index) == PortOpening::Opened)
            return;
    }
    if (first < 0)
        return;
    PortIndex_ = first;
    setPanel(PanelProgress, texts::probingPort(PortIndex_ + 1));
}

void ExchangeController::probeFixed() {
    const int selected = selectedPortIndex();
    // A text naming no port 1..16 leaves the port as it was.
    const int index = selected >= 0 ? selected : PortIndex_;
    const PortOpening opening = probePort(index);
    if (opening == PortOpening::Opened || opening == PortOpening::Absent) {
        // An absent port is tried again at every tick until it appears.
        refusedPort_ = -1;
        setPanel(PanelProgress, texts::probingPort(index + 1));
        return;
    }
    // A port that is there but does not open is told once, not at every tick.
    if (refusedPort_ == index)
        return;
    refusedPort_ = index;
    setPanel(PanelProgress, refusalText(opening, index + 1));
}

PortOpening ExchangeController::probePort(int index) {
    PortIndex_ = index;
    port_.setPortNumber(index + 1);
    const PortOpening opening = port_.openPort();
    if (opening != PortOpening::Opened)
        return opening;
    setPanel(PanelProgress, texts::probingPort(index + 1));
    buffer_.clear();
    EchoSeen_ = false;
    CommandLetter_ = LetterProbe;
    send(LetterProbe);
    return opening;
}

int ExchangeController::selectedPortIndex() const {
    // "COM 3" names COM3.
    static const QRegularExpression number(QStringLiteral("(\\d+)"));
    const QRegularExpressionMatch match = number.match(settings_.SelectedCom);
    if (!match.hasMatch())
        return -1;
    bool ok = false;
    const int port = match.captured(1).toInt(&ok);
    return ok && port >= 1 && port <= kComPortCount ? port - 1 : -1;
}

void ExchangeController::onPortError() {
    timer_.stop();
    const bool reading = state() == State::Reading;
    resetLink(ReadResult::PortLost);
    timer_.start();
    // Told after the reset: the search goes on while the box is open, so an adapter plugged
    // back in meanwhile is found.
    if (reading)
        view_.showMessage(texts::portLost(PortIndex_ + 1, ReceivedTotal_, ExpectedTotal_),
                          texts::errorCaption(), MessageIcon::Error);
}

void ExchangeController::resetLink(ReadResult readEndsWith) {
    const bool reading = state() == State::Reading;
    setReadArchiveEnabled(false);
    view_.stopRefreshTimer();
    Identified_ = false;
    LinkUp_ = false;
    EndMarkSeen_ = false;
    buffer_.clear();
    CommandLetter_ = LetterProbe;
    port_.closePort();
    view_.setCommOptionsEnabled(true);
    setPanel(PanelPort, texts::disconnected());
    setPanel(PanelDevice, QString());
    setPanel(PanelProgress, QString());
    reportState();
    if (reading) {
        // The rows stored before the read was cut short are shown, the last ones included.
        view_.RefreshCommView();
        endRead(readEndsWith);
    }
}

void ExchangeController::send(char letter) {
    // A letter that does not go out is answered by nothing: the silence timer resets the link.
    port_.writeOneByte(letter);
}

void ExchangeController::reportState() {
    if (state() == reportedState_)
        return;
    reportedState_ = state();
    view_.setExchangeState(reportedState_);
}

void ExchangeController::reportProgress() {
    view_.setReadProgress(
        {state() == State::Reading, ReceivedTotal_, ExpectedTotal_, CurrentArchive_});
}

void ExchangeController::endRead(ReadResult result) {
    reportProgress();
    view_.readEnded({result, ReceivedTotal_, ExpectedTotal_, NotStoredTotal_, DatabaseFailure_});
}

void ExchangeController::reportUnreadable(ReadResult result) {
    view_.readEnded({result, 0, ExpectedTotal_, 0, {}});
}

void ExchangeController::setPanel(int panel, const QString& text) {
    view_.setStatusText(panel, text);
}

void ExchangeController::setReadArchiveEnabled(bool enabled) {
    readArchiveEnabled_ = enabled;
    view_.setReadArchiveEnabled(enabled);
}

void ExchangeController::LockCommCommands() {
    setReadArchiveEnabled(false);
    view_.setCommOptionsEnabled(false);
}

void ExchangeController::UnlockCommCommands() {
    setReadArchiveEnabled(Identified_);
    view_.setCommOptionsEnabled(true);
}

}  // namespace vlr::link
