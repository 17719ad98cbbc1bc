#pragma once
// What a meter of each catalogue model prints for one reading, byte for byte,
// together with the values the program is expected to record from it. The
// meter simulator prints these; the unit tests feed them through the program's
// parsers and compare.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One value as the program stores it: the exponent moved into the unit, the
// meter's code page mapped, "." as the decimal point.
struct SimValue {
    int channel = 0;
    QString value;
    QString unit;
    QString extra; // J70xx: the line's temperature with its unit
};
// The values of one recorded reading (one table row), in channel order.
using SimRecord = QList<SimValue>;

struct SimReading {
    QByteArray text;          // the bytes the meter sends
    QList<SimRecord> records; // what the program records from them, in order
};

// The meter's clock for reading `index` when the caller has none: a fixed
// start, one second per reading, so that output is repeatable.
QDateTime SimFixedClock(int index);

// Reading number `index` (0, 1, ...) of `model`. `polled`: the reply to the
// poll command (with the family's reply framing); otherwise the line shape the
// meter prints on its own. Values follow a slow sine per channel plus noise
// drawn from `seed`. `when` is the time the meter prints (invalid: SimFixedClock).
// Returns an empty reading for a model outside the catalogue.
SimReading MakeReading(const QString& model, int index, quint32 seed, bool polled, const QDateTime& when = {});
QByteArray ReadingLines(const QString& model, int index, quint32 seed, bool polled, const QDateTime& when = {});

// The poll command the meter answers, as it arrives on the line.
QByteArray MeterPollCommand(const QString& model);

// The checksummed command frame: command, sum of its bytes mod 256, CR LF.
QByteArray SimCommandFrame(const QByteArray& command);

// The answer of a J70xx or G40xx meter to the settings request ">S": "<S",
// the settings block of the model's minimum length with every channel present,
// CR LF. Empty for the other families.
QByteArray SettingsReply(const QString& model);
// True for the families that speak the checksummed command protocol.
bool HasCommandProtocol(const QString& model);
