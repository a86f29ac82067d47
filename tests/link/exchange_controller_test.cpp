#include "link/exchange_controller.h"

#include "link/frame_codec.h"
#include "link/link_fakes.h"
#include "link/record_decoder.h"
#include "support/temp_database.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

#include <memory>

namespace vlr::link {
namespace {

using State = ExchangeController::State;

// Identification payload: type, subtype, firmware date, two unused bytes, then per archive
// its record count and two unused bytes.
QByteArray identification(int type, int subType, std::vector<int> counts,
                          QDate firmware = QDate(2012, 12, 31)) {
    QByteArray payload;
    for (int b : {type, subType, firmware.year() - 2000, firmware.month(), firmware.day(), 0, 0})
        payload.append(static_cast<char>(b));
    for (int count : counts) {
        payload.append(static_cast<char>(count & 0xFF));
        payload.append(static_cast<char>(count >> 8));
        payload.append(2, '\0');
    }
    return payload;
}

// A press record whose series number tells which it was.
QByteArray pressRecord(int series) {
    QByteArray payload(PressRecordSize, '\0');
    payload[0] = static_cast<char>(series);
    payload[23] = 1;  // day
    payload[24] = 1;  // month
    return payload;
}

class ExchangeControllerTest : public test::TempDatabaseTest {
protected:
    void SetUp() override {
        TempDatabaseTest::SetUp();
        port_.openable[0] = true;
        port_.openable[2] = true;
        exchange_ = std::make_unique<ExchangeController>(port_, timer_, db_, view_, settings_);
    }

    void presentPorts(std::initializer_list<int> numbers) {
        std::array<bool, 16> present{};
        for (int n : numbers)
            present[static_cast<size_t>(n - 1)] = true;
        exchange_->setPresentPorts(present);
    }

    // Probes COM3 (present COM1 and COM3), answers the probe and the identification.
    void connect(const QByteArray& identificationPayload) {
        presentPorts({1, 3});
        timer_.tick();
        ASSERT_TRUE(port_.isOpen());
        port_.receive("Z");
        timer_.tick();
        ASSERT_EQ(exchange_->state(), State::Identifying);
        port_.receive(encodeLongFrame(identificationPayload));
    }

    void connectKind5(std::vector<int> counts) {
        connect(identification(2, 41, counts));
        ASSERT_EQ(exchange_->state(), State::Connected);
        ASSERT_EQ(exchange_->DeviceListId(), 5);
    }

    // Rows of Data_Comm as "archive:N:series", in insertion order.
    QStringList rows() {
        QSqlQuery query(db_.connection());
        EXPECT_TRUE(
            query.exec(QStringLiteral("SELECT DeviceNArc, N, F1 FROM Data_Comm ORDER BY DataId")));
        QStringList out;
        while (query.next())
            out << QStringLiteral("%1:%2:%3")
                       .arg(query.value(0).toInt())
                       .arg(query.value(1).toInt())
                       .arg(query.value(2).toInt());
        return out;
    }

    void expectLinkReset() {
        EXPECT_EQ(exchange_->state(), State::Probing);
        EXPECT_FALSE(exchange_->Identified());
        EXPECT_FALSE(port_.isOpen());
        EXPECT_FALSE(view_.readArchiveEnabled);
        EXPECT_TRUE(view_.commOptionsEnabled);
        EXPECT_FALSE(view_.refreshTimerActive);
        EXPECT_EQ(view_.panels[1], QStringLiteral("Отключен"));
        EXPECT_EQ(view_.panels[0], QString());
        EXPECT_EQ(view_.panels[2], QString());
        EXPECT_EQ(exchange_->ReceivedLength(), 0);
    }

    // The last outcome reported.
    ReadOutcome outcome() const {
        EXPECT_FALSE(view_.outcomes.empty());
        return view_.outcomes.empty() ? ReadOutcome{} : view_.outcomes.back();
    }

    test::FakeSerialLink port_;
    test::FakeTickTimer timer_;
    test::FakeExchangeView view_;
    PortSettings settings_;
    std::unique_ptr<ExchangeController> exchange_;
};

TEST_F(ExchangeControllerTest, StartsDisconnectedAndTicksWaitForThePortList) {
    EXPECT_EQ(view_.panels[1], QStringLiteral("Отключен"));
    EXPECT_TRUE(timer_.isActive());
    timer_.tick();
    EXPECT_TRUE(port_.openedPorts.empty());

    exchange_->setPresentPorts({});
    EXPECT_TRUE(exchange_->ScanEnabled());
    timer_.tick();
    EXPECT_TRUE(port_.openedPorts.empty());
    EXPECT_EQ(view_.panels[1], QStringLiteral("Отключен"));
}

TEST_F(ExchangeControllerTest, AutomaticSearchCyclesOverThePresentPorts) {
    presentPorts({1, 3});  // nothing answers on either
    for (int i = 0; i < 5; ++i)
        timer_.tick();
    EXPECT_EQ(port_.openedPorts, (std::vector<int>{3, 1, 3, 1, 3}));
    EXPECT_EQ(view_.panels[0], QStringLiteral("Опрос порта COM3..."));

    // Ports that do not open (held by another program) are passed over in the same tick.
    port_.openedPorts.clear();
    port_.openable = {};
    timer_.tick();
    EXPECT_EQ(port_.openedPorts, (std::vector<int>{1, 3}));
    EXPECT_EQ(view_.panels[0], QStringLiteral("Опрос порта COM1..."));

    // A port that appears is probed at once; alone, it is probed again after a full cycle,
    // including past COM16.
    port_.openedPorts.clear();
    port_.openable[15] = true;
    presentPorts({16});
    EXPECT_EQ(port_.openedPorts, (std::vector<int>{16}));
    EXPECT_TRUE(port_.isOpen());
    timer_.tick();
    timer_.tick();
    EXPECT_EQ(port_.openedPorts, (std::vector<int>{16, 16, 16}));
}

TEST_F(ExchangeControllerTest, FixedPortIsAlwaysTheSelectedOne) {
    // The run's settings, changed after the exchange began: the next choice of a port sees them.
    settings_ = {false, QStringLiteral("COM 3")};
    presentPorts({1, 3});
    for (int i = 0; i < 3; ++i)
        timer_.tick();
    EXPECT_EQ(port_.openedPorts, (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(view_.panels[0], QStringLiteral("Опрос порта COM3..."));
    EXPECT_EQ(port_.sent, QByteArray("ZZZ"));

    // A text naming no usable port leaves the port as it was.
    for (const QString& text : {QString(), QStringLiteral("COM 17")}) {
        settings_.SelectedCom = text;
        timer_.tick();
        EXPECT_EQ(port_.openedPorts.back(), 3);
    }
}

TEST_F(ExchangeControllerTest, ProbeAnsweredThenIdentificationConnects) {
    presentPorts({1, 3});
    timer_.tick();
    EXPECT_EQ(port_.sent, QByteArray("Z"));
    // Bytes while probing are never kept; a Z among them is the echo.
    port_.receive("xxZyyP");
    EXPECT_EQ(exchange_->ReceivedLength(), 0);
    timer_.tick();
    EXPECT_EQ(port_.sent, QByteArray("ZV"));
    EXPECT_EQ(view_.panels[1], QStringLiteral("COM3/9600"));
    EXPECT_EQ(view_.panels[0], QStringLiteral("Запрос типа прибора и версии..."));

    // The frame arrives in pieces and is decoded once complete.
    const QByteArray frame = encodeLongFrame(identification(2, 41, {3, 2}));
    port_.receive(frame.left(10));
    EXPECT_EQ(exchange_->state(), State::Identifying);
    port_.receive(frame.mid(10));
    EXPECT_EQ(exchange_->state(), State::Connected);
    EXPECT_TRUE(exchange_->Identified());
    EXPECT_EQ(port_.sent, QByteArray("ZVZ"));
    EXPECT_EQ(view_.panels[2], QStringLiteral("ВТР-К9"));
    EXPECT_EQ(view_.panels[0], QString());
    EXPECT_EQ(view_.tabCaptions[0], QString());
    EXPECT_EQ(view_.tabCaptions[1], QStringLiteral("ВТР-К9"));
    EXPECT_EQ(view_.tabCaptions[2], QStringLiteral("ВТР-К9 Асфальтобетон"));
    EXPECT_TRUE(view_.readArchiveEnabled);
    EXPECT_EQ(exchange_->ExpectedCounts(), (std::vector<int>{3, 2}));
    EXPECT_EQ(exchange_->ExpectedTotal(), 5);
    EXPECT_TRUE(view_.messages.empty());
}

TEST_F(ExchangeControllerTest, KeepAliveNeedsAnEchoEveryTick) {
    connectKind5({1, 0});
    port_.receive("Z");
    timer_.tick();
    EXPECT_EQ(port_.sent, QByteArray("ZVZZ"));
    EXPECT_EQ(exchange_->state(), State::Connected);
    timer_.tick();
    expectLinkReset();
    EXPECT_TRUE(view_.outcomes.empty());  // no read was running
}

TEST_F(ExchangeControllerTest, Kind5ReadsBothArchivesInOrder) {
    connectKind5({3, 2});
    EXPECT_TRUE(view_.outcomes.empty());
    port_.sent.clear();
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    EXPECT_FALSE(view_.readArchiveEnabled);
    EXPECT_FALSE(view_.commOptionsEnabled);
    EXPECT_TRUE(view_.refreshTimerActive);
    EXPECT_EQ(view_.refreshes, 1);
    for (int series = 1; series <= 5; ++series) {
        EXPECT_EQ(exchange_->state(), State::Reading);
        port_.receive(encodeShortFrame(pressRecord(series)));
        if (series == 2) {
            EXPECT_EQ(view_.panels[0], QStringLiteral("Прием информации... Принято: 2/5"));
        }
    }
    EXPECT_EQ(port_.sent, QByteArray("nOOOOZ"));
    EXPECT_EQ(rows(), (QStringList{"0:1:1", "0:2:2", "0:3:3", "1:1:4", "1:2:5"}));
    EXPECT_EQ(exchange_->state(), State::Connected);
    EXPECT_EQ(view_.panels[0], QString());
    EXPECT_FALSE(view_.refreshTimerActive);
    EXPECT_EQ(view_.refreshes, 2);
    EXPECT_TRUE(view_.readArchiveEnabled);
    EXPECT_TRUE(view_.commOptionsEnabled);

    // The same story as values: the states, the progress with the archive read, the outcome.
    EXPECT_EQ(view_.states,
              (std::vector<ExchangeState>{ExchangeState::Identifying, ExchangeState::Connected,
                                          ExchangeState::Reading, ExchangeState::Connected}));
    QStringList progress;
    for (const ReadProgress& report : view_.progress)
        progress << QStringLiteral("%1%2/%3@%4")
                        .arg(report.reading ? "" : "end ")
                        .arg(report.received)
                        .arg(report.expected)
                        .arg(report.archive);
    EXPECT_EQ(progress, (QStringList{"0/5@0", "1/5@0", "2/5@0", "3/5@1", "4/5@1", "end 5/5@1"}));
    ASSERT_EQ(view_.outcomes.size(), 1u);
    EXPECT_EQ(outcome().result, ReadResult::Complete);
    EXPECT_EQ(outcome().received, 5);
    EXPECT_EQ(outcome().expected, 5);
    EXPECT_EQ(outcome().notStored, 0);

    // A second read first deletes the kind's rows and numbers from 1 again.
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    EXPECT_TRUE(rows().isEmpty());
    port_.receive(encodeShortFrame(pressRecord(9)));
    EXPECT_EQ(rows(), (QStringList{"0:1:9"}));
}

// The echo of the keep-alive sent right after identification may come after the read has
// begun: alone, or in one chunk with the first record. It is not part of the record.
TEST_F(ExchangeControllerTest, AKeepAliveEchoAfterTheReadBeganIsNotPartOfTheRecord) {
    connectKind5({2, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive("Z");
    port_.receive(encodeShortFrame(pressRecord(1)));
    port_.receive(encodeShortFrame(pressRecord(2)));
    EXPECT_EQ(rows(), (QStringList{"0:1:1", "0:2:2"}));
    EXPECT_EQ(exchange_->state(), State::Connected);
}

TEST_F(ExchangeControllerTest, AKeepAliveEchoInFrontOfTheFirstRecordIsNotPartOfIt) {
    connectKind5({2, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive("Z" + encodeShortFrame(pressRecord(1)));
    port_.receive(encodeShortFrame(pressRecord(2)));
    EXPECT_EQ(rows(), (QStringList{"0:1:1", "0:2:2"}));
    EXPECT_EQ(exchange_->state(), State::Connected);
}

TEST_F(ExchangeControllerTest, OneRecordArchiveIsAnsweredWithZNeverO) {
    connect(identification(1, 0, {1}));
    ASSERT_EQ(exchange_->DeviceListId(), 1);
    EXPECT_EQ(view_.tabCaptions[0], QStringLiteral("ОСК-К9"));
    port_.sent.clear();
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(encodeShortFrame(QByteArray(OskRecordSize, '\1')));
    EXPECT_EQ(port_.sent, QByteArray("nZ"));
    EXPECT_EQ(count(QStringLiteral("Data_Comm"), QStringLiteral("DeviceListId=1")), 1);
}

TEST_F(ExchangeControllerTest, EmptyArchivesAreSkipped) {
    connectKind5({0, 2});
    port_.sent.clear();
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    EXPECT_EQ(exchange_->CurrentArchive(), 1);
    port_.receive(encodeShortFrame(pressRecord(1)));
    port_.receive(encodeShortFrame(pressRecord(2)));
    EXPECT_EQ(port_.sent, QByteArray("nOZ"));
    EXPECT_EQ(rows(), (QStringList{"1:1:1", "1:2:2"}));
}

TEST_F(ExchangeControllerTest, ReadEndsWhenTheRemainingArchivesAreEmpty) {
    connectKind5({2, 0});
    port_.sent.clear();
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(encodeShortFrame(pressRecord(1)));
    port_.receive(encodeShortFrame(pressRecord(2)));
    EXPECT_EQ(port_.sent, QByteArray("nOZ"));
    EXPECT_EQ(exchange_->state(), State::Connected);
    EXPECT_EQ(rows(), (QStringList{"0:1:1", "0:2:2"}));
}

TEST_F(ExchangeControllerTest, DamagedRecordKeepsEarlierRowsAndResetsTheLink) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(encodeShortFrame(pressRecord(1)));
    QByteArray damaged = encodeShortFrame(pressRecord(2));
    damaged[5] = '?';
    port_.receive(damaged);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, QStringLiteral("Ошибка передачи данных !!!"));
    EXPECT_EQ(view_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::Error);
    expectLinkReset();
    EXPECT_EQ(outcome().result, ReadResult::TransmissionError);
    EXPECT_EQ(outcome().received, 1);
    EXPECT_FALSE(view_.progress.back().reading);
    EXPECT_EQ(rows(), (QStringList{"0:1:1"}));
    EXPECT_TRUE(timer_.isActive());
    timer_.tick();
    EXPECT_TRUE(port_.isOpen());  // probing goes on
}

TEST_F(ExchangeControllerTest, ShortRecordPayloadIsATransmissionError) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(encodeShortFrame(pressRecord(1).left(PressRecordSize - 2)));
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, QStringLiteral("Ошибка передачи данных !!!"));
    expectLinkReset();
    EXPECT_EQ(outcome().result, ReadResult::TransmissionError);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 0);
}

TEST_F(ExchangeControllerTest, SilenceWhileAFrameIsAwaitedResetsAfterTwoTicks) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(encodeShortFrame(pressRecord(1)));
    port_.receive("S12");  // part of the next frame, then nothing
    timer_.tick();
    EXPECT_EQ(exchange_->state(), State::Reading);
    timer_.tick();
    expectLinkReset();
    EXPECT_EQ(outcome().result, ReadResult::NoInstrument);
    EXPECT_EQ(rows(), (QStringList{"0:1:1"}));
}

TEST_F(ExchangeControllerTest, UnknownInstrumentIsNotIdentified) {
    connect(identification(9, 9, {4}));
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, QStringLiteral("Прибор не опознан!"));
    EXPECT_EQ(view_.messages[0].caption, QStringLiteral("Ошибка"));
    expectLinkReset();
    EXPECT_EQ(outcome().result, ReadResult::UnknownInstrument);
    EXPECT_EQ(view_.tabCaptions, (std::array<QString, 3>{}));
}

TEST_F(ExchangeControllerTest, KindOutsideTheKnownOnesIsNotIdentified) {
    QSqlQuery insert(db_.connection());
    ASSERT_TRUE(insert.exec(QStringLiteral(
        "INSERT INTO DeviceList (DeviceListId, DeviceName, DeviceNumArc, DeviceVersion, "
        "DeviceType, DeviceSubType) VALUES (6, 'X', 1, '2012-12-31 00:00:00', 7, 7)")));
    connect(identification(7, 7, {4}));
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, QStringLiteral("Прибор не опознан!"));
    expectLinkReset();
}

TEST_F(ExchangeControllerTest, IdentificationNeedsElevenBytesAndEveryArchiveCount) {
    connect(identification(1, 0, {4}).left(10));
    EXPECT_TRUE(view_.messages.empty());
    expectLinkReset();

    connect(identification(1, 0, {4}));
    EXPECT_EQ(exchange_->state(), State::Connected);
    EXPECT_EQ(exchange_->ExpectedTotal(), 4);

    // Kind 5 keeps two archives: eleven bytes hold only the first count.
    port_.vanish();
    connect(identification(2, 41, {4, 4}).left(11));
    EXPECT_TRUE(view_.messages.empty());
    expectLinkReset();
}

TEST_F(ExchangeControllerTest, NewerFirmwareStaysConnectedButCannotRead) {
    connect(identification(2, 30, {4}, QDate(2012, 12, 31)));
    EXPECT_TRUE(view_.readArchiveEnabled);

    port_.vanish();
    connect(identification(2, 30, {4}, QDate(2013, 1, 1)));
    EXPECT_EQ(exchange_->state(), State::Connected);
    EXPECT_TRUE(exchange_->Identified());
    EXPECT_EQ(view_.panels[0], QStringLiteral("Неизвестная версия прибора"));
    EXPECT_EQ(view_.panels[2], QStringLiteral("ВТР-К9"));
    EXPECT_FALSE(view_.readArchiveEnabled);
    EXPECT_FALSE(exchange_->A_ReadArcExecute());
    EXPECT_TRUE(view_.messages.empty());
    ASSERT_EQ(view_.outcomes.size(), 1u);
    EXPECT_EQ(outcome().result, ReadResult::UnknownFirmware);
}

TEST_F(ExchangeControllerTest, EmptyArchiveIsReportedAndCannotBeRead) {
    connectKind5({0, 0});
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, QStringLiteral("Записей в архиве нет!"));
    EXPECT_EQ(view_.messages[0].caption, QStringLiteral("Информация"));
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(outcome().result, ReadResult::EmptyArchive);
    EXPECT_FALSE(view_.readArchiveEnabled);
    EXPECT_FALSE(exchange_->A_ReadArcExecute());
    EXPECT_EQ(port_.sent.count('n'), 0);
}

TEST_F(ExchangeControllerTest, ResetWhileTheEmptyArchiveBoxIsShownWins) {
    view_.onMessage = [this] { port_.vanish(); };
    connect(identification(1, 0, {0}));
    ASSERT_EQ(view_.messages.size(), 1u);
    expectLinkReset();
    EXPECT_EQ(port_.sent, QByteArray("ZV"));
}

TEST_F(ExchangeControllerTest, OverlongFrameDropsTheBufferInsteadOfOverrunningIt) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    const QByteArray piece(4096, '0');
    for (int i = 0; i < ReceiveBuffer::Capacity / piece.size(); ++i)
        port_.receive(piece);
    EXPECT_EQ(exchange_->ReceivedLength(), ReceiveBuffer::Capacity);
    EXPECT_EQ(exchange_->state(), State::Reading);
    port_.receive("0");
    expectLinkReset();
    EXPECT_EQ(outcome().result, ReadResult::TransmissionError);
}

TEST_F(ExchangeControllerTest, FrameEndingRightAtTheBufferEndIsStillDecoded) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    const QByteArray frame = encodeShortFrame(pressRecord(1));
    port_.receive(QByteArray(ReceiveBuffer::Capacity - frame.size() + 1, 'x'));
    // The frame's end mark falls on the last index; the bytes after it do not fit.
    port_.receive(frame.mid(1) + "trailing");
    EXPECT_EQ(exchange_->state(), State::Probing);  // no start mark: damaged
    EXPECT_EQ(view_.messages.back().text, QStringLiteral("Ошибка передачи данных !!!"));

    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(QByteArray(ReceiveBuffer::Capacity - frame.size(), 'x'));
    port_.receive(frame + "trailing");
    EXPECT_EQ(rows(), (QStringList{"0:1:1"}));
    EXPECT_EQ(exchange_->state(), State::Reading);
}

TEST_F(ExchangeControllerTest, VanishingPortResetsTheLinkAndKeepsRows) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    port_.receive(encodeShortFrame(pressRecord(1)));
    const int refreshesBefore = view_.refreshes;
    port_.openable[2] = false;  // the adapter is gone
    port_.vanish();
    expectLinkReset();
    EXPECT_EQ(outcome().result, ReadResult::PortLost);
    EXPECT_EQ(rows(), (QStringList{"0:1:1"}));
    EXPECT_EQ(view_.refreshes, refreshesBefore + 1);  // the rows kept are shown
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text,
              QStringLiteral("Порт COM3 отключен, чтение прервано. Принято: 1/3"));
    EXPECT_FALSE(exchange_->A_ReadArcExecute());

    // The search goes on over the ports present now.
    presentPorts({1});
    port_.openedPorts.clear();
    timer_.tick();
    timer_.tick();
    EXPECT_EQ(port_.openedPorts, (std::vector<int>{1, 1}));
}

TEST_F(ExchangeControllerTest, InsertFailuresShowOneMessageAndTheReadEndsCountingThem) {
    connectKind5({4, 0});
    // The disk fills up after the first record.
    QSqlQuery sql(db_.connection());
    ASSERT_TRUE(sql.exec(
        QStringLiteral("CREATE TRIGGER disk_full BEFORE INSERT ON Data_Comm WHEN NEW.N > 1 "
                       "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")));
    port_.sent.clear();
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    for (int series = 1; series <= 4; ++series)
        port_.receive(encodeShortFrame(pressRecord(series)));

    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_TRUE(view_.messages[0].text.contains(QStringLiteral("disk is full")));
    EXPECT_EQ(view_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(port_.sent, QByteArray("nOOOZ"));  // every record was asked for
    EXPECT_EQ(rows(), (QStringList{"0:1:1"}));
    EXPECT_EQ(exchange_->state(), State::Connected);
    EXPECT_EQ(view_.panels[0], QStringLiteral("Не сохранено записей: 3 из 4"));
    EXPECT_EQ(outcome().result, ReadResult::Complete);
    EXPECT_EQ(outcome().received, 4);
    EXPECT_EQ(outcome().notStored, 3);

    // The next read counts afresh.
    ASSERT_TRUE(sql.exec(QStringLiteral("DROP TRIGGER disk_full")));
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    for (int series = 1; series <= 4; ++series)
        port_.receive(encodeShortFrame(pressRecord(series)));
    EXPECT_EQ(outcome().notStored, 0);
    EXPECT_EQ(view_.panels[0], QString());
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 4);
}

TEST_F(ExchangeControllerTest, ResetWhileAnInsertErrorIsShownEndsTheRead) {
    connectKind5({3, 0});
    ASSERT_TRUE(exchange_->A_ReadArcExecute());
    QSqlQuery drop(db_.connection());
    ASSERT_TRUE(drop.exec(QStringLiteral("DROP TABLE Data_Comm")));
    view_.onMessage = [this] { port_.vanish(); };
    const QByteArray sentBefore = port_.sent;
    port_.receive(encodeShortFrame(pressRecord(1)));
    expectLinkReset();
    EXPECT_EQ(port_.sent, sentBefore);
    EXPECT_EQ(exchange_->ReceivedTotal(), 0);
    EXPECT_EQ(outcome().result, ReadResult::PortLost);
    EXPECT_EQ(outcome().notStored, 1);
}

}  // namespace
}  // namespace vlr::link
