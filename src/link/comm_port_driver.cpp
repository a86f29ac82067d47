#include "link/comm_port_driver.h"

#include <QElapsedTimer>
#include <QFile>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace vlr::link {
namespace {

constexpr int kMinBufSize = 128;
constexpr int kMaxBufSize = 8192;
constexpr int kMinPollingDelay = 5;

// Line speed of each TBaudRate after brCustom, in declaration order.
constexpr std::array<int, 15> kBaudRates{110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                         19200, 38400, 56000, 57600, 115200, 128000, 256000};

// Whether the device behind an open descriptor has hung up or failed.
bool deviceGone(qintptr descriptor) {
    pollfd watched{static_cast<int>(descriptor), POLLIN, 0};
    if (::poll(&watched, 1, 0) < 0)
        return true;
    return (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Qt reports a device held by another program (its lock file, or an exclusive open) and one
// the user may not open alike; whether the user could open it tells them apart.
PortOpening openFailure(QSerialPort::SerialPortError error, const QString& path) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return PortOpening::Absent;
        case QSerialPort::PermissionError:
            return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0
                       ? PortOpening::Busy
                       : PortOpening::NoAccess;
        default:
            return PortOpening::Failed;
    }
}

QSerialPort::DataBits toQt(TDataBits bits) {
    static constexpr std::array<QSerialPort::DataBits, 4> table{
        QSerialPort::Data5, QSerialPort::Data6, QSerialPort::Data7, QSerialPort::Data8};
    return table[static_cast<int>(bits)];
}

QSerialPort::StopBits toQt(TStopBits bits) {
    static constexpr std::array<QSerialPort::StopBits, 3> table{
        QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
    return table[static_cast<int>(bits)];
}

QSerialPort::Parity toQt(TParity parity) {
    static constexpr std::array<QSerialPort::Parity, 5> table{
        QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
        QSerialPort::MarkParity, QSerialPort::SpaceParity};
    return table[static_cast<int>(parity)];
}

}  // namespace

TCommPortDriver::TCommPortDriver(QObject* parent) : TCommPortDriver(comPortTable(), parent) {}

TCommPortDriver::TCommPortDriver(ComPortTable ports, QObject* parent)
    : QObject(parent), ports_(std::move(ports)) {
    setPort(TPortNumber::pnCOM2);
    poll_.setInterval(pollingDelay_);
    connect(&poll_, &QTimer::timeout, this, &TCommPortDriver::deliverAvailable);
    connect(&serial_, &QSerialPort::readyRead, this, &TCommPortDriver::deliverAvailable);
    connect(&serial_, &QSerialPort::errorOccurred, this, &TCommPortDriver::onSerialError);
}

TCommPortDriver::~TCommPortDriver() {
    ClosePort();
}

void TCommPortDriver::setPort(TPortNumber port) {
    if (IsOpen())
        return;
    port_ = port;
    if (port == TPortNumber::pnCustom)
        return;
    portName_ = ports_[static_cast<int>(port) - 1];
}

void TCommPortDriver::setPortName(const QString& name) {
    if (IsOpen())
        return;
    portName_ = name;
    port_ = TPortNumber::pnCustom;
}

void TCommPortDriver::setPortNumber(int number) {
    if (number >= 1 && number <= kComPortCount)
        setPort(static_cast<TPortNumber>(number));
}

void TCommPortDriver::setBaudRate(TBaudRate rate) {
    baudRate_ = rate;
    if (rate != TBaudRate::brCustom)
        baudRateValue_ = kBaudRates[static_cast<int>(rate) - 1];
    reapplyIfOpen();
}

void TCommPortDriver::setBaudRateValue(int value) {
    baudRateValue_ = value;
    baudRate_ = TBaudRate::brCustom;
    reapplyIfOpen();
}

void TCommPortDriver::setDataBits(TDataBits bits) {
    dataBits_ = bits;
    reapplyIfOpen();
}

void TCommPortDriver::setStopBits(TStopBits bits) {
    stopBits_ = bits;
    reapplyIfOpen();
}

void TCommPortDriver::setParity(TParity parity) {
    parity_ = parity;
    reapplyIfOpen();
}

void TCommPortDriver::setHwFlow(THwFlowControl flow) {
    hwFlow_ = flow;
    reapplyIfOpen();
}

void TCommPortDriver::setSwFlow(TSwFlowControl flow) {
    swFlow_ = flow;
    reapplyIfOpen();
}

void TCommPortDriver::setInBufSize(int size) {
    if (!IsOpen())
        inBufSize_ = std::clamp(size, kMinBufSize, kMaxBufSize);
}

void TCommPortDriver::setOutBufSize(int size) {
    if (!IsOpen())
        outBufSize_ = std::clamp(size, kMinBufSize, kMaxBufSize);
}

void TCommPortDriver::setPollingDelay(int ms) {
    pollingDelay_ = std::max(ms, kMinPollingDelay);
    poll_.setInterval(pollingDelay_);  // restarts a running timer with the new period
}

void TCommPortDriver::reapplyIfOpen() {
    if (IsOpen())
        ApplyLineSettings();
}

bool TCommPortDriver::OpenPort() {
    return open() == PortOpening::Opened;
}

PortOpening TCommPortDriver::openPort() {
    return open();
}

PortOpening TCommPortDriver::open() {
    if (IsOpen())
        return PortOpening::Opened;
    if (portName_.isEmpty())
        return PortOpening::Absent;
    serial_.setPortName(portName_);
    configuring_ = true;
    const bool opened = serial_.open(QIODevice::ReadWrite);
    configuring_ = false;
    if (!opened) {
        const QSerialPort::SerialPortError error = serial_.error();
        serial_.clearError();
        return openFailure(error, portName_);
    }
    if (!ApplyLineSettings()) {
        ClosePort();
        return PortOpening::Failed;
    }
    ++openCount_;
    poll_.start();
    return PortOpening::Opened;
}

void TCommPortDriver::ClosePort() {
    if (!IsOpen())
        return;
    poll_.stop();
    serial_.close();
    serial_.clearError();
}

bool TCommPortDriver::ApplyLineSettings() {
    if (!IsOpen())
        return false;
    configuring_ = true;
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (hwFlow_ == THwFlowControl::hfRTSCTS)
        flow = QSerialPort::HardwareControl;
    else if (swFlow_ == TSwFlowControl::sfXONXOFF)
        flow = QSerialPort::SoftwareControl;
    bool ok = serial_.setBaudRate(baudRateValue_) && serial_.setDataBits(toQt(dataBits_)) &&
              serial_.setParity(toQt(parity_)) && serial_.setStopBits(toQt(stopBits_)) &&
              serial_.setFlowControl(flow);
    if (ok) {
        // Modem-control lines do not exist on every device (pseudo-terminals refuse them); an
        // instrument that does not need them must still be reachable, so their failure is ignored.
        serial_.setDataTerminalReady(enableDtrOnOpen_);
        if (hwFlow_ == THwFlowControl::hfNONERTSON)
            serial_.setRequestToSend(true);
        ok = serial_.clear(QSerialPort::AllDirections);
    }
    serial_.clearError();
    configuring_ = false;
    return ok;
}

bool TCommPortDriver::PurgeQueues(bool input, bool output) {
    if (!IsOpen())
        return false;
    if (input && output)
        return serial_.clear(QSerialPort::AllDirections);
    if (input)
        return serial_.clear(QSerialPort::Input);
    if (output)
        return serial_.clear(QSerialPort::Output);
    return true;
}

int TCommPortDriver::OutputRoom() const {
    return outBufSize_ - static_cast<int>(serial_.bytesToWrite());
}

int TCommPortDriver::LineSignals() const {
    if (!IsOpen())
        return 0;
    const QSerialPort::PinoutSignals pins = serial_.pinoutSignals();
    int lines = 0;
    if (pins & QSerialPort::ClearToSendSignal)
        lines |= 1;
    if (pins & QSerialPort::DataSetReadySignal)
        lines |= 2;
    if (pins & QSerialPort::RingIndicatorSignal)
        lines |= 4;
    if (pins & QSerialPort::DataCarrierDetectSignal)
        lines |= 8;
    return lines;
}

int TCommPortDriver::WriteBytes(const char* data, int count, int timeoutMs) {
    if (!IsOpen())
        return 0;
    // Waiting for the write also lets Qt read the port; bytes read meanwhile are handed over
    // once the caller's step is over, never in the middle of it.
    writing_ = true;
    const int sent = writePieces(data, count, timeoutMs);
    writing_ = false;
    return sent;
}

int TCommPortDriver::writePieces(const char* data, int count, int timeoutMs) {
    int sent = 0;
    while (sent < count) {
        QElapsedTimer sinceLastProgress;
        sinceLastProgress.start();
        int room = 0;
        while ((room = OutputRoom()) <= 0 || (checkLineStatus_ && LineSignals() == 0)) {
            if (sinceLastProgress.elapsed() > timeoutMs || !serial_.waitForBytesWritten(1))
                return sent;
        }
        const qint64 accepted = serial_.write(data + sent, std::min(room, count - sent));
        if (accepted <= 0)
            return sent;
        // Push the piece out now; the caller learns whether it left within the time-out.
        while (serial_.bytesToWrite() > 0) {
            const qint64 before = serial_.bytesToWrite();
            const int left = timeoutMs - static_cast<int>(sinceLastProgress.elapsed());
            if (left <= 0 || !serial_.waitForBytesWritten(left)) {
                const int stuck = static_cast<int>(serial_.bytesToWrite());
                serial_.clear(QSerialPort::Output);
                serial_.clearError();
                return sent + static_cast<int>(accepted) - stuck;
            }
            if (serial_.bytesToWrite() < before)
                sinceLastProgress.restart();
        }
        sent += static_cast<int>(accepted);
    }
    return sent;
}

bool TCommPortDriver::WriteOneByte(char byte) {
    return WriteBytes(&byte, 1, outputTimeout_) == 1;
}

void TCommPortDriver::deliverAvailable() {
    if (delivering_)
        return;  // the running delivery loop picks these bytes up
    if (writing_) {
        QMetaObject::invokeMethod(this, &TCommPortDriver::deliverAvailable, Qt::QueuedConnection);
        return;
    }
    delivering_ = true;
    while (IsOpen() && serial_.bytesAvailable() > 0) {
        const QByteArray chunk = serial_.read(inBufSize_);
        if (chunk.isEmpty())
            break;
        if (onReceiveData)
            onReceiveData(chunk);
    }
    delivering_ = false;
}

void TCommPortDriver::onSerialError(QSerialPort::SerialPortError error) {
    const bool portFailed = error == QSerialPort::ResourceError ||
                            error == QSerialPort::ReadError || error == QSerialPort::WriteError;
    if (!portFailed || configuring_)
        return;
    // The event loop may hear of bytes that a write's wait has already read; the read then
    // finds nothing and Qt reports a read error although the device is still there.
    if (error == QSerialPort::ReadError && !deviceGone(serial_.handle())) {
        serial_.clearError();
        return;
    }
    // The device went away (an adapter pulled out: a hang-up reads as end of file or as an I/O
    // error) or can no longer be read. Qt is still inside its read or write when it reports
    // this, so the close runs afterwards.
    const int lostOpen = openCount_;
    QMetaObject::invokeMethod(
        this,
        [this, lostOpen] {
            if (openCount_ != lostOpen || !IsOpen())
                return;
            ClosePort();
            if (onPortError)
                onPortError();
        },
        Qt::QueuedConnection);
}

}  // namespace vlr::link
