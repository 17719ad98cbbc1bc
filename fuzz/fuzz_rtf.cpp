// Feeds arbitrary bytes to the terminal's rich-text reader, and what it read
// back through the writer: reading our own output must give the same runs.
// (Input that is not RTF at all reads as plain text and is only read.)

#include "core/terminal/rtftext.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const RtfDocument doc = ReadRtf(bytes, 0x123456);
    if (!LooksLikeRtf(bytes))
        return 0; // read as plain text: nothing more to compare
    const RtfDocument again = ReadRtf(WriteRtf(doc), 0x123456);
    if (again.runs != doc.runs)
        std::abort();
    return 0;
}
