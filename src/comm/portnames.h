#pragma once
// Port names as the user and the configuration files give them ("COM3", or a
// device path such as /dev/ttyUSB0) and the device they open on this system.

#include <QString>

// "COMn" (any case, 1..255) -> "/dev/ttyS<n-1>"; a device path as it stands;
// anything else -> "" (no such port).
QString PortDevicePath(const QString& portName);
// The number n of a "COMn" name, or 0 when the name is not of that form.
int ComPortNumber(const QString& portName);
bool IsDevicePath(const QString& portName);
