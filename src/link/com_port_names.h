#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <array>

namespace vlr::link {

constexpr int kComPortCount = 16;

// Device path of COM1..COM16 (index 0 is COM1); an empty path means the port does not exist.
using ComPortTable = std::array<QString, kComPortCount>;

// Entry i is set when COM(i+1) is present.
using PresentPorts = std::array<bool, kComPortCount>;

// Whether any of VLR_COM1..VLR_COM16 is set.
bool portsNamedByVariables(const QProcessEnvironment& environment);

// How COM numbers map to devices on this system:
// - when any of VLR_COM1..VLR_COM16 is set, exactly those ports exist, each at the path it names;
// - otherwise COM1, COM2 ... are the system's serial ports in the order of systemPortOrder().
ComPortTable comPortTable();

// The same rule over given inputs, so it can be checked without touching the machine.
ComPortTable comPortTable(const QProcessEnvironment& environment,
                          const QStringList& systemDevicePaths);

// Orders device paths so that COM numbers stay stable across plug-ins and reboots: USB serial
// adapters (ttyUSB*), then USB modems and CDC devices (ttyACM*), then built-in ports (ttyS*),
// then any other kind; within a family by the number in the name (ttyUSB2 before ttyUSB10).
QStringList systemPortOrder(QStringList devicePaths);

// The serial ports the system reports as really present, as device paths.
QStringList systemSerialPorts();

}  // namespace vlr::link
