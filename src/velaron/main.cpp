// The desktop program: the splash window while the long-lived windows are built, then the
// main window until it is closed or "Выход" is chosen.
#include "app/settings_store.h"
#include "link/link_session.h"
#include "ui/application_title.h"
#include "ui/comm_options_dialog.h"
#include "ui/comm_view.h"
#include "ui/logo_window.h"
#include "ui/main_window.h"
#include "ui/new_name_dialog.h"
#include "ui/product_logo.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QDir>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velaron"));
    QApplication::setApplicationDisplayName(vlr::ui::applicationTitle());
    QApplication::setDesktopFileName(QStringLiteral("velaron"));
    QApplication::setWindowIcon(vlr::ui::productIcon());

    std::unique_ptr<vlr::app::SettingsStore> settings = vlr::app::SettingsStore::forCurrentUser();
    vlr::ui::WidgetPrompter prompter;

    // The splash window goes when this block is left, whichever step failed.
    std::unique_ptr<vlr::ui::TForm_Main> mainWindow;
    std::unique_ptr<vlr::ui::TForm_CommOptions> optionsDialog;
    std::unique_ptr<vlr::ui::TForm_NewName> nameDialog;
    {
        vlr::ui::TForm_Logo splash;
        splash.showNow();

        mainWindow = std::make_unique<vlr::ui::TForm_Main>(*settings, prompter);
        // A database that cannot be used ends the program after its message.
        if (!mainWindow->FormCreate(QDir::currentPath()))
            return 1;

        // The receive view owns the serial port and starts the link; the options dialog then
        // probes COM1..COM16 through that port and hands the present ones to the exchange.
        vlr::link::PortSettings& ports = mainWindow->session().settings().Ports;
        auto* commView = new vlr::ui::TForm_Comm(mainWindow->database(), prompter);
        commView->setObjectName(QStringLiteral("Form_Comm"));
        commView->hostLink(
            std::make_unique<vlr::link::LinkSession>(mainWindow->database(), *commView, ports));
        mainWindow->installCommView(commView, commView->menus());
        QObject::connect(mainWindow.get(), &vlr::ui::TForm_Main::sessionEnding, commView,
                         [commView] { commView->hostLink(nullptr); });

        optionsDialog = std::make_unique<vlr::ui::TForm_CommOptions>(*commView->linkSession(),
                                                                     ports, mainWindow.get());
        commView->setOptionsDialog(optionsDialog.get());

        nameDialog = std::make_unique<vlr::ui::TForm_NewName>(mainWindow.get());
        mainWindow->setNamePrompt(*nameDialog);
    }

    QObject::connect(mainWindow.get(), &vlr::ui::TForm_Main::exitRequested, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    mainWindow->show();
    return application.exec();
}
