#include "ui/settings/communicationpage.h"

#include "core/help/languagetable.h"
#include "core/settings/settingsmodel.h"
#include "ui/settings/settingsshared.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
enum : int {
    kSerialPort = 29,
    kBaudRate = 30,
    kHelpCommunication = 171,
    kScan = 301,
};
} // namespace

CommunicationPage::CommunicationPage(SettingsModel& model, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language)
{
    lblPort_ = new QLabel(this);
    lblBaud_ = new QLabel(this);
    cboCommPoort_ = new QComboBox(this);
    cboCommPoort_->setObjectName(QStringLiteral("cboCommPoort"));
    cboBaudrate_ = new QComboBox(this);
    cboBaudrate_->setObjectName(QStringLiteral("cboBaudrate"));
    btnScan_ = new QPushButton(this);
    btnScan_->setObjectName(QStringLiteral("CommandScan"));
    helpComm_ = HelpLabel(this);

    connect(cboCommPoort_, &QComboBox::currentTextChanged, this, [this](const QString& port) {
        if (!filling_)
            model_.Draft().port = port;
    });
    connect(cboBaudrate_, &QComboBox::currentTextChanged, this, [this](const QString& baud) {
        if (!filling_)
            model_.Draft().baud = baud;
    });
    connect(btnScan_, &QPushButton::clicked, this, [this] {
        model_.BuildPortList();
        InitCboCommPoort();
    });

    auto* grid = new QGridLayout;
    grid->addWidget(lblPort_, 0, 0);
    grid->addWidget(cboCommPoort_, 0, 1);
    grid->addWidget(btnScan_, 0, 2);
    grid->addWidget(lblBaud_, 1, 0);
    grid->addWidget(cboBaudrate_, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addWidget(helpComm_);
    v->addStretch(1);
}

void CommunicationPage::InitCboCommPoort()
{
    filling_ = true;
    cboCommPoort_->clear();
    cboCommPoort_->addItems(model_.Draft().ports);
    SelectText(cboCommPoort_, model_.Draft().port);
    filling_ = false;
}

void CommunicationPage::InitCboBaudrate()
{
    filling_ = true;
    cboBaudrate_->clear();
    cboBaudrate_->addItems(model_.BaudList());
    SelectText(cboBaudrate_, model_.Draft().baud);
    cboBaudrate_->setEnabled(model_.BaudEnabled());
    filling_ = false;
}

void CommunicationPage::LaadStrings()
{
    lblPort_->setText(lang_[kSerialPort]);
    lblBaud_->setText(lang_[kBaudRate]);
    btnScan_->setText(lang_[kScan]);
    helpComm_->setText(Caption(lang_[kHelpCommunication]));
}
