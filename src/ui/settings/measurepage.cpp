#include "ui/settings/measurepage.h"

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/settings/settingsmodel.h"
#include "ui/settings/intervalbox.h"
#include "ui/settings/settingsshared.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
enum : int {
    kDevice = 28,
    kPollEvery = 31,
    kChannels = 34,
    kNumber = 35,
    kActivate = 36,
    kUnit = 100,
    kHelpMeasure = 172,
};
} // namespace

MeasurePage::MeasurePage(SettingsModel& model, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language)
{
    lblDevice_ = new QLabel(this);
    cboToestel_ = new QComboBox(this);
    cboToestel_->setObjectName(QStringLiteral("cboToestel"));
    lblUnit_ = new QLabel(this);
    comboUnit_ = new QComboBox(this);
    comboUnit_->setObjectName(QStringLiteral("ComboUnit"));
    checkOpvragen_ = new QCheckBox(this);
    checkOpvragen_->setObjectName(QStringLiteral("CheckOpvragen"));
    pollBox_ = new IntervalBox(kPollIntervalRange, this);
    pollBox_->setObjectName(QStringLiteral("TextTijdOpvragen"));
    channelsFrame_ = new QGroupBox(this);
    channels_ = new QTableWidget(0, 3, channelsFrame_);
    channels_->setObjectName(QStringLiteral("Channels"));
    channels_->verticalHeader()->hide();
    channels_->setSelectionMode(QAbstractItemView::NoSelection);
    channels_->horizontalHeader()->setStretchLastSection(true);
    helpMeasure_ = HelpLabel(this);

    const SettingsDraft& d = model_.Draft();
    checkOpvragen_->setChecked(d.pollValues);
    pollBox_->setText(d.pollText);
    pollBox_->setEnabled(d.pollValues);

    connect(cboToestel_, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (!filling_)
            DeviceChosen(name);
    });
    connect(comboUnit_, &QComboBox::currentTextChanged, this, [this](const QString& unit) {
        if (!filling_)
            model_.Draft().unit = unit;
    });
    connect(checkOpvragen_, &QCheckBox::toggled, this, [this](bool on) {
        model_.Draft().pollValues = on;
        pollBox_->setEnabled(on);
    });
    connect(pollBox_, &IntervalBox::textEdited, this, [this](const QString& t) { model_.Draft().pollText = t; });
    connect(channels_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() == 0)
            return;
        const size_t ch = size_t(item->row() + 1);
        if (ch >= model_.Draft().channels.size())
            return;
        const bool on = item->checkState() == Qt::Checked;
        if (item->column() == 1)
            model_.Draft().channels[ch].Use = on;
        else
            model_.Draft().channels[ch].Value = on;
    });

    auto* grid = new QGridLayout;
    grid->addWidget(lblDevice_, 0, 0);
    grid->addWidget(cboToestel_, 0, 1);
    grid->addWidget(lblUnit_, 0, 2);
    grid->addWidget(comboUnit_, 0, 3);
    grid->addWidget(checkOpvragen_, 1, 0, 1, 2);
    grid->addWidget(pollBox_, 1, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* frame = new QVBoxLayout(channelsFrame_);
    frame->addWidget(channels_);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addWidget(channelsFrame_, 1);
    v->addWidget(helpMeasure_);
}

void MeasurePage::InitCboToestel()
{
    filling_ = true;
    cboToestel_->clear();
    cboToestel_->addItems(DeviceListOrder());
    SelectText(cboToestel_, model_.Draft().device);
    filling_ = false;
}

void MeasurePage::ZetComboUnitIndex()
{
    filling_ = true;
    if (comboUnit_->count() == 0)
        comboUnit_->addItems(model_.UnitList());
    SelectText(comboUnit_, model_.Draft().unit);
    const bool on = model_.UnitEnabled();
    comboUnit_->setVisible(on);
    comboUnit_->setEnabled(on);
    lblUnit_->setVisible(on);
    filling_ = false;
}

void MeasurePage::InitialiseerKanaalOpties()
{
    filling_ = true;
    const int rows = model_.ChannelRows();
    const bool editable = model_.ChannelsEditable();
    channels_->setRowCount(rows);
    for (int ch = 1; ch <= rows; ++ch) {
        const ChannelRecord& r = model_.Draft().channels[size_t(ch)];
        channels_->setItem(ch - 1, 0, ReadOnlyItem(model_.ChannelLabel(ch)));
        for (int column : {1, 2}) {
            auto* item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsUserCheckable;
            if (editable)
                flags |= Qt::ItemIsEnabled;
            item->setFlags(flags);
            item->setCheckState((column == 1 ? r.Use : r.Value) ? Qt::Checked : Qt::Unchecked);
            channels_->setItem(ch - 1, column, item);
        }
    }
    filling_ = false;
}

void MeasurePage::DeviceChosen(const QString& name)
{
    model_.ChooseDevice(name);
    Q_EMIT deviceChosen();
    InitialiseerKanaalOpties();
    ZetComboUnitIndex();
}

void MeasurePage::LaadStrings()
{
    lblDevice_->setText(lang_[kDevice]);
    lblUnit_->setText(Caption(lang_[kUnit]));
    checkOpvragen_->setText(lang_[kPollEvery]);
    channelsFrame_->setTitle(lang_[kChannels]);
    helpMeasure_->setText(Caption(lang_[kHelpMeasure]));
    filling_ = true;
    channels_->setHorizontalHeaderLabels({lang_[kNumber], lang_[kActivate], lang_[kValue]});
    filling_ = false;
}
