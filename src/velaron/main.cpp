// The desktop program: the splash window while the long-lived windows are built, then the
// main window until it is closed (also by "Выход").
#include "app/settings_store.h"
#include "ui/application_title.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"
#include "ui/product_logo.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velaron"));
    QApplication::setDesktopFileName(QStringLiteral("velaron"));
    QApplication::setWindowIcon(vlr::ui::productIcon());
    // Every text of the program is Russian: so are the buttons of message boxes and the file
    // and print dialogs, whatever the system's language (without the translations they stay
    // English).
    // The C locale is no user's choice but the lack of one (a bare system, a service's
    // environment): the program then writes its numbers and dates the Russian way, as its texts.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    const std::unique_ptr<vlr::app::SettingsStore> settings =
        vlr::app::SettingsStore::forCurrentUser();
    vlr::ui::WidgetPrompter prompter;
    vlr::ui::DesktopProgram program(*settings, prompter);
    // A database that cannot be used ends the program after its message.
    if (!program.start(QDir::currentPath()))
        return 1;

    // The program ends when the main window has closed ("Выход" closes it too).
    program.mainWindow().show();
    return application.exec();
}
