#include "readingformats.h"

#include "simrandom.h"

#include "core/devices/catalogue.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace {
// What a channel measures; decides the value range and how the meter prints it.
enum class Kind { PH, MV, MS, US, CondExp, ResistExp, O2, RH2, Power, Temp };

struct KindInfo {
    double center;
    double amplitude;
    int decimals;
    const char* printed; // the unit in the meter's code page (Latin-1)
    const char16_t* shown;
};

const KindInfo& Info(Kind k)
{
    // Indexed by Kind. Conductivity with exponent is in µS/cm, resistivity in kOhm.cm.
    static const KindInfo kTable[] = {
        {7.0, 0.6, 2, "pH", u"pH"},
        {50.0, 150.0, 1, "mV", u"mV"},
        {1.2, 0.4, 3, "mS/cm", u"mS/cm"},
        {850.0, 250.0, 1, "\xE6S/cm", u"\u00B5S/cm"},
        {1000.0, 400.0, 0, "S/cm", u""},
        {12.0, 3.0, 2, "\xEA.cm", u"kOhm.cm"},
        {8.0, 0.8, 2, "mg/l", u"mg/l"},
        {25.0, 3.0, 1, "rH2", u"rH2"},
        {150.0, 40.0, 1, "\xE6W", u"\u00B5W"},
        {22.5, 2.5, 1, "\xF8" "C", u"\u00B0C"},
    };
    return kTable[int(k)];
}

// A printed value: the bytes on the line and what the program makes of them.
struct Printed {
    QByteArray value;
    QByteArray unit;
    QString shownValue;
    QString shownUnit;
};

QString Fixed(double v, int decimals)
{
    QString s = QString::number(v, 'f', decimals);
    // "-0.0" is not something a meter prints.
    if (s.startsWith(QLatin1Char('-')) && QString(s).remove(QLatin1Char('-')).remove(QLatin1Char('0')).remove(QLatin1Char('.')).isEmpty())
        s.remove(0, 1);
    return s;
}

// Readings per sine period: the values drift slowly, as a sample does.
constexpr double kPeriod = 240.0;
constexpr double kTwoPi = 6.283185307179586;

double Level(Kind k, int index, quint32 seed, int slot)
{
    const KindInfo& info = Info(k);
    const double phase = kTwoPi * HashUnit(seed, quint64(slot), 0x5EEDULL);
    const double wave = std::sin(kTwoPi * index / kPeriod + phase);
    const double noise = 2.0 * HashUnit(seed, quint64(index), quint64(slot) + 0x1000ULL) - 1.0;
    return info.center + info.amplitude * (0.96 * wave + 0.04 * noise);
}

Printed Print(Kind k, double v)
{
    const KindInfo& info = Info(k);
    Printed p;
    p.unit = QByteArray(info.printed);
    p.shownUnit = QString::fromUtf16(info.shown);
    switch (k) {
    case Kind::CondExp:
        // Auto-ranging: the meter prints mS/cm or µS/cm as an exponent of S/cm.
        if (v >= 1000.0) {
            p.shownValue = Fixed(v / 1000.0, 3);
            p.value = p.shownValue.toLatin1() + "E-03";
            p.shownUnit = QStringLiteral("mS/cm");
        } else {
            p.shownValue = Fixed(v, 1);
            p.value = p.shownValue.toLatin1() + "E-06";
            p.shownUnit = QStringLiteral("\u00B5S/cm");
        }
        return p;
    case Kind::ResistExp:
        p.shownValue = Fixed(v, info.decimals);
        p.value = p.shownValue.toLatin1() + "E+03";
        return p;
    default:
        p.shownValue = Fixed(v, info.decimals);
        p.value = p.shownValue.toLatin1();
        return p;
    }
}

// One measured quantity of a model. `field` is the channel token the H260 and
// J70xx families print on the line (nullptr: none); `channel` is where the
// program stores it (0: by position).
struct Probe {
    Kind kind;
    const char* field = nullptr;
    int channel = 0;
};
using Probes = QList<Probe>;

Probes Repeat(Kind k, int n)
{
    return Probes(n, Probe{k});
}

Probes Numbered(std::initializer_list<Kind> kinds)
{
    static const char* const kFields[] = {"CH1", "CH2", "CH3", "CH4", "CH5", "CH6", "CH7", "CH8"};
    Probes out;
    int i = 0;
    for (Kind k : kinds) {
        out.append(Probe{k, kFields[i], i + 1});
        ++i;
    }
    return out;
}

// The measured quantities per model, in the order the meter prints them.
const Probes& ModelProbes(const QString& model)
{
    using K = Kind;
    static const QHash<QString, Probes> table = [] {
        QHash<QString, Probes> t;
        auto put = [&t](std::initializer_list<const char*> names, const Probes& probes) {
            for (const char* n : names)
                t.insert(QString::fromLatin1(n), probes);
        };
        put({"A101", "A102", "E131"}, {{K::PH}});
        put({"A103", "E132"}, {{K::MV}});
        put({"B111", "E133"}, {{K::US}});
        put({"B112"}, {{K::MS}});
        put({"D121"}, {{K::O2}});
        put({"G4010"}, {{K::PH}});
        put({"G4020"}, {{K::US}});
        put({"G4030"}, {{K::O2}});
        put({"H261", "H262", "H263", "H261 USB", "H262 USB", "H263 USB"},
            {{K::PH, "CH1", 1}, {K::MV, "CH2", 2}, {K::US, "EC", 3}});
        put({"H264", "H264 USB"}, {{K::PH, "CH1", 1}, {K::MV, "CH2", 2}, {K::PH, "CH3", 3}, {K::MV, "CH4", 4},
                                   {K::PH, "CH5", 5}, {K::MV, "CH6", 6}, {K::US, "EC", 7}});
        // rH2 is computed from CH1 and CH2; the power reading sits between EC and CH2.
        put({"H268", "H268 USB"}, {{K::PH, "CH1", 1}, {K::MV, "CH2", 2}, {K::RH2, "CH1/CH2", 3},
                                   {K::Power, "EC/CH2", 4}, {K::US, "EC", 5}});
        put({"J7010", "J7410"}, Numbered({K::PH, K::MV}));
        put({"J7020", "J7420"}, Numbered({K::US, K::PH}));
        put({"J7030", "J7430"}, Numbered({K::O2, K::O2}));
        put({"J7040"}, Numbered({K::PH, K::MV, K::US, K::O2, K::PH, K::MV}));
        // The rH2 and power lines carry no channel field: the quantity names the channel.
        put({"J7050", "J7050M"}, Numbered({K::PH, K::MV, K::US}) + Probes{{K::RH2, nullptr, 4}, {K::Power, nullptr, 5}});
        put({"J7060"}, Numbered({K::PH, K::MV, K::US, K::O2, K::PH, K::MV, K::MS, K::O2}));
        put({"K231"}, {{K::PH}, {K::MV}, {K::CondExp}});
        put({"K232"}, {{K::PH}, {K::CondExp}, {K::ResistExp}});
        put({"K233"}, {{K::PH}, {K::MV}, {K::O2}});
        put({"K234", "K235", "K235 < version 3.0"},
            {{K::PH}, {K::MV}, {K::PH}, {K::MV}, {K::CondExp}, {K::ResistExp}, {K::O2}});
        put({"L331"}, {{K::CondExp}});
        put({"L332", "L333"}, {{K::PH}, {K::MV}, {K::CondExp}, {K::O2}});
        put({"L332 bio-elec"}, {{K::PH}, {K::MV}, {K::CondExp}, {K::O2}, {K::MV}});
        put({"K238"}, {{K::PH}, {K::MV}, {K::CondExp}, {K::ResistExp}, {K::O2}});
        put({"N335"}, {{K::PH}, {K::MV}, {K::CondExp}, {K::Temp}});
        put({"N505"}, {{K::PH}, {K::PH}});
        put({"N515"}, {{K::PH}, {K::MV}});
        put({"N525"}, {{K::MS}, {K::O2}});
        put({"N535"}, {{K::PH}, {K::MV}, {K::MS}, {K::O2}});
        put({"P651", "P671"}, Repeat(K::Temp, 16));
        put({"P652", "P672"}, Repeat(K::Temp, 12));
        put({"P6710"}, Repeat(K::MV, 16));
        put({"P6720"}, Repeat(K::MV, 12));
        return t;
    }();
    static const Probes none;
    const auto it = table.constFind(model);
    return it == table.constEnd() ? none : *it;
}

struct Context {
    const CatalogueModel& model;
    const Probes& probes;
    int index;
    quint32 seed;
    bool polled;
    QByteArray date; // dd/MM/yy
    QByteArray time; // hh:mm:ss
    int channels() const { return model.channelCount; }
    Printed Value(int slot) const
    {
        const Kind k = probes[slot].kind;
        return Print(k, Level(k, index, seed, slot + 1));
    }
    // The temperature of probe `slot` (probes sharing a sensor share a slot).
    QString Temperature(int slot = 0) const { return Fixed(Level(Kind::Temp, index, seed, 100 + slot), 1); }
};

const QByteArray kCrLf("\r\n");
const QByteArray kTab("\t");
const QByteArray kDegC("\xF8" "C");

SimValue Shown(int channel, const Printed& p) { return SimValue{channel, p.shownValue, p.shownUnit, QString()}; }
SimValue ShownTemperature(int channel, const QString& t) { return SimValue{channel, t, QStringLiteral("\u00B0C"), QString()}; }

QByteArray Identification(quint32 seed) { return QByteArray::number(1000 + seed % 9000); }
// The four-digit running number some families print in front of a reading.
QByteArray Counter(int index) { return QByteArray::number(index % 10000 + 10000).mid(1); }

// [#id] value unit temperature time date
SimReading FormatA100(const Context& c)
{
    const Printed p = c.Value(0);
    const QString t = c.Temperature();
    SimReading r;
    r.text = "#" + Identification(c.seed) + kTab + p.value + kTab + p.unit + kTab + t.toLatin1() + kTab + c.time + kTab
        + c.date + kCrLf;
    if (c.polled)
        r.text += "<5" + kCrLf;
    r.records = {{Shown(1, p), ShownTemperature(2, t)}};
    return r;
}

// One line per measured value: time date value unit [temperature] remark.
SimReading FormatN500(const Context& c)
{
    const bool withTemperature = c.model.name != QByteArray("N535");
    SimReading r;
    if (c.polled)
        r.text = "<?" + kCrLf;
    SimRecord rec;
    int ch = 1;
    for (int i = 0; i < c.probes.size(); ++i) {
        const Printed p = c.Value(i);
        r.text += c.time + kTab + c.date + kTab + p.value + kTab + p.unit + kTab;
        rec.append(Shown(ch++, p));
        if (withTemperature) {
            const QString t = c.Temperature(i);
            r.text += t.toLatin1() + kTab;
            rec.append(ShownTemperature(ch++, t));
        }
        r.text += kCrLf; // empty remark
    }
    r.records = {rec};
    return r;
}

// number date time v1 .. v4; the column units come from a header line.
SimReading FormatN335(const Context& c)
{
    SimReading r;
    if (c.index % 20 == 0)
        r.text = "   #\tDate\tTime\tpH\tmV\tS/cm\t" + kDegC + kCrLf;
    r.text += Counter(c.index + 1) + kTab + c.date + kTab + c.time;
    SimRecord rec;
    for (int i = 0; i < c.probes.size(); ++i) {
        const Printed p = c.Value(i);
        r.text += kTab + p.value;
        rec.append(Shown(i + 1, p));
    }
    r.text += kCrLf;
    r.records = {rec};
    return r;
}

// One line per measured value: number value[exponent] unit temperature °C time date.
SimReading FormatK230(const Context& c)
{
    const QString t = c.Temperature();
    const QByteArray number = Counter(c.index + 1);
    SimReading r;
    SimRecord rec;
    for (int i = 0; i < c.probes.size(); ++i) {
        const Printed p = c.Value(i);
        r.text += number + kTab + p.value + kTab + p.unit + kTab + t.toLatin1() + kTab + kDegC + kTab + c.time + kTab
            + c.date + kCrLf;
        rec.append(Shown(i + 1, p));
    }
    rec.append(ShownTemperature(c.channels(), t));
    r.records = {rec};
    return r;
}

// One line per channel: #id date time channel value unit temperature °C.
// The lines come together, printed at once or as the reply to a poll (which
// ends with "<5" after its last line): one reading of every channel.
SimReading FormatH260(const Context& c)
{
    const QString t = c.Temperature();
    SimReading r;
    SimRecord reading;
    for (int i = 0; i < c.probes.size(); ++i) {
        const Printed p = c.Value(i);
        const bool last = i + 1 == c.probes.size();
        r.text += "#" + Identification(c.seed) + kTab + c.date + kTab + c.time + kTab + c.probes[i].field + kTab + p.value
            + kTab + p.unit + kTab + t.toLatin1() + kTab + kDegC + (c.polled && last ? "<5" : "") + kCrLf;
        reading.append(Shown(c.probes[i].channel, p));
    }
    reading.append(ShownTemperature(c.channels(), t));
    r.records.append(reading);
    return r;
}

// One line per channel: date time value unit temperature °C [channel].
SimReading FormatJ70xx(const Context& c)
{
    const QString t = c.Temperature();
    SimReading r;
    if (c.polled)
        r.text = "<?{" + kCrLf;
    SimRecord rec;
    for (int i = 0; i < c.probes.size(); ++i) {
        const Printed p = c.Value(i);
        r.text += c.date + kTab + c.time + kTab + p.value + kTab + p.unit + kTab + t.toLatin1() + kTab + kDegC;
        if (c.probes[i].field)
            r.text += kTab + c.probes[i].field;
        r.text += kCrLf;
        SimValue v = Shown(c.probes[i].channel, p);
        v.extra = t + QStringLiteral("\u00B0C");
        rec.append(v);
    }
    std::sort(rec.begin(), rec.end(), [](const SimValue& a, const SimValue& b) { return a.channel < b.channel; });
    r.records = {rec};
    return r;
}

// date time value unit temperature °C
SimReading FormatG40xx(const Context& c)
{
    const Printed p = c.Value(0);
    const QString t = c.Temperature();
    SimReading r;
    if (c.polled)
        r.text = "<?{" + kCrLf;
    r.text += c.date + kTab + c.time + kTab + p.value + kTab + p.unit + kTab + t.toLatin1() + kTab + kDegC + kCrLf;
    r.records = {{Shown(1, p), ShownTemperature(2, t)}};
    return r;
}

// date time v1 .. vN (P650: temperatures in the unit the user chose);
// P670: date time unit v1 .. vN, each value field closed by TAB.
SimReading FormatP6x0(const Context& c, bool withUnit)
{
    SimReading r;
    r.text = c.date + kTab + c.time;
    if (withUnit)
        r.text += kTab + c.Value(0).unit;
    SimRecord rec;
    for (int i = 0; i < c.probes.size(); ++i) {
        const Printed p = c.Value(i);
        r.text += kTab + p.value;
        rec.append(Shown(i + 1, p));
    }
    if (withUnit)
        r.text += kTab + QByteArray(c.polled ? "<5" : "");
    r.text += kCrLf;
    r.records = {rec};
    return r;
}
} // namespace

QDateTime SimFixedClock(int index)
{
    static const QDateTime start(QDate(2026, 3, 2), QTime(10, 0, 0));
    return start.addSecs(index);
}

SimReading MakeReading(const QString& model, int index, quint32 seed, bool polled, const QDateTime& when)
{
    const CatalogueModel* m = FindModel(model);
    if (!m)
        return SimReading();
    const QDateTime at = when.isValid() ? when : SimFixedClock(index);
    const Context c{*m,
                    ModelProbes(model),
                    index,
                    seed,
                    polled,
                    at.date().toString(QStringLiteral("dd/MM/yy")).toLatin1(),
                    at.time().toString(QStringLiteral("hh:mm:ss")).toLatin1()};
    switch (m->family) {
    case DeviceFamily::A100: return FormatA100(c);
    case DeviceFamily::N500: return FormatN500(c);
    case DeviceFamily::N335: return FormatN335(c);
    case DeviceFamily::K230: return FormatK230(c);
    case DeviceFamily::H260: return FormatH260(c);
    case DeviceFamily::J70xx: return FormatJ70xx(c);
    case DeviceFamily::G40xx: return FormatG40xx(c);
    case DeviceFamily::P650: return FormatP6x0(c, false);
    case DeviceFamily::P670: return FormatP6x0(c, true);
    }
    return SimReading();
}

QByteArray ReadingLines(const QString& model, int index, quint32 seed, bool polled, const QDateTime& when)
{
    return MakeReading(model, index, seed, polled, when).text;
}

QByteArray MeterPollCommand(const QString& model)
{
    const CatalogueModel* m = FindModel(model);
    if (!m)
        return QByteArray();
    switch (m->family) {
    case DeviceFamily::A100:
    case DeviceFamily::H260:
    case DeviceFamily::P670: return QByteArrayLiteral(">5\r\n");
    case DeviceFamily::N500:
    case DeviceFamily::J70xx:
    case DeviceFamily::G40xx: return QByteArrayLiteral(">?\r\n");
    case DeviceFamily::K230:
    case DeviceFamily::N335:
    case DeviceFamily::P650: return QByteArrayLiteral("8");
    }
    return QByteArray();
}

QByteArray SimCommandFrame(const QByteArray& command)
{
    unsigned sum = 0;
    for (char ch : command)
        sum += quint8(ch);
    return command + char(sum & 0xFF) + kCrLf;
}

bool HasCommandProtocol(const QString& model)
{
    const CatalogueModel* m = FindModel(model);
    return m && (m->family == DeviceFamily::J70xx || m->family == DeviceFamily::G40xx);
}

QByteArray SettingsReply(const QString& model)
{
    const CatalogueModel* m = FindModel(model);
    if (!m || !HasCommandProtocol(model))
        return QByteArray();
    int length = 34;
    int codes = 0;
    bool flagByte = false;
    if (m->family == DeviceFamily::J70xx) {
        static const QHash<QString, int> kLengths = {
            {QStringLiteral("J7010"), 38}, {QStringLiteral("J7020"), 38}, {QStringLiteral("J7030"), 38},
            {QStringLiteral("J7410"), 38}, {QStringLiteral("J7420"), 38}, {QStringLiteral("J7430"), 38},
            {QStringLiteral("J7040"), 46}, {QStringLiteral("J7050M"), 46}, {QStringLiteral("J7050"), 42},
            {QStringLiteral("J7060"), 50},
        };
        length = kLengths.value(model, 38);
        codes = m->channelCount;
        // The J7050 pair keeps its rH2 and power channels as two bits of one byte.
        flagByte = model == QLatin1String("J7050") || model == QLatin1String("J7050M");
        if (flagByte)
            codes -= 2;
    }
    // Settings the program does not read are printable filler.
    QByteArray reply(length, '0');
    reply[0] = '<';
    reply[1] = 'S';
    if (m->family == DeviceFamily::G40xx)
        reply[8] = char(1); // position 9: temperature channel present
    for (int i = 1; i <= codes; ++i)
        reply[8 + i] = char(i); // position 9 + i: code of channel i
    if (flagByte)
        reply[length - 3] = char(0x80 | 0x20); // position length - 2: rH2 and power on
    reply[length - 2] = '\r';
    reply[length - 1] = '\n';
    return reply;
}
