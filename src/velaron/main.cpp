// The desktop program: the splash window while the long-lived windows are built, then the
// main window until it is closed (also by "Выход").
#include "app/settings_store.h"
#include "ui/application_title.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"
#include "ui/product_logo.h"
#include "ui/prompter.h"
#include "version/version.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstring>
#include <memory>
#include <optional>

namespace {

// --help and --version are answered before any application object exists: they need no
// display, so the man page is made from them on a build machine without one.
std::optional<int> answerInformationOption(int argc, char** argv) {
    QTextStream out(stdout);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            out << vlr::version::versionText(QStringLiteral("velaron")) << "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            out << "Usage: velaron [OPTIONS]\n\n"
                   "The desktop program of Velaron Link: finds the instrument on the serial\n"
                   "ports, reads its archive, keeps the results in files, prints them and\n"
                   "exports them to Excel workbooks. Its database, VelaronLink.mdb, is kept in\n"
                   "the folder the program is started from; F1 shows the user's manual.\n\n"
                   "Options:\n"
                   "  -h, --help     this text\n"
                   "  --version      the program's name and version\n\n"
                   "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n\n"
                   "Environment:\n"
                   "  VLR_COM1 ... VLR_COM16   when any is set, exactly these ports exist, each\n"
                   "                           at the device path it names\n";
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = answerInformationOption(argc, argv))
        return *status;
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

    // The program ends when the main window has closed ("Выход" closes it too).
    program.mainWindow().show();
    return application.exec();
}
