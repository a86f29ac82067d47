// The report of a 10,000-record file of the VTR asphalt kind: preparing it from the database
// and writing it as a PDF (about 670 pages), then each of the two stages alone.
//
// Usage: bench_print [benchmark options]

#include "docs/document_kind.h"
#include "docs/document_report.h"
#include "report/pdf_output.h"
#include "store/database.h"
#include "store/query.h"
#include "store/statements.h"

#include "asphalt_file.h"
#include "qt_benchmark_main.h"

#include <QLocale>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

using namespace vlr;

constexpr int kRecords = 10000;

// Realistic asphalt records: every printed column filled, a note on every fifth.
struct BenchFile {
    QTemporaryDir dir;
    store::Database database;
    int file = 0;

    BenchFile() {
        database.open(dir.filePath(store::Database::fileName()));
        file = bench::fillAsphaltFile(
            database, kRecords, QStringLiteral(", отобран у северной стены, поверхность влажная"));
    }
};

BenchFile& benchFile() {
    static BenchFile file;
    return file;
}

std::shared_ptr<const report::PreparedReport> prepare() {
    BenchFile& bench = benchFile();
    const report::Preparation preparation = docs::prepareDocumentReport(
        bench.database, bench.file, docs::vtrAsphaltKind(), docs::RecordOrder());
    if (!preparation.succeeded()) {
        std::fprintf(stderr, "preparation failed: %s\n", qPrintable(preparation.error));
        std::exit(1);
    }
    return preparation.report;
}

void BM_PrintToPdf(benchmark::State& state) {
    const QString out = benchFile().dir.filePath(QStringLiteral("report.pdf"));
    int pages = 0;
    for (auto _ : state) {
        const auto report = prepare();
        report::writePdf(*report, out);
        pages = report->pageCount();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintToPdf)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_Prepare(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(prepare());
}
BENCHMARK(BM_Prepare)->Unit(benchmark::kMillisecond);

void BM_WritePdf(benchmark::State& state) {
    const auto report = prepare();
    const QString out = benchFile().dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state)
        report::writePdf(*report, out);
}
BENCHMARK(BM_WritePdf)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

// Printing lays out text, which needs a GUI application's fonts; no window is shown.
int main(int argc, char** argv) {
    // The benchmark file is made before the timing starts.
    return vlr::bench::runQtBenchmarks(argc, argv, vlr::bench::QtNeeds::Painting, [] {
        benchFile();
        return true;
    });
}
