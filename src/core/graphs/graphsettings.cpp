#include "core/graphs/graphsettings.h"

#include "core/model/appstate.h"

GraphSettings::GraphSettings()
{
    for (int n = 1; n <= kMaxLinesPerGraph; ++n)
        Lines[size_t(n)].Colour = kGraphLineColors[size_t(n)];
}

qint16 GraphSettings::LineRef(int line, int kind) const
{
    if (line < 1 || line > kMaxLinesPerGraph)
        return 0;
    const GraphLine& l = Lines[size_t(line)];
    switch (kind) {
    case 1: return l.Input;
    case 2: return l.ShowMin;
    case 3: return l.ShowMax;
    case 4: return l.ShowMean;
    default: return 0;
    }
}

void GraphSettings::SetLineRef(int line, int kind, qint16 value)
{
    if (line < 1 || line > kMaxLinesPerGraph)
        return;
    GraphLine& l = Lines[size_t(line)];
    switch (kind) {
    case 1: l.Input = value; break;
    case 2: l.ShowMin = value; break;
    case 3: l.ShowMax = value; break;
    case 4: l.ShowMean = value; break;
    default: break;
    }
}

ColorValue GraphSettings::SeriesColour(int series) const
{
    if (series == 1)
        return AlarmLaagKleur;
    if (series == 2)
        return AlarmHoogKleur;
    if (series >= 3 && series <= kMaxLinesPerGraph + 2)
        return Lines[size_t(series - 2)].Colour;
    return 0;
}

void GraphSettings::SetSeriesColour(int series, ColorValue colour)
{
    if (series == 1)
        AlarmLaagKleur = colour;
    else if (series == 2)
        AlarmHoogKleur = colour;
    else if (series >= 3 && series <= kMaxLinesPerGraph + 2)
        Lines[size_t(series - 2)].Colour = colour;
}
