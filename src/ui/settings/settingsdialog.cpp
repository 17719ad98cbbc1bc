#include "ui/settings/settingsdialog.h"

#include "core/help/languagetable.h"

#include <iterator>
#include "ui/settings/communicationpage.h"
#include "ui/settings/logpage.h"
#include "ui/settings/measurepage.h"
#include "ui/settings/mqttpage.h"
#include "core/publish/passwordstore.h"
#include "ui/settings/settingsshared.h"
#include "ui/settings/systempages.h"
#include "ui/settings/windowspage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
// Language-table entries of the dialog itself.
enum : int {
    kCommunication = 27,
    kLog = 37,
    kOk = 39,
    kCancel = 40,
    kHelp = 126,
    kLanguage = 141,
    kMeasure = 178,
    kWindows = 179,
    kSystem = 180,
    kColours = 186,
    kMqtt = 386,
};

const QString kHelpTopic = QStringLiteral("settings.htm");
// The topic's section of each page, in the order of the tabs.
const char* const kHelpSections[] = {"communication", "measure", "log", "windows",
                                     "language", "system", "colours", "mqtt"};
} // namespace

SettingsDialog::SettingsDialog(AppState& state, LanguageTable& language, SettingsHooks hooks, QWidget* parent)
    : QDialog(parent), s_(state), lang_(language), hooks_(std::move(hooks)),
      model_(state, language, static_cast<const SettingsActions&>(hooks_))
{
    setObjectName(QStringLiteral("frmInstellen"));
    setModal(true);
    model_.Open();

    SettingsPrompts prompts;
    prompts.inform = [this](const QString& title, const QString& text) { Inform(title, text); };
    prompts.warn = [this](const QString& title, const QString& text) { Warn(title, text); };
    prompts.askYesNo = [this](const QString& title, const QString& text) { return AskYesNo(title, text); };
    prompts.chooseFolder = [this](const QString& title, const QString& folder) { return ChooseFolder(title, folder); };

    communication_ = new CommunicationPage(model_, lang_, hooks_.portEntries);
    measure_ = new MeasurePage(model_, lang_);
    log_ = new LogPage(model_, lang_);
    windows_ = new WindowsPage(model_, lang_);
    language_ = new LanguagePage(model_, lang_);
    system_ = new SystemPage(model_, lang_, std::move(prompts));
    colours_ = new ColoursPage(model_, lang_);
    passwords_ = std::make_unique<PasswordStore>();
    mqtt_ = new MqttPage(s_.Mqtt, *passwords_, lang_);
    tabs_ = new QTabWidget(this);
    for (QWidget* page : std::initializer_list<QWidget*>{communication_, measure_, log_, windows_, language_, system_,
                                                         colours_, mqtt_})
        tabs_->addTab(page, QString());

    // Another device has its own baud rates.
    connect(measure_, &MeasurePage::deviceChosen, communication_, &CommunicationPage::InitCboBaudrate);
    connect(language_, &LanguagePage::languageChosen, this, &SettingsDialog::LaadStrings);

    okButton_ = new QPushButton(this);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(this);
    helpButton_ = new QPushButton(this);
    connect(okButton_, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        if (!hooks_.showHelp)
            return;
        // The section of the page in front, not the top of the topic.
        const int tab = tabs_->currentIndex();
        hooks_.showHelp(tab >= 0 && tab < int(std::size(kHelpSections))
                            ? kHelpTopic + QLatin1Char('#') + QLatin1String(kHelpSections[tab])
                            : kHelpTopic);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton_);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    communication_->InitCboCommPoort();
    measure_->InitCboToestel();
    communication_->InitCboBaudrate();
    measure_->ZetComboUnitIndex();
    measure_->InitialiseerKanaalOpties();
    windows_->InitArrangeWindows();
    system_->FillInfoGrid();
    colours_->FillColorGrid();
    tabs_->setCurrentIndex(model_.Draft().tab);

    // The language list in each language's own words, then the dialog in
    // the chosen one.
    language_->InitComboTaal();
    LaadStrings();
    resize(sizeHint().expandedTo(QSize(560, 460)));
}

SettingsDialog::~SettingsDialog()
{
    model_.Close();
}

void SettingsDialog::LaadStrings()
{
    setWindowTitle(lang_[kSettings]);
    const int pageTexts[kSettingsPageCount] = {kCommunication, kMeasure, kLog,    kWindows,
                                               kLanguage,      kSystem,  kColours, kMqtt};
    for (int i = 0; i < kSettingsPageCount; ++i)
        tabs_->setTabText(i, Plain(lang_[pageTexts[i]]));
    okButton_->setText(lang_[kOk]);
    cancelButton_->setText(lang_[kCancel]);
    helpButton_->setText(lang_[kHelp]);

    communication_->LaadStrings();
    measure_->LaadStrings();
    log_->LaadStrings();
    windows_->LaadStrings();
    language_->LaadStrings();
    system_->LaadStrings();
    colours_->LaadStrings();
    mqtt_->LaadStrings();
}

// ---------------------------------------------------------------- controls

QComboBox* SettingsDialog::PortList() const { return communication_->PortList(); }
QPushButton* SettingsDialog::ScanButton() const { return communication_->ScanButton(); }
QComboBox* SettingsDialog::BaudList() const { return communication_->BaudList(); }
QComboBox* SettingsDialog::DeviceList() const { return measure_->DeviceList(); }
QComboBox* SettingsDialog::UnitList() const { return measure_->UnitList(); }
QCheckBox* SettingsDialog::PollCheck() const { return measure_->PollCheck(); }
IntervalBox* SettingsDialog::PollInterval() const { return measure_->PollInterval(); }
IntervalBox* SettingsDialog::LogInterval() const { return log_->LogInterval(); }
QSpinBox* SettingsDialog::Points() const { return log_->Points(); }
QCheckBox* SettingsDialog::LimitToPointsCheck() const { return log_->LimitToPointsCheck(); }
QTableWidget* SettingsDialog::ChannelGrid() const { return measure_->ChannelGrid(); }
QComboBox* SettingsDialog::LanguageList() const { return language_->LanguageList(); }
QTableWidget* SettingsDialog::InfoGrid() const { return system_->InfoGrid(); }
QTableWidget* SettingsDialog::ColorGrid() const { return colours_->ColorGrid(); }
QCheckBox* SettingsDialog::ManualCheck() const { return windows_->ManualCheck(); }
QCheckBox* SettingsDialog::ExtendFrameCheck() const { return windows_->ExtendFrameCheck(); }
QCheckBox* SettingsDialog::AutoArrangeCheck() const { return windows_->AutoArrangeCheck(); }

void SettingsDialog::InfoCellClicked(int row, int column) { system_->InfoCellClicked(row, column); }
void SettingsDialog::ColorCellClicked(int row, int column) { colours_->ColorCellClicked(row, column); }

// ---------------------------------------------------------------- OK, Cancel

void SettingsDialog::accept()
{
    model_.Draft().tab = tabs_->currentIndex();
    if (const QString mqttProblem = mqtt_->Problem(); !mqttProblem.isEmpty()) {
        Warn(lang_[kSettings], mqttProblem);
        tabs_->setCurrentWidget(mqtt_);
        return;
    }
    SettingsProblem problem;
    if (!model_.Ok(&problem)) {
        if (!problem.text.isEmpty())
            Warn(problem.title, problem.text);
        Focus(problem.field);
        return;
    }
    MqttSettings mqtt;
    QString passwordError;
    if (!mqtt_->Apply(mqtt, &passwordError))
        Warn(lang_[kSettings], passwordError);
    if (mqtt != s_.Mqtt) {
        s_.Mqtt = mqtt;
        s_.ConfigChanged = true;
    }
    model_.Close();
    QDialog::accept();
}

void SettingsDialog::reject()
{
    model_.Close();
    QDialog::reject();
}

void SettingsDialog::Focus(SettingsField field)
{
    QWidget* target = nullptr;
    switch (field) {
    case SettingsField::None: return;
    case SettingsField::Device: target = DeviceList(); break;
    case SettingsField::Port: target = PortList(); break;
    case SettingsField::PollInterval: target = PollInterval(); break;
    case SettingsField::LogInterval: target = LogInterval(); break;
    }
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->widget(i)->isAncestorOf(target))
            tabs_->setCurrentIndex(i);
    // A disabled poll box cannot take the focus: its switch, which enables it, does.
    if (target == PollInterval() && !PollInterval()->isEnabled())
        target = PollCheck();
    target->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- messages

void SettingsDialog::Warn(const QString& title, const QString& text)
{
    if (hooks_.warning)
        hooks_.warning(title, text);
    else
        QMessageBox::warning(this, title, text);
}

void SettingsDialog::Inform(const QString& title, const QString& text)
{
    if (hooks_.information)
        hooks_.information(title, text);
    else
        QMessageBox::information(this, title, text);
}

bool SettingsDialog::AskYesNo(const QString& title, const QString& text)
{
    if (hooks_.askYesNo)
        return hooks_.askYesNo(title, text);
    return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString SettingsDialog::ChooseFolder(const QString& title, const QString& folder)
{
    return hooks_.chooseFolder ? hooks_.chooseFolder(folder) : QFileDialog::getExistingDirectory(this, title, folder);
}

bool RunSettingsDialog(AppState& state, LanguageTable& language, const SettingsHooks& hooks, QWidget* parent)
{
    SettingsDialog dialog(state, language, hooks, parent);
    return dialog.exec() == QDialog::Accepted;
}
