#include "core/config/configfile.h"

#include "core/model/appstate.h"
#include "core/config/configlayout.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTime>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

const QString kEndNote = QStringLiteral("[END NOTE]");
// Devices of the P651 family store their temperature unit and table option.
const QString kUserUnitModels = QStringLiteral("P651P652P671P672P6710P6720");
// Longer lines are cut: no key or value comes near this, and a broken or
// hostile file must not make the reader hold an endless line.
constexpr qint64 kMaxLineBytes = 64 * 1024;
constexpr qint64 kIntegerCeiling = 999999999999999LL; // beyond every range the file uses
constexpr double kFontSizeMin = 1, kFontSizeMax = 1638;

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Highest column index of the table grid for the current device.
int TableColumnCountFor(const AppState& s)
{
    LogTable table;
    table.SetLayout(s);
    return table.InfoColumn();
}

// The words ParseBool reads as true besides "anything else": what this and
// earlier writers and hand edits put there on purpose.
bool IsPlainBool(QStringView text)
{
    static const QStringList kTrue = {QStringLiteral("1"),    QStringLiteral("-1"),   QStringLiteral("true"),
                                      QStringLiteral("vrai"), QStringLiteral("waar"), QStringLiteral("wahr"),
                                      QStringLiteral("vero"), QStringLiteral("verdadero")};
    return !ParseBool(text) || kTrue.contains(text.trimmed().toString(), Qt::CaseInsensitive);
}

QString FixedDigits(double v, int digits)
{
    const int exponent = int(std::floor(std::log10(std::fabs(v))));
    if (exponent >= digits) // round away the digits left of the point too
        v = QString::number(v, 'e', digits - 1).toDouble();
    QString text = QString::number(v, 'f', std::max(0, digits - 1 - exponent));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

using ColourKey = std::pair<const char*, ColorValue AppSettings::*>;
// The seventeen colours in file order (the graph background before its axis).
const std::array<ColourKey, 17>& ColourKeys()
{
    static const std::array<ColourKey, 17> keys = {{
        {"TerminalColorOut", &AppSettings::TerminalColorOut},
        {"TerminalColorIn", &AppSettings::TerminalColorIn},
        {"TerminalColorBackground", &AppSettings::TerminalColorBackground},
        {"ValueColorForeground", &AppSettings::ValueColorForeground},
        {"ValueColorBackgroundActive", &AppSettings::ValueColorBackgroundActive},
        {"ValueColorBackgroundInactive", &AppSettings::ValueColorBackgroundInactive},
        {"ValueColorOverrange", &AppSettings::ValueColorOverrange},
        {"ValueColorAlarmHigh", &AppSettings::ValueColorAlarmHigh},
        {"ValueColorAlarmLow", &AppSettings::ValueColorAlarmLow},
        {"UnitColorForeground", &AppSettings::UnitColorForeground},
        {"UnitColorBackground", &AppSettings::UnitColorBackground},
        {"GraphColorForeground", &AppSettings::GraphColorForeground},
        {"GraphColorBackground", &AppSettings::GraphColorBackground},
        {"GraphColorAxis", &AppSettings::GraphColorAxis},
        {"TableColorForeground", &AppSettings::TableColorForeground},
        {"TableColorBackground", &AppSettings::TableColorBackground},
        {"TableColorTextSpecial", &AppSettings::TableColorTextSpecial},
    }};
    return keys;
}

// ---------------------------------------------------------------- writer

class Writer {
public:
    explicit Writer(QChar decimalPoint) : point_(decimalPoint == QLatin1Char(',') ? decimalPoint : QLatin1Char('.')) {}

    void Line(const QString& text)
    {
        out_ += text.toLatin1();
        out_ += "\r\n";
    }
    // Main-section keys: "Key = value". A value never spans lines: a line
    // break inside it would end the value and start a line of its own.
    void Text(const char* key, const QString& value) { Put(key, " = ", OneLine(value)); }
    void Bool(const char* key, bool value) { Text(key, value ? QStringLiteral("1") : QStringLiteral("0")); }
    void Int(const char* key, qint64 value) { Text(key, QString::number(value)); }
    void Real(const char* key, float value) { Text(key, FormatReal(double(value), true, point_)); }
    void Colour(const char* key, ColorValue value) { Int(key, qint32(value)); }

    // Graph-section keys: "Key=value".
    void GText(const char* key, const QString& value) { Put(key, "=", OneLine(value)); }
    void GBool(const char* key, bool value) { GText(key, value ? QStringLiteral("1") : QStringLiteral("0")); }
    void GInt(const char* key, qint64 value) { GText(key, QString::number(value)); }
    void GReal(const char* key, float value) { GText(key, FormatReal(double(value), true, point_)); }
    void GDouble(const char* key, double value) { GText(key, FormatReal(value, false, point_)); }
    void GColour(const char* key, ColorValue value) { GInt(key, qint32(value)); }

    void Window(const WindowPlacement& w)
    {
        Line(QStringLiteral("(WINDOW)"));
        Int("Status", w.Status);
        Real("Top", w.Top);
        Real("Left", w.Left);
        Real("Height", w.Height);
        Real("Width", w.Width);
    }
    void Font(const FontSpec& f, bool withColour)
    {
        Line(QStringLiteral("(FONT)"));
        Text("FontName", f.Name);
        Real("FontSize", f.Size);
        Bool("FontBold", f.Bold);
        Bool("Fontitalic", f.Italic);
        Bool("FontStrikethrough", f.Strikethrough);
        Bool("FontUnderline", f.Underline);
        if (withColour)
            Colour("FontColor", f.Color);
    }

    QByteArray Result() const { return out_; }

private:
    static QString OneLine(QString value)
    {
        value.replace(QLatin1String("\r\n"), QLatin1String(" "));
        value.replace(QLatin1Char('\r'), QLatin1Char(' '));
        value.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return value;
    }
    void Put(const char* key, const char* separator, const QString& value)
    {
        out_ += key;
        out_ += separator;
        out_ += value.toLatin1();
        out_ += "\r\n";
    }

    QChar point_;
    QByteArray out_;
};

void WriteGraph(Writer& w, const GraphSettings& g)
{
    w.Line(QStringLiteral("[GRAPHICS]"));
    w.Line(QStringLiteral("(WINDOW)"));
    w.GReal("Top", g.Top);
    w.GReal("Left", g.Left);
    w.GReal("Height", g.Height);
    w.GReal("Width", g.Width);
    w.GInt("Windowstate", g.WindowState);
    w.GBool("Visible", g.Zichtbaar);
    w.Line(QString());
    w.Line(QStringLiteral("(VALUE AXIS)"));
    w.GText("Title", g.TitelWaardenas);
    w.GBool("Autoscale", g.AutomatischeSchaal);
    w.GDouble("Min", g.GrafiekMinimum);
    w.GDouble("Max", g.GrafiekMaximum);
    w.GInt("Divisions", g.AantalWaardenVerdelingen);
    w.GInt("Subdivisions", g.AantalWaardenOnderverdelingen);
    w.Line(QString());
    w.Line(QStringLiteral("(TIME AXIS)"));
    w.GText("Title", g.TitelTijdsas);
    w.GInt("No of points", g.MaxGrafiekZichtbaar);
    w.GInt("Divisions", g.AantalTijdVerdelingen);
    w.GInt("Label", g.LabelKeuze);
    w.Line(QString());
    w.Line(QStringLiteral("(MISCELLANEA)"));
    w.GText("Name", g.Name);
    w.GBool("Legend", g.LegendeKeuze);
    w.GBool("XY Recorder", g.XYrecorder);
    w.GBool("Print Recorder", g.AfdrukkenRecorder);
    w.Line(QString());
    w.Line(QStringLiteral("(ALARM HIGH)"));
    w.GBool("Set", g.AlarmHoog);
    w.GDouble("Value", g.AlarmHoogWaarde);
    w.GColour("Colour", g.AlarmHoogKleur);
    w.Line(QString());
    w.Line(QStringLiteral("(ALARM LOW)"));
    w.GBool("Set", g.AlarmLaag);
    w.GDouble("Value", g.AlarmLaagWaarde);
    w.GColour("Colour", g.AlarmLaagKleur);
    for (int n = 1; n <= kMaxLinesPerGraph; ++n) {
        const GraphLine& l = g.Lines[size_t(n)];
        w.Line(QString());
        w.Line(QStringLiteral("(LINE) = ") + QString::number(n));
        w.GInt("Input", l.Input);
        w.GColour("Colour", l.Colour);
        w.GInt("Min", l.ShowMin);
        w.GInt("Max", l.ShowMax);
        w.GInt("Mean", l.ShowMean);
    }
    w.Line(QString());
    w.Line(QStringLiteral("(END)"));
}

// ---------------------------------------------------------------- reader

class Reader {
public:
    Reader(AppState& s, LanguageTable& lang, ConfigLayout& layout, QFile& file, ConfigReport* report)
        : s_(s), lang_(lang), l_(layout), file_(file), report_(report)
    {
    }

    // False when reading broke off on an input error.
    bool Run()
    {
        Advance();
        while (!AtEnd()) {
            const QString header = line_.toUpper();
            if (IsSectionHeader(header)) {
                section_ = header;
                sectionLine_ = lineNo_;
            }
            if (header == QLatin1String("[COMMUNICATION]"))
                ReadKeys([this](const QString& k, const QString& v) { Communication(k, v); });
            else if (header == QLatin1String("[DEVICE]")) {
                ReadKeys([this](const QString& k, const QString& v) { Device(k, v); });
                if (!failed_)
                    ApplyDevice(s_, s_.DeviceName, NowDays());
            } else if (header == QLatin1String("[LOG]"))
                ReadKeys([this](const QString& k, const QString& v) { Log(k, v); });
            else if (header == QLatin1String("[SYSTEM]"))
                ReadKeys([this](const QString& k, const QString& v) { System(k, v); });
            else if (header == QLatin1String("[PRINTER]"))
                ReadKeys([this](const QString& k, const QString& v) { Printer(k, v); });
            else if (header == QLatin1String("[ARRANGE]"))
                ReadKeys([this](const QString& k, const QString& v) { Arrange(k, v); });
            else if (header == QLatin1String("[COLORS]"))
                ReadKeys([this](const QString& k, const QString& v) { Colors(k, v); });
            else if (header == QLatin1String("[NOTE]"))
                Note();
            else if (header == QLatin1String("[MAIN]")) {
                ReadWindow(l_.Main);
                if (l_.Main.Status == 1) // the program never starts minimised
                    l_.Main.Status = 0;
            }
            else if (header == QLatin1String("[CHANNEL]"))
                Channel();
            else if (header == QLatin1String("[READINGS]"))
                Readings();
            else if (header == QLatin1String("[GRAPHICS]"))
                Graphics();
            else if (header == QLatin1String("[TABLE]"))
                Table();
            else if (header == QLatin1String("[TERMINAL]"))
                Terminal();
            else
                Advance(); // [INFO], unknown sections and stray lines
        }
        return !failed_;
    }

private:
    // ---- Lines
    bool AtEnd() const { return end_; }

    void Advance()
    {
        if (end_)
            return;
        if (file_.atEnd()) {
            end_ = true;
            line_.clear();
            return;
        }
        QByteArray bytes = file_.readLine(kMaxLineBytes);
        if (!CheckRead(bytes))
            return;
        ++lineNo_;
        if (!bytes.endsWith('\n') && !file_.atEnd()) {
            // An overlong line: keep its start, drop the rest.
            QByteArray rest;
            do {
                rest = file_.readLine(kMaxLineBytes);
                if (!CheckRead(rest))
                    return;
            } while (!rest.endsWith('\n') && !file_.atEnd());
            AddIssue(lineNo_, QString(), QString(),
                     QStringLiteral("line longer than %1 bytes, its end dropped").arg(kMaxLineBytes), QString(),
                     ConfigIssue::Ignored);
        }
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (lineNo_ == 1 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3); // a byte-order mark left by an editor
        line_ = QString::fromLatin1(bytes);
    }

    bool CheckRead(const QByteArray& bytes)
    {
        if (file_.error() == QFileDevice::NoError && (!bytes.isEmpty() || file_.atEnd()))
            return true;
        failed_ = true;
        end_ = true;
        line_.clear();
        if (report_)
            report_->Error = QStringLiteral("reading stopped after line %1: %2").arg(lineNo_).arg(file_.errorString());
        return false;
    }

    bool AtSubsectionOrHeader() const
    {
        return KeyOf(line_).startsWith(QLatin1Char('(')) || IsSectionHeader(line_);
    }

    // Runs `apply` on each key line after the header, up to the next header.
    template <typename F>
    void ReadKeys(F apply)
    {
        Advance();
        while (!AtEnd() && !IsSectionHeader(line_)) {
            apply(KeyOf(line_), ValueOf(line_));
            Advance();
        }
    }

    // Past a header, then on to the next sub-section marker or header.
    void SkipToSubsection()
    {
        // Only the header of the section being read is stepped over; the
        // next section's header ends this one (a file may leave parts out).
        if (!AtEnd() && IsSectionHeader(line_) && lineNo_ == sectionLine_)
            Advance();
        while (!AtEnd() && !AtSubsectionOrHeader())
            Advance();
    }

    // ---- Report
    void AddIssue(int line, const QString& key, const QString& value, const QString& problem, const QString& used,
                  ConfigIssue::Outcome result = ConfigIssue::Replaced)
    {
        if (!report_)
            return;
        ConfigIssue issue;
        issue.Line = line;
        issue.Section = section_;
        issue.Key = key;
        issue.Value = value;
        issue.Problem = problem;
        issue.Used = used;
        issue.Result = result;
        report_->Issues << issue;
    }
    // An issue with the value of the current line.
    void Issue(const QString& problem, const QString& used, ConfigIssue::Outcome result = ConfigIssue::Replaced)
    {
        const qsizetype eq = line_.indexOf(QLatin1Char('='));
        AddIssue(lineNo_, (eq < 0 ? line_ : line_.left(eq)).trimmed(), ValueOf(line_), problem, used, result);
    }
    void Ignored(const QString& problem) { AddIssue(lineNo_, QString(), QString(), problem, QString(), ConfigIssue::Ignored); }

    // ---- Typed values of the current line
    bool Bool(const QString& v)
    {
        const bool b = ParseBool(v);
        if (!IsPlainBool(v))
            Issue(v.isEmpty() ? QStringLiteral("empty") : QStringLiteral("not a yes/no value"),
                  b ? QStringLiteral("1") : QStringLiteral("0"));
        return b;
    }

    template <typename T>
    void Int(const QString& v, T& target)
    {
        bool clean = false;
        const qint64 n = ParseInteger(v, &clean);
        if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max()) {
            Issue(QStringLiteral("out of range %1..%2").arg(std::numeric_limits<T>::min()).arg(std::numeric_limits<T>::max()),
                  QString::number(target), ConfigIssue::Kept);
            return;
        }
        if (!clean)
            Issue(QStringLiteral("not a whole number"), QString::number(n));
        target = T(n);
    }

    // Outside min..max gives `fallback`; the file's own range rules.
    template <typename T>
    void IntInRange(const QString& v, T& target, qint64 min, qint64 max, qint64 fallback)
    {
        bool clean = false;
        const qint64 n = ParseInteger(v, &clean);
        const qint64 used = (n >= min && n <= max) ? n : fallback;
        if (used != n)
            Issue(QStringLiteral("out of range %1..%2").arg(min).arg(max), QString::number(used));
        else if (!clean)
            Issue(QStringLiteral("not a whole number"), QString::number(used));
        target = T(used);
    }

    // Outside min..max gives the nearest bound (what the graph settings dialog enforces).
    void IntBounded(const QString& v, qint16& target, qint64 min, qint64 max)
    {
        const qint64 n = ParseInteger(v);
        IntInRange(v, target, min, max, n < min ? min : max);
    }

    void Colour(const QString& v, ColorValue& target)
    {
        bool clean = false;
        const qint64 n = ParseInteger(v, &clean);
        if (n < std::numeric_limits<qint32>::min() || n > qint64(std::numeric_limits<quint32>::max())) {
            Issue(QStringLiteral("not a colour"), QString::number(qint32(target)), ConfigIssue::Kept);
            return;
        }
        if (!clean)
            Issue(QStringLiteral("not a whole number"), QString::number(qint32(quint32(n))));
        target = ColorValue(quint32(n));
    }

    void Real(const QString& v, float& target)
    {
        bool clean = false;
        const double d = ParseReal(v, &clean);
        if (!(std::fabs(d) <= double(FLT_MAX))) {
            Issue(QStringLiteral("too large"), FormatReal(double(target), true), ConfigIssue::Kept);
            return;
        }
        if (!clean)
            Issue(QStringLiteral("not a number"), FormatReal(d, true));
        target = float(d);
    }

    void Double(const QString& v, double& target)
    {
        bool clean = false;
        const double d = ParseReal(v, &clean);
        if (!std::isfinite(d)) {
            Issue(QStringLiteral("too large"), FormatReal(target, false), ConfigIssue::Kept);
            return;
        }
        if (!clean)
            Issue(QStringLiteral("not a number"), FormatReal(d, false));
        target = d;
    }

    // ---- Key sections
    void Communication(const QString& key, const QString& value)
    {
        if (key == QLatin1String("serial port")) {
            bool valid = true;
            s_.SerialPort = NormalizePort(value, s_.StartPort, &valid);
            if (!valid)
                Issue(QStringLiteral("not a port COM1..COM255 or a device path"), s_.SerialPort);
        } else if (key == QLatin1String("baudrate")) {
            bool valid = true;
            s_.Baudrate = NormalizeBaud(value, s_.DeviceName, &valid);
            if (!valid)
                Issue(QStringLiteral("not a baud rate 300..115200"), s_.Baudrate);
        } else if (key == QLatin1String("language")) {
            s_.LanguageIndex = lang_.LanguageIndexFromName(value);
            lang_.SetLanguage(s_.LanguageIndex);
            if (lang_.Text(LanguageTable::kLanguageNameIndex) != value)
                Issue(QStringLiteral("not a language name"), lang_.Text(LanguageTable::kLanguageNameIndex));
        }
    }

    void Device(const QString& key, const QString& value)
    {
        if (key == QLatin1String("device")) {
            const QString model = ValidateDeviceName(value);
            if (value.isEmpty())
                s_.DeviceName.clear();
            else if (model.isEmpty())
                // A name that selects nothing would leave Measure without a parser.
                Issue(QStringLiteral("not a model of the catalogue"),
                      s_.DeviceName.isEmpty() ? QStringLiteral("no device") : s_.DeviceName, ConfigIssue::Kept);
            else {
                if (model.compare(value, Qt::CaseInsensitive) != 0)
                    Issue(QStringLiteral("not a full model name"), model);
                s_.DeviceName = model;
            }
        } else if (key == QLatin1String("poll values"))
            s_.PollValues = Bool(value);
        else if (key == QLatin1String("interval"))
            IntInRange(value, s_.PollInterval, 1, 3599, 1);
        else if (key == QLatin1String("unit"))
            s_.DeviceUnit = value;
        else if (key == QLatin1String("retaintablevalues"))
            s_.RetainTableValues = Bool(value);
    }

    void Log(const QString& key, const QString& value)
    {
        if (key == QLatin1String("filename")) {
            if (!s_.CommandLineFile)
                s_.LogFileName = value;
        } else if (key == QLatin1String("interval"))
            IntInRange(value, s_.LogInterval, 1, 86400, 1);
        else if (key == QLatin1String("limittopoints"))
            s_.LimitToPoints = Bool(value);
        else if (key == QLatin1String("connectatstart"))
            s_.ConnectAtStart = Bool(value);
        else if (key == QLatin1String("logatstart"))
            s_.LogAtStart = Bool(value);
        else if (key == QLatin1String("loadfileatstart"))
            s_.LoadFileAtStart = Bool(value);
        else if (key == QLatin1String("datestampfilename"))
            s_.DatestampFileName = Bool(value);
        else if (key == QLatin1String("points"))
            IntInRange(value, s_.Points, 100, 30000, kDefaultPointsNewConfig);
    }

    void Folder(const QString& value, QString& target, const QString& fallback)
    {
        target = UsableFolder(value, fallback);
        if (!value.isEmpty() && target != value)
            Issue(QStringLiteral("folder not usable here"), target);
    }

    void System(const QString& key, const QString& value)
    {
        if (key == QLatin1String("name"))
            s_.SystemUser = value;
        else if (key == QLatin1String("company"))
            s_.SystemCompany = value;
        else if (key == QLatin1String("folder data"))
            Folder(value, s_.FolderData, s_.DefaultFolderData());
        else if (key == QLatin1String("folder settings"))
            Folder(value, s_.FolderSettings, s_.DefaultFolderSettings());
    }

    void Printer(const QString& key, const QString& value)
    {
        if (key == QLatin1String("font"))
            s_.PrintFont = value;
        else if (key == QLatin1String("operator"))
            s_.PrintOperator = value;
        else if (key == QLatin1String("division"))
            s_.PrintDivision = value;
        else if (key == QLatin1String("company"))
            s_.PrintCompany = value;
        else if (key == QLatin1String("serial"))
            s_.PrintSerial = value;
        else if (key == QLatin1String("devicename"))
            s_.PrintDeviceName = value;
        else if (key == QLatin1String("italic"))
            s_.PrintItalic = Bool(value);
        else if (key == QLatin1String("printall"))
            s_.PrintAll = Bool(value);
        else if (key == QLatin1String("printselection"))
            s_.PrintSelection = Bool(value);
        else if (key == QLatin1String("alarm report"))
            s_.PrintAlarmReport = Bool(value);
        else if (key == QLatin1String("offsettop"))
            Real(value, s_.OffsetTop);
        else if (key == QLatin1String("offsetbottom"))
            Real(value, s_.OffsetBottom);
        else if (key == QLatin1String("offsetleft"))
            Real(value, s_.OffsetLeft);
        else if (key == QLatin1String("offsetright"))
            Real(value, s_.OffsetRight);
        else if (key == QLatin1String("orientation"))
            Int(value, s_.PrintOrientation);
        else if (key == QLatin1String("useprinter"))
            Int(value, s_.UsePrinter);
    }

    void Arrange(const QString& key, const QString& value)
    {
        if (key == QLatin1String("manualwindowtile")) {
            s_.ManualWindowTile = Bool(value);
            return;
        }
        const std::pair<const char*, float AppSettings::*> reals[] = {
            {"valueperhorrow", &AppSettings::ValuePerHorRow}, {"valuefactorhor", &AppSettings::ValueFactorHor},
            {"graphperhorrow", &AppSettings::GraphPerHorRow}, {"graphfactorhor", &AppSettings::GraphFactorHor},
            {"tablefactorhor", &AppSettings::TableFactorHor}, {"valuepervercol", &AppSettings::ValuePerVerCol},
            {"valuefactorver", &AppSettings::ValueFactorVer}, {"graphpervercol", &AppSettings::GraphPerVerCol},
            {"graphfactorver", &AppSettings::GraphFactorVer}, {"tablefactorver", &AppSettings::TableFactorVer},
            {"terminalfactor", &AppSettings::TerminalFactor}};
        for (const auto& r : reals) {
            if (key == QLatin1String(r.first)) {
                Real(value, s_.*r.second);
                return;
            }
        }
    }

    void Colors(const QString& key, const QString& value)
    {
        for (const auto& c : ColourKeys()) {
            if (key.compare(QLatin1String(c.first), Qt::CaseInsensitive) == 0) {
                Colour(value, s_.*c.second);
                return;
            }
        }
    }

    void Note()
    {
        QStringList lines;
        Advance();
        while (!AtEnd() && line_ != kEndNote) {
            lines << line_;
            Advance();
        }
        if (failed_)
            return; // a note cut off by an input error would silently lose its end
        s_.NoteText = lines.join(QLatin1String("\r\n"));
        Advance();
    }

    // ---- Sub-sections
    void ReadWindow(WindowPlacement& w)
    {
        w.Status = 0;
        SkipToSubsection();
        if (AtEnd() || KeyOf(line_) != QLatin1String("(window)"))
            return;
        Advance();
        while (!AtEnd() && !AtSubsectionOrHeader()) {
            const QString key = KeyOf(line_), value = ValueOf(line_);
            if (key == QLatin1String("status"))
                IntInRange(value, w.Status, 0, 2, 0);
            else if (key == QLatin1String("top"))
                Real(value, w.Top);
            else if (key == QLatin1String("left"))
                Real(value, w.Left);
            else if (key == QLatin1String("height"))
                Real(value, w.Height);
            else if (key == QLatin1String("width"))
                Real(value, w.Width);
            Advance();
        }
    }

    void ReadFont(FontSpec& f, bool withColour)
    {
        SkipToSubsection();
        if (AtEnd() || KeyOf(line_) != QLatin1String("(font)"))
            return;
        Advance();
        while (!AtEnd() && !AtSubsectionOrHeader()) {
            const QString key = KeyOf(line_), value = ValueOf(line_);
            if (key == QLatin1String("fontname"))
                f.Name = value;
            else if (key == QLatin1String("fontsize")) {
                float size = f.Size;
                Real(value, size);
                if (size >= kFontSizeMin && size <= kFontSizeMax)
                    f.Size = size;
                else
                    Issue(QStringLiteral("not a font size %1..%2").arg(kFontSizeMin).arg(kFontSizeMax),
                          FormatReal(double(f.Size), true), ConfigIssue::Kept);
            } else if (key == QLatin1String("fontbold"))
                f.Bold = Bool(value);
            else if (key == QLatin1String("fontitalic"))
                f.Italic = Bool(value);
            else if (key == QLatin1String("fontstrikethrough"))
                f.Strikethrough = Bool(value);
            else if (key == QLatin1String("fontunderline"))
                f.Underline = Bool(value);
            else if (key == QLatin1String("fontcolor") && withColour)
                Colour(value, f.Color);
            Advance();
        }
    }

    void ReadColumns(QList<qint32>& widths)
    {
        SkipToSubsection();
        if (AtEnd() || KeyOf(line_) != QLatin1String("(columns)"))
            return;
        widths.clear();
        Advance();
        while (!AtEnd() && !AtSubsectionOrHeader()) {
            if (KeyOf(line_) == QLatin1String("colwidth")) {
                if (widths.size() <= s_.TableColumnCount) {
                    qint32 width = 0;
                    Int(ValueOf(line_), width);
                    widths << width;
                } else {
                    Issue(QStringLiteral("more columns than the table's %1").arg(s_.TableColumnCount + 1), QString(),
                          ConfigIssue::Ignored);
                }
            }
            Advance();
        }
    }

    // ---- Window sections
    void Channel()
    {
        if (s_.DeviceName.isEmpty()) {
            Advance(); // without a device the section's lines are skipped as unknown
            return;
        }
        channel_ = 0;
        ReadKeys([this](const QString& key, const QString& value) {
            if (key == QLatin1String("index")) {
                IntInRange(value, channel_, 1, kMaxChannels, 0);
                if (channel_ > s_.ChannelCount)
                    Issue(QStringLiteral("the device has %1 channels").arg(s_.ChannelCount), QString(),
                          ConfigIssue::Ignored);
                return;
            }
            if (channel_ < 1 || channel_ > s_.ChannelCount || size_t(channel_) >= s_.Channels.size())
                return;
            ChannelRecord& c = s_.Channel(channel_);
            if (key == QLatin1String("name"))
                c.Name = value;
            else if (key == QLatin1String("use"))
                c.Use = Bool(value);
            else if (key == QLatin1String("value"))
                c.Value = Bool(value);
        });
    }

    void Readings()
    {
        const int ch = channel_;
        if (ch < 1 || ch > s_.ChannelCount) {
            if (!s_.DeviceName.isEmpty()) // without a device the channel sections were skipped on purpose
                Ignored(QStringLiteral("no channel section before it"));
            Advance(); // its lines fall through as unknown lines
            return;
        }
        ReadingsWindowLayout& w = l_.Readings[size_t(ch)];
        w.Visible = true;
        Advance();
        if (!AtEnd() && KeyOf(line_) == QLatin1String("visible"))
            w.Visible = Bool(ValueOf(line_));
        ReadWindow(w.Window);
        ReadFont(w.ValueFont, true);
        ReadFont(w.UnitFont, true);
        ChannelReading& r = s_.Readings[size_t(ch)];
        while (!AtEnd() && !IsSectionHeader(line_)) {
            const QString key = KeyOf(line_), value = ValueOf(line_);
            if (key == QLatin1String("alarmlowtest"))
                r.AlarmLowTest = Bool(value);
            else if (key == QLatin1String("alarmhightest"))
                r.AlarmHighTest = Bool(value);
            else if (key == QLatin1String("alarmhighaction"))
                r.AlarmHighAction = Bool(value);
            else if (key == QLatin1String("alarmlowaction"))
                r.AlarmLowAction = Bool(value);
            else if (key == QLatin1String("alarmlowlimit"))
                r.AlarmLowLimit = value;
            else if (key == QLatin1String("alarmhighlimit"))
                r.AlarmHighLimit = value;
            Advance();
        }
    }

    void Table()
    {
        Advance();
        if (AtEnd() || KeyOf(line_) != QLatin1String("visible")) {
            Ignored(QStringLiteral("section does not begin with Visible"));
            return; // the rest falls through as unknown lines; the table stays as it was
        }
        const bool visible = Bool(ValueOf(line_));
        s_.TableColumnCount = qint16(TableColumnCountFor(s_));
        ReadWindow(l_.Table.Window);
        ReadFont(l_.Table.Font, true);
        ReadColumns(l_.Table.ColumnWidths);
        s_.TableVisible = visible;
    }

    void Terminal()
    {
        s_.TerminalVisible = false;
        Advance();
        if (!AtEnd() && KeyOf(line_) == QLatin1String("visible"))
            s_.TerminalVisible = Bool(ValueOf(line_));
        ReadWindow(l_.Terminal.Window);
        FontSpec f{s_.TerminalFontName, float(s_.TerminalFontSize), s_.TerminalFontBold, s_.TerminalFontItalic,
                   s_.TerminalFontStrikethrough, s_.TerminalFontUnderline, s_.TerminalFontColor};
        ReadFont(f, false);
        s_.TerminalFontName = f.Name;
        s_.TerminalFontSize = qRound(f.Size);
        s_.TerminalFontBold = f.Bold;
        s_.TerminalFontItalic = f.Italic;
        s_.TerminalFontStrikethrough = f.Strikethrough;
        s_.TerminalFontUnderline = f.Underline;
    }

    enum class GraphPart { None, Window, ValueAxis, TimeAxis, Miscellanea, AlarmHigh, AlarmLow, Line };

    void Graphics()
    {
        if (s_.GraphCount >= kMaxGraphs) {
            Ignored(QStringLiteral("more than %1 graphs").arg(kMaxGraphs));
            Advance();
            return;
        }
        const int k = ++s_.GraphCount;
        s_.ActiveGraph = qint16(k);
        GraphSettings& g = l_.Graphs[size_t(k)];
        g = GraphSettings();
        g.GrafiekIndex = qint16(k);
        g.Zichtbaar = true;
        const QString header = section_;
        GraphPart part = GraphPart::None;
        int line = 0;
        Advance();
        while (!AtEnd() && !IsSectionHeader(line_)) {
            if (line_.trimmed().isEmpty()) {
                Advance();
                continue;
            }
            const QString key = KeyOf(line_), value = ValueOf(line_);
            if (key == QLatin1String("(end)")) {
                Advance();
                break;
            }
            section_ = header + QLatin1Char(' ') + QString::number(k);
            if (key == QLatin1String("(window)"))
                part = GraphPart::Window;
            else if (key == QLatin1String("(value axis)"))
                part = GraphPart::ValueAxis;
            else if (key == QLatin1String("(time axis)"))
                part = GraphPart::TimeAxis;
            else if (key == QLatin1String("(miscellanea)"))
                part = GraphPart::Miscellanea;
            else if (key == QLatin1String("(alarm high)"))
                part = GraphPart::AlarmHigh;
            else if (key == QLatin1String("(alarm low)"))
                part = GraphPart::AlarmLow;
            else if (key == QLatin1String("(line)")) {
                part = GraphPart::Line;
                IntInRange(value, line, 0, kMaxLinesPerGraph, 0);
            } else {
                if (part == GraphPart::Line)
                    section_ += QStringLiteral(" (LINE) ") + QString::number(line);
                GraphKey(g, part, line, key, value);
            }
            Advance();
        }
        section_ = header;
    }

    void GraphKey(GraphSettings& g, GraphPart part, int line, const QString& key, const QString& value)
    {
        const auto is = [&key](const char* name) { return key == QLatin1String(name); };
        switch (part) {
        case GraphPart::None: break;
        case GraphPart::Window:
            if (is("visible"))
                g.Zichtbaar = Bool(value);
            else if (is("top"))
                Real(value, g.Top);
            else if (is("left"))
                Real(value, g.Left);
            else if (is("height"))
                Real(value, g.Height);
            else if (is("width"))
                Real(value, g.Width);
            else if (is("windowstate"))
                IntInRange(value, g.WindowState, 0, 2, 0);
            break;
        case GraphPart::ValueAxis:
            if (is("title"))
                g.TitelWaardenas = value;
            else if (is("autoscale"))
                g.AutomatischeSchaal = Bool(value);
            else if (is("min"))
                Double(value, g.GrafiekMinimum);
            else if (is("max"))
                Double(value, g.GrafiekMaximum);
            else if (is("divisions"))
                IntBounded(value, g.AantalWaardenVerdelingen, 1, kGraphDivisionsMax);
            else if (is("subdivisions"))
                IntBounded(value, g.AantalWaardenOnderverdelingen, 1, kGraphDivisionsMax);
            break;
        case GraphPart::TimeAxis:
            if (is("title"))
                g.TitelTijdsas = value;
            else if (is("no of points"))
                IntBounded(value, g.MaxGrafiekZichtbaar, kGraphPointsMin, kGraphPointsMax);
            else if (is("divisions"))
                IntBounded(value, g.AantalTijdVerdelingen, 1, kGraphDivisionsMax);
            else if (is("label"))
                IntInRange(value, g.LabelKeuze, 0, 3, 0);
            break;
        case GraphPart::Miscellanea:
            if (is("name"))
                g.Name = value;
            else if (is("legend"))
                g.LegendeKeuze = Bool(value);
            else if (is("xy recorder"))
                g.XYrecorder = Bool(value);
            else if (is("print recorder"))
                g.AfdrukkenRecorder = Bool(value);
            break;
        case GraphPart::AlarmHigh:
        case GraphPart::AlarmLow: {
            const bool high = part == GraphPart::AlarmHigh;
            if (is("set"))
                (high ? g.AlarmHoog : g.AlarmLaag) = Bool(value);
            else if (is("value"))
                Double(value, high ? g.AlarmHoogWaarde : g.AlarmLaagWaarde);
            else if (is("colour"))
                Colour(value, high ? g.AlarmHoogKleur : g.AlarmLaagKleur);
            break;
        }
        case GraphPart::Line: {
            if (line < 1) // line 0 (a marker out of range) takes nothing
                break;
            GraphLine& l = g.Lines[size_t(line)];
            if (is("input"))
                IntInRange(value, l.Input, 0, kGraphInputMax, 0);
            else if (is("colour"))
                Colour(value, l.Colour);
            else if (is("min"))
                Int(value, l.ShowMin);
            else if (is("max"))
                Int(value, l.ShowMax);
            else if (is("mean"))
                Int(value, l.ShowMean);
            break;
        }
        }
    }

private:
    AppState& s_;
    LanguageTable& lang_;
    ConfigLayout& l_;
    QFile& file_;
    ConfigReport* report_;
    QString line_;
    QString section_;
    int sectionLine_ = -1;
    int lineNo_ = 0;
    bool end_ = false;
    bool failed_ = false;
    int channel_ = 0; // of the last [CHANNEL] section, for [READINGS]
};

} // namespace

// ---------------------------------------------------------------- values

bool ParseBool(QByteArrayView text)
{
    text = text.trimmed();
    switch (text.size()) {
    case 1: return text[0] != '0';
    case 4: return !(qstrnicmp(text.data(), "vals", 4) == 0 || qstrnicmp(text.data(), "faux", 4) == 0);
    case 5: return !(qstrnicmp(text.data(), "false", 5) == 0 || qstrnicmp(text.data(), "falso", 5) == 0);
    case 6: return !(qstrnicmp(text.data(), "onwaar", 6) == 0 || qstrnicmp(text.data(), "falsch", 6) == 0
                     || qstrnicmp(text.data(), "unwahr", 6) == 0);
    default: return true;
    }
}

bool ParseBool(QStringView text)
{
    text = text.trimmed();
    return text.size() > 6 || ParseBool(QByteArrayView(text.toLatin1()));
}

qint64 ParseInteger(QStringView text, bool* clean)
{
    qint64 n = 0;
    int digits = 0, minus = 0;
    bool plus = false, junk = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('-')) {
            ++minus;
            continue;
        }
        if (IsBlank(c))
            continue;
        if (junk)
            continue;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            n = n < kIntegerCeiling / 10 ? n * 10 + (c.unicode() - '0') : kIntegerCeiling;
            ++digits;
        } else if (c == QLatin1Char('+') && digits == 0 && !plus) {
            plus = true;
        } else {
            junk = true; // the number ends here
        }
    }
    if (clean)
        *clean = digits > 0 && !junk && minus <= 1;
    return minus > 0 ? -n : n;
}

double ParseReal(QStringView text, bool* clean)
{
    // Normalise to plain ASCII: "," is a decimal point, blanks go, and a "-"
    // makes the number negative unless it is an exponent's sign.
    QByteArray a;
    a.reserve(text.size());
    int minus = 0;
    for (const QChar c : text) {
        if (IsBlank(c))
            continue;
        if (c == QLatin1Char('-')) {
            const qsizetype n = a.size();
            if (n >= 2 && a[n - 1] == 'e' && (IsAsciiDigit(a[n - 2]) || a[n - 2] == '.')) {
                a += '-';
            } else {
                ++minus;
            }
            continue;
        }
        if (IsExponentMarker(c))
            a += 'e'; // one exponent letter, as the meters' numbers are read
        else
            a += c == QLatin1Char(',') ? '.' : (c.unicode() < 128 ? char(c.unicode()) : '?');
    }
    qsizetype p = 0;
    const qsizetype size = a.size();
    if (p < size && a[p] == '+')
        ++p;
    int mantissaDigits = 0;
    while (p < size && IsAsciiDigit(a[p])) {
        ++p;
        ++mantissaDigits;
    }
    if (p < size && a[p] == '.') {
        ++p;
        while (p < size && IsAsciiDigit(a[p])) {
            ++p;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        if (clean)
            *clean = false;
        return 0;
    }
    if (p < size && a[p] == 'e') {
        qsizetype q = p + 1;
        if (q < size && (a[q] == '+' || a[q] == '-'))
            ++q;
        const qsizetype exponentStart = q;
        while (q < size && IsAsciiDigit(a[q]))
            ++q;
        if (q > exponentStart)
            p = q;
    }
    if (clean)
        *clean = p == size && minus <= 1;
    bool ok = false;
    double v = QByteArray(a.constData(), p).toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        // Only an overflow gets here: the text is a well-formed number.
        QByteArray mantissa = a.left(p);
        const bool zero = QByteArray(mantissa).replace('0', "").replace('.', "").replace('+', "").isEmpty();
        v = zero ? 0 : std::numeric_limits<double>::infinity();
    }
    return minus > 0 ? -v : v;
}

qint64 ClampToRange(qint64 value, qint64 min, qint64 max) { return value >= min && value <= max ? value : min; }

QString KeyOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return (eq < 0 ? line : line.left(eq)).trimmed().toString().toLower();
}

QString ValueOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return (eq < 0 ? line : line.mid(eq + 1)).trimmed().toString();
}

bool IsSectionHeader(QStringView line)
{
    static const QStringList kHeaders = {
        QStringLiteral("[NOTE]"),   QStringLiteral("[TERMINAL]"), QStringLiteral("[PRINTER]"),
        QStringLiteral("[COMMUNICATION]"), QStringLiteral("[GRAPHICS]"), QStringLiteral("[TABLE]"),
        QStringLiteral("[DEVICE]"), QStringLiteral("[READINGS]"), QStringLiteral("[CHANNEL]"),
        QStringLiteral("[LOG]"),    QStringLiteral("[MAIN]"),     QStringLiteral("[SYSTEM]"),
        QStringLiteral("[ARRANGE]"), QStringLiteral("[COLORS]")};
    return line.startsWith(QLatin1Char('[')) && kHeaders.contains(line.toString());
}

QString NormalizePort(const QString& text, const QString& startPort, bool* valid)
{
    const QString port = (startPort.isEmpty() ? text : startPort).trimmed();
    if (port.startsWith(QLatin1Char('/'))) { // a device path: used as it stands
        if (valid)
            *valid = true;
        return port;
    }
    bool clean = false;
    const qint64 n = ParseInteger(QStringView(port).mid(qMin<qsizetype>(3, port.size())), &clean);
    if (n < 1 || n > 255) {
        if (valid)
            *valid = false;
        return QStringLiteral("COM1");
    }
    if (valid)
        *valid = clean && port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive);
    return QStringLiteral("COM") + QString::number(n);
}

QString NormalizeBaud(const QString& text, const QString& deviceName, bool* valid)
{
    bool clean = false;
    qint64 n = ParseInteger(text, &clean);
    if (HasFixedBaudRate(deviceName)) {
        n = 19200;
        clean = true;
    }
    const bool inRange = n >= 300 && n <= 115200;
    if (valid)
        *valid = inRange && clean;
    return inRange ? QString::number(n) : QStringLiteral("2400");
}

QString FormatReal(double value, bool single, QChar decimalPoint)
{
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    if (single)
        value = double(float(value));
    const int maxDigits = single ? 9 : 17;
    QString text;
    for (int digits = 1; digits <= maxDigits; ++digits) {
        text = FixedDigits(value, digits);
        const double back = text.toDouble();
        if (single ? float(back) == float(value) : back == value)
            break;
    }
    if (decimalPoint == QLatin1Char(','))
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

// ---------------------------------------------------------------- writing

ConfigInfo CurrentConfigInfo(const AppState& s)
{
    const QLocale locale;
    ConfigInfo info;
    info.Date = locale.toString(QDate::currentDate(), QLocale::LongFormat);
    info.Time = locale.toString(QTime::currentTime(), QLocale::LongFormat);
    info.System = s.SystemName;
    info.User = s.UserName;
    info.Version = QStringLiteral(VAM_VERSION);
    const QString point = locale.decimalPoint();
    info.DecimalPoint = point == QLatin1String(",") ? QLatin1Char(',') : QLatin1Char('.');
    return info;
}

QByteArray FormatConfig(const AppState& s, const LanguageTable& lang, const ConfigLayout& layout, const QString& path,
                        const ConfigInfo& info)
{
    Writer w(info.DecimalPoint);
    w.Line(QStringLiteral("[INFO]"));
    w.Text("File", path);
    w.Text("Date", info.Date);
    w.Text("Time", info.Time);
    w.Text("System", info.System);
    w.Text("User", info.User);
    w.Text("VAM1", info.Version);

    w.Line(QStringLiteral("[COMMUNICATION]"));
    w.Text("Serial Port", s.SerialPort);
    w.Text("Baudrate", s.Baudrate);
    w.Text("Language", lang.Text(LanguageTable::kLanguageNameIndex));

    w.Line(QStringLiteral("[DEVICE]"));
    w.Text("Device", s.DeviceName);
    w.Bool("Poll values", s.PollValues);
    w.Int("Interval", s.PollInterval);
    if (kUserUnitModels.contains(s.DeviceName)) {
        w.Text("Unit", s.DeviceUnit);
        w.Bool("RetainTableValues", s.RetainTableValues);
    }

    w.Line(QStringLiteral("[LOG]"));
    w.Text("FileName", s.LogFileName);
    w.Int("Interval", s.LogInterval);
    w.Bool("LimitToPoints", s.LimitToPoints);
    w.Int("Points", s.Points);
    w.Bool("ConnectAtStart", s.ConnectAtStart);
    w.Bool("LogAtStart", s.LogAtStart);
    w.Bool("LoadFileAtStart", s.LoadFileAtStart);
    w.Bool("DatestampFileName", s.DatestampFileName);

    w.Line(QStringLiteral("[MAIN]"));
    w.Window(layout.Main);

    const int channels = std::min({int(s.ChannelCount), int(s.Channels.size()) - 1, kMaxChannels});
    for (int c = 1; c <= channels; ++c) {
        const ChannelRecord& ch = s.Channel(c);
        w.Line(QStringLiteral("[CHANNEL]"));
        w.Int("Index", c);
        w.Text("Name", ch.Name);
        w.Bool("Use", ch.Use);
        w.Bool("Value", ch.Value);
        // Also for a channel without a value window: its alarm limits live
        // in this section and would otherwise be lost at the next start.
        const ReadingsWindowLayout& rw = layout.Readings[size_t(c)];
        const ChannelReading& r = s.Readings[size_t(c)];
        w.Line(QStringLiteral("[READINGS]"));
        w.Bool("Visible", ch.Value && rw.Visible);
        w.Window(rw.Window);
        w.Font(rw.ValueFont, true);
        w.Font(rw.UnitFont, true);
        w.Line(QStringLiteral("(ALARM)"));
        w.Bool("AlarmLowTest", r.AlarmLowTest);
        w.Text("AlarmLowLimit", r.AlarmLowLimit);
        w.Bool("AlarmLowAction", r.AlarmLowAction);
        w.Bool("AlarmHighTest", r.AlarmHighTest);
        w.Text("AlarmHighLimit", r.AlarmHighLimit);
        w.Bool("AlarmHighAction", r.AlarmHighAction);
    }

    for (int g = 1; g <= kMaxGraphs; ++g) {
        if (layout.Graphs[size_t(g)].GrafiekIndex == g)
            WriteGraph(w, layout.Graphs[size_t(g)]);
    }

    w.Line(QStringLiteral("[TABLE]"));
    w.Bool("Visible", s.TableVisible);
    w.Window(layout.Table.Window);
    w.Font(layout.Table.Font, true);
    w.Line(QStringLiteral("(COLUMNS)"));
    const int lastColumn = TableColumnCountFor(s);
    for (int i = 0; i <= lastColumn; ++i)
        w.Int("ColWidth", layout.Table.ColumnWidths.value(i, 0));

    w.Line(QStringLiteral("[TERMINAL]"));
    w.Bool("Visible", s.TerminalVisible);
    w.Window(layout.Terminal.Window);
    w.Font(FontSpec{s.TerminalFontName, float(s.TerminalFontSize), s.TerminalFontBold, s.TerminalFontItalic,
                    s.TerminalFontStrikethrough, s.TerminalFontUnderline, s.TerminalFontColor},
           false);

    w.Line(QStringLiteral("[PRINTER]"));
    w.Text("Font", s.PrintFont);
    w.Bool("Italic", s.PrintItalic);
    w.Text("Operator", s.PrintOperator);
    w.Text("Division", s.PrintDivision);
    w.Text("Company", s.PrintCompany);
    w.Text("Serial", s.PrintSerial);
    w.Text("DeviceName", s.PrintDeviceName);
    w.Bool("PrintAll", s.PrintAll);
    w.Bool("PrintSelection", s.PrintSelection);
    w.Real("OffsetTop", s.OffsetTop);
    w.Real("OffsetBottom", s.OffsetBottom);
    w.Real("OffsetLeft", s.OffsetLeft);
    w.Real("OffsetRight", s.OffsetRight);
    w.Int("Orientation", s.PrintOrientation);
    w.Int("UsePrinter", s.UsePrinter);
    w.Bool("Alarm report", s.PrintAlarmReport);

    w.Line(QStringLiteral("[SYSTEM]"));
    w.Text("Name", s.SystemUser);
    w.Text("Company", s.SystemCompany);
    w.Text("Folder Data", s.FolderData);
    w.Text("Folder Settings", s.FolderSettings);

    w.Line(QStringLiteral("[ARRANGE]"));
    w.Bool("ManualWindowTile", s.ManualWindowTile);
    w.Real("ValuePerHorRow", s.ValuePerHorRow);
    w.Real("ValueFactorHor", s.ValueFactorHor);
    w.Real("GraphPerHorRow", s.GraphPerHorRow);
    w.Real("GraphFactorHor", s.GraphFactorHor);
    w.Real("TableFactorHor", s.TableFactorHor);
    w.Real("ValuePerVerCol", s.ValuePerVerCol);
    w.Real("ValueFactorVer", s.ValueFactorVer);
    w.Real("GraphPerVerCol", s.GraphPerVerCol);
    w.Real("GraphFactorVer", s.GraphFactorVer);
    w.Real("TableFactorVer", s.TableFactorVer);
    w.Real("TerminalFactor", s.TerminalFactor);

    w.Line(QStringLiteral("[COLORS]"));
    for (const auto& c : ColourKeys())
        w.Colour(c.first, s.*c.second);

    // The note keeps its lines; one that reads exactly like the closing line
    // gets a trailing blank, or it would end the note early on reading.
    w.Line(QStringLiteral("[NOTE]"));
    QString note = s.NoteText;
    note.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    note.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& line : note.split(QLatin1Char('\n')))
        w.Line(line == kEndNote ? line + QLatin1Char(' ') : line);
    w.Line(kEndNote);
    return w.Result();
}

bool WriteConfig(const AppState& s, const LanguageTable& lang, const ConfigLayout& layout, const QString& path,
                 const ConfigInfo& info, QString* error)
{
    const QByteArray bytes = FormatConfig(s, lang, layout, path, info);
    QSaveFile file(path);
    const auto fail = [&](const QString& why) {
        file.cancelWriting();
        if (error)
            *error = why;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
#endif
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool SaveConfiguration(AppState& s, const LanguageTable& lang, const ConfigLayout& layout, const QString& path,
                       QString* error)
{
    if (!WriteConfig(s, lang, layout, path, CurrentConfigInfo(s), error))
        return false;
    s.ConfigFileTitle = path;
    s.ConfigChanged = false;
    s.ConfigUnreadable = false; // the user chose to write it
    return true;
}

// ---------------------------------------------------------------- reading

QString ConfigIssue::ToText() const
{
    QString text = Line > 0 ? QStringLiteral("line %1").arg(Line) : QStringLiteral("file");
    if (!Section.isEmpty())
        text += QLatin1Char(' ') + Section;
    if (!Key.isEmpty())
        text += QLatin1Char(' ') + Key + QStringLiteral(" = ") + Value;
    text += QStringLiteral(": ") + Problem + QStringLiteral("; ");
    switch (Result) {
    case Replaced: return text + Used + QStringLiteral(" used");
    case Kept: return text + Used + QStringLiteral(" kept");
    case Ignored: break;
    }
    return text + QStringLiteral("ignored");
}

ConfigReadStatus ReadConfig(AppState& s, LanguageTable& lang, ConfigLayout& layout, const QString& path,
                            ConfigReport* report)
{
    const auto resetForRead = [&] {
        s.Points = kDefaultPointsFromFile;
        s.GraphCount = 0;
        s.LogCount = 0;
    };
    const QFileInfo info(path);
    s.ConfigUnreadable = false;
    if (!info.exists()) {
        resetForRead();
        return ConfigReadStatus::NoFile;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        s.ConfigUnreadable = true;
        if (report)
            report->Error = info.isDir() ? QStringLiteral("'%1' is a folder").arg(path) : file.errorString();
        return ConfigReadStatus::OpenFailed;
    }

    resetForRead();
    // The windows of the old set-up are closed: their slots start empty.
    for (GraphSettings& g : layout.Graphs)
        g = GraphSettings();
    for (ReadingsWindowLayout& r : layout.Readings)
        r = ReadingsWindowLayout();

    Reader reader(s, lang, layout, file, report);
    const bool complete = reader.Run();
    file.close();

    // The USB rule applies to the device the file ends with.
    s.Baudrate = NormalizeBaud(s.Baudrate, s.DeviceName);
    s.ActiveChannelCount = 0;
    for (int ch = 1; ch <= s.ChannelCount; ++ch)
        s.ActiveChannelCount += s.ChannelInUse(ch) ? 1 : 0;
    if (!complete) {
        s.ConfigChanged = true; // the set-up is partly applied: it is not what the file holds
        s.ConfigUnreadable = true;
        return ConfigReadStatus::ReadFailed;
    }
    s.ConfigFileTitle = path;
    s.ConfigChanged = false;
    return ConfigReadStatus::Read;
}

QString UsableFolder(const QString& folder, const QString& fallback)
{
    if (folder.isEmpty() || folder.contains(QChar(0)))
        return fallback;
    if (QDir::isAbsolutePath(folder) || QFileInfo(folder).isDir())
        return folder;
    return fallback; // "X:\Data", "\\server\share", or a relative name from elsewhere
}
