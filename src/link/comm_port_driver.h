#pragma once

#include "link/com_port_names.h"
#include "link/serial_link.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

namespace vlr::link {

enum class TPortNumber {
    pnCustom,
    pnCOM1,
    pnCOM2,
    pnCOM3,
    pnCOM4,
    pnCOM5,
    pnCOM6,
    pnCOM7,
    pnCOM8,
    pnCOM9,
    pnCOM10,
    pnCOM11,
    pnCOM12,
    pnCOM13,
    pnCOM14,
    pnCOM15,
    pnCOM16
};
enum class TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TDataBits { db5BITS, db6BITS, db7BITS, db8BITS };
enum class TStopBits { sb1BITS, sb1HALFBITS, sb2BITS };
enum class TParity { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum class THwFlowControl { hfNONE, hfNONERTSON, hfRTSCTS };
enum class TSwFlowControl { sfNONE, sfXONXOFF };

// The serial port the program talks to the instrument through. Received bytes are handed to
// onReceiveData as soon as the port reports them (plus a backstop poll every PollingDelay ms),
// in chunks of at most InBufSize bytes, one at a time, on the thread that owns the driver.
// No operation throws: failures are return values.
class TCommPortDriver : public QObject, public SerialLink {
    Q_OBJECT
public:
    // ports maps COM1..COM16 to devices; by default the system's table (com_port_names.h).
    explicit TCommPortDriver(QObject* parent = nullptr);
    TCommPortDriver(ComPortTable ports, QObject* parent = nullptr);
    ~TCommPortDriver() override;

    // Port selection; both are ignored while the port is open. A COM number sets PortName to
    // the device of that number (empty when it has none, so opening fails).
    TPortNumber Port() const { return port_; }
    void setPort(TPortNumber port);
    QString PortName() const { return portName_; }
    void setPortName(const QString& name);

    // Line settings; while open they are applied again at once.
    TBaudRate BaudRate() const { return baudRate_; }
    void setBaudRate(TBaudRate rate);
    int BaudRateValue() const { return baudRateValue_; }
    void setBaudRateValue(int value);
    TDataBits DataBits() const { return dataBits_; }
    void setDataBits(TDataBits bits);
    TStopBits StopBits() const { return stopBits_; }
    void setStopBits(TStopBits bits);
    TParity Parity() const { return parity_; }
    void setParity(TParity parity);
    THwFlowControl HwFlow() const { return hwFlow_; }
    void setHwFlow(THwFlowControl flow);
    TSwFlowControl SwFlow() const { return swFlow_; }
    void setSwFlow(TSwFlowControl flow);

    // Queue sizes, clamped to 128..8192; ignored while open.
    int InBufSize() const { return inBufSize_; }
    void setInBufSize(int size);
    int OutBufSize() const { return outBufSize_; }
    void setOutBufSize(int size);
    // Backstop poll period in ms, at least 5.
    int PollingDelay() const { return pollingDelay_; }
    void setPollingDelay(int ms);
    bool EnableDTROnOpen() const { return enableDtrOnOpen_; }
    void setEnableDTROnOpen(bool enable) { enableDtrOnOpen_ = enable; }
    int OutputTimeout() const { return outputTimeout_; }
    void setOutputTimeout(int ms) { outputTimeout_ = ms; }
    bool CheckLineStatus() const { return checkLineStatus_; }
    void setCheckLineStatus(bool check) { checkLineStatus_ = check; }

    bool OpenPort();
    void ClosePort();
    bool IsOpen() const { return serial_.isOpen(); }
    bool ApplyLineSettings();
    bool PurgeQueues(bool input, bool output);
    int OutputRoom() const;
    // Modem input lines: CTS = 1, DSR = 2, ring = 4, carrier detect = 8; 0 when closed.
    int LineSignals() const;
    // Number of bytes sent; stops when timeoutMs pass without a byte going out.
    int WriteBytes(const char* data, int count, int timeoutMs);
    bool WriteOneByte(char byte);

    // SerialLink
    void setPortTable(const ComPortTable& ports) override { ports_ = ports; }
    void setPortNumber(int number) override;
    PortOpening openPort() override;
    void closePort() override { ClosePort(); }
    bool isOpen() const override { return IsOpen(); }
    bool writeOneByte(char byte) override { return WriteOneByte(byte); }
    int baudRateValue() const override { return BaudRateValue(); }

private:
    PortOpening open();
    void reapplyIfOpen();
    int writePieces(const char* data, int count, int timeoutMs);
    void deliverAvailable();
    void onSerialError(QSerialPort::SerialPortError error);

    ComPortTable ports_;
    mutable QSerialPort serial_;  // reading the modem lines is not const in Qt
    QTimer poll_;
    bool delivering_ = false;
    bool writing_ = false;
    bool configuring_ = false;  // errors of the set-up steps are answered by their results
    int openCount_ = 0;         // tells a lost port apart from one opened again since

    TPortNumber port_ = TPortNumber::pnCOM2;
    QString portName_;
    TBaudRate baudRate_ = TBaudRate::br9600;
    int baudRateValue_ = 9600;
    TDataBits dataBits_ = TDataBits::db8BITS;
    TStopBits stopBits_ = TStopBits::sb1BITS;
    TParity parity_ = TParity::ptNONE;
    THwFlowControl hwFlow_ = THwFlowControl::hfNONERTSON;
    TSwFlowControl swFlow_ = TSwFlowControl::sfNONE;
    int inBufSize_ = 2048;
    int outBufSize_ = 2048;
    int pollingDelay_ = 50;
    bool enableDtrOnOpen_ = true;
    int outputTimeout_ = 500;
    bool checkLineStatus_ = false;
};

}  // namespace vlr::link
