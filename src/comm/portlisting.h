#pragma once
// The serial ports offered to the user, made from what the system tells of
// them. No port is opened here: the platform adaptor (platform/serial/portlist)
// gathers the facts, these rules turn them into the lines of the list.

#include <QList>
#include <QString>

// What the system knows of one serial port (QSerialPortInfo's facts).
struct SystemPort {
    QString location;     // the device: /dev/ttyUSB0, /dev/ttyS0
    QString description;  // "FT232R USB UART"; "" for most built-in ports
    QString manufacturer; // "FTDI"
    QString serialNumber; // "A50285BI"
    bool usb = false;     // behind a USB adapter (the system gave a vendor id)
};

// One link of /dev/serial/by-id: a name that stays the same whichever order
// the adapters were plugged in, and the device it points to now.
struct PortLink {
    QString path;   // /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
    QString target; // /dev/ttyUSB0
};

// One line of the port list.
struct PortEntry {
    QString name;   // what the box takes, and the configuration stores, when chosen
    QString detail; // what the system knows of it, for the eye only
    bool usb = false;
    bool link = false; // a /dev/serial/by-id name of another entry's device
};

// The lines to show: USB adapters first, then the other ports, each in
// numeric order (ttyS2 before ttyS10) and followed by its by-id links; links
// to devices the system did not list come after those. A built-in port
// /dev/ttySn says its old name COM(n+1); `current` (the port in use, "" for
// none) keeps its own spelling: a "COMn" of another installation names the
// device it opens, a port the system does not list (a pseudo-terminal, a
// typed path) comes first. The caller passes `current` only when it exists.
QList<PortEntry> PortEntries(const QList<SystemPort>& ports, const QList<PortLink>& links, const QString& current);

// The first USB serial adapter's device in `entries`, "" when there is none.
QString FirstUsbAdapter(const QList<PortEntry>& entries);
