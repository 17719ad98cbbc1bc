#include "loggerdump.h"

#include "simrandom.h"

#include "core/devices/catalogue.h"

#include <QDate>
#include <QHash>
#include <cmath>

namespace {
const QByteArray kCrLf("\r\n");
const QByteArray kTab("\t");
const QByteArray kDegC("\xF8" "C");
const QString kShownDegC = QStringLiteral("\u00B0C");
const QDate kEpoch(1899, 12, 30);
const QDate kStartDate(2026, 2, 28);
constexpr int kStartSecond = 23 * 3600 + 45 * 60;
constexpr double kTwoPi = 6.283185307179586;
// Records per sine period: logged values drift slowly, as a sample does.
constexpr double kPeriod = 120.0;

// What a channel measures: its range and how the meter prints it.
struct Quantity {
    double centre;
    double swing;
    int decimals;
    const char* printedUnit; // the meter's code page (Latin-1)
    const char16_t* shownUnit;
    const char* exponent;    // printed after the value; the shown unit already carries it
};

const Quantity kPH{7.0, 0.6, 2, "pH", u"pH", ""};
const Quantity kMV{-120.0, 60.0, 1, "mV", u"mV", ""};
const Quantity kMicroS{1413.0, 150.0, 0, "\xE6S/cm", u"\u00B5S/cm", ""};
const Quantity kMilliSExp{1.413, 0.15, 3, "S/cm", u"mS/cm", "E-03"};
const Quantity kO2{8.4, 0.6, 2, "mg/l", u"mg/l", ""};
const Quantity kRH2{24.0, 2.0, 1, "rH2", u"rH2", ""};
const Quantity kPower{150.0, 30.0, 1, "\xE6W", u"\u00B5W", ""};
const Quantity kTemp{22.5, 2.5, 1, "\xF8" "C", u"\u00B0C", ""};

QString Fixed(double v, int decimals)
{
    QString s = QString::number(v, 'f', decimals);
    bool zero = true;
    for (QChar c : s)
        zero = zero && (c == QLatin1Char('-') || c == QLatin1Char('0') || c == QLatin1Char('.'));
    if (zero && s.startsWith(QLatin1Char('-')))
        s.remove(0, 1); // a meter prints no "-0.0"
    return s;
}

// A printed value: the bytes on the line and what the program shows.
struct Printed {
    QByteArray value;
    QByteArray unit;
    QString shownValue;
    QString shownUnit;
};

struct Record {
    const CatalogueModel& model;
    int number;
    quint32 seed;
    QByteArray date; // dd/MM/yy
    QByteArray time; // hh:mm:ss

    // Channel `slot` of this record: a slow sine with its own phase plus noise.
    Printed Value(const Quantity& q, int slot) const
    {
        const double phase = kTwoPi * HashUnit(seed, quint64(slot), 0x10DDULL);
        const double wave = std::sin(kTwoPi * number / kPeriod + phase);
        const double noise = 2.0 * HashUnit(seed, quint64(number), 0x20000ULL + quint64(slot)) - 1.0;
        const double v = q.centre + q.swing * (0.9 * wave + 0.1 * noise);
        Printed p;
        p.shownValue = Fixed(v, q.decimals);
        p.value = p.shownValue.toLatin1() + q.exponent;
        p.unit = q.printedUnit;
        p.shownUnit = QString::fromUtf16(q.shownUnit);
        return p;
    }
    Printed Temperature(int slot = 0) const { return Value(kTemp, 100 + slot); }
};

DumpValue Shown(int channel, const Printed& p) { return DumpValue{channel, p.shownValue, p.shownUnit, QString()}; }
DumpValue ShownTemperature(int channel, const Printed& p) { return DumpValue{channel, p.shownValue, kShownDegC, QString()}; }

QByteArray Join(const QList<QByteArray>& fields) { return fields.join('\t') + kCrLf; }

// The quantity of the measured channel(s), by model.
const Quantity& SingleQuantity(const QString& model)
{
    static const QHash<QString, const Quantity*> table = {
        {QStringLiteral("A101"), &kPH},     {QStringLiteral("A102"), &kMV},     {QStringLiteral("A103"), &kMicroS},
        {QStringLiteral("B111"), &kMicroS}, {QStringLiteral("B112"), &kMicroS}, {QStringLiteral("D121"), &kO2},
        {QStringLiteral("E131"), &kPH},     {QStringLiteral("E132"), &kMV},     {QStringLiteral("E133"), &kMicroS},
        {QStringLiteral("G4010"), &kPH},    {QStringLiteral("G4020"), &kMicroS}, {QStringLiteral("G4030"), &kO2},
        {QStringLiteral("K231"), &kPH},     {QStringLiteral("K232"), &kMV},     {QStringLiteral("K233"), &kMilliSExp},
        {QStringLiteral("K234"), &kO2},     {QStringLiteral("K235"), &kMilliSExp},
        {QStringLiteral("K235 < version 3.0"), &kMilliSExp}, {QStringLiteral("K238"), &kPH},
        {QStringLiteral("L331"), &kPH},     {QStringLiteral("L332"), &kMV},     {QStringLiteral("L333"), &kO2},
        {QStringLiteral("L332 bio-elec"), &kMV}, {QStringLiteral("P671"), &kPH}, {QStringLiteral("P672"), &kPH},
        {QStringLiteral("P6710"), &kMV},    {QStringLiteral("P6720"), &kMV},
    };
    return *table.value(model, &kPH);
}

// A J70xx, N500 or H260 channel: its quantity and the channel field printed.
struct Probe {
    const Quantity* quantity;
    QByteArray field;
    int channel;
};

QList<Probe> H260Probes(const QString& model)
{
    if (model.startsWith(QLatin1String("H268")))
        return {{&kPH, "CH1", 1}, {&kPH, "CH2", 2}, {&kRH2, "CH1/CH2", 3}, {&kPower, "EC/CH2", 4}, {&kMicroS, "EC", 5}};
    if (model.startsWith(QLatin1String("H264")))
        return {{&kPH, "CH1", 1}, {&kMV, "CH2", 2}, {&kPH, "CH3", 3}, {&kMV, "CH4", 4},
                {&kPH, "CH5", 5}, {&kMV, "CH6", 6}, {&kMicroS, "EC", 7}};
    return {{&kPH, "CH1", 1}, {&kMV, "CH2", 2}, {&kMicroS, "EC", 3}};
}

QList<const Quantity*> N500Quantities(const QString& model)
{
    if (model == QLatin1String("N535"))
        return {&kPH, &kMV, &kMicroS, &kO2};
    if (model == QLatin1String("N515"))
        return {&kPH, &kMicroS};
    if (model == QLatin1String("N525"))
        return {&kMicroS, &kO2};
    return {&kPH, &kPH};
}

// The J70xx channels take these quantities in turn.
const Quantity* J70Quantity(int channel)
{
    static const Quantity* const kCycle[] = {&kPH, &kMicroS, &kMV, &kO2};
    return kCycle[(channel - 1) % 4];
}

QByteArray Identification(quint32 seed) { return QByteArray::number(1000 + seed % 9000); }

// The printed lines and the shown values of one record, per family.
struct Printer {
    QList<DumpLine>* lines;
    DumpRecord* shown;
    void Line(const QByteArray& bytes) const { lines->append(DumpLine{shown->number, bytes}); }
};

void PrintG40(const Record& r, const Printer& out)
{
    const Printed v = r.Value(SingleQuantity(QString::fromLatin1(r.model.name)), 1);
    const Printed t = r.Temperature();
    out.Line(Join({"LOG." + QByteArray::number(r.number).rightJustified(4, '0'), r.date, r.time, v.value, v.unit,
                   t.value, t.unit}));
    out.shown->values = {Shown(1, v), ShownTemperature(2, t)};
}

void PrintJ70(const Record& r, const Printer& out)
{
    const int channel = (r.number - 1) % r.model.channelCount + 1;
    const Quantity& q = *J70Quantity(channel);
    const Printed v = r.Value(q, channel);
    const Printed t = r.Temperature();
    QList<QByteArray> fields{"LOG." + QByteArray::number(r.number).rightJustified(4, '0'), r.date, r.time, v.value,
                             v.unit, t.value, t.unit};
    DumpValue shown = Shown(channel, v);
    shown.extra = t.shownValue + kShownDegC;
    if (&q == &kMicroS) { // conductivity is compensated to a reference temperature
        fields << "Tref=25.0" + kDegC;
        shown.unit += QStringLiteral("@25.0") + kShownDegC;
    }
    fields << "CH" + QByteArray::number(channel);
    out.Line(Join(fields));
    out.shown->values = {shown};
}

void PrintA100(const Record& r, const Printer& out)
{
    const Printed v = r.Value(SingleQuantity(QString::fromLatin1(r.model.name)), 1);
    const Printed t = r.Temperature();
    out.Line(Join({QByteArray::number(r.number), v.value, v.unit, t.value, r.time, r.date}));
    out.shown->values = {Shown(1, v), ShownTemperature(2, t)};
}

void PrintN500(const Record& r, const Printer& out)
{
    const bool temperatures = QByteArray(r.model.name) != "N535";
    QList<QByteArray> fields{QByteArray::number(r.number), r.time, r.date};
    int ch = 1;
    int slot = 1;
    for (const Quantity* q : N500Quantities(QString::fromLatin1(r.model.name))) {
        const Printed v = r.Value(*q, slot);
        fields << v.value << v.unit;
        out.shown->values << Shown(ch++, v);
        if (temperatures) {
            const Printed t = r.Temperature(slot);
            fields << t.value;
            out.shown->values << ShownTemperature(ch++, t);
        }
        ++slot;
    }
    fields << QByteArray(); // no remark
    out.Line(Join(fields));
}

void PrintK230(const Record& r, const Printer& out)
{
    const Printed v = r.Value(SingleQuantity(QString::fromLatin1(r.model.name)), 1);
    const Printed t = r.Temperature();
    // The user marked every tenth sample.
    const QByteArray comment = r.number % 10 == 0 ? QByteArray("Rinse") : QByteArray();
    out.Line(Join({QByteArray::number(r.number), v.value, v.unit, t.value, comment, r.time, r.date}));
    out.shown->values = {Shown(1, v), ShownTemperature(r.model.channelCount, t)};
    out.shown->info = QString::fromLatin1(comment);
}

void PrintH260(const Record& r, const Printer& out)
{
    const Printed t = r.Temperature();
    for (const Probe& p : H260Probes(QString::fromLatin1(r.model.name))) {
        const Printed v = r.Value(*p.quantity, p.channel);
        out.Line(Join({"Log# " + QByteArray::number(r.number), r.date, r.time, p.field, v.value, v.unit, t.value}));
        out.shown->values << Shown(p.channel, v);
    }
    out.shown->values << ShownTemperature(r.model.channelCount, t);
}

void PrintP650(const Record& r, const Printer& out)
{
    QList<QByteArray> fields{QByteArray::number(r.number), r.date, r.time};
    for (int ch = 1; ch <= r.model.channelCount; ++ch) {
        const Printed t = r.Value(kTemp, ch);
        fields << t.value;
        out.shown->values << ShownTemperature(ch, t);
    }
    out.Line(Join(fields));
}

void PrintP670(const Record& r, const Printer& out)
{
    constexpr int kPerLine = 8;
    const Quantity& q = SingleQuantity(QString::fromLatin1(r.model.name));
    for (int first = 1; first <= r.model.channelCount; first += kPerLine) {
        QList<QByteArray> fields{"Log# " + QByteArray::number(r.number), r.date, r.time, q.printedUnit,
                                 "CH" + QByteArray::number(first)};
        for (int ch = first; ch < first + kPerLine && ch <= r.model.channelCount; ++ch) {
            const Printed v = r.Value(q, ch);
            fields << v.value;
            out.shown->values << Shown(ch, v);
        }
        out.Line(Join(fields));
    }
}

void PrintN335(const Record& r, const Printer& out)
{
    static const Quantity* const kColumns[] = {&kPH, &kMV, &kMilliSExp, &kTemp};
    // This meter prints four-digit years with "-".
    QByteArray date = r.date;
    date.replace('/', '-');
    date.insert(6, "20");
    QList<QByteArray> fields{QByteArray::number(r.number).rightJustified(4, '0'), date, r.time};
    for (int ch = 1; ch <= 4; ++ch) {
        const Printed v = r.Value(*kColumns[ch - 1], ch);
        fields << v.value;
        out.shown->values << Shown(ch, v);
    }
    out.Line(Join(fields));
}

// The lines in front of the records.
QList<QByteArray> Preamble(const CatalogueModel& m, quint32 seed)
{
    const QByteArray name(m.name);
    const QByteArray id = "Identification No: " + Identification(seed);
    switch (m.family) {
    case DeviceFamily::G40xx:
    case DeviceFamily::J70xx: return {name + " MEMORY"};
    case DeviceFamily::A100: return {name, "log#\tv\tu\tc\th\td"};
    case DeviceFamily::N500:
        return {name, name == "N535" ? "log#\th\td\tv\tu\tv\tu\tv\tu\tv\tu\tr" : "log#\th\td\tv\tu\tc\tv\tu\tc\tr"};
    case DeviceFamily::K230: return {name, id, "Log#\tValue\tUnit\tCelsius\tComment\tHour\tDate"};
    case DeviceFamily::H260: return {name, "log#\tDate\tTime\tChannel\tValue\tUnit\tTemp"};
    case DeviceFamily::P650: return {name, id, "log#\td\th" + QByteArray("\tt").repeated(m.channelCount)};
    case DeviceFamily::P670: return {name, "log#\tDate\tTime\tUnit\tChannel\tValues"};
    case DeviceFamily::N335: return {name, id, "log#\td\th\tp\tm\ts\tc"};
    }
    return {};
}

void Generate(const QString& model, int records, quint32 seed, QList<DumpRecord>* shown, QList<DumpLine>* lines)
{
    const CatalogueModel* m = FindModel(model);
    if (!m)
        return;
    QList<DumpLine> scratchLines;
    QList<DumpLine>& outLines = lines ? *lines : scratchLines;
    for (const QByteArray& l : Preamble(*m, seed))
        outLines.append(DumpLine{0, l + kCrLf});
    for (int n = 1; n <= records; ++n) {
        const qint64 second = kStartSecond + qint64(n - 1) * kDumpIntervalSeconds;
        const QDate date = kStartDate.addDays(second / 86400);
        const int ofDay = int(second % 86400);
        const Record r{*m, n, seed, date.toString(QStringLiteral("dd/MM/yy")).toLatin1(),
                       QStringLiteral("%1:%2:%3")
                           .arg(ofDay / 3600, 2, 10, QLatin1Char('0'))
                           .arg(ofDay / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(ofDay % 60, 2, 10, QLatin1Char('0'))
                           .toLatin1()};
        DumpRecord rec;
        rec.number = n;
        rec.time = double(kEpoch.daysTo(date)) + ofDay / 86400.0;
        const Printer out{&outLines, &rec};
        switch (m->family) {
        case DeviceFamily::G40xx: PrintG40(r, out); break;
        case DeviceFamily::J70xx: PrintJ70(r, out); break;
        case DeviceFamily::A100: PrintA100(r, out); break;
        case DeviceFamily::N500: PrintN500(r, out); break;
        case DeviceFamily::K230: PrintK230(r, out); break;
        case DeviceFamily::H260: PrintH260(r, out); break;
        case DeviceFamily::P650: PrintP650(r, out); break;
        case DeviceFamily::P670: PrintP670(r, out); break;
        case DeviceFamily::N335: PrintN335(r, out); break;
        }
        if (shown)
            shown->append(rec);
    }
}

QByteArray Frame(const QByteArray& command)
{
    unsigned sum = 0;
    for (char c : command)
        sum += quint8(c);
    return command + char(sum & 0xFF) + kCrLf;
}

bool IsFamily(const QString& model, DeviceFamily family)
{
    const CatalogueModel* m = FindModel(model);
    return m && m->family == family;
}
} // namespace

double DumpStartTime() { return double(kEpoch.daysTo(kStartDate)) + kStartSecond / 86400.0; }

QList<DumpRecord> LoggerRecords(const QString& model, int records, quint32 seed)
{
    QList<DumpRecord> out;
    Generate(model, records, seed, &out, nullptr);
    return out;
}

QList<DumpLine> LoggerDumpLines(const QString& model, int records, quint32 seed)
{
    QList<DumpLine> out;
    Generate(model, records, seed, nullptr, &out);
    return out;
}

QByteArray LoggerDump(const QString& model, int records, quint32 seed)
{
    QByteArray out;
    for (const DumpLine& l : LoggerDumpLines(model, records, seed))
        out += l.bytes;
    return out;
}

QString DumpRequestCommand(const QString& model)
{
    if (IsFamily(model, DeviceFamily::G40xx))
        return QStringLiteral(">L\r\n");
    if (IsFamily(model, DeviceFamily::J70xx))
        return QString::fromLatin1(Frame(">F") + Frame(">P") + ">L\r\n");
    return QString();
}

QByteArray DumpQuery(const QString& model)
{
    return IsFamily(model, DeviceFamily::J70xx) ? Frame(">F") : QByteArray();
}

QByteArray DumpQueryReply(const QString& model, int records)
{
    if (!IsFamily(model, DeviceFamily::J70xx))
        return QByteArray();
    return "<F" + QByteArray::number(qBound(0, records, 9999)).rightJustified(4, '0') + kCrLf;
}
