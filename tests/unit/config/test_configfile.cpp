// The configuration file: values written and read back unchanged, every range
// rule of the reader, the section rules, graphs, broken files and a writer
// that never leaves a half-written file behind.

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "support/parserharness.h" // prints QString in failures

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Byte arrays compared as text, so that a failure shows the lines.
std::string Text(const QByteArray& bytes) { return bytes.toStdString(); }

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

ConfigInfo FixedInfo(QChar point = QLatin1Char('.'))
{
    ConfigInfo info;
    info.Date = QStringLiteral("Friday 3 May 2024");
    info.Time = QStringLiteral("10:11:12");
    info.System = QStringLiteral("labpc");
    info.User = QStringLiteral("ann");
    info.Version = QStringLiteral("1.2.3");
    info.DecimalPoint = point;
    return info;
}

// Every field of a graph, for comparing two graphs with a readable difference.
QString Dump(const GraphSettings& g)
{
    QStringList f;
    f << QString::number(g.GrafiekIndex) << QString::number(g.Top) << QString::number(g.Left)
      << QString::number(g.Height) << QString::number(g.Width) << QString::number(g.WindowState)
      << QString::number(g.Zichtbaar) << g.TitelWaardenas << QString::number(g.AutomatischeSchaal)
      << QString::number(g.GrafiekMinimum, 'g', 17) << QString::number(g.GrafiekMaximum, 'g', 17)
      << QString::number(g.AantalWaardenVerdelingen) << QString::number(g.AantalWaardenOnderverdelingen)
      << g.TitelTijdsas << QString::number(g.MaxGrafiekZichtbaar) << QString::number(g.AantalTijdVerdelingen)
      << QString::number(g.LabelKeuze) << g.Name << QString::number(g.LegendeKeuze) << QString::number(g.XYrecorder)
      << QString::number(g.AfdrukkenRecorder) << QString::number(g.AlarmHoog)
      << QString::number(g.AlarmHoogWaarde, 'g', 17) << QString::number(g.AlarmLaag)
      << QString::number(g.AlarmLaagWaarde, 'g', 17);
    for (int series = 1; series <= 18; ++series)
        f << QString::number(g.SeriesColour(series));
    for (int line = 1; line <= 16; ++line)
        for (int kind = 1; kind <= 4; ++kind)
            f << QString::number(g.LineRef(line, kind));
    return f.join(QLatin1Char('|'));
}

struct ConfigTest : testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("VAM.CFG"));
        Reset(state);
    }

    // The state the program starts from; a new configuration leaves the
    // settings dialog with intervals of at least one second.
    void Reset(AppState& s)
    {
        s = AppState();
        s.UserName = QStringLiteral("Ann Peeters");
        s.DocumentsFolder = dir.path();
        s.ApplyDefaults();
        ApplyDevice(s, s.DeviceName, 0);
        s.PollInterval = 1;
        s.LogInterval = 1;
    }

    QByteArray Write(const AppState& s, const ConfigLayout& l, QChar point = QLatin1Char('.'))
    {
        QString error;
        EXPECT_TRUE(WriteConfig(s, lang, l, path, FixedInfo(point), &error)) << error.toStdString();
        return ReadAll(path);
    }

    ConfigReadStatus Read(const QByteArray& bytes)
    {
        WriteAll(path, bytes);
        report = ConfigReport();
        return ReadConfig(state, lang, layout, path, &report);
    }

    QString Issues() const
    {
        QStringList all;
        for (const ConfigIssue& i : report.Issues)
            all << i.ToText();
        return all.join(QLatin1Char('\n'));
    }

    QTemporaryDir dir;
    QString path;
    AppState state;
    LanguageTable lang;
    ConfigLayout layout;
    ConfigReport report;
};

} // namespace

TEST(ConfigValues, Parsers)
{
    struct BoolCase {
        const char* text;
        bool value;
    } bools[] = {{"True", true}, {"False", false}, {" FALSE ", false}, {"faux", false}, {"Vals", false},
                 {"onwaar", false}, {"falsch", false}, {"unwahr", false}, {"falso", false}, {"0", false},
                 {"", true}, {"1", true}, {"-1", true}, {"Waar", true}, {"yes", true}, {"nonsense", true}};
    for (const BoolCase& c : bools) {
        EXPECT_EQ(ParseBool(QByteArrayView(c.text)), c.value) << c.text;
        EXPECT_EQ(ParseBool(QString::fromLatin1(c.text)), c.value) << c.text;
    }

    struct NumberCase {
        const char* text;
        qint64 integer;
        bool integerClean;
        double real;
        bool realClean;
    } numbers[] = {
        {"42", 42, true, 42, true},
        {" 4 2 ", 42, true, 42, true},          // blanks are ignored
        {"5-", -5, true, -5, true},             // a minus anywhere negates
        {"--5", -5, false, -5, false},
        {"+7", 7, true, 7, true},
        {"12abc", 12, false, 12, false},
        {"abc", 0, false, 0, false},
        {"", 0, false, 0, false},
        {"1,5", 1, false, 1.5, true},           // both decimal separators
        {"-0.25", 0, false, -0.25, true},
        {"1E-05", -1, false, 1e-5, true},       // an exponent's sign does not negate a real
        {"-2.5e3", -2, false, -2500, true},
        {"1.234e-03", -1, false, 0.001234, true}, // every exponent letter, as a meter's number is read
        {"1.234D-03", -1, false, 0.001234, true},
        {"2,5d2", 2, false, 250, true},
        {"1e", 1, false, 1, false},
        {"99999999999999999999999", 999999999999999LL, true, 1e23, true},
    };
    for (const NumberCase& c : numbers) {
        bool clean = false;
        EXPECT_EQ(ParseInteger(QString::fromLatin1(c.text), &clean), c.integer) << c.text;
        EXPECT_EQ(clean, c.integerClean) << c.text;
        EXPECT_DOUBLE_EQ(ParseReal(QString::fromLatin1(c.text), &clean), c.real) << c.text;
        EXPECT_EQ(clean, c.realClean) << c.text;
    }
    EXPECT_TRUE(std::isinf(ParseReal(u"1e999")));

    EXPECT_EQ(ClampToRange(4000, 1, 3599), 1) << "outside the range gives the minimum, not the nearest bound";
    EXPECT_EQ(ClampToRange(3599, 1, 3599), 3599);

    EXPECT_EQ(KeyOf(u"  Serial Port  =  COM3 = x "), QStringLiteral("serial port"));
    EXPECT_EQ(ValueOf(u"  Serial Port  =  COM3 = x "), QStringLiteral("COM3 = x"));
    EXPECT_EQ(KeyOf(u" (WINDOW) "), QStringLiteral("(window)"));

    // Reals: plain notation, and the same float when read back.
    struct RealCase {
        float value;
        const char* dot;
        const char* comma;
    } reals[] = {{0.5f, "0.5", "0,5"}, {-1.25f, "-1.25", "-1,25"}, {1e-5f, "0.00001", "0,00001"},
                 {12345678.f, "12345678", "12345678"}, {0.f, "0", "0"}, {1e20f, "100000000000000000000", nullptr}};
    for (const RealCase& c : reals) {
        EXPECT_EQ(FormatReal(c.value, true), QString::fromLatin1(c.dot));
        if (c.comma) {
            EXPECT_EQ(FormatReal(c.value, true, QLatin1Char(',')), QString::fromLatin1(c.comma));
        }
    }
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        quint32 bits = random.generate();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f))
            continue;
        const QString text = FormatReal(f, true, QLatin1Char(','));
        ASSERT_FALSE(text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) << text.toStdString();
        ASSERT_EQ(float(ParseReal(text)), f) << text.toStdString();
        const double d = double(f) * 1.000000123;
        ASSERT_EQ(ParseReal(FormatReal(d, false)), d);
    }
}

TEST(ConfigValues, Baudrate)
{
    EXPECT_EQ(NormalizeBaud(QStringLiteral("57600"), QStringLiteral("H262 USB")), QStringLiteral("19200"));
    EXPECT_EQ(NormalizeBaud(QStringLiteral("57600"), QStringLiteral("H262")), QStringLiteral("57600"));
    EXPECT_EQ(NormalizeBaud(QStringLiteral("230400"), QString()), QStringLiteral("2400"));
    EXPECT_EQ(NormalizeBaud(QStringLiteral("299"), QString()), QStringLiteral("2400"));
    EXPECT_EQ(NormalizeBaud(QStringLiteral("300"), QString()), QStringLiteral("300"));
}

TEST_F(ConfigTest, DefaultsWrittenReadAndWrittenAgainAreByteIdentical)
{
    const QByteArray first = Write(state, layout);
    ASSERT_EQ(Read(first), ConfigReadStatus::Read);
    EXPECT_TRUE(report.Issues.isEmpty()) << Issues().toStdString();
    EXPECT_EQ(Text(Write(state, layout)), Text(first));

    EXPECT_TRUE(first.startsWith("[INFO]\r\nFile = " + path.toLatin1() + "\r\nDate = Friday 3 May 2024\r\n"));
    EXPECT_TRUE(first.endsWith("[NOTE]\r\n\r\n[END NOTE]\r\n"));
    qsizetype at = 0;
    for (const char* header : {"[COMMUNICATION]", "[DEVICE]", "[LOG]", "[MAIN]", "[CHANNEL]", "[READINGS]",
                               "[TABLE]", "(COLUMNS)", "[TERMINAL]", "[PRINTER]", "[SYSTEM]", "[ARRANGE]",
                               "[COLORS]", "[NOTE]"}) {
        const qsizetype next = first.indexOf(QByteArray(header) + "\r\n", at);
        ASSERT_GT(next, at) << header << " missing or out of order";
        at = next;
    }
    EXPECT_TRUE(first.contains("ValueColorBackgroundInactive = -2147483633\r\n"));
    EXPECT_TRUE(first.contains("\r\nFontColor = 0\r\n(ALARM)\r\nAlarmLowTest = 0\r\nAlarmLowLimit = \r\n"));
    EXPECT_TRUE(first.contains("FontUnderline = 0\r\n[PRINTER]")) << "no FontColor for the terminal";
}

TEST_F(ConfigTest, EverySettingSurvivesAWriteAndARead)
{
    ApplyDevice(state, QStringLiteral("P6720"), 0);
    AppState& s = state;
    s.DeviceName = QStringLiteral("P6720");
    s.SerialPort = QStringLiteral("/dev/ttyUSB1");
    s.Baudrate = QStringLiteral("9600");
    s.PollValues = true;
    s.PollInterval = 3599;
    s.DeviceUnit = QStringLiteral("\u00B0F");
    s.RetainTableValues = false;
    s.LogFileName = QStringLiteral("X:\\meet data\\run = 1.vam");
    s.LogInterval = 86400;
    s.LimitToPoints = s.ConnectAtStart = s.LogAtStart = s.LoadFileAtStart = s.DatestampFileName = true;
    s.Points = 100;
    s.TableVisible = s.TerminalVisible = true;
    s.PrintFont = QStringLiteral("Courier New");
    s.PrintItalic = true;
    s.PrintOperator = QStringLiteral("Zo\u00EB");
    s.PrintDivision = QStringLiteral("line\r\nbreak");
    s.PrintSerial = QStringLiteral("S/N 12");
    s.OffsetTop = 1.27f;
    s.OffsetBottom = -0.5f;
    s.OffsetLeft = 2540.125f;
    s.OffsetRight = 1e-6f;
    s.PrintOrientation = 2;
    s.UsePrinter = -1;
    s.PrintAll = false;
    s.PrintSelection = s.PrintAlarmReport = true;
    s.SystemCompany = QStringLiteral("Lab \u00B5");
    s.FolderData = dir.filePath(QStringLiteral("data"));
    s.ManualWindowTile = true;
    s.ValuePerHorRow = 3;
    s.TerminalFactor = 0.333333f;
    s.GraphColorAxis = 0x123456;
    s.TableColorTextSpecial = 0xFFFFFFFF;
    s.TerminalFontName = QStringLiteral("DejaVu Sans Mono");
    s.TerminalFontSize = 11;
    s.TerminalFontBold = true;
    s.NoteText = QStringLiteral("first\r\n\r\n[END NOTE]\r\n[DEVICE]\nlast ");
    s.Channel(2).Name = QStringLiteral("Bath 2");
    s.Channel(3).Use = false;
    s.Channel(4).Value = false;
    s.Readings[1].AlarmLowLimit = QStringLiteral("-1,5");
    s.Readings[1].AlarmHighLimit = QStringLiteral("99");
    s.Readings[1].AlarmLowTest = s.Readings[1].AlarmHighAction = true;
    s.Readings[4].AlarmHighLimit = QStringLiteral("12"); // channel 4 has no value window
    s.Readings[4].AlarmHighTest = true;
    layout.Main = {2, 10.5f, 20, 9000, 12000};
    layout.Readings[1].Visible = false;
    layout.Readings[1].Window = {1, 300, 450, 1500, 3000};
    layout.Readings[1].ValueFont = {QStringLiteral("Arial Black"), 30.5f, true, true, true, true, 0x00FF00};
    layout.Readings[2].UnitFont.Color = SysColorButtonText;
    layout.Table.Window = {0, 15, 30, 4500, 6000};
    layout.Table.Font = {QStringLiteral("Tahoma"), 8.25f, false, true, false, false, 0xFF};
    layout.Table.ColumnWidths = {600, 1300, 1300, 900, 800, 0, 700};
    layout.Terminal.Window = {0, 1, 2, 3, 4};
    layout.Graphs[1].GrafiekIndex = 1;
    layout.Graphs[1].TitelWaardenas = QStringLiteral("\u00B5S/cm");

    const QByteArray first = Write(s, layout, QLatin1Char(','));
    EXPECT_TRUE(first.contains("OffsetTop = 1,27\r\n"));
    EXPECT_TRUE(first.contains("Unit = \xB0" "F\r\n")) << "Latin-1 on disk";
    EXPECT_TRUE(first.contains("Division = line break\r\n")) << "a value never spans lines";
    EXPECT_TRUE(first.contains("\r\n[END NOTE] \r\n[DEVICE]\r\n")) << "the note cannot end early";

    const AppState written = s;
    const ConfigLayout writtenLayout = layout;
    Reset(state);
    layout = ConfigLayout();
    ASSERT_EQ(Read(first), ConfigReadStatus::Read);
    EXPECT_TRUE(report.Issues.isEmpty()) << Issues().toStdString();
    EXPECT_EQ(Text(Write(state, layout, QLatin1Char(','))), Text(first)) << "everything written was read back";

    // Byte-identical output proves the rest; these are the values that change on the way.
    EXPECT_EQ(state.OffsetLeft, written.OffsetLeft) << "the same float, through a decimal comma";
    EXPECT_EQ(state.NoteText, QStringLiteral("first\r\n\r\n[END NOTE] \r\n[DEVICE]\r\nlast "));
    EXPECT_EQ(state.Readings[4].AlarmHighLimit, QStringLiteral("12")) << "limits outlive a closed value window";
    EXPECT_TRUE(state.Readings[4].AlarmHighTest);
    EXPECT_FALSE(state.Channel(4).Value);
    EXPECT_EQ(layout.Table.ColumnWidths.mid(0, 7), writtenLayout.Table.ColumnWidths);
    EXPECT_EQ(layout.Table.ColumnWidths.size(), 3 + 12 * 2 + 1) << "every column of the table is written";
    EXPECT_FALSE(state.ConfigChanged);
    EXPECT_EQ(state.ConfigFileTitle, path);
}

// One rule per row: a small file, the value it must give, and whether the
// reader must report the line.
TEST_F(ConfigTest, EachValueIsReadByItsRule)
{
    using Get = std::function<QString(const AppState&, const ConfigLayout&)>;
    const auto n = [](qint64 v) { return QString::number(v); };
    const Get port = [](const AppState& s, const ConfigLayout&) { return s.SerialPort; };
    const Get baud = [](const AppState& s, const ConfigLayout&) { return s.Baudrate; };
    const Get language = [n](const AppState& s, const ConfigLayout&) { return n(s.LanguageIndex); };
    const Get device = [](const AppState& s, const ConfigLayout&) { return s.DeviceName; };
    const Get poll = [n](const AppState& s, const ConfigLayout&) { return n(s.PollValues); };
    const Get pollInterval = [n](const AppState& s, const ConfigLayout&) { return n(s.PollInterval); };
    const Get logInterval = [n](const AppState& s, const ConfigLayout&) { return n(s.LogInterval); };
    const Get points = [n](const AppState& s, const ConfigLayout&) { return n(s.Points); };
    const Get offset = [](const AppState& s, const ConfigLayout&) { return FormatReal(s.OffsetTop, true); };
    const Get orientation = [n](const AppState& s, const ConfigLayout&) { return n(s.PrintOrientation); };
    const Get factor = [](const AppState& s, const ConfigLayout&) { return FormatReal(s.ValueFactorHor, true); };
    const Get colour = [n](const AppState& s, const ConfigLayout&) { return n(s.TerminalColorOut); };
    const Get folder = [](const AppState& s, const ConfigLayout&) { return QDir(s.FolderData).dirName(); };
    const Get status = [n](const AppState&, const ConfigLayout& l) { return n(l.Main.Status); };
    const Get height = [](const AppState&, const ConfigLayout& l) { return FormatReal(l.Main.Height, true); };
    const Get fontSize = [](const AppState&, const ConfigLayout& l) { return FormatReal(l.Table.Font.Size, true); };
    const Get logFile = [](const AppState& s, const ConfigLayout&) { return s.LogFileName; };

    struct Case {
        const char* file;
        Get get;
        const char* expected;
        bool reported;
    } cases[] = {
        {"[COMMUNICATION]\r\nSerial Port = COM0", port, "COM1", true},
        {"[COMMUNICATION]\r\nSerial Port = COM256", port, "COM1", true},
        {"[COMMUNICATION]\r\nserial port= com3 ", port, "COM3", false},
        {"[COMMUNICATION]\r\nSerial Port = ", port, "COM1", true},
        {"[COMMUNICATION]\r\nSerial Port = /dev/ttyUSB0", port, "/dev/ttyUSB0", false},
        {"[COMMUNICATION]\r\nSerial Port = /dev/pts/7 ", port, "/dev/pts/7", false},
        {"[COMMUNICATION]\r\nSerial Port = COM-3", port, "COM1", true},
        {"[COMMUNICATION]\r\nBaudrate = 200000", baud, "2400", true},
        {"[COMMUNICATION]\r\nBaudrate = 9600 baud", baud, "9600", true},
        {"[COMMUNICATION]\r\nBaudrate = 57600\r\n[DEVICE]\r\nDevice = H262 USB", baud, "19200", false},
        {"\xEF\xBB\xBF[COMMUNICATION]\r\nBaudrate = 4800", baud, "4800", false}, // an editor's byte-order mark
        {"[COMMUNICATION]\r\nLanguage = Fran\xE7" "ais", language, "1", false},
        {"[COMMUNICATION]\r\nLanguage = nederlands", language, "0", true},
        {"[DEVICE]\r\nDevice = n505", device, "N505", false},
        {"[DEVICE]\r\nDevice = k231", device, "K231", false},
        {"[DEVICE]\r\nDevice = K23", device, "K231", true},
        {"[DEVICE]\r\nDevice = Q999", device, "J7010", true}, // the previous model is kept
        {"[DEVICE]\r\nDevice = ", device, "", false},
        {"[DEVICE]\r\nPoll values = yes", poll, "1", true},
        {"[DEVICE]\r\nPoll values =", poll, "1", true},
        {"[DEVICE]\r\nPoll values = Faux", poll, "0", false},
        {"[DEVICE]\r\nInterval = 0", pollInterval, "1", true},
        {"[DEVICE]\r\nInterval = 4000", pollInterval, "1", true},
        {"[DEVICE]\r\nInterval = 99999999999999999999999", pollInterval, "1", true},
        {"[DEVICE]\r\nInterval = 3599", pollInterval, "3599", false},
        {"[LOG]\r\nInterval = 86401", logInterval, "1", true},
        {"[LOG]\r\nPoints = 50", points, "30000", true},
        {"[LOG]\r\nPoints = 30001", points, "30000", true},
        {"[LOG]\r\nPoints = 100", points, "100", false},
        {"[LOG]\r\nLimitToPoints = 1", points, "100", false}, // no points key: 100
        {"[PRINTER]\r\nOffsetTop = 1,5", offset, "1.5", false},
        {"[PRINTER]\r\nOffsetTop = 1e99", offset, "0", true},
        {"[PRINTER]\r\nOrientation = 70000", orientation, "1", true},
        {"[ARRANGE]\r\nValueFactorHor = abc", factor, "0", true},
        {"[COLORS]\r\nTerminalColorOut = -2147483633", colour, "2147483663", false},
        {"[COLORS]\r\nterminalcolorout = 4294967295", colour, "4294967295", false},
        {"[COLORS]\r\nTerminalColorOut = 99999999999", colour, "16711935", true},
        {"[SYSTEM]\r\nFolder Data = X:\\VAM\\Data", folder, "Data", true},
        {"[SYSTEM]\r\nFolder Data = ", folder, "Data", false},
        {"[MAIN]\r\n(WINDOW)\r\nStatus = 7", status, "0", true},
        {"[MAIN]\r\n(WINDOW)\r\nStatus = 1", status, "0", false},
        {"[MAIN]\r\n(WINDOW)\r\nStatus = 2\r\nHeight = 200", height, "200", false},
        {"[TABLE]\r\nVisible = 1\r\n(FONT)\r\nFontSize = 0", fontSize, "10", true},
        {"[TABLE]\r\nVisible = 1\r\n(WINDOW)\r\n(FONT)\r\nFontSize = 7,5", fontSize, "7.5", false},
    };
    for (const Case& c : cases) {
        Reset(state);
        layout = ConfigLayout();
        ASSERT_EQ(Read(QByteArray(c.file) + "\r\n"), ConfigReadStatus::Read) << c.file;
        EXPECT_EQ(c.get(state, layout), QString::fromLatin1(c.expected)) << c.file;
        EXPECT_EQ(!report.Issues.isEmpty(), c.reported) << c.file << "\n" << Issues().toStdString();
    }

    // The command line outranks the file: its port, and its data file.
    Reset(state);
    state.StartPort = QStringLiteral("COM5");
    state.CommandLineFile = true;
    state.LogFileName = QStringLiteral("given.vam");
    Read("[COMMUNICATION]\r\nSerial Port = COM9\r\n[LOG]\r\nFileName = other.vam\r\n");
    EXPECT_EQ(port(state, layout), QStringLiteral("COM5"));
    EXPECT_EQ(logFile(state, layout), QStringLiteral("given.vam"));
}

// Section-level rules, each on a small file.
TEST_F(ConfigTest, SectionRules)
{
    // Unknown sections and keys, [INFO], case-insensitive keys and headers.
    Read("[INFO]\r\nFile = x\r\n[WHATEVER]\r\nPoints = 5000\r\n[log]\r\n  POINTS=5000  \r\nColour = 3\r\n");
    EXPECT_EQ(state.Points, 5000);
    EXPECT_TRUE(report.Issues.isEmpty()) << Issues().toStdString();

    // A section that leaves out its window and font parts does not swallow
    // the next section's header.
    Read("[TABLE]\r\nVisible = 1\r\n(WINDOW)\r\nStatus = 0\r\n[TERMINAL]\r\nVisible = 1\r\n[LOG]\r\nPoints = 777\r\n");
    EXPECT_TRUE(state.TableVisible);
    EXPECT_TRUE(state.TerminalVisible);
    EXPECT_EQ(state.Points, 777);

    // [READINGS] before any [CHANNEL] is ignored, and so are its alarm keys.
    Read("[DEVICE]\r\nDevice = A102\r\n[READINGS]\r\nVisible = 0\r\nAlarmLowTest = 1\r\n");
    EXPECT_FALSE(state.Readings[1].AlarmLowTest);
    EXPECT_TRUE(layout.Readings[1].Visible);

    // Channel keys go to the indexed channel; indexes beyond the device are ignored.
    Read("[DEVICE]\r\nDevice = A102\r\n[CHANNEL]\r\nIndex = 2\r\nName = Right\r\n[READINGS]\r\nVisible = 0\r\n"
         "(WINDOW)\r\nTop = 30\r\n(FONT)\r\nFontName = Serif\r\n(FONT)\r\nFontColor = 255\r\n(ALARM)\r\n"
         "AlarmHighLimit = 7,5 \r\nAlarmHighTest = 1\r\n[CHANNEL]\r\nIndex = 9\r\nName = Nine\r\nIndex = 17\r\n"
         "Name = X\r\n");
    EXPECT_EQ(state.Channel(2).Name, QStringLiteral("Right"));
    EXPECT_FALSE(layout.Readings[2].Visible);
    EXPECT_EQ(layout.Readings[2].Window.Top, 30.f);
    EXPECT_EQ(layout.Readings[2].ValueFont.Name, QStringLiteral("Serif"));
    EXPECT_EQ(layout.Readings[2].UnitFont.Color, 255u);
    EXPECT_EQ(state.Readings[2].AlarmHighLimit, QStringLiteral("7,5"));
    EXPECT_TRUE(state.Readings[2].AlarmHighTest);
    EXPECT_EQ(state.ChannelCount, 2);
    EXPECT_EQ(report.Issues.size(), 2) << Issues().toStdString();

    // A [TABLE] section that does not begin with Visible leaves the table alone.
    layout.Table.Window.Top = 123;
    state.TableVisible = true;
    Read("[TABLE]\r\n(WINDOW)\r\nTop = 5\r\nVisible = 0\r\n");
    EXPECT_EQ(layout.Table.Window.Top, 123.f);
    EXPECT_TRUE(state.TableVisible);

    // Column widths stop at the table's last column.
    Read("[DEVICE]\r\nDevice = A101\r\n[TABLE]\r\nVisible = 0\r\n(COLUMNS)\r\nColWidth = 1\r\nColWidth = 2\r\n"
         "ColWidth = 3\r\nColWidth = 4\r\nColWidth = 5\r\nColWidth = 6\r\nColWidth = 7\r\nColWidth = 8\r\n"
         "ColWidth = 9\r\n");
    EXPECT_EQ(state.TableColumnCount, 7) << "two channels: number, date, time, value and unit twice, info";
    EXPECT_EQ(layout.Table.ColumnWidths, QList<qint32>({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(report.Issues.size(), 1) << Issues().toStdString();

    // The terminal section sets the terminal font settings, never its colour.
    Read("[TERMINAL]\r\nVisible = 1\r\n(FONT)\r\nFontName = Mono\r\nFontSize = 12,4\r\nFontColor = 255\r\n");
    EXPECT_TRUE(state.TerminalVisible);
    EXPECT_EQ(state.TerminalFontName, QStringLiteral("Mono"));
    EXPECT_EQ(state.TerminalFontSize, 12);
    EXPECT_EQ(state.TerminalFontColor, 0u);
    Read("[TERMINAL]\r\n(WINDOW)\r\n");
    EXPECT_FALSE(state.TerminalVisible);

    // A note without its closing line takes the rest of the file.
    Reset(state);
    Read("[NOTE]\r\nline 1\r\n[DEVICE]\r\nDevice = Q\r\n");
    EXPECT_EQ(state.NoteText, QStringLiteral("line 1\r\n[DEVICE]\r\nDevice = Q"));
    EXPECT_EQ(state.DeviceName, QStringLiteral("J7010"));

    // Reading resets Points, GraphCount and LogCount and clears ConfigChanged.
    state.LogCount = 55;
    state.ConfigChanged = true;
    Read("");
    EXPECT_EQ(state.Points, 100);
    EXPECT_EQ(state.LogCount, 0);
    EXPECT_FALSE(state.ConfigChanged);
}

TEST_F(ConfigTest, SixteenGraphsSurviveARoundTrip)
{
    for (int k = 1; k <= 16; ++k) {
        GraphSettings& g = layout.Graphs[size_t(k)];
        g.GrafiekIndex = qint16(k);
        g.Top = 15.f * k;
        g.Left = 0.5f * k;
        g.Height = 3000 + k;
        g.Width = 4000.25f;
        g.WindowState = qint16(k % 3);
        g.Zichtbaar = k % 2;
        g.TitelWaardenas = QStringLiteral("pH \u00B0C %1").arg(k);
        g.AutomatischeSchaal = k % 3 == 0;
        g.GrafiekMinimum = -123.456789012345 * k;
        g.GrafiekMaximum = 1e-7 * k;
        g.AantalWaardenVerdelingen = qint16(k);
        g.AantalWaardenOnderverdelingen = qint16(21 - k);
        g.TitelTijdsas = QStringLiteral("t = %1").arg(k);
        g.MaxGrafiekZichtbaar = qint16(50 + 1000 * k);
        g.AantalTijdVerdelingen = qint16(k);
        g.LabelKeuze = qint16(k % 4);
        g.Name = k % 2 ? QStringLiteral("Graph %1").arg(k) : QStringLiteral("XY-recorder");
        g.LegendeKeuze = g.XYrecorder = k % 2 == 0;
        g.AfdrukkenRecorder = k > 8;
        g.AlarmHoog = true;
        g.AlarmHoogWaarde = 99.5 + k;
        g.AlarmLaagWaarde = -0.001 * k;
        g.AlarmHoogKleur = SysColorWindowText;
        for (int line = 1; line <= 16; ++line) {
            g.SetLineRef(line, 1, qint16((line + k) % 33));
            g.SetLineRef(line, 2 + line % 3, 1);
            g.SetSeriesColour(line + 2, MakeColor(line * 15, k * 15, 7));
        }
    }
    state.GraphCount = 16;
    const ConfigLayout written = layout;
    const QByteArray first = Write(state, layout, QLatin1Char(','));
    EXPECT_TRUE(first.contains("[GRAPHICS]\r\n(WINDOW)\r\nTop=15\r\nLeft=0,5\r\n"));
    EXPECT_TRUE(first.contains("\r\nPrint Recorder=0\r\n\r\n(ALARM HIGH)\r\nSet=1\r\nValue=100,5\r\nColour=-2147483640\r\n"));
    EXPECT_TRUE(first.contains("\r\n\r\n(LINE) = 16\r\nInput="));

    layout = ConfigLayout();
    ASSERT_EQ(Read(first), ConfigReadStatus::Read);
    EXPECT_TRUE(report.Issues.isEmpty()) << Issues().toStdString();
    EXPECT_EQ(state.GraphCount, 16);
    EXPECT_EQ(state.ActiveGraph, 16);
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(Dump(layout.Graphs[size_t(k)]), Dump(written.Graphs[size_t(k)])) << "graph " << k;
    EXPECT_EQ(Text(Write(state, layout, QLatin1Char(','))), Text(first));

    // A removed graph leaves its slot empty: the others are written in order
    // and come back in consecutive slots.
    layout.Graphs[3].GrafiekIndex = 0;
    ASSERT_EQ(Read(Write(state, layout)), ConfigReadStatus::Read);
    EXPECT_EQ(state.GraphCount, 15);
    EXPECT_EQ(layout.Graphs[3].Name, written.Graphs[4].Name);
    EXPECT_EQ(layout.Graphs[16].GrafiekIndex, 0);

    // A seventeenth graph section is reported and left out.
    const qsizetype begin = first.indexOf("[GRAPHICS]");
    const QByteArray graph = first.mid(begin, first.indexOf("[GRAPHICS]", begin + 1) - begin);
    ASSERT_EQ(Read(first + graph), ConfigReadStatus::Read);
    EXPECT_EQ(state.GraphCount, 16);
    EXPECT_EQ(report.Issues.size(), 1) << Issues().toStdString();
}

TEST_F(ConfigTest, GraphValuesAreKeptInTheirRanges)
{
    Read("[GRAPHICS]\r\n(TIME AXIS)\r\nNo of points=10\r\nDivisions=25\r\nLabel=9\r\n(VALUE AXIS)\r\n"
         "Divisions=0\r\nMin=abc\r\n(LINE) = 17\r\nInput=3\r\n(LINE) = 2\r\nInput=40\r\nMean=1\r\n(END)\r\n"
         "[GRAPHICS]\r\n(TIME AXIS)\r\nNo of points=40000\r\n(WINDOW)\r\nWindowstate=5\r\n");
    const GraphSettings& g = layout.Graphs[1];
    EXPECT_EQ(g.MaxGrafiekZichtbaar, 50);
    EXPECT_EQ(g.AantalTijdVerdelingen, 20);
    EXPECT_EQ(g.LabelKeuze, 0);
    EXPECT_EQ(g.AantalWaardenVerdelingen, 1);
    EXPECT_EQ(g.GrafiekMinimum, 0.0);
    EXPECT_EQ(g.LineRef(1, 1), 0) << "line 17 selects line 0, which takes nothing";
    EXPECT_EQ(g.LineRef(2, 1), 0);
    EXPECT_EQ(g.LineRef(2, 4), 1);
    EXPECT_EQ(layout.Graphs[2].MaxGrafiekZichtbaar, 30000);
    EXPECT_EQ(layout.Graphs[2].WindowState, 0);
    EXPECT_EQ(state.GraphCount, 2);
    EXPECT_EQ(report.Issues.size(), 9) << Issues().toStdString();
}

TEST_F(ConfigTest, HostileFilesReadWithoutHarm)
{
    // A complete file with every value replaced by something malformed.
    layout.Graphs[1].GrafiekIndex = 1;
    layout.Graphs[2].GrafiekIndex = 2;
    state.GraphCount = 2;
    const QList<QByteArray> lines = Write(state, layout).split('\n');
    const QByteArray hostile[] = {"", "-", "--1--", "99999999999999999999999999", "1e999", "-1e-999", "abc",
                                  "=", QByteArray("\xFF\xFE\x00\x01", 4), "0x10", " , ", QByteArray(10000, '9'),
                                  "-2147483649", "65536", "NaN", "inf"};
    for (const QByteArray& value : hostile) {
        QByteArray file;
        for (QByteArray line : lines) {
            const qsizetype eq = line.indexOf('=');
            if (!line.startsWith('[') && eq >= 0)
                line = line.left(eq + 1) + value + "\r";
            file += line + "\n";
        }
        Reset(state);
        layout = ConfigLayout();
        ASSERT_EQ(Read(file), ConfigReadStatus::Read) << value.constData();
        // What the writer makes of it is clean and stable.
        const QByteArray rewritten = Write(state, layout);
        ASSERT_EQ(Read(rewritten), ConfigReadStatus::Read);
        EXPECT_TRUE(report.Issues.isEmpty()) << value.left(20).constData() << "\n" << Issues().toStdString();
        EXPECT_EQ(Text(Write(state, layout)), Text(rewritten)) << value.left(20).constData();
    }

    // Random bytes, and a line far longer than any value.
    QRandomGenerator random(11);
    for (int i = 0; i < 50; ++i) {
        QByteArray noise(int(random.bounded(5000)), Qt::Uninitialized);
        for (char& c : noise)
            c = char(random.bounded(256));
        Read("[DEVICE]\r\n" + noise + "\r\n[TABLE]\r\n" + noise);
    }
    ASSERT_EQ(Read("[SYSTEM]\r\nName = " + QByteArray(300000, 'x') + "\r\nCompany = Velmark\r\n"),
              ConfigReadStatus::Read);
    EXPECT_GT(state.SystemUser.size(), 60000);
    EXPECT_LE(state.SystemUser.size(), 64 * 1024);
    EXPECT_EQ(state.SystemCompany, QStringLiteral("Velmark"));
    EXPECT_EQ(report.Issues.size(), 1) << Issues().toStdString();
}

TEST_F(ConfigTest, ATruncatedFileKeepsWhatWasRead)
{
    state.PollInterval = 77;
    state.LogFileName = QStringLiteral("kept.vam");
    state.PrintFont = QStringLiteral("Garamond");
    state.NoteText = QStringLiteral("a\r\nb");
    layout.Graphs[1].GrafiekIndex = 1;
    layout.Graphs[1].TitelTijdsas = QStringLiteral("time");
    state.GraphCount = 1;
    const QByteArray full = Write(state, layout);

    struct Cut {
        const char* after; // the file ends right after this text
        int pollInterval;
        const char* logFile;
        int graphs;
        const char* printFont;
        const char* note;
    } cuts[] = {
        {"Interval = 77\r\n", 77, "", 0, "Arial", ""},
        {"FileName = kep", 77, "kep", 0, "Arial", ""},
        {"(TIME AXIS)\r\nTitle=time\r\n", 77, "kept.vam", 1, "Arial", ""},
        {"Font = Garamond\r\n", 77, "kept.vam", 1, "Garamond", ""},
        {"[NOTE]\r\na\r\n", 77, "kept.vam", 1, "Garamond", "a"},
    };
    for (const Cut& c : cuts) {
        const qsizetype end = full.indexOf(c.after) + qsizetype(qstrlen(c.after));
        ASSERT_GT(end, qsizetype(qstrlen(c.after))) << c.after;
        Reset(state);
        state.NoteText.clear();
        layout = ConfigLayout();
        ASSERT_EQ(Read(full.left(end)), ConfigReadStatus::Read) << c.after;
        EXPECT_EQ(state.PollInterval, c.pollInterval) << c.after;
        EXPECT_EQ(state.LogFileName, QString::fromLatin1(c.logFile)) << c.after;
        EXPECT_EQ(state.GraphCount, c.graphs) << c.after;
        EXPECT_EQ(state.PrintFont, QString::fromLatin1(c.printFont)) << c.after;
        EXPECT_EQ(state.NoteText, QString::fromLatin1(c.note)) << c.after;
    }
    EXPECT_EQ(layout.Graphs[1].TitelTijdsas, QStringLiteral("time"));
}

TEST_F(ConfigTest, MissingOrUnopenableFiles)
{
    state.Points = 30000;
    state.GraphCount = 3;
    EXPECT_EQ(ReadConfig(state, lang, layout, dir.filePath(QStringLiteral("none.CFG"))), ConfigReadStatus::NoFile);
    EXPECT_EQ(state.Points, 100);
    EXPECT_EQ(state.GraphCount, 0);

    // A folder in its place: nothing is changed, and no new set-up replaces it.
    state.Points = 30000;
    ConfigReport r;
    EXPECT_EQ(ReadConfig(state, lang, layout, dir.path(), &r), ConfigReadStatus::OpenFailed);
    EXPECT_EQ(state.Points, 30000);
    EXPECT_FALSE(r.Error.isEmpty());
}

TEST_F(ConfigTest, AFailedWriteLeavesTheOldFileIntact)
{
    const QByteArray old = Write(state, layout);
    state.NoteText = QString(100000, QLatin1Char('n'));
    const auto onlyTheOldFile = [&] {
        EXPECT_EQ(Text(ReadAll(path)), Text(old));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("VAM.CFG")}));
    };

    // The disk fills up halfway through the new file.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 50000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = WriteConfig(state, lang, layout, path, FixedInfo(), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    onlyTheOldFile();

    // A folder that cannot be written to.
    EXPECT_FALSE(WriteConfig(state, lang, layout, dir.filePath(QStringLiteral("no/such/VAM.CFG")), FixedInfo()));
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
        EXPECT_FALSE(SaveConfiguration(state, lang, layout, path, &error));
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        onlyTheOldFile();
    }

    state.ConfigChanged = true;
    EXPECT_TRUE(SaveConfiguration(state, lang, layout, path, &error)) << error.toStdString();
    EXPECT_FALSE(state.ConfigChanged);
    EXPECT_EQ(state.ConfigFileTitle, path);
}
