#pragma once
// How the command line prints readings: one line per channel value,
// tab-separated: [time] reading, channel, value, unit, over-range, extra, info.

#include "core/devices/decoder.h"

void PrintValues(const QList<DecodedValue>& values, bool withTime);
