#include "link/port_look_up.h"

#include "link/com_port_numbering.h"

#include <QFileInfo>

#include <memory>

namespace vlr::link {

PortLookUp namedPortsLookUp(ComPortTable named) {
    return [named = std::move(named)] {
        ComPortTable present;
        for (size_t i = 0; i < named.size(); ++i) {
            // A stat of each named path: cheap enough to repeat every second.
            if (!named[i].isEmpty() && QFileInfo::exists(named[i]))
                present[i] = named[i];
        }
        return present;
    };
}

PortLookUp systemPortLookUp() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (portsNamedByVariables(environment))
        return namedPortsLookUp(comPortTable(environment, {}));
    auto numbering = std::make_shared<ComPortNumbering>();
    return [numbering] { return numbering->assign(systemSerialPorts()); };
}

PresentPorts presentPorts(const ComPortTable& table) {
    PresentPorts present{};
    for (size_t i = 0; i < table.size(); ++i)
        present[i] = !table[i].isEmpty();
    return present;
}

}  // namespace vlr::link
