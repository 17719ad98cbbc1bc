// How vam-cli's commands read their arguments: every command takes and
// refuses the same forms.

#include "cli_args.h"

#include <gtest/gtest.h>

TEST(CliArgs, OptionsSwitchesAndPositionals)
{
    struct Case {
        const char* what;
        QStringList args;
        const char* error;    // "" when the arguments are fine
        const char* out;      // the --out value
        bool listen;
        const char* file;     // the first positional
    } const cases[] = {
        {"value after a blank", {"--out", "a.vam"}, "", "a.vam", false, ""},
        {"value after '='", {"--out=a.vam"}, "", "a.vam", false, ""},
        {"empty value after '='", {"--out="}, "", "", false, ""},
        {"a value may look like an option", {"--out", "--listen"}, "", "--listen", false, ""},
        {"switch and file in any order", {"in.txt", "--listen", "--out", "o"}, "", "o", true, "in.txt"},
        {"a lone '-' is a file", {"-"}, "", "", false, "-"},
        {"value missing at the end", {"--out"}, "--out needs a value", "", false, ""},
        {"unknown option", {"--bogus"}, "unknown option '--bogus'", "", false, ""},
        {"a switch takes no value", {"--listen=1"}, "unknown option '--listen=1'", "", false, ""},
        {"a single dash option", {"-x"}, "unknown option '-x'", "", false, ""},
        {"one file only", {"a", "b"}, "unexpected argument 'b'", "", false, "a"},
        {"the first fault is named", {"--bogus", "a", "b"}, "unknown option '--bogus'", "", false, ""},
    };
    for (const Case& c : cases) {
        const CliArgs a("test", c.args, {"--out", "--count"}, {"--listen"}, 1);
        EXPECT_EQ(a.Error(), QLatin1String(c.error)) << c.what;
        EXPECT_EQ(a.Ok(), *c.error == 0) << c.what;
        if (!a.Ok())
            continue;
        EXPECT_EQ(a.Value("--out"), QLatin1String(c.out)) << c.what;
        EXPECT_EQ(a.Has("--listen"), c.listen) << c.what;
        EXPECT_EQ(a.Positional().value(0), QLatin1String(c.file)) << c.what;
    }
    EXPECT_EQ(CliArgs("models", {"x"}, {}).Error(), QStringLiteral("unexpected argument 'x'"));
    EXPECT_EQ(CliArgs("t", {}, {"--out"}).Value("--out", QStringLiteral("fallback")), QStringLiteral("fallback"));
}

TEST(CliArgs, NumbersInTheirRange)
{
    struct Case {
        const char* value;
        bool ok;
        int expected;
    } const cases[] = {
        {"1", true, 1}, {"3599", true, 3599}, {"0", false, 7}, {"3600", false, 7}, {"abc", false, 7}, {"", false, 7},
        {"2.5", false, 7},
    };
    for (const Case& c : cases) {
        CliArgs a("log", {"--poll-interval", QLatin1String(c.value)}, {"--poll-interval"});
        int n = 7;
        EXPECT_EQ(a.Number("--poll-interval", n, 1, 3599), c.ok) << c.value;
        EXPECT_EQ(n, c.expected) << c.value;
        EXPECT_EQ(a.Ok(), c.ok) << c.value;
        if (!c.ok)
            EXPECT_EQ(a.Error(), QStringLiteral("invalid value for --poll-interval")) << c.value;
    }
    // Absent: the default stays; a decimal at least its minimum.
    CliArgs a("receive", {"--duration", "1.5"}, {"--duration", "--count"});
    int count = 3;
    double duration = 0;
    EXPECT_TRUE(a.Number("--count", count, 0));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(a.Number("--duration", duration, 0));
    EXPECT_DOUBLE_EQ(duration, 1.5);
    CliArgs negative("receive", {"--duration", "-1"}, {"--duration"});
    EXPECT_FALSE(negative.Number("--duration", duration, 0));
    CliArgs nan("receive", {"--duration", "nan"}, {"--duration"});
    EXPECT_FALSE(nan.Number("--duration", duration, 0));
}

TEST(CliArgs, AModelIsNamedInAnyCase)
{
    const struct { const char* typed; const char* model; } cases[] = {
        {"k231", "K231"}, {"K231", "K231"}, {"h264 usb", "H264 USB"}, {"j7050m", "J7050M"},
        {"K23", "K23"}, // part of a name is no model: kept as typed for the message
        {"Z100", "Z100"}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CliModelName(QString::fromLatin1(c.typed)), QString::fromLatin1(c.model)) << c.typed;
}
