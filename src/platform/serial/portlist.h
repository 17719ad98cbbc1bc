#pragma once
// The serial ports present on this machine.

#include "comm/portlisting.h"

#include <QList>
#include <QStringList>

// What QSerialPortInfo tells of each port.
QList<SystemPort> SystemPorts();
// The links of `folder` (the system's /dev/serial/by-id) with the devices
// they point to; none when the folder is missing (no USB adapter plugged in).
QList<PortLink> SerialPortLinks(const QString& folder = QStringLiteral("/dev/serial/by-id"));
// The port list of this machine (PortEntries); `current` is added when it is
// present, a pseudo-terminal or a typed path included.
QList<PortEntry> SystemPortEntries(const QString& current);
// True when the named port ("COMn" or a device path) is present now.
bool PortPresent(const QString& portName);
