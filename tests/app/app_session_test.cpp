#include "app/app_session.h"
#include "link/frame_codec.h"
#include "link/link_fakes.h"
#include "link/link_session.h"
#include "store/query.h"
#include "store/statements.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "support/other_connection.h"
#include "support/temp_database.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace vlr::app {
namespace {

// The settings of one station, in a folder of their own.
class StationSettings {
protected:
    StationSettings()
        : store_(std::make_unique<QSettings>(config_.filePath(QStringLiteral("vlr.ini")),
                                             QSettings::IniFormat)) {}

    QVariant stored(const QString& name) const {
        QSettings settings(config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat);
        return settings.value(QStringLiteral("1.0/") + name);
    }

    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir config_;
    SettingsStore store_;
};

// Runs on either database: on the local file the run starts in the test's folder and finds its
// database there; on a server it is given the server's database, and the folder stays empty.
class AppSessionTest : public test::BothDatabasesTest, protected StationSettings {
protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        makeLocation();
    }

    std::optional<DatabaseAccessFailure> start(AppSession& session) {
        return session.start(dir_.path(), location_.isServer() ? location_.url : QString());
    }

    // What a run of this station leaves until its clean-up: a saved and an unsaved file with
    // records, and two received rows.
    void leaveRowsBehind() {
        db_.open(location_);
        db_.setStation(stationIdentity(store_));
        const int saved = createFile(QStringLiteral("Сохранённый"), 1, true);
        const int unsaved = createFile(QStringLiteral("Таблица1"), 1, false);
        QSqlQuery query(db_.connection());
        ASSERT_TRUE(
            query.exec(QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (%1, 1), (%1, 2), "
                                      "(%2, 1)")
                           .arg(saved)
                           .arg(unsaved)));
        for (int n = 1; n <= 2; ++n)
            store::Query(db_, store::ADOQuery_CommAdd()).set(QStringLiteral("PN"), n).exec();
        db_.close();
    }

    // A clean-up keeps the saved file and its records alone.
    void expectOnlyKeptRows() {
        db_.open(location_);
        EXPECT_EQ(count(QStringLiteral("Data_Comm")), 0);
        EXPECT_EQ(count(QStringLiteral("Data")), 2);
        EXPECT_EQ(count(QStringLiteral("Catalog")), 1);
        EXPECT_EQ(firstValue(QStringLiteral("SELECT FileName FROM Catalog")),
                  QVariant(QStringLiteral("Сохранённый")));
        db_.close();
    }

    // What the test's folder holds: on the local file the database and, while it is open, its
    // log beside it; nothing on a server.
    QStringList expectedFiles(bool open) const {
        if (backend() == test::Backend::Server)
            return {};
        QStringList files{QStringLiteral("VelaronLink.mdb")};
        if (open)
            files << QStringLiteral("VelaronLink.mdb-shm") << QStringLiteral("VelaronLink.mdb-wal");
        return files;
    }
};

// On the local file alone: the database file itself and its compaction.
class AppSessionFileTest : public ::testing::Test, protected StationSettings {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        ASSERT_TRUE(config_.isValid());
    }

    QString databaseFile() const { return work_.filePath(QStringLiteral("VelaronLink.mdb")); }
    QStringList workFiles() const { return filesIn(work_.path()); }

    QTemporaryDir work_;
};

// A first start makes the database (in the working directory, or the server's schema); a run
// that ends without its regular close leaves its rows, which the next start removes.
TEST_P(AppSessionTest, AFirstStartMakesTheDatabaseAndTheNextStartRemovesWhatTheLastRunLeft) {
    {
        AppSession session(store_);
        EXPECT_FALSE(start(session).has_value());
        EXPECT_EQ(session.settings().StartDir, dir_.path());
        EXPECT_TRUE(session.database().isOpen());
        EXPECT_EQ(filesIn(dir_.path()), expectedFiles(true));
        EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(dir_.path()));
        leaveRowsBehind();
        db_.open(location_);
        EXPECT_EQ(count(QStringLiteral("DeviceList")), 5);
        EXPECT_EQ(count(QStringLiteral("Data_Comm")), 2);
        db_.close();
    }
    AppSession session(store_);
    ASSERT_FALSE(start(session).has_value());
    expectOnlyKeptRows();
}

TEST_F(AppSessionFileTest, StartRemovesTheTemporaryFileOfACompactionCutShortOnly) {
    for (const char* name : {"mdb1F.tmp", "mdbBEEF.tmp", "mdbx.tmp", "mdb12345.tmp", "notes.tmp"}) {
        QFile file(work_.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    AppSession session(store_);
    ASSERT_FALSE(session.start(work_.path()).has_value());
    // The open database keeps its log beside it.
    EXPECT_EQ(workFiles(),
              (QStringList{QStringLiteral("mdb12345.tmp"), QStringLiteral("mdbx.tmp"),
                           QStringLiteral("notes.tmp"), QStringLiteral("VelaronLink.mdb"),
                           QStringLiteral("VelaronLink.mdb-shm"),
                           QStringLiteral("VelaronLink.mdb-wal")}));
}

TEST_F(AppSessionFileTest, AnUnusableDatabaseIsAFailureToShowAndNothingIsWrittenBack) {
    QFile file(databaseFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(1000, '\0'));
    file.close();

    AppSession session(store_);
    const std::optional<DatabaseAccessFailure> failure = session.start(work_.path());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->userText, QStringLiteral("Не могу получить доступ к БД!"));
    EXPECT_FALSE(failure->reason.isEmpty());
    EXPECT_FALSE(session.database().isOpen());
    // The settings were read (and created) before the database was tried.
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 1")));

    session.settings().Ports.SelectedCom = QStringLiteral("COM 9");
    EXPECT_FALSE(session.close().performed);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 1")));
    EXPECT_EQ(QFileInfo(databaseFile()).size(), 1020);
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("VelaronLink.mdb")});
}

// The regular close removes the run's rows, compacts a local file in the folder the run started
// in (a server maintains itself) and writes the ports back.
TEST_P(AppSessionTest, ARegularCloseCleansUpCompactsInTheStartFolderAndWritesThePortsBack) {
    AppSession session(store_);
    ASSERT_FALSE(start(session).has_value());
    leaveRowsBehind();
    session.settings().Ports.AutoDetectCom = false;
    session.settings().Ports.SelectedCom = QStringLiteral("COM 7");
    session.settings().DefSaveDir = QStringLiteral("/not/written");

    // A save dialog may have moved the working directory meanwhile.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    const CloseReport report = session.close();
    QDir::setCurrent(previous);

    EXPECT_TRUE(report.performed);
    EXPECT_TRUE(report.compaction.succeeded) << report.compaction.message.toStdString();
    EXPECT_TRUE(report.settingsWritten) << report.settingsFailure.toStdString();
    EXPECT_FALSE(session.database().isOpen());
    EXPECT_EQ(filesIn(dir_.path()), expectedFiles(false));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    EXPECT_EQ(stored(QStringLiteral("AutoDetectCom")).toInt(), 0);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 7")));
    EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(dir_.path()));
    expectOnlyKeptRows();
}

VLR_ON_BOTH_DATABASES(AppSessionTest);

TEST_F(AppSessionFileTest, AFailedCompactionIsReportedAndThePortsAreStillWrittenBack) {
    AppSession session(store_);
    ASSERT_FALSE(session.start(work_.path()).has_value());
    session.settings().Ports.SelectedCom = QStringLiteral("COM 2");
    // Another program is in the middle of writing to the database at close.
    CloseReport report;
    {
        const vlr::test::OtherConnection other(databaseFile());
        ASSERT_TRUE(other.isOpen());
        QSqlQuery query = other.query();
        ASSERT_TRUE(query.exec(QStringLiteral("BEGIN IMMEDIATE")));
        report = session.close();
        query.exec(QStringLiteral("ROLLBACK"));
    }
    EXPECT_FALSE(report.compaction.succeeded);
    EXPECT_FALSE(report.compaction.message.isEmpty());
    EXPECT_TRUE(report.settingsWritten);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 2")));
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("VelaronLink.mdb")});
}

// The desktop program's wiring: the link over the run's database and its one settings record,
// which the port options dialog changes while the link runs.
TEST_F(AppSessionFileTest, TheLinkWorksOnTheRunsDatabaseAndPortSettings) {
    AppSession session(store_);
    ASSERT_FALSE(session.start(work_.path()).has_value());
    test::FakeSerialLink port;
    port.openable.fill(true);
    test::FakeTickTimer timer;
    test::FakeExchangeView view;
    link::LinkSession link(port, timer, session.database(), view, session.settings().Ports,
                           port.lookUp());
    const link::PresentPorts present = link::presentPorts(link.lookUpPorts());
    EXPECT_EQ(std::count(present.begin(), present.end(), true), 16);

    session.settings().Ports = {false, QStringLiteral("COM 5")};
    timer.tick();
    EXPECT_EQ(port.openedPorts.back(), 5);
    port.receive("Z");
    timer.tick();
    // An OSK instrument with firmware of 31.12.2012 and two records, looked up in DeviceList.
    port.receive(link::encodeLongFrame(QByteArray::fromHex("01000c0c1f00000200000000")));
    EXPECT_EQ(link.state(), link::ExchangeState::Connected);
    EXPECT_EQ(view.panels[2], QStringLiteral("ОСК-К9"));

    ASSERT_TRUE(session.close().settingsWritten);
    EXPECT_EQ(stored(QStringLiteral("AutoDetectCom")).toInt(), 0);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 5")));
}

}  // namespace
}  // namespace vlr::app
