// Opening a tab of the receive view on 65,535 received rows: from the tab switch to the painted
// grid (rows read from the database, cell texts of the visible rows made).
#include "grid/data_grid.h"
#include "link/tick_timer.h"
#include "store/database.h"
#include "store/store_error.h"
#include "ui/comm_view.h"
#include "ui/prompter.h"

#include "qt_benchmark_main.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>

#include <ctime>

namespace {

constexpr int kRows = 65535;

// Asphalt tests of archive 1, the widest of the receive view's grids.
void fillReceivedRows(const vlr::store::Database& database) {
    QSqlQuery query(database.connection());
    const bool filled = query.exec(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO Data_Comm (DeviceListId, DeviceNArc, N, [DateTime], F1, F2, F3, F5, "
            "F10, T1, T2, T3, T7, T8, T9) "
            "SELECT 5, 1, i, datetime('2013-01-01', '+' || i || ' minutes'), i % 100, i % 7, "
            "i * 0.37, i * 0.01, i * 0.1, 'Асфальтобетон', '100x63,5', 'Цилиндр', 'Сжатие', "
            "'12,5', '50' FROM n")
            .arg(kRows));
    if (!filled)
        throw vlr::store::StoreError(QStringLiteral("cannot fill the benchmark database"));
}

// This thread's processor time: on a machine shared with other work the wall time also counts
// the waits for a core.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class NoPrompts : public vlr::ui::Prompter {
public:
    vlr::ui::PromptButton ask(QWidget*, const vlr::ui::PromptMessage& message) override {
        throw vlr::store::StoreError(message.text);
    }
    vlr::ui::SaveFileChoice saveFileName(QWidget*, const vlr::ui::SaveFileRequest&) override {
        return {};
    }
};

void BM_OpenAsphaltTab(benchmark::State& state) {
    QTemporaryDir dir;
    vlr::store::Database database;
    database.open(dir.filePath(vlr::store::Database::fileName()));
    fillReceivedRows(database);
    NoPrompts prompter;
    vlr::ui::TForm_Comm view(database, prompter, vlr::link::makeQtTickTimer(1500));
    view.resize(720, 540);
    view.show();
    view.showTab(vlr::link::CommTab::Osk, QStringLiteral("ОСК-К9"));
    view.showTab(vlr::link::CommTab::Asphalt, QStringLiteral("ВТР-К9 Асфальтобетон"));
    QTabWidget& pages = *view.pageControl();
    QApplication::processEvents();

    double cpuSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuSeconds();
        pages.setCurrentIndex(static_cast<int>(vlr::link::CommTab::Asphalt));
        view.repaint();
        cpuSeconds += threadCpuSeconds() - cpuStart;
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (view.grid(vlr::link::CommTab::Asphalt)->rowCount() != kRows) {
            state.SkipWithError("the tab did not show every row");
            break;
        }
        pages.setCurrentIndex(static_cast<int>(vlr::link::CommTab::Osk));
        QApplication::processEvents();
    }
    state.counters["rows"] = kRows;
    if (state.iterations() > 0)
        state.counters["cpu_ms"] = cpuSeconds * 1000 / static_cast<double>(state.iterations());
}

BENCHMARK(BM_OpenAsphaltTab)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    return vlr::bench::runQtBenchmarks(argc, argv, vlr::bench::QtNeeds::Widgets);
}
