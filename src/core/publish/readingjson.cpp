#include "core/publish/readingjson.h"

#include "core/alarms/alarms.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <cmath>

namespace {

void AppendString(QByteArray& out, const QString& text)
{
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendStringOrNull(QByteArray& out, const QString& text)
{
    if (text.isEmpty())
        out += "null";
    else
        AppendString(out, text);
}

void AppendNumberOrNull(QByteArray& out, const std::optional<double>& value)
{
    const QByteArray text = ValueText(value);
    out += text.isEmpty() ? QByteArrayLiteral("null") : text;
}


} // namespace

PublishedReading PublishedReadingOf(const AppState& s, const QString& bench)
{
    PublishedReading r;
    r.time = s.Readings[1].ReadingTime;
    r.model = s.DeviceName;
    r.id = s.IdentificationNumber.trimmed();
    r.bench = bench;
    for (int ch = 1; ch <= s.ChannelCount && ch <= kMaxChannels; ++ch) {
        if (!s.ChannelInUse(ch))
            continue;
        PublishedChannel c;
        c.reading = NumericReadingOf(s, ch);
        if (c.reading.flag != ReadingFlag::None)
            c.flag = FlagName(c.reading.flag);
        else if (TestLowAlarm(s, ch))
            c.flag = "alarm low";
        else if (TestHighAlarm(s, ch))
            c.flag = "alarm high";
        r.channels.push_back(std::move(c));
    }
    // A reading carries its time on every channel; the first one in use is
    // the reading's time when channel 1 is off.
    if (!r.channels.empty())
        r.time = s.Readings[size_t(r.channels.front().reading.channel)].ReadingTime;
    return r;
}

QByteArray IsoTimeWithOffset(double days, LocalOffsets& offsets)
{
    QByteArray out;
    AppendIsoDateTimeWithOffset(out, days, offsets.SecondsAt(days));
    return out;
}

QByteArray ValueText(const std::optional<double>& value)
{
    if (!value || !std::isfinite(*value))
        return QByteArray();
    return QByteArray::number(*value, 'g', QLocale::FloatingPointShortest);
}

QByteArray ReadingJson(const PublishedReading& r, quint64 seq, LocalOffsets& offsets)
{
    QByteArray out;
    out.reserve(96 + int(r.channels.size()) * 80);
    out += "{\"seq\":";
    out += QByteArray::number(seq);
    out += ",\"time\":";
    // The time between quotes, or null when it has no calendar date.
    const qsizetype quote = out.size();
    out += '"';
    AppendIsoDateTimeWithOffset(out, r.time, offsets.SecondsAt(r.time));
    if (out.size() == quote + 1)
        out.replace(quote, 1, "null");
    else
        out += '"';
    out += ",\"model\":";
    AppendStringOrNull(out, r.model);
    out += ",\"id\":";
    AppendStringOrNull(out, r.id);
    out += ",\"bench\":";
    AppendString(out, r.bench);
    out += ",\"channels\":[";
    bool first = true;
    for (const PublishedChannel& c : r.channels) {
        if (!first)
            out += ',';
        first = false;
        out += "{\"channel\":";
        out += QByteArray::number(c.reading.channel);
        out += ",\"name\":";
        AppendString(out, c.reading.name);
        out += ",\"value\":";
        AppendNumberOrNull(out, c.reading.value);
        out += ",\"unit\":";
        AppendStringOrNull(out, c.reading.unit);
        out += ",\"flag\":";
        if (c.flag)
            AppendString(out, QString::fromLatin1(c.flag));
        else
            out += "null";
        if (c.reading.temperature) {
            out += ",\"temperature\":";
            AppendNumberOrNull(out, c.reading.temperature);
            out += ",\"temperature_unit\":";
            AppendStringOrNull(out, c.reading.temperatureUnit);
        }
        out += '}';
    }
    out += "]}";
    return out;
}

std::vector<std::pair<int, QByteArray>> ChannelValuesOfJson(const QByteArray& json)
{
    std::vector<std::pair<int, QByteArray>> values;
    const QJsonObject reading = QJsonDocument::fromJson(json).object();
    for (const QJsonValue& v : reading.value(QLatin1String("channels")).toArray()) {
        const QJsonObject c = v.toObject();
        const int channel = c.value(QLatin1String("channel")).toInt();
        if (channel < 1)
            continue;
        const QJsonValue value = c.value(QLatin1String("value"));
        values.emplace_back(channel, value.isDouble() ? ValueText(value.toDouble()) : QByteArray());
    }
    return values;
}
