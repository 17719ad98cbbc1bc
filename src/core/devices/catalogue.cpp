#include "core/devices/catalogue.h"

#include "core/model/appstate.h"
#include "core/devices/readings.h"

#include <QHash>

namespace {
using F = DeviceFamily;
using I = FamilyInit;

const std::vector<CatalogueModel> kModels = {
    {"A101", F::A100, I::A, 2}, {"A102", F::A100, I::A, 2}, {"A103", F::A100, I::A, 2},
    {"B111", F::A100, I::A, 2}, {"B112", F::A100, I::A, 2}, {"D121", F::A100, I::A, 2},
    {"E131", F::A100, I::A, 2}, {"E132", F::A100, I::A, 2}, {"E133", F::A100, I::A, 2},
    {"G4010", F::G40xx, I::G, 2}, {"G4020", F::G40xx, I::G, 2}, {"G4030", F::G40xx, I::G, 2},
    {"H261", F::H260, I::H, 4}, {"H262", F::H260, I::H, 4}, {"H263", F::H260, I::H, 4},
    {"H264", F::H260, I::H, 8}, {"H268", F::H260, I::H, 6},
    {"H261 USB", F::H260, I::H, 4}, {"H262 USB", F::H260, I::H, 4}, {"H263 USB", F::H260, I::H, 4},
    {"H264 USB", F::H260, I::H, 8}, {"H268 USB", F::H260, I::H, 6},
    {"J7010", F::J70xx, I::J, 2}, {"J7020", F::J70xx, I::J, 2}, {"J7030", F::J70xx, I::J, 2},
    {"J7410", F::J70xx, I::J, 2}, {"J7420", F::J70xx, I::J, 2}, {"J7430", F::J70xx, I::J, 2},
    {"J7040", F::J70xx, I::J, 6}, {"J7050", F::J70xx, I::J, 5}, {"J7050M", F::J70xx, I::J, 7},
    {"J7060", F::J70xx, I::J, 8},
    {"K231", F::K230, I::K, 4}, {"K232", F::K230, I::K, 4}, {"K233", F::K230, I::K, 4},
    {"K234", F::K230, I::K, 8}, {"K235", F::K230, I::K, 8}, {"K235 < version 3.0", F::K230, I::K, 8},
    {"L331", F::K230, I::K, 2}, {"L332", F::K230, I::K, 5}, {"L333", F::K230, I::K, 5},
    {"N335", F::N335, I::K, 4}, {"L332 bio-elec", F::K230, I::K, 6}, {"K238", F::K230, I::K, 6},
    {"N505", F::N500, I::N, 4}, {"N515", F::N500, I::N, 4}, {"N525", F::N500, I::N, 4},
    {"N535", F::N500, I::N, 4},
    {"P651", F::P650, I::P, 16}, {"P652", F::P650, I::P, 12},
    {"P671", F::P670, I::APrime, 16}, {"P672", F::P670, I::APrime, 12},
    {"P6710", F::P670, I::APrime, 16}, {"P6720", F::P670, I::APrime, 12},
};

const QHash<QString, const CatalogueModel*>& ModelIndex()
{
    static const QHash<QString, const CatalogueModel*> index = [] {
        QHash<QString, const CatalogueModel*> h;
        for (const CatalogueModel& m : kModels)
            h.insert(QString::fromLatin1(m.name), &m);
        return h;
    }();
    return index;
}

QString Concat(std::initializer_list<const char*> names)
{
    QString s;
    for (const char* n : names)
        s += QString::fromLatin1(n);
    return s;
}

const QString kCrLf = QStringLiteral("\r\n");
} // namespace

const std::vector<CatalogueModel>& CatalogueModels() { return kModels; }

const CatalogueModel* FindModel(const QString& name) { return ModelIndex().value(name, nullptr); }

QString FamilyName(DeviceFamily family)
{
    switch (family) {
    case F::A100: return QStringLiteral("A100");
    case F::N500: return QStringLiteral("N500");
    case F::N335: return QStringLiteral("N335");
    case F::K230: return QStringLiteral("K230");
    case F::H260: return QStringLiteral("H260");
    case F::J70xx: return QStringLiteral("J70xx");
    case F::G40xx: return QStringLiteral("G40xx");
    case F::P650: return QStringLiteral("P650");
    case F::P670: return QStringLiteral("P670");
    }
    return QString();
}

std::optional<DeviceFamily> ParserFamilyForModel(const QString& name)
{
    if (const CatalogueModel* m = FindModel(name))
        return m->family;
    return std::nullopt;
}

const QString& CatalogueString()
{
    static const QString s = [] {
        QString c;
        for (const CatalogueModel& m : kModels)
            c += QString::fromLatin1(m.name);
        return c;
    }();
    return s;
}

const QString& HighSpeedString()
{
    static const QString s = Concat({"J7010", "J7020", "J7030", "J7410", "J7420", "J7430", "J7040", "J7050",
                                     "J7050M", "J7060", "G4010", "G4020", "G4030", "P6710", "P6720"});
    return s;
}

const QString& UserUnitString()
{
    static const QString s = QStringLiteral("P651P652");
    return s;
}

QString CanonicalModelName(const QString& name)
{
    for (const CatalogueModel& m : kModels)
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(m.name);
    return QString();
}

QString ValidateDeviceName(const QString& name)
{
    if (name.isEmpty())
        return QString();
    // Only a model name selects a family set-up: a hand-edited "k231" or "K23"
    // must become "K231", not a name that selects nothing.
    if (const QString exact = CanonicalModelName(name); !exact.isEmpty())
        return exact;
    for (const CatalogueModel& m : kModels)
        if (QLatin1String(m.name).contains(name, Qt::CaseInsensitive))
            return QString::fromLatin1(m.name);
    return QString();
}

void SelectDeviceFamily(AppState& s, const QString& name)
{
    s.ReadingTimeout = 3000;
    const CatalogueModel* m = FindModel(name);
    if (!m)
        return;
    switch (m->init) {
    case I::A:
    case I::APrime:
    case I::H:
        s.PollCommand = QStringLiteral(">5") + kCrLf;
        s.EndString = QStringLiteral("<5") + kCrLf;
        s.OverrangeMarker = QStringLiteral("99999");
        s.IdMarker = QStringLiteral("#");
        if (m->init == I::H)
            s.ReadingTimeout = 5000;
        break;
    case I::N:
        s.PollCommand = QStringLiteral(">?") + kCrLf;
        s.EndString = QStringLiteral("<?") + kCrLf;
        s.OverrangeMarker = QStringLiteral("99999");
        s.IdMarker = QStringLiteral("#");
        break;
    case I::K:
    case I::P:
        s.PollCommand = QStringLiteral("8");
        s.EndString = kCrLf;
        s.OverrangeMarker = QStringLiteral("99999");
        s.IdMarker = QStringLiteral("Identification No:");
        break;
    case I::J:
    case I::G:
        // These families' parsers do not use IdMarker: it stays as it was.
        s.PollCommand = QStringLiteral(">?") + kCrLf;
        s.EndString = QStringLiteral("<?{") + kCrLf;
        s.OverrangeMarker = QStringLiteral("--");
        s.ReadingTimeout = 5000;
        break;
    }
    s.ChannelCount = qint16(m->channelCount);
    const QString forced = ForcedBaudRate(name);
    if (!forced.isEmpty())
        s.Baudrate = forced;
}

QString PollCommandFor(const QString& name)
{
    if (!FindModel(name))
        return QString();
    AppState scratch;
    SelectDeviceFamily(scratch, name);
    return scratch.PollCommand;
}

bool ApplyDevice(AppState& s, const QString& name, double now)
{
    if (name.isEmpty())
        return false;
    SelectDeviceFamily(s, name);
    s.Channels.assign(size_t(s.ChannelCount) + 1, ChannelRecord());
    for (int ch = 1; ch <= s.ChannelCount; ++ch)
        s.Channel(ch).Name = QStringLiteral("CH") + QString::number(ch);
    s.ChannelsDevice = name;
    ResetReadings(s, now);
    return true;
}

bool SelectDevice(AppState& s, const QString& name, double now)
{
    if (name.isEmpty())
        return false;
    const CatalogueModel* m = FindModel(name);
    const bool same = m && name == s.ChannelsDevice && s.ChannelCount == m->channelCount
        && s.Channels.size() == size_t(m->channelCount) + 1;
    if (!same)
        return ApplyDevice(s, name, now);
    // The configuration that selected this model has set its channels since:
    // only the family set-up and the readings are renewed.
    SelectDeviceFamily(s, name);
    ResetReadings(s, now);
    return false;
}

void ResetReadings(AppState& s, double now)
{
    s.ActiveChannelCount = 0;
    for (int ch = 1; ch <= s.ChannelCount && ch <= kMaxChannels; ++ch) {
        ClearReading(s.Readings[ch], now);
        if (s.Channel(ch).Use)
            ++s.ActiveChannelCount;
    }
}

bool ChannelsComeFromDevice(const QString& n)
{
    return n.startsWith(QLatin1String("J7")) || n.startsWith(QLatin1String("G4"))
        || n.endsWith(QLatin1String("-37")) || n.endsWith(QLatin1String("-27"));
}
bool IsJ70Device(const QString& n) { return n.startsWith(QLatin1String("J70")) || n.endsWith(QLatin1String("-37")); }
bool IsG40Device(const QString& n) { return n.startsWith(QLatin1String("G40")) || n.endsWith(QLatin1String("-27")); }
bool UsesJ70WakeUp(const QString& n) { return n.startsWith(QLatin1String("J7")) || n.endsWith(QLatin1String("-37")); }
bool IsJ705x(const QString& n) { return n.left(4).toLower() == QLatin1String("j705"); }
bool IsHighSpeedOnly(const QString& n) { return HighSpeedString().contains(n); }
bool HasUserUnit(const QString& n) { return UserUnitString().contains(n); }
bool HasFixedBaudRate(const QString& n) { return n.endsWith(QLatin1String(" USB")) && FindModel(n); }

QStringList DeviceListOrder()
{
    return {QStringLiteral("J7010"), QStringLiteral("J7020"), QStringLiteral("J7030"), QStringLiteral("J7040"),
            QStringLiteral("J7050"), QStringLiteral("J7050M"), QStringLiteral("J7060"), QStringLiteral("J7410"),
            QStringLiteral("J7420"), QStringLiteral("J7430"), QStringLiteral("G4010"), QStringLiteral("G4020"),
            QStringLiteral("G4030"), QStringLiteral("P6710"), QStringLiteral("P6720"), QStringLiteral("L331"),
            QStringLiteral("L332"), QStringLiteral("L332 bio-elec"), QStringLiteral("L333"), QStringLiteral("K231"),
            QStringLiteral("K232"), QStringLiteral("K233"), QStringLiteral("K234"),
            QStringLiteral("K235 < version 3.0"), QStringLiteral("K235"), QStringLiteral("K238"),
            QStringLiteral("H261"), QStringLiteral("H261 USB"), QStringLiteral("H262"), QStringLiteral("H262 USB"),
            QStringLiteral("H263"), QStringLiteral("H263 USB"), QStringLiteral("H264"), QStringLiteral("H264 USB"),
            QStringLiteral("H268"), QStringLiteral("H268 USB"), QStringLiteral("E131"), QStringLiteral("E132"),
            QStringLiteral("E133"), QStringLiteral("B111"), QStringLiteral("B112"), QStringLiteral("A101"),
            QStringLiteral("A102"), QStringLiteral("A103"), QStringLiteral("N505"), QStringLiteral("N515"),
            QStringLiteral("N525"), QStringLiteral("N535"), QStringLiteral("N335"), QStringLiteral("P651"),
            QStringLiteral("P652"), QStringLiteral("P671"), QStringLiteral("P672"), QStringLiteral("D121")};
}

QStringList BaudRatesFor(const QString& name)
{
    QStringList rates;
    if (!IsHighSpeedOnly(name))
        rates << QStringLiteral("300") << QStringLiteral("600");
    rates << QStringLiteral("1200") << QStringLiteral("2400") << QStringLiteral("4800") << QStringLiteral("9600")
          << QStringLiteral("19200") << QStringLiteral("38400") << QStringLiteral("57600") << QStringLiteral("115200");
    return rates;
}

QString ForcedBaudRate(const QString& name)
{
    if (name == QLatin1String("H261 USB") || name == QLatin1String("H262 USB") || name == QLatin1String("H263 USB"))
        return QStringLiteral("19200");
    return QString();
}

QString SpecialChannelLabel(const QString& name, int ch)
{
    const CatalogueModel* m = FindModel(name);
    if (!m || m->family != F::H260)
        return QString();
    const int n = m->channelCount;
    if (n == 6) { // H268: CH1, CH2, rH2, µW, EC, °C
        switch (ch) {
        case 3: return QStringLiteral("rH2");
        case 4: return QStringLiteral("\u00B5W");
        case 5: return QStringLiteral("EC");
        case 6: return QStringLiteral("\u00B0C");
        default: return QString();
        }
    }
    if (ch == n - 1)
        return QStringLiteral("EC");
    if (ch == n)
        return QStringLiteral("\u00B0C");
    return QString();
}
