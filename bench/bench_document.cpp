// A document window's database work: opening and re-sorting a file of 65,535 records into the
// grid's model, each timed from reading the records' order to the texts of the first screenful
// of rows, as the window shows them; a drop of 10,000 received rows; and the export of the
// file to an .xls workbook, as `vlr export` does it.
//
// With VLR_BENCH_DATABASE=postgresql://... each benchmark runs also (argument server:1) on that
// server database, which must be empty: it gets the same file and received rows.
//
// Usage: [VLR_BENCH_DATABASE=URL] bench_document [benchmark options]
#include "docs/document_kind.h"
#include "docs/document_records.h"
#include "docs/export_format.h"
#include "docs/file_records.h"
#include "grid/grid_model.h"
#include "qt_benchmark_main.h"
#include "store/database.h"
#include "store/store_error.h"
#include "ui/grid_columns.h"
#include "ui/record_rows.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

#include <benchmark/benchmark.h>

namespace {

using vlr::docs::ColumnSort;

constexpr int kFileRecords = 65535;
constexpr int kDroppedRows = 10000;
constexpr int kRowsInView = 40;  // a maximised window's rows, and then some

void run(QSqlQuery& query, const QString& text) {
    if (!query.exec(text))
        throw vlr::store::StoreError(text);
}

QString benchServer() {
    return qEnvironmentVariable("VLR_BENCH_DATABASE");
}

// The server's database, with the same file and received rows as the local file's, made by the
// server itself.
class ServerFixture {
public:
    explicit ServerFixture(const QString& url) {
        db_.open(vlr::store::parseDatabaseLocation(url));
        QSqlQuery query(db_.connection());
        run(query, QStringLiteral("INSERT INTO Catalog (FileName, DeviceListId, FileSaved) "
                                  "VALUES ('Архив', 5, 1), ('Новый', 5, 0)"));
        run(query, QStringLiteral("SELECT FileNameId FROM Catalog ORDER BY FileNameId"));
        query.next();
        fileNameId_ = query.value(0).toInt();
        query.next();
        emptyFileNameId_ = query.value(0).toInt();
        const QString values = QStringLiteral(
            "SELECT %1 i, timestamp '2013-01-01' + i * interval '1 minute', "
            "i % 40, i % 12, i * 0.5, i * 0.01, i * 0.25, 'бетон ' || (i % 9), 'сжатие', "
            "(i % 300) || ',5', '100х100х100', 'куб', '0,6', ");
        run(query,
            QStringLiteral("INSERT INTO Data (FileNameId, N, DateTime, F1, F2, F3, "
                           "F5, F10, T1, T7, T8, T2, T3, T9, Comment) ") +
                values.arg(QStringLiteral("%1,").arg(fileNameId_)) +
                QStringLiteral("'запись ' || i FROM generate_series(1, %1) i").arg(kFileRecords));
        run(query, QStringLiteral("INSERT INTO Data_Comm (N, DateTime, F1, F2, F3, F5, F10, "
                                  "T1, T7, T8, T2, T3, T9, DeviceListId, DeviceNArc, Station) ") +
                       values.arg(QString()) +
                       QStringLiteral("5, 1, '' FROM generate_series(1, %1) i").arg(kDroppedRows));
        run(query, QStringLiteral("SELECT DataId FROM Data_Comm ORDER BY DataId DESC"));
        while (query.next())
            receivedIds_.append(query.value(0).toInt());
    }
    vlr::store::Database db_;
    int fileNameId_ = 0;
    int emptyFileNameId_ = 0;
    QVector<int> receivedIds_;
};

// One database with an asphalt file of kFileRecords records in the order an archive read gives
// them, and kDroppedRows received asphalt rows; and the same on the server when one is given.
class Fixture {
public:
    static Fixture& get(bool onServer) {
        static Fixture fixture;
        if (onServer && !fixture.server_)
            fixture.server_ = std::make_unique<ServerFixture>(benchServer());
        fixture.onServer_ = onServer;
        return fixture;
    }
    const vlr::store::Database& db() const { return onServer_ ? server_->db_ : db_; }
    int fileNameId() const { return onServer_ ? server_->fileNameId_ : 1; }
    int emptyFileNameId() const { return onServer_ ? server_->emptyFileNameId_ : 2; }
    const QVector<int>& receivedIds() const {
        return onServer_ ? server_->receivedIds_ : receivedIds_;
    }

private:
    Fixture() {
        db_.open(dir_.filePath(vlr::store::Database::fileName()));
        QSqlQuery query(db_.connection());
        run(query, QStringLiteral("INSERT INTO Catalog (FileName, DeviceListId, FileSaved) "
                                  "VALUES ('Архив', 5, 1), ('Новый', 5, 0)"));
        const QString rows = QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ");
        const QString values = QStringLiteral(
            "SELECT %1 i, datetime('2013-01-01', '+' || i || ' minutes'), "
            "i % 40, i % 12, i * 0.5, i * 0.01, i * 0.25, 'бетон ' || (i % 9), 'сжатие', "
            "(i % 300) || ',5', '100х100х100', 'куб', '0,6', ");
        run(query, rows.arg(kFileRecords) +
                       QStringLiteral("INSERT INTO Data (FileNameId, N, [DateTime], F1, F2, F3, "
                                      "F5, F10, T1, T7, T8, T2, T3, T9, Comment) ") +
                       values.arg(QStringLiteral("1,")) + QStringLiteral("'запись ' || i FROM n"));
        run(query, rows.arg(kDroppedRows) +
                       QStringLiteral("INSERT INTO Data_Comm (N, [DateTime], F1, F2, F3, F5, F10, "
                                      "T1, T7, T8, T2, T3, T9, DeviceListId, DeviceNArc) ") +
                       values.arg(QString()) + QStringLiteral("5, 1 FROM n"));
        run(query, QStringLiteral("SELECT DataId FROM Data_Comm ORDER BY DataId DESC"));
        while (query.next())
            receivedIds_.append(query.value(0).toInt());
    }
    QTemporaryDir dir_;
    vlr::store::Database db_;
    QVector<int> receivedIds_;
    std::unique_ptr<ServerFixture> server_;
    bool onServer_ = false;
};

// The model of the asphalt window's grid: its columns, hidden ones included, with their
// texts, keyed by DataId.
void setUpModel(vlr::grid::GridModel& model, QStringList& fields) {
    std::vector<vlr::grid::GridColumn> columns;
    fields = QStringList{QStringLiteral("DataId")};
    for (const vlr::docs::GridColumn& column : vlr::docs::vtrAsphaltKind().grid.columns) {
        columns.push_back(vlr::ui::gridColumn(column));
        if (!fields.contains(column.field))
            fields << column.field;
    }
    model.setColumns(std::move(columns));
    model.setKeyField(QStringLiteral("DataId"));
}

void loadModel(benchmark::State& state, const vlr::docs::RecordOrder& order) {
    const Fixture& fixture = Fixture::get(state.range(0) == 1);
    vlr::grid::GridModel model;
    QStringList fields;
    setUpModel(model, fields);
    qsizetype shown = 0;
    for (auto _ : state) {
        model.setSource(
            fields, std::make_unique<vlr::ui::RecordRows>(std::make_unique<vlr::docs::FileRecords>(
                        fixture.db(), fixture.fileNameId(), order, fields)));
        for (int row = 0; row < kRowsInView; ++row) {
            for (int column = 0; column < model.columnCount(); ++column)
                shown += model.cellText(row, column).size();
        }
    }
    benchmark::DoNotOptimize(shown);
    state.counters["records"] = model.rowCount();
}

void BM_OpenFile(benchmark::State& state) {
    loadModel(state, {});
}

// After a Shift-click sort on two columns, the second one downwards.
void BM_ResortFile(benchmark::State& state) {
    loadModel(state, vlr::docs::recordOrder({{QStringLiteral("N"), ColumnSort::None},
                                             {QStringLiteral("F1"), ColumnSort::Ascending},
                                             {QStringLiteral("T1"), ColumnSort::Descending}}));
}

// Each iteration drops the received rows into the empty file and removes them again, untimed.
void BM_Drop(benchmark::State& state) {
    const Fixture& fixture = Fixture::get(state.range(0) == 1);
    QSqlQuery clear(fixture.db().connection());
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const vlr::docs::DropResult result = vlr::docs::copyReceivedRows(
            fixture.db(), fixture.emptyFileNameId(), fixture.receivedIds());
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (result.copied != kDroppedRows) {
            state.SkipWithError("not every row was copied");
            break;
        }
        run(clear, QStringLiteral("DELETE FROM Data WHERE FileNameId = %1")
                       .arg(fixture.emptyFileNameId()));
    }
}

// The whole file into a workbook in a temporary folder.
void BM_Export(benchmark::State& state) {
    const Fixture& fixture = Fixture::get(state.range(0) == 1);
    QTemporaryDir dir;
    for (auto _ : state)
        vlr::docs::exportDocumentAs(vlr::docs::ExportFormat::Xls, fixture.db(),
                                    fixture.fileNameId(), vlr::docs::vtrAsphaltKind(), {},
                                    dir.filePath(QStringLiteral("file.xls")), [] {});
    state.counters["records"] = kFileRecords;
}

// server:0 the local file, server:1 the server's database (when VLR_BENCH_DATABASE is set); the
// local file's runs come first, the server's after them.
const int kLastBackend = benchServer().isEmpty() ? 0 : 1;
BENCHMARK(BM_OpenFile)
    ->ArgName("server")
    ->DenseRange(0, kLastBackend)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResortFile)
    ->ArgName("server")
    ->DenseRange(0, kLastBackend)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->ArgName("server")->DenseRange(0, kLastBackend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Drop)
    ->ArgName("server")
    ->DenseRange(0, kLastBackend)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

VLR_QT_BENCHMARK_MAIN()
