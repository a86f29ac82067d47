#pragma once

#include "app/settings.h"

#include <QSettings>

#include <memory>

namespace vlr::app {

// The per-user settings: organisation "Velaron", application "VLR", group "1.0" (on Linux a file
// under the user's configuration folder, on Windows the key "\Software\Velaron\VLR\1.0").
// Injectable so that tests point it at a file of their own.
class SettingsStore {
public:
    // The store of the user running the program.
    static std::unique_ptr<SettingsStore> forCurrentUser();

    explicit SettingsStore(std::unique_ptr<QSettings> settings);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored value; when missing, the default is written and returned.
    QString ReadStringSetting(const QString& name, const QString& defaultValue);
    // Stored as an integer, any nonzero value reading as true; when missing, the default is
    // written (1 or 0) and returned.
    bool ReadBoolSetting(const QString& name, bool defaultValue);

    void WriteStringSetting(const QString& name, const QString& value);
    void WriteBoolSetting(const QString& name, bool value);

    // Writes pending changes to permanent storage; false (with the reason) when it failed.
    bool sync(QString* failure = nullptr);

    QString location() const { return settings_->fileName(); }

private:
    std::unique_ptr<QSettings> settings_;
};

// The settings record of a new run: the stored values, written with their defaults when
// missing, StartDir := the working directory, NewFileCounter := 1. An empty "SelectedCom"
// stands for "COM 1" during the run.
Settings readSettings(SettingsStore& store, const QString& workingDirectory);

// What a regular close writes back: "AutoDetectCom" and "SelectedCom" only.
bool writePortSettings(SettingsStore& store, const link::PortSettings& ports,
                       QString* failure = nullptr);

}  // namespace vlr::app
