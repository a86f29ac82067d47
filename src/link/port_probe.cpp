#include "link/port_probe.h"

#include "link/serial_link.h"

namespace vlr::link {

PresentPorts probePresentPorts(SerialLink& port) {
    PresentPorts present{};
    port.closePort();
    for (int i = 0; i < static_cast<int>(present.size()); ++i) {
        port.setPortNumber(i + 1);
        present[i] = port.openPort();
        port.closePort();
    }
    return present;
}

}  // namespace vlr::link
