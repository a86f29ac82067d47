#pragma once

#include "app/settings_store.h"

#include <QLockFile>
#include <QString>

namespace vlr::app {

// A station is one running program of the lab: its received rows and unsaved files are its own.
// Its identity lasts in its settings ("Station"): the computer's name and a random suffix, made
// at the first start. Two settings folders are two stations; settings copied from another
// computer (an identity naming another computer) get a new identity at their first start here.
QString stationIdentity(SettingsStore& store);

// Holds the station for one run. A second program started on the same settings would delete the
// first one's received rows at its start; it is refused instead. The lock lies beside the
// settings and dies with its process, so a crashed station starts again at once.
class StationLock {
public:
    explicit StationLock(const SettingsStore& store);
    // False when another running program holds the station; failureText() then says so.
    bool acquire(const QString& station);
    QString failureText() const { return failure_; }

private:
    QLockFile lock_;
    QString failure_;
};

}  // namespace vlr::app
