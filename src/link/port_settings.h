#pragma once

#include <QString>

namespace vlr::link {

// The port entry used when none is stored, or when the stored one is empty.
inline QString defaultSelectedCom() {
    return QStringLiteral("COM 1");
}

// The two port settings of the run. The link reads them every time it chooses a port; the
// port options dialog assigns them and the program writes them back at a regular close.
struct PortSettings {
    bool AutoDetectCom = true;
    QString SelectedCom = defaultSelectedCom();  // an entry of the options list, "COM n"
};

}  // namespace vlr::link
