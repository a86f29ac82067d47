#pragma once

#include "store/database.h"
#include "store/query.h"
#include "store/statements.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <cstdio>
#include <cstdlib>

namespace vlr::bench {

// A saved asphalt file of realistic records, made in one transaction: every column the
// window, the report and the export show is filled with texts of the kind's usual length, and
// every fifth record has a note ("Образец N, партия M" followed by noteTail). Returns its
// FileNameId; a failure ends the benchmark.
inline int fillAsphaltFile(store::Database& database, int records, const QString& noteTail) {
    store::Query(database, store::ADOQuery_CreateFile())
        .set(QStringLiteral("PFileName"), QStringLiteral("Асфальт"))
        .set(QStringLiteral("PDeviceListId"), 5)
        .set(QStringLiteral("PFileSaved"), true)
        .exec();
    QSqlQuery query(database.connection());
    query.exec(QStringLiteral("SELECT max(FileNameId) FROM Catalog"));
    query.next();
    const int file = query.value(0).toInt();

    database.connection().transaction();
    query.prepare(QStringLiteral(
        "INSERT INTO Data (FileNameId, N, [DateTime], F1, F2, F3, F5, F10, T1, T2, T7, T8, T9, "
        "Comment) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int n = 1; n <= records; ++n) {
        const QVariantList values{
            file,
            n,
            QStringLiteral("2025-%1-%2 %3:%4:%5")
                .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
                .arg(n % 28 + 1, 2, 10, QLatin1Char('0'))
                .arg(n % 24, 2, 10, QLatin1Char('0'))
                .arg(n % 60, 2, 10, QLatin1Char('0'))
                .arg(n * 7 % 60, 2, 10, QLatin1Char('0')),
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
            n % 5 == 0
                ? QVariant(QStringLiteral("Образец %1, партия %2").arg(n).arg(n / 50) + noteTail)
                : QVariant()};
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec()) {
            std::fprintf(stderr, "insert failed\n");
            std::exit(1);
        }
    }
    database.connection().commit();
    return file;
}

}  // namespace vlr::bench
