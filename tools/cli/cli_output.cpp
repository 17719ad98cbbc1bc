#include "cli_output.h"

#include "core/model/datetime.h"

#include <cstdio>

void PrintValues(const QList<DecodedValue>& values, bool withTime)
{
    // One write for the whole reading, with no text list per line: a logger
    // print passes here once per record.
    QByteArray out;
    out.reserve(values.size() * 64);
    auto field = [&out](const QString& text) {
        out += '\t';
        out += text.toUtf8();
    };
    for (const DecodedValue& v : values) {
        if (withTime) {
            AppendIsoDateTime(out, v.time);
            out += '\t';
        }
        out += QByteArray::number(v.reading);
        out += '\t';
        out += QByteArray::number(v.channel);
        field(v.value);
        field(v.unit);
        out += v.overRange ? "\t1" : "\t0";
        field(v.extra);
        field(v.info);
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
}
