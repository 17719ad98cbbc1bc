#pragma once
// The one colour chooser of the program (the settings dialog's colour grid,
// the graph settings): the platform colour dialog on a stored colour value.

#include "core/model/colors.h"

#include <functional>

class QWidget;

// Shows the colour dialog starting at `color`; only when the user confirms
// is `color` replaced (by a plain colour) and true returned.
bool ChooseColor(QWidget* parent, ColorValue& color);

struct ColorChooser {
    // When set, ChooseColor calls it instead of the dialog (tests, scripted runs).
    static std::function<bool(ColorValue&)> hook;
};
