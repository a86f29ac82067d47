#include "store/schema.h"

namespace vlr::store {
namespace {

// Column constraints by declared type. SQLite's own affinities are loose, so the limits of
// each type are checks: an over-long text or an out-of-range number fails its statement.
QString longColumn(const QString& name) {
    return QStringLiteral("%1 INTEGER CHECK (%1 BETWEEN -2147483648 AND 2147483647)").arg(name);
}
QString shortColumn(const QString& name) {
    return QStringLiteral("%1 INTEGER CHECK (%1 BETWEEN -32768 AND 32767)").arg(name);
}
QString bitColumn(const QString& name) {
    return QStringLiteral("%1 INTEGER CHECK (%1 IN (0, 1))").arg(name);
}
// A flag the program relies on being set (a file's saved state, a row's printable mark): a null
// written to it stores false, so a file can never be neither saved nor temporary and escape both
// the catalog list and the clean-up.
QString flagColumn(const QString& name) {
    return QStringLiteral("%1 INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0 CHECK (%1 IN (0, 1))")
        .arg(name);
}
QString textColumn(const QString& name, int size) {
    return QStringLiteral("%1 TEXT CHECK (length(%1) <= %2)").arg(name).arg(size);
}
QString dateTimeColumn(const QString& name, const QString& extra = QString()) {
    // Stored as local "YYYY-MM-DD HH:MM:SS" so that text order is chronological order. Only a
    // real date and time passes: normalising gives back the same text for nothing else (a
    // 29 February of a common year or a 24:00 would roll over to the next day).
    return QStringLiteral(
               "[%1] TEXT%2 CHECK ([%1] IS NULL OR datetime([%1], '+0 seconds') IS [%1])")
        .arg(name, extra);
}
QString singleColumn(const QString& name) {
    // Values arrive already rounded to single precision by the IEEESingle parameters.
    return QStringLiteral("%1 REAL").arg(name);
}
QString decimalColumn(const QString& name) {
    // Decimal(18,5): at most 13 digits before the point; the rounding to 5 decimals is done by
    // the triggers of decimalRoundingTriggers().
    return QStringLiteral("%1 REAL CHECK (%1 IS NULL OR abs(%1) < 1e13)").arg(name);
}

// A Decimal(18,5) column keeps any number written to it rounded to 5 decimals, whoever writes it.
QStringList decimalRoundingTriggers(const QString& table, const QString& key) {
    QStringList columns;
    QStringList assignments;
    for (int i = 1; i <= 10; ++i) {
        columns << QStringLiteral("F%1").arg(i);
        assignments << QStringLiteral("F%1 = round(F%1, 5)").arg(i);
    }
    const QString body = QStringLiteral("BEGIN UPDATE [%1] SET %2 WHERE %3 = NEW.%3; END")
                             .arg(table, assignments.join(QStringLiteral(", ")), key);
    return {
        QStringLiteral("CREATE TRIGGER %1_round_insert AFTER INSERT ON [%1] %2").arg(table, body),
        QStringLiteral("CREATE TRIGGER %1_round_update AFTER UPDATE OF %2 ON [%1] %3")
            .arg(table, columns.join(QStringLiteral(", ")), body)};
}

// N, DateTime, F1..F10, T1..T10, B1..B10, Comment: the record row shared by Data and Data_Comm.
QStringList recordRowColumns(QString (*numericColumn)(const QString&)) {
    QStringList columns{longColumn(QStringLiteral("N")),
                        dateTimeColumn(QStringLiteral("DateTime"))};
    for (int i = 1; i <= 10; ++i)
        columns << numericColumn(QStringLiteral("F%1").arg(i));
    for (int i = 1; i <= 10; ++i)
        columns << textColumn(QStringLiteral("T%1").arg(i), 50);
    for (int i = 1; i <= 10; ++i)
        columns << bitColumn(QStringLiteral("B%1").arg(i));
    columns << textColumn(QStringLiteral("Comment"), 100);
    return columns;
}

QString createTable(const QString& name, const QStringList& columns) {
    return QStringLiteral("CREATE TABLE [%1] (\n  %2\n)")
        .arg(name, columns.join(QStringLiteral(",\n  ")));
}

// A file's rows in the default order (N, then DateTime), as the document windows, printing and
// export read them: that order then needs no sort, and the same index finds a file's rows for
// the deletes.
QString dataOrderIndex() {
    return QStringLiteral(
        "CREATE INDEX IF NOT EXISTS Data_Order ON Data (FileNameId, N, [DateTime])");
}

// The received rows of one kind and archive in the receive view's order (N, then DateTime):
// opening a tab of tens of thousands of rows then needs no sort. Its first two columns find a
// kind's rows for the delete before a read, which an older index did alone.
QString dataCommOrderIndex() {
    return QStringLiteral(
        "CREATE INDEX IF NOT EXISTS Data_Comm_Order ON Data_Comm "
        "(DeviceListId, DeviceNArc, N, [DateTime])");
}

QString autoIncrementKey(const QString& name) {
    // AUTOINCREMENT: ids are never reused, as the original's AutoIncrement columns.
    return QStringLiteral("%1 INTEGER PRIMARY KEY AUTOINCREMENT").arg(name);
}

}  // namespace

QStringList requiredTables() {
    return {QStringLiteral("Catalog"), QStringLiteral("Data"), QStringLiteral("Data_Comm"),
            QStringLiteral("DeviceList")};
}

QStringList schemaUpgradeStatements() {
    return {dataOrderIndex(), dataCommOrderIndex(),
            QStringLiteral("DROP INDEX IF EXISTS Data_Comm_Device")};
}

QStringList schemaStatements() {
    QStringList statements;
    statements << createTable(
        QStringLiteral("Catalog"),
        {autoIncrementKey(QStringLiteral("FileNameId")),
         dateTimeColumn(QStringLiteral("DataTime"),
                        QStringLiteral(" DEFAULT (datetime('now', 'localtime'))")),
         longColumn(QStringLiteral("DeviceListId")), textColumn(QStringLiteral("FileName"), 50),
         flagColumn(QStringLiteral("FileSaved")), textColumn(QStringLiteral("Comment"), 100),
         textColumn(QStringLiteral("Station"), 50)});

    QStringList data{autoIncrementKey(QStringLiteral("DataId")),
                     longColumn(QStringLiteral("FileNameId"))};
    data << recordRowColumns(decimalColumn);
    data << flagColumn(QStringLiteral("Printable"));
    statements << createTable(QStringLiteral("Data"), data);
    statements << decimalRoundingTriggers(QStringLiteral("Data"), QStringLiteral("DataId"));
    statements << dataOrderIndex();

    QStringList comm{autoIncrementKey(QStringLiteral("DataId")),
                     longColumn(QStringLiteral("DeviceListId")),
                     longColumn(QStringLiteral("DeviceNArc"))};
    comm << recordRowColumns(singleColumn) << textColumn(QStringLiteral("Station"), 50);
    statements << createTable(QStringLiteral("Data_Comm"), comm);
    statements << dataCommOrderIndex();

    statements << createTable(
        QStringLiteral("DeviceList"),
        {autoIncrementKey(QStringLiteral("DeviceListId")),
         textColumn(QStringLiteral("DeviceName"), 50), shortColumn(QStringLiteral("DeviceNumArc")),
         dateTimeColumn(QStringLiteral("DeviceVersion")), shortColumn(QStringLiteral("DeviceType")),
         shortColumn(QStringLiteral("DeviceSubType")), textColumn(QStringLiteral("Comment"), 50)});

    // The instrument kinds; the program relies only on the ids.
    statements << QStringLiteral(
        "INSERT INTO DeviceList (DeviceListId, DeviceName, DeviceNumArc, DeviceVersion, "
        "DeviceType, "
        "DeviceSubType) VALUES\n"
        "  (1, 'ОСК-К9', 1, '2012-12-31 00:00:00', 1, 0),\n"
        "  (2, 'ВТР-К9', 1, '2012-12-31 00:00:00', 2, 30),\n"
        "  (3, 'ВТР-К9', 1, '2012-12-31 00:00:00', 2, 40),\n"
        "  (4, 'ВТР-К9', 1, '2012-12-31 00:00:00', 2, 50),\n"
        "  (5, 'ВТР-К9', 2, '2012-12-31 00:00:00', 2, 41)");
    return statements;
}

}  // namespace vlr::store
