#include "core/config/commandline.h"

#include "core/model/appstate.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool IsAsciiAlnum(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The tag becomes part of a file extension and of the settings file's name,
// so only letters and digits are accepted.
bool UsableTagName(const QString& name)
{
    if (name.isEmpty() || name.size() > 16)
        return false;
    for (QChar c : name)
        if (!IsAsciiAlnum(c))
            return false;
    return true;
}

QString DataFileNameFrom(const QString& text, const QString& workingFolder)
{
    QString name = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(text));
    if (!QFileInfo(name).fileName().contains(QLatin1String(".vam"), Qt::CaseInsensitive))
        name += QStringLiteral(".vam");
    return name;
}

enum class Word { FileText, Option };

struct Parser {
    CommandLineOptions o;
    QStringList kept;      // lower-cased words of CommandLine
    QStringList fileWords; // the current run of text between options

    Word Classify(const QString& arg)
    {
        const QString lower = arg.toLower();
        if (lower.startsWith(QLatin1String("cfg="))) {
            const QString name = lower.mid(4);
            if (UsableTagName(name))
                o.ConfigTag = QStringLiteral("CFG") + name;
            else
                o.Errors << QStringLiteral("'%1': the configuration name must be letters and digits").arg(arg);
            return Word::Option; // removed from CommandLine
        }
        kept << lower;
        if (lower.startsWith(QLatin1String("--")) || lower == QLatin1String("-h"))
            return LongOption(arg, lower);
        if (lower.startsWith(QLatin1Char('/')))
            return SlashWord(arg, lower);
        return Word::FileText;
    }

    Word LongOption(const QString& arg, const QString& lower)
    {
        if (lower.startsWith(QLatin1String("--port="))) {
            const QString device = arg.mid(7).trimmed();
            if (device.isEmpty())
                o.Errors << QStringLiteral("'%1': no serial port named").arg(arg);
            else
                o.StartPort = device.startsWith(QLatin1Char('/')) ? device : device.toUpper();
        } else if (lower.startsWith(QLatin1String("--model="))) {
            o.Model = arg.mid(8).trimmed();
            if (o.Model.isEmpty())
                o.Errors << QStringLiteral("'%1': no model named").arg(arg);
        } else if (lower == QLatin1String("--listen"))
            o.Listen = true;
        else if (lower == QLatin1String("--connect"))
            o.Connect = true;
        else if (lower == QLatin1String("--help") || lower == QLatin1String("-h"))
            o.Help = true;
        else if (lower == QLatin1String("--version"))
            o.Version = true;
        else
            o.Errors << QStringLiteral("'%1': unknown option").arg(arg);
        return Word::Option;
    }

    // "/comN" is the port option; any other word beginning with "/" is an
    // absolute file name, existing or to be created.
    Word SlashWord(const QString& arg, const QString& lower)
    {
        if (lower.startsWith(QLatin1String("/com"))) {
            // The number that follows is the port, whatever trails it ("/com3x"
            // is COM3); the whole number is kept: COM100..COM255 are valid.
            qsizetype digits = 0;
            while (4 + digits < lower.size() && IsAsciiDigit(lower.at(4 + digits)))
                ++digits;
            if (digits > 0 && !QFileInfo::exists(arg) && lower.indexOf(QLatin1Char('/'), 1) < 0) {
                o.StartPort = QStringLiteral("COM") + lower.mid(4, digits);
                return Word::Option;
            }
            if (!QFileInfo::exists(arg) && lower.indexOf(QLatin1Char('/'), 1) < 0) {
                o.Errors << QStringLiteral("'%1': not a serial port (use /comN or --port=DEVICE)").arg(arg);
                return Word::Option;
            }
        }
        return Word::FileText;
    }

    void EndRun(const QString& workingFolder)
    {
        const QString text = fileWords.join(QLatin1Char(' ')).trimmed();
        fileWords.clear();
        if (!text.isEmpty())
            o.FileName = DataFileNameFrom(text, workingFolder);
    }
};

} // namespace

CommandLineOptions ParseCommandLine(const QStringList& args, const QString& workingFolder)
{
    Parser p;
    for (const QString& raw : args) {
        const QString arg = raw.trimmed();
        if (arg.isEmpty())
            continue;
        if (p.Classify(arg) == Word::FileText)
            p.fileWords << arg;
        else
            p.EndRun(workingFolder);
    }
    p.EndRun(workingFolder);
    p.o.CommandLine = p.kept.join(QLatin1Char(' '));
    return p.o;
}

void ApplyCommandLine(AppState& s, const CommandLineOptions& options)
{
    s.CommandLine = options.CommandLine;
    s.StartPort = options.StartPort;
    if (!options.FileName.isEmpty()) {
        s.LogFileName = options.FileName;
        s.CommandLineFile = true;
    }
}

QString CommandLineUsage()
{
    return QStringLiteral(
        "Usage: vam [cfg=NAME] [/comN | --port=DEVICE] [--model=MODEL] [--listen] [--connect] [FILE.vam]\n"
        "  cfg=NAME       use the configuration set NAME (settings VAM.CFGNAME)\n"
        "  /comN          use serial port COMn (/dev/ttyS<n-1>)\n"
        "  --port=DEVICE  use the serial port DEVICE (e.g. /dev/ttyUSB0)\n"
        "  --model=MODEL  select the meter model (see 'vam-cli models')\n"
        "  --listen       the meter prints on its own (no polling)\n"
        "  --connect      start measuring at once\n"
        "  FILE.vam       the data file (\".vam\" is added when missing)\n"
        "  --help         show this text\n"
        "  --version      show the version\n");
}
