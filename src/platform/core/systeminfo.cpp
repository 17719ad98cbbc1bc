#include "platform/core/systeminfo.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

QString SystemUserName()
{
    if (const passwd* pw = getpwuid(getuid())) {
        // The full name is the first comma-separated part of the GECOS field.
        const QString full = QString::fromLocal8Bit(pw->pw_gecos ? pw->pw_gecos : "").section(QLatin1Char(','), 0, 0).trimmed();
        if (!full.isEmpty())
            return full;
        if (pw->pw_name && *pw->pw_name)
            return QString::fromLocal8Bit(pw->pw_name);
    }
    return qEnvironmentVariable("USER");
}

QString SystemHostName() { return QSysInfo::machineHostName(); }

QString DocumentsFolder()
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        docs = QDir::homePath() + QStringLiteral("/Documents");
    return QDir::cleanPath(docs);
}
