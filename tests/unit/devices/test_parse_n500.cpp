#include "support/parserharness.h"

#include <gtest/gtest.h>

namespace {
const QString kDeg = QStringLiteral(" \u00B0C");
const QString kPh1 = QStringLiteral("10:15:30\t02/03/26\t7.01\tpH\t25.0\t\r\n");
const QString kPh2 = QStringLiteral("10:15:40\t02/03/26\t7.02\tpH\t25.1\t\r\n");
const QString kMv = QStringLiteral("10:15:30\t02/03/26\t-120.5\tmV\t25.2\t\r\n");

// A single-electrode meter: the second value and its temperature are not shown.
void OneChannel(AppState& s) { s.Channel(3).Use = s.Channel(4).Use = false; }
// Meter bytes as they arrive, NULs included.
template <size_t N> QString Bytes(const char (&text)[N]) { return QString::fromLatin1(text, N - 1); }

void Poll(AppState& s) { s.PollValues = true; }
void PollOneChannel(AppState& s) { Poll(s); OneChannel(s); }
} // namespace

TEST(ParseN500, Lines)
{
    const struct {
        const char* name;
        QString model;
        std::function<void(AppState&)> setup;
        QString text;
        QStringList expected;
    } cases[] = {
        {"one channel", "N505", OneChannel, kPh1, {"1/1 7.01 pH", "1/2 25.0" + kDeg}},
        {"two lines fill the channel pairs", "N515", {}, kPh1 + kMv,
         {"1/1 7.01 pH", "1/2 25.0" + kDeg, "1/3 -120.5 mV", "1/4 25.2" + kDeg}},
        {"readings in a row", "N505", OneChannel, kPh1 + kPh2,
         {"1/1 7.01 pH", "1/2 25.0" + kDeg, "2/1 7.02 pH", "2/2 25.1" + kDeg}},
        {"header, noise and a broken time line are passed over", "N505", OneChannel,
         Bytes("N505 V1.20\r\n\0\0\x03\xff\r\na:b\r\n") + kPh1, {"1/1 7.01 pH", "1/2 25.0" + kDeg}},
        {"over range, relative mode and the line's remark", "N525", OneChannel,
         QStringLiteral("10:15:30\t02/03/26\t99999\tpH^\t25.0\tCal. due\r\n"),
         {"1/1 99999 pH rel. OR {relative mode; Cal. due}", "1/2 25.0" + kDeg + " {relative mode; Cal. due}"}},
        {"an identified line does not cost the one before it", "N505", OneChannel, kPh1 + "#12\t" + kPh2,
         {"1/1 7.01 pH", "1/2 25.0" + kDeg, "2/1 7.02 pH", "2/2 25.1" + kDeg}},
        {"temperature channel not in use", "N505",
         [](AppState& s) { OneChannel(s); s.Channel(2).Use = false; }, kPh1, {"1/1 7.01 pH"}},
        {"N535 prints values only", "N535", OneChannel,
         QStringLiteral("10:15:30\t02/03/26\t8.52\tmg/l\t\r\n10:15:30\t02/03/26\t95.1\t%\t\r\n"),
         {"1/1 8.52 mg/l", "1/2 95.1 %"}},
        {"a line ending early takes nothing from the next", "N505", OneChannel,
         QStringLiteral("10:15:30\t02/03/26\t7.01\tpH\t25.0\r\n10:15:31\t02/03/26\r\n") + kPh2,
         {"1/1 7.01 pH", "1/2 25.0" + kDeg, "2/1 7.02 pH", "2/2 25.1" + kDeg}},
        {"half line waits", "N505", OneChannel, kPh1 + "10:15:40\t02/0", {"1/1 7.01 pH", "1/2 25.0" + kDeg}},
        {"polled reply", "N505", PollOneChannel, "<?\r\n" + kPh1, {"1/1 7.01 pH", "1/2 25.0" + kDeg}},
        // A new reply header restarts the reading at channel 1.
        {"polled reply replaces an unfinished one", "N515", Poll, "<?\r\n" + kPh1 + "<?\r\n" + kPh2 + kMv,
         {"1/1 7.02 pH", "1/2 25.1" + kDeg, "1/3 -120.5 mV", "1/4 25.2" + kDeg}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(c.model, c.text, c.setup), c.expected);
    }
}

TEST(ParseN500, IdentificationComesWithEachLine)
{
    const struct { QString text; QString id; } cases[] = {
        {kPh1 + "#4711\t" + kPh2, "4711"},
        {kPh1 + "N505 V1.20\r\n#4711\t" + kPh2, "4711"},
        {"#4711\t" + kPh1 + kPh2, ""}, // the last line examined had no number
    };
    for (const auto& c : cases) {
        for (int k = 0; k < c.text.size(); ++k) { // k = 0: in one piece
            ParserRun run(QStringLiteral("N505"));
            OneChannel(run.state);
            run.Run(k ? QStringList{c.text.left(k), c.text.mid(k)} : QStringList{c.text});
            EXPECT_EQ(run.sink.readings, 2) << "split at " << k;
            EXPECT_EQ(run.state.IdentificationNumber, c.id) << "split at " << k;
        }
    }
}
