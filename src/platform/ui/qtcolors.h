#pragma once
// Stored colour values (0x00BBGGRR, or a system colour with the high bit)
// to and from drawable colours.

#include "core/model/colors.h"

class QColor;

// System colours follow the application's palette, so they match the desktop
// theme the program runs under.
QColor ToQColor(ColorValue c);
// Always a plain colour (the high bit clear).
ColorValue FromQColor(const QColor& c);
