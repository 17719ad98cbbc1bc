#include "ui/settings/communicationpage.h"

#include "comm/portlisting.h"
#include "core/help/languagetable.h"
#include "core/settings/settingsmodel.h"
#include "ui/settings/settingsshared.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
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

CommunicationPage::CommunicationPage(SettingsModel& model, const LanguageTable& language,
                                     std::function<QList<PortEntry>()> portEntries, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language), portEntries_(std::move(portEntries))
{
    lblPort_ = new QLabel(this);
    lblBaud_ = new QLabel(this);
    cboCommPoort_ = new QComboBox(this);
    cboCommPoort_->setObjectName(QStringLiteral("cboCommPoort"));
    // Two columns in the list, the name alone in the box.
    ports_ = new QStandardItemModel(0, 2, this);
    portView_ = new QTreeView(cboCommPoort_);
    portView_->setHeaderHidden(true);
    portView_->setRootIsDecorated(false);
    portView_->setItemsExpandable(false);
    portView_->setUniformRowHeights(true);
    portView_->setAllColumnsShowFocus(true);
    portView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    cboCommPoort_->setModel(ports_);
    cboCommPoort_->setView(portView_);
    cboCommPoort_->setEditable(true);
    cboCommPoort_->setInsertPolicy(QComboBox::NoInsert);
    // Suggestions below the box, never completed into it: an inline completion
    // of "/dev/pts/1" to "/dev/pts/12" would be taken by OK unseen.
    cboCommPoort_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    cboCommPoort_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    cboBaudrate_ = new QComboBox(this);
    cboBaudrate_->setObjectName(QStringLiteral("cboBaudrate"));
    btnScan_ = new QPushButton(this);
    btnScan_->setObjectName(QStringLiteral("CommandScan"));
    helpComm_ = HelpLabel(this);

    connect(cboCommPoort_, &QComboBox::currentTextChanged, this, [this](const QString& port) {
        if (!filling_)
            model_.Draft().port = port.trimmed();
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
    const QList<PortEntry> known = portEntries_ ? portEntries_() : QList<PortEntry>();
    const QColor quiet = palette().color(QPalette::Disabled, QPalette::Text);
    ports_->removeRows(0, ports_->rowCount());
    for (const QString& name : model_.Draft().ports) {
        QString detail;
        for (const PortEntry& e : known)
            if (e.name == name)
                detail = e.detail;
        auto* nameItem = new QStandardItem(name);
        auto* detailItem = new QStandardItem(detail);
        nameItem->setToolTip(detail);
        detailItem->setToolTip(detail);
        detailItem->setForeground(quiet);
        ports_->appendRow({nameItem, detailItem});
    }
    // The port of the command line is the one used, whatever the box says.
    cboCommPoort_->setEnabled(!model_.PortFromCommandLine());
    SelectText(cboCommPoort_, model_.Draft().port);
    if (cboCommPoort_->currentIndex() < 0)
        cboCommPoort_->setEditText(model_.Draft().port);
    portView_->resizeColumnToContents(0);
    portView_->resizeColumnToContents(1);
    portView_->setMinimumWidth(portView_->columnWidth(0) + portView_->columnWidth(1) + 24);
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
