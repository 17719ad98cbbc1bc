// The settings dialog driven through its controls: OK's messages and focus,
// Cancel and the close box, the port list, the baud list of the USB models,
// the interval boxes, the language list, and the grids.

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"
#include "ui/settings/settingsdialog.h"
#include "platform/ui/colorchooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct SettingsDialogTest : testing::Test {
    void SetUp() override
    {
        s.ApplyDefaults();
        SelectDevice(s, QStringLiteral("A101"), 45000);
        s.DeviceName = QStringLiteral("A101");
        s.SerialPort = QStringLiteral("COM3");
        s.PollInterval = 10;
        s.LogInterval = 60;
        hooks.scanPorts = [this] {
            ++scans;
            return scan;
        };
        hooks.initPort = [this] { return portOk; };
        hooks.configurePort = [this] { ++configured; };
        hooks.setDevice = [this](const QString& name) {
            SelectDevice(s, name, 45000);
            s.DeviceName = name;
        };
        hooks.retranslate = [this] { ++retranslated; };
        hooks.warning = [this](const QString& title, const QString& text) { warnings << title + "|" + text; };
        hooks.information = [this](const QString& title, const QString& text) { infos << title + "|" + text; };
        hooks.askYesNo = [this](const QString&, const QString& text) {
            questions << text;
            return answerYes;
        };
        hooks.chooseFolder = [this](const QString&) { return chosenFolder; };
    }
    void TearDown() override { ColorChooser::hook = nullptr; }
    SettingsDialog& Open()
    {
        dialog = std::make_unique<SettingsDialog>(s, lang, hooks);
        return *dialog;
    }
    static void Type(QAbstractSpinBox* box, const QString& text)
    {
        box->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(box, text);
    }
    void ClickOk() { QTest::mouseClick(dialog->OkButton(), Qt::LeftButton); }

    AppState s;
    LanguageTable lang;
    SettingsHooks hooks;
    QString scan = QStringLiteral("COM1, COM3");
    bool portOk = true;
    bool answerYes = true;
    QString chosenFolder;
    int scans = 0, configured = 0, retranslated = 0;
    QStringList warnings, infos, questions;
    std::unique_ptr<SettingsDialog> dialog;
};

} // namespace

TEST_F(SettingsDialogTest, OpensWithTheSettingsShown)
{
    s.Baudrate = QStringLiteral("9600");
    s.PollValues = false;
    s.SettingsTab = 2;
    SettingsDialog& d = Open();
    EXPECT_TRUE(s.SettingsOpen);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(d.Tabs()->count(), 8); // the seven pages and MQTT
    EXPECT_EQ(d.Tabs()->currentIndex(), 2);
    EXPECT_EQ(d.PortList()->count(), 2);
    EXPECT_EQ(d.PortList()->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(d.DeviceList()->currentText(), QStringLiteral("A101"));
    EXPECT_EQ(d.DeviceList()->itemText(0), QStringLiteral("J7010"));
    EXPECT_EQ(d.BaudList()->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(d.BaudList()->itemText(0), QStringLiteral("300"));
    EXPECT_FALSE(d.PollInterval()->isEnabled());
    EXPECT_EQ(d.PollInterval()->text(), QStringLiteral("00:00:10"));
    EXPECT_EQ(d.LogInterval()->text(), QStringLiteral("00:01:00"));
    EXPECT_EQ(d.ChannelGrid()->rowCount(), 2);
    EXPECT_TRUE(d.UnitList()->isHidden());
    d.PollCheck()->click();
    EXPECT_TRUE(d.PollInterval()->isEnabled());
    EXPECT_EQ(d.ColorGrid()->item(15, 0)->text(), QStringLiteral("Value, text when out of range"));
    EXPECT_EQ(d.ColorGrid()->item(15, 1)->background().color(), ToQColor(s.ValueColorOverrange));
    d.show();
    d.close(); // the close box cancels
    EXPECT_FALSE(s.SettingsOpen);
    EXPECT_FALSE(s.PollValues);
    EXPECT_EQ(configured, 1);
}

// Help opens the settings topic at the section of the page in front.
TEST_F(SettingsDialogTest, HelpOpensTheSectionOfThePageInFront)
{
    QStringList topics;
    hooks.showHelp = [&](const QString& topic) { topics << topic; };
    SettingsDialog& d = Open();
    for (int tab : {0, 2, 7}) {
        d.Tabs()->setCurrentIndex(tab);
        d.HelpButton()->click();
    }
    EXPECT_EQ(topics, (QStringList{"settings.htm#communication", "settings.htm#log", "settings.htm#mqtt"}));
}

TEST_F(SettingsDialogTest, OkWithoutDeviceOrPortStaysOpenWithTheMessage)
{
    struct {
        const char* what;
        bool clearDevice;
        const char* message;
        int tab;
    } cases[] = {
        {"no device", true, "Settings|Choose the device which is connected!", PageMeasure},
        {"no port", false, "Settings|Choose the serial port used for the connection!", PageCommunication},
    };
    for (const auto& c : cases) {
        warnings.clear();
        SettingsDialog& d = Open();
        d.show();
        d.Tabs()->setCurrentIndex(PageColours);
        if (c.clearDevice)
            d.DeviceList()->setCurrentIndex(-1);
        d.PortList()->setCurrentIndex(-1);
        ClickOk();
        EXPECT_EQ(warnings, QStringList({QString::fromLatin1(c.message)})) << c.what;
        EXPECT_TRUE(d.isVisible()) << c.what;
        EXPECT_EQ(d.result(), QDialog::Rejected) << c.what;
        EXPECT_EQ(d.Tabs()->currentIndex(), c.tab) << c.what;
        EXPECT_EQ(d.focusWidget(), c.clearDevice ? static_cast<QWidget*>(d.DeviceList()) : d.PortList()) << c.what;
        EXPECT_TRUE(s.SettingsOpen) << c.what;
        dialog.reset();
        EXPECT_FALSE(s.SettingsOpen) << c.what;
    }
}

TEST_F(SettingsDialogTest, BadIntervalGetsTheInputErrorAndFocus)
{
    s.PollValues = true;
    SettingsDialog& d = Open();
    d.show();
    Type(d.PollInterval(), QStringLiteral("1:2:3:4"));
    ClickOk();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], QStringLiteral("Settings|Poll for values every:\r\nIncorrect input!"));
    EXPECT_EQ(d.Tabs()->currentIndex(), PageMeasure);
    EXPECT_EQ(d.focusWidget(), d.PollInterval());
    EXPECT_TRUE(d.isVisible());
}

TEST_F(SettingsDialogTest, PollIntervalOf5000ReadsBackAs3599)
{
    s.PollValues = true;
    SettingsDialog& d = Open();
    d.show();
    Type(d.PollInterval(), QStringLiteral("5000"));
    Type(d.LogInterval(), QStringLiteral("1:30"));
    ClickOk();
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(s.PollInterval, 3599);
    EXPECT_EQ(s.LogInterval, 90);
    EXPECT_EQ(retranslated, 0) << "the language stayed: nothing to retranslate";
    EXPECT_EQ(Open().PollInterval()->text(), QStringLiteral("00:59:59"));

    // Leaving a box shows its entry in the normal form.
    dialog->show();
    Type(dialog->LogInterval(), QStringLiteral("01:01:30"));
    QMetaObject::invokeMethod(dialog->LogInterval(), "editingFinished");
    EXPECT_EQ(dialog->LogInterval()->text(), QStringLiteral("01:01:30"));
    Type(dialog->LogInterval(), QStringLiteral("90"));
    QMetaObject::invokeMethod(dialog->LogInterval(), "editingFinished");
    EXPECT_EQ(dialog->LogInterval()->text(), QStringLiteral("00:01:30"));
    dialog->LogInterval()->stepBy(-100);
    EXPECT_EQ(dialog->LogInterval()->text(), QStringLiteral("00:00:01"));
}

TEST_F(SettingsDialogTest, CancelAfterAnotherDeviceRestoresTheSetUp)
{
    struct {
        const char* what;
        bool failedOk;
    } cases[] = {{"cancel", false}, {"port failed on OK, then cancel", true}};
    for (const auto& c : cases) {
        SetUp();
        SettingsDialog& d = Open();
        d.show();
        d.DeviceList()->setCurrentText(QStringLiteral("K235"));
        EXPECT_EQ(d.ChannelGrid()->rowCount(), 8) << c.what;
        Type(d.PollInterval(), QStringLiteral("99"));
        Type(d.LogInterval(), QStringLiteral("2:00"));
        if (c.failedOk) {
            portOk = false;
            ClickOk();
            EXPECT_TRUE(d.isVisible()) << c.what;
            EXPECT_EQ(s.DeviceName, QStringLiteral("K235")) << c.what;
        }
        QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
        EXPECT_FALSE(d.isVisible()) << c.what;
        EXPECT_EQ(s.DeviceName, QStringLiteral("A101")) << c.what;
        EXPECT_EQ(s.ChannelCount, 2) << c.what;
        EXPECT_EQ(s.PollInterval, 10) << c.what;
        EXPECT_EQ(s.LogInterval, 60) << c.what;
        EXPECT_EQ(s.SerialPort, QStringLiteral("COM3")) << c.what;
        EXPECT_FALSE(s.SettingsOpen) << c.what;
        portOk = true;
    }
}

TEST_F(SettingsDialogTest, DeviceListDrivesBaudUnitAndChannelRows)
{
    struct {
        const char* model;
        bool baudEnabled;
        const char* baud;   // selected after the choice
        bool unit;
        int rows;
        bool rowsEditable;
        const char* row3;
    } cases[] = {
        {"H261 USB", false, "19200", false, 4, true, "EC"},
        {"H264 USB", false, "2400", false, 8, true, "CH3"},
        {"H268", true, "2400", false, 6, true, "rH2"},
        {"P651", true, "2400", true, 16, true, "CH3"},
        {"J7040", true, "2400", false, 6, false, "CH3"},
    };
    for (const auto& c : cases) {
        SetUp();
        s.Baudrate = QStringLiteral("2400");
        SettingsDialog& d = Open();
        d.DeviceList()->setCurrentText(QString::fromLatin1(c.model));
        EXPECT_EQ(d.BaudList()->isEnabled(), c.baudEnabled) << c.model;
        EXPECT_EQ(d.BaudList()->currentText(), QString::fromLatin1(c.baud)) << c.model;
        EXPECT_EQ(!d.UnitList()->isHidden(), c.unit) << c.model;
        ASSERT_EQ(d.ChannelGrid()->rowCount(), c.rows) << c.model;
        EXPECT_EQ(d.ChannelGrid()->item(2, 0)->text(), QString::fromUtf8(c.row3)) << c.model;
        EXPECT_EQ(bool(d.ChannelGrid()->item(0, 1)->flags() & Qt::ItemIsEnabled), c.rowsEditable) << c.model;
    }
    // The channel flags and the unit reach the state on OK.
    SettingsDialog& d = Open();
    d.DeviceList()->setCurrentText(QStringLiteral("P652"));
    d.UnitList()->setCurrentText(QStringLiteral("K"));
    d.ChannelGrid()->item(11, 1)->setCheckState(Qt::Unchecked);
    d.ChannelGrid()->item(0, 2)->setCheckState(Qt::Unchecked);
    d.accept();
    EXPECT_EQ(s.DeviceName, QStringLiteral("P652"));
    EXPECT_EQ(s.ChannelCount, 12);
    EXPECT_EQ(s.DeviceUnit, QStringLiteral("K"));
    EXPECT_FALSE(s.Channel(12).Use);
    EXPECT_FALSE(s.Channel(1).Value);
    EXPECT_TRUE(s.Channel(1).Use);
}

TEST_F(SettingsDialogTest, CommandLinePortIsTheOnlyPortAndOkNeverAsks)
{
    s.StartPort = QStringLiteral("COM9");
    SettingsDialog& d = Open();
    EXPECT_EQ(scans, 0);
    ASSERT_EQ(d.PortList()->count(), 1);
    EXPECT_EQ(d.PortList()->currentText(), QStringLiteral("COM9"));
    EXPECT_FALSE(d.PortList()->isEnabled()) << "nothing typed there would be used";
    d.PortList()->setCurrentIndex(-1);
    d.accept();
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(s.SerialPort, QStringLiteral("COM9"));
}

TEST_F(SettingsDialogTest, ScanRebuildsThePortList)
{
    SettingsDialog& d = Open();
    EXPECT_EQ(scans, 1);
    scan = QStringLiteral("COM2, COM3, COM8");
    QTest::mouseClick(d.ScanButton(), Qt::LeftButton);
    EXPECT_EQ(scans, 2);
    EXPECT_EQ(d.PortList()->count(), 3);
    EXPECT_EQ(d.PortList()->currentText(), QStringLiteral("COM3"));
    d.PortList()->setCurrentText(QStringLiteral("COM8"));
    d.accept();
    EXPECT_EQ(s.SerialPort, QStringLiteral("COM8"));
}

// The port box takes a typed device: its text is what OK stores. Its list
// shows what the system knows of each port beside the name.
TEST_F(SettingsDialogTest, PortBoxTakesATypedDeviceAndShowsWhatThePortsAre)
{
    scan = QStringLiteral("/dev/ttyUSB0, COM3");
    hooks.portEntries = [] {
        return QList<PortEntry>{{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART (FTDI, A50285BI)"), true,
                                 false},
                                {QStringLiteral("COM3"), QStringLiteral("/dev/ttyS2"), false, false}};
    };
    const struct {
        const char* what;
        QString typed;
        QString stored;
    } cases[] = {
        {"a pseudo-terminal", "/dev/pts/7", "/dev/pts/7"},
        {"blanks around it", "  /dev/pts/12 ", "/dev/pts/12"},
        {"the start of a listed name, not completed", "/dev/ttyUSB", "/dev/ttyUSB"},
    };
    for (const auto& c : cases) {
        SettingsDialog& d = Open();
        d.show();
        QComboBox* box = d.PortList();
        ASSERT_TRUE(box->isEditable()) << c.what;
        ASSERT_EQ(box->count(), 2) << c.what;
        EXPECT_EQ(box->currentText(), QStringLiteral("COM3")) << c.what;
        EXPECT_EQ(box->model()->index(0, 1).data().toString(), QStringLiteral("FT232R USB UART (FTDI, A50285BI)"));
        EXPECT_EQ(box->model()->index(1, 1).data().toString(), QStringLiteral("/dev/ttyS2"));
        // Typed as a user types: into the focused box of the active dialog,
        // where a completer would act.
        d.activateWindow();
        box->lineEdit()->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d)) << c.what;
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), c.typed);
        ClickOk();
        EXPECT_EQ(d.result(), QDialog::Accepted) << c.what;
        EXPECT_EQ(s.SerialPort, c.stored) << c.what;
        dialog.reset();
        s.SerialPort = QStringLiteral("COM3");
    }
}

TEST_F(SettingsDialogTest, LanguageChangeRetranslatesTheDialogAtOnce)
{
    SettingsDialog& d = Open();
    ASSERT_EQ(d.LanguageList()->count(), 3);
    EXPECT_EQ(d.LanguageList()->itemText(1), QStringLiteral("Fran\u00E7ais"));
    EXPECT_EQ(d.LanguageList()->itemText(2), QStringLiteral("Nederlands"));
    EXPECT_EQ(lang.CurrentLanguage(), LanguageTable::English);
    d.LanguageList()->setCurrentIndex(LanguageTable::French);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Configuration"));
    EXPECT_EQ(d.Tabs()->tabText(PageColours), QStringLiteral("Couleurs"));
    EXPECT_EQ(d.OkButton()->text(), QStringLiteral("&OK"));
    EXPECT_EQ(d.ColorGrid()->horizontalHeaderItem(0)->text(), QStringLiteral("Nom"));
    EXPECT_EQ(d.LanguageList()->itemText(0), QStringLiteral("English")); // each in its own words
    d.LanguageList()->setCurrentIndex(LanguageTable::Dutch);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Instellingen"));
    d.accept();
    EXPECT_EQ(s.LanguageIndex, LanguageTable::Dutch);
    EXPECT_EQ(retranslated, 1);
}

TEST_F(SettingsDialogTest, InformationGridRows)
{
    QTemporaryDir tmp;
    s.SystemUser = QStringLiteral("ann");
    s.UserName = QStringLiteral("ann.net");
    s.SystemName = QStringLiteral("bench");
    SettingsDialog& d = Open();
    QTableWidget* grid = d.InfoGrid();
    EXPECT_EQ(grid->item(InfoNetwork, 0)->text(), QStringLiteral("Network name"));
    EXPECT_EQ(grid->item(InfoNetwork, 1)->text(), QStringLiteral("ann.net"));
    EXPECT_FALSE(grid->item(InfoSystem, 1)->flags() & Qt::ItemIsEditable);
    d.InfoCellClicked(InfoSystem, 1);
    EXPECT_EQ(infos, QStringList({"Settings|This value cannot be changed."}));

    struct {
        const char* what;
        const char* folder;
        bool yes;
        bool exists;
        int questions;
    } cases[] = {
        {"existing folder", "", true, true, 0},
        {"new folder, yes", "new/data", true, true, 1},
        {"new folder, no", "other", false, false, 1},
    };
    for (const auto& c : cases) {
        questions.clear();
        chosenFolder = tmp.filePath(QString::fromLatin1(c.folder));
        answerYes = c.yes;
        d.InfoCellClicked(InfoFolderData, 1);
        EXPECT_EQ(questions.size(), c.questions) << c.what;
        if (c.questions) {
            EXPECT_EQ(questions.value(0), QStringLiteral("Non-existing Folder!\r\nDo you want to create it?")) << c.what;
        }
        EXPECT_EQ(QFileInfo(chosenFolder).isDir(), c.exists) << c.what;
        EXPECT_EQ(grid->item(InfoFolderData, 1)->text(), QDir::toNativeSeparators(chosenFolder)) << c.what;
    }
    chosenFolder.clear(); // cancelled browser: nothing changes
    const QString settingsFolder = grid->item(InfoFolderSettings, 1)->text();
    ASSERT_FALSE(settingsFolder.isEmpty());
    d.InfoCellClicked(InfoFolderSettings, 1);
    grid->item(InfoUser, 1)->setText(QStringLiteral("  Bea "));
    d.accept();
    EXPECT_EQ(s.SystemUser, QStringLiteral("Bea"));
    EXPECT_EQ(s.FolderData, QDir::toNativeSeparators(tmp.filePath(QStringLiteral("other"))));
    EXPECT_EQ(s.FolderSettings, settingsFolder);
}

TEST_F(SettingsDialogTest, ColourGridTakesTheChooserOnlyWhenConfirmed)
{
    const ColorValue before = s.TerminalColorOut;
    bool confirm = false;
    ColorChooser::hook = [&](ColorValue& c) {
        if (confirm)
            c = MakeColor(10, 20, 30);
        return confirm;
    };
    SettingsDialog& d = Open();
    d.ColorCellClicked(0, 1);
    EXPECT_EQ(d.ColorGrid()->item(0, 1)->background().color(), ToQColor(before));
    confirm = true;
    d.ColorCellClicked(16, 1);
    EXPECT_EQ(d.ColorGrid()->item(16, 1)->background().color(), QColor(10, 20, 30));
    EXPECT_EQ(s.GraphColorAxis, MakeColor(192, 192, 192)); // only OK takes the grid over
    d.accept();
    EXPECT_EQ(s.GraphColorAxis, MakeColor(10, 20, 30));
    EXPECT_EQ(s.TerminalColorOut, before);
}

TEST_F(SettingsDialogTest, ArrangementPage)
{
    s.ManualWindowTile = false;
    s.TerminalFactor = 1e9f; // from a file: kept while the box is not touched
    s.AutoArrange = true;
    s.ExtendFrame = true;
    int saved = 0;
    hooks.savePreferences = [&] { ++saved; };
    SettingsDialog& d = Open();
    auto* valueFactor = d.findChild<QDoubleSpinBox*>(QStringLiteral("ValueFactorHor"));
    ASSERT_NE(valueFactor, nullptr);
    EXPECT_FALSE(valueFactor->isEnabled());
    d.ManualCheck()->click();
    EXPECT_TRUE(valueFactor->isEnabled());
    valueFactor->setValue(2.5);
    d.findChild<QSpinBox*>(QStringLiteral("GraphPerVerCol"))->setValue(3);
    d.AutoArrangeCheck()->click();
    d.ExtendFrameCheck()->click();
    d.accept();
    EXPECT_TRUE(s.ManualWindowTile);
    EXPECT_EQ(s.ValueFactorHor, 2.5f);
    EXPECT_EQ(s.GraphPerVerCol, 3.0f);
    EXPECT_EQ(s.TerminalFactor, 1e9f);
    EXPECT_FALSE(s.AutoArrange);
    EXPECT_FALSE(s.ExtendFrame);
    EXPECT_EQ(saved, 1);
}
