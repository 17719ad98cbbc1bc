#include "comm/portnames.h"

int ComPortNumber(const QString& portName)
{
    const QString t = portName.trimmed();
    if (t.size() < 4 || !t.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int n = t.mid(3).toInt(&ok);
    return (ok && n >= 1 && n <= 255) ? n : 0;
}

bool IsDevicePath(const QString& portName) { return portName.startsWith(QLatin1Char('/')); }

QString PortDevicePath(const QString& portName)
{
    if (IsDevicePath(portName))
        return portName;
    const int n = ComPortNumber(portName);
    return n ? QStringLiteral("/dev/ttyS%1").arg(n - 1) : QString();
}
