// Rich-text and plain-text files of the terminal: what the writer writes
// reads back unchanged, other simple RTF reads, and damaged input never
// crashes the reader.

#include "core/terminal/rtftext.h"

#include <gtest/gtest.h>

namespace {

constexpr ColorValue kOut = 0xFF00FF;
constexpr ColorValue kIn = 0x000000;
constexpr ColorValue kOther = MakeColor(12, 200, 34);

RtfDocument Doc(std::vector<RtfRun> runs)
{
    RtfDocument d;
    d.runs = std::move(runs);
    d.font = {QStringLiteral("MS Courier"), 9, false, false, false, false};
    return d;
}

} // namespace

TEST(RtfText, WrittenRunsReadBackUnchanged)
{
    struct Case {
        const char* name;
        std::vector<RtfRun> runs;
    };
    const QString degreeMicro = QStringLiteral("25.0 \u00b0C 12.5 \u00b5S/cm\r\n");
    const std::vector<Case> cases = {
        {"empty", {}},
        {"sent and received", {{QStringLiteral("C\n"), kOut}, {QStringLiteral("25.0 \u00b0C\n"), kIn}}},
        {"rtf specials", {{QStringLiteral("a\\b {x} }{ \\\\"), kIn}, {QStringLiteral("{"), kOut}}},
        {"blanks after control words", {{QStringLiteral(" lead"), kOut}, {QStringLiteral("\n  two\t tab "), kIn}}},
        {"latin-1 and beyond", {{QStringLiteral("\u00b5\u00b0\u00e9\u00ff\u00a0"), kIn},
                                {QStringLiteral("\u20ac \u03a9 \u0080 \U0001F600"), kOther}}},
        {"control characters", {{QStringLiteral("\x02" "STX\x03\x1b"), kOut}}},
        {"empty lines", {{QStringLiteral("\n\n\nx\n"), kIn}}},
        {"three colours", {{QStringLiteral("a"), kIn}, {QStringLiteral("b"), kOut}, {QStringLiteral("c"), kOther},
                           {QStringLiteral("d"), kIn}}},
        {"digits after a colour switch", {{QStringLiteral("1"), kOut}, {QStringLiteral("23"), kIn}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray rtf = WriteRtf(Doc(c.runs));
        for (char b : rtf)
            ASSERT_LT(static_cast<unsigned char>(b), 0x80) << "RTF is 7-bit";
        const RtfDocument back = ReadRtf(rtf, 0x123456);
        EXPECT_EQ(back.runs, c.runs);
        EXPECT_EQ(back.font.name, QStringLiteral("MS Courier"));
        if (!c.runs.empty()) {
            EXPECT_EQ(back.font.pointSize, 9);
        }
    }

    // CR LF in a run is written as one line break.
    const RtfDocument crlf = ReadRtf(WriteRtf(Doc({{degreeMicro, kIn}})));
    EXPECT_EQ(crlf.PlainText(), QStringLiteral("25.0 \u00b0C 12.5 \u00b5S/cm\n"));

    // Font flags round-trip too.
    RtfDocument styled = Doc({{QStringLiteral("x"), kIn}});
    styled.font = {QStringLiteral("DejaVu Sans Mono"), 11, true, true, true, false};
    const RtfFont f = ReadRtf(WriteRtf(styled)).font;
    EXPECT_EQ(f.name, QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(f.pointSize, 11);
    EXPECT_TRUE(f.bold && f.italic && f.underline);
    EXPECT_FALSE(f.strikeout);
}

TEST(RtfText, WriterHeaderAndColourTable)
{
    const QByteArray rtf = WriteRtf(Doc({{QStringLiteral("P\n"), kOut}, {QStringLiteral("1.0\n"), kIn},
                                         {QStringLiteral("Q\n"), kOut}, {QStringLiteral("s"), SysColorWindow}}));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.trimmed().endsWith('}'));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0"));
    EXPECT_TRUE(rtf.contains("MS Courier;}}"));
    // Each colour once, in order of use, after the automatic entry; a system
    // colour is written as the plain colour it stands for.
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red255\\green0\\blue255;\\red0\\green0\\blue0;"
                             "\\red255\\green255\\blue255;}"));
    EXPECT_EQ(rtf.count("\\cf1 "), 2);
    EXPECT_EQ(rtf.count("\\cf2 "), 1);
    EXPECT_EQ(rtf.count("\\par\r\n"), 3);
    EXPECT_TRUE(rtf.contains("\\fs18"));
    EXPECT_TRUE(LooksLikeRtf(rtf));
    EXPECT_TRUE(LooksLikeRtf("\r\n {\\rtf1}"));
    EXPECT_FALSE(LooksLikeRtf("25.0 C\r\n"));
}

TEST(RtfText, ReadsOtherSimpleRtf)
{
    // The shape of a word processor's output: optional groups, a style sheet,
    // document info, a code-page character, Unicode with a fallback, and a
    // paragraph ended by a line break after the backslash.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff1\\uc1"
        "{\\fonttbl{\\f0\\froman Times;}{\\f1\\fmodern\\fprq1{\\*\\panose 02070309020205020404}Courier New;}}\n"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n"
        "{\\stylesheet{\\s0 Normal;}}{\\*\\generator Writer 7.4;}{\\info{\\title Capture}{\\author lab}}\n"
        "{\\*\\rsidtbl \\rsid1}\\pard\\plain \\f1\\fs20\\b "
        "{\\cf1 Out\\par}\n"
        "\\cf2 In \\'80 \\u937\\'3f\\~x\\tab y\\line z\\\n"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}"
        "{\\pict\\pngblip 89504e47}\\bin3 {}}"
        "{\\cf1 end}}trailing text after the document";
    const RtfDocument doc = ReadRtf(rtf, 0x777777);
    const std::vector<RtfRun> expected = {
        {QStringLiteral("Out\n"), MakeColor(255, 0, 0)},
        {QStringLiteral("In \u20ac \u03a9\u00a0x\ty\nz\nlink"), MakeColor(0, 0, 255)},
        {QStringLiteral("end"), MakeColor(255, 0, 0)},
    };
    EXPECT_EQ(doc.runs, expected);
    EXPECT_EQ(doc.font.name, QStringLiteral("Courier New"));
    EXPECT_EQ(doc.font.pointSize, 10);
    EXPECT_TRUE(doc.font.bold);

    // Text without a colour of its own, or with an index past the table.
    const RtfDocument plain = ReadRtf("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}a\\cf9 b\\cf1 c}", kOther);
    const std::vector<RtfRun> plainRuns = {{QStringLiteral("ab"), kOther}, {QStringLiteral("c"), MakeColor(1, 2, 3)}};
    EXPECT_EQ(plain.runs, plainRuns);

    // A ".rtf" file that is no RTF at all reads as plain text.
    const RtfDocument notRtf = ReadRtf("line 1\r\nline 2", kIn);
    ASSERT_EQ(notRtf.runs.size(), 1u);
    EXPECT_EQ(notRtf.runs[0].text, QStringLiteral("line 1\nline 2"));
}

TEST(RtfText, DamagedInputNeverCrashes)
{
    const RtfDocument full =
        Doc({{QStringLiteral("C\r\n"), kOut}, {QStringLiteral("25.0 \u00b0C {\\} \u20ac\n"), kIn},
             {QStringLiteral("x"), kOther}});
    const QByteArray rtf = WriteRtf(full);
    const QString fullText = ReadRtf(rtf).PlainText();

    // Cut anywhere after "{\rtf", the reader gives the text up to the cut;
    // only the last character may differ (a \uN cut inside its number).
    for (int n = 5; n <= rtf.size(); ++n) {
        QString text = ReadRtf(rtf.left(n)).PlainText();
        text.chop(1);
        ASSERT_TRUE(fullText.startsWith(text)) << "cut at " << n;
    }

    struct Case {
        const char* name;
        QByteArray data;
        const char* text; // nullptr: anything
    };
    const std::vector<Case> cases = {
        {"only the opening", "{\\rtf1", ""},
        {"lone backslash", "{\\rtf1 a\\", "a"},
        {"cut hex", "{\\rtf1 a\\'", "a"},
        {"bad hex", "{\\rtf1 a\\'zzb}", "azzb"},
        {"too many closings", "{\\rtf1 a}}}}b", "a"},
        {"huge numbers", "{\\rtf1\\u99999999999999999999?\\cf99999999999999 \\uc99999999 a\\fs-5 b}", nullptr},
        {"binary past the end", "{\\rtf1 a\\bin999999999 xyz", "a"},
        {"negative binary", "{\\rtf1 a\\bin-5 b}", "ab"},
        {"long control word", "{\\rtf1 " + QByteArray(100000, 'x').prepend('\\') + " a}", "a"},
        {"deep nesting", "{\\rtf1 " + QByteArray(200000, '{') + "a" + QByteArray(200000, '}') + "b}", "ab"},
        {"unclosed colour table", "{\\rtf1{\\colortbl;\\red300\\green-4", ""},
        {"unclosed font table", "{\\rtf1{\\fonttbl{\\f0 Courier", ""},
        {"NUL bytes", QByteArray("{\\rtf1 a\0b}", 10), "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RtfDocument doc = ReadRtf(c.data);
        if (c.text) {
            EXPECT_EQ(doc.PlainText(), QString::fromLatin1(c.text));
        }
    }
}

TEST(RtfText, PlainTextIsLatin1WithCrLf)
{
    EXPECT_EQ(WritePlainText(QStringLiteral("C\n25.0 \u00b0C\n\u00b5S")), QByteArray("C\r\n25.0 \xb0" "C\r\n\xb5S"));
    EXPECT_EQ(WritePlainText(QStringLiteral("a\r\nb")), QByteArray("a\r\nb")); // no doubled CR
    EXPECT_EQ(WritePlainText(QStringLiteral("\u20ac")), QByteArray("?"));
    EXPECT_EQ(ReadPlainText("a\r\nb\rc\nd\xb0\xb5"), QStringLiteral("a\nb\nc\nd\u00b0\u00b5"));
}
