// The export of a 65,535-record file of the VTR asphalt kind (13 columns), against python3-xlwt
// writing the same cells. Each side runs in its own process so that its peak resident memory
// is its own: this program starts itself with --export-once for our side. Afterwards the
// stages of our export are timed one by one to show where the time goes.
//
// Usage: bench_export [--runs N] [benchmark options]   (--runs 0: the stages only)
//        bench_export --make-database PATH   (writes the benchmark's file into a new database,
//                                             prints its FileNameId; for profiling one side)
//        bench_export --export-once DATABASE FILE_NAME_ID OUT.xls

#include "docs/document_export.h"
#include "docs/document_kind.h"
#include "store/database.h"
#include "store/query.h"
#include "store/row_cursor.h"
#include "store/statements.h"
#include "xls/excel_writer.h"
#include "xls/stream_sink.h"
#include "xls/xls_workbook.h"

#include "asphalt_file.h"
#include "child_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace vlr;
using bench::bestOf;
using bench::ChildResult;
using bench::peakKiB;
using bench::runChild;

constexpr int kRecords = docs::kRecordsPerSheet;

int fillDatabase(store::Database& database) {
    return bench::fillAsphaltFile(database, kRecords, QString());
}

// Our side of the comparison, in its own process: the same work as the xlwt script.
int exportOnce(const QString& databasePath, int file, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    store::Database database;
    database.open(databasePath);
    docs::exportDocument(database, file, docs::vtrAsphaltKind(), docs::RecordOrder(), out);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("{\"seconds\": %.6f, \"peak_kib\": %ld}\n", seconds, peakKiB());
    return 0;
}

void compareWithXlwt(const QString& databasePath, int file, const QDir& folder, int runs) {
    const QByteArray self =
        QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    const QByteArray script =
        QFile::encodeName(QStringLiteral(VLR_BENCH_SOURCE_DIR "/xlwt_export.py"));
    const QByteArray database = QFile::encodeName(databasePath);
    const QByteArray id = QByteArray::number(file);
    std::vector<ChildResult> ours;
    std::vector<ChildResult> theirs;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(runChild({self, "--export-once", database, id,
                                 QFile::encodeName(folder.filePath(QStringLiteral("ours.xls")))}));
        theirs.push_back(
            runChild({"/usr/bin/python3", script, database, id,
                      QFile::encodeName(folder.filePath(QStringLiteral("xlwt.xls")))}));
    }
    const ChildResult a = bestOf(ours);
    const ChildResult b = bestOf(theirs);
    if (!a.ok || !b.ok) {
        std::printf("comparison failed: ours %s, xlwt %s\n", a.ok ? "ok" : "failed",
                    b.ok ? "ok" : "failed");
        return;
    }
    std::printf("Export of %d records x 13 columns (VTR asphalt), best of %d runs each\n", kRecords,
                runs);
    std::printf("  %-8s %10s %12s %12s %14s %12s\n", "", "work [s]", "process [s]", "CPU [s]",
                "peak RSS [MiB]", "file [KiB]");
    const auto line = [&folder](const char* name, const ChildResult& r, const char* fileName) {
        std::printf("  %-8s %10.3f %12.3f %12.3f %14.1f %12lld\n", name, r.seconds, r.wall, r.cpu,
                    double(r.peakKiB) / 1024.0,
                    QFileInfo(folder.filePath(QString::fromLatin1(fileName))).size() / 1024);
    };
    line("vlr", a, "ours.xls");
    line("xlwt", b, "xlwt.xls");
    std::printf(
        "  xlwt / vlr: %.1fx on the work, %.1fx on the whole process, %.1fx on CPU time\n\n",
        b.seconds / a.seconds, b.wall / a.wall, b.cpu / a.cpu);
}

// The stages of our export, each on its own.
struct Stages {
    store::Database* database;
    int file;
    QString out;
};
Stages stages;

// Reading the rows alone, as the print statement returns them, without building cells.
void BM_ReadRows(benchmark::State& state) {
    const docs::DocumentKind& kind = docs::vtrAsphaltKind();
    for (auto _ : state) {
        store::Query print(*stages.database, store::printStatementFor(store::ADOQuery_Search()));
        print.set(QStringLiteral("PFileNameId"), stages.file);
        store::RowCursor rows(*stages.database, print);
        std::vector<int> indexes;
        for (const docs::ExportColumn& column : kind.columns)
            indexes.push_back(rows.columnIndex(column.field));
        qint64 filled = 0;
        while (rows.next()) {
            for (size_t c = 0; c < indexes.size(); ++c) {
                if (rows.isNull(indexes[c]))
                    continue;
                const docs::FieldType type = kind.columns[int(c)].type;
                filled += type == docs::FieldType::Number    ? qint64(rows.number(indexes[c]))
                          : type == docs::FieldType::Integer ? rows.integer(indexes[c])
                                                             : rows.utf8(indexes[c]).size();
            }
        }
        benchmark::DoNotOptimize(filled);
    }
}
BENCHMARK(BM_ReadRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadAndFillWorkbook(benchmark::State& state) {
    for (auto _ : state) {
        xls::TvteXLSWorkbook workbook;
        docs::fillExportWorkbook(workbook, *stages.database, stages.file, docs::vtrAsphaltKind(),
                                 docs::RecordOrder());
        benchmark::DoNotOptimize(workbook.SheetCount());
    }
}
BENCHMARK(BM_ReadAndFillWorkbook)->Unit(benchmark::kMillisecond);

// Making the stream alone: its pieces are passed on to nowhere.
void BM_WriteWorkbookStream(benchmark::State& state) {
    xls::TvteXLSWorkbook workbook;
    docs::fillExportWorkbook(workbook, *stages.database, stages.file, docs::vtrAsphaltKind(),
                             docs::RecordOrder());
    for (auto _ : state) {
        qint64 bytes = 0;
        xls::StreamSink sink([&bytes](const char*, qsizetype size) { bytes += size; });
        xls::writeWorkbookStream(workbook, sink);
        sink.passOnAll();
        state.counters["stream_MiB"] = double(bytes) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_WriteWorkbookStream)->Unit(benchmark::kMillisecond);

// The stream written to the file, which is synced to the disk and put in place.
void BM_SaveWorkbook(benchmark::State& state) {
    xls::TvteXLSWorkbook workbook;
    docs::fillExportWorkbook(workbook, *stages.database, stages.file, docs::vtrAsphaltKind(),
                             docs::RecordOrder());
    xls::TvteExcelWriter writer;
    for (auto _ : state)
        writer.SaveToFile(workbook, stages.out);
}
BENCHMARK(BM_SaveWorkbook)->Unit(benchmark::kMillisecond);

void BM_WholeExport(benchmark::State& state) {
    for (auto _ : state) {
        docs::exportDocument(*stages.database, stages.file, docs::vtrAsphaltKind(),
                             docs::RecordOrder(), stages.out);
    }
}
BENCHMARK(BM_WholeExport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (argc == 5 && QByteArray(argv[1]) == "--export-once")
        return exportOnce(QFile::decodeName(argv[2]), QByteArray(argv[3]).toInt(),
                          QFile::decodeName(argv[4]));
    if (argc == 3 && QByteArray(argv[1]) == "--make-database") {
        store::Database database;
        database.open(QFile::decodeName(argv[2]));
        std::printf("%d\n", fillDatabase(database));
        return 0;
    }

    int runs = 3;
    std::vector<char*> benchmarkArgs{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(0, QByteArray(argv[++i]).toInt());
        else
            benchmarkArgs.push_back(argv[i]);
    }

    QTemporaryDir folder;
    const QString databasePath = folder.filePath(store::Database::fileName());
    store::Database database;
    database.open(databasePath);
    const int file = fillDatabase(database);
    if (runs > 0)
        compareWithXlwt(databasePath, file, QDir(folder.path()), runs);

    stages = Stages{&database, file, folder.filePath(QStringLiteral("stage.xls"))};
    int benchmarkArgc = int(benchmarkArgs.size());
    benchmark::Initialize(&benchmarkArgc, benchmarkArgs.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
