#include "app/settings_store.h"
#include "app/station.h"

#include <QDir>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace vlr::app {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(QStringLiteral("settings.ini")); }
    std::unique_ptr<SettingsStore> open() const {
        return std::make_unique<SettingsStore>(
            std::make_unique<QSettings>(file(), QSettings::IniFormat));
    }
    // The file as another program reads it.
    QVariant stored(const QString& name) const {
        QSettings settings(file(), QSettings::IniFormat);
        return settings.value(QStringLiteral("1.0/") + name);
    }
    void store(const QString& name, const QVariant& value) const {
        QSettings settings(file(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("1.0/") + name, value);
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, FirstStartWritesTheThreeDefaultsAndStartsTheCounterAtOne) {
    auto settingsStore = open();
    const Settings settings = readSettings(*settingsStore, QStringLiteral("/srv/lab"));
    EXPECT_EQ(settings.StartDir, QStringLiteral("/srv/lab"));
    EXPECT_EQ(settings.DefSaveDir, QStringLiteral("/srv/lab"));
    EXPECT_TRUE(settings.Ports.AutoDetectCom);
    EXPECT_EQ(settings.Ports.SelectedCom, QStringLiteral("COM 1"));
    EXPECT_EQ(settings.NewFileCounter, 1);
    EXPECT_EQ(settings.LastDocCloseAction, CloseAction::None);
    // On record at once, before anything else happens in the run.
    EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(QStringLiteral("/srv/lab")));
    EXPECT_EQ(stored(QStringLiteral("AutoDetectCom")).toInt(), 1);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 1")));
}

TEST_F(SettingsStoreTest, StoredValuesWinOverDefaultsAndAreNotRewritten) {
    store(QStringLiteral("DefSaveDir"), QStringLiteral("/home/u/Документы"));
    store(QStringLiteral("AutoDetectCom"), 0);
    store(QStringLiteral("SelectedCom"), QStringLiteral("COM 7"));
    auto settingsStore = open();
    const Settings settings = readSettings(*settingsStore, QStringLiteral("/srv/lab"));
    EXPECT_EQ(settings.DefSaveDir, QStringLiteral("/home/u/Документы"));
    EXPECT_FALSE(settings.Ports.AutoDetectCom);
    EXPECT_EQ(settings.Ports.SelectedCom, QStringLiteral("COM 7"));
    EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(QStringLiteral("/home/u/Документы")));
}

TEST_F(SettingsStoreTest, AnyNonzeroNumberReadsAsTrue) {
    auto settingsStore = open();
    for (const QVariant& value : {QVariant(2), QVariant(-1), QVariant(QStringLiteral("1"))}) {
        store(QStringLiteral("Flag"), value);
        settingsStore = open();
        EXPECT_TRUE(settingsStore->ReadBoolSetting(QStringLiteral("Flag"), false))
            << value.toString().toStdString();
    }
    store(QStringLiteral("Flag"), 0);
    settingsStore = open();
    EXPECT_FALSE(settingsStore->ReadBoolSetting(QStringLiteral("Flag"), true));
}

TEST_F(SettingsStoreTest, AnEmptySelectedComMeansComOneForTheRunAndIsWrittenBackSo) {
    store(QStringLiteral("SelectedCom"), QString());
    auto settingsStore = open();
    Settings settings = readSettings(*settingsStore, QStringLiteral("/srv/lab"));
    EXPECT_EQ(settings.Ports.SelectedCom, QStringLiteral("COM 1"));
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QString())) << "not yet at start";
    ASSERT_TRUE(writePortSettings(*settingsStore, settings.Ports));
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 1")));
}

TEST_F(SettingsStoreTest, WriteBackStoresOnlyThePortSettings) {
    auto settingsStore = open();
    Settings settings = readSettings(*settingsStore, QStringLiteral("/srv/lab"));
    settings.Ports.AutoDetectCom = false;
    settings.Ports.SelectedCom = QStringLiteral("COM 12");
    settings.DefSaveDir = QStringLiteral("/elsewhere");
    ASSERT_TRUE(writePortSettings(*settingsStore, settings.Ports));
    EXPECT_EQ(stored(QStringLiteral("AutoDetectCom")).toInt(), 0);
    EXPECT_EQ(stored(QStringLiteral("SelectedCom")), QVariant(QStringLiteral("COM 12")));
    EXPECT_EQ(stored(QStringLiteral("DefSaveDir")), QVariant(QStringLiteral("/srv/lab")));
}

TEST_F(SettingsStoreTest, TheUserStoreIsVelaronVlrGroupOneDotZero) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    {
        auto settingsStore = SettingsStore::forCurrentUser();
        readSettings(*settingsStore, QStringLiteral("/srv/lab"));
    }
    QSettings written(dir_.filePath(QStringLiteral("Velaron/VLR.conf")), QSettings::IniFormat);
    EXPECT_EQ(written.value(QStringLiteral("1.0/SelectedCom")), QVariant(QStringLiteral("COM 1")));
}

TEST_F(SettingsStoreTest, AWriteBackThatCannotBeStoredIsReported) {
    // A folder where the settings file should be: nothing can be written there.
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("settings.ini/x")));
    auto settingsStore = open();
    Settings settings;
    settings.Ports.SelectedCom = QStringLiteral("COM 3");
    QString failure;
    EXPECT_FALSE(writePortSettings(*settingsStore, settings.Ports, &failure));
    EXPECT_TRUE(failure.contains(QStringLiteral("settings.ini"))) << failure.toStdString();
}

// Settings copied from another computer would make both one station: the copy gets an identity
// of this computer, kept from then on; an identity made on this computer stays as it is.
TEST_F(SettingsStoreTest, AStationIdentityOfAnotherComputerIsReplacedByOneOfThisComputer) {
    const QString host = QSysInfo::machineHostName().left(40);
    ASSERT_FALSE(host.isEmpty());
    const QString copied = QStringLiteral("other-pc-1a2b3c");
    ASSERT_NE(host, QStringLiteral("other-pc"));
    store(QStringLiteral("Station"), copied);
    const QString own = stationIdentity(*open());
    EXPECT_NE(own, copied);
    EXPECT_TRUE(own.startsWith(host + QLatin1Char('-'))) << own.toStdString();
    EXPECT_EQ(own.size(), host.size() + 7);
    EXPECT_EQ(stored(QStringLiteral("Station")).toString(), own);
    EXPECT_EQ(stationIdentity(*open()), own);

    const QString madeHere = host + QStringLiteral("-00beef");
    store(QStringLiteral("Station"), madeHere);
    EXPECT_EQ(stationIdentity(*open()), madeHere);
    EXPECT_EQ(stored(QStringLiteral("Station")).toString(), madeHere);
}

}  // namespace
}  // namespace vlr::app
