#include "link/com_port_names.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

namespace vlr::link {
namespace {

// Sort key of one device path: family rank, family name, number in the name, whole path.
std::tuple<int, QString, long long, QString> orderKey(const QString& path) {
    static const QStringList families{QStringLiteral("ttyUSB"), QStringLiteral("ttyACM"),
                                      QStringLiteral("ttyS")};
    static const QRegularExpression split(QStringLiteral("^(.*?)(\\d+)$"));
    const QString name = QFileInfo(path).fileName();
    const QRegularExpressionMatch match = split.match(name);
    const QString family = match.hasMatch() ? match.captured(1) : name;
    const long long number = match.hasMatch() ? match.captured(2).toLongLong() : -1;
    const int rank =
        families.contains(family) ? int(families.indexOf(family)) : int(families.size());
    return {rank, family, number, path};
}

}  // namespace

QStringList systemPortOrder(QStringList devicePaths) {
    std::sort(devicePaths.begin(), devicePaths.end(),
              [](const QString& a, const QString& b) { return orderKey(a) < orderKey(b); });
    return devicePaths;
}

QStringList systemSerialPorts() {
    QStringList paths;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        paths << info.systemLocation();
    return paths;
}

bool portsNamedByVariables(const QProcessEnvironment& environment) {
    for (int i = 1; i <= kComPortCount; ++i) {
        if (environment.contains(QStringLiteral("VLR_COM%1").arg(i)))
            return true;
    }
    return false;
}

ComPortTable comPortTable(const QProcessEnvironment& environment,
                          const QStringList& systemDevicePaths) {
    ComPortTable table;
    if (portsNamedByVariables(environment)) {
        for (int i = 0; i < kComPortCount; ++i)
            table[i] = environment.value(QStringLiteral("VLR_COM%1").arg(i + 1));
        return table;
    }
    const QStringList ordered = systemPortOrder(systemDevicePaths);
    for (int i = 0; i < kComPortCount && i < ordered.size(); ++i)
        table[i] = ordered[i];
    return table;
}

ComPortTable comPortTable() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (portsNamedByVariables(environment))
        return comPortTable(environment, {});
    return comPortTable(environment, systemSerialPorts());
}

}  // namespace vlr::link
