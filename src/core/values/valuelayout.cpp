#include "core/values/valuelayout.h"

#include "core/model/appstate.h"

#include <algorithm>

namespace {
constexpr int kUnitGap = 60;   // between the value digits and the unit column

int AtLeastOne(int pt) { return std::max(pt, 1); }
int NotNegative(int v) { return std::max(v, 0); }
} // namespace

ValueWindowLayout LayoutValueWindow(int width, int height, bool j70Device, int currentValueFontPt,
                                    int currentRowFontPt)
{
    const int w = NotNegative(width);
    const int h = NotNegative(height);
    ValueWindowLayout l;
    l.Rows = j70Device ? 3 : 2;

    int valueFont = AtLeastOne(currentValueFontPt);
    if (h >= 25)
        valueFont = h / 25;
    if (w >= 100 && valueFont >= w / 80)
        valueFont = w / 80;
    l.ValueFontPt = valueFont;
    l.Value = {0, 0, w * 7 / 10, h};

    int rowFont = AtLeastOne(currentRowFontPt);
    if (w >= 100 && valueFont > 2)
        rowFont = valueFont / 3;
    l.RowFontPt = rowFont;

    const int rowLeft = l.Value.Width + kUnitGap;
    const int rowWidth = NotNegative(w - rowLeft);
    const int rowHeight = h / l.Rows;
    l.Unit = {rowLeft, 0, rowWidth, rowHeight};
    l.TemperatureVisible = l.Rows == 3;
    l.Temperature = {rowLeft, rowHeight, rowWidth, rowHeight};
    l.Alarm = {rowLeft, rowHeight * (l.Rows - 1), rowWidth, rowHeight};
    return l;
}

bool IsJ70ValueDevice(const QString& deviceName)
{
    static const QString kModels = QStringLiteral("J7010J7020J7030J7410J7420J7430J7040J7050J7050MJ7060");
    return !deviceName.isEmpty() && kModels.contains(deviceName);
}

QString DisplayValueText(const ChannelReading& reading)
{
    return reading.OverRange ? QStringLiteral("OR.") : reading.ValueText;
}

QString DisplayUnitText(const QString& unit)
{
    QString shown = unit;
    return shown.replace(QStringLiteral("Ohm."), QStringLiteral("Ohm ."));
}
