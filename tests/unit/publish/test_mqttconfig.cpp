// The [MQTT] section of the configuration: written after the note, where a
// reader that does not know it skips it, and read back by this one.
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "core/publish/passwordstore.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct MqttConfigTest : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("VAM.CFG"));
    LanguageTable lang;
    ConfigLayout layout;

    AppState Fresh()
    {
        AppState s;
        s.DocumentsFolder = dir.path();
        s.ApplyDefaults();
        ApplyDevice(s, s.DeviceName, 0);
        s.PollInterval = s.LogInterval = 1; // as a settings dialog leaves them
        return s;
    }
    QByteArray Write(const AppState& s)
    {
        EXPECT_TRUE(WriteConfig(s, lang, layout, path, CurrentConfigInfo(s), nullptr));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    ConfigReport Read(AppState& s, const QByteArray& bytes)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        ConfigReport report;
        EXPECT_EQ(ReadConfig(s, lang, layout, path, &report), ConfigReadStatus::Read);
        return report;
    }
};

} // namespace

TEST_F(MqttConfigTest, TheSectionSurvivesAWriteAndARead)
{
    AppState s = Fresh();
    EXPECT_FALSE(Write(s).contains("[MQTT]")) << "not set up: not written";
    s.Mqtt.Publish = true;
    s.Mqtt.Broker = QStringLiteral("broker.lab:8884");
    s.Mqtt.Prefix = QStringLiteral("site/lab");
    s.Mqtt.Bench = QStringLiteral("Pr\u00FCfstand 3");
    s.Mqtt.User = QStringLiteral("ann");
    s.Mqtt.Tls = true;
    s.Mqtt.CaFile = QStringLiteral("/etc/lab/ca.pem");
    const QByteArray bytes = Write(s);
    EXPECT_TRUE(bytes.contains("[END NOTE]\r\n[MQTT]\r\nPublish = 1\r\nBroker = broker.lab:8884\r\n"));
    EXPECT_FALSE(bytes.contains("password")) << "the password is not in the configuration";
    AppState back = Fresh();
    const ConfigReport report = Read(back, bytes);
    QStringList issues;
    for (const ConfigIssue& i : report.Issues)
        issues << i.ToText();
    EXPECT_TRUE(report.Issues.isEmpty()) << issues.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(report.Condition, ConfigCondition::Sound);
    EXPECT_TRUE(back.Mqtt == s.Mqtt);
}

// What a reader without the section does with it: the lines after the note's
// end that it does not know are stepped over, the file stays sound.
TEST_F(MqttConfigTest, AReaderThatDoesNotKnowTheSectionSkipsIt)
{
    AppState s = Fresh();
    s.NoteText = QStringLiteral("note");
    s.Points = 1234;
    QByteArray bytes = Write(s);
    bytes += "[FUTURE]\r\nPoints = 99\r\nBroker = x\r\nnot a key line\r\n";
    AppState back = Fresh();
    const ConfigReport report = Read(back, bytes);
    EXPECT_EQ(report.Condition, ConfigCondition::Sound);
    QStringList issues;
    for (const ConfigIssue& i : report.Issues)
        issues << i.ToText();
    EXPECT_TRUE(report.Issues.isEmpty()) << issues.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(back.Points, 1234);
    EXPECT_EQ(back.NoteText, QLatin1String("note"));
}

TEST(PasswordStore, KeptForTheUserOnly)
{
    QTemporaryDir dir;
    PasswordStore store(dir.filePath(QStringLiteral("sub/passwords")));
    const QString key = PasswordStore::KeyFor(QStringLiteral("ann"), QStringLiteral("broker:1883"));
    EXPECT_EQ(store.Get(key), QString());
    ASSERT_TRUE(store.Set(key, QStringLiteral("p\u00E4ss w\tord:@"), nullptr));
    ASSERT_TRUE(store.Set(PasswordStore::KeyFor(QStringLiteral("bob"), QStringLiteral("broker:1883")),
                          QStringLiteral("other"), nullptr));
    EXPECT_EQ(store.Get(key), QStringLiteral("p\u00E4ss w\tord:@"));
    EXPECT_EQ(QFileInfo(store.Path()).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup
                                                       | QFile::WriteOther),
              QFile::Permissions());
    QFile f(store.Path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("other")) << "not in clear";
    ASSERT_TRUE(store.Set(key, QString(), nullptr));
    EXPECT_EQ(store.Get(key), QString());
    EXPECT_EQ(store.Get(PasswordStore::KeyFor(QStringLiteral("bob"), QStringLiteral("broker:1883"))),
              QLatin1String("other"));
}
