#include "docs/document_files.h"

#include "store/dialect.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <gtest/gtest.h>

namespace vlr::test {

int DocumentFilesTest::addSavedFile(const QString& name, int deviceListId) {
    return createFile(name, deviceListId, true);
}

void DocumentFilesTest::addRecord(int fileNameId, const QVariantMap& fields) {
    QStringList columns{QStringLiteral("FileNameId")};
    QStringList marks{QStringLiteral("?")};
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        columns << QLatin1Char('[') + it.key() + QLatin1Char(']');
        marks << QStringLiteral("?");
    }
    QSqlQuery insert(db_.connection());
    insert.prepare(store::engineText(
        db_, QStringLiteral("INSERT INTO Data (%1) VALUES (%2)")
                 .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))));
    insert.addBindValue(fileNameId);
    for (const QVariant& value : fields)
        insert.addBindValue(value);
    if (!insert.exec())
        ADD_FAILURE() << insert.lastError().text().toStdString();
}

void DocumentFilesTest::addNumberedRecords(int fileNameId, int count) {
    QStringList fields{QStringLiteral("N"), QStringLiteral("[DateTime]"),
                       QStringLiteral("Comment")};
    for (const char* group : {"F", "T"}) {
        for (int i = 1; i <= 10; ++i)
            fields << QString::fromLatin1(group) + QString::number(i);
    }
    QSqlDatabase connection = db_.connection();
    connection.transaction();
    // One prepared statement for every row: thousands of records are inserted in seconds.
    QSqlQuery insert(connection);
    insert.prepare(store::engineText(
        db_,
        QStringLiteral("INSERT INTO Data (FileNameId, %1) VALUES (?%2)")
            .arg(fields.join(QLatin1Char(',')), QStringLiteral(",?").repeated(fields.size()))));
    for (int n = 1; n <= count; ++n) {
        insert.addBindValue(fileNameId);
        insert.addBindValue(n);
        insert.addBindValue(QStringLiteral("2024-%1-%2 %3:%4:05")
                                .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
                                .arg(n % 28 + 1, 2, 10, QLatin1Char('0'))
                                .arg(n % 24, 2, 10, QLatin1Char('0'))
                                .arg(n % 60, 2, 10, QLatin1Char('0')));
        insert.addBindValue(QStringLiteral("Запись %1").arg(n));
        for (int i = 1; i <= 10; ++i)
            insert.addBindValue(n * 0.25 + i);
        for (int i = 1; i <= 10; ++i)
            insert.addBindValue(QStringLiteral("т%1-%2").arg(i).arg(n));
        if (!insert.exec()) {
            ADD_FAILURE() << insert.lastError().text().toStdString();
            break;
        }
    }
    connection.commit();
}

QJsonArray DocumentFilesTest::exportHeader(const docs::DocumentKind& kind) {
    QJsonArray header;
    for (const docs::ExportColumn& column : kind.columns)
        header.append(column.header);
    return header;
}

QSqlQuery DocumentFilesTest::exportedRecords(int fileNameId, const docs::DocumentKind& kind,
                                             const QString& orderBy) {
    QStringList fields;
    for (const docs::ExportColumn& column : kind.columns)
        fields << QLatin1Char('[') + column.field + QLatin1Char(']');
    QSqlQuery rows(db_.connection());
    rows.prepare(store::engineText(
        db_, QStringLiteral("SELECT %1 FROM Data WHERE FileNameId = ? ORDER BY %2")
                 .arg(fields.join(QLatin1Char(',')), orderBy)));
    rows.addBindValue(fileNameId);
    EXPECT_TRUE(rows.exec()) << rows.lastError().text().toStdString();
    return rows;
}

}  // namespace vlr::test
