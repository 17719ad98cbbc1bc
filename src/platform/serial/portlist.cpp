#include "platform/serial/portlist.h"

#include "comm/portnames.h"

#include <QFileInfo>
#include <QSerialPortInfo>

QStringList AvailablePortNames()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        if (path.startsWith(QLatin1String("/dev/ttyS"))) {
            bool ok = false;
            const int n = path.mid(9).toInt(&ok);
            if (ok && n + 1 <= 255) {
                names << QStringLiteral("COM%1").arg(n + 1);
                continue;
            }
        }
        names << path;
    }
    return names;
}

bool PortPresent(const QString& portName)
{
    const QString path = PortDevicePath(portName.trimmed());
    if (path.isEmpty())
        return false;
    if (AvailablePortNames().contains(portName.trimmed(), Qt::CaseInsensitive))
        return true;
    // Pseudo-terminals and adapters the port enumeration does not list.
    return QFileInfo::exists(path);
}
