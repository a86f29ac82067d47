// The .xlsx export of a 65,535-record file of the VTR asphalt kind (13 columns), against
// python3-xlsxwriter (constant_memory) and python3-openpyxl (write-only) writing the same cells
// from the same database. Each side runs in its own process, so that its peak resident memory
// is its own (this program starts itself with --export-once for our side); the best of several
// runs counts. Then our side alone on a file of 1,000,000 records, for its peak memory.
//
// Usage: bench_xlsx_export [--runs N] [--large-records N]   (--large-records 0: skip that part)
//        bench_xlsx_export --export-once DATABASE FILE_NAME_ID OUT.xlsx

#include "docs/document_kind.h"
#include "docs/xlsx_export.h"
#include "store/database.h"
#include "store/statements.h"

#include "asphalt_file.h"
#include "child_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace vlr;

constexpr int kRecords = 65535;

int exportOnce(const QString& databasePath, int file, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    store::Database database;
    database.open(databasePath);
    docs::exportXlsxDocument(database, file, docs::vtrAsphaltKind(), docs::RecordOrder(), out);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("{\"seconds\": %.6f, \"peak_kib\": %ld}\n", seconds, bench::peakKiB());
    return 0;
}

struct Side {
    const char* name;
    std::vector<QByteArray> command;  // without the output file
    QString out;
};

void printLine(const char* name, const bench::ChildResult& result, const QString& out) {
    std::printf("  %-11s %10.3f %12.3f %10.3f %15.1f %11lld\n", name, result.seconds, result.wall,
                result.cpu, double(result.peakKiB) / 1024.0, QFileInfo(out).size() / 1024);
}

void printHeading() {
    std::printf("  %-11s %10s %12s %10s %15s %11s\n", "", "work [s]", "process [s]", "CPU [s]",
                "peak RSS [MiB]", "file [KiB]");
}

std::vector<bench::ChildResult> compare(const std::vector<Side>& sides, int runs) {
    std::vector<std::vector<bench::ChildResult>> results(sides.size());
    for (int run = 0; run < runs; ++run) {
        for (size_t side = 0; side < sides.size(); ++side) {
            std::vector<QByteArray> command = sides[side].command;
            command.push_back(QFile::encodeName(sides[side].out));
            results[side].push_back(bench::runChild(command));
        }
    }
    std::vector<bench::ChildResult> best;
    for (const auto& sideResults : results)
        best.push_back(bench::bestOf(sideResults));
    return best;
}

QByteArray selfPath() {
    return QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
}

void compareWithPeers(const QDir& folder, int runs) {
    const QString databasePath = folder.filePath(QStringLiteral("peers.mdb"));
    int file = 0;
    {
        store::Database database;
        database.open(databasePath);
        file = bench::fillAsphaltFile(database, kRecords, QString());
    }
    const QByteArray database = QFile::encodeName(databasePath);
    const QByteArray id = QByteArray::number(file);
    const QByteArray script =
        QFile::encodeName(QStringLiteral(VLR_BENCH_SOURCE_DIR "/xlsx_peers_export.py"));
    const std::vector<Side> sides{
        {"vlr", {selfPath(), "--export-once", database, id}, folder.filePath("vlr.xlsx")},
        {"xlsxwriter",
         {"/usr/bin/python3", script, "xlsxwriter", database, id},
         folder.filePath("xlsxwriter.xlsx")},
        {"openpyxl",
         {"/usr/bin/python3", script, "openpyxl", database, id},
         folder.filePath("openpyxl.xlsx")}};
    const std::vector<bench::ChildResult> best = compare(sides, runs);
    for (size_t side = 0; side < sides.size(); ++side) {
        if (!best[side].ok) {
            std::printf("comparison failed: %s did not finish\n", sides[side].name);
            return;
        }
    }
    std::printf(".xlsx export of %d records x 13 columns (VTR asphalt), best of %d runs each\n",
                kRecords, runs);
    printHeading();
    for (size_t side = 0; side < sides.size(); ++side)
        printLine(sides[side].name, best[side], sides[side].out);
    const bench::ChildResult& fastestPeer = best[1].wall < best[2].wall ? best[1] : best[2];
    std::printf(
        "  fastest peer / vlr: %.1fx on the whole process, %.1fx on the work, %.1fx on "
        "CPU time\n\n",
        fastestPeer.wall / best[0].wall, fastestPeer.seconds / best[0].seconds,
        fastestPeer.cpu / best[0].cpu);
}

void largeFile(const QDir& folder, int records) {
    const QString databasePath = folder.filePath(QStringLiteral("large.mdb"));
    int file = 0;
    {
        store::Database database;
        database.open(databasePath);
        file = bench::fillAsphaltFile(database, records, QString());
    }
    const QString out = folder.filePath(QStringLiteral("large.xlsx"));
    const bench::ChildResult result =
        bench::runChild({selfPath(), "--export-once", QFile::encodeName(databasePath),
                         QByteArray::number(file), QFile::encodeName(out)});
    if (!result.ok) {
        std::printf("the export of %d records failed\n", records);
        return;
    }
    std::printf(".xlsx export of %d records x 13 columns, one run\n", records);
    printHeading();
    printLine("vlr", result, out);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--export-once")
        return exportOnce(QFile::decodeName(argv[2]), QByteArray(argv[3]).toInt(),
                          QFile::decodeName(argv[4]));
    int runs = 3;
    int largeRecords = 1000000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (QByteArray(argv[i]) == "--runs")
            runs = std::max(1, QByteArray(argv[i + 1]).toInt());
        else if (QByteArray(argv[i]) == "--large-records")
            largeRecords = std::max(0, QByteArray(argv[i + 1]).toInt());
    }
    QTemporaryDir folder;
    compareWithPeers(QDir(folder.path()), runs);
    if (largeRecords > 0)
        largeFile(QDir(folder.path()), largeRecords);
    return 0;
}
