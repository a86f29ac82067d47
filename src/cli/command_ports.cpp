#include "cli/cli_command.h"
#include "link/com_port_names.h"
#include "link/comm_port_driver.h"

namespace vlr::cli {
namespace {

void printHelp(QTextStream& out) {
    out << "Usage: vlr ports [--help]\n\n"
        << "Lists COM1 to COM16 with the device each stands for and whether it opens now\n"
        << "(exclusively, with the instrument's line settings).\n\n"
        << "When any of VLR_COM1 ... VLR_COM16 is set, exactly those ports exist, each at the\n"
        << "path it names. Otherwise COM1, COM2 ... are the system's serial ports in this order:\n"
        << "USB adapters (ttyUSB*), then USB CDC devices (ttyACM*), then built-in ports (ttyS*),\n"
        << "then any others, each family by its number.\n";
}

int runPorts(const QStringList& args, CliStreams& io) {
    if (args == QStringList{QStringLiteral("--help")} ||
        args == QStringList{QStringLiteral("-h")}) {
        printHelp(io.out);
        return 0;
    }
    if (!args.isEmpty()) {
        io.err << "vlr ports: unexpected argument '" << args.first() << "'\n\n";
        printHelp(io.err);
        return 2;
    }
    const link::ComPortTable ports = link::comPortTable();
    link::TCommPortDriver driver(ports);
    driver.setEnableDTROnOpen(false);
    for (int number = 1; number <= link::kComPortCount; ++number) {
        const QString& device = ports[number - 1];
        QString state = QStringLiteral("-");
        if (!device.isEmpty()) {
            driver.setPortNumber(number);
            state = driver.OpenPort() ? QStringLiteral("opens") : QStringLiteral("does not open");
            driver.ClosePort();
        }
        io.out << QStringLiteral("COM%1").arg(number).leftJustified(7)
               << (device.isEmpty() ? QStringLiteral("(none)") : device).leftJustified(40) << state
               << "\n";
    }
    return 0;
}

const CliRegistration registration{
    {QStringLiteral("ports"),
     QStringLiteral("list COM1..COM16 with their devices and whether each opens"), runPorts}};

}  // namespace
}  // namespace vlr::cli
