#pragma once

#include "link/port_settings.h"

#include <QString>
#include <QtGlobal>

namespace vlr::app {

// How a document window chose to close; None means the user refused to close it.
enum class CloseAction { None, Hide, Free, Minimize };

// The settings of one run, held by the main window.
struct Settings {
    QString StartDir;    // the working directory at start; the database lives there
    QString DefSaveDir;  // read (and created when missing) at start, never written back
    // AutoDetectCom and SelectedCom: the link reads them at every choice of a port, the port
    // options dialog assigns them.
    link::PortSettings Ports;
    qint32 NewFileCounter = 1;
    CloseAction LastDocCloseAction = CloseAction::None;
};

}  // namespace vlr::app
