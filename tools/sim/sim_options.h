#pragma once

#include "sim/instrument_model.h"
#include "sim/pty_instrument_server.h"

#include <QString>
#include <QStringList>

namespace vlr::sim {

struct SimOptions {
    InstrumentSetup setup;
    InstrumentFaults faults;
    LinePacing pacing;
    bool showHelp = false;
    bool showVersion = false;
    bool quiet = false;
};

// The command line of vlr-sim (arguments after the program name). Throws std::runtime_error
// with a message for the user when an option is wrong or the records file cannot be read.
SimOptions parseSimOptions(const QStringList& arguments);

QString simHelpText();

}  // namespace vlr::sim
