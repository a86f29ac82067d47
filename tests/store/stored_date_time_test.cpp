#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"

#include <QByteArray>

#include <cstdlib>
#include <ctime>

#include "support/temp_database.h"

namespace vlr::store {
namespace {

// The process's time zone set to zone while it lives, the previous one restored after.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        const char* current = std::getenv("TZ");
        hadZone_ = current != nullptr;
        previous_ = QByteArray(current);
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (hadZone_)
            ::setenv("TZ", previous_.constData(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool hadZone_ = false;
    QByteArray previous_;
};

class StoredDateTimeTest : public test::TempDatabaseTest {
protected:
    // A received row with the date-time value, and the text the table keeps of it.
    QString storedText(const QDateTime& value) {
        Query(db_, ADOQuery_CommAdd()).set(QStringLiteral("PDateTime"), value).exec();
        return firstValue(QStringLiteral("SELECT [DateTime] FROM Data_Comm ORDER BY DataId DESC"))
            .toString();
    }
};

TEST_F(StoredDateTimeTest, ReadingsInAClockChangeKeepTheirWallClockTime) {
    ScopedTimeZone berlin("Europe/Berlin");
    // The zone is in effect: an hour ahead of UTC in winter.
    ASSERT_EQ(QDateTime(QDate(2024, 1, 15), QTime(12, 0)).offsetFromUtc(), 3600);

    // Skipped by the spring-forward, repeated by the fall-back, and an ordinary hour.
    for (const QString& text :
         {QStringLiteral("2024-03-31 02:30:00"), QStringLiteral("2024-10-27 02:30:00"),
          QStringLiteral("2024-07-01 12:00:59")}) {
        const QDateTime value = fromStoredDateTime(text);
        ASSERT_TRUE(value.isValid()) << text.toStdString();
        EXPECT_EQ(value.date(), QDate::fromString(text.left(10), Qt::ISODate));
        EXPECT_EQ(value.time(), QTime::fromString(text.mid(11), Qt::ISODate));
        EXPECT_EQ(toStoredDateTime(value), text);
        // Written back through a statement, the table keeps the same reading.
        EXPECT_EQ(storedText(value), text);
    }
}

TEST_F(StoredDateTimeTest, NullAndMalformedTextsAreNoDateTime) {
    EXPECT_FALSE(fromStoredDateTime(QVariant()).isValid());
    for (const char* text :
         {"", "2024-02-30 10:00:00", "2024-03-31 24:00:00", "2024-03-31T02:30:00",
          "2024-03-31 02:30", "2024-03-31 02:30:00 ", "31.03.2024 02:30:00"})
        EXPECT_FALSE(fromStoredDateTime(QString::fromLatin1(text)).isValid()) << text;
    EXPECT_EQ(fromStoredDateTime(QStringLiteral("2024-02-29 23:59:59")),
              QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59), Qt::UTC));
}

}  // namespace
}  // namespace vlr::store
