#include "ui/main_window.h"

#include "ui/application_title.h"
#include "ui/catalog_panel.h"
#include "ui/document_window.h"
#include "ui/help_window.h"
#include "ui/name_prompt.h"
#include "ui/prompter.h"
#include "version/version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace vlr::ui {
namespace {

// How often a server's catalog is read again for files saved at other stations.
constexpr int kCatalogPollMs = 3000;

// The kind a catalog row opens in: only the ids files are created with. Rows of the other
// press ids open nothing.
const docs::DocumentKind* fileKind(int deviceListId) {
    const docs::DocumentKind* kind = docs::documentKindFor(deviceListId);
    return kind && kind->deviceListId == deviceListId ? kind : nullptr;
}

struct NewFileCommand {
    const char* name;
    const docs::DocumentKind& (*kind)();
};

const NewFileCommand kNewFileCommands[] = {
    {"A_NewOSK", docs::oskKind}, {"A_NewVTR", docs::vtrKind}, {"A_NewVTRA", docs::vtrAsphaltKind}};

}  // namespace

TForm_Main::TForm_Main(app::SettingsStore& settingsStore, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent),
      session_(settingsStore),
      prompter_(prompter),
      manualPath_(findManual(QCoreApplication::applicationDirPath())),
      mdi_(new QMdiArea),
      catalog_(new CatalogPanel) {
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(applicationTitle());
    resize(696, 477);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    mdi_->setObjectName(QStringLiteral("MDIClient"));
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->addWidget(catalog_);
    splitter->addWidget(mdi_);
    splitter->setStretchFactor(1, 1);
    splitter->setCollapsible(1, false);
    splitter->setSizes({201, 495});
    setCentralWidget(splitter);

    buildCommands();
    buildMenus();

    connect(mdi_, &QMdiArea::subWindowActivated, this, &TForm_Main::onSubWindowActivated);
    connect(catalog_, &CatalogPanel::rowClicked, this, [this] { setFileCommandsEnabled(false); });
    connect(catalog_, &CatalogPanel::rowDoubleClicked, this, [this] {
        OpenCatalogFile();
        if (QMdiSubWindow* current = mdi_->currentSubWindow())
            current->widget()->setFocus(Qt::OtherFocusReason);
    });
    connect(catalog_, &CatalogPanel::closeClicked, this, [this] {
        A_Catalog_->setChecked(false);
        showCatalog(false);
    });
}

TForm_Main::~TForm_Main() {
    // The document windows go first: they refer to the session while they are destroyed.
    delete mdi_;
}

QAction* TForm_Main::makeAction(const char* name, const QString& caption,
                                const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

void TForm_Main::buildCommands() {
    for (const NewFileCommand& command : kNewFileCommands) {
        const docs::DocumentKind& kind = command.kind();
        QAction* action = makeAction(command.name, kind.caption);
        connect(action, &QAction::triggered, this, [this, &kind] { newFile(kind); });
        newFileActions_.append({action, &kind});
    }
    A_OpenFile_ =
        makeAction("A_OpenFile", QStringLiteral("Открыть"), QKeySequence(QStringLiteral("Ctrl+O")));
    A_SaveFile_ = makeAction("A_SaveFile", QStringLiteral("Сохранить"),
                             QKeySequence(QStringLiteral("Ctrl+S")));
    A_DeleteFile_ = makeAction("A_DeleteFile", QStringLiteral("Удалить"));
    A_Print_ =
        makeAction("A_Print", QStringLiteral("Печать"), QKeySequence(QStringLiteral("Ctrl+P")));
    A_Exp2Excel_ = makeAction("A_Exp2Excel", QStringLiteral("Экспорт в Excel"));
    A_Exit_ = makeAction("A_Exit", QStringLiteral("Выход"));
    A_Catalog_ = makeAction("A_Catalog", QStringLiteral("Каталог"), QKeySequence(Qt::Key_F4));
    A_Comm_ = makeAction("A_Comm", QStringLiteral("Прием данных"), QKeySequence(Qt::Key_F3));
    A_Cascade_ = makeAction("A_Cascade", QStringLiteral("Каскадом"));
    A_Tile_ = makeAction("A_Tile", QStringLiteral("Горизонтально"));
    A_Help_ = makeAction("A_Help", QStringLiteral("Помощь"), QKeySequence(Qt::Key_F1));
    A_About_ = makeAction("A_About", QStringLiteral("О программе"));
    A_Catalog_->setCheckable(true);
    A_Catalog_->setChecked(true);
    A_Comm_->setCheckable(true);
    A_Comm_->setChecked(true);

    connect(A_OpenFile_, &QAction::triggered, this, &TForm_Main::OpenCatalogFile);
    connect(A_SaveFile_, &QAction::triggered, this, [this] {
        if (DocumentWindow* document = activeDocument())
            SaveFileAs(document->FileNameId(), document->FileName());
    });
    connect(A_DeleteFile_, &QAction::triggered, this, &TForm_Main::deleteCurrentFile);
    connect(A_Print_, &QAction::triggered, this, [this] {
        if (DocumentWindow* document = activeDocument())
            document->PrintDocument();
    });
    connect(A_Exp2Excel_, &QAction::triggered, this, [this] {
        if (DocumentWindow* document = activeDocument())
            document->ExportDocument();
    });
    // "Выход" ends the program through the regular close: its save questions keep unsaved
    // records from being removed unasked at the next start.
    connect(A_Exit_, &QAction::triggered, this, &QWidget::close);
    connect(A_Catalog_, &QAction::triggered, this, &TForm_Main::showCatalog);
    connect(A_Comm_, &QAction::triggered, this, &TForm_Main::showCommView);
    connect(A_Cascade_, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(A_Tile_, &QAction::triggered, this, &TForm_Main::tileHorizontally);
    connect(A_Help_, &QAction::triggered, this, [this] { showHelp(QString()); });
    connect(A_About_, &QAction::triggered, this, &TForm_Main::showAbout);
}

void TForm_Main::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("N_File"));
    // "Новый" shows Ctrl+N as its hint only: the new-file commands are reached through the
    // submenu, the key itself runs nothing.
    QMenu* newFileMenu = file->addMenu(QStringLiteral("Новый\tCtrl+N"));
    newFileMenu->setObjectName(QStringLiteral("N_New"));
    for (const auto& [action, kind] : newFileActions_)
        newFileMenu->addAction(action);
    file->addSeparator();
    file->addActions({A_OpenFile_, A_SaveFile_, A_DeleteFile_});
    file->addSeparator();
    file->addActions({A_Print_, A_Exp2Excel_});
    file->addSeparator();
    file->addAction(A_Exit_);

    QMenu* view = bar->addMenu(QStringLiteral("Вид"));
    view->setObjectName(QStringLiteral("N_View"));
    view->addActions({A_Catalog_, A_Comm_});

    windowMenu_ = bar->addMenu(QStringLiteral("Окно"));
    windowMenu_->setObjectName(QStringLiteral("N_Window"));
    windowMenu_->addActions({A_Cascade_, A_Tile_});
    windowMenu_->addSeparator();
    connect(windowMenu_, &QMenu::aboutToShow, this, &TForm_Main::rebuildWindowMenu);

    QMenu* help = bar->addMenu(QStringLiteral("Справка"));
    help->setObjectName(QStringLiteral("N_Help"));
    help->addActions({A_Help_, A_About_});
}

void TForm_Main::rebuildWindowMenu() {
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    QMdiSubWindow* current = mdi_->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isVisible())
            continue;
        ++number;
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(number).arg(window->windowTitle()),
                                   windowMenu_);
        action->setCheckable(true);
        action->setChecked(window == current);
        connect(action, &QAction::triggered, this, [this, window] {
            mdi_->setActiveSubWindow(window);
            // A checked item stays checked when chosen again.
            rebuildWindowMenu();
        });
        windowMenu_->addAction(action);
        windowListActions_.append(action);
    }
}

bool TForm_Main::FormCreate(const QString& workingDirectory, const QString& databaseOption) {
    // The whole desktop also where no window manager maximises windows.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    if (const std::optional<app::DatabaseAccessFailure> failure =
            session_.start(workingDirectory, databaseOption)) {
        // The engine's own report first, then the program's.
        prompter_.tell(this, failure->reason, applicationTitle(), PromptIcon::Error);
        prompter_.error(this, failure->userText);
        return false;
    }
    files_.emplace(session_.database());
    RefreshCatalog();
    // Where a file goes, always in sight; on a server other stations save files too, and the
    // list follows them within a few seconds.
    auto* where =
        new QLabel(QStringLiteral("База данных: %1, станция %2")
                       .arg(session_.database().location().description(), session_.station()));
    where->setObjectName(QStringLiteral("L_Database"));
    statusBar()->addPermanentWidget(where);
    if (session_.database().isServer()) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this] {
            RefreshCatalog();
            dropDocumentsDeletedElsewhere();
        });
        poll->start(kCatalogPollMs);
    }
    return true;
}

QMdiSubWindow* TForm_Main::installCommView(QWidget* view, const QList<QMenu*>& menus) {
    commWindow_ = mdi_->addSubWindow(view);
    // The view lives for the whole run: its window is hidden, never destroyed, when closed.
    commWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    commWindow_->installEventFilter(this);
    commMenus_ = menus;
    for (QMenu* menu : menus) {
        menuBar()->insertMenu(windowMenu_->menuAction(), menu);
        menu->menuAction()->setVisible(false);
    }
    A_Comm_->setChecked(true);
    showCommView(true);
    return commWindow_;
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == commWindow_ && event->type() == QEvent::Close) {
        event->ignore();
        A_Comm_->setChecked(false);
        showCommView(false);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::showCommView(bool shown) {
    if (!commWindow_)
        return;
    if (shown) {
        commWindow_->show();
        mdi_->setActiveSubWindow(commWindow_);
    } else {
        commWindow_->hide();
        for (QMenu* menu : commMenus_)
            menu->menuAction()->setVisible(false);
    }
}

void TForm_Main::onSubWindowActivated(QMdiSubWindow* window) {
    // Nothing is active while another top-level window (a message box) has the focus: the
    // states stay as they were.
    if (!window)
        return;
    const bool commActive = window == commWindow_;
    for (QMenu* menu : commMenus_)
        menu->menuAction()->setVisible(commActive);
    if (commActive)
        setFileCommandsEnabled(false);
    else if (qobject_cast<DocumentWindow*>(window->widget()))
        setFileCommandsEnabled(true);
}

void TForm_Main::setFileCommandsEnabled(bool enabled) {
    A_SaveFile_->setEnabled(enabled);
    A_Print_->setEnabled(enabled);
    A_Exp2Excel_->setEnabled(enabled);
}

void TForm_Main::showCatalog(bool shown) {
    catalog_->setVisible(shown);
    if (shown)
        RefreshCatalog();
}

void TForm_Main::tileHorizontally() {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (window->isVisible() && !window->isMinimized())
            windows.append(window);
    }
    if (windows.isEmpty())
        return;
    // One above the other, each across the full width.
    const QRect area = mdi_->viewport()->rect();
    const int height = area.height() / windows.size();
    for (int i = 0; i < windows.size(); ++i) {
        windows[i]->showNormal();
        windows[i]->setGeometry(0, i * height, area.width(), height);
    }
}

void TForm_Main::placeNewWindow(QMdiSubWindow* window) const {
    // Each new window a title bar lower and further right than the one before, as cascaded
    // windows lie, starting again at the corner after eight.
    int shown = 0;
    for (const QMdiSubWindow* other : mdi_->subWindowList()) {
        if (other != window && other->isVisible())
            ++shown;
    }
    const int step = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 4;
    const QSize area = mdi_->viewport()->size();
    window->resize(qMin(696, qMax(area.width(), 320)), qMin(480, qMax(area.height(), 240)));
    window->move(QPoint(step, step) * (shown % 8));
}

DocumentWindow* TForm_Main::activeDocument() const {
    QMdiSubWindow* current = mdi_->currentSubWindow();
    return current && current->isVisible() ? qobject_cast<DocumentWindow*>(current->widget())
                                           : nullptr;
}

QList<DocumentWindow*> TForm_Main::documentWindows() const {
    QList<DocumentWindow*> documents;
    for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* document = qobject_cast<DocumentWindow*>(window->widget()))
            documents.append(document);
    }
    return documents;
}

std::optional<int> TForm_Main::CreateCatalogFile(const QString& name, bool saved,
                                                 int deviceListId) {
    const std::optional<int> id =
        files_ ? files_->CreateCatalogFile(name, saved, deviceListId) : std::nullopt;
    if (!id)
        prompter_.error(this, QStringLiteral("Не могу создать файл!"));
    return id;
}

bool TForm_Main::IsFileSaved(int fileNameId) {
    return files_ && files_->IsFileSaved(fileNameId);
}

bool TForm_Main::SaveFileAs(int fileNameId, const QString& fileName) {
    if (IsFileSaved(fileNameId) || !namePrompt_)
        return false;
    const std::optional<QString> name =
        namePrompt_->askName(this, QStringLiteral("Сохранить %1 как...").arg(fileName), fileName);
    if (!name || name->isEmpty())
        return false;
    if (!files_ || !files_->saveFile(fileNameId, *name)) {
        prompter_.error(this, QStringLiteral("Не могу записать файл."));
        return false;
    }
    RefreshCatalog();
    return true;
}

void TForm_Main::newFile(const docs::DocumentKind& kind) {
    app::Settings& settings = session_.settings();
    const QString name = QStringLiteral("Таблица%1").arg(settings.NewFileCounter);
    const std::optional<int> id = CreateCatalogFile(name, false, kind.deviceListId);
    if (!id) {
        prompter_.error(this, QStringLiteral("Не могу создать файл!"));
        return;
    }
    openDocument(kind, *id, name, documentCaption(name, kind));
    ++settings.NewFileCounter;
}

DocumentWindow* TForm_Main::openDocument(const docs::DocumentKind& kind, int fileNameId,
                                         const QString& fileName, const QString& caption) {
    DocumentWindow* document = createDocumentWindow(*this, kind);
    document->setFile(fileNameId, fileName);
    document->setWindowTitle(caption);
    QMdiSubWindow* window = mdi_->addSubWindow(document);
    placeNewWindow(window);
    window->show();
    if (!document->OpenRows()) {
        delete window;
        return nullptr;
    }
    mdi_->setActiveSubWindow(window);
    return document;
}

void TForm_Main::OpenCatalogFile() {
    const std::optional<app::CatalogEntry> entry = catalog_->currentEntry();
    if (!entry) {
        prompter_.error(this, QStringLiteral("Не могу открыть файл!"));
        return;
    }
    const docs::DocumentKind* kind = fileKind(entry->deviceListId);
    if (!kind)
        return;
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        auto* document = qobject_cast<DocumentWindow*>((*it)->widget());
        if (document && document->FileNameId() == entry->fileNameId) {
            document->bringForward();
            return;
        }
    }
    openDocument(*kind, entry->fileNameId, entry->fileName,
                 documentCaption(entry->fileName, *kind));
}

void TForm_Main::RefreshCatalog() {
    if (!files_)
        return;
    catalog_->setEntries(files_->savedFiles().value_or(QVector<app::CatalogEntry>()));
    A_DeleteFile_->setEnabled(catalog_->rowCount() > 0);
}

void TForm_Main::dropDocumentsDeletedElsewhere() {
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* window : windows) {
        const auto* document = qobject_cast<DocumentWindow*>(window->widget());
        if (!document || files_->fileExists(document->FileNameId()) != false)
            continue;
        // Its records are gone with it: nothing is left to save or to show.
        const QString caption = window->windowTitle();
        window->deleteLater();
        prompter_.tell(
            this,
            QStringLiteral("Файл \"%1\" удалён на другой станции; его окно закрыто.").arg(caption),
            applicationTitle(), PromptIcon::Information);
    }
}

bool TForm_Main::closeDocumentsOf(int fileNameId) {
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const auto* document = qobject_cast<DocumentWindow*>((*it)->widget());
        if (document && document->FileNameId() == fileNameId && !(*it)->close())
            return false;
    }
    return true;
}

void TForm_Main::deleteCurrentFile() {
    const std::optional<app::CatalogEntry> entry = catalog_->currentEntry();
    if (!entry || !files_)
        return;
    const PromptButton answer =
        prompter_.ask(this, {QStringLiteral("Удалить файл %1?").arg(entry->fileName),
                             QStringLiteral("Удаление"),
                             PromptIcon::Question,
                             {PromptButton::Yes, PromptButton::No}});
    if (answer != PromptButton::Yes)
        return;
    // A window that stays open keeps its file: its records are not pulled from under it.
    if (!closeDocumentsOf(entry->fileNameId))
        return;
    if (!files_->deleteFile(entry->fileNameId)) {
        prompter_.error(this, QStringLiteral("Не могу удалить файл."));
        return;
    }
    RefreshCatalog();
}

void TForm_Main::showHelp(const QString& section) {
    if (manualPath_.isEmpty()) {
        prompter_.tell(this,
                       QStringLiteral("Руководство пользователя не найдено: файл "
                                      "manual/index.html должен лежать рядом с программой."),
                       applicationTitle(), PromptIcon::Warning);
        return;
    }
    if (!help_)
        help_ = new HelpWindow(manualPath_, this);
    // Asked from a modal window (the print preview), the manual must take input too: it becomes
    // modal itself until it is closed, and an ordinary window again the next time.
    const Qt::WindowModality modality =
        QApplication::activeModalWidget() ? Qt::ApplicationModal : Qt::NonModal;
    if (help_->windowModality() != modality) {
        help_->hide();
        help_->setWindowModality(modality);
    }
    help_->showSection(section);
}

void TForm_Main::showAbout() {
    QString version = version::number();
    if (!version::commit().isEmpty())
        version += QStringLiteral(" (коммит %1)").arg(version::commit());
    const QString database = session_.database().path();
    const QString text =
        QStringLiteral("<p><b>%1</b></p><p>Версия %2</p><p>База данных: %3</p><p>Qt %4</p>")
            .arg(applicationTitle(), version.toHtmlEscaped(),
                 database.isEmpty() ? QStringLiteral("не открыта") : database.toHtmlEscaped(),
                 QString::fromLatin1(qVersion()));
    prompter_.tell(this, text, QStringLiteral("О программе"), PromptIcon::About);
}

void TForm_Main::setLastDocCloseAction(app::CloseAction action) {
    session_.settings().LastDocCloseAction = action;
}

void TForm_Main::documentClosed() {
    A_SaveFile_->setEnabled(false);
}

bool TForm_Main::FormClose() {
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (*it == commWindow_)
            continue;
        (*it)->close();
        if (session_.settings().LastDocCloseAction == app::CloseAction::None)
            return false;
    }
    emit sessionEnding();
    reportClose(session_.close());
    return true;
}

void TForm_Main::reportClose(const app::CloseReport& report) {
    if (!report.performed)
        return;
    if (!report.compaction.succeeded)
        prompter_.tell(this, report.compaction.message, applicationTitle(), PromptIcon::None);
    if (!report.settingsWritten)
        prompter_.tell(
            this,
            QStringLiteral("Не могу сохранить настройки COM-порта: %1").arg(report.settingsFailure),
            applicationTitle(), PromptIcon::Warning);
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    if (!FormClose()) {
        event->ignore();
        return;
    }
    if (help_)
        help_->close();
    event->accept();
}

}  // namespace vlr::ui
