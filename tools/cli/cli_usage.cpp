#include "cli_usage.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace {
struct Command {
    const char* name;
    const char* synopsis; // the arguments
    const char* about;    // what it does, one or more lines
};
const Command kCommands[] = {
    {"models", "", "list the supported meter models (name, family, channels, poll command, baud rate)\n"},
    {"decode", "--model MODEL [--datalog] [--channels LIST] [--out FILE.vam] [FILE|-]",
     "decode captured meter output; one line per channel value:\n"
     "[record time] reading, channel, value, unit, over-range, extra, info\n"
     "--channels: only these channels are switched on, as the meter reports them\n"
     "--out also writes the readings to a VAM data file\n"},
    {"log", "--model MODEL --port PORT [--listen] [--poll-interval S] [--count N] [--duration S]\n    [--out FILE.vam]"
            " [MQTT]",
     "measure from a meter and print each reading with its time\n"
     "MQTT: --mqtt mqtt://[user[:password]@]host[:port]/prefix [--bench NAME]\n"
     "      [--mqtt-ca FILE] [--mqtt-drain S]\n"
     "publishes every reading to the broker (mqtts:// for TLS, with the system's\n"
     "certificates or --mqtt-ca; a password may come from VAM_MQTT_PASSWORD);\n"
     "readings wait in vam-mqtt-BENCH.spool beside --out until the broker acknowledges\n"
     "them; at the end the run waits up to --mqtt-drain seconds (10) for that\n"},
    {"receive", "--model MODEL --port PORT [--duration S] [--idle-exit S] [--count N] [--out FILE.vam]\n    [MQTT]",
     "read the meter's logger memory; prints every record as decode --datalog does\n"
     "MQTT: publishes every record as log does\n"},
    {"transfer", "--port PORT --out FILE [--new] [--duration S] [--idle-exit S]",
     "capture everything the meter prints, byte for byte, into FILE;\n"
     "an existing FILE is appended to (its size is told), --new refuses it\n"},
    {"export", "FILE.vam [--csv OUT] [--long | --raw | --xlsx OUT.xlsx] [--config NAME.CFG] [--model MODEL]",
     "the readings of a data file for data tools, as CSV (to stdout without --csv):\n"
     "per channel a numeric column in one unit and a flag column (over range,\n"
     "missing, damaged, off, other unit), ISO 8601 times, no row for stop records;\n"
     "--long: one row per reading and channel; --xlsx: an Excel workbook;\n"
     "--raw: the record texts as the data file holds them;\n"
     "--config: the configuration's channel names and switches\n"},
    {"config", "FILE.CFG [--out OUT.CFG]",
     "read a configuration file and write it back (to stdout without --out);\n"
     "each value that was out of range or unreadable is reported on stderr;\n"
     "a damaged or unreadable file is reported there and not written (exit 1)\n"},
    {"print", "FILE.vam --pdf OUT.pdf [--config NAME.CFG] [--selection N-M]",
     "the table of a data file as a PDF, with the page header of the\n"
     "configuration's [PRINTER] section; --selection: log numbers N to M only\n"},
};

// `text`'s lines, each after `indent`.
QByteArray Indented(const char* text, const char* indent)
{
    QByteArray out;
    for (const QByteArray& line : QByteArray(text).split('\n'))
        if (!line.isEmpty())
            out += indent + line + '\n';
    return out;
}

// The synopsis, its own line breaks indented under `indent`.
QByteArray Synopsis(const Command& c, const char* indent)
{
    return QByteArray(c.synopsis).replace("\n    ", QByteArray("\n") + indent);
}

// "Usage: vam-cli NAME SYNOPSIS".
QByteArray UsageLine(const Command& c)
{
    return QByteArray("Usage: vam-cli ") + c.name + (*c.synopsis ? " " : "") + Synopsis(c, "      ");
}

const Command* Find(const QString& name)
{
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}
} // namespace

int PrintOverview(FILE* to, int code)
{
    std::fprintf(to, "Usage: vam-cli COMMAND [OPTIONS]\n       vam-cli COMMAND --help\nCommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(to, "  %s%s%s\n%s", c.name, *c.synopsis ? " " : "", Synopsis(c, "      ").constData(),
                     Indented(c.about, "              ").constData());
    std::fprintf(to, "  --version   show the version\n");
    return code;
}

bool PrintCommandHelp(const QString& command)
{
    const Command* c = Find(command);
    if (!c)
        return false;
    std::printf("%s\n%s", UsageLine(*c).constData(), Indented(c->about, "  ").constData());
    return true;
}

int UsageError(const char* command)
{
    if (const Command* c = Find(QLatin1String(command)))
        std::fprintf(stderr, "%s\n", UsageLine(*c).constData());
    return 2;
}
