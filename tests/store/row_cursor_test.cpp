#include "store/row_cursor.h"
#include "store/sqlite_library.h"

#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vlr::store {
namespace {

class RowCursorTest : public test::BothDatabasesTest {
protected:
    void SetUp() override {
        test::BothDatabasesTest::SetUp();
        file_ = createFile(QStringLiteral("Образцы"), 1, true);
        other_ = createFile(QStringLiteral("Другой"), 1, true);
        // Inserted out of order, so the rows come back sorted only if the statement's own
        // order is kept.
        insert(file_, 2, QStringLiteral("2013-01-02 10:00:00"));
        insert(file_, 1, QStringLiteral("2013-01-03 10:00:00"));
        insert(file_, 2, QStringLiteral("2013-01-01 10:00:00"));
        insert(file_, 3, QStringLiteral("2013-01-01 09:00:00"));
        insert(other_, 0, QStringLiteral("2013-01-01 08:00:00"));
    }

    void insert(int file, int n, const QString& dateTime) {
        QSqlQuery query(db_.connection());
        ASSERT_TRUE(query.prepare(QStringLiteral(
            "INSERT INTO Data (FileNameId, N, DateTime) VALUES (:file, :n, :dateTime)")));
        query.bindValue(QStringLiteral(":file"), file);
        query.bindValue(QStringLiteral(":n"), n);
        query.bindValue(QStringLiteral(":dateTime"), dateTime);
        ASSERT_TRUE(query.exec());
    }

    // The N.day pairs of the rows a cursor steps through.
    static QString order(RowCursor& cursor) {
        const int n = cursor.columnIndex(QStringLiteral("N"));
        const int dateTime = cursor.columnIndex(QStringLiteral("DateTime"));
        QStringList result;
        while (cursor.next())
            result << QString::number(cursor.integer(n)) + QLatin1Char('.') +
                          QString::fromUtf8(cursor.utf8(dateTime)).mid(8, 2);
        return result.join(QLatin1Char(' '));
    }

    static ParamDecl decl(const char* name, vlr::store::ParamType type, int size = 0,
                          const QVariant& defaultValue = QVariant()) {
        return ParamDecl{QString::fromLatin1(name), type, size, defaultValue};
    }

    static Statement rowSet(const QString& text, QVector<ParamDecl> params = {}) {
        return Statement{QStringLiteral("Test"), std::move(params), text, true};
    }

    int file_ = 0;
    int other_ = 0;
};

TEST_P(RowCursorTest, SearchAndPrintStepOnlyTheFilesRowsInTheStatementsOrder) {
    for (const Statement* statement : {&ADOQuery_Search(), &ADOQuery_Print()}) {
        Query query(db_, *statement);
        query.set(QStringLiteral("PFileNameId"), file_);
        RowCursor cursor(db_, query);
        EXPECT_EQ(order(cursor), QStringLiteral("1.03 2.01 2.02 3.01"))
            << statement->name.toStdString();
    }

    Query otherFile(db_, ADOQuery_Search());
    otherFile.set(QStringLiteral("PFileNameId"), other_);
    RowCursor otherRows(db_, otherFile);
    EXPECT_EQ(order(otherRows), QStringLiteral("0.01"));

    // Unset, the file id takes its declared default 0, which no file has.
    Query unset(db_, ADOQuery_Search());
    RowCursor none(db_, unset);
    EXPECT_FALSE(none.next());

    // A rebuilt order is followed as well.
    Query sorted(db_, documentSearchStatement(QStringLiteral("order by DateTime DESC;")));
    sorted.set(QStringLiteral("PFileNameId"), file_);
    RowCursor sortedRows(db_, sorted);
    EXPECT_EQ(order(sortedRows), QStringLiteral("1.03 2.02 2.01 3.01"));
}

TEST_P(RowCursorTest, ParametersAreBoundAsTheirDeclarationsConvertThem) {
    Query query(db_, rowSet(QStringLiteral("select :PSingle as S, :PWhen as W, :PFlag as B, "
                                           ":PName as T, :PNone as Z, :PCount as C"),
                            {decl("PSingle", vlr::store::ParamType::IEEESingle),
                             decl("PWhen", vlr::store::ParamType::DateTime),
                             decl("PFlag", vlr::store::ParamType::Bit),
                             decl("PName", vlr::store::ParamType::Text, 50),
                             decl("PNone", vlr::store::ParamType::Long),
                             decl("PCount", vlr::store::ParamType::Short, 0, 7)}));
    query.set(QStringLiteral("PSingle"), 0.1)
        .set(QStringLiteral("PWhen"), QDateTime(QDate(2013, 1, 2), QTime(10, 0, 5)))
        .set(QStringLiteral("PFlag"), 5)
        .set(QStringLiteral("PName"), QStringLiteral("Щебень"));
    RowCursor cursor(db_, query);
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.number(0), static_cast<double>(0.1f));
    EXPECT_EQ(QString::fromUtf8(cursor.utf8(1)), QStringLiteral("2013-01-02 10:00:05"));
    EXPECT_FALSE(cursor.isNull(2));
    EXPECT_EQ(cursor.integer(2), 1);
    EXPECT_EQ(QString::fromUtf8(cursor.utf8(3)), QStringLiteral("Щебень"));
    EXPECT_TRUE(cursor.isNull(4));
    EXPECT_EQ(cursor.integer(5), 7);
    EXPECT_FALSE(cursor.next());
}

TEST_P(RowCursorTest, AnUnsetTextParameterIsNullAsQSqlQueryBindsIt) {
    // A saved file with an empty name. FindFileId's name defaults to a null text, which
    // equals no name at all; bound as '' it would find this file.
    createFile(QStringLiteral(""), 1, true);
    Query query(db_, ADOQuery_FindFileId());
    int expected = 0;
    for (QSqlQuery& rows = query.open(); rows.next();)
        ++expected;
    query.rows().finish();

    RowCursor cursor(db_, query);
    int stepped = 0;
    while (cursor.next())
        ++stepped;
    EXPECT_EQ(expected, 0);
    EXPECT_EQ(stepped, expected);
}

TEST_P(RowCursorTest, ColumnIndexIgnoresCaseAndGivesMinusOneForUnknownNames) {
    Query query(db_, ADOQuery_Search());
    const QSqlRecord record = query.open().record();
    query.rows().finish();
    RowCursor cursor(db_, query);
    for (const char* name : {"DataId", "FileNameId", "N", "DateTime", "F10", "T1", "Comment"}) {
        const QString field = QString::fromLatin1(name);
        const int expected = record.indexOf(field);
        ASSERT_GE(expected, 0) << name;
        EXPECT_EQ(cursor.columnIndex(field), expected) << name;
        EXPECT_EQ(cursor.columnIndex(field.toLower()), expected) << name;
        EXPECT_EQ(cursor.columnIndex(field.toUpper()), expected) << name;
    }
    EXPECT_EQ(cursor.columnIndex(QStringLiteral("F11")), -1);
    EXPECT_EQ(cursor.columnIndex(QStringLiteral("Data")), -1);
    EXPECT_EQ(cursor.columnIndex(QString()), -1);
}

TEST_P(RowCursorTest, FieldsReadBackExactlyAsStored) {
    const QString cyrillic = QStringLiteral("Прочность на сжатие, МПа");
    const QString beyondBmp = QStringLiteral("образец \U0001D11E \U0001F600");
    const int file = createFile(QStringLiteral("Значения"), 1, true);
    QSqlQuery insert(db_.connection());
    ASSERT_TRUE(insert.prepare(
        QStringLiteral("INSERT INTO Data (FileNameId, N, F1, F2, F3, T1, T2, T3, B1) "
                       "VALUES (:file, :n, :f1, :f2, NULL, :t1, :t2, '', 1)")));
    insert.bindValue(QStringLiteral(":file"), file);
    insert.bindValue(QStringLiteral(":n"), 2147483647);
    insert.bindValue(QStringLiteral(":f1"), 123456.78901);
    insert.bindValue(QStringLiteral(":f2"), -0.00001);
    insert.bindValue(QStringLiteral(":t1"), cyrillic);
    insert.bindValue(QStringLiteral(":t2"), beyondBmp);
    ASSERT_TRUE(insert.exec()) << insert.lastError().text().toStdString();

    Query query(db_, ADOQuery_Print());
    query.set(QStringLiteral("PFileNameId"), file);
    QSqlQuery& reference = query.open();
    ASSERT_TRUE(reference.next());
    const QSqlRecord stored = reference.record();
    query.rows().finish();

    // Read on SQLite's own interface, and through the driver as when the two SQLite libraries
    // differ: the same values either way.
    for (const auto reading : {RowCursor::Reading::Direct, RowCursor::Reading::ThroughDriver}) {
        RowCursor cursor(db_, query, reading);
        ASSERT_TRUE(cursor.next()) << int(reading);
        auto column = [&](const char* name) {
            return cursor.columnIndex(QString::fromLatin1(name));
        };
        EXPECT_EQ(cursor.integer(column("N")), 2147483647);
        EXPECT_EQ(cursor.integer(column("B1")), 1);
        EXPECT_EQ(cursor.number(column("F1")), 123456.78901);
        EXPECT_EQ(cursor.number(column("F1")), stored.value(QStringLiteral("F1")).toDouble());
        EXPECT_EQ(cursor.number(column("F2")), -0.00001);
        EXPECT_EQ(QString::fromUtf8(cursor.utf8(column("T1"))), cyrillic);
        EXPECT_EQ(QString::fromUtf8(cursor.utf8(column("T2"))), beyondBmp);
        EXPECT_EQ(cursor.utf8(column("T2")).size(), beyondBmp.toUtf8().size());

        for (const char* name : {"F3", "T4", "Comment", "DateTime"}) {
            EXPECT_TRUE(cursor.isNull(column(name))) << name;
            EXPECT_TRUE(cursor.utf8(column(name)).isEmpty()) << name;
        }
        // An empty text and a zero are values, not nulls.
        EXPECT_FALSE(cursor.isNull(column("T3")));
        EXPECT_TRUE(cursor.utf8(column("T3")).isEmpty());
        EXPECT_FALSE(cursor.isNull(column("N")));
        EXPECT_FALSE(cursor.next());
    }

    // A received single and a reading's date-time come out as a local file holds them.
    QSqlQuery received(db_.connection());
    ASSERT_TRUE(received.prepare(
        QStringLiteral("INSERT INTO Data_Comm (N, DateTime, F1, DeviceListId, DeviceNArc) "
                       "VALUES (1, :when, :single, 1, 1)")));
    received.bindValue(QStringLiteral(":when"), QStringLiteral("2013-01-02 10:00:05"));
    received.bindValue(QStringLiteral(":single"), static_cast<double>(5204.7f));
    ASSERT_TRUE(received.exec());
    Query receivedRows(db_, rowSet(QStringLiteral("select F1, DateTime from Data_Comm")));
    RowCursor singles(db_, receivedRows);
    ASSERT_TRUE(singles.next());
    EXPECT_EQ(singles.number(0), static_cast<double>(5204.7f));
    EXPECT_EQ(QString::fromUtf8(singles.utf8(1)), QStringLiteral("2013-01-02 10:00:05"));
}

// Date-times on both sides of the server's epoch (2000-01-01) and of leap days, and decimals
// of every sign and size, as the file holds them: on a server both are decoded from their
// binary forms.
TEST_P(RowCursorTest, DateTimesAndDecimalsReadAsTheFileHoldsThem) {
    const QStringList dateTimes{
        QStringLiteral("1899-12-30 00:00:00"), QStringLiteral("1970-01-01 00:00:01"),
        QStringLiteral("1999-12-31 23:59:59"), QStringLiteral("2000-01-01 00:00:00"),
        QStringLiteral("2000-02-29 12:00:00"), QStringLiteral("2024-02-29 12:34:56"),
        QStringLiteral("2100-03-01 07:08:09"), QStringLiteral("9999-12-31 23:59:59")};
    const int file = createFile(QStringLiteral("Даты"), 1, true);
    for (int n = 0; n < dateTimes.size(); ++n)
        insert(file, n, dateTimes.at(n));
    Query search(db_, ADOQuery_Search());
    search.set(QStringLiteral("PFileNameId"), file);
    RowCursor rows(db_, search);
    const int dateTime = rows.columnIndex(QStringLiteral("DateTime"));
    QStringList read;
    while (rows.next())
        read << QString::fromUtf8(rows.utf8(dateTime));
    EXPECT_EQ(read, dateTimes);

    for (const char* decimal : {"-1234.56789", "0.00001", "-0.5", "0", "123456789012.5",
                                "99999999.99999", "5204.7", "-0.000000012345"}) {
        Query query(db_, rowSet(QStringLiteral("select CAST(:PText AS numeric) AS D"),
                                {decl("PText", vlr::store::ParamType::Text, 50)}));
        query.set(QStringLiteral("PText"), QString::fromLatin1(decimal));
        RowCursor number(db_, query);
        ASSERT_TRUE(number.next()) << decimal;
        EXPECT_EQ(number.number(0), std::strtod(decimal, nullptr)) << decimal;
    }
}

TEST_P(RowCursorTest, TheDriverIsFoundToRunOnTheProgramsOwnSqliteAndIsReadDirectly) {
    // Debian's Qt driver links the system SQLite, as this program does; a server's rows are read
    // on libpq's own interface.
    EXPECT_TRUE(driverSharesSqliteLibrary());
    Query query(db_, ADOQuery_Print());
    EXPECT_EQ(RowCursor(db_, query).reading(), RowCursor::Reading::Direct);
}

TEST_P(RowCursorTest, NextStaysFalseAfterTheLastRowButAFailureWhileSteppingThrows) {
    Query query(db_, ADOQuery_Search());
    query.set(QStringLiteral("PFileNameId"), file_);
    RowCursor cursor(db_, query);
    for (int row = 0; row < 4; ++row)
        ASSERT_TRUE(cursor.next()) << row;
    EXPECT_FALSE(cursor.next());
    EXPECT_FALSE(cursor.next());
    EXPECT_FALSE(cursor.next());

    // abs() of the smallest integer overflows only when the row is computed (on a server, when
    // the rows are fetched, with the statement).
    Query overflow(db_, rowSet(QStringLiteral("select abs(-9223372036854775807 - 1)")));
    EXPECT_THROW(
        {
            RowCursor failing(db_, overflow);
            failing.next();
        },
        StoreError);
}

TEST_P(RowCursorTest, AStatementThatCannotBePreparedThrowsWithTheEnginesReason) {
    Query missing(db_, rowSet(QStringLiteral("select * from NoSuchTable where N=:PN"),
                              {decl("PN", vlr::store::ParamType::Long)}));
    try {
        RowCursor cursor(db_, missing);
        ADD_FAILURE() << "prepared a statement on a missing table";
    } catch (const StoreError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("NoSuchTable"), Qt::CaseInsensitive))
            << error.what();
    }
    Query broken(db_, rowSet(QStringLiteral("select from where")));
    EXPECT_THROW(RowCursor(db_, broken), StoreError);
}

VLR_ON_BOTH_DATABASES(RowCursorTest);

}  // namespace
}  // namespace vlr::store
