// The configuration reader: section by section, each value by its rule; a
// wrong value keeps what was there and is reported with its line.
#include "core/config/configfile.h"
#include "core/config/configshared.h"

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

using namespace configfile_detail;

namespace {

// Longer lines are cut: no key or value comes near this, and a broken or
// hostile file must not make the reader hold an endless line.
constexpr qint64 kMaxLineBytes = 64 * 1024;
constexpr double kFontSizeMin = 1, kFontSizeMax = 1638;

// The words ParseBool reads as true besides "anything else": what this and
// earlier writers and hand edits put there on purpose.
bool IsPlainBool(QStringView text)
{
    static const QStringList kTrue = {QStringLiteral("1"),    QStringLiteral("-1"),   QStringLiteral("true"),
                                      QStringLiteral("vrai"), QStringLiteral("waar"), QStringLiteral("wahr"),
                                      QStringLiteral("vero"), QStringLiteral("verdadero")};
    return !ParseBool(text) || kTrue.contains(text.trimmed().toString(), Qt::CaseInsensitive);
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
            else if (header == QLatin1String("[MQTT]"))
                ReadKeys([this](const QString& k, const QString& v) { Mqtt(k, v); });
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

    const DamageCheck& Damage() const { return damage_; }
    int LinesRead() const { return lineNo_; }

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
        bool ended = bytes.endsWith('\n');
        if (!ended && !file_.atEnd()) {
            // An overlong line: keep its start, drop the rest.
            QByteArray rest;
            do {
                rest = file_.readLine(kMaxLineBytes);
                if (!CheckRead(rest))
                    return;
            } while (!rest.endsWith('\n') && !file_.atEnd());
            ended = rest.endsWith('\n');
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
        damage_.Line(lineNo_, line_, ended);
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

    // Written after the note, where readers without it skip it.
    void Mqtt(const QString& key, const QString& value)
    {
        MqttSettings& m = s_.Mqtt;
        if (key == QLatin1String("publish"))
            m.Publish = Bool(value);
        else if (key == QLatin1String("broker"))
            m.Broker = value;
        else if (key == QLatin1String("prefix"))
            m.Prefix = value;
        else if (key == QLatin1String("bench"))
            m.Bench = value;
        else if (key == QLatin1String("user"))
            m.User = value;
        else if (key == QLatin1String("tls"))
            m.Tls = Bool(value);
        else if (key == QLatin1String("cafile"))
            m.CaFile = value;
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
        f.Named = true;
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
    DamageCheck damage_;
};

} // namespace

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
    ConfigReport own;
    ConfigReport& told = report ? *report : own; // the condition decides ConfigUnreadable either way
    const QFileInfo info(path);
    s.ConfigUnreadable = false;
    if (!info.exists()) {
        resetForRead();
        told.Condition = ConfigCondition::Missing;
        return ConfigReadStatus::NoFile;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        s.ConfigUnreadable = true;
        told.Condition = ConfigCondition::Unreadable;
        told.Error = info.isDir() ? QStringLiteral("'%1' is a folder").arg(path) : file.errorString();
        told.Reset = QStringList{QStringLiteral("all settings")};
        return ConfigReadStatus::OpenFailed;
    }

    resetForRead();
    // The windows of the old set-up are closed: their slots start empty.
    for (GraphSettings& g : layout.Graphs)
        g = GraphSettings();
    for (ReadingsWindowLayout& r : layout.Readings)
        r = ReadingsWindowLayout();

    Reader reader(s, lang, layout, file, &told);
    const bool complete = reader.Run();
    const qint64 size = file.size();
    file.close();

    // The USB rule applies to the device the file ends with.
    s.Baudrate = NormalizeBaud(s.Baudrate, s.DeviceName);
    s.ActiveChannelCount = 0;
    for (int ch = 1; ch <= s.ChannelCount; ++ch)
        s.ActiveChannelCount += s.ChannelInUse(ch) ? 1 : 0;
    if (!complete) {
        s.ConfigChanged = true; // the set-up is partly applied: it is not what the file holds
        s.ConfigUnreadable = true;
        told.Condition = ConfigCondition::Unreadable;
        told.Reset = QStringList{QStringLiteral("everything after line %1").arg(reader.LinesRead())};
        return ConfigReadStatus::ReadFailed;
    }
    // A damaged file is applied as far as it goes, but it is not written over
    // unasked: what it lost may still be recovered from it.
    reader.Damage().Finish(told, size);
    s.ConfigUnreadable = told.Condition == ConfigCondition::Damaged;
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
