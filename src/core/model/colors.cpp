#include "core/model/colors.h"

ColorValue ResolveColorFallback(ColorValue c)
{
    if (!IsSystemColor(c))
        return c & 0x00FFFFFFu;
    switch (c & 0xFF) {
    case 0x05: return 0xFFFFFF;                 // window
    case 0x08: return 0x000000;                 // window text
    case 0x0F: return MakeColor(240, 240, 240); // button face
    case 0x10: return MakeColor(160, 160, 160); // button shadow
    case 0x11: return MakeColor(109, 109, 109); // grey text
    case 0x12: return 0x000000;                 // button text
    case 0x0D: return MakeColor(0, 120, 215);   // highlight
    case 0x0E: return 0xFFFFFF;                 // highlight text
    default: return MakeColor(240, 240, 240);
    }
}
