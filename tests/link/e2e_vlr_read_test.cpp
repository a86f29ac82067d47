// `vlr read` as a user runs it: the built tool against a simulated instrument on a
// pseudo-terminal named by VLR_COM1, in a folder of its own.

#include "link/e2e_rig.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimer>

#include "store/database_location.h"
#include "support/other_connection.h"
#include "support/pg_server.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vlr::test {
namespace {

QString toolPath() {
    const QString buildDir = qEnvironmentVariable("VLR_BINARY_DIR");
    if (!buildDir.isEmpty())
        return QDir(buildDir).filePath(QStringLiteral("src/vlr"));
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src/vlr"));
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class VlrReadTest : public ::testing::Test {
protected:
    // Runs vlr read with COM1 at device; the event loop keeps serving the instrument meanwhile.
    ToolRun read(const QString& device, const QStringList& arguments) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (int i = 1; i <= 16; ++i)
            environment.remove(QStringLiteral("VLR_COM%1").arg(i));
        environment.insert(QStringLiteral("VLR_COM1"), device);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.filePath("config"));
        tool.setProcessEnvironment(environment);
        tool.setWorkingDirectory(folder_.path());
        tool.start(toolPath(), QStringList{QStringLiteral("read")} + arguments);
        EXPECT_TRUE(tool.waitForStarted()) << toolPath().toStdString();
        EXPECT_TRUE(runUntil([&] { return tool.state() == QProcess::NotRunning; }, 60000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }

    // A value from the tool's database.
    QVariant queryValue(const QString& sql) {
        const vlr::test::OtherConnection db(folder_.filePath(store::Database::fileName()));
        QSqlQuery query = db.query();
        return db.isOpen() && query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }

    QTemporaryDir folder_;
};

TEST_F(VlrReadTest, ReadsAndSavesTheArchive) {
    SimulatedInstrument instrument(instrumentSetup(
        sim::InstrumentKind::Vtra, sim::generateArchives(sim::InstrumentKind::Vtra, {3, 2}, 8)));
    const ToolRun run =
        read(instrument.server.devicePath(), {"--timeout", "10", "--save", "Испытания"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Архив считан: 5/5"))) << run.out.toStdString();
    EXPECT_EQ(queryValue("SELECT count(*) FROM Data_Comm").toInt(), 5);
    // One file per archive, the asphalt archive's named apart.
    EXPECT_EQ(queryValue("SELECT group_concat(FileName || ':' || DeviceListId, '|') FROM "
                         "(SELECT * FROM Catalog WHERE FileSaved=1 ORDER BY FileNameId)")
                  .toString(),
              QStringLiteral("Испытания:2|Испытания (Асфальтобетон):5"));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Файл \"Испытания (Асфальтобетон)\" сохранён")))
        << run.out.toStdString();
    EXPECT_EQ(queryValue("SELECT count(*) FROM Data").toInt(), 5);
}

TEST_F(VlrReadTest, RecordsTheDatabaseRefusesFailTheReadAndAreCounted) {
    {
        // The disk fills up after the second record.
        store::Database database;
        database.open(folder_.filePath(store::Database::fileName()));
        QSqlQuery(database.connection())
            .exec(
                QStringLiteral("CREATE TRIGGER disk_full BEFORE INSERT ON Data_Comm WHEN NEW.N > 2 "
                               "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    }
    SimulatedInstrument instrument(instrumentSetup(
        sim::InstrumentKind::Vtr, sim::generateArchives(sim::InstrumentKind::Vtr, {5}, 4)));
    const ToolRun run =
        read(instrument.server.devicePath(), {"--timeout", "10", "--save", "Неполный"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.count(QStringLiteral("disk is full")), 1) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("Архив считан"))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Не сохранено записей: 3 из 5")))
        << run.err.toStdString();
    EXPECT_EQ(queryValue("SELECT count(*) FROM Data_Comm").toInt(), 2);  // stored rows stay
    EXPECT_EQ(queryValue("SELECT count(*) FROM Catalog").toInt(), 0);    // nothing saved
}

TEST_F(VlrReadTest, ExitStatusTellsHowTheReadEnded) {
    {
        SimulatedInstrument damaged(
            instrumentSetup(sim::InstrumentKind::Osk,
                            sim::generateArchives(sim::InstrumentKind::Osk, {4}, 2)),
            {2, 0, 0});
        const ToolRun run = read(damaged.server.devicePath(), {"--save", "Брак"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("Ошибка передачи данных !!!")));
        EXPECT_EQ(queryValue("SELECT count(*) FROM Data_Comm").toInt(), 1);
        EXPECT_EQ(queryValue("SELECT count(*) FROM Catalog").toInt(), 0);  // nothing saved
    }
    {
        sim::InstrumentSetup setup;
        setup.archives = {{QByteArray(26, '\0')}};
        sim::InstrumentModel mute(setup, {0, 1, 0});
        mute.answer('n');  // silent from now on
        sim::PtyInstrumentServer server(mute, {0, 10, 0});
        server.open();
        const ToolRun run = read(server.devicePath(), {"--timeout", "1"});
        EXPECT_EQ(run.exitCode, 3);
    }
    const ToolRun absent = read(QStringLiteral("/dev/no-such-port"), {"--timeout", "1"});
    EXPECT_EQ(absent.exitCode, 3);
    EXPECT_TRUE(absent.err.contains(QStringLiteral("waiting for one"))) << absent.err.toStdString();
    EXPECT_EQ(read(QStringLiteral("/dev/no-such-port"), {"--port", "COM0"}).exitCode, 2);
    EXPECT_EQ(read(QStringLiteral("/dev/no-such-port"), {"--timeout"}).exitCode, 2);
}

// A server that goes away in the middle of the read fails it at once, naming the server and the
// reason; every record stored before stays, each once.
TEST_F(VlrReadTest, AServerLostMidReadFailsTheReadAndKeepsTheStoredRows) {
    constexpr int kRecords = 300;
    test::PgServer& server = test::PgServer::instance();
    const QString url = server.createDatabase();
    // The rows, the distinct numbers and the highest number stored.
    const auto storedRows = [](const store::Database& database) {
        QSqlQuery query(database.connection());
        return query.exec(QStringLiteral("SELECT count(*), count(DISTINCT N), coalesce(max(N), 0) "
                                         "FROM Data_Comm")) &&
                       query.next()
                   ? std::vector<int>{query.value(0).toInt(), query.value(1).toInt(),
                                      query.value(2).toInt()}
                   : std::vector<int>{};
    };
    SimulatedInstrument instrument(
        instrumentSetup(sim::InstrumentKind::Vtr,
                        sim::generateArchives(sim::InstrumentKind::Vtr, {kRecords}, 7)),
        {}, {0, 10, 15});
    store::Database watch;
    watch.open(store::parseDatabaseLocation(url));
    bool stopped = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (stopped)
            return;
        const std::vector<int> rows = storedRows(watch);
        if (!rows.empty() && rows[0] >= 5) {
            stopped = true;
            server.stop();
        }
    });
    stopper.start(20);
    const ToolRun run =
        read(instrument.server.devicePath(), {"--database", url, "--timeout", "10"});
    stopper.stop();
    if (stopped)
        server.start();
    ASSERT_TRUE(stopped);

    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("vlr read: Нет связи с базой vlr_test_")))
        << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("Архив считан"))) << run.out.toStdString();
    const QRegularExpressionMatch cut =
        QRegularExpression(QStringLiteral("Чтение прервано. Принято: (\\d+)/%1").arg(kRecords))
            .match(run.err);
    ASSERT_TRUE(cut.hasMatch()) << run.err.toStdString();
    const int received = cut.captured(1).toInt();
    EXPECT_LT(received, kRecords);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Не сохранено записей: 1 из %1").arg(received)))
        << run.err.toStdString();
    store::Database after;
    after.open(store::parseDatabaseLocation(url));
    EXPECT_EQ(storedRows(after), (std::vector<int>{received - 1, received - 1, received - 1}));
}

// Started before the adapter is plugged in, the read finds it when it appears in time.
TEST_F(VlrReadTest, FindsAnAdapterPluggedInWhileItWaits) {
    SimulatedInstrument instrument(instrumentSetup(
        sim::InstrumentKind::Osk, sim::generateArchives(sim::InstrumentKind::Osk, {3}, 6)));
    const QString adapter = folder_.filePath(QStringLiteral("ttyUSB0"));
    QTimer::singleShot(1500, [&] {
        ASSERT_EQ(::symlink(QFile::encodeName(instrument.server.devicePath()).constData(),
                            QFile::encodeName(adapter).constData()),
                  0);
    });
    const ToolRun run = read(adapter, {"--timeout", "15"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Архив считан: 3/3"))) << run.out.toStdString();
    EXPECT_EQ(queryValue("SELECT count(*) FROM Data_Comm").toInt(), 3);
}

}  // namespace
}  // namespace vlr::test
