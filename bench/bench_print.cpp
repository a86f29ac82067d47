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

#include <QGuiApplication>
#include <QLocale>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
        store::Query(database, store::ADOQuery_CreateFile())
            .set(QStringLiteral("PFileName"), QStringLiteral("Асфальт"))
            .set(QStringLiteral("PDeviceListId"), 5)
            .set(QStringLiteral("PFileSaved"), true)
            .exec();
        QSqlQuery query(database.connection());
        query.exec(QStringLiteral("SELECT max(FileNameId) FROM Catalog"));
        query.next();
        file = query.value(0).toInt();
        database.connection().transaction();
        query.prepare(QStringLiteral(
            "INSERT INTO Data (FileNameId, N, [DateTime], F1, F2, F3, F5, F10, T1, T2, T7, T8, "
            "T9, Comment) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (int n = 1; n <= kRecords; ++n) {
            const QVariantList values{
                file,
                n,
                QStringLiteral("2025-%1-%2 %3:%4:05")
                    .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
                    .arg(n % 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(n % 24, 2, 10, QLatin1Char('0'))
                    .arg(n % 60, 2, 10, QLatin1Char('0')),
                n / 10 + 1,
                n % 10 + 1,
                12.5 + n % 1000 * 0.01,
                1.25 + n % 300 * 0.01,
                100.0 + n % 500 * 0.1,
                QStringLiteral("Асфальтобетон тип А"),
                QStringLiteral("71,4x71,4x71,4"),
                QStringLiteral("Сжатие"),
                QStringLiteral("%1,%2").arg(2 + n % 9).arg(n % 100, 2, 10, QLatin1Char('0')),
                QStringLiteral("3,0"),
                n % 5 == 0 ? QVariant(QStringLiteral("Образец %1, партия %2, отобран у северной "
                                                     "стены, поверхность влажная")
                                          .arg(n)
                                          .arg(n / 50))
                           : QVariant()};
            for (const QVariant& value : values)
                query.addBindValue(value);
            if (!query.exec()) {
                std::fprintf(stderr, "insert failed\n");
                std::exit(1);
            }
        }
        database.connection().commit();
    }
};

BenchFile& benchFile() {
    static BenchFile file;
    return file;
}

std::shared_ptr<const report::PreparedReport> prepare() {
    BenchFile& bench = benchFile();
    const report::Preparation preparation = docs::prepareDocumentReport(
        bench.database, bench.file, docs::vtrAsphaltKind(), store::ADOQuery_Search());
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchFile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
