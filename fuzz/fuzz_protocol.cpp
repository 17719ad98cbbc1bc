// Feeds arbitrary bytes to the command protocol as the meter's answer to the
// device-settings request. The first bytes choose the model, the read (J70xx,
// G40xx, or the J70xx reply decoded as it stands), the piece size and the
// silences between pieces; the rest is what the meter sent back.

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/commandprotocol.h"
#include "core/devices/parsercontext.h"
#include "core/devices/scriptedreader.h"
#include "core/help/languagetable.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
class CountingSink : public ReadingSink {
public:
    void PropagateReading(bool) override { std::abort(); } // a settings read records nothing
    void ShowWarning(const QString&, const QString&) override { ++warnings; }
    int warnings = 0;
};

[[noreturn]] void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz_protocol: %s\n", why);
    std::abort();
}

constexpr quint8 kUntouched = 77;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    static LanguageTable language;
    const auto& models = CatalogueModels();
    const QString model = QString::fromLatin1(models[data[0] % models.size()].name);
    const int mode = data[1] % 3; // 0 J70xx read, 1 G40xx read, 2 decode only
    const int piece = 1 + (data[1] >> 2) % 64;
    const int every = 1 + (data[2] & 7); // every n-th piece comes after a silence
    const double silence = (data[2] >> 3) * 0.25;
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));

    if (mode == 2) {
        const ChannelCodes codes = DecodeJ70Settings(model, reply);
        if (codes[0] != 0)
            Fail("a code for channel 0");
        return 0;
    }

    AppState state;
    ApplyDevice(state, model, 46000.0);
    state.DeviceName = model;
    state.SerialPort = QStringLiteral("COM3");
    ScriptedLineReader reader;
    for (qsizetype at = 0, n = 0; at < reply.size(); at += piece, ++n)
        reader.Append(reply.mid(at, piece), n % every == every - 1 ? silence : 0);
    CountingSink sink;
    ParserContext ctx(state, language, reader, sink);
    ctx.clock = [] { return 46000.5; };

    ChannelCodes codes;
    codes.fill(kUntouched);
    bool timedOut = false;
    const bool ok = mode == 0 ? ReadJ70Settings(ctx, codes, timedOut) : ReadG40Settings(ctx, codes, timedOut);
    const int requests = int(reader.Written().count(">S"));
    if (requests < 1 || requests > (mode == 0 ? 3 : 1))
        Fail("wrong number of requests");
    if (ok) {
        if (timedOut || sink.warnings != 0)
            Fail("a successful read timed out or warned");
        if (mode == 1 && (codes[1] != 1 || codes[3] != kUntouched))
            Fail("a G40xx read set more than its two channels");
    } else {
        if (sink.warnings != 1)
            Fail("a failed read must warn once");
        for (quint8 c : codes) {
            if (c != kUntouched)
                Fail("a failed read changed the channel codes");
        }
    }
    return 0;
}
