#include "link/record_decoder.h"

#include "store/store_error.h"
#include "support/temp_database.h"

#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

namespace vlr::link {
namespace {

class RecordDecoderTest : public test::TempDatabaseTest {
protected:
    // Stores one record and returns its row; payload bytes not given are 0.
    QSqlRecord store(int deviceListId, std::vector<int> values, int subType = 30, int archive = 0,
                     int size = PressRecordSize) {
        payload_.assign(static_cast<size_t>(size), 0);
        for (size_t i = 0; i < values.size() && i < payload_.size(); ++i)
            payload_[i] = static_cast<std::uint8_t>(values[i]);
        const RecordContext record{payload_.data(), size, deviceListId, subType, archive, 7};
        outcome_ = decodeRecord(record, db_);
        QSqlQuery query(db_.connection());
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT * FROM Data_Comm ORDER BY DataId DESC")));
        return query.next() ? query.record() : QSqlRecord();
    }
    // A press record with material m, shape s and method t, and the given size words.
    QSqlRecord press(int deviceListId, int m, int s, int t, int subType = 30, int archive = 0) {
        return store(deviceListId, {3, 1, m, s, t, 0xF4, 0x01, 0xE8, 0x03, 0x10, 0x27}, subType,
                     archive);
    }

    std::vector<std::uint8_t> payload_;
    RecordOutcome outcome_ = RecordOutcome::NotStored;
};

TEST_F(RecordDecoderTest, OskRecordStoresTablesModeValuesAndPosition) {
    const QSqlRecord row = store(1, {3, 2, 10, 12, 123 & 0xFF, 0, 0xFF, 0xFF, 0, 30, 9, 15, 3, 7},
                                 0, 0, OskRecordSize);
    ASSERT_EQ(outcome_, RecordOutcome::Stored);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("И1"));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("A-III"));
    EXPECT_EQ(row.value("T3").toString(), QStringLiteral("Свая"));
    EXPECT_EQ(row.value("T4").toString(), QStringLiteral("Определение d и H"));
    EXPECT_FLOAT_EQ(row.value("F1").toFloat(), 12.3f);
    EXPECT_FLOAT_EQ(row.value("F2").toFloat(), 6553.5f);
    EXPECT_EQ(row.value("DateTime").toString(), QStringLiteral("2007-03-15 09:30:00"));
    EXPECT_EQ(row.value("N").toInt(), 7);
    EXPECT_EQ(row.value("DeviceNArc").toInt(), 0);
    EXPECT_EQ(row.value("DeviceListId").toInt(), 1);
    for (const char* field : {"F3", "F10", "T5", "T10", "B1", "B10", "Comment"})
        EXPECT_TRUE(row.value(field).isNull()) << field;
}

TEST_F(RecordDecoderTest, OskIndexesOutsideTheTablesAndModeBits) {
    QSqlRecord row = store(1, {12, 7, 11, 4}, 0, 0, OskRecordSize);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_EQ(row.value("T3").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_EQ(row.value("T4").toString(), QStringLiteral("Определение d"));
    EXPECT_EQ(store(1, {11, 6, 0, 8}, 0, 0, OskRecordSize).value("T4").toString(),
              QStringLiteral("Определение H"));
    EXPECT_EQ(store(1, {0, 0, 0, 0}, 0, 0, OskRecordSize).value("T4").toString(),
              QStringLiteral("Определение H"));
    row = store(1, {11, 6, 0, 28}, 0, 0, OskRecordSize);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("И9"));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("A-VI"));
    EXPECT_EQ(row.value("T4").toString(), QStringLiteral("Определение d и H"));
}

TEST_F(RecordDecoderTest, VtrWorkedExample) {
    const QSqlRecord row =
        store(2, {3,    1,    0,  0, 0, 0xF4, 0x01, 0xF4, 0x01, 0,  0,  0x4C, 4,
                  0x0A, 0x0A, 97, 0, 1, 0xDC, 0x05, 15,   59,   10, 21, 6,    8});
    ASSERT_EQ(outcome_, RecordOutcome::Stored);
    EXPECT_EQ(row.value("F1").toDouble(), 3);
    EXPECT_EQ(row.value("F2").toDouble(), 1);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("Бетон тяжелый"));
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("Сжатие"));
    EXPECT_EQ(row.value("T3").toString(), QStringLiteral("Куб"));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("50x50"));
    EXPECT_FLOAT_EQ(row.value("F3").toFloat(), 110.0f);
    EXPECT_EQ(row.value("T8").toString(), QStringLiteral("25,7"));
    EXPECT_FLOAT_EQ(row.value("F5").toFloat(), 0.97f);
    EXPECT_EQ(row.value("T9").toString(), QStringLiteral("1,5 кН/с"));
    EXPECT_EQ(row.value("DateTime").toString(), QStringLiteral("2008-06-21 10:59:15"));
    for (const char* field : {"F4", "F6", "F10", "T4", "T5", "T6", "T10", "B1", "Comment"})
        EXPECT_TRUE(row.value(field).isNull()) << field;
}

TEST_F(RecordDecoderTest, VtrMaterialShapeAndMethodRules) {
    QSqlRecord row = press(2, 13, 0, 0);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("Сжатие"));
    EXPECT_FALSE(row.value("T3").isNull());
    EXPECT_EQ(row.value("T3").toString(), QString());
    EXPECT_TRUE(row.value("T2").isNull());

    EXPECT_EQ(press(3, 3, 0, 2).value("T7").toString(), QStringLiteral("Сжатие"));
    EXPECT_EQ(press(4, 5, 0, 2).value("T7").toString(), QStringLiteral("Раскол"));

    row = press(2, 1, 2, 0);
    EXPECT_EQ(row.value("T3").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_TRUE(row.value("T2").isNull());
    EXPECT_EQ(press(2, 2, 1, 0).value("T3").toString(), QStringLiteral("Цилиндр"));
}

TEST_F(RecordDecoderTest, VtrSizeRulesInOrder) {
    // A = 50, B = 100, C = 1000.
    const std::vector<std::tuple<int, int, int, QString>> cases{
        {4, 0, 0, QStringLiteral("50x100")},
        {0, 1, 0, QStringLiteral("диам. 50; h=100")},
        {7, 0, 0, QStringLiteral("50x100")},
        {6, 0, 1, QStringLiteral("h= 50;b= 100; L= 1000")},
        {8, 1, 1, QStringLiteral("h= 50;b= 100; L= 1000")},  // rule 4 before the shape rules
        {10, 0, 2, QStringLiteral("50x100")},
        {12, 1, 0, QStringLiteral("шир. 50;h= 100; L= 1000")},
        {5, 0, 0, QStringLiteral("диам. 50;h= 100")},
        {5, 1, 0, QStringLiteral("диам. 50;h= 100; L= 1000")},
        {5, 2, 0, QStringLiteral("d= 50;h= 100")},
        {11, 0, 0, QStringLiteral("L= 1000;шир.= 100; h= 50")},
    };
    for (const auto& [m, s, t, text] : cases)
        EXPECT_EQ(press(2, m, s, t).value("T2").toString(), text) << m << ' ' << s << ' ' << t;
    EXPECT_TRUE(press(2, 5, 3, 0).value("T2").isNull());
    EXPECT_TRUE(press(2, 12, 0, 0).value("T2").isNull());
}

TEST_F(RecordDecoderTest, VtrStrengthLoadAndRate) {
    QSqlRecord row = press(2, 8, 0, 1);
    EXPECT_EQ(row.value("T8").toString(), QStringLiteral(" - "));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("h= 50;b= 100; L= 1000"));

    // Load word 12345 at byte 11.
    const std::vector<int> loaded{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x39, 0x30};
    EXPECT_FLOAT_EQ(store(3, loaded, 40).value("F3").toFloat(), 123.45f);
    EXPECT_FLOAT_EQ(store(3, loaded, 41).value("F3").toFloat(), 1234.5f);

    std::vector<int> rate(20, 0);
    rate[17] = 2;
    EXPECT_EQ(store(2, rate).value("T9").toString(), QStringLiteral("0 мм/Мин"));
}

TEST_F(RecordDecoderTest, PressIndexesBeyondTheMethodAndRateTablesGiveErrorTexts) {
    std::vector<int> values{1, 1, 5, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0xDC, 0x05};
    QSqlRecord row = store(2, values);
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_EQ(row.value("T9").toString(), QStringLiteral("1,5 ---Ошибка---"));

    values[2] = 9;
    values[4] = 200;
    values[17] = 255;
    row = store(5, values, 41, 0);
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("---Ошибка---"));
    EXPECT_EQ(row.value("T9").toString(), QStringLiteral("1,5 ---Ошибка---"));
    EXPECT_EQ(store(5, values, 41, 1).value("T7").toString(), QStringLiteral("---Ошибка---"));
}

TEST_F(RecordDecoderTest, VtraStrengthArchiveDiffersFromThePress) {
    QSqlRecord row = press(5, 12, 0, 0, 41);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("Заполнитель"));
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("Сдавливание по ГОСТ 9758"));
    EXPECT_EQ(row.value("T3").toString(), QString());
    EXPECT_FALSE(row.value("T3").isNull());
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("d= 50"));
    EXPECT_EQ(row.value("DeviceNArc").toInt(), 0);

    EXPECT_EQ(press(5, 3, 0, 2).value("T7").toString(), QStringLiteral("Сжатие"));
    EXPECT_EQ(press(5, 6, 0, 2).value("T7").toString(), QStringLiteral("Сжатие"));
    EXPECT_EQ(press(5, 9, 0, 3).value("T7").toString(), QStringLiteral("Схема Маршалла"));
    EXPECT_EQ(press(5, 11, 0, 0).value("T2").toString(),
              QStringLiteral("L= 1000;шир.= 100; h= 50"));

    const std::vector<int> loaded{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x39, 0x30};
    EXPECT_FLOAT_EQ(store(5, loaded, 41, 0).value("F3").toFloat(), 123.45f);
    EXPECT_FLOAT_EQ(store(5, loaded, 41, 1).value("F3").toFloat(), 123.45f);
    EXPECT_FLOAT_EQ(store(5, loaded, 30, 1).value("F3").toFloat(), 1234.5f);
}

TEST_F(RecordDecoderTest, VtraAsphaltArchiveLayout) {
    // Size words 50.0 and 100.0, strength 2570, displacement 2500, work 1234.
    std::vector<int> values{2,    4,    5,    0,    3, 0xF4, 0x01, 0xE8, 0x03, 0,  0, 0, 0,
                            0x0A, 0x0A, 0xC4, 0x09, 0, 0xD2, 0x04, 0,    0,    12, 1, 2, 10};
    QSqlRecord row = store(5, values, 41, 1);
    ASSERT_EQ(outcome_, RecordOutcome::Stored);
    EXPECT_EQ(row.value("DeviceNArc").toInt(), 1);
    EXPECT_EQ(row.value("T1").toString(), QStringLiteral("Асфальтобетон"));
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("Схема Маршалла"));
    EXPECT_EQ(row.value("T8").toString(), QString());
    EXPECT_FALSE(row.value("T8").isNull());
    EXPECT_EQ(row.value("T3").toString(), QStringLiteral("Цилиндр"));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("диам. 50; h=100"));
    EXPECT_EQ(row.value("T9").toString(), QStringLiteral("50"));
    EXPECT_FLOAT_EQ(row.value("F5").toFloat(), 2.5f);
    EXPECT_FLOAT_EQ(row.value("F10").toFloat(), 12.34f);
    EXPECT_EQ(row.value("DateTime").toString(), QStringLiteral("2010-02-01 12:00:00"));

    values[4] = 4;
    row = store(5, values, 41, 1);
    EXPECT_EQ(row.value("T7").toString(), QStringLiteral("Одноосное сжатие"));
    EXPECT_EQ(row.value("T8").toString(), QStringLiteral("25,7"));
}

TEST_F(RecordDecoderTest, ShortPayloadsAndLaterArchivesStoreNothing) {
    store(1, {1, 2, 3, 4}, 0, 0, OskRecordSize - 1);
    EXPECT_EQ(outcome_, RecordOutcome::TooShort);
    store(2, {1, 2, 3}, 30, 0, PressRecordSize - 1);
    EXPECT_EQ(outcome_, RecordOutcome::TooShort);
    store(5, {1, 2, 3}, 41, 1, 4);
    EXPECT_EQ(outcome_, RecordOutcome::TooShort);
    store(5, {1, 2, 3}, 41, 2);
    EXPECT_EQ(outcome_, RecordOutcome::NotStored);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 0);
}

TEST_F(RecordDecoderTest, InsertFailureIsRaisedToTheCaller) {
    db_.close();
    payload_.assign(PressRecordSize, 0);
    const RecordContext record{payload_.data(), PressRecordSize, 2, 30, 0, 1};
    EXPECT_THROW(decodeRecord(record, db_), store::StoreError);
}

// Runs the process under another time zone for the scope of a test, then restores it.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone)
        : saved_(qgetenv("TZ")), hadZone_(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope() {
        if (hadZone_)
            qputenv("TZ", saved_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray saved_;
    bool hadZone_;
};

TEST_F(RecordDecoderTest, ClockReadingsInHoursAClockChangeSkipsOrRepeatsAreStoredAsRead) {
    struct Case {
        const char* zone;
        int hour, day, month, year;
        const char* stored;
    };
    const Case cases[] = {
        {"Europe/Berlin", 2, 31, 3, 24, "2024-03-31 02:30:15"},     // skipped
        {"Europe/Berlin", 2, 27, 10, 24, "2024-10-27 02:30:15"},    // repeated
        {"America/New_York", 2, 10, 3, 24, "2024-03-10 02:30:15"},  // skipped
        {"America/New_York", 1, 3, 11, 24, "2024-11-03 01:30:15"},  // repeated
    };
    for (const Case& c : cases) {
        const TimeZoneScope zone(c.zone);
        const QSqlRecord osk =
            store(1, {0, 0, 0, 0, 0, 0, 0, 0, 15, 30, c.hour, c.day, c.month, c.year}, 0, 0,
                  OskRecordSize);
        EXPECT_EQ(osk.value("DateTime").toString(), QString::fromLatin1(c.stored)) << c.zone;
        std::vector<int> pressBytes(20, 0);
        pressBytes.insert(pressBytes.end(), {15, 30, c.hour, c.day, c.month, c.year});
        EXPECT_EQ(store(2, pressBytes).value("DateTime").toString(), QString::fromLatin1(c.stored))
            << c.zone;
        EXPECT_EQ(store(5, pressBytes, 41, 1).value("DateTime").toString(),
                  QString::fromLatin1(c.stored))
            << c.zone;
    }
}

TEST_F(RecordDecoderTest, ValueTextsTakeTheDecimalPointOfAnEnglishLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // Material 5 (asphalt concrete), shape 1, method 0; the size words 501, 1001 and 10001; the
    // strength word 2570 and the rate word 1500 in unit 1.
    const QSqlRecord row = store(2, {3,    1,    5,    1,    0,    0xF5, 0x01, 0xE9, 0x03, 0x11,
                                     0x27, 0x4D, 0x04, 0x0A, 0x0A, 97,   0,    1,    0xDC, 0x05});
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(row.value("T2").toString(), QStringLiteral("диам. 50.1;h= 100.1; L= 1000.1"));
    EXPECT_EQ(row.value("T8").toString(), QStringLiteral("25.7"));
    EXPECT_EQ(row.value("T9").toString(), QStringLiteral("1.5 кН/с"));
    EXPECT_FLOAT_EQ(row.value("F3").toFloat(), 110.1f);
}

}  // namespace
}  // namespace vlr::link
