// The data grid on a file of 65,535 records of the Data table's shape (every field of the
// row read, as the document windows read `select *`): reading the rows into the grid and
// showing it, then reading them again after the order changed, each timed from running the
// query to the painted grid. Target: under 0.2 s for each. The reload also runs on the
// columns' fields only, and the query alone shows the database driver's share.
//
// Usage: bench_grid [benchmark options]   (runs offscreen unless QT_QPA_PLATFORM says else)

#include "grid/data_grid.h"
#include "store/schema.h"

#include "qt_benchmark_main.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace vlr;

constexpr int kRecords = 65535;
constexpr int kFileNameId = 1;
const char* const kConnection = "bench_grid";

QSqlDatabase database() {
    return QSqlDatabase::database(QString::fromLatin1(kConnection));
}

bool run(QSqlQuery& query, const QString& sql) {
    if (query.exec(sql))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
    return false;
}

// One file of realistic press records: numbers with decimals, short texts, flags.
bool fillDatabase() {
    QSqlDatabase db =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QString::fromLatin1(kConnection));
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open())
        return false;
    QSqlQuery query(db);
    for (const QString& statement : store::schemaStatements())
        if (!run(query, statement))
            return false;
    db.transaction();
    QStringList names{QStringLiteral("FileNameId"), QStringLiteral("N"),
                      QStringLiteral("DateTime")};
    for (const char* prefix : {"F", "T", "B"})
        for (int i = 1; i <= 10; ++i)
            names << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i);
    names << QStringLiteral("Comment") << QStringLiteral("Printable");
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    query.prepare(QStringLiteral("INSERT INTO Data (%1) VALUES (%2)")
                      .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    const QDateTime start(QDate(2026, 3, 1), QTime(8, 0));
    for (int record = 0; record < kRecords; ++record) {
        QVariantList values{kFileNameId, record % 500 + 1,
                            start.addSecs(record * 37).toString(Qt::ISODate).replace('T', ' ')};
        for (int i = 1; i <= 10; ++i)
            values << (record % 997) * 0.37 + i;
        for (int i = 1; i <= 10; ++i)
            values << QStringLiteral("Образец %1-%2").arg(record % 89).arg(i);
        for (int i = 1; i <= 10; ++i)
            values << ((record + i) % 2 == 0);
        values << (record % 10 == 0 ? QVariant(QStringLiteral("примечание")) : QVariant());
        values << true;
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(static_cast<int>(i), values.at(i));
        if (!query.exec())
            return false;
    }
    return db.commit();
}

// The columns of the asphalt document window, with their formats.
std::vector<grid::GridColumn> documentColumns() {
    using grid::GridColumn;
    const auto decimals = [](int places) {
        return [places](const QVariant& value) {
            return value.isNull() ? QString() : QLocale().toString(value.toDouble(), 'f', places);
        };
    };
    const auto dateTime = [](const QVariant& value) {
        const QDateTime stamp = QDateTime::fromString(value.toString(), Qt::ISODate);
        return QLocale().toString(stamp, QLocale::ShortFormat);
    };
    const Qt::Alignment centre = Qt::AlignCenter;
    return {
        {QStringLiteral("N"), QStringLiteral("№"), 17, centre},
        {QStringLiteral("DateTime"), QStringLiteral("Дата/Время"), 54, centre, Qt::AlignCenter,
         dateTime},
        {QStringLiteral("DataId"), QString(), 10, centre, Qt::AlignCenter, {}, true},
        {QStringLiteral("F1"), QStringLiteral("№ серии"), 43, centre},
        {QStringLiteral("F2"), QStringLiteral("№ образца"), 43, centre},
        {QStringLiteral("T1"), QStringLiteral("Материал"), 79, centre},
        {QStringLiteral("T7"), QStringLiteral("Метод испытания"), 62, centre},
        {QStringLiteral("F3"), QStringLiteral("P, кН"), 45, centre, Qt::AlignCenter, decimals(2)},
        {QStringLiteral("T8"), QStringLiteral("R, МПа"), 51, centre},
        {QStringLiteral("T3"), QStringLiteral("Форма"), 87, centre, Qt::AlignCenter, {}, true},
        {QStringLiteral("T2"), QStringLiteral("Размер, мм"), 73, centre},
        {QStringLiteral("F5"), QStringLiteral("Перемещение L,мм."), 66, centre, Qt::AlignCenter,
         decimals(2)},
        {QStringLiteral("T9"), QStringLiteral("Скорость нагружения V, мм/мин. "), 66, centre},
        {QStringLiteral("F10"), QStringLiteral("Работа A, Дж."), 62, centre, Qt::AlignCenter,
         decimals(2)},
        {QStringLiteral("Comment"), QStringLiteral("Примечание"), 55,
         Qt::AlignLeft | Qt::AlignVCenter}};
}

// The grid's own fields: what a window could select instead of every field of the row.
QString columnFields() {
    QStringList fields;
    for (const grid::GridColumn& column : documentColumns())
        fields << column.field;
    return fields.join(QStringLiteral(", "));
}

void loadFile(grid::DataGrid& grid, const QString& order,
              const QString& fields = QStringLiteral("*")) {
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("select %1 from [Data] where FileNameId=? order by %2").arg(fields, order));
    query.addBindValue(kFileNameId);
    if (!query.exec())
        std::abort();
    grid.loadFromQuery(query);
    grid.viewport()->repaint();
}

void configure(grid::DataGrid& grid) {
    grid.setColumns(documentColumns());
    grid.setKeyField(QStringLiteral("DataId"));
    grid.setTitleSort(grid::DataGrid::TitleSort::Several);
    grid.resize(696, 480);
}

// The floor under both: the database driver alone running the query and stepping through it.
void BM_QueryAlone(benchmark::State& state) {
    for (auto _ : state) {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        query.prepare(
            QStringLiteral("select * from [Data] where FileNameId=? order by T1, F3 DESC"));
        query.addBindValue(kFileNameId);
        if (!query.exec())
            std::abort();
        int rows = 0;
        while (query.next())
            ++rows;
        if (rows != kRecords)
            state.SkipWithError("rows missing");
    }
}
BENCHMARK(BM_QueryAlone)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_OpenFileInNewGrid(benchmark::State& state) {
    for (auto _ : state) {
        grid::DataGrid grid;
        configure(grid);
        grid.show();
        loadFile(grid, QStringLiteral("N, DateTime"));
        if (grid.rowCount() != kRecords)
            state.SkipWithError("rows missing");
    }
    state.counters["rows"] = kRecords;
}
BENCHMARK(BM_OpenFileInNewGrid)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Argument 0: every field of the row (select *); 1: the columns' fields only.
void BM_ReloadAfterOrderChange(benchmark::State& state) {
    const QString fields = state.range(0) == 0 ? QStringLiteral("*") : columnFields();
    grid::DataGrid grid;
    configure(grid);
    grid.show();
    loadFile(grid, QStringLiteral("N, DateTime"), fields);
    const QString orders[] = {QStringLiteral("T1, F3 DESC"), QStringLiteral("N, DateTime")};
    int turn = 0;
    for (auto _ : state) {
        loadFile(grid, orders[turn++ % 2], fields);
        if (grid.rowCount() != kRecords)
            state.SkipWithError("rows missing");
    }
    state.counters["rows"] = kRecords;
}
BENCHMARK(BM_ReloadAfterOrderChange)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return vlr::bench::runQtBenchmarks(argc, argv, vlr::bench::QtNeeds::Widgets, [] {
        if (fillDatabase())
            return true;
        std::fprintf(stderr, "cannot fill the benchmark's database\n");
        return false;
    });
}
