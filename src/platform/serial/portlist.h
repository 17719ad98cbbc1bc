#pragma once
// The serial ports present on this machine.

#include <QStringList>

// Port names as the user sees them: "COMn" for the /dev/ttyS ports, device
// paths (/dev/ttyUSB0, /dev/ttyACM0, ...) for the others.
QStringList AvailablePortNames();
// True when the named port ("COMn" or a device path) is present now.
bool PortPresent(const QString& portName);
