// Feeds arbitrary bytes through a model's live parser or logger reader, cut
// into arbitrary pieces. The first bytes choose the model, the mode and the
// piece size; the rest is what the meter "printed".

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/datalog.h"
#include "core/devices/decoder.h"
#include "core/devices/parsercontext.h"
#include "core/devices/scriptedreader.h"
#include "core/help/languagetable.h"

#include <cstdint>
#include <cstdlib>

namespace {
class CheckingSink : public ReadingSink {
public:
    explicit CheckingSink(const AppState& s) : s_(s) {}
    void PropagateReading(bool) override
    {
        // Whatever was recorded must stay inside the device's channels.
        if (s_.ChannelCount < 1 || s_.ChannelCount > kMaxChannels)
            std::abort();
        for (const DecodedValue& v : CurrentValues(s_, 1))
            if (v.channel < 1 || v.channel > s_.ChannelCount)
                std::abort();
    }

private:
    const AppState& s_;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    static LanguageTable language;
    const auto& models = CatalogueModels();
    const QString model = QString::fromLatin1(models[data[0] % models.size()].name);
    const int mode = data[1] % 3; // 0 listen, 1 poll, 2 logger memory
    const int piece = 1 + data[2] % 64;
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));

    AppState state;
    ApplyDevice(state, model, 46000.0);
    state.DeviceName = model;
    state.PollValues = mode == 1;
    state.ReceiveMode = mode == 2;
    if (data[2] & 0x80)
        state.Channel(1).Use = false;
    ScriptedLineReader reader;
    reader.AppendSplit(text, piece);
    CheckingSink sink(state);
    ParserContext ctx(state, language, reader, sink);
    ctx.clock = [] { return 46000.5; };
    if (mode == 2)
        RunTransfer(ctx);
    else
        RunReceiveCycles(ctx, reader);
    return 0;
}
