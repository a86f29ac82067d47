#include "link/com_port_numbering.h"

#include <QSet>

namespace vlr::link {

const ComPortTable& ComPortNumbering::assign(const QStringList& presentDevices) {
    const QSet<QString> present(presentDevices.begin(), presentDevices.end());
    QSet<QString> numbered;
    for (QString& device : table_) {
        if (!present.contains(device))
            device.clear();
        else
            numbered.insert(device);
    }
    QStringList arrivals;
    for (const QString& device : present) {
        if (!numbered.contains(device))
            arrivals << device;
    }
    arrivals = systemPortOrder(arrivals);

    // Devices coming back first, so that a newcomer does not take the number they had.
    QStringList newcomers;
    for (const QString& device : arrivals) {
        const auto last = lastIndex_.constFind(device);
        if (last != lastIndex_.constEnd() && table_[static_cast<size_t>(*last)].isEmpty())
            table_[static_cast<size_t>(*last)] = device;
        else
            newcomers << device;
    }
    for (const QString& device : newcomers) {
        const int index = lowestFree();
        if (index < 0)
            break;
        table_[static_cast<size_t>(index)] = device;
        lastIndex_.insert(device, index);
    }
    return table_;
}

int ComPortNumbering::lowestFree() const {
    for (int i = 0; i < kComPortCount; ++i) {
        if (table_[static_cast<size_t>(i)].isEmpty())
            return i;
    }
    return -1;
}

}  // namespace vlr::link
