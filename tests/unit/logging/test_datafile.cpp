// Data files: the record format, date-stamped names, appending, the safe
// rewrite, loading, and what happens when the disk or folder lets us down.

#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/logging/recordformat.h"
#include "core/devices/catalogue.h"
#include "core/devices/readings.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"
#include "readingformats.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

double Days(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return ToDays(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QList<QByteArray> Lines(const QString& path)
{
    QList<QByteArray> lines = ReadAll(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& l : lines) {
        EXPECT_TRUE(l.endsWith('\r')) << l.constData();
        l.chop(1);
    }
    return lines;
}

struct DataFileTest : testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.FolderData = dir.path();
        UseDevice(QStringLiteral("A101"));
        state.LogFileName = dir.filePath(QStringLiteral("data.vam"));
        file.clock = [this] { return today; };
    }
    void UseDevice(const QString& model)
    {
        ApplyDevice(state, model, now);
        state.DeviceName = model;
        table.SetLayout(state);
    }
    // Channel c gets value "v<c>.<n>" and unit "u<c>"; one second per reading.
    void SetReading(int n, bool overRange = false)
    {
        for (int c = 1; c <= state.ChannelCount; ++c) {
            ChannelReading& r = state.Readings[c];
            r.ReadingTime = now + n * kOneSecond;
            r.ValueText = QStringLiteral("%1.%2").arg(c).arg(n);
            r.UnitText = QStringLiteral("u%1").arg(c);
            r.OverRange = overRange;
            r.HasValue = true;
        }
    }
    // What PropagateReading does with a logged reading.
    DataFileReport Log(int logNumber, const QString& info = QString())
    {
        state.LogCount = logNumber;
        SetReading(logNumber);
        table.VulTabelAan(state, info);
        return file.AppendRecord(info);
    }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    LogTable table;
    DataFile file{state, lang};
    double now = Days(2026, 12, 5, 8, 30, 0);
    double today = Days(2026, 12, 5, 12);
};

// Every cell of two tables, row by row.
void ExpectSameTable(const LogTable& a, const LogTable& b, const std::string& what)
{
    ASSERT_EQ(a.rowCount(), b.rowCount()) << what;
    ASSERT_EQ(a.columnCount(), b.columnCount()) << what;
    for (int r = 0; r < a.rowCount(); ++r) {
        for (int c = 0; c < a.columnCount(); ++c)
            ASSERT_EQ(a.CellText(r, c), b.CellText(r, c)) << what << " row " << r << " column " << c;
        ASSERT_EQ(SecondKey(a.Time(r)), SecondKey(b.Time(r))) << what << " row " << r;
    }
}

} // namespace

TEST(RecordFormat, Items)
{
    struct ItemCase {
        const char* line;
        QStringList items;
    } items[] = {
        {"'a','b',''", {"a", "b", ""}},
        {"  'a' junk 'b'", {"a", "b"}},
        {"'7.01','pH','Fal", {"7.01", "pH"}}, // the cut-off item is not taken
        {"no quotes", {}},
        {"'\xB5" "S/cm','\xB0" "C'", {"\u00B5S/cm", "\u00B0C"}},
    };
    for (const ItemCase& c : items) {
        QString line = QString::fromLatin1(c.line);
        EXPECT_EQ(PeekFirstItem(line), c.items.value(0)) << c.line;
        QStringList got;
        for (int i = 0; i < c.items.size() + 2; ++i)
            got << NextItem(line);
        EXPECT_EQ(got.mid(0, c.items.size()), c.items) << c.line;
        EXPECT_EQ(got.mid(c.items.size()), QStringList({"", ""})) << c.line; // past the end: empty
    }
}

TEST(RecordFormat, ItemsThatWouldBreakTheLineAreMadeSafe)
{
    AppState s;
    ApplyDevice(s, QStringLiteral("A101"), 0);
    s.DeviceName = QStringLiteral("A101");
    s.Readings[1].ValueText = QStringLiteral("7.01");
    s.Readings[1].UnitText = QStringLiteral("\u00B5S/cm");
    const QByteArray line = RecordLine(s, QStringLiteral("it's\r\nfine \u20AC"), StampFormat(QLocale::c()));
    EXPECT_TRUE(line.endsWith(",'it\xB4s  fine ?'")) << line.constData();
    EXPECT_TRUE(line.contains(",'7.01','\xB5" "S/cm','False','False',")) << line.constData();
    EXPECT_EQ(line.count('\''), 2 * (1 + 2 * 4 + 1));
}

TEST(RecordFormat, StampsReadBackToTheSecondInEveryLocale)
{
    const double times[] = {Days(2026, 12, 5, 8, 30, 0), Days(2026, 12, 5, 0, 0, 0), Days(2026, 12, 5, 12, 0, 59),
                            Days(2024, 2, 29, 23, 59, 59), Days(1999, 1, 31, 13, 1, 2),
                            Days(2026, 3, 2, 10, 0, 0) + 0.7 * kOneSecond};
    // fr_CA, eo, nds_DE and nn_NO put words between the fields of the time.
    for (const char* name : {"C", "en_US", "en_GB", "nl_NL", "fr_FR", "de_DE", "ja_JP", "ar_EG", "fa_IR", "fr_CA", "eo",
                             "nds_DE", "nn_NO"}) {
        const StampFormat format{QLocale(QString::fromLatin1(name))};
        for (double t : times) {
            const QString stamp = format.Format(t);
            for (QChar c : stamp)
                ASSERT_TRUE(c.unicode() < 256 && c != QLatin1Char('\'')) << name << " " << stamp.toStdString();
            EXPECT_EQ(format.FormatDate(t) + QLatin1Char(' ') + format.FormatTime(t), stamp);
            double back = 0;
            ASSERT_TRUE(format.Parse(stamp.toLatin1(), back)) << name << " " << stamp.toStdString();
            EXPECT_EQ(SecondKey(back), SecondKey(t)) << name << " " << stamp.toStdString();
        }
    }
    // Older files: a two-digit year, or days as a number.
    const StampFormat us{QLocale(QStringLiteral("en_US"))};
    double t = 0;
    ASSERT_TRUE(us.Parse(QByteArrayLiteral("12/5/26 8:30:01 PM"), t));
    EXPECT_EQ(SecondKey(t), SecondKey(Days(2026, 12, 5, 20, 30, 1)));
    ASSERT_TRUE(us.Parse(QByteArrayLiteral("46361.5"), t));
    EXPECT_DOUBLE_EQ(t, 46361.5);
    for (const char* bad : {"", "A101", "13/45/2026 10:00:00 AM", "12/5/2026 25:00:00", "abc"})
        EXPECT_FALSE(us.Parse(QByteArray(bad), t)) << bad;
}

TEST(DataFileNames, DateGoesBeforeTheFileNamesFirstDot)
{
    const double day = Days(2026, 12, 5, 23, 59, 59);
    struct {
        const char* name;
        const char* dated;
    } cases[] = {
        {"/data/data.vam", "/data/data261205.vam"},
        {"data.vam", "data261205.vam"},
        {"/home/first.last/data.vam", "/home/first.last/data261205.vam"},
        {"/data/run.2.vam", "/data/run261205.2.vam"},
        {"/data/noext", "/data/noext261205"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DatestampedName(QString::fromLatin1(c.name), day), QString::fromLatin1(c.dated)) << c.name;
        EXPECT_TRUE(IsDatestampedNameOf(QString::fromLatin1(c.dated), QString::fromLatin1(c.name), QStringLiteral("/data")))
            << c.name;
    }
    EXPECT_TRUE(IsDatestampedNameOf(QStringLiteral("DATA261205.VAM"), QStringLiteral("/data/data.vam"), QStringLiteral("/data")));
    for (const char* other : {"/data/data261305.vam", "/data/data26120.vam", "/data/other261205.vam", "/data/data.vam",
                              "/data/data26120x.vam"})
        EXPECT_FALSE(IsDatestampedNameOf(QString::fromLatin1(other), QStringLiteral("/data/data.vam"), QStringLiteral("/data")))
            << other;
    EXPECT_EQ(BackupName(QStringLiteral("/d/x.VAM")), QStringLiteral("/d/x.bak"));
    EXPECT_EQ(BackupName(QStringLiteral("/d/x.txt")), QStringLiteral("/d/x.txt.bak"));
    EXPECT_TRUE(IsNetworkPath(QStringLiteral("\\\\server\\share\\data.vam")));
    EXPECT_TRUE(IsNetworkPath(QStringLiteral("//server/share/data.vam")));
    EXPECT_FALSE(IsNetworkPath(QDir::tempPath() + QStringLiteral("/data.vam")));
}

// Real reading layouts of every catalogue model: what the table holds after
// logging must come back from the file, cell for cell.
TEST_F(DataFileTest, EveryModelsRecordsRoundTrip)
{
    for (const CatalogueModel& m : CatalogueModels()) {
        const QString model = QString::fromLatin1(m.name);
        UseDevice(model);
        table.Clear();
        state.LogFileName = dir.filePath(QString::fromLatin1(m.name).replace(QLatin1Char(' '), QLatin1Char('_')) + ".vam");
        int logNumber = 0;
        for (int index : {0, 7, 60, 181}) {
            for (const SimRecord& rec : MakeReading(model, index, 5, false).records) {
                const double t = ToDays(SimFixedClock(index)) + logNumber * kOneSecond;
                for (int c = 1; c <= kMaxChannels; ++c)
                    ClearReading(state.Readings[c], t);
                for (const SimValue& v : rec) {
                    ChannelReading& r = state.Readings[v.channel];
                    r.ValueText = ToLocaleDecimal(v.value);
                    r.UnitText = v.unit;
                    r.ExtraText = v.extra;
                    r.HasValue = true;
                    r.OverRange = (logNumber % 3 == 2) && v.channel == rec.first().channel;
                }
                state.LogCount = ++logNumber;
                const QString info = logNumber == 2 ? QStringLiteral("relative mode \u00B0") : QString();
                table.VulTabelAan(state, info);
                ASSERT_TRUE(file.AppendRecord(info).ok) << m.name;
            }
        }
        ASSERT_GT(logNumber, 3) << m.name;

        // Line shape: header, then time + per logged channel 4 or 5 items + info.
        const QList<QByteArray> lines = Lines(state.LogFileName);
        ASSERT_EQ(lines.size(), logNumber + 1) << m.name;
        EXPECT_EQ(lines[0], "'" + QByteArray(m.name) + "'");
        const int perChannel = m.family == DeviceFamily::J70xx ? 5 : 4;
        const int logged = model == QLatin1String("J7050M") ? m.channelCount - 2 : m.channelCount;
        EXPECT_EQ(lines[1].count('\''), 2 * (2 + logged * perChannel)) << m.name;

        const ChannelReading lastReading = state.Readings[1];
        LogTable loaded;
        state.LogCount = 0;
        const LoadResult result = file.LoadDataFile(loaded, state.LogFileName);
        EXPECT_TRUE(result.loaded);
        EXPECT_EQ(result.records, logNumber);
        EXPECT_EQ(state.LogCount, logNumber);
        EXPECT_EQ(result.headerDevice, model);
        EXPECT_EQ(state.LogFileWork, state.LogFileName);
        ExpectSameTable(table, loaded, m.name);
        EXPECT_EQ(state.Readings[1].ValueText, lastReading.ValueText) << m.name;
        EXPECT_EQ(SecondKey(state.Readings[1].ReadingTime), SecondKey(lastReading.ReadingTime)) << m.name;
    }
}

TEST_F(DataFileTest, SeveralRunsInOneFileLoadAsOneTable)
{
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n).ok);
    table.Clear(); // a new table: the next reading is log number 1 again
    for (int n = 1; n <= 2; ++n)
        ASSERT_TRUE(Log(n, n == 2 ? QStringLiteral("Stop") : QString()).ok);

    const QList<QByteArray> lines = Lines(state.LogFileName);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "'A101'");
    EXPECT_EQ(lines[4], "'A101'");

    LogTable loaded;
    EXPECT_EQ(file.LoadDataFile(loaded, state.LogFileName).records, 5);
    EXPECT_EQ(loaded.rowCount(), 6);
    EXPECT_EQ(loaded.CellText(4, 0), QStringLiteral("5"));
    EXPECT_EQ(loaded.Value(4, 1), QStringLiteral("1.2"));
    EXPECT_EQ(loaded.Info(4), QStringLiteral("Stop"));
    EXPECT_EQ(loaded.CellText(5, 0), QStringLiteral("6")); // the empty row after the last reading
}

TEST_F(DataFileTest, DatestampedFilesChangeAtMidnight)
{
    state.DatestampFileName = true;
    today = Days(2026, 12, 5, 23, 59, 59);
    ASSERT_TRUE(Log(1).ok);
    ASSERT_TRUE(Log(2).ok);
    today = Days(2026, 12, 6, 0, 0, 1);
    ASSERT_TRUE(Log(3).ok);

    const QString day1 = dir.filePath(QStringLiteral("data261205.vam"));
    const QString day2 = dir.filePath(QStringLiteral("data261206.vam"));
    EXPECT_FALSE(QFile::exists(state.LogFileName));
    ASSERT_EQ(Lines(day1).size(), 3);
    const QList<QByteArray> second = Lines(day2);
    ASSERT_EQ(second.size(), 2); // a new file starts with its header
    EXPECT_EQ(second[0], "'A101'");
    EXPECT_TRUE(second[1].contains("'1.3'"));
    EXPECT_EQ(file.AppendTarget(), day2);

    // Editing is refused while the table may span several days' files.
    EXPECT_TRUE(DatestampEditRefused(state));
    LogTable loaded;
    file.LoadDataFile(loaded, day1);
    EXPECT_FALSE(DatestampEditRefused(state));
}

TEST_F(DataFileTest, RewriteLastRecordReplacesItSafely)
{
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n).ok);
    const QByteArray before = ReadAll(state.LogFileName);
    WriteAll(state.LogFileName + ".old", "an older backup");

    // The datalog transfer changes the last reading (same time) and rewrites
    // it; the row is found by its number, also after an earlier row was
    // deleted from the table.
    table.RemoveRows(0, 1);
    state.Readings[2].ValueText = QStringLiteral("9.99");
    table.VernieuwLaatsteTabellijn(state, QStringLiteral("merged"));
    ASSERT_TRUE(file.RewriteLastRecord(table, 3, QStringLiteral("merged")).ok);

    const QList<QByteArray> lines = Lines(state.LogFileName);
    const QList<QByteArray> old = before.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1] + '\r', old[1]);
    EXPECT_EQ(lines[2] + '\r', old[2]);
    EXPECT_TRUE(lines[3].contains("'9.99'"));
    EXPECT_TRUE(lines[3].endsWith("'merged'"));
    EXPECT_EQ(ReadAll(state.LogFileName + ".old"), before);
    EXPECT_FALSE(QFile::exists(state.LogFileName + ".new"));

    // A record that is not in the file any more is appended, not lost.
    state.Readings[1].ReadingTime = now + 100 * kOneSecond;
    ASSERT_TRUE(file.RewriteLastRecord(now + 100 * kOneSecond, QString()).ok);
    EXPECT_EQ(Lines(state.LogFileName).size(), 5);
}

TEST_F(DataFileTest, HeldAppendsAreWrittenWhenABlockIsFull)
{
    file.holdAppends = true;
    for (int n = 1; n < DataFile::kHeldBlock; ++n)
        ASSERT_TRUE(Log(n).ok);
    EXPECT_FALSE(QFile::exists(state.LogFileName));
    ASSERT_TRUE(Log(DataFile::kHeldBlock).ok);
    EXPECT_EQ(file.PendingRecords(), 0) << "a full block is written without waiting for the caller";
    EXPECT_EQ(Lines(state.LogFileName).size(), DataFile::kHeldBlock + 1);
}

TEST_F(DataFileTest, HeldAppendsAreWrittenInOneGoWithTheSameBytes)
{
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n).ok);
    const QByteArray oneByOne = ReadAll(state.LogFileName);

    state.LogFileName = dir.filePath(QStringLiteral("held.vam"));
    table.Clear();
    file.holdAppends = true;
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n).ok);
    EXPECT_FALSE(QFile::exists(state.LogFileName));
    EXPECT_EQ(file.PendingRecords(), 3);
    ASSERT_TRUE(file.RetryPending().ok);
    EXPECT_EQ(file.PendingRecords(), 0);
    EXPECT_EQ(ReadAll(state.LogFileName), oneByOne);

    // A rewrite comes after the records held before it.
    ASSERT_TRUE(Log(4).ok);
    state.Readings[1].ValueText = QStringLiteral("9.99");
    table.VernieuwLaatsteTabellijn(state, QStringLiteral("merged"));
    ASSERT_TRUE(file.RewriteLastRecord(table, 4, QStringLiteral("merged")).ok);
    const QList<QByteArray> lines = Lines(state.LogFileName);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[4].startsWith("'" + table.Stamps().Format(now + 4 * kOneSecond).toLatin1() + "','9.99'"));
    EXPECT_TRUE(lines[4].endsWith("'merged'"));

    // Loading reads what is held too.
    ASSERT_TRUE(Log(5).ok);
    LogTable loaded;
    EXPECT_EQ(file.LoadDataFile(loaded, state.LogFileName).records, 5);
}

TEST_F(DataFileTest, RewriteFirstPutsTheTransferCopyBack)
{
    for (int n = 1; n <= 2; ++n)
        ASSERT_TRUE(Log(n).ok);
    const QByteArray copy = ReadAll(state.LogFileName);
    ASSERT_TRUE(Log(3).ok); // logged after the transfer made its copy
    WriteAll(state.LogFileName + ".copy", copy);

    state.LogCount = 2;
    SetReading(2);
    state.Readings[1].ValueText = QStringLiteral("new");
    ASSERT_TRUE(file.RewriteLastRecord(now + 2 * kOneSecond, QString()).ok);
    const QList<QByteArray> lines = Lines(state.LogFileName);
    ASSERT_EQ(lines.size(), 3); // the copy's header and two records
    EXPECT_TRUE(lines[2].contains("'new'"));
    EXPECT_FALSE(QFile::exists(state.LogFileName + ".copy"));
}

TEST_F(DataFileTest, InfoTextsAreWrittenBackByTime)
{
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n, n == 2 ? QStringLiteral("keep") : QString()).ok);
    // A short line from an older file: its info item is added.
    QFile f(state.LogFileName);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("'" + file.Stamps().Format(now + 4 * kOneSecond).toLatin1() + "','4.0','u1'\r\n");
    f.close();
    const QList<QByteArray> before = Lines(state.LogFileName);

    ASSERT_TRUE(file.RewriteInfoTexts({{now + 1 * kOneSecond, QStringLiteral("!x")},
                                       {now + 4 * kOneSecond, QStringLiteral("late")}}).ok);
    const QList<QByteArray> after = Lines(state.LogFileName);
    ASSERT_EQ(after.size(), 5);
    EXPECT_EQ(after[1], before[1].chopped(2) + "'!x'");
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(after[4], before[4] + ",'','','','','',''" ",'late'");

    LogTable loaded;
    file.LoadDataFile(loaded, state.LogFileName);
    EXPECT_TRUE(loaded.Excluded(0));
    EXPECT_EQ(loaded.Info(1), QStringLiteral("keep"));
    EXPECT_EQ(loaded.Info(3), QStringLiteral("late"));
}

TEST_F(DataFileTest, DamagedLinesLoadWhatTheyCanWithoutShifting)
{
    const StampFormat& f = file.Stamps();
    auto stamp = [&](int n) { return "'" + f.Format(now + n * kOneSecond).toLatin1() + "'"; };
    const QByteArray text = "'A101'\r\n"
                            "\r\n"
        + stamp(1) + ",'1.1','u1','False','True','2.1','u2','False','True',''\r\n"
        + stamp(2) + ",'1.2','u1'\r\n"                                       // fewer items
        + "''\r\n"                                                           // header of no device
        + "'not a time','1.3','u1','True','True','2.3','u2','False','True','odd'\n" // unreadable stamp, LF only
        + stamp(4) + ",'1.4','u1','False','True','2.4','u2','False','True','last'\r\n"
        + stamp(5) + ",'1.5','u1','False','True','2.";                        // cut off
    WriteAll(state.LogFileName, text);

    LogTable loaded;
    const LoadResult r = file.LoadDataFile(loaded, state.LogFileName);
    ASSERT_EQ(r.records, 4) << "the cut-off record is no row";
    EXPECT_EQ(r.unreadableTimes, 1);
    EXPECT_EQ(r.damage.skippedLines, 1);
    EXPECT_EQ(r.damage.firstLine, 8);
    struct Row {
        const char* ch1;
        const char* ch2;
        const char* info;
        bool hasTime;
    } rows[] = {{"1.1", "2.1", "", true}, {"1.2", "", "", true}, {"OR.", "2.3", "odd", false},
                {"1.4", "2.4", "last", true}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(loaded.CellText(i, loaded.ValueColumn(1)), QString::fromLatin1(rows[i].ch1)) << i;
        EXPECT_EQ(loaded.CellText(i, loaded.ValueColumn(2)), QString::fromLatin1(rows[i].ch2)) << i;
        EXPECT_EQ(loaded.Info(i), QString::fromLatin1(rows[i].info)) << i;
        EXPECT_EQ(loaded.HasTime(i), rows[i].hasTime) << i;
    }
    EXPECT_FALSE(loaded.OverRange(1, 2)); // missing flags are not "True"
    EXPECT_EQ(state.Readings[1].ValueText, QStringLiteral("1.4")) << "the last record read";
    EXPECT_EQ(state.Readings[2].ValueText, QStringLiteral("2.4"));
}

TEST_F(DataFileTest, LoadingReportsProgressAndCanBeCancelled)
{
    QByteArray text = "'A101'\r\n";
    for (int n = 1; n <= 40000; ++n)
        text += "'" + file.Stamps().Format(now + n * kOneSecond).toLatin1() + "','1','u','False','True','2','u','False','True',''\r\n";
    WriteAll(state.LogFileName, text);

    file.progressIntervalMs = 0;
    QList<int> seen;
    LogTable loaded;
    LoadResult r = file.LoadDataFile(loaded, state.LogFileName, [&](int percent) {
        seen << percent;
        return percent < 50;
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_NEAR(r.records, 20000, 4200);
    EXPECT_EQ(loaded.Count(), r.records);
    EXPECT_EQ(seen.first(), 0);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    seen.clear();
    file.progressIntervalMs = 250;
    r = file.LoadDataFile(loaded, state.LogFileName, [&](int percent) {
        seen << percent;
        return true;
    });
    EXPECT_EQ(r.records, 40000);
    EXPECT_EQ(seen.last(), 100);
    EXPECT_LE(seen.size(), 20); // a few times per second, not per line
}

// Failures: the user hears of the first one, the status bar of every one, and
// the records wait for the next write instead of being dropped.
TEST_F(DataFileTest, FailedWritesAreReportedAndRetried)
{
    state.LogFileName = dir.filePath(QStringLiteral("sub/data.vam"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(Log(1).ok);
    ASSERT_TRUE(Log(2).ok);

    // The folder disappears (a pulled USB stick).
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("sub"))).removeRecursively());
    DataFileReport r = Log(3);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.showMessage);
    EXPECT_TRUE(r.message.startsWith(lang[51] + QDir::toNativeSeparators(state.LogFileName) + "' !")) << r.message.toStdString();
    EXPECT_EQ(r.status, lang[144] + lang[51] + "data.vam' !");
    r = Log(4);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.showMessage); // no second box for the same trouble
    EXPECT_TRUE(r.status.endsWith("(2)"));
    EXPECT_EQ(file.PendingRecords(), 2);
    EXPECT_EQ(table.Count(), 4); // the table keeps its rows meanwhile

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    r = Log(5);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.recovered);
    const QList<QByteArray> lines = Lines(state.LogFileName);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "'A101'");
    EXPECT_TRUE(lines[1].contains("'1.3'"));
    EXPECT_TRUE(lines[3].contains("'1.5'"));

    // The file is deleted while logging: it starts again, with its header.
    QFile::remove(state.LogFileName);
    ASSERT_TRUE(Log(6).ok);
    EXPECT_EQ(Lines(state.LogFileName).size(), 2);

    // A path through a plain file can never be written, not even by root.
    WriteAll(dir.filePath(QStringLiteral("plain")), "x");
    state.LogFileName = dir.filePath(QStringLiteral("plain/data.vam"));
    EXPECT_FALSE(Log(7).ok);
}

TEST_F(DataFileTest, FullDiskLeavesNoHalfRecord)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    state.LogFileName = QStringLiteral("/dev/full");
    const DataFileReport r = Log(1);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QString::fromLocal8Bit(strerror(ENOSPC)))) << r.message.toStdString();
    EXPECT_EQ(file.PendingRecords(), 1);
}

TEST_F(DataFileTest, ReadOnlyFolderIsReported)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the administrator";
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    const DataFileReport r = Log(1);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.showMessage);
    EXPECT_EQ(file.PendingRecords(), 1);
}

TEST_F(DataFileTest, FailedRenameKeepsTheDataFileWhole)
{
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n).ok);
    const QByteArray before = ReadAll(state.LogFileName);
    file.renameFile = [](const QString&, const QString&) { return false; };

    state.Readings[1].ValueText = QStringLiteral("changed");
    DataFileReport r = file.RewriteLastRecord(table, 3, QString());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.showMessage);
    EXPECT_EQ(ReadAll(state.LogFileName), before);
    EXPECT_FALSE(QFile::exists(state.LogFileName + ".new"));
    EXPECT_EQ(file.PendingRecords(), 1);

    // Appends wait behind the rewrite, so the file keeps the order of events.
    r = Log(4);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(ReadAll(state.LogFileName), before);

    file.renameFile = [](const QString& from, const QString& to) { return ::rename(QFile::encodeName(from), QFile::encodeName(to)) == 0; };
    r = Log(5);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.recovered);
    const QList<QByteArray> lines = Lines(state.LogFileName);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[3].contains("'changed'"));
    EXPECT_TRUE(lines[4].contains("'1.4'"));
    EXPECT_TRUE(lines[5].contains("'1.5'"));
}

TEST_F(DataFileTest, OpenAndSaveAsRules)
{
    // Opening a file that is not there.
    state.LogFileName = dir.filePath(QStringLiteral("missing.vam"));
    DataFile::OpenResult open = file.OpenDataFile(table, QString());
    EXPECT_FALSE(open.report.ok);
    EXPECT_EQ(open.report.title, lang[86]);
    EXPECT_EQ(open.report.message, lang[151]);

    // Opening a file outside the date-stamped range switches date-stamping off.
    state.LogFileName = dir.filePath(QStringLiteral("data.vam"));
    ASSERT_TRUE(Log(1).ok);
    state.DatestampFileName = true;
    const QString dated = dir.filePath(QStringLiteral("data261205.vam"));
    ASSERT_TRUE(QFile::copy(state.LogFileName, dated));
    state.LogFileName = dated;
    open = file.OpenDataFile(table, dir.filePath(QStringLiteral("data.vam")));
    EXPECT_TRUE(open.load.loaded);
    EXPECT_TRUE(open.datestampMessage.isEmpty());
    EXPECT_TRUE(state.DatestampFileName);
    open = file.OpenDataFile(table, dir.filePath(QStringLiteral("other.vam")));
    EXPECT_EQ(open.datestampMessage, lang[284]);
    EXPECT_FALSE(state.DatestampFileName);

    // Save as over an existing file keeps that file as ".bak".
    state.LogFileName = state.LogFileWork = dated;
    const QString target = dir.filePath(QStringLiteral("target.vam"));
    WriteAll(target, "previous");
    ASSERT_TRUE(file.SaveDataFileAs(target, false).ok);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("target.bak"))), "previous");
    EXPECT_EQ(ReadAll(target), ReadAll(dated));
    EXPECT_EQ(state.LogFileName, target);

    const DataFileReport net = file.SaveDataFileAs(QStringLiteral("//server/share/x.vam"), false);
    EXPECT_FALSE(net.ok);
    EXPECT_EQ(net.message, lang[88]);
    EXPECT_EQ(state.LogFileName, target);

    // A read-only data file may not be edited.
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner));
    file.OpenDataFile(table, QString());
    EXPECT_TRUE(state.DataFileReadOnly);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    NewDataFileName(state);
    EXPECT_EQ(state.LogFileName, dir.filePath(QStringLiteral("Untitled.vam")));
    EXPECT_EQ(state.LogCount, 0);
}

TEST_F(DataFileTest, DeletedRecordsLeaveEveryOtherLineAsItWas)
{
    auto record = [&](int n, const char* info, const char* end = "\r\n") {
        return "'" + file.Stamps().Format(now + n * kOneSecond).toLatin1() + "','1." + QByteArray::number(n)
            + "','u1','False','True','2','u2','False','True','" + info + "'" + end;
    };
    // Two runs; two records share a time stamp; a blank line; the last
    // line ends in LF only.
    const QList<QByteArray> lines = {"'A101'\r\n", record(1, ""),    record(2, "a"), record(2, "b"), "\r\n",
                                     "'A101'\r\n", record(3, "run"), record(4, "", "\n")};
    struct {
        const char* what;
        std::vector<int> seconds; // times of the records to delete
        std::vector<int> kept;    // indexes into `lines`
    } cases[] = {
        {"one", {3}, {0, 1, 2, 3, 4, 5, 7}},
        {"a shared time takes the first", {2}, {0, 1, 3, 4, 5, 6, 7}},
        {"a shared time twice takes both", {2, 2}, {0, 1, 4, 5, 6, 7}},
        {"the last line", {4}, {0, 1, 2, 3, 4, 5, 6}},
        {"in any order", {4, 1}, {0, 2, 3, 4, 5, 6}},
        {"not in the file", {9}, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"every record", {1, 2, 2, 3, 4}, {0, 4, 5}},
    };
    for (const auto& c : cases) {
        const QByteArray before = lines.join();
        WriteAll(state.LogFileName, before);
        std::vector<double> times;
        for (int sec : c.seconds)
            times.push_back(now + sec * kOneSecond + 0.4 * kOneSecond); // matched to the second
        const DataFileReport r = file.DeleteRecords(times);
        EXPECT_TRUE(r.ok) << c.what << ": " << r.message.toStdString();
        QByteArray expected;
        for (int i : c.kept)
            expected += lines[i];
        EXPECT_EQ(ReadAll(state.LogFileName), expected) << c.what;
        EXPECT_EQ(ReadAll(state.LogFileName + ".old"), before) << c.what;
        EXPECT_FALSE(QFile::exists(state.LogFileName + ".new")) << c.what;
    }

    // Nothing to delete and no file: nothing is created.
    QFile::remove(state.LogFileName);
    EXPECT_TRUE(file.DeleteRecords({}).ok);
    EXPECT_TRUE(file.DeleteRecords({now}).ok);
    EXPECT_FALSE(QFile::exists(state.LogFileName));
}

TEST_F(DataFileTest, FailedDeleteIsHeldAndReported)
{
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(Log(n).ok);
    const QByteArray before = ReadAll(state.LogFileName);
    file.renameFile = [](const QString&, const QString&) { return false; };

    DataFileReport r = file.DeleteRecords({now + 2 * kOneSecond});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.showMessage);
    EXPECT_TRUE(r.message.startsWith(lang[51] + QDir::toNativeSeparators(state.LogFileName))) << r.message.toStdString();
    EXPECT_EQ(ReadAll(state.LogFileName), before);
    EXPECT_FALSE(QFile::exists(state.LogFileName + ".new"));
    EXPECT_EQ(file.PendingRecords(), 1);

    // The next record waits behind the delete; the user hears of it once.
    r = Log(4);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.showMessage);
    EXPECT_TRUE(r.status.endsWith("(2)"));
    EXPECT_EQ(ReadAll(state.LogFileName), before);

    file.renameFile = [](const QString& from, const QString& to) { return ::rename(QFile::encodeName(from), QFile::encodeName(to)) == 0; };
    r = Log(5);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.recovered);
    const QList<QByteArray> lines = Lines(state.LogFileName);
    ASSERT_EQ(lines.size(), 5);
    const QList<QByteArray> old = before.split('\n');
    EXPECT_EQ(lines[1] + '\r', old[1]);
    EXPECT_EQ(lines[2] + '\r', old[3]);
    EXPECT_TRUE(lines[3].contains("'1.4'"));
    EXPECT_TRUE(lines[4].contains("'1.5'"));
}
