// An archive read of 300 records from the simulated instrument (vlr-sim, a process of its own)
// paced at 9600 bit/s, through the real port driver, exchange, decoders and database.
// Reported as the share of the line's limit: the time the request letters and the record
// frames need on the wire at 9600 bit/s with 10 bits per character, divided by the measured
// time from sending 'n' to the last record stored. 1.0 would be a read as fast as the line.

#include "link/frame_codec.h"
#include "link/link_session.h"
#include "link_bench.h"
#include "qt_benchmark_main.h"
#include "store/database.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace vlr;
using bench::runUntil;
using bench::simulatorPath;
using bench::UnwatchedView;

constexpr int LineBitsPerSecond = 9600;
constexpr int BitsPerCharacter = 10;

// kind: "osk" (14-byte records) or "vtr" (26-byte records).
void readArchive(benchmark::State& state, const char* kind, int recordSize) {
    const int records = static_cast<int>(state.range(0));
    // On the wire per record: one request letter and one frame.
    const int frameCharacters =
        static_cast<int>(link::encodeShortFrame(QByteArray(recordSize, 0)).size());
    const double lineSeconds =
        double(records) * (1 + frameCharacters) * BitsPerCharacter / LineBitsPerSecond;

    for (auto _ : state) {
        QTemporaryDir dir;
        store::Database database;
        database.open(dir.filePath(store::Database::fileName()));

        QProcess simulator;
        simulator.start(simulatorPath(), {"--kind", kind, "--records", QString::number(records),
                                          "--baud", QString::number(LineBitsPerSecond), "--quiet"});
        if (!simulator.waitForStarted() || !simulator.waitForReadyRead(5000)) {
            state.SkipWithError("vlr-sim did not start");
            return;
        }
        link::ComPortTable ports;
        ports[0] = QString::fromLocal8Bit(simulator.readLine()).trimmed();

        UnwatchedView view;
        const link::PortSettings settings;
        link::LinkSession link(database, view, settings, link::namedPortsLookUp(ports));
        link.lookUpPorts();
        using State = link::ExchangeState;
        if (!runUntil([&] { return link.state() == State::Connected; }, 10000)) {
            state.SkipWithError("the instrument was not identified");
            return;
        }

        QElapsedTimer clock;
        clock.start();
        link.readArchive();  // sends 'n'
        const bool ended = runUntil([&] { return link.state() != State::Reading; },
                                    static_cast<int>(lineSeconds * 4000) + 10000);
        const double seconds = clock.nsecsElapsed() / 1e9;
        simulator.kill();
        simulator.waitForFinished();
        if (!ended || view.ended.received != records || view.ended.notStored != 0) {
            state.SkipWithError("the read did not complete");
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["records"] = records;
        state.counters["line_s"] = lineSeconds;
        state.counters["measured_s"] = seconds;
        state.counters["line_share"] = lineSeconds / seconds;
        state.counters["ms_per_record_over_line"] = (seconds - lineSeconds) * 1000 / records;
    }
}

void BM_ReadPressArchive(benchmark::State& state) {
    readArchive(state, "vtr", 26);
}
void BM_ReadOskArchive(benchmark::State& state) {
    readArchive(state, "osk", 14);
}
BENCHMARK(BM_ReadPressArchive)->Arg(300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ReadOskArchive)->Arg(300)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

VLR_QT_BENCHMARK_MAIN()
