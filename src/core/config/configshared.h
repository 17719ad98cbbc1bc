// What the configuration reader and writer share: the note end marker, the
// models that store a user unit, the colour keys in file order and the table
// width the column keys are checked against, and the reader's damage check.
// Private to core/config.
#pragma once

#include "core/config/configfile.h"
#include "core/model/appstate.h"

#include <QString>
#include <QStringList>
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

// Watches every line the reader takes for the signs of a file that is not a
// whole configuration (a crash, a full disk or a broken copy leaves one cut
// off or full of zeros), which the tolerant reader would otherwise run on
// as if it were sound. Lines come without their line end.
class DamageCheck {
public:
    void Line(int number, const QString& text, bool ended);
    // Condition, Damage and Reset of `report` for a file of `size` bytes
    // read to its end.
    void Finish(ConfigReport& report, qint64 size) const;

private:
    void NoValue(int number, const QString& text);

    QString header_;          // the current section, "[INFO]" and unknown ones included
    bool started_ = false;    // a line that is not blank has been seen
    bool writerFile_ = false; // it begins with [INFO]: a whole file, which ends with [END NOTE]
    bool anySection_ = false;
    bool inNote_ = false;
    bool noteEnded_ = false;
    QStringList seen_;        // the main sections met
    int lastLine_ = 0;
    bool lastEnded_ = true;
    int binaryLines_ = 0, firstBinary_ = 0;
    int noValueLines_ = 0;
    QStringList details_, reset_;
};

} // namespace configfile_detail
