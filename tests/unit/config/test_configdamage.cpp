// A configuration that is not whole (random bytes, zeros, cut off, a key
// without its value) is told from a sound one, a missing one and one that
// cannot be read, with what was not taken from it.

#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "support/parserharness.h" // prints QString in failures

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

AppState StartState(const QString& documents)
{
    AppState s;
    s.DocumentsFolder = documents;
    s.ApplyDefaults();
    ApplyDevice(s, s.DeviceName, 0);
    s.PollInterval = s.LogInterval = 1;
    return s;
}

QByteArray Noise(int size, quint32 seed, bool zeros = false)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    if (!zeros)
        for (char& c : bytes)
            c = char(random.bounded(256));
    return bytes;
}

} // namespace

TEST(ConfigDamage, EachFileIsToldSoundOrDamagedWithWhatWasNotRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("VAM.CFG"));
    LanguageTable lang;
    AppState written = StartState(dir.path());
    written.PollInterval = 77;
    written.LogFileName = QStringLiteral("kept.vam");
    written.NoteText = QStringLiteral("a\r\nb");
    ConfigLayout layout;
    ASSERT_TRUE(WriteConfig(written, lang, layout, path, CurrentConfigInfo(written)));
    const QByteArray whole = ReadBytes(path);
    const auto upTo = [&whole](const char* text) { return whole.left(whole.indexOf(text) + qstrlen(text)); };
    const QStringList afterLog = {"[MAIN]", "[TABLE]", "[TERMINAL]", "[PRINTER]", "[SYSTEM]", "[ARRANGE]", "[COLORS]",
                                  "[NOTE]"};

    const struct Case {
        const char* what;
        QByteArray bytes;
        ConfigCondition condition;
        const char* damage; // found in the joined damage
        QStringList reset;
    } cases[] = {
        {"the writer's file", whole, ConfigCondition::Sound, "", {}},
        {"a hand-made part", "[DEVICE]\r\nDevice = A101\r\n[TABLE]\r\nVisible = 1\r\n(WINDOW)\r\n\r\nTop = 5\r\n",
         ConfigCondition::Sound, "", {}},
        {"no line end after the last value", "[DEVICE]\r\nDevice = A101", ConfigCondition::Sound, "", {}},
        {"an unknown section's lines", "[DEVICE]\r\nDevice = A101\r\n[OLD STUFF]\r\nfree text\r\n",
         ConfigCondition::Sound, "", {}},
        {"an empty file", "", ConfigCondition::Damaged, "the file is empty", {"all settings"}},
        {"random bytes", Noise(3000, 7), ConfigCondition::Damaged, "no recognisable section", {"all settings"}},
        {"zeros", Noise(4096, 0, true), ConfigCondition::Damaged, "bytes that are no text on line 1",
         {"all settings"}},
        {"text without a section", "Device = A101\r\nInterval = 5\r\n", ConfigCondition::Damaged,
         "no recognisable section", {"all settings"}},
        {"cut off at a line end", upTo("Interval = 77\r\n"), ConfigCondition::Damaged, "cut off after line",
         QStringList{"part of [DEVICE]", "[LOG]"} + afterLog},
        {"cut off inside a value", upTo("FileName = kep"), ConfigCondition::Damaged, "cut off in the middle of line",
         QStringList{"part of [LOG]"} + afterLog},
        {"cut off inside the note", upTo("[NOTE]\r\na\r\n"), ConfigCondition::Damaged, ", in [NOTE]",
         {"part of [NOTE]"}},
        {"a note never closed", "[DEVICE]\r\nDevice = A101\r\n[NOTE]\r\nhello\r\n", ConfigCondition::Damaged,
         "cut off after line 4, in [NOTE]", {"part of [NOTE]"}},
        {"a key without its value", "[DEVICE]\r\nDevice = A101\r\nInterval\r\n[LOG]\r\nPoints = 200\r\n",
         ConfigCondition::Damaged, "line 3 in [DEVICE] has no value: 'Interval'", {"[DEVICE] Interval"}},
        {"zeros inside a section", QByteArray("[DEVICE]\r\nDevice = A101\r\n") + Noise(20, 0, true) + "\r\n[LOG]\r\n",
         ConfigCondition::Damaged, "bytes that are no text on line 3", {"part of [DEVICE]"}},
    };
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        AppState s = StartState(dir.path());
        ConfigLayout read;
        ConfigReport report;
        EXPECT_EQ(ReadConfig(s, lang, read, path, &report), ConfigReadStatus::Read) << c.what;
        EXPECT_EQ(report.Condition, c.condition) << c.what;
        EXPECT_EQ(s.ConfigUnreadable, c.condition != ConfigCondition::Sound) << c.what;
        EXPECT_EQ(report.Reset, c.reset) << c.what;
        const QString damage = report.Damage.join(QStringLiteral("; "));
        EXPECT_TRUE(damage.contains(QLatin1String(c.damage))) << c.what << ": " << damage.toStdString();
        EXPECT_EQ(damage.isEmpty(), c.condition == ConfigCondition::Sound) << c.what;
        const QString text = ConfigDamageText(path, report, lang);
        EXPECT_EQ(text.isEmpty(), c.condition == ConfigCondition::Sound) << c.what;
        for (const QString& item : c.reset + QStringList{text.isEmpty() ? QString() : path})
            EXPECT_TRUE(text.contains(item)) << c.what << ": " << text.toStdString();
    }
}

TEST(ConfigDamage, MissingAndUnreadableFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LanguageTable lang;
    ConfigLayout layout;
    AppState s = StartState(dir.path());
    const QString locked = dir.filePath(QStringLiteral("Locked.CFG"));
    WriteBytes(locked, "[DEVICE]\r\nDevice = K231\r\n");
    ::chmod(QFile::encodeName(locked).constData(), 0);
    const bool root = ::geteuid() == 0; // root opens any file
    for (const QString& path : {dir.filePath(QStringLiteral("none.CFG")), dir.path(), locked}) {
        ConfigReport report;
        const ConfigReadStatus status = ReadConfig(s, lang, layout, path, &report);
        if (path == locked && root)
            continue;
        const bool missing = status == ConfigReadStatus::NoFile;
        EXPECT_EQ(missing, path.endsWith(QLatin1String("none.CFG"))) << path.toStdString();
        EXPECT_EQ(report.Condition, missing ? ConfigCondition::Missing : ConfigCondition::Unreadable);
        EXPECT_EQ(s.ConfigUnreadable, !missing) << "a first start is no damage";
        const QString text = ConfigDamageText(path, report, lang);
        EXPECT_EQ(text.isEmpty(), missing);
        if (!missing)
            EXPECT_TRUE(text.contains(path) && text.contains(report.Error) && text.contains(QLatin1String("all settings")))
                << text.toStdString();
    }
    ::chmod(QFile::encodeName(locked).constData(), 0600);
}
