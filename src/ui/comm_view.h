#pragma once

#include "link/exchange_view.h"
#include "link/tick_timer.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QTabWidget;

namespace vlr::grid {
class DataGrid;
}
namespace vlr::link {
class LinkSession;
}
namespace vlr::store {
class Database;
}

namespace vlr::ui {

class Prompter;

// The receive view "Прием данных": the rows the link has received, one tab per kind of
// instrument, reloaded while an archive is read; the drag source of received rows for the
// document windows. It is the exchange's view: the exchange writes its status texts, shows the
// identified kind's tabs and switches the commands. It lives for the whole run; closing only
// hides it (the main window does that).
class TForm_Comm : public QWidget, public link::ExchangeView {
    Q_OBJECT
public:
    static constexpr int RefreshIntervalMs = 1500;

    // refreshTimer is Timer_refresh; tests pass one they tick themselves.
    TForm_Comm(
        const store::Database& database, Prompter& prompter,
        std::unique_ptr<link::TickTimer> refreshTimer = link::makeQtTickTimer(RefreshIntervalMs),
        QWidget* parent = nullptr);
    ~TForm_Comm() override;

    // Takes the run's link, whose exchange has this view as its view: the read command runs
    // it, and the refresh timer reloads only the kind and archive it is reading. The link
    // lives as long as the view, shown or hidden; a null session ends it (the port closes).
    void hostLink(std::unique_ptr<link::LinkSession> session);
    link::LinkSession* linkSession() const { return link_.get(); }
    // The dialog "COM-порт" shows modally; created after the view (it lists the link's ports).
    void setOptionsDialog(QDialog* dialog) { optionsDialog_ = dialog; }

    // "Операции" (Считать архив, F5) and "Настройки" (COM-порт), for the main window's bar.
    QList<QMenu*> menus() const { return {operationsMenu_, settingsMenu_}; }
    QAction* A_ReadArc() const { return A_ReadArc_; }
    QAction* A_CommOptions() const { return A_CommOptions_; }
    // "Настройки" → "База данных…"; the program opens the dialog, which needs its settings.
    QAction* A_Database() const { return A_Database_; }

    // What the view shows: the kind and archive of the shown tab's rows.
    int CommViewDeviceListId() const { return CommViewDeviceListId_; }
    int CommViewArc() const { return CommViewArc_; }

    // The parts, for the windows that take drops and for tests.
    QTabWidget* pageControl() const { return PageControl_Comm_; }
    grid::DataGrid* grid(link::CommTab tab) const;
    QLabel* statusPanel(int panel) const { return panels_.at(static_cast<size_t>(panel)); }
    QProgressBar* readProgress() const { return readProgress_; }

    // The design size, which the main window's child window takes.
    QSize sizeHint() const override { return {720, 540}; }

    // link::ExchangeView
    void setStatusText(int panel, const QString& text) override;
    void showTab(link::CommTab tab, const QString& caption) override;
    void setReadArchiveEnabled(bool enabled) override;
    void setCommOptionsEnabled(bool enabled) override;
    void startRefreshTimer() override;
    void stopRefreshTimer() override;
    void RefreshCommView() override;
    void showMessage(const QString& text, const QString& caption, link::MessageIcon icon) override;
    void setExchangeState(link::ExchangeState state) override;
    void setReadProgress(const link::ReadProgress& progress) override;
    void readEnded(const link::ReadOutcome& outcome) override;

private:
    void buildPages();
    void buildStatusBar();
    void buildMenus();
    void TabShow(int index);
    void Timer_refreshTimer();
    void A_ReadArcExecute();
    void A_CommOptionsExecute();

    const store::Database& database_;
    Prompter& prompter_;
    std::unique_ptr<link::TickTimer> Timer_refresh_;
    QDialog* optionsDialog_ = nullptr;

    QTabWidget* PageControl_Comm_ = nullptr;
    std::array<grid::DataGrid*, 3> grids_{};
    std::array<QLabel*, 4> panels_{};
    QProgressBar* readProgress_ = nullptr;
    QMenu* operationsMenu_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    QAction* A_ReadArc_ = nullptr;
    QAction* A_CommOptions_ = nullptr;
    QAction* A_Database_ = nullptr;

    int CommViewDeviceListId_ = 0;
    int CommViewArc_ = 0;

    // Last: the exchange talks to the parts above until it is gone.
    std::unique_ptr<link::LinkSession> link_;
};

}  // namespace vlr::ui
