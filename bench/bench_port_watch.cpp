// Ports that come and go, with the program's own intervals (a look at the ports and a probe
// tick every second):
// - BM_PluggedInToIdentified: from the adapter's device path appearing (a symbolic link named by
//   VLR_COM1, made to point at vlr-sim's pseudo-terminal) to the instrument identified. The
//   path appears at a different moment of the look's second in every iteration.
// - BM_SearchingWithoutInstrument/N: the CPU the link uses over N seconds while it searches and
//   no instrument answers: with the system's serial ports (the look lists them every second),
//   and with sixteen silent pseudo-terminals named by VLR_COM1..VLR_COM16 (one opened and
//   probed every second). Reported as the share of one core.
// - BM_LookUp*: one look at the ports, on its own (the system's: with no device come or gone
//   since the last look, as nearly always; and its full listing, read when one has).

#include "link/com_port_names.h"
#include "link/link_session.h"
#include "link/port_look_up.h"
#include "link_bench.h"
#include "qt_benchmark_main.h"
#include "store/database.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace {

using namespace vlr;
using bench::runUntil;
using bench::UnwatchedView;

// Runs the event loop for a while, with nothing of its own waking it.
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double processCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void nameComPorts(const link::ComPortTable& ports) {
    for (int i = 0; i < link::kComPortCount; ++i) {
        const QByteArray variable = QStringLiteral("VLR_COM%1").arg(i + 1).toLatin1();
        const QString& path = ports[static_cast<size_t>(i)];
        if (path.isEmpty())
            qunsetenv(variable.constData());
        else
            qputenv(variable.constData(), QFile::encodeName(path));
    }
}

// Sixteen pseudo-terminals nothing answers on.
class SilentTerminals {
public:
    SilentTerminals() {
        for (int i = 0; i < link::kComPortCount; ++i) {
            masters_[static_cast<size_t>(i)] = ::posix_openpt(O_RDWR | O_NOCTTY);
            ::grantpt(masters_[static_cast<size_t>(i)]);
            ::unlockpt(masters_[static_cast<size_t>(i)]);
            table_[static_cast<size_t>(i)] =
                QString::fromLocal8Bit(::ptsname(masters_[static_cast<size_t>(i)]));
        }
    }
    ~SilentTerminals() {
        for (const int master : masters_)
            ::close(master);
    }
    const link::ComPortTable& table() const { return table_; }

private:
    std::array<int, link::kComPortCount> masters_{};
    link::ComPortTable table_;
};

void BM_PluggedInToIdentified(benchmark::State& state) {
    QTemporaryDir dir;
    store::Database database;
    database.open(dir.filePath(store::Database::fileName()));
    QProcess simulator;
    simulator.start(bench::simulatorPath(), {"--kind", "vtr", "--quiet"});
    if (!simulator.waitForStarted() || !simulator.waitForReadyRead(5000)) {
        state.SkipWithError("vlr-sim did not start");
        return;
    }
    const QByteArray device =
        QFile::encodeName(QString::fromLocal8Bit(simulator.readLine()).trimmed());
    const QByteArray adapter = QFile::encodeName(dir.filePath(QStringLiteral("ttyUSB0")));
    link::ComPortTable named;
    named[0] = QFile::decodeName(adapter);
    nameComPorts(named);

    double longest = 0;
    double total = 0;
    int round = 0;
    for (auto _ : state) {
        UnwatchedView view;
        const link::PortSettings settings;
        link::LinkSession link(database, view, settings);
        link.watchPorts();
        // A different moment of the look's second each time.
        runFor(100 + (round++ * 370) % 1000);
        QElapsedTimer clock;
        clock.start();
        ::symlink(device.constData(), adapter.constData());
        const bool found =
            runUntil([&] { return link.state() == link::ExchangeState::Connected; }, 10000);
        const double seconds = clock.nsecsElapsed() / 1e9;
        ::unlink(adapter.constData());
        if (!found) {
            state.SkipWithError("the instrument was not identified");
            break;
        }
        state.SetIterationTime(seconds);
        longest = std::max(longest, seconds);
        total += seconds;
    }
    nameComPorts({});
    simulator.kill();
    simulator.waitForFinished();
    state.counters["mean_s"] = round > 0 ? total / round : 0;
    state.counters["longest_s"] = longest;
}
BENCHMARK(BM_PluggedInToIdentified)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

// range(0): seconds of searching; range(1): 0 the system's ports, 1 sixteen silent terminals.
void BM_SearchingWithoutInstrument(benchmark::State& state) {
    QTemporaryDir dir;
    store::Database database;
    database.open(dir.filePath(store::Database::fileName()));
    const SilentTerminals terminals;
    nameComPorts(state.range(1) == 1 ? terminals.table() : link::ComPortTable{});
    int present = 0;
    for (auto _ : state) {
        UnwatchedView view;
        const link::PortSettings settings;
        link::LinkSession link(database, view, settings);
        link.watchPorts();
        const link::ComPortTable& ports = link.ports();
        present = static_cast<int>(std::count_if(ports.begin(), ports.end(),
                                                 [](const QString& p) { return !p.isEmpty(); }));
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        runFor(static_cast<int>(state.range(0) * 1000));
        const double wall = clock.nsecsElapsed() / 1e9;
        const double cpu = processCpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
        state.counters["cpu_s"] = cpu;
        state.counters["core_share_pct"] = 100.0 * cpu / wall;
    }
    nameComPorts({});
    state.counters["ports_present"] = present;
}
BENCHMARK(BM_SearchingWithoutInstrument)
    ->Args({20, 0})
    ->Args({20, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void BM_LookUpSystemPorts(benchmark::State& state) {
    nameComPorts({});
    const link::PortLookUp lookUp = link::systemPortLookUp();
    for (auto _ : state)
        benchmark::DoNotOptimize(lookUp());
}
BENCHMARK(BM_LookUpSystemPorts)->Unit(benchmark::kMicrosecond);

void BM_ListSystemPorts(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(link::systemSerialPorts());
}
BENCHMARK(BM_ListSystemPorts)->Unit(benchmark::kMillisecond);

void BM_LookUpSixteenNamedPorts(benchmark::State& state) {
    const SilentTerminals terminals;
    const link::PortLookUp lookUp = link::namedPortsLookUp(terminals.table());
    for (auto _ : state)
        benchmark::DoNotOptimize(lookUp());
}
BENCHMARK(BM_LookUpSixteenNamedPorts)->Unit(benchmark::kMicrosecond);

}  // namespace

VLR_QT_BENCHMARK_MAIN()
