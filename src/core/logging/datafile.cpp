#include "core/logging/datafile.h"

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/model/datetime.h"
#include "core/devices/units.h"
#include "core/logging/logtable.h"
#include "core/help/languagetable.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
enum Text { kErrorOpening = 51, kFileToSaveAs = 85, kFileToOpen = 86, kNetworkRefused = 88, kWarning = 144,
            kNonExistingFile = 151, kOutsideDatestampRange = 284 };

const QByteArray kCrLf = QByteArrayLiteral("\r\n");
constexpr qint64 kChunk = 1 << 20;

QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool PosixRename(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// After a rename the folder entry itself must reach the disk too.
void SyncFolderOf(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

qsizetype DatePosition(const QString& name)
{
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.indexOf(QLatin1Char('.'), slash + 1);
    return dot < 0 ? name.size() : dot;
}

QByteArrayView WithoutLineEnd(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    return line;
}

// The line with its info item (item number `infoItem`, counting from 0)
// set to `info`. A line with fewer items is padded with empty ones; a
// cut-off item at its end is dropped first.
QByteArray WithInfo(QByteArrayView line, int infoItem, const QByteArray& info)
{
    ItemCursor cursor(line);
    QByteArrayView item;
    const char* afterLast = line.data();
    int i = 0;
    while (cursor.Next(item)) {
        if (i == infoItem) {
            QByteArray out(line.data(), item.data() - line.data());
            out += info;
            out.append(item.data() + item.size(), line.data() + line.size() - (item.data() + item.size()));
            return out;
        }
        afterLast = cursor.Position();
        ++i;
    }
    QByteArray out(line.data(), afterLast - line.data());
    for (; i < infoItem; ++i)
        out += ",''";
    out += ",'" + info + '\'';
    return out;
}

struct LineKey {
    bool record = false;
    qint64 key = 0;
};

// One channel's items of a record. Items missing from a short line are
// empty; a missing over-range flag is false and a missing has-value flag
// follows the value, so a cut-off line neither invents an over-range nor
// hides a value it does hold.
void ReadChannel(ItemCursor& cursor, bool extras, LogTable::RawCell& cell)
{
    QByteArrayView over, has;
    cursor.Next(cell.value);
    cursor.Next(cell.unit);
    const bool hasOver = cursor.Next(over);
    const bool hasHas = cursor.Next(has);
    cell.overRange = hasOver && ParseBool(over);
    cell.hasValue = hasHas ? ParseBool(has) : !cell.value.trimmed().isEmpty();
    cell.extra = {};
    if (extras)
        cursor.Next(cell.extra);
}

// False when the file's last byte is known to be something else than a line end.
bool EndsWithLineEnd(const QString& path)
{
    QFile f(path);
    char last = '\n';
    if (f.open(QIODevice::ReadOnly) && f.size() > 0 && f.seek(f.size() - 1))
        f.getChar(&last);
    return last == '\n';
}

LineKey KeyOf(QByteArrayView line, const StampFormat& stamps)
{
    ItemCursor cursor(line);
    QByteArrayView first;
    const bool hasFirst = cursor.Next(first);
    if (WithoutLineEnd(line).trimmed().isEmpty() || (hasFirst && IsModelName(first)))
        return {};
    double t = 0;
    // A stamp that cannot be read counts as time 0.
    return {true, hasFirst && stamps.Parse(first, t) ? SecondKey(t) : SecondKey(0)};
}
} // namespace

// ---------------------------------------------------------------- names

QString DatestampedName(const QString& name, double today)
{
    const QString stamp = CalendarDate(today).toString(QStringLiteral("yyMMdd"));
    const qsizetype pos = DatePosition(name);
    return name.left(pos) + stamp + name.mid(pos);
}

QString CurrentDataFileName(const AppState& s, double today)
{
    return s.DatestampFileName ? DatestampedName(s.LogFileName, today) : s.LogFileName;
}

bool IsDatestampedNameOf(const QString& candidate, const QString& name, const QString& folder)
{
    const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
    const QString c = QDir::cleanPath(dir.absoluteFilePath(candidate));
    const QString n = QDir::cleanPath(dir.absoluteFilePath(name));
    const qsizetype pos = DatePosition(n);
    if (c.size() != n.size() + 6 || c.left(pos).compare(n.left(pos), Qt::CaseInsensitive) != 0
        || c.mid(pos + 6).compare(n.mid(pos), Qt::CaseInsensitive) != 0)
        return false;
    const QString digits = c.mid(pos, 6);
    for (QChar ch : digits) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return QDate(2000 + digits.left(2).toInt(), digits.mid(2, 2).toInt(), digits.mid(4, 2).toInt()).isValid();
}

QString UntitledDataFileName(const AppState& s)
{
    return QDir(s.FolderData).filePath(QStringLiteral("Untitled.vam"));
}

void NewDataFileName(AppState& s)
{
    s.LogFileName = UntitledDataFileName(s);
    s.LogCount = 0;
}

// ---------------------------------------------------------------- file rules

bool IsNetworkPath(const QString& path)
{
    if (path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//")))
        return true;
    if (path.isEmpty())
        return false;
    // The nearest existing folder tells the file system.
    QFileInfo fi(path);
    QString probe = fi.absoluteFilePath();
    while (!probe.isEmpty() && !QFileInfo::exists(probe)) {
        const QString up = QFileInfo(probe).absolutePath();
        if (up == probe)
            break;
        probe = up;
    }
    const QStorageInfo storage(probe);
    if (!storage.isValid())
        return false;
    const QByteArray type = storage.fileSystemType().toLower();
    static const QList<QByteArray> network = {"nfs", "nfs4", "cifs", "smb", "smbfs", "smb2", "smb3", "9p", "afs",
                                              "ncpfs", "ceph", "glusterfs", "lustre", "davfs", "coda"};
    if (network.contains(type))
        return true;
    return type.startsWith("fuse.") && (type.contains("sshfs") || type.contains("davfs") || type.contains("rclone")
                                        || type.contains("smb") || type.contains("gluster") || type.contains("s3fs"));
}

bool IsReadOnlyDataFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (IsNetworkPath(path))
        return true;
    const QFileInfo fi(path);
    // The permission bits stand for the read-only attribute; they hold for
    // every user, the administrator included.
    return fi.exists() && (!(fi.permissions() & QFileDevice::WriteOwner) || !fi.isWritable());
}

bool DatestampEditRefused(const AppState& s)
{
    return s.DatestampFileName
        && (s.LogFileWork.isEmpty() || s.LogFileWork.compare(s.LogFileName, Qt::CaseInsensitive) == 0);
}

QString BackupName(const QString& path)
{
    if (path.endsWith(QLatin1String(".vam"), Qt::CaseInsensitive))
        return path.chopped(4) + QStringLiteral(".bak");
    return path + QStringLiteral(".bak");
}

// ---------------------------------------------------------------- DataFile

DataFile::DataFile(AppState& state, const LanguageTable& language)
    : clock([] { return NowDays(); }), renameFile(PosixRename), s_(state), lang_(language)
{
}

QString DataFile::AppendTarget() const { return CurrentDataFileName(s_, clock()); }

QString DataFile::RewriteTarget() const
{
    if (!s_.LogFileWork.isEmpty() && s_.LogFileWork != s_.LogFileName)
        return s_.LogFileWork;
    return AppendTarget();
}

DataFileReport DataFile::Failure(const QString& path, const QString& error) const
{
    DataFileReport r;
    r.ok = false;
    const QString name = QFileInfo(path).fileName();
    r.title = name;
    r.message = lang_[kErrorOpening] + QDir::toNativeSeparators(path) + QStringLiteral("' !");
    if (!error.isEmpty())
        r.message += QStringLiteral("\r\n\r\n") + error;
    r.status = lang_[kWarning] + lang_[kErrorOpening] + name + QStringLiteral("' !");
    return r;
}

DataFileReport DataFile::AppendRecord(const QString& info)
{
    s_.LogFileWork = s_.LogFileName;
    Pending op;
    op.kind = Pending::Append;
    op.path = AppendTarget();
    op.device = s_.DeviceName;
    op.header = s_.LogCount == 1;
    op.line = RecordLine(s_, info, stamps_);
    if (holdAppends && !op.path.isEmpty()) {
        pending_.push_back(std::move(op));
        return pending_.size() < size_t(kHeldBlock) ? DataFileReport() : Flush();
    }
    return Submit(std::move(op));
}

DataFileReport DataFile::RewriteLastRecord(const LogTable& table, int logNumber, const QString& info)
{
    const int row = table.RowOfNumber(logNumber);
    const auto refs = RefsOfRows(table, {row});
    return refs.empty() ? RewriteLastRecord(table.Time(row), info) : RewriteRecord(refs.front().second, info);
}

std::vector<std::pair<int, DataFile::RecordRef>> DataFile::RefsOfRows(const LogTable& table, const std::vector<int>& rows)
{
    std::vector<std::pair<int, RecordRef>> refs;
    refs.reserve(rows.size());
    QHash<qint64, int> seen;
    int next = 0; // rows are ascending: one pass over the table counts the seconds
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (int row : sorted) {
        for (; next < row && next < table.Count(); ++next)
            if (table.HasTime(next))
                ++seen[SecondKey(table.Time(next))];
        if (row < 0 || row >= table.Count() || !table.HasTime(row))
            continue;
        refs.push_back({row, {table.Time(row), seen.value(SecondKey(table.Time(row)))}});
    }
    return refs;
}

namespace {
// A time given n times names the first n records of its second.
std::vector<DataFile::RecordRef> RefsInOrder(const std::vector<double>& times)
{
    std::vector<DataFile::RecordRef> refs;
    QHash<qint64, int> count;
    for (double time : times)
        refs.push_back({time, count[SecondKey(time)]++});
    return refs;
}
} // namespace

DataFileReport DataFile::RewriteLastRecord(double rowTime, const QString& info) { return RewriteRecord({rowTime, 0}, info); }

DataFileReport DataFile::RewriteRecord(const RecordRef& ref, const QString& info)
{
    const double rowTime = ref.time;
    Pending op;
    op.occurrence = ref.occurrence;
    op.kind = Pending::Replace;
    op.path = RewriteTarget();
    op.device = s_.DeviceName;
    op.line = RecordLine(s_, info, stamps_);
    op.key = SecondKey(rowTime);
    op.copyPath = CurrentDataFileName(s_, clock()) + QStringLiteral(".copy");
    return Submit(std::move(op));
}

DataFileReport DataFile::RewriteInfoTexts(const std::vector<std::pair<double, QString>>& timesAndInfo)
{
    std::vector<double> times;
    for (const auto& item : timesAndInfo)
        times.push_back(item.first);
    const std::vector<RecordRef> refs = RefsInOrder(times);
    std::vector<std::pair<RecordRef, QString>> refsAndInfo;
    for (size_t i = 0; i < refs.size(); ++i)
        refsAndInfo.emplace_back(refs[i], timesAndInfo[i].second);
    return RewriteInfoTextsOf(refsAndInfo);
}

DataFileReport DataFile::RewriteInfoTextsOf(const std::vector<std::pair<RecordRef, QString>>& refsAndInfo)
{
    if (refsAndInfo.empty())
        return RetryPending();
    Pending op;
    op.kind = Pending::Info;
    op.path = RewriteTarget();
    op.device = s_.DeviceName;
    op.infoItem = 1 + LoggedChannelCount(s_) * (HasExtraItem(s_.DeviceName) ? 5 : 4);
    for (const auto& [ref, info] : refsAndInfo)
        op.infos.push_back({{SecondKey(ref.time), ref.occurrence}, ItemBytes(info.trimmed())});
    return Submit(std::move(op));
}

DataFileReport DataFile::DeleteRecords(const std::vector<double>& times)
{
    return DeleteRecordsOf(RefsInOrder(times));
}

DataFileReport DataFile::DeleteRecordsOf(const std::vector<RecordRef>& records)
{
    if (records.empty())
        return RetryPending();
    Pending op;
    op.kind = Pending::Delete;
    op.path = RewriteTarget();
    op.device = s_.DeviceName;
    op.deleted.reserve(records.size());
    for (const RecordRef& ref : records)
        op.deleted.emplace_back(SecondKey(ref.time), ref.occurrence);
    return Submit(std::move(op));
}

DataFileReport DataFile::RetryPending() { return Flush(); }

DataFileReport DataFile::Submit(Pending op)
{
    if (op.path.isEmpty()) {
        // No data file name: there is nothing to retry later.
        DataFileReport r = Failure(op.path, QString());
        r.showMessage = !failing_;
        return r;
    }
    pending_.push_back(std::move(op));
    return Flush();
}

DataFileReport DataFile::Flush()
{
    QString error, path;
    while (!pending_.empty()) {
        const Pending& front = pending_.front();
        path = front.path;
        if (front.kind == Pending::Append) {
            size_t n = 1;
            while (n < pending_.size() && pending_[n].kind == Pending::Append && pending_[n].path == front.path)
                ++n;
            if (!WriteAppends(n, error))
                break;
            pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(n));
        } else {
            if (!Rewrite(front, error))
                break;
            pending_.pop_front();
        }
    }
    if (pending_.empty()) {
        DataFileReport r;
        r.recovered = failing_;
        failing_ = false;
        return r;
    }
    DataFileReport r = Failure(path, error);
    if (pending_.size() > 1)
        r.status += QStringLiteral(" (") + QString::number(pending_.size()) + QLatin1Char(')');
    r.showMessage = !failing_;
    failing_ = true;
    return r;
}

bool DataFile::WriteAppends(size_t count, QString& error)
{
    const QString& path = pending_.front().path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error = f.errorString();
        return false;
    }
    const qint64 before = f.size();
    QByteArray bytes;
    // A file cut off inside a record gets its line end first: the new record
    // must not run on into the broken one and be read as part of it.
    if (before > 0 && path != lineEnded_ && !EndsWithLineEnd(path))
        bytes += kCrLf;
    for (size_t i = 0; i < count; ++i) {
        const Pending& op = pending_[i];
        if ((i == 0 && before == 0) || op.header)
            bytes += HeaderLine(op.device) + kCrLf;
        bytes += op.line + kCrLf;
    }
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        error = f.errorString();
        // No half record may stay behind for the retry to append to.
        if (!f.isSequential())
            f.resize(before);
        f.close();
        return false;
    }
    f.close();
    if (f.error() != QFileDevice::NoError) {
        error = f.errorString();
        return false;
    }
    lineEnded_ = path;
    return true;
}

bool DataFile::Rewrite(const Pending& op, QString& error)
{
    lineEnded_.clear(); // lines are copied as they are, a cut-off last one too
    // A datalog transfer's backup replaces the data file in one step; a
    // failed put-back leaves both files as they were.
    if (op.kind == Pending::Replace && !op.copyPath.isEmpty() && QFileInfo::exists(op.copyPath)) {
        errno = 0;
        if (!renameFile(op.copyPath, op.path)) {
            error = SystemError();
            return false;
        }
    }

    QFile in(op.path);
    const bool hasInput = in.exists();
    if (!hasInput && op.kind == Pending::Delete)
        return true; // no file, no records to remove
    if (hasInput && !in.open(QIODevice::ReadOnly)) {
        error = in.errorString();
        return false;
    }
    const QString newPath = op.path + QStringLiteral(".new");
    QFile out(newPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = out.errorString();
        return false;
    }

    QHash<QPair<qint64, int>, QByteArray> infos;
    for (const auto& [ref, info] : op.infos)
        infos.insert(qMakePair(ref.first, ref.second), info);
    QSet<QPair<qint64, int>> deletions;
    for (const auto& ref : op.deleted)
        deletions.insert(qMakePair(ref.first, ref.second));
    QHash<qint64, int> seen; // records of each second so far: which one a line is
    bool matched = false, wroteAny = false, endsWithLineEnd = true, ok = true;
    auto write = [&](const QByteArray& bytes) {
        ok = ok && out.write(bytes) == bytes.size();
        wroteAny = true;
    };
    while (hasInput && ok && !in.atEnd()) {
        const QByteArray line = in.readLine();
        if (line.isEmpty() && in.error() != QFileDevice::NoError)
            break;
        endsWithLineEnd = line.endsWith('\n');
        const QByteArrayView content = WithoutLineEnd(line);
        const LineKey k = (op.kind == Pending::Replace && matched) ? LineKey{} : KeyOf(content, stamps_);
        const int occurrence = k.record ? seen[k.key]++ : -1;
        if (k.record && op.kind == Pending::Replace && k.key == op.key && occurrence == op.occurrence) {
            write(op.line + kCrLf);
            matched = true;
            endsWithLineEnd = true;
            continue;
        }
        if (k.record && op.kind == Pending::Info) {
            auto it = infos.constFind(qMakePair(k.key, occurrence));
            if (it != infos.constEnd()) {
                write(WithInfo(content, op.infoItem, *it) + line.mid(content.size()));
                continue;
            }
        }
        if (k.record && op.kind == Pending::Delete && deletions.contains(qMakePair(k.key, occurrence)))
            continue;
        write(line);
    }
    if (hasInput && in.error() != QFileDevice::NoError) {
        error = in.errorString();
        ok = false;
    }
    if (ok && op.kind == Pending::Replace && !matched) {
        // The record to replace is not in the file (it was moved away or its
        // time changed): keep the reading by appending it.
        if (!wroteAny)
            write(HeaderLine(op.device) + kCrLf);
        else if (!endsWithLineEnd)
            write(kCrLf);
        write(op.line + kCrLf);
    }
    ok = ok && out.flush() && ::fsync(out.handle()) == 0;
    if (!ok) {
        if (error.isEmpty())
            error = out.error() != QFileDevice::NoError ? out.errorString() : SystemError();
        out.close();
        QFile::remove(newPath);
        return false;
    }
    out.close();
    in.close();

    // The data file stays in place until the new version replaces it in one
    // rename; ".old" is a second name of the previous version.
    if (hasInput) {
        const QString oldPath = op.path + QStringLiteral(".old");
        if (QFileInfo::exists(oldPath) && !QFile::remove(oldPath)) {
            error = SystemError();
            QFile::remove(newPath);
            return false;
        }
        if (::link(QFile::encodeName(op.path).constData(), QFile::encodeName(oldPath).constData()) != 0
            && !QFile::copy(op.path, oldPath)) {
            error = SystemError();
            QFile::remove(newPath);
            return false;
        }
    }
    errno = 0;
    if (!renameFile(newPath, op.path)) {
        error = errno ? SystemError() : QStringLiteral("rename");
        QFile::remove(newPath);
        return false;
    }
    SyncFolderOf(op.path);
    return true;
}

DataFileReport DataFile::SaveTableAs(const LogTable& table, const QString& path)
{
    // Each row goes through the record writer as if it were the current
    // reading, so the file is byte for byte what logging would have written.
    AppState row = s_;
    const int channels = std::min(table.Channels(), LoggedChannelCount(s_));
    const QString newPath = path + QStringLiteral(".new");
    QFile out(newPath);
    QString error;
    bool ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        QByteArray bytes = HeaderLine(table.DeviceName().isEmpty() ? s_.DeviceName : table.DeviceName()) + kCrLf;
        for (int r = 0; r < table.Count() && ok; ++r) {
            row.Readings[1].ReadingTime = table.Time(r);
            for (int c = 1; c <= channels; ++c) {
                ChannelReading& reading = row.Readings[size_t(c)];
                reading.HasValue = table.HasReading(r, c);
                reading.ValueText = table.Value(r, c);
                reading.UnitText = table.Unit(r, c);
                reading.ExtraText = table.Extra(r, c);
                reading.OverRange = table.OverRange(r, c);
            }
            bytes += RecordLine(row, table.Info(r), stamps_) + kCrLf;
            if (bytes.size() >= kChunk) {
                ok = out.write(bytes) == bytes.size();
                bytes.clear();
            }
        }
        ok = ok && out.write(bytes) == bytes.size() && out.flush() && ::fsync(out.handle()) == 0;
    }
    if (!ok)
        error = out.error() != QFileDevice::NoError ? out.errorString() : SystemError();
    out.close();
    errno = 0;
    if (ok && !renameFile(newPath, path)) {
        ok = false;
        error = errno ? SystemError() : QStringLiteral("rename");
    }
    if (!ok) {
        QFile::remove(newPath);
        DataFileReport r = Failure(path, error);
        r.showMessage = true;
        return r;
    }
    SyncFolderOf(path);
    pending_.clear();
    failing_ = false;
    s_.LogFileName = path;
    s_.LogFileWork = path;
    s_.DataFileReadOnly = false;
    return {};
}

QString RecoveryFileName(const QString& folder, const QString& logFileName, double now)
{
    QString base = QFileInfo(logFileName).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("Untitled");
    const QDateTime t = FromDays(now);
    return QDir(folder).filePath(base + QStringLiteral(" unsaved ") + t.toString(QStringLiteral("yyMMdd-HHmmss"))
                                 + QStringLiteral(".vam"));
}

// ---------------------------------------------------------------- loading

LoadResult DataFile::LoadDataFile(LogTable& table, const QString& path, const LoadProgress& progress)
{
    LoadResult result;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return result;
    Flush(); // records held back by a failure belong in the file first
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        result.report = Failure(path, f.errorString());
        result.report.showMessage = true;
        return result;
    }
    result.loaded = true;
    lineEnded_.clear(); // the file may have been changed by others
    s_.LogCount = 0;
    s_.LogFileWork = path;
    s_.FileLoading = true;
    table.SetLayout(s_);
    table.Clear();

    const int channels = table.Channels();
    const bool extras = table.Extras();
    std::vector<bool> inUse(size_t(channels) + 1);
    for (int c = 1; c <= channels; ++c)
        inUse[size_t(c)] = s_.ChannelInUse(c);
    std::vector<LogTable::RawCell> cells(static_cast<size_t>(channels));
    const qint64 size = std::max<qint64>(f.size(), 1);
    qint64 done = 0;
    QByteArray lastRecord;
    double lastTime = 0;
    bool lastHasTime = false;
    QElapsedTimer timer;
    timer.start();
    qint64 lastReport = 0;
    if (progress && !progress(0))
        result.cancelled = true;

    // Items of a whole record: the time, each channel's, the info.
    const qsizetype recordItems = 2 + qsizetype(channels) * (extras ? 5 : 4);
    int lineNumber = 0;
    auto damaged = [&](int& count) {
        ++count;
        if (result.damage.firstLine == 0)
            result.damage.firstLine = lineNumber;
    };
    auto takeLine = [&](QByteArrayView line, bool unterminated) {
        ++lineNumber;
        line = WithoutLineEnd(line);
        if (line.trimmed().isEmpty())
            return;
        ItemCursor cursor(line);
        QByteArrayView first;
        const bool hasFirst = cursor.Next(first);
        double time = 0;
        const bool hasTime = hasFirst && stamps_.Parse(first, time);
        const qsizetype quotes = QuoteCount(line);
        if (!hasTime) {
            if (hasFirst && IsModelName(first)) {
                if (result.headerDevice.isEmpty())
                    result.headerDevice = QString::fromLatin1(first.data(), first.size());
                return;
            }
            if (IsLoneItemLine(line))
                return; // the header of a device without a name
            if (!HasRecordShape(cursor)) {
                damaged(result.damage.skippedLines);
                return;
            }
        }
        // A record cut off (a quote left open, or the file ends inside it)
        // would show as a row of empty or partial fields. Older writers wrote
        // shorter records: a whole line with fewer items is still one.
        if ((quotes % 2 != 0 || unterminated) && quotes / 2 < recordItems) {
            damaged(result.damage.skippedLines);
            return;
        }
        if (!hasTime)
            ++result.unreadableTimes;
        bool badValue = false;
        for (int c = 0; c < channels; ++c) {
            LogTable::RawCell& cell = cells[size_t(c)];
            ReadChannel(cursor, extras, cell);
            cell.hasValue = cell.hasValue && inUse[size_t(c + 1)];
            badValue = badValue
                || (cell.hasValue && (IsGarbledNumber(cell.value) || (extras && IsGarbledTemperature(cell.extra))));
        }
        if (badValue)
            damaged(result.damage.badValueLines);
        QByteArrayView info;
        cursor.Next(info);
        table.AppendBulk(time, hasTime, cells.data(), info);
        ++s_.LogCount;
        lastRecord.resize(line.size());
        std::memcpy(lastRecord.data(), line.data(), size_t(line.size()));
        lastTime = time;
        lastHasTime = hasTime;
    };

    table.BeginBulk();
    QByteArray buffer;
    bool reserved = false;
    while (!result.cancelled) {
        const QByteArray chunk = f.read(kChunk);
        const bool atEnd = chunk.isEmpty();
        buffer.append(chunk);
        qsizetype start = 0;
        int sinceCheck = 0;
        while (true) {
            const char* nl = static_cast<const char*>(std::memchr(buffer.constData() + start, '\n', size_t(buffer.size() - start)));
            if (!nl)
                break;
            const qsizetype end = nl - buffer.constData();
            takeLine(QByteArrayView(buffer.constData() + start, end - start), false);
            done += end + 1 - start;
            start = end + 1;
            if (++sinceCheck == 4096) {
                sinceCheck = 0;
                if (progress && timer.elapsed() - lastReport >= progressIntervalMs) {
                    lastReport = timer.elapsed();
                    if (!progress(int(done * 100 / size))) {
                        result.cancelled = true;
                        break;
                    }
                }
            }
        }
        if (result.cancelled)
            break;
        if (!reserved && done > 0 && done < size) {
            // Room for the whole file at once, judged from the records of the
            // first chunk: blank and stray lines take no room, so a file of
            // them must not reserve a row per line.
            table.Reserve(int(std::min<double>(double(table.Count()) * double(size) / double(done) * 1.02 + 16, 1e8)));
            reserved = true;
        }
        if (atEnd) {
            // A last line without its line end counts too, unless it is cut off inside the record.
            if (start < buffer.size())
                takeLine(QByteArrayView(buffer.constData() + start, buffer.size() - start), true);
            done = size;
            break;
        }
        buffer.remove(0, start);
    }
    table.EndBulk();

    // The current readings are those of the last record, as if each record
    // had passed through them.
    if (!lastRecord.isEmpty()) {
        ItemCursor cursor(lastRecord);
        QByteArrayView item;
        cursor.Next(item);
        for (int c = 1; c <= channels; ++c) {
            ChannelReading& r = s_.Readings[size_t(c)];
            if (lastHasTime)
                r.ReadingTime = lastTime;
            LogTable::RawCell cell;
            ReadChannel(cursor, extras, cell);
            r.ValueText = QString::fromLatin1(cell.value.data(), cell.value.size());
            r.UnitText = QString::fromLatin1(cell.unit.data(), cell.unit.size());
            r.OverRange = cell.overRange;
            r.HasValue = cell.hasValue;
            r.ExtraText = QString::fromLatin1(cell.extra.data(), cell.extra.size());
        }
    }
    result.records = s_.LogCount;
    s_.FileLoading = false;
    if (progress && !result.cancelled)
        progress(100);
    return result;
}

DataFile::OpenResult DataFile::OpenDataFile(LogTable& table, const QString& previousName, const LoadProgress& progress)
{
    OpenResult r;
    if (s_.LogFileName.isEmpty() || !QFileInfo::exists(s_.LogFileName)) {
        r.report.ok = false;
        r.report.showMessage = true;
        r.report.title = lang_[kFileToOpen];
        r.report.message = lang_[kNonExistingFile];
    } else {
        r.load = LoadDataFile(table, s_.LogFileName, progress);
        if (!r.load.report.ok) {
            r.report = r.load.report;
        } else if (const QString damage = DamageText(r.load, s_.LogFileName, lang_); !damage.isEmpty()) {
            r.report.showMessage = true;
            r.report.title = lang_[kFileToOpen];
            r.report.message = damage;
        }
    }
    s_.DataFileReadOnly = IsReadOnlyDataFile(s_.LogFileName);
    if (!previousName.isEmpty() && s_.DatestampFileName
        && previousName.compare(s_.LogFileName, Qt::CaseInsensitive) != 0
        && !IsDatestampedNameOf(previousName, s_.LogFileName, s_.FolderData)
        && !IsDatestampedNameOf(s_.LogFileName, previousName, s_.FolderData)) {
        s_.DatestampFileName = false;
        r.datestampMessage = lang_[kOutsideDatestampRange];
    }
    return r;
}

DataFileReport DataFile::SaveDataFileAs(const QString& chosen, bool createNew)
{
    if (IsNetworkPath(chosen)) {
        DataFileReport r;
        r.ok = false;
        r.showMessage = true;
        r.title = lang_[kFileToSaveAs];
        r.message = lang_[kNetworkRefused];
        return r;
    }
    const QString current = RewriteTarget();
    const bool same = QFileInfo(current).absoluteFilePath() == QFileInfo(chosen).absoluteFilePath();
    QString backup;
    if (!same && QFileInfo::exists(chosen)) {
        backup = BackupName(chosen);
        if ((QFileInfo::exists(backup) && !QFile::remove(backup)) || !PosixRename(chosen, backup)) {
            DataFileReport r = Failure(chosen, SystemError());
            r.showMessage = true;
            return r;
        }
    }
    if (!createNew && !same && !current.isEmpty() && QFileInfo::exists(current)) {
        QFile source(current);
        if (!source.copy(chosen)) {
            DataFileReport r = Failure(chosen, source.errorString());
            r.showMessage = true;
            // Nothing may be lost: the file that was there comes back.
            if (!backup.isEmpty())
                PosixRename(backup, chosen);
            return r;
        }
    }
    s_.LogFileName = chosen;
    s_.LogFileWork = chosen;
    s_.DataFileReadOnly = false;
    return {};
}
