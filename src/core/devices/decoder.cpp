#include "core/devices/decoder.h"

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/commandprotocol.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/scriptedreader.h"

namespace {
qsizetype BufferedText(const ParserBuffers& b)
{
    return b.a100.size() + b.n500.size() + b.n335.size() + b.k230.size() + b.h260.size() + b.j70xx.size()
        + b.g40xx.size() + b.p650.size() + b.p670.size();
}
} // namespace

void ParserBuffers::DropUnfinishedLines()
{
    for (QString* b : {&a100, &n500, &n335, &k230, &h260, &j70xx, &g40xx, &p650, &p670}) {
        const qsizetype end = b->lastIndexOf(QLatin1String("\r\n"));
        b->truncate(end < 0 ? 0 : end + 2);
    }
}

void RunReceiveCycles(ParserContext& ctx, ScriptedLineReader& reader)
{
    while (reader.CommConditiesOK()) {
        const qsizetype position = reader.Position();
        const qsizetype buffered = BufferedText(ctx.buffers);
        if (!LeesEnVerwerkRS232(ctx))
            break;
        // A cycle that took no input and consumed nothing will not do better
        // next time: the capture is fully decoded.
        if (reader.Position() == position && BufferedText(ctx.buffers) == buffered)
            break;
    }
}

QList<DecodedValue> CurrentValues(const AppState& s, int readingNumber)
{
    QList<DecodedValue> values;
    for (int ch = 1; ch <= s.ChannelCount && ch <= kMaxChannels; ++ch) {
        const ChannelReading& r = s.Readings[ch];
        if (!s.ChannelInUse(ch) || !r.HasValue || r.ValueText.isEmpty())
            continue;
        values.append(DecodedValue{readingNumber, ch, r.ValueText, r.UnitText, r.OverRange, r.ExtraText, s.CurrentInfo,
                                   r.ReadingTime});
    }
    return values;
}

void FinalReadings::Record(const AppState& state, bool replace)
{
    if (!replace || !hasPending_) {
        Finish();
        ++count_;
    }
    pending_ = CurrentValues(state, count_);
    hasPending_ = true;
}

void FinalReadings::Finish()
{
    if (!hasPending_)
        return;
    hasPending_ = false;
    onFinal_(pending_);
}

void UseUsualChannels(AppState& state, bool datalog)
{
    if (datalog || !IsJ70Device(state.DeviceName))
        return;
    ChannelCodes present{};
    for (int ch = 1; ch <= state.ChannelCount && ch <= kMaxChannels; ++ch)
        present[size_t(ch)] = 1;
    ApplyJ70Channels(state, present);
}

QString NothingDecodedReason(const AppState& s, bool datalog)
{
    const QString& model = s.DeviceName;
    if (!datalog)
        return QStringLiteral("no line has the layout of model %1").arg(model);
    const auto family = ParserFamilyForModel(model);
    if (family == DeviceFamily::J70xx || family == DeviceFamily::G40xx)
        return QStringLiteral("no \"LOG.\" line is a logger record of model %1").arg(model);
    if (s.LogCount < 0)
        return QStringLiteral("no logger header (a \"log#\" line with the headings of model %1) was seen").arg(model);
    return QStringLiteral("a logger header was seen, but no line after it is a record of model %1").arg(model);
}
