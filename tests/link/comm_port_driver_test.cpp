#include "link/comm_port_driver.h"

#include "link/e2e_rig.h"
#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace vlr::link {
namespace {

using test::runUntil;
using test::SimulatedInstrument;

// An instrument whose identification frame is long: 30 archives give 127 payload bytes.
sim::InstrumentSetup manyArchives() {
    sim::InstrumentSetup setup;
    setup.archives.assign(30, {});
    return setup;
}

TEST(CommPortDriverTest, DefaultsAndClamps) {
    ComPortTable ports;
    ports[1] = QStringLiteral("/dev/second");
    ports[2] = QStringLiteral("/dev/third");
    TCommPortDriver driver(ports);
    EXPECT_EQ(driver.Port(), TPortNumber::pnCOM2);
    EXPECT_EQ(driver.PortName(), QStringLiteral("/dev/second"));
    EXPECT_EQ(driver.BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(driver.BaudRateValue(), 9600);
    EXPECT_EQ(driver.DataBits(), TDataBits::db8BITS);
    EXPECT_EQ(driver.StopBits(), TStopBits::sb1BITS);
    EXPECT_EQ(driver.Parity(), TParity::ptNONE);
    EXPECT_EQ(driver.HwFlow(), THwFlowControl::hfNONERTSON);
    EXPECT_EQ(driver.SwFlow(), TSwFlowControl::sfNONE);
    EXPECT_EQ(driver.InBufSize(), 2048);
    EXPECT_EQ(driver.PollingDelay(), 50);
    EXPECT_TRUE(driver.EnableDTROnOpen());
    EXPECT_EQ(driver.OutputTimeout(), 500);

    driver.setInBufSize(100);
    driver.setOutBufSize(10000);
    driver.setPollingDelay(2);
    EXPECT_EQ(driver.InBufSize(), 128);
    EXPECT_EQ(driver.OutBufSize(), 8192);
    EXPECT_EQ(driver.PollingDelay(), 5);

    driver.setBaudRate(TBaudRate::br115200);
    EXPECT_EQ(driver.BaudRateValue(), 115200);
    driver.setBaudRateValue(12345);
    EXPECT_EQ(driver.BaudRate(), TBaudRate::brCustom);

    driver.setPort(TPortNumber::pnCOM3);
    EXPECT_EQ(driver.PortName(), QStringLiteral("/dev/third"));
    driver.setPortName(QStringLiteral("/dev/other"));
    EXPECT_EQ(driver.Port(), TPortNumber::pnCustom);
    EXPECT_EQ(driver.PortName(), QStringLiteral("/dev/other"));
}

TEST(CommPortDriverTest, PortsWithoutADeviceDoNotOpen) {
    TCommPortDriver driver(test::portsAt({{1, QStringLiteral("/dev/no-such-serial-port")}}));
    driver.setPortNumber(1);
    EXPECT_FALSE(driver.OpenPort());
    driver.setPortNumber(2);  // no device at all
    EXPECT_FALSE(driver.OpenPort());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(driver.WriteOneByte('Z'));
}

TEST(CommPortDriverTest, OpensAPseudoTerminalWithTheInstrumentLineSettings) {
    SimulatedInstrument instrument{sim::InstrumentSetup{}};
    TCommPortDriver driver(test::portsAt({{1, instrument.server.devicePath()}}));
    driver.setEnableDTROnOpen(false);
    driver.setPortNumber(1);
    // RTS and DTR cannot be set on a pseudo-terminal; that must not fail the open.
    ASSERT_TRUE(driver.OpenPort());
    EXPECT_TRUE(driver.OpenPort());  // already open

    const int fd = ::open(instrument.server.devicePath().toLocal8Bit().constData(),
                          O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios line{};
    ASSERT_EQ(::tcgetattr(fd, &line), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetospeed(&line), speed_t(B9600));
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), tcflag_t(0));
    EXPECT_EQ(line.c_lflag & ICANON, tcflag_t(0));  // raw: no line editing, no end-of-file char

    QByteArray received;
    driver.onReceiveData = [&](const QByteArray& chunk) { received += chunk; };
    EXPECT_TRUE(driver.WriteOneByte('Z'));
    ASSERT_TRUE(runUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received, QByteArray("Z"));
    EXPECT_EQ(instrument.server.received(), QByteArray("Z"));
}

TEST(CommPortDriverTest, PortChangesWhileOpenAreIgnoredAndNotRemembered) {
    SimulatedInstrument first{sim::InstrumentSetup{}};
    SimulatedInstrument third{sim::InstrumentSetup{}};
    TCommPortDriver driver(
        test::portsAt({{1, first.server.devicePath()}, {3, third.server.devicePath()}}));
    driver.setPortNumber(1);
    ASSERT_TRUE(driver.OpenPort());
    driver.setPortNumber(3);
    driver.setInBufSize(512);
    EXPECT_EQ(driver.Port(), TPortNumber::pnCOM1);
    EXPECT_EQ(driver.InBufSize(), 2048);
    ASSERT_TRUE(driver.WriteOneByte('V'));
    ASSERT_TRUE(runUntil([&] { return !first.server.received().isEmpty(); }));

    driver.ClosePort();
    ASSERT_TRUE(driver.OpenPort());  // still COM1: the ignored change is gone
    ASSERT_TRUE(driver.WriteOneByte('Z'));
    ASSERT_TRUE(runUntil([&] { return first.server.received() == "VZ"; }));
    driver.ClosePort();
    driver.setPortNumber(3);
    ASSERT_TRUE(driver.OpenPort());
    ASSERT_TRUE(driver.WriteOneByte('Z'));
    ASSERT_TRUE(runUntil([&] { return third.server.received() == "Z"; }));
}

TEST(CommPortDriverTest, OpenIsExclusive) {
    SimulatedInstrument instrument{sim::InstrumentSetup{}};
    const ComPortTable ports = test::portsAt({{1, instrument.server.devicePath()}});
    TCommPortDriver holder(ports);
    TCommPortDriver other(ports);
    holder.setPortNumber(1);
    other.setPortNumber(1);
    ASSERT_TRUE(holder.OpenPort());
    EXPECT_FALSE(other.OpenPort());
    holder.ClosePort();
    EXPECT_TRUE(other.OpenPort());
}

TEST(CommPortDriverTest, ChunksAreNeverEmptyNorLargerThanTheReceiveBlock) {
    SimulatedInstrument instrument(manyArchives());
    TCommPortDriver driver(test::portsAt({{1, instrument.server.devicePath()}}));
    driver.setPortNumber(1);
    driver.setInBufSize(128);
    std::vector<QByteArray> chunks;
    QByteArray all;
    driver.onReceiveData = [&](const QByteArray& chunk) {
        chunks.push_back(chunk);
        all += chunk;
    };
    ASSERT_TRUE(driver.OpenPort());
    ASSERT_TRUE(driver.WriteOneByte('V'));
    const QByteArray frame = encodeLongFrame(instrument.model.identificationPayload());
    ASSERT_GT(frame.size(), 128);
    ASSERT_TRUE(runUntil([&] { return all.size() >= frame.size(); }));

    EXPECT_EQ(all, frame);
    EXPECT_GE(chunks.size(), 2u);
    for (const QByteArray& chunk : chunks) {
        EXPECT_FALSE(chunk.isEmpty());
        EXPECT_LE(chunk.size(), 128);
    }
}

// A pseudo-terminal whose other end the test writes itself.
struct RawPty {
    RawPty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        path = QString::fromLocal8Bit(::ptsname(master));
    }
    ~RawPty() { ::close(master); }
    int master = -1;
    QString path;
};

TEST(CommPortDriverTest, BytesReadWhileWritingAreHandedOverAfterTheWrite) {
    RawPty pty;
    TCommPortDriver driver(test::portsAt({{1, pty.path}}));
    driver.setPortNumber(1);
    ASSERT_TRUE(driver.OpenPort());
    bool writing = false;
    bool deliveredDuringWrite = false;
    QByteArray received;
    driver.onReceiveData = [&](const QByteArray& chunk) {
        deliveredDuringWrite = deliveredDuringWrite || writing;
        received += chunk;
    };
    ASSERT_EQ(::write(pty.master, "abc", 3), 3);  // waiting to be read when the write starts

    writing = true;
    EXPECT_TRUE(driver.WriteOneByte('n'));
    writing = false;
    ASSERT_TRUE(runUntil([&] { return received.size() == 3; }));
    EXPECT_EQ(received, QByteArray("abc"));
    EXPECT_FALSE(deliveredDuringWrite);
    char sent = 0;
    EXPECT_EQ(::read(pty.master, &sent, 1), 1);
    EXPECT_EQ(sent, 'n');
}

// The event loop may hear of bytes that a write's wait has already taken: the read then finds
// nothing, which Qt reports as a read error. The device is still there and stays open.
TEST(CommPortDriverTest, ANoticeOfBytesAWriteAlreadyTookIsNoFailure) {
    RawPty pty;
    TCommPortDriver driver(test::portsAt({{1, pty.path}}));
    driver.setPortNumber(1);
    int reports = 0;
    driver.onPortError = [&] { ++reports; };
    QByteArray received;
    driver.onReceiveData = [&](const QByteArray& chunk) { received += chunk; };
    ASSERT_TRUE(driver.OpenPort());

    for (int round = 0; round < 20 && reports == 0; ++round) {
        received.clear();
        ASSERT_EQ(::write(pty.master, "Z", 1), 1);
        // The write runs in the same pass of the event loop that noticed the byte.
        QMetaObject::invokeMethod(
            &driver, [&] { driver.WriteOneByte('n'); }, Qt::QueuedConnection);
        ASSERT_TRUE(runUntil([&] { return received == "Z" || reports > 0; }));
        char sent = 0;
        ASSERT_EQ(::read(pty.master, &sent, 1), 1);
    }
    EXPECT_EQ(reports, 0);
    EXPECT_TRUE(driver.IsOpen());
    received.clear();
    ASSERT_EQ(::write(pty.master, "P", 1), 1);
    EXPECT_TRUE(runUntil([&] { return received == "P"; }));
}

TEST(CommPortDriverTest, AVanishedDeviceClosesThePortAndIsReported) {
    auto instrument = std::make_unique<SimulatedInstrument>(sim::InstrumentSetup{});
    TCommPortDriver driver(test::portsAt({{1, instrument->server.devicePath()}}));
    driver.setPortNumber(1);
    int reports = 0;
    driver.onPortError = [&] { ++reports; };
    ASSERT_TRUE(driver.OpenPort());
    instrument.reset();  // the other end goes away, as an adapter pulled out

    ASSERT_TRUE(runUntil([&] { return reports > 0; }));
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(driver.WriteOneByte('Z'));
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace vlr::link
