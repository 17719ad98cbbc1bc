#pragma once
// The geometry and texts of a value window, kept free of widgets so the sizing
// rule can be checked on its own. All lengths are twips, font sizes points.

#include <QString>

struct ChannelReading;

constexpr int kTwipsPerPixel = 15;
constexpr int PixelsToTwips(int px) { return px * kTwipsPerPixel; }
constexpr int TwipsToPixels(int tw) { return tw / kTwipsPerPixel; }

struct TwipRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct ValueWindowLayout {
    int Rows = 2;
    TwipRect Value, Unit, Temperature, Alarm;
    bool TemperatureVisible = false;
    int ValueFontPt = 0;   // value digits
    int RowFontPt = 0;     // unit, temperature and alarm rows
};

// Lays out a value window of inner size `width` x `height`. A size rule that
// does not apply (too small a window) leaves the font at its current size, so
// the current sizes are passed in; the results are never below 1 point and no
// rectangle has a negative extent.
ValueWindowLayout LayoutValueWindow(int width, int height, bool j70Device, int currentValueFontPt,
                                    int currentRowFontPt);

// The meters whose readings carry a temperature line, shown as a third row.
bool IsJ70ValueDevice(const QString& deviceName);

// "OR." for an over-range reading, otherwise the received value text.
QString DisplayValueText(const ChannelReading& reading);
// "Ohm." would read as an abbreviation glued to what follows ("Ohm.cm"), so a
// blank is put after "Ohm".
QString DisplayUnitText(const QString& unit);
