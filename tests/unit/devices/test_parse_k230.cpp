#include "support/parserharness.h"
#include "core/model/datetime.h"

#include <gtest/gtest.h>

namespace {
const QString kDeg = QStringLiteral(" \u00B0C");

// Meter bytes as they arrive, NULs and the DOS code page included.
template <size_t N> QString Bytes(const char (&text)[N]) { return QString::fromLatin1(text, N - 1); }

// One printed line; only the first line of a reading carries the record number.
QString Line(const char* lead, const char* valueUnit, const char* temperature)
{
    return QString::fromLatin1(lead) + '\t' + QString::fromLatin1(valueUnit) + '\t' + QString::fromLatin1(temperature)
        + QString::fromLatin1("\t\xf8" "C\t10:15:30\t02/03/26\r\n");
}

std::function<void(AppState&)> Unused(QList<int> channels)
{
    return [channels](AppState& s) {
        for (int ch : channels)
            s.Channel(ch).Use = false;
    };
}
} // namespace

TEST(ParseK230, Lines)
{
    const QString ph = Line("0001", "7.01\tpH", "25.0");
    const QString ph2 = Line("0002", "7.02\tpH", "25.1");
    const QString mv = Line("", "-120.5\tmV", "25.2");
    const QString ec = Line("", "1.413E-03\tS/cm", "25.3");
    const QString ppm = Line("0001", "8.25\tppm", "21.5");
    const struct {
        const char* name;
        QString model;
        std::function<void(AppState&)> setup;
        QString text;
        QStringList expected;
    } cases[] = {
        {"one channel, temperature in the last", "K231", Unused({2, 3}), ph, {"1/1 7.01 pH", "1/4 25.0" + kDeg}},
        {"three channels, exponent scaled into the unit", "K233", {}, ph + mv + ec,
         {"1/1 7.01 pH", "1/2 -120.5 mV", "1/3 1.413 mS/cm", "1/4 25.3" + kDeg}},
        {"resistivity in the meter's charset", "L331", {}, Line("0001", "1.85E+03\t\xea.cm", "20.0"),
         {"1/1 1.85 kOhm.cm", "1/2 20.0" + kDeg}},
        {"over range", "K231", Unused({2, 3}), Line("0001", "99999\tpH", "25.0") + Line("0002", "99999\tS/cm", "99999"),
         {"1/1 99999 pH OR", "1/4 25.0" + kDeg, "2/1 99999 mS/cm OR", "2/4 99999 \u00B0C OR"}},
        {"relative mode", "K231", Unused({2, 3}), Line("0001", "12.5\tmV^", "25.0"),
         {"1/1 12.5 mV rel. {relative mode}", "1/4 25.0 \u00B0C {relative mode}"}},
        {"readings in a row", "L332", Unused({2, 3, 4}), ph + ph2,
         {"1/1 7.01 pH", "1/5 25.0" + kDeg, "2/1 7.02 pH", "2/5 25.1" + kDeg}},
        {"identification, noise and lines without record number or date are passed over", "K231", Unused({2, 3}),
         Bytes("Identification No: 12345\r\n\0\0\x01\x02\xff\r\n01\t7.00\tpH\t25.0\t02/03/26\r\n"
               "0001\t7.00\tpH\t25.0\r\n") + ph,
         {"1/1 7.01 pH", "1/4 25.0" + kDeg}},
        {"a channel not in use still takes its line", "K233", Unused({1, 3}), ph + mv,
         {"1/2 -120.5 mV", "1/4 25.2" + kDeg}},
        {"a channel not in use in relative mode leaves no remark", "K233", Unused({1, 3}),
         Line("0001", "12.5\tmV^", "25.0") + mv, {"1/2 -120.5 mV", "1/4 25.2" + kDeg}},
        {"only the temperature shown", "K231", Unused({1, 2, 3}), ph + ph2, {"1/4 25.0" + kDeg, "2/4 25.1" + kDeg}},
        {"half line waits", "K231", Unused({2, 3}), ph + "0002\t7.0", {"1/1 7.01 pH", "1/4 25.0" + kDeg}},
        // The old K235 firmware prints a ppm or % channel's temperature for the
        // channel after it; the third line then starts no reading.
        {"K235 before 3.0: ppm keeps its temperature", "K235 < version 3.0", Unused({4, 5, 6, 7}), ppm + mv + ec,
         {"1/1 8.25 ppm", "1/2 21.5" + kDeg, "1/3 -120.5 mV", "1/8 25.2" + kDeg}},
        {"K235: temperature in the last channel", "K235", Unused({4, 5, 6, 7}), ppm + mv + ec,
         {"1/1 8.25 ppm", "1/2 -120.5 mV", "1/3 1.413 mS/cm", "1/8 25.3" + kDeg}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(c.model, c.text, c.setup), c.expected);
    }
}

TEST(ParseK230, IdentificationLineEndsNoReading)
{
    ParserRun run(QStringLiteral("K231"));
    Unused({2, 3})(run.state);
    run.Run({QStringLiteral("Identification No: 12345\r\n")});
    EXPECT_EQ(run.state.IdentificationNumber, QStringLiteral("12345"));
    EXPECT_EQ(run.sink.readings, 0);
}

// The lines of one print arrive together and are one reading with the time
// of the first; a line with another record number starts the next reading.
TEST(ParseK230, PrintsAreReadingsOfTheirOwn)
{
    // The first `lines` lines of a K231 print, its record number on every line.
    auto print = [](const char* record, int lines) {
        return QStringList{Line(record, "7.01\tpH", "25.0"), Line(record, "-120.5\tmV", "25.0"),
                           Line(record, "1.413E-03\tS/cm", "25.0")}
            .mid(0, lines);
    };
    // What row `row` holds of those channels, stamped `t`.
    auto shown = [](int row, const char* t, const QList<int>& channels) {
        static const char* const kValues[] = {"", "7.01 pH", "-120.5 mV", "1.413 mS/cm", "25.0 \u00B0C"};
        QStringList out;
        for (int ch : channels)
            out << QStringLiteral("%1/%2 %3 @%4").arg(row).arg(ch).arg(QString::fromUtf8(kValues[ch]),
                                                                       QLatin1String(t));
        return out;
    };
    const QList<int> all = {1, 2, 3, 4};
    const struct {
        const char* name;
        std::function<void(AppState&)> setup;
        QList<QStringList> prints; // each print's lines, a minute apart
        double lineGap;            // seconds between the lines of a print
        QStringList expected;      // "row/channel value unit @time"
    } cases[] = {
        {"three lines one by one are one reading", {}, {print("0001", 3)}, 0.6, shown(1, "10:01:00", all)},
        {"the rest of a print after the last channel in use is no reading", Unused({3}),
         {print("0001", 3), print("0002", 3)}, 0, shown(1, "10:01:00", {1, 2, 4}) + shown(2, "10:02:00", {1, 2, 4})},
        {"... nor when its lines come one by one", Unused({2, 3}), {print("0001", 3), print("0002", 3)}, 0.05,
         shown(1, "10:01:00", {1, 4}) + shown(2, "10:02:00", {1, 4})},
        {"a short print passes on the channels it lacks", {}, {print("0001", 3), print("0002", 1), print("0003", 3)},
         0,
         shown(1, "10:01:00", all) + shown(2, "10:02:00", {1}) + shown(2, "10:01:00", {2, 3})
             + shown(2, "10:02:00", {4}) + shown(3, "10:03:00", all)},
        {"without passing values on, a short print shows only its own",
         [](AppState& s) { s.RetainTableValues = false; }, {print("0001", 3), print("0002", 1), print("0003", 3)}, 0,
         shown(1, "10:01:00", all) + shown(2, "10:02:00", {1, 4}) + shown(3, "10:03:00", all)},
        {"a block holding the first channel twice is two readings", {}, {print("0001", 1) + print("0002", 3)}, 0,
         shown(1, "10:01:00", {1, 4}) + shown(2, "10:01:00", all)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParserRun run(QStringLiteral("K231"));
        if (c.setup)
            c.setup(run.state);
        for (const QStringList& lines : c.prints) {
            for (int i = 0; i < lines.size(); ++i)
                run.reader.Append(lines[i], i == 0 ? 60 : c.lineGap);
        }
        RunReceiveCycles(run.ctx, run.reader);
        QStringList got;
        for (const DecodedValue& v : run.sink.values) {
            const QString t = FromDays(v.time).toString(QStringLiteral("hh:mm:ss"));
            got << QStringLiteral("%1/%2 %3 %4 @%5").arg(v.reading).arg(v.channel).arg(v.value, v.unit, t);
        }
        EXPECT_EQ(got, c.expected);
    }
}
