#pragma once
// What the graph settings dialog makes of its text boxes and of the input
// cells of its line grid. The boxes never refuse a text: numbers are read
// leniently and out-of-range values are brought into range, and the box then
// shows the value taken.

#include <QString>
#include <QStringList>

struct AppState;

// Visible points: dots removed (a thousands separator), the whole number,
// 50..30000.
int PointsFromText(const QString& text);
// Labelled time divisions: dots removed, the whole number, 1..20.
int TimeDivisionsFromText(const QString& text);
// Value-axis divisions and subdivisions: the whole number, 1..20.
int DivisionsFromText(const QString& text);
// Axis limits and alarm values.
double GraphNumberFromText(const QString& text);

// The text of an input in the line grid: "" for none, "CH2 (mS/cm)" for a
// channel (with the unit of its current reading), "CH2 (°C)" for the
// temperature of a channel.
QString GraphInputText(int input, const AppState& s);
// Back from that text: "CHn (°C)" is the temperature of channel n on the
// meters that offer temperature entries, channel n itself on the others
// (whose temperature is an ordinary channel in °C); "" is 0.
int GraphInputFromText(const QString& text, const AppState& s);
// The input list: an empty entry, every channel, and for the meters that
// also measure a temperature per channel ("J70…", "…-37") those too.
QStringList GraphInputChoices(const AppState& s);
// Whether the input list holds a temperature entry per channel.
bool OffersTemperatureInputs(const AppState& s);
