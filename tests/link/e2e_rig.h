#pragma once

#include "link/comm_port_driver.h"
#include "link/link_fakes.h"
#include "link/link_session.h"
#include "link/tick_timer.h"
#include "sim/instrument_archive.h"
#include "sim/pty_instrument_server.h"
#include "support/temp_database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

namespace vlr::test {

// Silence interval of the exchange in these tests: short, so that probing and silence take
// a fraction of a second, yet long enough for a simulated answer on a loaded machine.
constexpr int TestTickMs = 150;

// Runs the event loop until done() holds; false when it still does not after guardMs (a hang
// guard, not a measurement: every case finishes far sooner).
inline bool runUntil(const std::function<bool()>& done, int guardMs = 20000) {
    QDeadlineTimer guard(guardMs);
    // Sleeps until an event comes; the ticker bounds the sleep so the guard is looked at.
    QTimer ticker;
    ticker.start(20);
    while (!done()) {
        if (guard.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// An instrument on a pseudo-terminal of its own, answering at once unless paced.
struct SimulatedInstrument {
    explicit SimulatedInstrument(sim::InstrumentSetup setup, sim::InstrumentFaults faults = {},
                                 sim::LinePacing pacing = {0, 10, 0})
        : model(std::move(setup), faults), server(model, pacing) {
        server.open();
    }
    sim::InstrumentModel model;
    sim::PtyInstrumentServer server;
};

inline sim::InstrumentSetup instrumentSetup(sim::InstrumentKind kind, sim::Archives archives,
                                            int subType = -1) {
    const sim::KindProfile& profile = sim::profileOf(kind);
    sim::InstrumentSetup setup;
    setup.deviceType = profile.deviceType;
    setup.deviceSubType = subType >= 0 ? subType : profile.defaultSubType;
    setup.archives = std::move(archives);
    return setup;
}

// The program's side: the link over the real port driver and the given COM devices, with a
// short silence interval.
class LinkRig {
public:
    LinkRig(const store::Database& database, link::ComPortTable ports,
            link::PortSettings portSettings = {})
        : driver(ports),
          timer(link::makeQtTickTimer(TestTickMs)),
          settings(std::move(portSettings)),
          link(driver, *timer, database, view, settings, link::namedPortsLookUp(ports)) {
        driver.setEnableDTROnOpen(false);
    }
    const link::ExchangeController& exchange() const { return link.exchange(); }
    bool waitConnected() {
        return runUntil([this] { return link.state() == link::ExchangeState::Connected; });
    }
    // Identifies, reads, and waits until the read has ended one way or the other.
    bool readArchive() {
        if (!waitConnected() || !link.readArchive())
            return false;
        return runUntil([this] { return link.state() != link::ExchangeState::Reading; });
    }

    link::TCommPortDriver driver;
    std::unique_ptr<link::TickTimer> timer;
    FakeExchangeView view;
    link::PortSettings settings;
    link::LinkSession link;
};

inline link::ComPortTable portsAt(std::initializer_list<std::pair<int, QString>> entries) {
    link::ComPortTable table;
    for (const auto& [number, path] : entries)
        table[number - 1] = path;
    return table;
}

// The vlr-sim tool of this build.
inline QString simulatorPath() {
    const QString buildDir = qEnvironmentVariable("VLR_BINARY_DIR");
    if (!buildDir.isEmpty())
        return QDir(buildDir).filePath(QStringLiteral("tools/vlr-sim"));
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../tools/vlr-sim"));
}

// vlr-sim in a process of its own with the given options, serving on the pseudo-terminal it
// names; killed when it goes, whatever the test did.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& options) {
        process_.start(simulatorPath(), options + QStringList{QStringLiteral("--quiet")});
        if (process_.waitForStarted() && runUntil([this] { return process_.canReadLine(); }))
            device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimulatorProcess() { kill(); }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    void kill() {
        process_.kill();
        process_.waitForFinished();
    }
    const QString& device() const { return device_; }

private:
    QProcess process_;
    QString device_;
};

// Every received row, in the order of kind, archive and N, as column name → value.
inline std::vector<QVariantMap> receivedRows(const store::Database& database) {
    QSqlQuery query(database.connection());
    query.exec(QStringLiteral("SELECT * FROM Data_Comm ORDER BY DeviceListId, DeviceNArc, N"));
    std::vector<QVariantMap> rows;
    while (query.next()) {
        QVariantMap row;
        for (int i = 0; i < query.record().count(); ++i)
            row.insert(query.record().fieldName(i), query.value(i));
        rows.push_back(row);
    }
    return rows;
}

// 1, 2, ..., last: the N of a whole archive's rows.
inline std::vector<int> oneTo(int last) {
    std::vector<int> numbers(static_cast<size_t>(last));
    for (int i = 0; i < last; ++i)
        numbers[static_cast<size_t>(i)] = i + 1;
    return numbers;
}

}  // namespace vlr::test
