#pragma once
// The persistent settings of one graph window: everything its block in the
// configuration file holds. The configuration reader fills one per [GRAPHICS]
// section; a graph window takes it over and re-initialises its chart
// (HerInitialiseerGrafiek). Before a save the window copies its current
// settings back. Field names are the graph window's own.

#include "core/model/colors.h"

#include <QString>
#include <array>

constexpr int kGraphInputMax = 2 * 16; // channel inputs, then temperature inputs
constexpr int kGraphPointsMin = 50;
constexpr int kGraphPointsMax = 30000;
constexpr int kGraphDivisionsMax = 20;

// Series 1 and 2 are the low and high alarm lines, series n + 2 data line n.
constexpr ColorValue kDefaultAlarmLowColour = 0xFF0000;  // blue
constexpr ColorValue kDefaultAlarmHighColour = 0x0000FF; // red
// The data lines' default colours: a palette made for telling lines apart
// (colour-blind safe first), none near the alarm lines' pure blue and red, so
// a line and a limit never look alike.
constexpr std::array<ColorValue, 17> kGraphLineColors = {
    0,
    MakeColor(230, 159, 0), MakeColor(0, 158, 115), MakeColor(204, 121, 167), MakeColor(0, 0, 0),
    MakeColor(86, 180, 233), MakeColor(140, 86, 75), MakeColor(148, 103, 189), MakeColor(128, 128, 0),
    MakeColor(90, 40, 0), MakeColor(110, 110, 110), MakeColor(184, 134, 11), MakeColor(0, 100, 0),
    MakeColor(0, 200, 200), MakeColor(47, 79, 79), MakeColor(255, 140, 100), MakeColor(75, 0, 130)};

// One data line: the four line references and the line's colour.
struct GraphLine {
    qint16 Input = 0;    // reference 1: 0 none, 1..ChannelCount a channel, above it a temperature
    qint16 ShowMin = 0;  // reference 2
    qint16 ShowMax = 0;  // reference 3
    qint16 ShowMean = 0; // reference 4
    ColorValue Colour = 0;
};

struct GraphSettings {
    GraphSettings();

    qint16 GrafiekIndex = 0; // slot 1..16; 0 marks an empty (removed) slot

    // (WINDOW): normal-state geometry in twips
    float Top = 0, Left = 0, Height = 0, Width = 0;
    qint16 WindowState = 0;
    bool Zichtbaar = true;

    // (VALUE AXIS)
    QString TitelWaardenas;
    bool AutomatischeSchaal = true;
    double GrafiekMinimum = -100.0;
    double GrafiekMaximum = 100.0;
    qint16 AantalWaardenVerdelingen = 10;
    qint16 AantalWaardenOnderverdelingen = 1;

    // (TIME AXIS)
    QString TitelTijdsas;
    qint16 MaxGrafiekZichtbaar = 99;
    qint16 AantalTijdVerdelingen = 7;
    qint16 LabelKeuze = 0; // 0 date and time, 1 time, 2 date, 3 reading number

    // (MISCELLANEA)
    QString Name; // the window caption
    bool LegendeKeuze = false;
    bool XYrecorder = false;
    bool AfdrukkenRecorder = false;

    // (ALARM HIGH) / (ALARM LOW)
    bool AlarmHoog = false;
    double AlarmHoogWaarde = 0;
    ColorValue AlarmHoogKleur = kDefaultAlarmHighColour; // series 2
    bool AlarmLaag = false;
    double AlarmLaagWaarde = 0;
    ColorValue AlarmLaagKleur = kDefaultAlarmLowColour;  // series 1

    std::array<GraphLine, 17> Lines{}; // 1..16; element 0 is not used

    // LeesGrafiekLijnRef / SchrijfGrafiekLijnRef: line 1..16, kind 1..4.
    qint16 LineRef(int line, int kind) const;
    void SetLineRef(int line, int kind, qint16 value);
    // Series 1 (alarm low), 2 (alarm high), 3..18 (lines 1..16).
    ColorValue SeriesColour(int series) const;
    void SetSeriesColour(int series, ColorValue colour);
};
