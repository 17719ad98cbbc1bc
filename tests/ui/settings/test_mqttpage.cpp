// The MQTT page of the settings dialog: what it shows and keeps, the
// password kept apart, the check of OK, and Test against a port where no
// broker listens.

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "core/publish/passwordstore.h"
#include "ui/settings/mqttpage.h"
#include "ui/settings/settingsdialog.h"
#include "support/loopbackport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

MqttSettings Lab()
{
    MqttSettings m;
    m.Publish = true;
    m.Broker = QStringLiteral("broker.lab:1999");
    m.Prefix = QStringLiteral("site/lab");
    m.Bench = QStringLiteral("bench 3");
    m.User = QStringLiteral("ann");
    return m;
}


struct MqttPageTest : testing::Test {
    QTemporaryDir dir;
    PasswordStore store{dir.filePath(QStringLiteral("passwords"))};
    LanguageTable lang;
};

} // namespace

TEST_F(MqttPageTest, ShowsAndKeepsTheSettingsWithThePasswordApart)
{
    const MqttSettings lab = Lab();
    ASSERT_TRUE(store.Set(PasswordStore::KeyFor(QStringLiteral("ann"), QStringLiteral("broker.lab:1999")),
                          QStringLiteral("secret"), nullptr));
    MqttPage page(lab, store, lang);
    page.LaadStrings();
    EXPECT_EQ(page.PasswordEdit()->text(), QLatin1String("secret"));
    EXPECT_EQ(page.PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(page.Settings() == lab);
    EXPECT_FALSE(page.CaFileEdit()->isEnabled()) << "a CA file only with TLS";
    page.TlsCheck()->setChecked(true);
    EXPECT_TRUE(page.CaFileEdit()->isEnabled());
    EXPECT_EQ(page.TestButton()->text(), lang[393]);

    // Another user for another broker: its password is kept under its own name.
    page.BrokerEdit()->setText(QStringLiteral(" broker.lab "));
    page.UserEdit()->setText(QStringLiteral("bob"));
    page.PasswordEdit()->setText(QStringLiteral("b0b"));
    MqttSettings applied;
    ASSERT_TRUE(page.Apply(applied, nullptr));
    EXPECT_EQ(applied.Broker, QLatin1String("broker.lab"));
    EXPECT_TRUE(applied.Tls);
    EXPECT_EQ(store.Get(PasswordStore::KeyFor(QStringLiteral("bob"), QStringLiteral("broker.lab:8883"))),
              QLatin1String("b0b"));
    EXPECT_EQ(store.Get(PasswordStore::KeyFor(QStringLiteral("ann"), QStringLiteral("broker.lab:1999"))),
              QLatin1String("secret"));
}

TEST_F(MqttPageTest, SettingsThatCannotBeUsedAreSaid)
{
    struct Case {
        const char* broker;
        const char* bench;
        bool publish;
        const char* problem; // part of the text; "" when none
    };
    const Case cases[] = {
        {"broker.lab:1999", "bench 3", true, ""},
        {"", "bench 3", true, "no broker host"},
        {"broker.lab:99999", "bench 3", true, "1 to 65535"},
        {"broker.lab", "a/b", true, "bench name"},
        {"", "a/b", false, ""}, // publishing off: nothing to check
    };
    for (const Case& c : cases) {
        MqttSettings m = Lab();
        m.Broker = QLatin1String(c.broker);
        m.Bench = QLatin1String(c.bench);
        m.Publish = c.publish;
        MqttPage page(m, store, lang);
        const QString problem = page.Problem();
        if (!*c.problem) {
            EXPECT_TRUE(problem.isEmpty()) << c.broker << " " << problem.toStdString();
        } else {
            EXPECT_TRUE(problem.contains(QLatin1String(c.problem))) << c.broker << " " << problem.toStdString();
            EXPECT_TRUE(problem.startsWith(lang[398].section(QLatin1Char('%'), 0, 0)));
        }
    }
}

TEST_F(MqttPageTest, TestSaysWhenNoBrokerAnswers)
{
    MqttSettings m = Lab();
    m.Broker = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
    m.User.clear();
    MqttPage page(m, store, lang);
    page.LaadStrings();
    QSignalSpy finished(&page, &MqttPage::TestFinished);
    QTest::mouseClick(page.TestButton(), Qt::LeftButton);
    EXPECT_FALSE(page.TestButton()->isEnabled()) << "one test at a time";
    ASSERT_TRUE(finished.wait(15000));
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(page.TestResult()->text().startsWith(lang[395].arg(m.Broker, QString()).chopped(1)))
        << page.TestResult()->text().toStdString();
    EXPECT_TRUE(page.TestButton()->isEnabled());
}

TEST_F(MqttPageTest, TheDialogsOkTakesThePageOrSaysWhatIsWrong)
{
    QStandardPaths::setTestModeEnabled(true); // the dialog's password file
    AppState s;
    s.ApplyDefaults();
    SelectDevice(s, QStringLiteral("A101"), 45000);
    s.DeviceName = QStringLiteral("A101");
    s.SerialPort = QStringLiteral("COM3");
    s.PollInterval = 10;
    s.LogInterval = 60;
    SettingsHooks hooks;
    hooks.scanPorts = [] { return QStringLiteral("COM3"); };
    hooks.initPort = [] { return true; };
    QStringList warnings;
    hooks.warning = [&](const QString&, const QString& text) { warnings << text; };
    SettingsDialog dialog(s, lang, hooks);
    MqttPage* page = dialog.Mqtt();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(dialog.Tabs()->tabText(dialog.Tabs()->indexOf(page)), QLatin1String("MQTT"));
    page->PublishCheck()->setChecked(true);
    page->BrokerEdit()->setText(QStringLiteral("host:0"));
    dialog.Tabs()->setCurrentIndex(0);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QLatin1String("1 to 65535"))) << warnings[0].toStdString();
    EXPECT_EQ(dialog.Tabs()->currentWidget(), page);
    EXPECT_TRUE(dialog.isVisible() || dialog.result() != QDialog::Accepted);
    EXPECT_FALSE(s.Mqtt.Publish);

    page->BrokerEdit()->setText(QStringLiteral("host:1883"));
    page->BenchEdit()->setText(QStringLiteral("b1"));
    s.ConfigChanged = false;
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(s.Mqtt.Publish);
    EXPECT_EQ(s.Mqtt.Broker, QLatin1String("host:1883"));
    EXPECT_EQ(s.Mqtt.Bench, QLatin1String("b1"));
    EXPECT_TRUE(s.ConfigChanged);
    QStandardPaths::setTestModeEnabled(false);
}
