#include "store/query.h"
#include "store/statements.h"
#include "store/text_collation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlQuery>

#include <algorithm>

#include "support/temp_database.h"

namespace vlr::store {
namespace {

using TextOrderTest = test::TempDatabaseTest;

const QStringList kMixed{"Ж",   "Ёмкость",       "бетон", "Арматура",
                         "Ель", "Бетон тяжелый", "zeta",  "Alpha"};
const QStringList kOrdered{"Арматура", "бетон", "Бетон тяжелый", "Ель",
                           "Ёмкость",  "Ж",     "Alpha",         "zeta"};

QStringList column(Query& query, const QString& field) {
    QStringList values;
    QSqlQuery& rows = query.open();
    while (rows.next())
        values << (rows.value(field).isNull() ? QStringLiteral("<null>")
                                              : rows.value(field).toString());
    return values;
}

TEST_F(TextOrderTest, TextsSortInRussianWithoutCaseInTheStatementsAndInMemory) {
    // A record's material and the files' names, each list in its mixed order.
    const int file = createFile(QStringLiteral("Образцы"), 2, true);
    QSqlQuery insert(db_.connection());
    for (const QString& text : kMixed + QStringList{QString(), QStringLiteral("Ж")}) {
        ASSERT_TRUE(
            insert.prepare(QStringLiteral("INSERT INTO Data (FileNameId, N, T1) "
                                          "VALUES (?, 1, ?)")));
        insert.addBindValue(file);
        insert.addBindValue(text.isNull() ? QVariant() : QVariant(text));
        ASSERT_TRUE(insert.exec());
        if (!text.isNull())
            createFile(text, 1, true);
    }

    Query ascending(db_, documentSearchStatement(orderByLine({{QStringLiteral("T1"), false}})));
    ascending.set(QStringLiteral("PFileNameId"), file);
    const QStringList withTwin =
        QStringList{"<null>"} + kOrdered.mid(0, 6) + QStringList{"Ж"} + kOrdered.mid(6);
    EXPECT_EQ(column(ascending, QStringLiteral("T1")), withTwin);
    // Equal texts follow their DataId either way: the first "Ж" keeps the smaller id.
    Query descending(db_, documentSearchStatement(orderByLine({{QStringLiteral("T1"), true}})));
    descending.set(QStringLiteral("PFileNameId"), file);
    QStringList reversed = withTwin;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(column(descending, QStringLiteral("T1")), reversed);
    const QStringList ids = column(descending, QStringLiteral("DataId"));
    EXPECT_LT(ids[2].toInt(), ids[3].toInt());

    Query catalog(db_, ADOQuery_CatalogSearch());
    EXPECT_EQ(column(catalog, QStringLiteral("FileName")),
              (QStringList{"Арматура", "бетон", "Бетон тяжелый", "Ель", "Ёмкость", "Ж", "Ж",
                           "Образцы", "Alpha", "zeta"}));

    // In memory the same order: case only breaks ties, by the bytes.
    QStringList sorted = kMixed;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return compareTexts(a, b) < 0; });
    EXPECT_EQ(sorted, kOrdered);
    const std::vector<int> ranks = rankTexts(kMixed + QStringList{"БЕТОН", "бетон"});
    EXPECT_EQ(ranks, (std::vector<int>{6, 5, 2, 0, 4, 3, 8, 7, 1, 2}));
    EXPECT_LT(compareTexts(QStringLiteral("БЕТОН"), QStringLiteral("бетон")), 0);
    EXPECT_EQ(compareUtf8Texts("Ёж", "Ёж"), 0);
}

// Only the store calls SQLite itself, through the one handle that checks the library is the
// driver's: a call anywhere else could skip that check.
TEST(SqliteCalls, OnlyTheStoreCallsSqliteItself) {
    const QDir sources(QStringLiteral(VLR_TEST_SOURCE_DIR "/../../src"));
    ASSERT_TRUE(sources.exists());
    QStringList callers;
    QDirIterator files(sources.path(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (sources.relativeFilePath(path).startsWith(QLatin1String("store/")))
            continue;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray text = file.readAll();
        if (text.contains("sqlite3_") || text.contains("<sqlite3.h>"))
            callers << sources.relativeFilePath(path);
    }
    EXPECT_EQ(callers, QStringList());
}

}  // namespace
}  // namespace vlr::store
