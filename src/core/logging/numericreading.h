#pragma once
// A reading as a number in one unit, for what leaves the program to be
// analysed: exports that data tools read, readings published to others.
// The data file and the table keep the meter's own texts; this is the view
// of them that a program can compute with.
//
// One unit per channel. A meter that switches range prints one quantity with
// another decimal prefix (µS/cm, then mS/cm), so a column of its texts mixes
// units. Every reading whose unit belongs to one of the families the graphs
// rescale (graphunits.h: conductance, mass concentration, resistance, ratio)
// is given in that family's base unit: the reading's own unit with its
// prefix taken off (µS/cm, mS/cm, e-3 S/cm -> S/cm; kOhm.cm, MOhm.cm ->
// Ohm.cm; ng/l, µg/l, mg/l -> g/l; the rest of the text, " rel." included,
// stays). The ratio family has no unprefixed member: ppm is its base (ppt ->
// ppm). Any other unit (pH, mV, °C, %) stays as the meter printed it.
//
// OneUnit looks at one reading and nothing else, so a publisher applies it
// reading by reading, and every reading of a channel carries the same unit
// whatever came before it or when publishing began. An export names the unit
// of a channel's first reading with a value in the column heading; a later
// reading whose one unit differs (a channel switched from mV to pH, from
// absolute to relative) cannot be put in that column: OtherUnit, value empty,
// and the exporter says so.
//
// The conversion is exact in decimal: the prefix moves the decimal exponent
// of the printed number before it is read, so 1.413 µS/cm is the double
// nearest to 1.413e-6 S/cm (no 1.4130000000000001e-06 from multiplying).

#include <QString>
#include <QStringView>
#include <optional>

struct AppState;
class LanguageTable;
class LogTable;

// Why a reading has no number; None when it has one.
enum class ReadingFlag : unsigned char {
    None,
    OverRange, // the meter's over-range mark ("OR.", 99999)
    Missing,   // no value in the reading (none received, "----", an empty item)
    Damaged,   // digits that are no number ("x6.54", from a damaged file)
    Off,       // the channel is switched off (not in use, or no value in any row of an export)
    OtherUnit, // a number, but in a unit that is not the column's (see above)
};
// The word a flag column holds, in English whatever the user's language, as
// data tools match it: "", "over range", "missing", "damaged", "off", "other unit".
const char* FlagName(ReadingFlag flag);

struct NumericReading {
    int channel = 0;              // 1-based
    QString name;                 // the channel's name: "CH3", or the user's
    std::optional<double> value;  // in `unit`; empty exactly when flag != None
    QString unit;                 // OneUnit of the reading's unit (the column's unit in an export)
    ReadingFlag flag = ReadingFlag::None;
    // J70xx family: the temperature printed beside the value, as a number
    // in temperatureUnit ("°C", "°F", "K"); empty when there is none.
    std::optional<double> temperature;
    QString temperatureUnit;
};

// The one unit of a reading printed in `unit` (see above); "" stays "".
QString OneUnit(const QString& unit);

// A reading's items as the data file, the table or the acquisition hold them.
struct ReadingText {
    QStringView value;  // as printed, decimal point or comma
    QStringView unit;
    bool overRange = false;
    bool hasValue = false;
};
// The flag of one reading and, for None, its number in `targetUnit`.
// targetUnit "" means OneUnit(unit). A unit of another family, or another
// unit outside the families, gives OtherUnit (with no value).
ReadingFlag NumericValue(const ReadingText& reading, const QString& targetUnit, double& value);

// NumericValue for the readings of one channel in turn: the conversion of
// the last unit seen is kept, so a run of readings in one unit works out
// the unit only once (an export of a million records).
class ChannelValues {
public:
    explicit ChannelValues(const QString& targetUnit = {}) : target_(targetUnit) {}
    ReadingFlag Read(const ReadingText& reading, double& value);
    // The unit of the value Read gave last: the target, or without one the
    // reading's one unit.
    const QString& Unit() const { return target_.isEmpty() ? one_ : target_; }

private:
    QString target_;
    bool known_ = false;   // a unit was seen
    QString unit_;         // the unit last seen
    QString one_;          // its one unit
    bool matches_ = false; // one_ is the target
    int shift_ = 0;        // decimal places from unit_ to the target
};

// A live reading as the acquisition has just recorded it:
// s.Readings[channel], named s.Channel(channel).Name, Off when the channel
// is not in use. The unit is OneUnit of the reading's unit.
NumericReading NumericReadingOf(const AppState& s, int channel);

// A table row's reading of `channel` (a logged reading or a loaded data-file
// record) in `columnUnit` ("" = OneUnit of its own unit), named `name`.
NumericReading NumericReadingOf(const LogTable& table, int row, int channel, const QString& name,
                                const QString& columnUnit = {});

// The stop record that ends a logging run holds no reading of its own: it
// repeats the last values with the info "Stop" (the data file's fixed word,
// or the table's text in the user's language). Leave it out.
bool IsStopRecord(const QString& info, const LanguageTable* language = nullptr);
// A live record is the stop record when the acquisition's info says so.
bool IsStopRecord(const AppState& s, const LanguageTable* language = nullptr);
