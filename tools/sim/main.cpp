#include "sim/pty_instrument_server.h"
#include "sim/sim_options.h"
#include "version/version.h"

#include <QCoreApplication>
#include <QTextStream>

#include <stdexcept>

int main(int argc, char* argv[]) {
    using namespace vlr::sim;
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    SimOptions options;
    try {
        options = parseSimOptions(QCoreApplication::arguments().mid(1));
    } catch (const std::runtime_error& error) {
        err << "vlr-sim: " << error.what() << "\nRun 'vlr-sim --help' for the options.\n";
        return 2;
    }
    if (options.showHelp) {
        out << simHelpText();
        return 0;
    }
    if (options.showVersion) {
        out << vlr::version::versionText(QStringLiteral("vlr-sim")) << "\n";
        return 0;
    }

    InstrumentModel model(options.setup, options.faults);
    PtyInstrumentServer server(model, options.pacing);
    try {
        server.open();
    } catch (const std::runtime_error& error) {
        err << "vlr-sim: cannot create a pseudo-terminal: " << error.what() << "\n";
        return 1;
    }
    if (!options.quiet) {
        server.onExchange = [&err, &model](char letter, const QByteArray& answer) {
            err << "<- " << QChar::fromLatin1(letter);
            if (answer.isEmpty())
                err << "  (no answer)";
            else if (answer.size() == 1)
                err << "  -> " << answer;
            else if (letter == 'V')
                err << "  -> identification frame";
            else
                err << "  -> frame of " << answer.size() << " characters, record "
                    << model.lastRecordSent() << "/" << model.recordCount();
            err << Qt::endl;
        };
    }
    out << server.devicePath() << Qt::endl;
    return app.exec();
}
