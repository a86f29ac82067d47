#pragma once

#include <array>

namespace vlr::link {

class SerialLink;

// Entry i is set when COM(i+1) could be opened.
using PresentPorts = std::array<bool, 16>;

// Tries each of COM1..COM16 once through the port: set the number, open, close. The port is
// closed first and left closed. An open that fails only leaves its entry clear.
PresentPorts probePresentPorts(SerialLink& port);

}  // namespace vlr::link
