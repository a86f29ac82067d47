// Which of COM1..COM16 are present and how the exchange searches them, over real
// pseudo-terminals.

#include "link/e2e_rig.h"

#include <QTemporaryDir>

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

class PortSearchTest : public TempDatabaseTest {};

// A named port is there while its path exists: a link to a device counts while the device does.
TEST_F(PortSearchTest, NamedPortsArePresentWhileTheirPathsExist) {
    SilentPty first;
    SilentPty third;
    ASSERT_FALSE(first.path().isEmpty());
    QTemporaryDir folder;
    const QString adapter = folder.filePath(QStringLiteral("ttyUSB0"));
    const link::PortLookUp lookUp =
        link::namedPortsLookUp(tableFromVariables({{1, first.path()},
                                                   {2, QStringLiteral("/dev/no-such-port")},
                                                   {3, third.path()},
                                                   {4, adapter}}));
    const auto present = [&] { return link::presentPorts(lookUp()); };
    EXPECT_EQ(present(), (link::PresentPorts{true, false, true, false}));

    ASSERT_EQ(::symlink(third.path().toLocal8Bit().constData(), adapter.toLocal8Bit().constData()),
              0);
    EXPECT_EQ(present(), (link::PresentPorts{true, false, true, true}));
    EXPECT_EQ(lookUp()[3], adapter);
    ASSERT_EQ(::unlink(adapter.toLocal8Bit().constData()), 0);
    EXPECT_EQ(present(), (link::PresentPorts{true, false, true, false}));
}

TEST_F(PortSearchTest, AutomaticSearchAlternatesOverThePresentPorts) {
    SilentPty first;
    SilentPty third;
    const link::ComPortTable table = tableFromVariables({{1, first.path()}, {3, third.path()}});
    link::TCommPortDriver driver(table);
    FakeTickTimer timer;
    FakeExchangeView view;
    const link::PortSettings settings;
    link::LinkSession link(driver, timer, db_, view, settings, link::namedPortsLookUp(table));
    const link::PresentPorts present = link::presentPorts(link.lookUpPorts());
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

TEST_F(PortSearchTest, FixedPortIsTheOnlyOneProbed) {
    SimulatedInstrument onFirst(instrumentSetup(sim::InstrumentKind::Osk, {{}}));
    SimulatedInstrument onThird(instrumentSetup(sim::InstrumentKind::Vtr, {{}}));
    LinkRig rig(
        db_,
        tableFromVariables({{1, onFirst.server.devicePath()}, {3, onThird.server.devicePath()}}),
        {false, QStringLiteral("COM 3")});
    rig.link.lookUpPorts();
    ASSERT_TRUE(rig.waitConnected());

    EXPECT_EQ(rig.view.panels[1], QStringLiteral("COM3/9600"));
    EXPECT_EQ(rig.exchange().DeviceListId(), 2);
    EXPECT_TRUE(onFirst.server.received().isEmpty());
}

// A port another program holds is passed over without a word by the automatic search; held as
// the fixed port, it is told once in the status bar, not at every tick.
TEST_F(PortSearchTest, APortHeldByAnotherProgramIsPassedOverOrToldOnce) {
    SilentPty held;
    SilentPty idle;
    link::TCommPortDriver holder(portsAt({{1, held.path()}}));
    holder.setPortNumber(1);
    ASSERT_TRUE(holder.OpenPort());

    const link::ComPortTable table = tableFromVariables({{1, held.path()}, {2, idle.path()}});
    link::TCommPortDriver driver(table);
    FakeTickTimer timer;
    FakeExchangeView view;
    link::PortSettings settings;
    link::LinkSession link(driver, timer, db_, view, settings, link::namedPortsLookUp(table));
    link.lookUpPorts();
    for (int tick = 0; tick < 3; ++tick) {
        timer.tick();
        EXPECT_EQ(view.panels[0], QStringLiteral("Опрос порта COM2..."));
        EXPECT_EQ(driver.PortName(), idle.path());
    }

    settings = {false, QStringLiteral("COM 1")};
    timer.tick();
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(view.panels[0], QStringLiteral("Порт COM1 занят другой программой"));
    view.panels[0].clear();
    timer.tick();
    timer.tick();
    EXPECT_EQ(view.panels[0], QString());

    holder.ClosePort();
    timer.tick();
    EXPECT_TRUE(driver.IsOpen());
    EXPECT_EQ(view.panels[0], QStringLiteral("Опрос порта COM1..."));
}

}  // namespace
}  // namespace vlr::test
