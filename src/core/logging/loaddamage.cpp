#include "core/logging/loaddamage.h"

#include "core/help/languagetable.h"

#include "core/logging/datafile.h"

#include <QDir>

namespace {
enum Text { kSkipped = 353, kBadValues = 354, kBoth = 355, kNoRecord = 356, kAdopt = 357 };
}

QString DamageText(const LoadResult& result, const QString& path, const LanguageTable& lang)
{
    const LoadDamage& d = result.damage;
    if (d.Lines() == 0)
        return QString();
    const QString file = QDir::toNativeSeparators(path), first = QString::number(d.firstLine);
    QString text;
    if (d.badValueLines == 0)
        text = lang[kSkipped].arg(QString::number(d.skippedLines), file, first);
    else if (d.skippedLines == 0)
        text = lang[kBadValues].arg(QString::number(d.badValueLines), file, first);
    else
        text = lang[kBoth].arg(QString::number(d.Lines()), file, first, QString::number(d.skippedLines),
                        QString::number(d.badValueLines));
    if (result.NoReadableRecord())
        text += QStringLiteral("\r\n\r\n") + lang[kNoRecord].arg(file);
    return text;
}

QString AdoptUnreadableQuestion(const LoadResult& result, const QString& path, const LanguageTable& lang)
{
    return DamageText(result, path, lang) + QLatin1Char(' ') + lang[kAdopt];
}
