// Compaction of a database of 100,000 records against a plain copy of the same file.
#include "app/compaction.h"
#include "qt_benchmark_main.h"
#include "store/database.h"
#include "store/store_error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 100000;

// The database every iteration starts from, built once.
class Master {
public:
    static const Master& get() {
        static const Master master;
        return master;
    }
    QString path() const { return dir_.filePath(QStringLiteral("master.mdb")); }
    QString workPath(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private:
    Master() {
        vlr::store::Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        const bool filled =
            query.exec(
                QStringLiteral("INSERT INTO Catalog (FileName, FileSaved) VALUES ('Архив', 1)")) &&
            query.exec(
                QStringLiteral(
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                    "INSERT INTO Data (FileNameId, N, [DateTime], F1, F2, T1, B1) "
                    "SELECT 1, i, datetime('2013-01-01', '+' || i || ' seconds'), i * 0.25, -i, "
                    "'образец ' || i, i % 2 FROM n")
                    .arg(kRows));
        if (!filled)
            throw vlr::store::StoreError(QStringLiteral("cannot fill the benchmark database"));
    }
    QTemporaryDir dir_;
};

double copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    QElapsedTimer timer;
    timer.start();
    const bool copied = QFile::copy(from, to);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!copied)
        throw vlr::store::StoreError(QStringLiteral("cannot copy %1").arg(from));
    return seconds;
}

void BM_PlainCopy(benchmark::State& state) {
    const Master& master = Master::get();
    const QString target = master.workPath("copy.mdb");
    for (auto _ : state) {
        state.SetIterationTime(copyFile(master.path(), target));
    }
    state.counters["file_MiB"] = QFileInfo(master.path()).size() / 1048576.0;
}

// Each iteration copies the master (timed too, for the ratio) and compacts the copy in place.
void BM_Compaction(benchmark::State& state) {
    const Master& master = Master::get();
    const QString target = master.workPath("VelaronLink.mdb");
    double copySeconds = 0;
    double compactSeconds = 0;
    for (auto _ : state) {
        copySeconds += copyFile(master.path(), target);
        QElapsedTimer timer;
        timer.start();
        const vlr::app::CompactionOutcome outcome =
            vlr::app::CompactDatabaseFile(target, QString(), QString());
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!outcome.succeeded) {
            state.SkipWithError(outcome.message.toStdString().c_str());
            break;
        }
        compactSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    if (copySeconds > 0) {
        state.counters["copy_ms"] = copySeconds * 1000 / state.iterations();
        state.counters["compact_ms"] = compactSeconds * 1000 / state.iterations();
        state.counters["compact_to_copy"] = compactSeconds / copySeconds;
    }
}

BENCHMARK(BM_PlainCopy)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compaction)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

VLR_QT_BENCHMARK_MAIN()
