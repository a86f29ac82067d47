#include "ui/desktop_program.h"

#include "link/link_session.h"
#include "ui/comm_options_dialog.h"
#include "ui/comm_view.h"
#include "ui/database_dialog.h"
#include "ui/logo_window.h"
#include "ui/main_window.h"
#include "ui/new_name_dialog.h"

#include <QAction>

namespace vlr::ui {

DesktopProgram::DesktopProgram(app::SettingsStore& settings, Prompter& prompter)
    : settings_(settings), prompter_(prompter) {}

// The options dialog and the name dialog refer to the main window's parts: they go first.
DesktopProgram::~DesktopProgram() {
    nameDialog_.reset();
    optionsDialog_.reset();
    mainWindow_.reset();
}

bool DesktopProgram::start(const QString& workingDirectory, const QString& databaseOption) {
    // The splash window goes when this function is left, whichever step failed.
    TForm_Logo splash;
    splash.showNow();

    mainWindow_ = std::make_unique<TForm_Main>(settings_, prompter_);
    if (!mainWindow_->FormCreate(workingDirectory, databaseOption))
        return false;

    // The receive view owns the serial port and starts the link, whose watch looks at the ports
    // present from now on; the options dialog lists them.
    link::PortSettings& ports = mainWindow_->session().settings().Ports;
    commView_ = new TForm_Comm(mainWindow_->database(), prompter_);
    commView_->setObjectName(QStringLiteral("Form_Comm"));
    commView_->hostLink(
        std::make_unique<link::LinkSession>(mainWindow_->database(), *commView_, ports));
    commView_->linkSession()->watchPorts();
    mainWindow_->installCommView(commView_, commView_->menus());
    // The link works on the database: it stops before the regular close cleans up and compacts.
    QObject::connect(mainWindow_.get(), &TForm_Main::sessionEnding, commView_,
                     [view = commView_] { view->hostLink(nullptr); });

    optionsDialog_ =
        std::make_unique<TForm_CommOptions>(*commView_->linkSession(), ports, mainWindow_.get());
    commView_->setOptionsDialog(optionsDialog_.get());

    QObject::connect(commView_->A_Database(), &QAction::triggered, mainWindow_.get(),
                     [this] { TForm_Database(settings_, mainWindow_.get()).exec(); });

    nameDialog_ = std::make_unique<TForm_NewName>(mainWindow_.get());
    mainWindow_->setNamePrompt(*nameDialog_);
    return true;
}

}  // namespace vlr::ui
