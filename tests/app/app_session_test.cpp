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

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace vlr::app {
namespace {

class AppSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        ASSERT_TRUE(config_.isValid());
        store_ = std::make_unique<SettingsStore>(std::make_unique<QSettings>(
            config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat));
    }

    QString databaseFile() const { return work_.filePath(QStringLiteral("VelaronLink.mdb")); }

    QVariant stored(const QString& name) const {
        QSettings settings(config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat);
        return settings.value(QStringLiteral("1.0/") + name);
    }

    QStringList workFiles() const {
        return QDir(work_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // What a previous run left: a saved and an unsaved file with records, two received rows.
    void leaveRowsBehind() {
        store::Database db;
        db.open(databaseFile());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(
            query.exec(QStringLiteral("INSERT INTO Catalog (FileName, FileSaved) VALUES "
                                      "('Сохранённый', 1), ('Таблица1', 0)")));
        ASSERT_TRUE(query.exec(
            QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (1, 1), (1, 2), (2, 1)")));
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Data_Comm (N) VALUES (1), (2)")));
    }

    int count(const AppSession& session, const QString& sql) const {
        QSqlQuery query(session.database().connection());
        return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
    }

    QTemporaryDir work_;
    QTemporaryDir config_;
    std::unique_ptr<SettingsStore> store_;
};

TEST_F(AppSessionTest, AFirstStartCreatesTheDatabaseInTheWorkingDirectory) {
    AppSession session(*store_);
    EXPECT_FALSE(session.start(work_.path()).has_value());
    EXPECT_EQ(session.settings().StartDir, work_.path());
    EXPECT_EQ(session.databasePath(), databaseFile());
    EXPECT_TRUE(session.database().isOpen());
    EXPECT_EQ(count(session, QStringLiteral("SELECT count(*) FROM DeviceList")), 5);
    EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(work_.path()));
}

TEST_F(AppSessionTest, StartRemovesWhatThePreviousRunLeftButKeepsSavedFiles) {
    leaveRowsBehind();
    AppSession session(*store_);
    ASSERT_FALSE(session.start(work_.path()).has_value());
    EXPECT_EQ(count(session, QStringLiteral("SELECT count(*) FROM Data_Comm")), 0);
    EXPECT_EQ(count(session, QStringLiteral("SELECT count(*) FROM Data")), 2);
    EXPECT_EQ(count(session, QStringLiteral("SELECT count(*) FROM Catalog WHERE FileSaved = 1")),
              1);
    EXPECT_EQ(count(session, QStringLiteral("SELECT count(*) FROM Catalog")), 1);
}

TEST_F(AppSessionTest, StartRemovesTheTemporaryFileOfACompactionCutShortOnly) {
    for (const char* name : {"mdb1F.tmp", "mdbBEEF.tmp", "mdbx.tmp", "mdb12345.tmp", "notes.tmp"}) {
        QFile file(work_.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    AppSession session(*store_);
    ASSERT_FALSE(session.start(work_.path()).has_value());
    // The open database keeps its log beside it.
    EXPECT_EQ(workFiles(),
              (QStringList{QStringLiteral("mdb12345.tmp"), QStringLiteral("mdbx.tmp"),
                           QStringLiteral("notes.tmp"), QStringLiteral("VelaronLink.mdb"),
                           QStringLiteral("VelaronLink.mdb-shm"),
                           QStringLiteral("VelaronLink.mdb-wal")}));
}

TEST_F(AppSessionTest, AnUnusableDatabaseIsAFailureToShowAndNothingIsWrittenBack) {
    QFile file(databaseFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(1000, '\0'));
    file.close();

    AppSession session(*store_);
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

TEST_F(AppSessionTest, ARegularCloseCleansUpCompactsInTheStartFolderAndWritesThePortsBack) {
    AppSession session(*store_);
    ASSERT_FALSE(session.start(work_.path()).has_value());
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
    EXPECT_EQ(workFiles(), QStringList{QStringLiteral("VelaronLink.mdb")});
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    EXPECT_EQ(stored(QStringLiteral("AutoDetectCom")).toInt(), 0);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 7")));
    EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(work_.path()));

    store::Database reopened;
    reopened.open(databaseFile());
    QSqlQuery query(reopened.connection());
    ASSERT_TRUE(query.exec(
        QStringLiteral("SELECT (SELECT count(*) FROM Data_Comm), (SELECT count(*) FROM Data), "
                       "(SELECT group_concat(FileName) FROM Catalog)")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 0);
    EXPECT_EQ(query.value(1).toInt(), 2);
    EXPECT_EQ(query.value(2).toString(), QStringLiteral("Сохранённый"));
}

TEST_F(AppSessionTest, AFailedCompactionIsReportedAndThePortsAreStillWrittenBack) {
    AppSession session(*store_);
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
TEST_F(AppSessionTest, TheLinkWorksOnTheRunsDatabaseAndPortSettings) {
    AppSession session(*store_);
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
