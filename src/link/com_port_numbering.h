#pragma once

#include "link/com_port_names.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace vlr::link {

// COM numbers of the system's serial ports for one run, so that a fixed-port choice never moves
// to another device. A device keeps its number while it is present, whatever others come and
// go; a device that comes back takes its old number when that is free; any other device that
// appears takes the lowest free number, several at once in systemPortOrder(). Devices beyond
// COM16 wait until a number is free. A new run numbers afresh.
class ComPortNumbering {
public:
    // Numbers the devices present now, given as device paths in any order.
    const ComPortTable& assign(const QStringList& presentDevices);
    const ComPortTable& table() const { return table_; }

private:
    int lowestFree() const;

    ComPortTable table_;
    QHash<QString, int> lastIndex_;  // every device numbered in this run
};

}  // namespace vlr::link
