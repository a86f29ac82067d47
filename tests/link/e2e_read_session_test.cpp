// The unattended read behind `vlr read`: the session over a real exchange and port, the console
// view's text, saving the received rows, and the vlr-sim tool itself.

#include "link/archive_read_session.h"
#include "link/console_exchange_view.h"
#include "link/e2e_rig.h"
#include "store/received_rows_file.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

using link::ReadResult;
using sim::InstrumentKind;

class ReadSessionTest : public TempDatabaseTest {
protected:
    // Runs one read against the COM1 device until the session ends.
    ReadResult readFrom(const QString& device, int answerTimeoutMs = 10000) {
        link_.reset();  // it holds the previous port and timer
        driver_ = std::make_unique<link::TCommPortDriver>(portsAt({{1, device}}));
        timer_ = link::makeQtTickTimer(TestTickMs);
        link_ = std::make_unique<link::LinkSession>(*driver_, *timer_, db_, view_, settings_,
                                                    link::namedPortsLookUp(portsAt({{1, device}})));
        link_->lookUpPorts();
        link::ArchiveReadSession session(*link_, view_, answerTimeoutMs);
        session.start();
        EXPECT_TRUE(runUntil([&] { return session.finished(); }));
        outcome_ = session.outcome();
        readStarted_ = session.readStarted();
        return outcome_.result;
    }

    QString text_;
    QTextStream out_{&text_};
    link::ConsoleExchangeView view_{out_, false};
    const link::PortSettings settings_;
    std::unique_ptr<link::TCommPortDriver> driver_;
    std::unique_ptr<link::TickTimer> timer_;
    std::unique_ptr<link::LinkSession> link_;
    link::ReadOutcome outcome_;
    bool readStarted_ = false;
};

TEST_F(ReadSessionTest, ReadsTheWholeArchiveAndPrintsItsProgress) {
    SimulatedInstrument instrument(
        instrumentSetup(InstrumentKind::Vtr, sim::generateArchives(InstrumentKind::Vtr, {3}, 1)));
    EXPECT_EQ(readFrom(instrument.server.devicePath()), ReadResult::Complete);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 3);
    const QStringList lines = text_.split('\n');
    EXPECT_TRUE(lines.contains(QStringLiteral("Опрос порта COM1...")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Порт: COM1/9600")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Прибор: ВТР-К9")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Прием информации... Принято: 1/3")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Прием информации... Принято: 3/3")));
}

TEST_F(ReadSessionTest, TellsEachWayAReadCanEnd) {
    {
        sim::InstrumentSetup setup = instrumentSetup(InstrumentKind::Osk, {{}});
        setup.deviceSubType = 99;
        SimulatedInstrument unknown(setup);
        EXPECT_EQ(readFrom(unknown.server.devicePath()), ReadResult::UnknownInstrument);
        EXPECT_TRUE(text_.contains(QStringLiteral("Ошибка: Прибор не опознан!")));
    }
    {
        SimulatedInstrument empty(instrumentSetup(InstrumentKind::Osk, {{}}));
        EXPECT_EQ(readFrom(empty.server.devicePath()), ReadResult::EmptyArchive);
    }
    {
        sim::InstrumentSetup setup = instrumentSetup(
            InstrumentKind::Osk, sim::generateArchives(InstrumentKind::Osk, {2}, 1));
        setup.firmwareDate = QDate(2013, 1, 1);  // one day after the newest known
        SimulatedInstrument newer(setup);
        EXPECT_EQ(readFrom(newer.server.devicePath()), ReadResult::UnknownFirmware);
        EXPECT_EQ(count(QStringLiteral("Data_Comm")), 0);
    }
    {
        SimulatedInstrument damaged(
            instrumentSetup(InstrumentKind::Osk,
                            sim::generateArchives(InstrumentKind::Osk, {4}, 1)),
            {2, 0, 0});
        EXPECT_EQ(readFrom(damaged.server.devicePath()), ReadResult::TransmissionError);
        EXPECT_EQ(outcome_.received, 1);
        EXPECT_EQ(outcome_.expected, 4);
    }
    {
        SimulatedInstrument silent(
            instrumentSetup(InstrumentKind::Osk,
                            sim::generateArchives(InstrumentKind::Osk, {4}, 1)),
            {0, 2, 0});
        EXPECT_EQ(readFrom(silent.server.devicePath()), ReadResult::NoInstrument);
        EXPECT_TRUE(readStarted_);  // fell silent during the read, not before it
        EXPECT_EQ(outcome_.received, 2);
    }
}

TEST_F(ReadSessionTest, NoInstrumentWithinTheTimeAllowed) {
    // A port that opens but where nothing answers.
    sim::InstrumentSetup setup;
    setup.archives = {{QByteArray(26, '\0')}};
    sim::InstrumentModel silentModel(setup, {0, 1, 0});
    silentModel.answer('n');  // silent from now on
    sim::PtyInstrumentServer server(silentModel, {0, 10, 0});
    server.open();
    EXPECT_EQ(readFrom(server.devicePath(), 3 * TestTickMs), ReadResult::NoInstrument);
    EXPECT_FALSE(readStarted_);
    EXPECT_FALSE(link_->exchange().Identified());
}

TEST_F(ReadSessionTest, SavedRowsGoIntoOneNewSavedFilePerArchive) {
    SimulatedInstrument instrument(instrumentSetup(
        InstrumentKind::Vtra, sim::generateArchives(InstrumentKind::Vtra, {3, 2}, 5)));
    ASSERT_EQ(readFrom(instrument.server.devicePath()), ReadResult::Complete);

    const int older = createFile(QStringLiteral("Архив"), 2, true);
    const auto files = store::saveReceivedRows(db_, QStringLiteral("Архив"), 5, 2);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].fileKind, 2);
    EXPECT_EQ(files[0].rows, 3);
    EXPECT_EQ(files[1].fileKind, 5);
    EXPECT_EQ(files[1].rows, 2);
    // The two files of one save can be told apart by name.
    EXPECT_EQ(files[0].name, QStringLiteral("Архив"));
    EXPECT_EQ(files[1].name, QStringLiteral("Архив (Асфальтобетон)"));
    EXPECT_NE(files[0].fileNameId, older);  // never the older file of the same name
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("FileNameId=%1").arg(older)), 0);
    for (const store::ReceivedRowsFile& file : files) {
        const QString where = QStringLiteral("FileNameId=%1").arg(file.fileNameId);
        EXPECT_EQ(count(QStringLiteral("Catalog"),
                        where + QStringLiteral(" AND FileSaved=1 AND FileName='%1' AND "
                                               "DeviceListId=%2")
                                    .arg(file.name)
                                    .arg(file.fileKind)),
                  1);
        // The copies keep the arrival order and the archive's fields.
        EXPECT_EQ(count(QStringLiteral("Data"), where), file.rows);
        QSqlQuery copied(db_.connection());
        copied.exec(QStringLiteral("SELECT d.N, d.T1 FROM Data d ORDER BY d.DataId"));
        QSqlQuery received(db_.connection());
        received.exec(QStringLiteral("SELECT N, T1 FROM Data_Comm WHERE DeviceNArc=%1 ORDER BY N")
                          .arg(file.deviceNArc));
        QSqlQuery mine(db_.connection());
        mine.exec(QStringLiteral("SELECT N, T1 FROM Data WHERE %1 ORDER BY DataId").arg(where));
        while (received.next()) {
            ASSERT_TRUE(mine.next());
            EXPECT_EQ(mine.value(0), received.value(0));
            EXPECT_EQ(mine.value(1), received.value(1));
        }
        EXPECT_FALSE(mine.next());
    }
}

TEST(ReceivedRowsFileTest, FileKindsFollowTheDocumentWindows) {
    EXPECT_EQ(store::fileKindForReceivedRows(1, 0), 1);
    for (int kind : {2, 3, 4, 5})
        EXPECT_EQ(store::fileKindForReceivedRows(kind, 0), 2) << kind;
    EXPECT_EQ(store::fileKindForReceivedRows(5, 1), 5);
    EXPECT_EQ(store::fileKindForReceivedRows(2, 1), 0);
    EXPECT_EQ(store::fileKindForReceivedRows(5, 2), 0);
}

class SimulatorToolTest : public TempDatabaseTest {};

TEST_F(SimulatorToolTest, ServesAnArchiveOnThePathItPrints) {
    QProcess simulator;
    simulator.start(simulatorPath(),
                    {"--kind", "osk", "--records", "4", "--seed", "3", "--baud", "0", "--quiet"});
    ASSERT_TRUE(simulator.waitForStarted()) << simulatorPath().toStdString();
    ASSERT_TRUE(runUntil([&] { return simulator.canReadLine(); }));
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();

    LinkRig rig(db_, portsAt({{1, device}}));
    rig.link.lookUpPorts();
    ASSERT_TRUE(rig.readArchive());
    simulator.kill();
    simulator.waitForFinished();

    EXPECT_EQ(rig.exchange().ReceivedTotal(), 4);
    EXPECT_EQ(count(QStringLiteral("Data_Comm"), QStringLiteral("DeviceListId=1")), 4);
}

TEST(SimulatorToolHelpTest, HelpAndWrongOptions) {
    QProcess help;
    help.start(simulatorPath(), {"--help"});
    ASSERT_TRUE(help.waitForFinished());
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--damage-at"));

    QProcess wrong;
    wrong.start(simulatorPath(), {"--kind", "press"});
    ASSERT_TRUE(wrong.waitForFinished());
    EXPECT_EQ(wrong.exitCode(), 2);
    EXPECT_TRUE(wrong.readAllStandardError().contains("--kind"));
}

}  // namespace
}  // namespace vlr::test
