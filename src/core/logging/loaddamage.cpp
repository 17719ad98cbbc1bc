#include "core/logging/loaddamage.h"

#include "core/logging/datafile.h"

#include <QDir>

QString DamageText(const LoadResult& result, const QString& path)
{
    const LoadDamage& d = result.damage;
    if (d.Lines() == 0)
        return QString();
    const QString file = QDir::toNativeSeparators(path), first = QString::number(d.firstLine);
    QString text;
    if (d.badValueLines == 0)
        text = QStringLiteral("%1 damaged line(s) skipped in %2, the first at line %3.")
                   .arg(QString::number(d.skippedLines), file, first);
    else if (d.skippedLines == 0)
        text = QStringLiteral("%1 line(s) in %2 hold a value that is no number, the first at line %3: "
                              "graphs leave a gap and exports an empty cell for it.")
                   .arg(QString::number(d.badValueLines), file, first);
    else
        text = QStringLiteral("%1 damaged line(s) in %2, the first at line %3: %4 skipped, %5 with a value that is "
                              "no number (a gap in graphs, an empty cell in exports).")
                   .arg(QString::number(d.Lines()), file, first, QString::number(d.skippedLines),
                        QString::number(d.badValueLines));
    if (result.NoReadableRecord())
        text += QStringLiteral("\r\n\r\n%1 holds no readable record.").arg(file);
    return text;
}

QString AdoptUnreadableQuestion(const LoadResult& result, const QString& path)
{
    return DamageText(result, path) + QStringLiteral(" Use it as the data file for logging anyway?");
}
