#include "link/frame_codec.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <vector>

namespace vlr::link {
namespace {

std::vector<std::uint8_t> bufferOf(const QByteArray& characters) {
    return std::vector<std::uint8_t>(characters.begin(), characters.end());
}

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

QByteArray payloadOf(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

int decodeShort(std::vector<std::uint8_t>& buffer) {
    return DecodeShortFrame(buffer.data(), static_cast<int>(buffer.size()) - 1);
}

int decodeLong(std::vector<std::uint8_t>& buffer) {
    return DecodeLongFrame(buffer.data(), static_cast<int>(buffer.size()) - 1);
}

TEST(FrameCodecTest, ShortFrameWorkedExampleEncodesAndDecodes) {
    const QByteArray frame = encodeShortFrame(payloadOf({0x12, 0xA5, 0x00, 0xFF}));
    EXPECT_EQ(frame, QByteArray("S215:00??4;10P"));

    auto buffer = bufferOf(frame);
    EXPECT_EQ(DecodeWord(buffer.data(), 9), 0x1B4);
    ASSERT_EQ(decodeShort(buffer), 4);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 4),
              bytes({0x12, 0xA5, 0x00, 0xFF}));
    // The characters behind the decoded bytes are left as they were.
    EXPECT_EQ(buffer[4], ':');
    EXPECT_EQ(buffer[13], 'P');
}

TEST(FrameCodecTest, LongFrameWorkedExampleEncodesAndDecodes) {
    const QByteArray frame = encodeLongFrame(payloadOf({1, 3, 7, 3, 15, 0, 0, 25, 0, 0, 0}));
    EXPECT_EQ(frame, QByteArray("S10307030?0000091000000") + "82400000P");
    EXPECT_EQ(frame.size(), 32);

    auto buffer = bufferOf(frame);
    EXPECT_EQ(DecodeLong(buffer.data(), 23), 0x428u);
    ASSERT_EQ(decodeLong(buffer), 11);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 11),
              bytes({1, 3, 7, 3, 15, 0, 0, 25, 0, 0, 0}));
}

TEST(FrameCodecTest, PairsAreLowNibbleFirstAndOtherCodesFollowTheFormula) {
    const auto pair = bufferOf("5:??");
    EXPECT_EQ(DecodeByte(pair.data(), 0), 0xA5);
    EXPECT_EQ(DecodeByte(pair.data(), 2), 0xFF);
    // '/' is 47 and 'A' 65: (17 * 16 - 1) mod 256.
    const auto odd = bufferOf("/A");
    EXPECT_EQ(DecodeByte(odd.data(), 0), (17 * 16 - 1) % 256);
    const auto word = bufferOf("21?0");
    EXPECT_EQ(DecodeWord(word.data(), 0), 0x0F12);
}

TEST(FrameCodecTest, FrameLengthLimitIsElevenCharactersBetweenMarks) {
    // Ten characters: three payload bytes is six, plus the four checksum characters.
    auto ten = bufferOf(encodeShortFrame(payloadOf({1, 2, 3})));
    ASSERT_EQ(ten.size(), 12u);
    const auto before = ten;
    EXPECT_EQ(decodeShort(ten), 0);
    EXPECT_EQ(ten, before);

    // Eleven: an odd payload of seven characters; its last byte takes the first checksum
    // character as its high nibble.
    QByteArray eleven("S1234567");
    const auto payload = bufferOf(eleven.mid(1));
    const std::uint16_t sum = ShortChecksum(payload.data(), 7);
    QByteArray checksum;
    for (int shift : {0, 4, 8, 12})
        checksum.append(static_cast<char>('0' + ((sum >> shift) & 0xF)));
    eleven += checksum + "P";
    auto buffer = bufferOf(eleven);
    ASSERT_EQ(decodeShort(buffer), 4);
    EXPECT_EQ(buffer[0], 0x21);
    EXPECT_EQ(buffer[3], static_cast<std::uint8_t>(((checksum[0] - '0') << 4) | 7));
}

TEST(FrameCodecTest, DamagedFramesAreRejectedAndLeaveTheBufferUntouched) {
    QByteArray frame = encodeShortFrame(payloadOf({9, 8, 7, 6, 5}));
    frame[3] = '7';  // one payload character changed
    auto damaged = bufferOf(frame);
    const auto before = damaged;
    EXPECT_EQ(decodeShort(damaged), 0);
    EXPECT_EQ(damaged, before);

    // A long frame's checksum is not accepted by the short decoder and the other way round.
    auto longFrame = bufferOf(encodeLongFrame(payloadOf({1, 2, 3, 4, 5, 6})));
    EXPECT_EQ(decodeShort(longFrame), 0);
    auto shortFrame = bufferOf(encodeShortFrame(payloadOf({1, 2, 3, 4, 5, 6})));
    EXPECT_EQ(decodeLong(shortFrame), 0);
}

TEST(FrameCodecTest, MarksAreTakenFromTheFirstStartAndFirstEnd) {
    // Echoes before the start and a second frame behind the end do not matter.
    QByteArray stream = "ZZn" + encodeShortFrame(payloadOf({10, 20, 30, 40})) +
                        encodeShortFrame(payloadOf({50, 60, 70, 80}));
    auto buffer = bufferOf(stream);
    ASSERT_EQ(decodeShort(buffer), 4);
    EXPECT_EQ(bytes({buffer[0], buffer[1], buffer[2], buffer[3]}), bytes({10, 20, 30, 40}));

    // An end mark with no start mark before it.
    auto endFirst = bufferOf("P" + encodeShortFrame(payloadOf({1, 2, 3, 4})).mid(1));
    EXPECT_EQ(decodeShort(endFirst), 0);
    // No end mark within the highest index.
    auto cut = bufferOf(encodeShortFrame(payloadOf({1, 2, 3, 4, 5, 6})));
    EXPECT_EQ(DecodeShortFrame(cut.data(), static_cast<int>(cut.size()) - 2), 0);
}

TEST(FrameCodecTest, FindCharReportsOnePastTheHighestIndexWhenAbsent) {
    const auto buffer = bufferOf("abPcP");
    EXPECT_EQ(FindChar(buffer.data(), 4, 'P'), 2);
    EXPECT_EQ(FindChar(buffer.data(), 1, 'P'), 2);
    EXPECT_EQ(FindChar(buffer.data(), 4, 'S'), 5);
}

TEST(FrameCodecTest, ChecksumTermsDependOnPosition) {
    EXPECT_EQ(ShortChecksum(bufferOf("12").data(), 2), 0x60);
    EXPECT_EQ(ShortChecksum(bufferOf("21").data(), 2), 0x66);
    EXPECT_EQ(LongChecksum(bufferOf("12").data(), 2), 0x60u);
}

TEST(FrameCodecTest, LargePayloadsRoundTripWithWrappingChecksums) {
    QByteArray payload;
    for (int i = 0; i < 40000; ++i)
        payload.append(static_cast<char>(i * 37));
    auto shortBuffer = bufferOf(encodeShortFrame(payload));
    ASSERT_EQ(decodeShort(shortBuffer), payload.size());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(shortBuffer.data()), payload.size()),
              payload);
    auto longBuffer = bufferOf(encodeLongFrame(payload));
    ASSERT_EQ(decodeLong(longBuffer), payload.size());
}

TEST(FrameCodecTest, ReadWordIsUnsignedLittleEndian) {
    const auto b = bytes({0xFF, 0xFF, 0x34, 0x12});
    EXPECT_EQ(ReadWord(b.data(), 0), 65535);
    EXPECT_EQ(ReadWord(b.data(), 2), 0x1234);
}

TEST(FrameCodecTest, DateTimeRepairsPartsAndFallsBackForMissingDays) {
    const auto valid = bytes({15, 59, 10, 21, 6, 8});
    EXPECT_EQ(ReadDateTime(valid.data(), 0),
              (DateTimeReading{QDate(2008, 6, 21), QTime(10, 59, 15)}));

    const auto outOfRange = bytes({75, 61, 30, 0, 13, 9});
    EXPECT_EQ(ReadDateTime(outOfRange.data(), 0),
              (DateTimeReading{QDate(2009, 1, 1), QTime(0, 0)}));

    const auto april31 = bytes({0, 0, 12, 31, 4, 10});
    EXPECT_EQ(ReadDateTime(april31.data(), 0), (DateTimeReading{QDate(2005, 1, 1), QTime(0, 0)}));

    const auto leapDay = bytes({1, 2, 3, 29, 2, 8});
    EXPECT_EQ(ReadDateTime(leapDay.data(), 0),
              (DateTimeReading{QDate(2008, 2, 29), QTime(3, 2, 1)}));
    const auto notLeap = bytes({1, 2, 3, 29, 2, 9});
    EXPECT_EQ(ReadDateTime(notLeap.data(), 0), (DateTimeReading{QDate(2005, 1, 1), QTime(0, 0)}));
}

TEST(FrameCodecTest, VersionDateReadsYearMonthDay) {
    const auto march = bytes({7, 3, 15});
    EXPECT_EQ(ReadVersionDate(march.data(), 0), QDate(2007, 3, 15));
    const auto february30 = bytes({7, 2, 30});
    EXPECT_EQ(ReadVersionDate(february30.data(), 0), QDate(2000, 1, 1));
    const auto threeDigitYear = bytes({107, 3, 15});
    EXPECT_EQ(ReadVersionDate(threeDigitYear.data(), 0), QDate(2000, 1, 1));
}

TEST(FrameCodecTest, DecimalTextUsesTheUserSeparatorAndShortestForm) {
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    EXPECT_EQ(DecimalText(ScaledValue(1500, 10)), QStringLiteral("150"));
    EXPECT_EQ(DecimalText(ScaledValue(707, 10)), QStringLiteral("70,7"));
    EXPECT_EQ(DecimalText(ScaledValue(1234, 1000)), QStringLiteral("1,234"));
    EXPECT_EQ(DecimalText(ScaledValue(2570, 100)), QStringLiteral("25,7"));
    EXPECT_EQ(DecimalText(ScaledValue(65535, 10)), QStringLiteral("6553,5"));
    EXPECT_EQ(DecimalText(ScaledValue(1, 1000)), QStringLiteral("0,001"));
    EXPECT_EQ(DecimalText(0), QStringLiteral("0"));

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(DecimalText(ScaledValue(707, 10)), QStringLiteral("70.7"));
    QLocale::setDefault(previous);
}

}  // namespace
}  // namespace vlr::link
