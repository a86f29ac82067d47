#pragma once

#include <QString>
#include <QtGlobal>

namespace vlr::app {

// How a document window chose to close; None means the user refused to close it.
enum class CloseAction { None, Hide, Free, Minimize };

// The settings of one run, held by the main window; the link reads and assigns the two port
// fields directly.
struct Settings {
    QString StartDir;    // the working directory at start; the database lives there
    QString DefSaveDir;  // read (and created when missing) at start, never written back
    bool AutoDetectCom = true;
    QString SelectedCom;  // "COM " and the port number, as the port options list it
    qint32 NewFileCounter = 1;
    CloseAction LastDocCloseAction = CloseAction::None;
};

// The port entry used when none is stored, or when the stored one is empty.
inline QString defaultSelectedCom() {
    return QStringLiteral("COM 1");
}

}  // namespace vlr::app
