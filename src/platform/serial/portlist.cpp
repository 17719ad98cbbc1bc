#include "platform/serial/portlist.h"

#include "comm/portnames.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

QList<SystemPort> SystemPorts()
{
    QList<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << SystemPort{info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber(),
                            info.hasVendorIdentifier()};
    return ports;
}

QList<PortLink> SerialPortLinks(const QString& folder)
{
    QList<PortLink> links;
    const QFileInfoList found = QDir(folder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : found) {
        if (!link.isSymLink())
            continue;
        // The links are relative ("../../ttyUSB0"); the device is what they resolve to.
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            links << PortLink{link.absoluteFilePath(), target};
    }
    return links;
}

QList<PortEntry> SystemPortEntries(const QString& current)
{
    return PortEntries(SystemPorts(), SerialPortLinks(), PortPresent(current) ? current : QString());
}

bool PortPresent(const QString& portName)
{
    // Pseudo-terminals and adapters the port enumeration does not list count too.
    const QString path = PortDevicePath(portName.trimmed());
    return !path.isEmpty() && QFileInfo::exists(path);
}
