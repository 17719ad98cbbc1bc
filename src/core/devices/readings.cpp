#include "core/devices/readings.h"

#include "core/model/appstate.h"

void ClearReading(ChannelReading& rec, double t)
{
    rec.ValueText.clear();
    rec.UnitText.clear();
    rec.OverRange = false;
    rec.HasValue = false;
    rec.ReadingTime = t;
}

void ClearReadings(AppState& state)
{
    for (int ch = 1; ch <= kMaxChannels; ++ch) {
        ChannelReading& r = state.Readings[ch];
        r.ValueText.clear();
        r.UnitText.clear();
        r.OverRange = false;
        r.HasValue = false;
    }
}
