#pragma once
// One recorded reading as the message a broker carries:
//
//   {"seq":17,"time":"2024-05-02T14:03:07+02:00","model":"K231","id":"1234",
//    "bench":"bench-3","channels":[{"channel":1,"name":"pH","value":7.02,
//    "unit":"pH","flag":null}, ...]}
//
// seq rises by one per reading of a bench (a consumer drops a repeated seq as
// a duplicate); time is the reading's local time with its offset from UTC;
// id is null for a meter without an identification number. Each channel in
// use is one object: value in the channel's one unit (numericreading.h) or
// null, and flag null or what is special about the reading: "over range",
// "missing", "damaged", "other unit", else "alarm low" / "alarm high" when a
// limit test of the channel is on and the value passed it. Channels switched
// off are left out. The JSON is UTF-8; names keep their accents.

#include "core/logging/numericreading.h"
#include "core/model/datetime.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

struct AppState;

struct PublishedChannel {
    NumericReading reading;
    const char* flag = nullptr; // null when nothing is special
};

struct PublishedReading {
    double time = 0; // days since 1899-12-30, local time
    QString model;
    QString id;
    QString bench;
    std::vector<PublishedChannel> channels;
};

// The reading the acquisition has just recorded, channels in use only.
PublishedReading PublishedReadingOf(const AppState& s, const QString& bench);

// "2024-05-02T14:03:07+02:00"; empty when the time has no calendar date.
QByteArray IsoTimeWithOffset(double days, LocalOffsets& offsets);

QByteArray ReadingJson(const PublishedReading& reading, quint64 seq, LocalOffsets& offsets);

// A channel's value as the plain number of its value topic ("" for none).
QByteArray ValueText(const std::optional<double>& value);

// The channel numbers and value texts of a reading's JSON, for the value
// topics of a reading read back from the spool; empty when it is no reading.
std::vector<std::pair<int, QByteArray>> ChannelValuesOfJson(const QByteArray& json);
