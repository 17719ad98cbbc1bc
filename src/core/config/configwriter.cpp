// The configuration writer: the whole file as text, written to a temporary
// file that replaces the old one only when complete.
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

} // namespace

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

    // After the note's end, where a reader that does not know the section
    // skips it line by line; only written when publishing was set up.
    if (s.Mqtt != MqttSettings()) {
        w.Line(QStringLiteral("[MQTT]"));
        w.Bool("Publish", s.Mqtt.Publish);
        w.Text("Broker", s.Mqtt.Broker);
        w.Text("Prefix", s.Mqtt.Prefix);
        w.Text("Bench", s.Mqtt.Bench);
        w.Text("User", s.Mqtt.User);
        w.Bool("TLS", s.Mqtt.Tls);
        w.Text("CAFile", s.Mqtt.CaFile);
    }
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
