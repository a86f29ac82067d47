#include "xls/shared_strings.h"

#include "piecewise_stream.h"
#include "xls/biff_records.h"
#include "xls/biff_walker.h"

#include <gtest/gtest.h>

namespace vlr::xls {
namespace {

using test::BiffRecord;
using test::u16;
using test::u32;

// Reads the strings back the way a reader does: a string's characters may continue in the
// next CONTINUE record, which then starts with its own option byte.
std::vector<QString> readStrings(const std::vector<BiffRecord>& records) {
    std::vector<QString> strings;
    size_t recordIndex = 0;
    qsizetype offset = 8;  // after the two counts
    const std::uint32_t count = u32(records[0].data, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (offset >= records[recordIndex].data.size()) {
            ++recordIndex;
            offset = 0;
        }
        const QByteArray* data = &records[recordIndex].data;
        qsizetype characters = u16(*data, offset);
        EXPECT_EQ(data->at(offset + 2), 1) << "string " << i;
        offset += 3;
        QString text;
        while (characters > 0) {
            if (offset >= data->size()) {
                ++recordIndex;
                data = &records[recordIndex].data;
                EXPECT_EQ(records[recordIndex].id, 0x003C);
                EXPECT_EQ(data->at(0), 1) << "continued string " << i;
                offset = 1;
            }
            const qsizetype here = std::min<qsizetype>(characters, (data->size() - offset) / 2);
            EXPECT_GT(here, 0) << "string header without its first character";
            if (here == 0) {
                return strings;
            }
            const QString piece = test::utf16(*data, offset, here);
            EXPECT_FALSE(piece.back().isHighSurrogate()) << "piece ends inside a pair, " << i;
            text += piece;
            offset += 2 * here;
            characters -= here;
        }
        strings.push_back(text);
    }
    return strings;
}

struct Table {
    QByteArray stream;
    std::vector<BiffRecord> records;
    QByteArray extSst;
};

Table buildTable(const std::vector<QString>& strings, const QByteArray& prefix = {}) {
    Table table;
    const auto write = [&](StreamSink& sink) {
        SharedStringTable sst(sink);
        for (const QString& text : strings) {
            sst.add(text);
        }
        sst.finish();
        table.extSst = sst.extSstData();
    };
    StreamSink whole;
    whole.buffer() = prefix;
    write(whole);
    table.stream = whole.buffer();
    table.records = test::walkRecords(table.stream.mid(prefix.size()));
    // Record lengths and counts are filled in after their bytes may have gone to the file.
    EXPECT_EQ(test::streamPassedOnInPieces(write, prefix), table.stream);
    return table;
}

TEST(SharedStrings, CountsAndStringsOfASingleRecord) {
    const Table table = buildTable({"a", "Привет", "a"});
    ASSERT_EQ(table.records.size(), 1u);
    EXPECT_EQ(table.records[0].id, 0x00FC);
    EXPECT_EQ(u32(table.records[0].data, 0), 3u);
    EXPECT_EQ(u32(table.records[0].data, 4), 3u);
    EXPECT_EQ(table.records[0].data.mid(8, 6), test::hex("01 00 01 61 00 06"));
    EXPECT_EQ(readStrings(table.records), (std::vector<QString>{"a", "Привет", "a"}));
}

TEST(SharedStrings, LongTextContinuesWithTheOptionByte) {
    const QString first(5000, QChar(0x0416));
    const QString second(6000, QLatin1Char('z'));
    const Table table = buildTable({first, second});
    ASSERT_EQ(table.records.size(), 3u);
    EXPECT_EQ(table.records[0].data.size(), 8224 - 1);  // an odd byte stays free
    for (const size_t continued : {1, 2}) {
        EXPECT_EQ(table.records[continued].id, 0x003C);
        EXPECT_EQ(table.records[continued].data.at(0), 1);
    }
    EXPECT_EQ(table.records[1].data.size(), 8224);
    EXPECT_EQ(readStrings(table.records), (std::vector<QString>{first, second}));
}

TEST(SharedStrings, AStringHeaderIsNeverSplitFromItsFirstCharacter) {
    // The strings before leave exactly 4, then 5 bytes free in the first record.
    struct Case {
        std::vector<QString> before;
        int room;
    };
    const QString ab = QStringLiteral("ab");
    const std::vector<Case> cases = {
        {{ab, QString(4101, QLatin1Char('f'))}, 4},
        {{QString(4104, QLatin1Char('f'))}, 5},
    };
    for (const Case& c : cases) {
        std::vector<QString> strings = c.before;
        strings.push_back(QStringLiteral("xyz"));
        const Table table = buildTable(strings);
        ASSERT_EQ(table.records.size(), 2u);
        EXPECT_EQ(readStrings(table.records), strings) << c.room;
        if (c.room == 4) {
            // The next string starts a CONTINUE of its own, without an option byte.
            EXPECT_EQ(table.records[0].data.size(), 8224 - 4);
            EXPECT_EQ(table.records[1].data.left(3), test::hex("03 00 01"));
        } else {
            // Header and first character fit; the rest continues after the option byte.
            EXPECT_EQ(table.records[0].data.size(), 8224);
            EXPECT_EQ(table.records[1].data, test::hex("01 79 00 7A 00"));
        }
    }
}

TEST(SharedStrings, SurrogatePairsStayWholeAcrossRecords) {
    const QString pair = QString::fromUcs4(U"\U0001F600");
    // Shift the pairs over the record boundary at every possible parity.
    for (int shift = 0; shift < 4; ++shift) {
        QString text(shift, QLatin1Char('s'));
        while (text.size() < 9000) {
            text += pair;
        }
        const Table table = buildTable({text});
        EXPECT_EQ(readStrings(table.records), (std::vector<QString>{text})) << shift;
    }
    // A string that would start with a pair where only its header and one code unit fit.
    const QString filler((8224 - 8 - 3 - 5) / 2, QLatin1Char('f'));
    const Table table = buildTable({filler, pair + pair});
    EXPECT_EQ(readStrings(table.records), (std::vector<QString>{filler, pair + pair}));
}

TEST(SharedStrings, ExtSstPointsAtEveryEighthString) {
    std::vector<QString> strings;
    for (int i = 0; i < 1000; ++i) {
        strings.push_back(QStringLiteral("строка %1 ").arg(i).repeated(30));
    }
    const QByteArray prefix(100, 'p');  // the table rarely starts at position 0
    const Table table = buildTable(strings, prefix);
    EXPECT_EQ(u32(table.records[0].data, 0), 1000u);
    EXPECT_EQ(u32(table.records[0].data, 4), 1000u);
    EXPECT_EQ(readStrings(table.records), strings);

    ASSERT_EQ(table.extSst.size(), 2 + 8 * 125);
    EXPECT_EQ(u16(table.extSst, 0), 8);
    for (int bucket = 0; bucket < 125; ++bucket) {
        const std::uint32_t position = u32(table.extSst, 2 + 8 * bucket);
        const std::uint16_t inRecord = u16(table.extSst, 2 + 8 * bucket + 4);
        EXPECT_EQ(u16(table.extSst, 2 + 8 * bucket + 6), 0);
        // The position holds the header of string 8 * bucket, inRecord bytes after the
        // start of the record holding it.
        EXPECT_EQ(u16(table.stream, position), strings[static_cast<size_t>(8 * bucket)].size());
        const BiffRecord* holder = nullptr;
        for (const BiffRecord& record : table.records) {
            if (record.offset + prefix.size() <= position) {
                holder = &record;
            }
        }
        ASSERT_NE(holder, nullptr);
        EXPECT_EQ(position - (holder->offset + prefix.size()), inRecord) << bucket;
    }
}

TEST(WriteRecord, LongDataContinuesInRecordsOf8224Bytes) {
    QByteArray data(20000, '\0');
    for (int i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    QByteArray stream;
    WriteRecord(stream, 0x00FF, data);
    const auto records = test::walkRecords(stream);
    EXPECT_EQ(test::idsOf(records), (std::vector<std::uint16_t>{0x00FF, 0x003C, 0x003C}));
    EXPECT_EQ(records[0].data.size(), 8224);
    EXPECT_EQ(records[1].data.size(), 8224);
    EXPECT_EQ(records[0].data + records[1].data + records[2].data, data);

    QByteArray empty;
    WriteRecord(empty, 0x000A, QByteArray());
    EXPECT_EQ(empty, test::hex("0A 00 00 00"));
}

}  // namespace
}  // namespace vlr::xls
