#pragma once

#include <QString>

namespace vlr::link {

// The tabs of the receive view, one per kind of rows shown.
enum class CommTab { Osk = 0, Vtr = 1, Asphalt = 2 };

enum class MessageIcon { Error, Information };

// What the exchange needs of the receive view. The desktop window, `vlr read` and the tests
// implement it.
class ExchangeView {
public:
    virtual ~ExchangeView() = default;

    // Status bar: panel 0 progress and messages, 1 the port state, 2 the instrument's name.
    virtual void setStatusText(int panel, const QString& text) = 0;
    // Makes a tab visible with the caption; a tab once shown stays shown.
    virtual void showTab(CommTab tab, const QString& caption) = 0;
    // The commands "Считать архив" and "COM-порт".
    virtual void setReadArchiveEnabled(bool enabled) = 0;
    virtual void setCommOptionsEnabled(bool enabled) = 0;
    // The view's reload timer, running while an archive is read.
    virtual void startRefreshTimer() = 0;
    virtual void stopRefreshTimer() = 0;
    // Reloads the rows the view shows.
    virtual void RefreshCommView() = 0;
    // A modal message box; returns when the user has closed it.
    virtual void showMessage(const QString& text, const QString& caption, MessageIcon icon) = 0;
};

}  // namespace vlr::link
