#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"

bool LeesEnVerwerkRS232(ParserContext& ctx)
{
    ctx.state.CurrentInfo.clear();
    const auto family = ParserFamilyForModel(ctx.state.DeviceName);
    if (!family)
        return false;
    bool complete = false;
    switch (*family) {
    case DeviceFamily::A100: ParseA100(ctx, complete); break;
    case DeviceFamily::N500: ParseN500(ctx, complete); break;
    case DeviceFamily::N335: ParseN335(ctx, complete); break;
    case DeviceFamily::K230: ParseK230(ctx, complete); break;
    case DeviceFamily::H260: ParseH260(ctx, complete); break;
    case DeviceFamily::J70xx: ParseJ70xx(ctx, complete); break;
    case DeviceFamily::G40xx: ParseG40xx(ctx, complete); break;
    case DeviceFamily::P650: ParseP650(ctx, complete); break;
    case DeviceFamily::P670: ParseP670(ctx, complete); break;
    }
    if (complete) {
        ctx.sink.StopReplyWatchdog();
        FinishReading(ctx);
    }
    return true;
}
