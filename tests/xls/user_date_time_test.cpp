#include "xls/user_date_time.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace vlr::xls {
namespace {

// The user's date-time text under settings whose short dates differ in the year's width, with
// the time left out at exactly midnight, and never a zone name.
TEST(UserDateTimeTextTest, TheYearHasFourDigitsWhateverTheShortDateFormat) {
    const QDate date(2024, 3, 31);
    const QTime time(2, 30, 5);
    struct Case {
        QLocale locale;
        const char* withTime;
        const char* atMidnight;
    };
    const Case cases[] = {
        {QLocale(QLocale::Russian, QLocale::Russia), "31.03.2024 2:30:05", "31.03.2024"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "3/31/2024 2:30:05 AM", "3/31/2024"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "31/03/2024 02:30:05", "31/03/2024"},
        {QLocale(QLocale::German, QLocale::Germany), "31.03.2024 02:30:05", "31.03.2024"},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        EXPECT_EQ(userDateTimeText(date, time), QString::fromUtf8(c.withTime)) << c.withTime;
        EXPECT_EQ(userDateTimeText(QDateTime(date, QTime(0, 0), Qt::UTC)),
                  QString::fromUtf8(c.atMidnight));
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

}  // namespace
}  // namespace vlr::xls
