#pragma once
// Colours are kept as the stored 32-bit values: 0x00BBGGRR, or a system colour
// (high bit set, low byte = the system colour index). The conversion to a
// drawable colour lives in the UI layer (platform/ui/qtcolors.h).

#include <QtGlobal>

using ColorValue = quint32;

constexpr ColorValue kSystemColorFlag = 0x80000000u;
constexpr ColorValue SysColorButtonFace = 0x8000000Fu;
constexpr ColorValue SysColorButtonText = 0x80000012u;
constexpr ColorValue SysColorWindow = 0x80000005u;
constexpr ColorValue SysColorWindowText = 0x80000008u;

constexpr ColorValue MakeColor(int r, int g, int b)
{
    return (ColorValue(b & 0xFF) << 16) | (ColorValue(g & 0xFF) << 8) | ColorValue(r & 0xFF);
}
constexpr bool IsSystemColor(ColorValue c) { return (c & kSystemColorFlag) != 0; }
constexpr int ColorRed(ColorValue c) { return int(c & 0xFF); }
constexpr int ColorGreen(ColorValue c) { return int((c >> 8) & 0xFF); }
constexpr int ColorBlue(ColorValue c) { return int((c >> 16) & 0xFF); }

// The colour a system colour stands for when no palette is at hand (a light
// desktop theme); plain colours are returned with the flag byte cleared.
ColorValue ResolveColorFallback(ColorValue c);
