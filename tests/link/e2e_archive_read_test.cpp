// Archive reads end to end: the real port driver and exchange on one side of a pseudo-terminal,
// the simulated instrument on the other.

#include "link/e2e_rig.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

using sim::InstrumentKind;
using State = link::ExchangeController::State;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// The press record of the worked example: series 3, specimen 1, heavy concrete cube 50x50,
// load word 1100, strength 2570, K 97, rate 1500 in kN/s, 21.06.2008 10:59:15.
QByteArray workedPressRecord(int series = 3) {
    return bytes({series, 1,    0,  0, 0, 0xF4, 0x01, 0xF4, 0x01, 0,  0,  0x4C, 0x04,
                  0x0A,   0x0A, 97, 0, 1, 0xDC, 0x05, 15,   59,   10, 21, 6,    8});
}

// An asphalt test: series 7, specimen 2, method t, d 100 mm, h 63.5 mm, load word 12345,
// strength 250, displacement 2500, work 1234.
QByteArray asphaltRecord(int method) {
    return bytes({7,    2, 5,    0,    method, 0xE8, 0x03, 0x7B, 0x02, 0,  0, 0x39, 0x30,
                  0xFA, 0, 0xC4, 0x09, 0,      0xD2, 0x04, 0,    0,    12, 1, 3,    9});
}

void expectNull(const QVariantMap& row, const QStringList& fields) {
    for (const QString& field : fields)
        EXPECT_TRUE(row.value(field).isNull()) << field.toStdString() << " is not Null";
}

QStringList range(const QString& prefix, int from, int to) {
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << prefix + QString::number(i);
    return names;
}

class ArchiveReadTest : public TempDatabaseTest {
protected:
    std::unique_ptr<LinkRig> rigFor(SimulatedInstrument& instrument) {
        auto rig = std::make_unique<LinkRig>(db_, portsAt({{1, instrument.server.devicePath()}}));
        rig->link.lookUpPorts();
        return rig;
    }
};

TEST_F(ArchiveReadTest, OskRecordsArriveWithEveryField) {
    SimulatedInstrument instrument(instrumentSetup(
        InstrumentKind::Osk, {{bytes({3, 2, 10, 12, 123, 0, 0xFF, 0xFF, 15, 59, 10, 21, 6, 8}),
                               bytes({12, 7, 11, 8, 0, 0, 0, 0, 0, 0, 12, 31, 4, 10})}}));
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    EXPECT_EQ(rig->exchange().state(), State::Connected);
    EXPECT_EQ(rig->view.tabCaptions[0], QStringLiteral("ОСК-К9"));
    const auto rows = receivedRows(db_);
    ASSERT_EQ(rows.size(), 2u);
    const QVariantMap& first = rows[0];
    EXPECT_EQ(first["DeviceListId"].toInt(), 1);
    EXPECT_EQ(first["DeviceNArc"].toInt(), 0);
    EXPECT_EQ(first["N"].toInt(), 1);
    EXPECT_EQ(first["T1"].toString(), QStringLiteral("И1"));
    EXPECT_EQ(first["T2"].toString(), QStringLiteral("A-III"));
    EXPECT_EQ(first["T3"].toString(), QStringLiteral("Свая"));
    EXPECT_EQ(first["T4"].toString(), QStringLiteral("Определение d и H"));
    EXPECT_FLOAT_EQ(first["F1"].toFloat(), 12.3f);
    EXPECT_FLOAT_EQ(first["F2"].toFloat(), 6553.5f);
    EXPECT_EQ(first["DateTime"].toString(), QStringLiteral("2008-06-21 10:59:15"));
    expectNull(first, range("F", 3, 10) + range("T", 5, 10) + range("B", 1, 10) +
                          QStringList{QStringLiteral("Comment")});

    const QVariantMap& second = rows[1];
    EXPECT_EQ(second["N"].toInt(), 2);
    for (const char* field : {"T1", "T2", "T3"})
        EXPECT_EQ(second[field].toString(), QStringLiteral("---Ошибка---")) << field;
    EXPECT_EQ(second["T4"].toString(), QStringLiteral("Определение H"));
    EXPECT_FLOAT_EQ(second["F1"].toFloat(), 0.0f);
    EXPECT_EQ(second["DateTime"].toString(), QStringLiteral("2005-01-01 00:00:00"));
}

TEST_F(ArchiveReadTest, PressRecordsArriveWithEveryField) {
    // Material 8 with method 1: no strength, and the size text of the bending rule.
    QByteArray cement = workedPressRecord(4);
    cement[2] = 8;
    cement[4] = 1;
    cement[9] = char(0x58);  // C = 600 / 10
    cement[10] = char(0x02);
    SimulatedInstrument instrument(
        instrumentSetup(InstrumentKind::Vtr, {{workedPressRecord(), cement}}, 30));
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    const auto rows = receivedRows(db_);
    ASSERT_EQ(rows.size(), 2u);
    const QVariantMap& row = rows[0];
    EXPECT_EQ(row["DeviceListId"].toInt(), 2);
    EXPECT_EQ(row["N"].toInt(), 1);
    EXPECT_FLOAT_EQ(row["F1"].toFloat(), 3.0f);
    EXPECT_FLOAT_EQ(row["F2"].toFloat(), 1.0f);
    EXPECT_EQ(row["T1"].toString(), QStringLiteral("Бетон тяжелый"));
    EXPECT_EQ(row["T7"].toString(), QStringLiteral("Сжатие"));
    EXPECT_EQ(row["T3"].toString(), QStringLiteral("Куб"));
    EXPECT_EQ(row["T2"].toString(), QStringLiteral("50x50"));
    EXPECT_FLOAT_EQ(row["F3"].toFloat(), 110.0f);
    EXPECT_EQ(row["T8"].toString(), QStringLiteral("25,7"));
    EXPECT_FLOAT_EQ(row["F5"].toFloat(), 0.97f);
    EXPECT_EQ(row["T9"].toString(), QStringLiteral("1,5 кН/с"));
    EXPECT_EQ(row["DateTime"].toString(), QStringLiteral("2008-06-21 10:59:15"));
    expectNull(row, QStringList{"F4", "T4", "T5", "T6", "T10", "Comment"} + range("F", 6, 10) +
                        range("B", 1, 10));

    const QVariantMap& bending = rows[1];
    EXPECT_EQ(bending["T1"].toString(), QStringLiteral("Цемент"));
    EXPECT_EQ(bending["T7"].toString(), QStringLiteral("Изгиб"));
    EXPECT_EQ(bending["T8"].toString(), QStringLiteral(" - "));
    EXPECT_EQ(bending["T2"].toString(), QStringLiteral("h= 50;b= 50; L= 60"));
}

TEST_F(ArchiveReadTest, AsphaltVariantReadsBothArchivesInOrderWithNRestarting) {
    SimulatedInstrument instrument(instrumentSetup(
        InstrumentKind::Vtra, {{workedPressRecord(1), workedPressRecord(2), workedPressRecord(3)},
                               {asphaltRecord(4), asphaltRecord(3)}}));
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    const auto rows = receivedRows(db_);
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i]["DeviceListId"].toInt(), 5);
        EXPECT_EQ(rows[i]["DeviceNArc"].toInt(), 0);
        EXPECT_EQ(rows[i]["N"].toInt(), i + 1);
        EXPECT_FLOAT_EQ(rows[i]["F1"].toFloat(), float(i + 1));  // series: arrival order kept
        EXPECT_FLOAT_EQ(rows[i]["F3"].toFloat(), 11.0f);         // subtype 41 divides by 100
    }
    const QVariantMap& uniaxial = rows[3];
    EXPECT_EQ(uniaxial["DeviceNArc"].toInt(), 1);
    EXPECT_EQ(uniaxial["N"].toInt(), 1);
    EXPECT_EQ(uniaxial["T1"].toString(), QStringLiteral("Асфальтобетон"));
    EXPECT_EQ(uniaxial["T7"].toString(), QStringLiteral("Одноосное сжатие"));
    EXPECT_EQ(uniaxial["T3"].toString(), QStringLiteral("Цилиндр"));
    EXPECT_EQ(uniaxial["T2"].toString(), QStringLiteral("диам. 100; h=63,5"));
    EXPECT_FLOAT_EQ(uniaxial["F3"].toFloat(), 123.45f);
    EXPECT_EQ(uniaxial["T8"].toString(), QStringLiteral("2,5"));
    EXPECT_FLOAT_EQ(uniaxial["F5"].toFloat(), 2.5f);
    EXPECT_EQ(uniaxial["T9"].toString(), QStringLiteral("50"));
    EXPECT_FLOAT_EQ(uniaxial["F10"].toFloat(), 12.34f);
    EXPECT_EQ(uniaxial["DateTime"].toString(), QStringLiteral("2009-03-01 12:00:00"));
    const QVariantMap& marshall = rows[4];
    EXPECT_EQ(marshall["N"].toInt(), 2);
    EXPECT_EQ(marshall["T7"].toString(), QStringLiteral("Схема Маршалла"));
    EXPECT_EQ(marshall["T8"].toString(), QString());
    EXPECT_FALSE(marshall["T8"].isNull());
    EXPECT_EQ(rig->view.tabCaptions[2], QStringLiteral("ВТР-К9 Асфальтобетон"));

    // Probe, identification, then n, O per further record, Z after the last; only
    // keep-alive pings afterwards.
    ASSERT_TRUE(runUntil([&] { return instrument.server.received().endsWith('Z'); }));
    const QByteArray letters = instrument.server.received();
    EXPECT_TRUE(letters.startsWith("ZV")) << letters.toStdString();
    const QByteArray read = letters.mid(letters.indexOf('n'));
    EXPECT_TRUE(QString::fromLatin1(read).contains(QRegularExpression("^nOOOOZ+$")))
        << letters.toStdString();
}

TEST_F(ArchiveReadTest, EmptyFirstArchiveIsSkipped) {
    SimulatedInstrument instrument(
        instrumentSetup(InstrumentKind::Vtra, {{}, {asphaltRecord(4), asphaltRecord(3)}}));
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    const auto rows = receivedRows(db_);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["DeviceNArc"].toInt(), 1);
    EXPECT_EQ(rows[1]["N"].toInt(), 2);
    ASSERT_TRUE(runUntil([&] { return instrument.server.received().endsWith('Z'); }));
    const QByteArray letters = instrument.server.received();
    EXPECT_TRUE(QString::fromLatin1(letters.mid(letters.indexOf('n')))
                    .contains(QRegularExpression("^nOZ+$")))
        << letters.toStdString();
}

TEST_F(ArchiveReadTest, FramesSplitAcrossChunksAreReassembled) {
    // Paced at a fast line rate with a pause before each answer: every frame reaches the
    // exchange in several pieces.
    const sim::Archives archives = sim::generateArchives(InstrumentKind::Vtr, {6}, 7);
    SimulatedInstrument instrument(instrumentSetup(InstrumentKind::Vtr, archives), {},
                                   {115200, 10, 2});
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());
    EXPECT_EQ(rig->exchange().ReceivedTotal(), 6);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 6);
}

TEST_F(ArchiveReadTest, DamagedFrameKeepsTheRowsBeforeItAndResetsTheLink) {
    const sim::Archives archives = sim::generateArchives(InstrumentKind::Osk, {5}, 3);
    SimulatedInstrument instrument(instrumentSetup(InstrumentKind::Osk, archives), {3, 0, 0});
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    EXPECT_EQ(rig->exchange().state(), State::Probing);
    ASSERT_EQ(rig->view.messages.size(), 1u);
    EXPECT_EQ(rig->view.messages[0].text, QStringLiteral("Ошибка передачи данных !!!"));
    EXPECT_EQ(rig->view.panels[1], QStringLiteral("Отключен"));
    const auto rows = receivedRows(db_);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1]["N"].toInt(), 2);
}

TEST_F(ArchiveReadTest, ShortPayloadIsATransmissionErrorAndStoresNothingOfIt) {
    const sim::Archives archives = sim::generateArchives(InstrumentKind::Vtr, {4}, 5);
    SimulatedInstrument instrument(instrumentSetup(InstrumentKind::Vtr, archives), {0, 0, 2});
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    ASSERT_EQ(rig->view.messages.size(), 1u);
    EXPECT_EQ(rig->view.messages[0].text, QStringLiteral("Ошибка передачи данных !!!"));
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 1);
}

TEST_F(ArchiveReadTest, SilenceDuringTheReadResetsTheLinkAndKeepsTheRows) {
    const sim::Archives archives = sim::generateArchives(InstrumentKind::Vtr, {5}, 9);
    SimulatedInstrument instrument(instrumentSetup(InstrumentKind::Vtr, archives), {0, 2, 0});
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());

    EXPECT_EQ(rig->exchange().state(), State::Probing);
    EXPECT_TRUE(rig->view.messages.empty());
    EXPECT_EQ(rig->view.panels[1], QStringLiteral("Отключен"));
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 2);
    // The instrument stays silent, so probing goes on without identifying it again.
    ASSERT_TRUE(runUntil([&] { return rig->view.panels[0].startsWith("Опрос порта"); }));
    EXPECT_FALSE(rig->exchange().Identified());
}

TEST_F(ArchiveReadTest, PortVanishingMidReadResetsTheLinkWithoutLosingRows) {
    const sim::Archives archives = sim::generateArchives(InstrumentKind::Vtr, {6}, 11);
    SimulatedInstrument instrument(instrumentSetup(InstrumentKind::Vtr, archives));
    auto rig = rigFor(instrument);
    int portErrors = 0;
    const auto exchangeHandler = rig->driver.onPortError;
    rig->driver.onPortError = [&] {
        ++portErrors;
        exchangeHandler();
    };
    // The adapter is pulled out as the third record is asked for.
    instrument.server.onExchange = [&](char, const QByteArray&) {
        if (instrument.model.lastRecordSent() == 3)
            QMetaObject::invokeMethod(
                &instrument.server, [&] { instrument.server.close(); }, Qt::QueuedConnection);
    };
    ASSERT_TRUE(rig->readArchive());

    EXPECT_EQ(portErrors, 1);  // the reset came from the port, not from the silence after it
    EXPECT_EQ(rig->view.outcomes.back().result, link::ReadResult::PortLost);
    EXPECT_EQ(rig->exchange().state(), State::Probing);
    EXPECT_FALSE(rig->driver.IsOpen());
    EXPECT_EQ(rig->view.panels[1], QStringLiteral("Отключен"));
    const int stored = count(QStringLiteral("Data_Comm"));
    EXPECT_GE(stored, 2);
    EXPECT_LE(stored, 3);
    // Probing goes on. Whether the old path opens again is not checked: the pseudo-terminal
    // number is free once the device is gone and a parallel test may be given it at once.
    const int opensBefore = rig->exchange().PortIndex();
    ASSERT_TRUE(runUntil([&] { return rig->view.panels[0].startsWith("Опрос порта"); }));
    EXPECT_EQ(rig->exchange().PortIndex(), opensBefore);
}

TEST_F(ArchiveReadTest, UnknownInstrumentIsNotIdentified) {
    sim::InstrumentSetup setup = instrumentSetup(InstrumentKind::Vtr, {{workedPressRecord()}});
    setup.deviceType = 9;
    SimulatedInstrument instrument(setup);
    auto rig = rigFor(instrument);
    ASSERT_TRUE(runUntil([&] { return !rig->view.messages.empty(); }));

    EXPECT_EQ(rig->view.messages[0].text, QStringLiteral("Прибор не опознан!"));
    EXPECT_EQ(rig->view.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_FALSE(rig->exchange().Identified());
    EXPECT_EQ(rig->exchange().state(), State::Probing);
    EXPECT_FALSE(rig->view.readArchiveEnabled);
}

TEST_F(ArchiveReadTest, SecondReadStartsAgainAtTheFirstRecord) {
    SimulatedInstrument instrument(instrumentSetup(
        InstrumentKind::Vtra, {{workedPressRecord(1)}, {asphaltRecord(4), asphaltRecord(3)}}));
    auto rig = rigFor(instrument);
    ASSERT_TRUE(rig->readArchive());
    ASSERT_TRUE(rig->readArchive());

    const auto rows = receivedRows(db_);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["N"].toInt(), 1);
    EXPECT_EQ(rows[2]["N"].toInt(), 2);
    EXPECT_EQ(instrument.server.received().count('n'), 2);
}

}  // namespace
}  // namespace vlr::test
