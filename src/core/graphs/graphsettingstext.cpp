#include "core/graphs/graphsettingstext.h"

#include "core/model/appstate.h"
#include "core/graphs/graphsettings.h"
#include "core/devices/catalogue.h"
#include "core/devices/units.h"

#include <algorithm>

namespace {
const QString kDegreeC = QString(QChar(0x00B0)) + QLatin1Char('C');

int Bounded(const QString& text, int low, int high)
{
    return std::clamp(int(TextToInteger(text)), low, high);
}

QString WithoutDots(QString text) { return text.remove(QLatin1Char('.')); }
} // namespace

int PointsFromText(const QString& text) { return Bounded(WithoutDots(text), kGraphPointsMin, kGraphPointsMax); }

int TimeDivisionsFromText(const QString& text) { return Bounded(WithoutDots(text), 1, kGraphDivisionsMax); }

int DivisionsFromText(const QString& text) { return Bounded(text, 1, kGraphDivisionsMax); }

double GraphNumberFromText(const QString& text) { return TextToDouble(text); }

bool OffersTemperatureInputs(const AppState& s) { return IsJ70Device(s.DeviceName); }

QString GraphInputText(int input, const AppState& s)
{
    if (input <= 0)
        return QString();
    if (input <= s.ChannelCount) {
        const QString unit = input <= kMaxChannels ? s.Readings[size_t(input)].UnitText.trimmed() : QString();
        return QStringLiteral("CH%1 (%2)").arg(input).arg(unit);
    }
    return QStringLiteral("CH%1 (%2)").arg(input - s.ChannelCount).arg(kDegreeC);
}

int GraphInputFromText(const QString& text, const AppState& s)
{
    const int at = text.indexOf(QLatin1String("CH"));
    if (at < 0)
        return 0;
    int n = 0;
    for (int i = at + 2; i < text.size() && text.at(i).isDigit() && n <= kGraphInputMax; ++i)
        n = n * 10 + text.at(i).digitValue();
    // Only where the list offers temperature entries; elsewhere a channel in
    // °C (a thermometer, a meter's temperature channel) is the channel itself.
    if (n > 0 && text.contains(QLatin1Char('(') + kDegreeC + QLatin1Char(')')) && OffersTemperatureInputs(s))
        n += s.ChannelCount;
    return std::clamp(n, 0, kGraphInputMax);
}

QStringList GraphInputChoices(const AppState& s)
{
    QStringList list{QString()};
    for (int ch = 1; ch <= s.ChannelCount; ++ch)
        list << GraphInputText(ch, s);
    if (OffersTemperatureInputs(s)) {
        for (int ch = 1; ch <= s.ChannelCount; ++ch)
            list << GraphInputText(ch + s.ChannelCount, s);
    }
    return list;
}
