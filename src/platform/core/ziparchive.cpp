#include "platform/core/ziparchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <zip.h>

#include <memory>

namespace {

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

QString ArchiveName(const QString& path)
{
    return path.right(4).compare(QLatin1String(".zip"), Qt::CaseInsensitive) == 0 ? path : path + QStringLiteral(".zip");
}

QString OpenError(int code)
{
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

QString ArchiveError(zip_t* z) { return QString::fromUtf8(zip_strerror(z)); }

void Fail(ZipResult& r, const QString& error)
{
    if (r.ok)
        r.error = error; // the first failure is the one worth reporting
    r.ok = false;
}

// The entry's path split into folder names, or empty when it must not be
// unpacked: absolute, a drive letter, or any ".." part. Archives made on
// other systems may separate with "\".
QStringList SafeParts(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || (name.size() >= 2 && name.at(1) == QLatin1Char(':')))
        return {};
    QStringList parts;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part != QLatin1String("."))
            parts << part;
    }
    return parts;
}

bool IsLinkEntry(zip_t* z, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(z, index, 0, &opsys, &attributes) != 0)
        return false;
    return opsys == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// A symbolic link already inside the target folder could lead a write
// outside it: no path through one is followed.
bool PassesThroughLink(const QString& folder, const QStringList& parts)
{
    QString path = folder;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        if (QFileInfo(path).isSymLink())
            return true;
    }
    return false;
}

bool CopyEntry(zip_t* z, zip_uint64_t index, const QString& target, QString& error)
{
    zip_file_t* in = zip_fopen_index(z, index, 0);
    if (!in) {
        error = ArchiveError(z);
        return false;
    }
    QSaveFile out(target);
    bool ok = out.open(QIODevice::WriteOnly);
    char buffer[64 * 1024];
    while (ok) {
        const zip_int64_t n = zip_fread(in, buffer, sizeof buffer);
        if (n < 0) {
            error = QString::fromUtf8(zip_file_strerror(in));
            ok = false;
        } else if (n == 0)
            break;
        else
            ok = out.write(buffer, n) == n;
    }
    zip_fclose(in);
    if (ok && !out.commit())
        ok = false;
    if (!ok && error.isEmpty())
        error = QStringLiteral("%1: %2").arg(target, out.errorString());
    return ok;
}

ZipResult Unzip(const QString& archivePath, const QString& folder)
{
    ZipResult r;
    const QString archive = ArchiveName(archivePath);
    int code = 0;
    ZipHandle z(zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code));
    if (!z) {
        Fail(r, QStringLiteral("%1: %2").arg(archive, OpenError(code)));
        return r;
    }
    if (!QDir().mkpath(folder)) {
        Fail(r, QStringLiteral("%1: the folder cannot be created").arg(folder));
        return r;
    }
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const zip_int64_t count = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(z.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const QString name = raw ? QString::fromUtf8(raw) : QString();
        const QStringList parts = SafeParts(name);
        if (parts.isEmpty() || IsLinkEntry(z.get(), zip_uint64_t(i)) || PassesThroughLink(root, parts)) {
            r.refused << name;
            continue;
        }
        const QString target = root + QLatin1Char('/') + parts.join(QLatin1Char('/'));
        const bool isFolder = name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'));
        if (!QDir().mkpath(isFolder ? target : QFileInfo(target).path())) {
            Fail(r, QStringLiteral("%1: the folder cannot be created").arg(target));
            continue;
        }
        if (isFolder)
            continue;
        QString error;
        if (CopyEntry(z.get(), zip_uint64_t(i), target, error))
            ++r.files;
        else
            Fail(r, error);
    }
    return r;
}

// An archive without entries: just the end-of-central-directory record.
bool WriteEmptyArchive(const QString& archive, QString& error)
{
    QSaveFile f(archive);
    QByteArray record(22, '\0');
    record[0] = 'P';
    record[1] = 'K';
    record[2] = 0x05;
    record[3] = 0x06;
    if (f.open(QIODevice::WriteOnly) && f.write(record) == record.size() && f.commit())
        return true;
    error = QStringLiteral("%1: %2").arg(archive, f.errorString());
    return false;
}

// Packs `files` (absolute path, name in the archive) into a new `archivePath`.
ZipResult Pack(const QList<QPair<QString, QString>>& files, const QStringList& folders, const QString& archivePath)
{
    ZipResult r;
    const QString archive = ArchiveName(archivePath);
    if (files.isEmpty() && folders.isEmpty()) {
        QString error;
        if (!WriteEmptyArchive(archive, error))
            Fail(r, error);
        return r;
    }
    int code = 0;
    ZipHandle z(zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code));
    if (!z) {
        Fail(r, QStringLiteral("%1: %2").arg(archive, OpenError(code)));
        return r;
    }
    for (const QString& folder : folders)
        if (zip_dir_add(z.get(), folder.toUtf8().constData(), ZIP_FL_ENC_UTF_8) < 0)
            Fail(r, ArchiveError(z.get()));
    for (const auto& [path, name] : files) {
        zip_source_t* source = zip_source_file_create(QFile::encodeName(path).constData(), 0, -1, nullptr);
        if (!source || zip_file_add(z.get(), name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (source)
                zip_source_free(source);
            Fail(r, QStringLiteral("%1: %2").arg(path, ArchiveError(z.get())));
            continue;
        }
        ++r.files;
    }
    if (zip_close(z.get()) != 0) {
        Fail(r, QStringLiteral("%1: %2").arg(archive, ArchiveError(z.get())));
        r.files = 0;
        return r; // the handle is discarded by ZipHandle
    }
    (void)z.release(); // closed
    return r;
}

ZipResult ZipFolder(const QString& folder, const QString& archive)
{
    if (!QFileInfo(folder).isDir()) {
        ZipResult r;
        Fail(r, QStringLiteral("%1: no such folder").arg(folder));
        return r;
    }
    const QDir base(folder);
    QList<QPair<QString, QString>> files;
    QStringList folders;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = base.relativeFilePath(path);
        if (it.fileInfo().isDir())
            folders << name + QLatin1Char('/');
        else
            files.append({path, name});
    }
    return Pack(files, folders, archive);
}

ZipResult ZipFile(const QString& file, const QString& archive)
{
    if (!QFileInfo(file).isFile()) {
        ZipResult r;
        Fail(r, QStringLiteral("%1: no such file").arg(file));
        return r;
    }
    return Pack({{file, QFileInfo(file).fileName()}}, {}, archive);
}

} // namespace

ZipResult ZipShellOperation(const QString& action, const QString& path1, const QString& path2)
{
    if (path1.isEmpty() || path2.isEmpty())
        return {};
    const QString a = action.toUpper();
    if (a == QLatin1String("UNZIP"))
        return Unzip(path1, path2);
    if (a == QLatin1String("ZIPFOLDER"))
        return ZipFolder(path1, path2);
    if (a == QLatin1String("ZIPFILE"))
        return ZipFile(path1, path2);
    return {};
}
