// Ports that come and go while the link runs: the adapter's path named by VLR_COM1 is a symbolic
// link to a vlr-sim pseudo-terminal, made after the start, left dangling when the simulator is
// killed in the middle of a read, and made again for a new simulator.

#include "link/e2e_rig.h"
#include "link/exchange_texts.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace vlr::test {
namespace {

using link::ExchangeState;
using link::ReadResult;

constexpr int kRecords = 40;

// A press archive served at the line rate, so that a read lasts a few seconds.
QStringList pressArchive() {
    return {QStringLiteral("--kind"),  QStringLiteral("vtr"),    QStringLiteral("--records"),
            QString::number(kRecords), QStringLiteral("--seed"), QStringLiteral("4")};
}

// VLR_COM1 for the duration of a test.
class NamedPort {
public:
    explicit NamedPort(const QString& path) { qputenv("VLR_COM1", QFile::encodeName(path)); }
    ~NamedPort() { qunsetenv("VLR_COM1"); }
};

bool plugIn(const QString& device, const QString& adapter) {
    return !device.isEmpty() && ::symlink(QFile::encodeName(device).constData(),
                                          QFile::encodeName(adapter).constData()) == 0;
}

// The N of the received rows in storage order, to see that none came twice or is missing.
std::vector<int> storedNumbers(const store::Database& database) {
    std::vector<int> numbers;
    for (const QVariantMap& row : receivedRows(database))
        numbers.push_back(row.value(QStringLiteral("N")).toInt());
    return numbers;
}

class PortsComeAndGoTest : public TempDatabaseTest {};

TEST_F(PortsComeAndGoTest, AnAdapterPluggedInIsFoundAndOnePulledOutMidReadIsSurvived) {
    QTemporaryDir folder;
    const QString adapter = folder.filePath(QStringLiteral("ttyUSB0"));
    const NamedPort named(adapter);

    // The link as the programs build it: the run's own look-up, watched all the time.
    link::TCommPortDriver driver(link::ComPortTable{});
    driver.setEnableDTROnOpen(false);
    const std::unique_ptr<link::TickTimer> comOut = link::makeQtTickTimer(TestTickMs);
    FakeExchangeView view;
    const link::PortSettings settings;
    link::LinkSession link(driver, *comOut, db_, view, settings, link::systemPortLookUp());
    link.watchPorts(TestTickMs);

    // No port yet: nothing is probed.
    EXPECT_FALSE(runUntil([&] { return driver.IsOpen(); }, 5 * TestTickMs));
    EXPECT_EQ(view.panels[0], QString());
    EXPECT_EQ(view.panels[1], link::texts::disconnected());

    // Plugged in after the start: found and identified without anyone's help.
    SimulatorProcess first(pressArchive());
    ASSERT_TRUE(plugIn(first.device(), adapter));
    ASSERT_TRUE(runUntil([&] { return link.state() == ExchangeState::Connected; }));
    EXPECT_EQ(view.panels[1], QStringLiteral("COM1/9600"));

    // Pulled out in the middle of a read.
    ASSERT_TRUE(link.readArchive());
    ASSERT_TRUE(runUntil([&] { return link.exchange().ReceivedTotal() >= 5; }));
    first.kill();
    ASSERT_TRUE(runUntil([&] { return link.state() != ExchangeState::Reading; }));
    ASSERT_FALSE(view.outcomes.empty());
    const link::ReadOutcome lost = view.outcomes.back();
    EXPECT_EQ(lost.result, ReadResult::PortLost);
    EXPECT_GE(lost.received, 5);
    EXPECT_LT(lost.received, kRecords);
    EXPECT_EQ(lost.expected, kRecords);
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages.back().text, link::texts::portLost(1, lost.received, kRecords));
    // The rows received so far stay, each once and whole, and are shown; the progress is gone.
    EXPECT_EQ(storedNumbers(db_), oneTo(lost.received));
    EXPECT_FALSE(view.progress.back().reading);
    EXPECT_FALSE(view.refreshTimerActive);
    EXPECT_EQ(link.state(), ExchangeState::Probing);
    EXPECT_FALSE(view.readArchiveEnabled);
    EXPECT_TRUE(view.commOptionsEnabled);
    const int refreshesAfterLoss = view.refreshes;
    // The link left behind points nowhere: the port is absent.
    EXPECT_TRUE(runUntil([&] { return link.ports()[0].isEmpty(); }));

    // A new simulator behind the same path: found again, and a second read completes.
    ASSERT_EQ(::unlink(QFile::encodeName(adapter).constData()), 0);
    SimulatorProcess second(pressArchive());
    ASSERT_TRUE(plugIn(second.device(), adapter));
    ASSERT_TRUE(runUntil([&] { return link.state() == ExchangeState::Connected; }));
    ASSERT_TRUE(link.readArchive());
    ASSERT_TRUE(runUntil([&] { return link.state() != ExchangeState::Reading; }, 60000));
    EXPECT_EQ(view.outcomes.back().result, ReadResult::Complete);
    EXPECT_EQ(view.outcomes.back().received, kRecords);
    EXPECT_EQ(storedNumbers(db_), oneTo(kRecords));
    EXPECT_GT(view.refreshes, refreshesAfterLoss);
}

}  // namespace
}  // namespace vlr::test
