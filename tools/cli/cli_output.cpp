#include "cli_output.h"

#include "core/datetime.h"

#include <QDateTime>
#include <cstdio>

void PrintValues(const QList<DecodedValue>& values, bool withTime)
{
    for (const DecodedValue& v : values) {
        QStringList fields;
        if (withTime)
            fields << FromDays(v.time).toString(Qt::ISODate);
        fields << QString::number(v.reading) << QString::number(v.channel) << v.value << v.unit
               << QString::number(v.overRange ? 1 : 0) << v.extra << v.info;
        const QByteArray line = fields.join(QLatin1Char('\t')).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
}
