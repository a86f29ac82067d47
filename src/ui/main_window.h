#pragma once

#include "app/app_session.h"
#include "app/file_catalog.h"
#include "docs/document_kind.h"
#include "ui/document_host.h"

#include <QList>
#include <QMainWindow>

#include <optional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace vlr::ui {

class CatalogPanel;
class DocumentWindow;
class HelpWindow;
class NamePrompt;
class Prompter;

// The main frame: the menu bar and its commands, the catalog panel on the left and the MDI area
// holding the receive view and the document windows. It holds the run's settings and database
// (through app::AppSession) and the file operations.
class TForm_Main : public QMainWindow, public DocumentHost {
    Q_OBJECT
public:
    TForm_Main(app::SettingsStore& settingsStore, Prompter& prompter, QWidget* parent = nullptr);
    ~TForm_Main() override;

    // The start: settings, database, removal of what the previous run left, the catalog list.
    // False when the database cannot be used: the user has been told and the program must end
    // without running; the window then does nothing at its close.
    bool FormCreate(const QString& workingDirectory, const QString& databaseOption = QString());

    // The name dialog, made after the main window at start.
    void setNamePrompt(NamePrompt& prompt) { namePrompt_ = &prompt; }
    // Where F1 finds the manual; by default beside the executable or in the installed data.
    void setManualPath(const QString& path) { manualPath_ = path; }

    // Puts the receive view into the MDI area, shown, with "Прием данных" ticked. Its menus
    // join the menu bar between "Вид" and "Окно" while it is the active child window; its
    // activation disables "Сохранить", "Печать" and "Экспорт в Excel". Closing its window hides
    // it (its rows stay) and unticks "Прием данных"; the main window's close never asks it.
    QMdiSubWindow* installCommView(QWidget* view, const QList<QMenu*>& menus);

    // File operations.
    std::optional<int> CreateCatalogFile(const QString& name, bool saved, int deviceListId);
    bool IsFileSaved(int fileNameId) override;
    bool SaveFileAs(int fileNameId, const QString& fileName) override;
    void newFile(const docs::DocumentKind& kind);
    void OpenCatalogFile();
    void RefreshCatalog();

    // The open document windows, oldest first.
    QList<DocumentWindow*> documentWindows() const;
    QMdiArea* mdiArea() const { return mdi_; }
    CatalogPanel* catalogPanel() const { return catalog_; }
    app::AppSession& session() { return session_; }

    // DocumentHost
    const store::Database& database() const override { return session_.database(); }
    Prompter& prompter() override { return prompter_; }
    NamePrompt& namePrompt() override { return *namePrompt_; }
    void setLastDocCloseAction(app::CloseAction action) override;
    void documentClosed() override;
    void showHelp(const QString& section) override;

signals:
    // The regular close goes ahead (every document window agreed): whatever works on the
    // database, such as the instrument link, stops now, before the clean-up and compaction.
    void sessionEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(const char* name, const QString& caption,
                        const QKeySequence& shortcut = QKeySequence());
    void buildCommands();
    void buildMenus();
    void rebuildWindowMenu();
    void onSubWindowActivated(QMdiSubWindow* window);
    void setFileCommandsEnabled(bool enabled);
    void showCatalog(bool shown);
    void showCommView(bool shown);
    void tileHorizontally();
    void placeNewWindow(QMdiSubWindow* window) const;
    void deleteCurrentFile();
    void showAbout();
    bool FormClose();
    void reportClose(const app::CloseReport& report);
    DocumentWindow* activeDocument() const;
    // Creates the kind's window for a file, shows it and opens its rows; nothing when the rows
    // cannot be read (the window has told the user and is gone).
    DocumentWindow* openDocument(const docs::DocumentKind& kind, int fileNameId,
                                 const QString& fileName, const QString& caption);
    // Asks every document window of the file to close; false when one refused.
    bool closeDocumentsOf(int fileNameId);
    // Closes, with a word to the user, the windows of files another station deleted.
    void dropDocumentsDeletedElsewhere();

    app::AppSession session_;
    std::optional<app::FileCatalog> files_;
    Prompter& prompter_;
    NamePrompt* namePrompt_ = nullptr;
    QString manualPath_;

    QMdiArea* mdi_;
    CatalogPanel* catalog_;
    HelpWindow* help_ = nullptr;
    QMdiSubWindow* commWindow_ = nullptr;
    QList<QMenu*> commMenus_;
    QMenu* windowMenu_ = nullptr;
    QList<QAction*> windowListActions_;

    QAction* A_OpenFile_ = nullptr;
    QAction* A_SaveFile_ = nullptr;
    QAction* A_DeleteFile_ = nullptr;
    QAction* A_Print_ = nullptr;
    QAction* A_Exp2Excel_ = nullptr;
    QAction* A_Exit_ = nullptr;
    QAction* A_Catalog_ = nullptr;
    QAction* A_Comm_ = nullptr;
    QAction* A_Cascade_ = nullptr;
    QAction* A_Tile_ = nullptr;
    QAction* A_Help_ = nullptr;
    QAction* A_About_ = nullptr;
    QList<QPair<QAction*, const docs::DocumentKind*>> newFileActions_;
};

}  // namespace vlr::ui
