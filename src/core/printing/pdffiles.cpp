#include "core/printing/pdffiles.h"

#include <QDir>
#include <QRegularExpression>

QString WithPdfSuffix(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return path;
    return path + QLatin1String(".pdf");
}

QString NextNumberedPdf(const QString& folder, const QString& name)
{
    QString stem = name.trimmed();
    stem.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    if (stem.isEmpty())
        stem = QStringLiteral("recorder");
    // One listing of the folder; the highest number there, so a file the user
    // deleted is not filled in out of order.
    const QRegularExpression numbered(QLatin1Char('^') + QRegularExpression::escape(stem)
                                          + QStringLiteral(" (\\d{3,})\\.pdf$"),
                                      QRegularExpression::CaseInsensitiveOption);
    int highest = 0;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    for (const QString& file : files) {
        const QRegularExpressionMatch m = numbered.match(file);
        if (m.hasMatch())
            highest = qMax(highest, m.captured(1).toInt());
    }
    const QString number = QStringLiteral("%1").arg(highest + 1, 3, 10, QLatin1Char('0'));
    return QDir(folder).filePath(stem + QLatin1Char(' ') + number + QStringLiteral(".pdf"));
}
