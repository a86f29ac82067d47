#include "app/settings_store.h"

namespace vlr::app {
namespace {

const QString kGroup = QStringLiteral("1.0");

}  // namespace

std::unique_ptr<SettingsStore> SettingsStore::forCurrentUser() {
    return std::make_unique<SettingsStore>(
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                    QStringLiteral("Velaron"), QStringLiteral("VLR")));
}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {
    settings_->beginGroup(kGroup);
}

SettingsStore::~SettingsStore() {
    settings_->endGroup();
}

QString SettingsStore::ReadStringSetting(const QString& name, const QString& defaultValue) {
    if (settings_->contains(name))
        return settings_->value(name).toString();
    WriteStringSetting(name, defaultValue);
    return defaultValue;
}

bool SettingsStore::ReadBoolSetting(const QString& name, bool defaultValue) {
    if (!settings_->contains(name)) {
        WriteBoolSetting(name, defaultValue);
        return defaultValue;
    }
    const QVariant stored = settings_->value(name);
    bool isNumber = false;
    const qlonglong number = stored.toLongLong(&isNumber);
    return isNumber ? number != 0 : stored.toBool();
}

void SettingsStore::WriteStringSetting(const QString& name, const QString& value) {
    settings_->setValue(name, value);
}

void SettingsStore::WriteBoolSetting(const QString& name, bool value) {
    settings_->setValue(name, value ? 1 : 0);
}

bool SettingsStore::sync(QString* failure) {
    settings_->sync();
    switch (settings_->status()) {
        case QSettings::NoError:
            return true;
        case QSettings::AccessError:
            if (failure)
                *failure = QStringLiteral("cannot write the settings to %1").arg(location());
            return false;
        case QSettings::FormatError:
            if (failure)
                *failure = QStringLiteral("the settings in %1 are malformed").arg(location());
            return false;
    }
    return false;
}

Settings readSettings(SettingsStore& store, const QString& workingDirectory) {
    Settings settings;
    settings.StartDir = workingDirectory;
    settings.DefSaveDir = store.ReadStringSetting(QStringLiteral("DefSaveDir"), workingDirectory);
    link::PortSettings& ports = settings.Ports;
    ports.AutoDetectCom = store.ReadBoolSetting(QStringLiteral("AutoDetectCom"), true);
    ports.SelectedCom =
        store.ReadStringSetting(QStringLiteral("SelectedCom"), link::defaultSelectedCom());
    if (ports.SelectedCom.isEmpty())
        ports.SelectedCom = link::defaultSelectedCom();
    settings.NewFileCounter = 1;
    settings.LastDocCloseAction = CloseAction::None;
    // The defaults are on record before the database is even opened. A store that cannot be
    // written is reported by the write-back at close; the run does not depend on it.
    store.sync();
    return settings;
}

bool writePortSettings(SettingsStore& store, const link::PortSettings& ports, QString* failure) {
    store.WriteBoolSetting(QStringLiteral("AutoDetectCom"), ports.AutoDetectCom);
    store.WriteStringSetting(QStringLiteral("SelectedCom"), ports.SelectedCom);
    return store.sync(failure);
}

}  // namespace vlr::app
