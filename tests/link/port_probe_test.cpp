// The probe of COM1..COM16 and the exchange's choice of ports, over real pseudo-terminals.

#include "link/e2e_rig.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace vlr::test {
namespace {

// A pseudo-terminal with nothing answering on it.
class SilentPty {
public:
    SilentPty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            path_ = QString::fromLocal8Bit(::ptsname(master_));
        slave_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    }
    ~SilentPty() {
        ::close(slave_);
        ::close(master_);
    }
    QString path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

link::ComPortTable tableFromVariables(std::initializer_list<std::pair<int, QString>> ports) {
    QProcessEnvironment environment;
    for (const auto& [number, path] : ports)
        environment.insert(QStringLiteral("VLR_COM%1").arg(number), path);
    return link::comPortTable(environment, {});
}

class PortProbeTest : public TempDatabaseTest {};

TEST_F(PortProbeTest, FindsThePortsThatOpen) {
    SilentPty first;
    SilentPty third;
    ASSERT_FALSE(first.path().isEmpty());
    SilentPty held;
    link::TCommPortDriver holder(portsAt({{1, held.path()}}));
    holder.setPortNumber(1);
    ASSERT_TRUE(holder.OpenPort());

    link::TCommPortDriver driver(tableFromVariables({{1, first.path()},
                                                     {2, QStringLiteral("/dev/no-such-port")},
                                                     {3, third.path()},
                                                     {4, held.path()}}));
    const link::PresentPorts present = link::probePresentPorts(driver);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(present[i], i == 0 || i == 2) << "COM" << i + 1;
    EXPECT_FALSE(driver.IsOpen());
}

TEST_F(PortProbeTest, AutomaticSearchAlternatesOverThePresentPorts) {
    SilentPty first;
    SilentPty third;
    link::TCommPortDriver driver(tableFromVariables({{1, first.path()}, {3, third.path()}}));
    FakeTickTimer timer;
    FakeExchangeView view;
    const link::PortSettings settings;
    link::LinkSession link(driver, timer, db_, view, settings);
    const link::PresentPorts present = link.probePorts();
    EXPECT_TRUE(present[0] && !present[1] && present[2]);
    EXPECT_TRUE(link.exchange().ScanEnabled());

    const std::vector<std::pair<int, QString>> expected{
        {3, third.path()}, {1, first.path()}, {3, third.path()}, {1, first.path()}};
    for (const auto& [number, path] : expected) {
        timer.tick();
        EXPECT_EQ(view.panels[0], QStringLiteral("Опрос порта COM%1...").arg(number));
        EXPECT_TRUE(driver.IsOpen());
        EXPECT_EQ(driver.PortName(), path);
    }
}

TEST_F(PortProbeTest, FixedPortIsTheOnlyOneProbed) {
    SimulatedInstrument onFirst(instrumentSetup(sim::InstrumentKind::Osk, {{}}));
    SimulatedInstrument onThird(instrumentSetup(sim::InstrumentKind::Vtr, {{}}));
    LinkRig rig(
        db_,
        tableFromVariables({{1, onFirst.server.devicePath()}, {3, onThird.server.devicePath()}}),
        {false, QStringLiteral("COM 3")});
    rig.link.probePorts();
    ASSERT_TRUE(rig.waitConnected());

    EXPECT_EQ(rig.view.panels[1], QStringLiteral("COM3/9600"));
    EXPECT_EQ(rig.exchange().DeviceListId(), 2);
    EXPECT_TRUE(onFirst.server.received().isEmpty());
}

}  // namespace
}  // namespace vlr::test
