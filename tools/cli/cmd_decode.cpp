#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"
#include "cli_datafile.h"
#include "cli_output.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/devices/datalog.h"
#include "core/devices/decoder.h"
#include "core/devices/parsercontext.h"
#include "core/devices/scriptedreader.h"
#include "core/help/languagetable.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <memory>

namespace {
// Prints every recorded reading once, in its final form: a logger record
// printed one line per channel is shown complete, not once per line. With a
// data file, each reading is also logged the way the program logs it.
class PrintingSink : public ReadingSink {
public:
    PrintingSink(AppState& s, bool datalog, CliDataFile* file)
        : state_(s), datalog_(datalog), file_(file),
          final_([datalog](const QList<DecodedValue>& values) { PrintValues(values, datalog); })
    {
    }
    void PropagateReading(bool replace) override
    {
        final_.Record(state_, replace);
        if (!file_)
            return;
        if (!datalog_)
            state_.LogCount = final_.Count(); // listening: every reading is logged, numbered from 1
        if (replace) {
            file_->ReplaceTableRow(state_.CurrentInfo);
            file_->RewriteRecord(state_.LogCount, state_.CurrentInfo);
        } else {
            file_->TableRow(state_.CurrentInfo);
            file_->Record(state_.CurrentInfo);
        }
    }
    void TerminalNote(const QString& text) override
    {
        std::fprintf(stderr, "vam-cli decode: %s\n", qPrintable(text));
    }
    // Prints the last reading; returns how many were recorded.
    int Finish()
    {
        final_.Finish();
        return final_.Count();
    }

private:
    AppState& state_;
    bool datalog_;
    CliDataFile* file_;
    FinalReadings final_;
};

bool ReadInput(const QString& path, QByteArray& bytes)
{
    QFile f;
    const bool ok = (path == QLatin1String("-")) ? f.open(stdin, QIODevice::ReadOnly)
                                                 : (f.setFileName(path), f.open(QIODevice::ReadOnly));
    if (!ok) {
        std::fprintf(stderr, "vam-cli decode: cannot read '%s': %s\n", qPrintable(path), qPrintable(f.errorString()));
        return false;
    }
    bytes = f.readAll();
    return true;
}
} // namespace

namespace {
// The channels the meter reported as switched on ("1,2,5-7"): the others are
// not in use. Meters that report their channels print lines for those only.
bool SelectChannels(AppState& s, const QString& list)
{
    QList<bool> on(s.ChannelCount + 1, false);
    for (const QString& part : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList range = part.split(QLatin1Char('-'));
        bool ok1 = false, ok2 = true;
        const int from = range.value(0).trimmed().toInt(&ok1);
        const int to = range.size() > 1 ? range.value(1).trimmed().toInt(&ok2) : from;
        if (!ok1 || !ok2 || range.size() > 2 || from < 1 || to > s.ChannelCount || from > to)
            return false;
        for (int ch = from; ch <= to; ++ch)
            on[ch] = true;
    }
    s.ActiveChannelCount = 0;
    for (int ch = 1; ch <= s.ChannelCount; ++ch) {
        s.Channel(ch).Use = s.Channel(ch).Value = on[ch];
        s.ActiveChannelCount += on[ch] ? 1 : 0;
    }
    return s.ActiveChannelCount > 0;
}
} // namespace

int RunDecode(const QStringList& args)
{
    const CliArgs a("decode", args, {"--model", "--out", "--channels"}, {"--datalog"}, 1);
    if (!a.Ok()) {
        a.Report();
        return UsageError("decode");
    }
    const QString model = CliModelName(a.Value("--model")), path = a.Positional().value(0, QStringLiteral("-")),
                  out = a.Value("--out"), channels = a.Value("--channels");
    const bool datalog = a.Has("--datalog");
    if (model.isEmpty()) {
        std::fprintf(stderr, "vam-cli decode: --model MODEL is required (see 'vam-cli models')\n");
        return 2;
    }
    if (!FindModel(model)) {
        std::fprintf(stderr, "vam-cli decode: '%s' is not a supported model (see 'vam-cli models')\n", qPrintable(model));
        return 2;
    }
    QByteArray bytes;
    if (!ReadInput(path, bytes))
        return 1;

    AppState state;
    LanguageTable language;
    ApplyDevice(state, model, NowDays());
    state.DeviceName = model;
    state.PollValues = false; // listening: the meter prints on its own
    state.ReceiveMode = datalog;
    if (channels.isEmpty()) {
        UseUsualChannels(state, datalog);
    } else if (!SelectChannels(state, channels)) {
        std::fprintf(stderr, "vam-cli decode: --channels takes channel numbers 1..%d, as in 1,2,5-7\n", state.ChannelCount);
        return 2;
    }
    ScriptedLineReader reader;
    reader.AppendLines(QString::fromLatin1(bytes));
    std::unique_ptr<CliDataFile> file;
    if (!out.isEmpty())
        file = std::make_unique<CliDataFile>(state, language, out, "decode");
    PrintingSink sink(state, datalog, file.get());
    ParserContext ctx(state, language, reader, sink);
    ctx.offline = true;
    if (datalog)
        RunTransfer(ctx);
    else
        RunReceiveCycles(ctx, reader);
    if (sink.Finish() == 0)
        std::fprintf(stderr, "vam-cli decode: no reading decoded: %s (wrong model, channel set or column order?)\n",
                     qPrintable(NothingDecodedReason(state, datalog)));
    std::fflush(stdout);
    return file && !file->Finish() ? 1 : 0;
}
