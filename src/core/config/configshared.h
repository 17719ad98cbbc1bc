// What the configuration reader and writer share: the note end marker, the
// models that store a user unit, the colour keys in file order and the table
// width the column keys are checked against. Private to core/config.
#pragma once

#include "core/model/appstate.h"

#include <QString>
#include <array>
#include <utility>

namespace configfile_detail {

inline const QString kEndNote = QStringLiteral("[END NOTE]");
// Devices of the P651 family store their temperature unit and table option.
inline const QString kUserUnitModels = QStringLiteral("P651P652P671P672P6710P6720");

// Highest column index of the table grid for the current device.
int TableColumnCountFor(const AppState& s);

using ColourKey = std::pair<const char*, ColorValue AppSettings::*>;
// The seventeen colours in file order (the graph background before its axis).
const std::array<ColourKey, 17>& ColourKeys();

} // namespace configfile_detail
