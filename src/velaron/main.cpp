// The desktop program: the splash window while the long-lived windows are built, then the
// main window until it is closed or "Выход" is chosen.
#include "app/settings_store.h"
#include "ui/application_title.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"
#include "ui/product_logo.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
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
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    const std::unique_ptr<vlr::app::SettingsStore> settings =
        vlr::app::SettingsStore::forCurrentUser();
    vlr::ui::WidgetPrompter prompter;
    vlr::ui::DesktopProgram program(*settings, prompter);
    // --database URL (or --database=URL) works on a server's database instead of the local file.
    QString database;
    const QStringList arguments = QApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--database") && i + 1 < arguments.size())
            database = arguments[i + 1];
        else if (arguments[i].startsWith(QLatin1String("--database=")))
            database = arguments[i].mid(11);
    }
    // A database that cannot be used ends the program after its message.
    if (!program.start(QDir::currentPath(), database))
        return 1;

    QObject::connect(&program.mainWindow(), &vlr::ui::TForm_Main::exitRequested, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    program.mainWindow().show();
    return application.exec();
}
