#include "link/frame_codec.h"
#include "sim/instrument_archive.h"
#include "sim/instrument_model.h"
#include "sim/sim_options.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace vlr::sim {
namespace {

// The payload a short or long frame decodes to; empty when the codec rejects it.
QByteArray decoded(const QByteArray& frame, bool longFrame) {
    std::vector<std::uint8_t> buffer(frame.begin(), frame.end());
    const int highest = static_cast<int>(buffer.size()) - 1;
    const int count = longFrame ? link::DecodeLongFrame(buffer.data(), highest)
                                : link::DecodeShortFrame(buffer.data(), highest);
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), count);
}

InstrumentSetup twoArchives() {
    InstrumentSetup setup;
    setup.deviceType = 2;
    setup.deviceSubType = 41;
    setup.firmwareDate = QDate(2011, 3, 15);
    setup.archives = {{QByteArray(26, 'a'), QByteArray(26, 'b')}, {QByteArray(26, 'c')}};
    return setup;
}

TEST(InstrumentModelTest, AnswersTheLettersOfTheConversation) {
    InstrumentModel model(twoArchives());
    EXPECT_EQ(model.answer('Z'), QByteArray("Z"));
    EXPECT_TRUE(model.answer('x').isEmpty());

    const QByteArray identification = decoded(model.answer('V'), true);
    ASSERT_EQ(identification.size(), 15);
    EXPECT_EQ(identification.left(5), QByteArray("\x02\x29\x0b\x03\x0f", 5));
    EXPECT_EQ(
        link::ReadVersionDate(reinterpret_cast<const std::uint8_t*>(identification.data()), 2),
        QDate(2011, 3, 15));
    EXPECT_EQ(identification.mid(7, 2), QByteArray("\x02\x00", 2));   // archive 0: 2 records
    EXPECT_EQ(identification.mid(11, 2), QByteArray("\x01\x00", 2));  // archive 1: 1 record

    // Records in order across the archives; nothing after the last; 'n' starts again.
    EXPECT_EQ(decoded(model.answer('n'), false), QByteArray(26, 'a'));
    EXPECT_EQ(decoded(model.answer('O'), false), QByteArray(26, 'b'));
    EXPECT_EQ(decoded(model.answer('O'), false), QByteArray(26, 'c'));
    EXPECT_TRUE(model.answer('O').isEmpty());
    EXPECT_EQ(decoded(model.answer('n'), false), QByteArray(26, 'a'));
}

TEST(InstrumentModelTest, PlaysItsFaultsAtTheRecordsNamed) {
    InstrumentModel damaged(twoArchives(), {2, 0, 0});
    EXPECT_FALSE(decoded(damaged.answer('n'), false).isEmpty());
    const QByteArray second = damaged.answer('O');
    EXPECT_TRUE(second.startsWith('S') && second.endsWith('P'));
    EXPECT_TRUE(decoded(second, false).isEmpty());  // rejected by its checksum

    InstrumentModel cut(twoArchives(), {0, 0, 1});
    EXPECT_EQ(decoded(cut.answer('n'), false), QByteArray(13, 'a'));

    InstrumentModel silent(twoArchives(), {0, 1, 0});
    EXPECT_FALSE(silent.answer('n').isEmpty());
    EXPECT_TRUE(silent.isSilent());
    EXPECT_TRUE(silent.answer('O').isEmpty());
    EXPECT_TRUE(silent.answer('Z').isEmpty());
}

TEST(InstrumentArchiveTest, GeneratedArchivesAreDeterministicAndSizedByKind) {
    const Archives first = generateArchives(InstrumentKind::Vtra, {3, 2}, 42);
    EXPECT_EQ(first, generateArchives(InstrumentKind::Vtra, {3, 2}, 42));
    EXPECT_NE(first, generateArchives(InstrumentKind::Vtra, {3, 2}, 43));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].size(), 3u);
    EXPECT_EQ(first[1].size(), 2u);
    for (const auto& archive : first) {
        for (const QByteArray& record : archive)
            EXPECT_EQ(record.size(), 26);
    }
    const Archives osk = generateArchives(InstrumentKind::Osk, {4}, 1);
    for (const QByteArray& record : osk[0]) {
        ASSERT_EQ(record.size(), 14);
        // Valid dates only: day 1..28, month 1..12.
        EXPECT_GE(record[11], 1);
        EXPECT_LE(record[11], 28);
        EXPECT_GE(record[12], 1);
        EXPECT_LE(record[12], 12);
    }
}

TEST(InstrumentArchiveTest, RecordsTextIsReadLineByLine) {
    const Archives archives = parseRecordsText("# a comment\n\n1 0a FF 00\n0 01\n1 7b\n", 2);
    ASSERT_EQ(archives.size(), 2u);
    EXPECT_EQ(archives[0], std::vector<QByteArray>{QByteArray("\x01", 1)});
    EXPECT_EQ(archives[1],
              (std::vector<QByteArray>{QByteArray("\x0a\xff\x00", 3), QByteArray("\x7b", 1)}));

    for (const char* bad : {"2 00\n", "0 1FF\n", "0 zz\n", "x 00\n"}) {
        try {
            parseRecordsText(QString::fromLatin1("0 01\n") + QString::fromLatin1(bad), 2);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const std::runtime_error& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("line 2:")) << error.what();
        }
    }
}

TEST(SimOptionsTest, KindsTheirDefaultsAndOverrides) {
    const SimOptions defaults = parseSimOptions({});
    EXPECT_EQ(defaults.setup.deviceType, 2);
    EXPECT_EQ(defaults.setup.deviceSubType, 30);
    EXPECT_EQ(defaults.setup.archives.size(), 1u);
    EXPECT_EQ(defaults.setup.archives[0].size(), 10u);
    EXPECT_EQ(defaults.pacing.bitsPerSecond, 9600);

    const SimOptions vtra = parseSimOptions(
        {"--kind", "vtra", "--records", "0,3", "--firmware", "2009-02-28", "--baud", "0", "--delay",
         "20", "--damage-at", "2", "--silent-after", "3", "--short-at", "1"});
    EXPECT_EQ(vtra.setup.deviceSubType, 41);
    ASSERT_EQ(vtra.setup.archives.size(), 2u);
    EXPECT_TRUE(vtra.setup.archives[0].empty());
    EXPECT_EQ(vtra.setup.archives[1].size(), 3u);
    EXPECT_EQ(vtra.setup.firmwareDate, QDate(2009, 2, 28));
    EXPECT_EQ(vtra.pacing.bitsPerSecond, 0);
    EXPECT_EQ(vtra.pacing.answerDelayMs, 20);
    EXPECT_EQ(vtra.faults.damagedRecord, 2);
    EXPECT_EQ(vtra.faults.silentAfterRecord, 3);
    EXPECT_EQ(vtra.faults.shortRecord, 1);

    const SimOptions unknown = parseSimOptions({"--kind", "osk", "--type", "9", "--subtype", "7"});
    EXPECT_EQ(unknown.setup.deviceType, 9);
    EXPECT_EQ(unknown.setup.deviceSubType, 7);
    EXPECT_TRUE(parseSimOptions({"--help"}).showHelp);
}

TEST(SimOptionsTest, WrongOptionsAreRefusedWithAReason) {
    const std::vector<QStringList> wrong{{"--kind", "press"},
                                         {"--records", "3,2"},
                                         {"--kind", "vtra", "--records", "3"},
                                         {"--records", "-1"},
                                         {"--subtype", "256"},
                                         {"--firmware", "2008-02-30"},
                                         {"--damage-at", "0"},
                                         {"--baud"},
                                         {"--no-such-option", "1"},
                                         {"--records-file", "/no/such/file"}};
    for (const QStringList& arguments : wrong)
        EXPECT_THROW(parseSimOptions(arguments), std::runtime_error)
            << arguments.join(' ').toStdString();
}

TEST(SimOptionsTest, RecordsFileTakesThePlaceOfGeneratedRecords) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("0 01 02\n1 03\n");
    file.close();
    const SimOptions options =
        parseSimOptions({"--kind", "vtra", "--records-file", file.fileName()});
    ASSERT_EQ(options.setup.archives.size(), 2u);
    EXPECT_EQ(options.setup.archives[0], std::vector<QByteArray>{QByteArray("\x01\x02", 2)});
    EXPECT_EQ(options.setup.archives[1], std::vector<QByteArray>{QByteArray("\x03", 1)});
}

}  // namespace
}  // namespace vlr::sim
