#include "support/parserharness.h"

#include <gtest/gtest.h>

namespace {
const QString kDeg = QStringLiteral(" \u00B0C");
const QString kMicro = QStringLiteral("\u00B5");

// Meter bytes as they arrive, NULs and the DOS code page included.
template <size_t N> QString Bytes(const char (&text)[N]) { return QString::fromLatin1(text, N - 1); }

QString Record(const char* number, const char* values)
{
    return QString::fromLatin1(number) + QStringLiteral("\t02/03/26\t10:15:30\t") + QString::fromLatin1(values)
        + QStringLiteral("\r\n");
}
} // namespace

TEST(ParseN335, Lines)
{
    const QString header = Bytes("   #\tDate\tTime\tpH\tmV\t\xe6S/cm\t\xf8" "C\r\n");
    const QString first = Record("0001", "7.01\t-120.5\t1413\t25.0");
    const QString second = Record("0002", "7.02\t-121.0\t1.413E-03\t25.1");
    const struct {
        const char* name;
        std::function<void(AppState&)> setup;
        QString text;
        QStringList expected;
    } cases[] = {
        {"units from the column header, rescaled by each reading", {}, header + first + second,
         {"1/1 7.01 pH", "1/2 -120.5 mV", "1/3 1413 " + kMicro + "S/cm", "1/4 25.0" + kDeg,
          "2/1 7.02 pH", "2/2 -121.0 mV", "2/3 1.413 mS/cm", "2/4 25.1" + kDeg}},
        {"default units without a header", {}, second,
         {"1/1 7.02 pH", "1/2 -121.0 mV", "1/3 1.413 mS/cm", "1/4 25.1" + kDeg}},
        {"over range", {}, Record("0001", "99999\t-120.5\t99999\t25.0"),
         {"1/1 99999 pH OR", "1/2 -120.5 mV", "1/3 99999 mS/cm OR", "1/4 25.0" + kDeg}},
        // Alarm remarks belong to the reading that raised them.
        {"alarm flags", {}, Record("0001", "7.01H\t-120.5\t1.413E-03L\t25.0") + second,
         {"1/1 7.01 pH {Alarm pH: H, Alarm mS/cm: L}", "1/2 -120.5 mV {Alarm pH: H, Alarm mS/cm: L}",
          "1/3 1.413 mS/cm {Alarm pH: H, Alarm mS/cm: L}", "1/4 25.0 \u00B0C {Alarm pH: H, Alarm mS/cm: L}",
          "2/1 7.02 pH", "2/2 -121.0 mV", "2/3 1.413 mS/cm", "2/4 25.1" + kDeg}},
        {"columns go to the channels in use", [](AppState& s) { s.Channel(2).Use = false; },
         Bytes("   #\tDate\tTime\tpH\t\xe6S/cm\t\xf8" "C\r\n") + Record("0001", "7.01\t1413\t25.0"),
         {"1/1 7.01 pH", "1/3 1413 " + kMicro + "S/cm", "1/4 25.0" + kDeg}},
        {"identification, noise and bad record numbers are passed over", {},
         Bytes("Identification No: 12345\r\n\0\0\x01\xff\r\n") + Record("01", "7.00\t0.0\t1\t25.0")
             + Record("00001", "7.00\t0.0\t1\t25.0") + QStringLiteral("0001\t02/03/26\r\n") + first,
         {"1/1 7.01 pH", "1/2 -120.5 mV", "1/3 1413 S/cm", "1/4 25.0" + kDeg}},
        {"half line waits", {}, first + "0002\t02/0",
         {"1/1 7.01 pH", "1/2 -120.5 mV", "1/3 1413 S/cm", "1/4 25.0" + kDeg}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QStringLiteral("N335"), c.text, c.setup), c.expected);
    }
}

TEST(ParseN335, IdentificationLineEndsNoReading)
{
    ParserRun run(QStringLiteral("N335"));
    run.Run({QStringLiteral("Identification No: 12345\r\n")});
    EXPECT_EQ(run.state.IdentificationNumber, QStringLiteral("12345"));
    EXPECT_EQ(run.sink.readings, 0);
}
