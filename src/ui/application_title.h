#pragma once

#include <QString>

namespace vlr::ui {

// The program's title: the application's name, the main window's caption and the caption of
// its plain message boxes and questions.
inline QString applicationTitle() {
    return QStringLiteral("Веларон");
}

}  // namespace vlr::ui
