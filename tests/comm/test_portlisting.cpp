// The port list as the settings dialog shows it, from what the system tells
// of its ports and of /dev/serial/by-id.

#include "comm/portlisting.h"
#include "platform/serial/portlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const SystemPort kFtdi{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
                       QStringLiteral("A50285BI"), true};
const SystemPort kProlific{QStringLiteral("/dev/ttyUSB1"), QString(), QStringLiteral("Prolific Technology Inc."),
                           QString(), true};
const SystemPort kAcm{QStringLiteral("/dev/ttyACM0"), QStringLiteral("Velmark H264"), QStringLiteral("Velmark"),
                      QStringLiteral("0042"), true};
const SystemPort kTtyS0{QStringLiteral("/dev/ttyS0"), QString(), QString(), QString(), false};
const SystemPort kTtyS10{QStringLiteral("/dev/ttyS10"), QString(), QString(), QString(), false};
const SystemPort kTtyS2{QStringLiteral("/dev/ttyS2"), QString(), QString(), QString(), false};
const PortLink kFtdiLink{QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"),
                         QStringLiteral("/dev/ttyUSB0")};
const PortLink kStrayLink{QStringLiteral("/dev/serial/by-id/usb-Velmark_H264-if00"), QStringLiteral("/dev/ttyACM7")};

QString Lines(const QList<PortEntry>& entries)
{
    QStringList lines;
    for (const PortEntry& e : entries)
        lines << e.name + QStringLiteral(" | ") + e.detail;
    return lines.join(QLatin1Char('\n'));
}
} // namespace

TEST(PortListing, EntriesFromTheSystemsFacts)
{
    const struct {
        const char* what;
        QList<SystemPort> ports;
        QList<PortLink> links;
        QString current;
        QStringList lines;  // name | detail
        QString proposed;   // FirstUsbAdapter
    } cases[] = {
        {"no adapter: the built-in ports by device, numbered in order, with their old names",
         {kTtyS10, kTtyS0, kTtyS2}, {}, "",
         {"/dev/ttyS0 | COM1", "/dev/ttyS2 | COM3", "/dev/ttyS10 | COM11"}, ""},
        {"USB adapters first, with description, maker (unless the description names it) and serial number",
         {kTtyS0, kProlific, kFtdi, kAcm}, {}, "",
         {"/dev/ttyACM0 | Velmark H264 (0042)", "/dev/ttyUSB0 | FT232R USB UART (FTDI, A50285BI)",
          "/dev/ttyUSB1 | Prolific Technology Inc.", "/dev/ttyS0 | COM1"},
         "/dev/ttyACM0"},
        {"a by-id link below its device; one to an unlisted device at the end",
         {kTtyS0, kFtdi}, {kStrayLink, kFtdiLink}, "",
         {"/dev/ttyUSB0 | FT232R USB UART (FTDI, A50285BI)",
          "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 | \u2192 /dev/ttyUSB0", "/dev/ttyS0 | COM1",
          "/dev/serial/by-id/usb-Velmark_H264-if00 | \u2192 /dev/ttyACM7"},
         "/dev/ttyUSB0"},
        {"a typed pseudo-terminal in use comes first",
         {kTtyS0}, {}, "/dev/pts/7", {"/dev/pts/7 | ", "/dev/ttyS0 | COM1"}, ""},
        {"COMn of an old configuration keeps its name on the device it opens",
         {kTtyS0, kTtyS2}, {}, "COM3", {"/dev/ttyS0 | COM1", "COM3 | /dev/ttyS2"}, ""},
        {"COMn of a device the system does not list",
         {kTtyS0}, {}, "COM5", {"COM5 | /dev/ttyS4", "/dev/ttyS0 | COM1"}, ""},
        {"the port in use is listed once", {kFtdi}, {kFtdiLink}, kFtdiLink.path,
         {"/dev/ttyUSB0 | FT232R USB UART (FTDI, A50285BI)",
          "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 | \u2192 /dev/ttyUSB0"},
         "/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        const QList<PortEntry> entries = PortEntries(c.ports, c.links, c.current);
        EXPECT_EQ(Lines(entries), c.lines.join(QLatin1Char('\n'))) << c.what;
        EXPECT_EQ(FirstUsbAdapter(entries), c.proposed) << c.what;
    }
}

TEST(PortListing, ByIdLinksResolveToTheirDevices)
{
    QTemporaryDir dev;
    ASSERT_TRUE(dev.isValid());
    QFile device(dev.filePath(QStringLiteral("ttyUSB3")));
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    device.close();
    ASSERT_TRUE(QDir().mkpath(dev.filePath(QStringLiteral("serial/by-id"))));
    const QString link = dev.filePath(QStringLiteral("serial/by-id/usb-FTDI_X-if00-port0"));
    // Relative, as udev makes them.
    ASSERT_TRUE(QFile::link(QStringLiteral("../../ttyUSB3"), link));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../gone"), dev.filePath(QStringLiteral("serial/by-id/usb-gone"))));

    const QList<PortLink> links = SerialPortLinks(dev.filePath(QStringLiteral("serial/by-id")));
    ASSERT_EQ(links.size(), 1) << "a dangling link names no device";
    EXPECT_EQ(links[0].path, link);
    EXPECT_EQ(links[0].target, QFileInfo(device.fileName()).canonicalFilePath());
    EXPECT_TRUE(SerialPortLinks(dev.filePath(QStringLiteral("none"))).isEmpty());
}
