#include "store/received_rows_file.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QSqlQuery>

namespace vlr::store {
namespace {

using ReceivedRowsFileTest = test::BothDatabasesTest;

// The asphalt variant's two archives (three strength rows, two asphalt rows) saved while the
// disk fills up at the given copied row: either both files are saved whole, or neither exists.
TEST_P(ReceivedRowsFileTest, AFailurePartWayLeavesNoNewFileAndSaysSo) {
    for (int archive : {0, 0, 0, 1, 1}) {
        Query(db_, ADOQuery_CommAdd())
            .set(QStringLiteral("PN"), 1)
            .set(QStringLiteral("PDeviceListId"), 5)
            .set(QStringLiteral("PDeviceNArc"), archive)
            .set(QStringLiteral("PF1"), 1.5)
            .exec();
    }
    const int older = createFile(QStringLiteral("Архив"), 2, true);
    QSqlQuery query(db_.connection());
    for (int failingRow : {2, 4}) {
        ASSERT_TRUE(query.exec(backend() == test::Backend::Server
                                   ? QStringLiteral("DROP TRIGGER IF EXISTS disk_full ON Data")
                                   : QStringLiteral("DROP TRIGGER IF EXISTS disk_full")));
        // The row fails as a full disk would, in each engine's own words.
        ASSERT_TRUE(query.exec(
            backend() == test::Backend::Server
                ? QStringLiteral("CREATE OR REPLACE FUNCTION disk_full() RETURNS trigger "
                                 "LANGUAGE plpgsql AS $$ BEGIN IF (SELECT count(*) FROM Data) = %1 "
                                 "THEN RAISE 'диск полон'; END IF; RETURN NEW; END $$")
                      .arg(failingRow - 1)
                : QStringLiteral("CREATE TEMP TRIGGER disk_full BEFORE INSERT ON "
                                 "Data WHEN (SELECT count(*) FROM Data) = %1 "
                                 "BEGIN SELECT RAISE(ABORT, 'диск полон'); END")
                      .arg(failingRow - 1)));
        if (backend() == test::Backend::Server) {
            ASSERT_TRUE(
                query.exec(QStringLiteral("CREATE TRIGGER disk_full BEFORE INSERT ON Data "
                                          "FOR EACH ROW EXECUTE FUNCTION disk_full()")));
        }
        try {
            saveReceivedRows(db_, QStringLiteral("Архив"), 5, 2);
            ADD_FAILURE() << "row " << failingRow << " failed unnoticed";
        } catch (const StoreError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("диск полон"))) << error.what();
            EXPECT_TRUE(error.message().contains(QStringLiteral("не сохранён"))) << error.what();
        }
        EXPECT_EQ(count(QStringLiteral("Catalog")), 1) << failingRow;
        EXPECT_EQ(firstValue(QStringLiteral("SELECT FileNameId FROM Catalog")).toInt(), older);
        EXPECT_EQ(count(QStringLiteral("Data")), 0) << failingRow;
    }

    ASSERT_TRUE(query.exec(backend() == test::Backend::Server
                               ? QStringLiteral("DROP TRIGGER disk_full ON Data")
                               : QStringLiteral("DROP TRIGGER disk_full")));
    const auto files = saveReceivedRows(db_, QStringLiteral("Архив"), 5, 2);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].rows + files[1].rows, 5);
    EXPECT_EQ(count(QStringLiteral("Catalog")), 3);
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("F1 = 1.5")), 5);
}

}  // namespace
VLR_ON_BOTH_DATABASES(ReceivedRowsFileTest);

}  // namespace vlr::store
