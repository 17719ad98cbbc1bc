#include "comm/portlisting.h"

#include "comm/portnames.h"

#include <QStringList>
#include <algorithm>
#include <utility>

namespace {

// "ttyS10" after "ttyS2": the digits that end a name count as a number.
std::pair<QString, qlonglong> NumericKey(const QString& name)
{
    qsizetype digits = name.size();
    while (digits > 0 && name.at(digits - 1).isDigit())
        --digits;
    return {name.left(digits), digits < name.size() ? name.mid(digits).toLongLong() : -1};
}

bool NumericLess(const QString& a, const QString& b) { return NumericKey(a) < NumericKey(b); }

// "FT232R USB UART (FTDI, A50285BI)": the maker and serial number only when
// the description does not already say them.
QString Facts(const SystemPort& p)
{
    const QString description = p.description.trimmed();
    QStringList more;
    for (const QString& fact : {p.manufacturer.trimmed(), p.serialNumber.trimmed()})
        if (!fact.isEmpty() && !description.contains(fact))
            more << fact;
    if (more.isEmpty())
        return description;
    return description.isEmpty() ? more.join(QStringLiteral(", "))
                                 : description + QStringLiteral(" (") + more.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString Joined(const QString& a, const QString& b)
{
    return a.isEmpty() ? b : b.isEmpty() ? a : a + QStringLiteral(" \u2013 ") + b;
}

// The COMn name of a built-in port /dev/ttyS<n-1>, "" for any other device.
QString OldComName(const QString& location)
{
    const QString prefix = QStringLiteral("/dev/ttyS");
    if (!location.startsWith(prefix))
        return QString();
    bool ok = false;
    const int n = location.mid(prefix.size()).toInt(&ok);
    return ok && n >= 0 && n < 255 ? QStringLiteral("COM%1").arg(n + 1) : QString();
}

QString Arrow(const QString& device) { return QStringLiteral("\u2192 ") + device; }

} // namespace

QList<PortEntry> PortEntries(const QList<SystemPort>& ports, const QList<PortLink>& links, const QString& current)
{
    QList<SystemPort> sorted = ports;
    std::stable_sort(sorted.begin(), sorted.end(), [](const SystemPort& a, const SystemPort& b) {
        if (a.usb != b.usb)
            return a.usb;
        return NumericLess(a.location, b.location);
    });
    QList<PortLink> sortedLinks = links;
    std::stable_sort(sortedLinks.begin(), sortedLinks.end(),
                     [](const PortLink& a, const PortLink& b) { return a.path < b.path; });

    const QString currentName = current.trimmed();
    // A "COMn" of another installation stands for the device it opens here.
    const QString currentDevice = IsDevicePath(currentName) ? QString() : PortDevicePath(currentName);
    bool currentListed = currentName.isEmpty();

    QList<PortEntry> entries;
    QStringList listedDevices;
    for (const SystemPort& p : sorted) {
        PortEntry e;
        e.usb = p.usb;
        if (!currentDevice.isEmpty() && p.location == currentDevice) {
            e.name = currentName;
            e.detail = Joined(p.location, Facts(p));
        } else {
            e.name = p.location;
            e.detail = Joined(OldComName(p.location), Facts(p));
        }
        currentListed = currentListed || e.name == currentName;
        entries << e;
        listedDevices << p.location;
        for (const PortLink& l : sortedLinks) {
            if (l.target != p.location)
                continue;
            entries << PortEntry{l.path, Arrow(l.target), p.usb, true};
            currentListed = currentListed || l.path == currentName;
        }
    }
    for (const PortLink& l : sortedLinks) {
        if (listedDevices.contains(l.target))
            continue;
        entries << PortEntry{l.path, Arrow(l.target), l.path.contains(QLatin1String("/usb-")), true};
        currentListed = currentListed || l.path == currentName;
    }
    if (!currentListed)
        entries.prepend(PortEntry{currentName, currentDevice, false, false});
    return entries;
}

QString FirstUsbAdapter(const QList<PortEntry>& entries)
{
    for (const PortEntry& e : entries)
        if (e.usb && !e.link)
            return e.name;
    return QString();
}
