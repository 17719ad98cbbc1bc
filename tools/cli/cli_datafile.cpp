#include "cli_datafile.h"

#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "core/logging/recordformat.h"
#include "core/devices/catalogue.h"

#include <QFile>

#include <cstdio>

CliDataFile::CliDataFile(AppState& state, const LanguageTable& language, const QString& path, const char* command)
    : s_(state), file_(state, language), command_(command)
{
    s_.LogFileName = path;
    s_.LogFileWork = path;
    s_.DatestampFileName = false;
    table_.SetLayout(s_);
    file_.holdAppends = true;
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(100);
    flushTimer_.callOnTimeout([this] { Said(file_.RetryPending()); });
}

void CliDataFile::TableRow(const QString& info) { table_.VulTabelAan(s_, info); }

void CliDataFile::ReplaceTableRow(const QString& info) { table_.VernieuwLaatsteTabellijn(s_, info); }

bool CliDataFile::Record(const QString& info)
{
    // A run without an event loop (decode of a long capture) gets no timer:
    // it writes when a block is full.
    const DataFileReport r = file_.AppendRecord(info);
    if (!flushTimer_.isActive())
        flushTimer_.start();
    return Said(r);
}

bool CliDataFile::RewriteRecord(int logNumber, const QString& info)
{
    return Said(file_.RewriteLastRecord(table_, logNumber, info));
}

bool CliDataFile::Said(const DataFileReport& report)
{
    if (!report.ok && report.showMessage)
        std::fprintf(stderr, "vam-cli %s: %s (kept, retried with the next reading)\n", command_,
                     qPrintable(report.message.simplified()));
    else if (report.recovered)
        std::fprintf(stderr, "vam-cli %s: the data file is written again\n", command_);
    return report.ok;
}

bool CliDataFile::Finish()
{
    const DataFileReport r = file_.RetryPending();
    if (!r.ok) {
        std::fprintf(stderr, "vam-cli %s: %d reading(s) could not be written: %s\n", command_, file_.PendingRecords(),
                     qPrintable(r.message.simplified()));
        return false;
    }
    return true;
}

QString DataFileModel(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (int i = 0; i < 100000 && !f.atEnd(); ++i) {
        const QByteArray line = f.readLine();
        ItemCursor cursor(line);
        QByteArrayView first;
        if (cursor.Next(first) && IsModelName(first)) {
            for (const CatalogueModel& m : CatalogueModels()) {
                if (QByteArrayView(m.name).compare(first, Qt::CaseInsensitive) == 0)
                    return QString::fromLatin1(m.name);
            }
        }
    }
    return QString();
}

bool SayLoadDamage(const LoadResult& loaded, const QString& path, const char* command)
{
    const LanguageTable english; // vam-cli speaks English
    const QString damage = DamageText(loaded, path, english);
    if (!damage.isEmpty())
        std::fprintf(stderr, "vam-cli %s: %s\n", command, qPrintable(damage.simplified()));
    return !loaded.NoReadableRecord();
}
