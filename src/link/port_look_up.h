#pragma once

#include "link/com_port_names.h"

#include <functional>

namespace vlr::link {

// Which device each of COM1..COM16 stands for now (an empty path: the port is absent). Called
// again and again while the program runs, so ports that come and go are seen.
using PortLookUp = std::function<ComPortTable()>;

// The run's own: when any of VLR_COM1..VLR_COM16 is set, exactly those ports, each present
// while the path it names exists; otherwise the system's serial ports present now, numbered
// for the run by ComPortNumbering.
PortLookUp systemPortLookUp();

// The given ports, each present while its path exists (a symbolic link to a device counts
// while the device is there).
PortLookUp namedPortsLookUp(ComPortTable named);

// Entry i is set when COM(i+1) is present in the table.
PresentPorts presentPorts(const ComPortTable& table);

}  // namespace vlr::link
