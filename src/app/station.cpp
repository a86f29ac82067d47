#include "app/station.h"

#include <QRandomGenerator>
#include <QSysInfo>

namespace vlr::app {
namespace {

const QString kStation = QStringLiteral("Station");
// The Catalog and Data_Comm columns hold 50 characters.
constexpr int kHostPart = 40;

// This computer as identities name it.
QString thisComputer() {
    const QString host = QSysInfo::machineHostName().left(kHostPart);
    return host.isEmpty() ? QStringLiteral("station") : host;
}

// The computer an identity was made on: all before its suffix.
QString computerOf(const QString& station) {
    const int suffix = static_cast<int>(station.lastIndexOf(QLatin1Char('-')));
    return suffix < 0 ? station : station.left(suffix);
}

}  // namespace

QString stationIdentity(SettingsStore& store) {
    const QString computer = thisComputer();
    const QString stored = store.ReadStringSetting(kStation, QString());
    // Settings copied from another computer would make both computers one station, each deleting
    // the other's received rows at its start: the copy gets an identity of its own.
    if (!stored.isEmpty() && computerOf(stored) == computer)
        return stored;
    const QString station = QStringLiteral("%1-%2").arg(computer).arg(
        QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
    store.WriteStringSetting(kStation, station);
    store.sync();
    return station;
}

StationLock::StationLock(const SettingsStore& store)
    : lock_(store.location() + QStringLiteral(".station-lock")) {
    // Only a dead holder makes the lock stale, however long a station runs.
    lock_.setStaleLockTime(0);
}

bool StationLock::acquire(const QString& station) {
    if (lock_.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString application;
    lock_.getLockInfo(&pid, &host, &application);
    failure_ = QStringLiteral(
                   "Станция %1 уже работает (процесс %2). Вторая программа с теми же "
                   "настройками не запускается: она удалила бы принятые данные первой.")
                   .arg(station)
                   .arg(pid);
    return false;
}

}  // namespace vlr::app
