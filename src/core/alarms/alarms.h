#pragma once
// Channel alarms and the graph alarm report, free of widgets.
//
// A channel has a high and a low limit, each with a test switch and a beep
// switch, kept in its ChannelReading. The channel test is strict (a value
// equal to a limit is no alarm) and compares single-precision numbers; the
// graph report counts a value equal to a limit as an exceedance. Both are
// wanted: the channel test shows the state of one reading, the report counts
// every time a line reached a limit.

#include "core/model/colors.h"

#include <QString>
#include <functional>
#include <vector>

struct AppState;
struct ChannelReading;
class LanguageTable;
class LogTable;

// ---------------------------------------------------------------- channel test

// True when the low (high) test is on, the reading holds a value that is not
// over range, and the value is strictly below (above) the limit.
bool TestLowAlarm(const ChannelReading& reading);
bool TestHighAlarm(const ChannelReading& reading);
bool TestLowAlarm(const AppState& state, int channel);
bool TestHighAlarm(const AppState& state, int channel);

// The text colour of a channel's value: over range, else low alarm, else high
// alarm, else `normal`.
ColorValue AlarmColour(const AppState& state, int channel, ColorValue normal);

// The outcome of testing one reading.
struct ChannelAlarmState {
    bool low = false;
    bool high = false;
    bool beep = false; // an alarm whose beep switch is on, while connected
};
ChannelAlarmState TestChannelAlarms(const AppState& state, int channel);

// What the value window's alarm label shows: an up triangle for a high alarm,
// a down triangle for a low one, " " for none. `symbolFont` gives the
// characters of the symbol font the label uses when it is installed.
QString AlarmIndication(bool low, bool high, bool symbolFont);

// ---------------------------------------------------------------- limits

// The limit as the alarm dialog shows and stores it (the user's number in
// its canonical form, with the locale's decimal separator).
QString NormaliseLimit(const QString& text);
// False when both tests are on and the high limit is not above the low one.
bool LimitsInOrder(const ChannelReading& reading);

// ---------------------------------------------------------------- table test

// Recolours the channel's value column of the table by the channel's limits:
// over range, high alarm, low alarm, else the table colour. Nothing happens
// when neither test is on unless `force` is set (the limits were just edited,
// so switching both tests off recolours once). The channel's reading is used
// as scratch and restored afterwards. `progress(step, steps)` is called once
// before the first row (step 0) and after each row. Returns whether it ran.
bool TestTableAlarms(AppState& state, LogTable& table, int channel, bool force,
                     const std::function<void(int step, int steps)>& progress = {});

// ---------------------------------------------------------------- graph report

// One value a graph line shows and the event text that names it.
struct AlarmReportValue {
    double value = 0;
    QString event;
};

// One graph line with an input.
struct AlarmReportSeries {
    QString name; // trimmed channel name, " (", unit, ")"
    std::vector<AlarmReportValue> values;
};

struct AlarmReportInput {
    bool high = false;
    double highLimit = 0;
    bool low = false;
    double lowLimit = 0;
    std::vector<AlarmReportSeries> series;
};

// One printed line of the report. A Text line prints `bold` in bold and then
// `text` in normal weight. An Event line prints `bold` (normal weight,
// wrapped between the text bounds moved 10 mm inward) and continues 5 mm
// lower with the event text `text`. An Empty line is a blank line.
struct AlarmReportLine {
    enum Kind { Text, Event, Empty };
    Kind kind = Text;
    QString bold;
    QString text;
    bool operator==(const AlarmReportLine& o) const { return kind == o.kind && bold == o.bold && text == o.text; }
};

std::vector<AlarmReportLine> BuildAlarmReport(const AlarmReportInput& input, const LanguageTable& lang);

// The value an over-range reading counts as in a report.
constexpr double kAlarmOverRangeValue = 9999;
// A table graph's event text: the series name, the reading number "00000",
// date " - " time, "; " and the value's text.
QString TableAlarmEvent(const QString& seriesName, int number, const QString& date, const QString& time,
                        const QString& value);
// An XY recorder's event text: name and unit, the value, "; " and the row's label.
QString RecorderAlarmEvent(const QString& channelName, const QString& unit, double value, const QString& label);
// "CH1 (mV)": the trimmed channel name and its unit.
QString AlarmSeriesName(const QString& channelName, const QString& unit);
