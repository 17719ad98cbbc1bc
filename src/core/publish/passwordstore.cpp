#include "core/publish/passwordstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray KeyBytes(const QString& key) { return key.toUtf8().toBase64(); }

QList<QByteArray> Lines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines;
}

} // namespace

QString PasswordStore::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Velmark/vam-mqtt-passwords");
}

QString PasswordStore::KeyFor(const QString& user, const QString& address) { return user + QLatin1Char('@') + address; }

QString PasswordStore::Get(const QString& key) const
{
    const QByteArray k = KeyBytes(key);
    for (const QByteArray& line : Lines(path_)) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0 && line.left(tab) == k)
            return QString::fromUtf8(QByteArray::fromBase64(line.mid(tab + 1)));
    }
    return QString();
}

bool PasswordStore::Set(const QString& key, const QString& password, QString* error)
{
    const QByteArray k = KeyBytes(key);
    QByteArray out;
    for (const QByteArray& line : Lines(path_))
        if (line.left(line.indexOf('\t')) != k)
            out += line + '\n';
    if (!password.isEmpty())
        out += k + '\t' + password.toUtf8().toBase64() + '\n';
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path_, why);
        return false;
    };
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return fail(QStringLiteral("its folder cannot be made"));
    // Made with the owner's rights only before a byte is in it, then put in
    // place whole.
    const QByteArray temp = QFile::encodeName(path_ + QStringLiteral(".new"));
    ::unlink(temp.constData());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    bool ok = ::write(fd, out.constData(), size_t(out.size())) == out.size() && ::fsync(fd) == 0;
    const int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.constData(), QFile::encodeName(path_).constData()) != 0) {
        const int why = ok ? errno : saved;
        ::unlink(temp.constData());
        return fail(QString::fromLocal8Bit(std::strerror(why)));
    }
    return true;
}
