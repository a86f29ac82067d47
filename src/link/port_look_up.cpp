#include "link/port_look_up.h"

#include "link/com_port_numbering.h"

#include <QFileInfo>

#include <dirent.h>

#include <memory>

namespace vlr::link {
namespace {

// What the system's look-up keeps from one look to the next.
struct SystemPorts {
    ComPortNumbering numbering;
    QStringList ttyNames;
    QStringList devices;
    bool listed = false;
};

// The entries of the tty class, where the kernel lists every serial device it has; empty where
// there is no such directory.
QStringList ttyClassNames() {
    QStringList names;
    DIR* folder = ::opendir("/sys/class/tty");
    if (folder == nullptr)
        return names;
    while (const dirent* entry = ::readdir(folder))
        names << QString::fromLocal8Bit(entry->d_name);
    ::closedir(folder);
    names.sort();
    return names;
}

}  // namespace

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
    auto system = std::make_shared<SystemPorts>();
    return [system] {
        // The system's listing costs tens of milliseconds (every tty's attributes are read);
        // the names of the tty class change whenever a serial device comes or goes and cost one
        // directory read, so the listing is read again only when they change.
        QStringList names = ttyClassNames();
        if (!system->listed || names.isEmpty() || names != system->ttyNames) {
            system->devices = systemSerialPorts();
            system->ttyNames = std::move(names);
            system->listed = true;
        }
        return system->numbering.assign(system->devices);
    };
}

PresentPorts presentPorts(const ComPortTable& table) {
    PresentPorts present{};
    for (size_t i = 0; i < table.size(); ++i)
        present[i] = !table[i].isEmpty();
    return present;
}

}  // namespace vlr::link
