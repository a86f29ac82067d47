#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QSqlQuery>

namespace vlr::store {
namespace {

using ColumnTypesTest = test::TempDatabaseTest;

// Each limit is held twice: by the parameter before a statement runs, and by the column for
// any other writer.
TEST_F(ColumnTypesTest, IntegerParametersRefuseValuesOutsideTheirRange) {
    Query add(db_, ADOQuery_CommAdd());
    EXPECT_NO_THROW(add.set(QStringLiteral("PN"), 2147483647LL));
    EXPECT_NO_THROW(add.set(QStringLiteral("PN"), -2147483648LL));
    EXPECT_THROW(add.set(QStringLiteral("PN"), 2147483648LL), StoreError);
    EXPECT_THROW(add.set(QStringLiteral("PN"), QStringLiteral("сорок")), StoreError);
    Query search(db_, ADOQuery_SearchDev());
    EXPECT_NO_THROW(search.set(QStringLiteral("PDevType"), -32768));
    EXPECT_THROW(search.set(QStringLiteral("PDevType"), 32768), StoreError);
}

TEST_F(ColumnTypesTest, ColumnsRefuseWhatTheirTypeCannotHold) {
    struct Case {
        const char* sql;
        bool accepted;
    };
    const Case cases[] = {
        {"INSERT INTO Data_Comm (N) VALUES (2147483647)", true},
        {"INSERT INTO Data_Comm (N) VALUES (2147483648)", false},
        {"INSERT INTO Data_Comm (N) VALUES ('abc')", false},
        {"UPDATE DeviceList SET DeviceType = 32767", true},
        {"UPDATE DeviceList SET DeviceType = -32769", false},
        {"INSERT INTO Data_Comm (B1) VALUES (1)", true},
        {"INSERT INTO Data_Comm (B1) VALUES (2)", false},
        {"INSERT INTO Data_Comm ([DateTime]) VALUES ('2012-02-29 23:59:59')", true},
        {"INSERT INTO Data_Comm ([DateTime]) VALUES ('2013-02-29 10:00:00')", false},
        {"INSERT INTO Data_Comm ([DateTime]) VALUES ('2013-01-01 24:00:00')", false},
        {"INSERT INTO Data_Comm ([DateTime]) VALUES ('2013-01-01T10:00:00')", false},
        {"INSERT INTO Data_Comm ([DateTime]) VALUES ('01.02.2013 10:00:00')", false},
        {"INSERT INTO Data_Comm (T1) VALUES ('ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ')",
         true},
        {"INSERT INTO Data_Comm (T1) VALUES "
         "('ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ')",
         false},
        {"INSERT INTO Data (F1) VALUES (9999999999999.5)", true},
        {"INSERT INTO Data (F1) VALUES (-10000000000000)", false},
    };
    QSqlQuery query(db_.connection());
    for (const Case& c : cases)
        EXPECT_EQ(query.exec(QString::fromUtf8(c.sql)), c.accepted) << c.sql;
}

TEST_F(ColumnTypesTest, DecimalColumnsRoundEveryWriteToFiveDecimals) {
    QSqlQuery query(db_.connection());
    ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Data (N, F1, F10) VALUES (1, %1, 0.123456)")
                               .arg(static_cast<double>(12.3f), 0, 'g', 17)));
    ASSERT_TRUE(query.exec(QStringLiteral("UPDATE Data SET F2 = 2.000004, F3 = -7.777777")));
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT F1, F10, F2, F3, F4 FROM Data")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toDouble(), 12.3);
    EXPECT_EQ(query.value(1).toDouble(), 0.12346);
    EXPECT_EQ(query.value(2).toDouble(), 2.0);
    EXPECT_EQ(query.value(3).toDouble(), -7.77778);
    EXPECT_TRUE(query.value(4).isNull());
}

ParamDecl decl(const char* name, ParamType type) {
    return ParamDecl{QString::fromLatin1(name), type, 0, QVariant()};
}

TEST_F(ColumnTypesTest, BitAndDateTimeParametersStoreTheirCanonicalForms) {
    EXPECT_EQ(toParameterValue(decl("PB1", ParamType::Bit), true), QVariant(1));
    EXPECT_EQ(toParameterValue(decl("PB1", ParamType::Bit), 0), QVariant(0));
    EXPECT_TRUE(toParameterValue(decl("PB1", ParamType::Bit), QVariant()).isNull());
    EXPECT_EQ(toParameterValue(decl("PDateTime", ParamType::DateTime),
                               QDateTime(QDate(2009, 12, 31), QTime(7, 8, 9))),
              QVariant(QStringLiteral("2009-12-31 07:08:09")));
    EXPECT_EQ(toParameterValue(decl("PF1", ParamType::IEEESingle), 0.1),
              QVariant(static_cast<double>(0.1f)));
    EXPECT_THROW(toParameterValue(decl("PF1", ParamType::IEEESingle), qInf()), StoreError);
    EXPECT_THROW(toParameterValue(decl("PF1", ParamType::IEEESingle), 1e39), StoreError);
    EXPECT_EQ(toParameterValue(decl("PF1", ParamType::IEEESingle), -3.0e38),
              QVariant(static_cast<double>(-3.0e38f)));
}

TEST_F(ColumnTypesTest, AnInvalidDateTimeFailsTheStatementInsteadOfStoringGarbage) {
    Query add(db_, ADOQuery_CommAdd());
    add.set(QStringLiteral("PN"), 1);
    EXPECT_THROW(add.set(QStringLiteral("PDateTime"), QStringLiteral("31.12.2009")).exec(),
                 StoreError);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 0);
}

}  // namespace
}  // namespace vlr::store
