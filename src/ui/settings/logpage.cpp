#include "ui/settings/logpage.h"

#include "core/help/languagetable.h"
#include "core/settings/settingsmodel.h"
#include "ui/settings/intervalbox.h"
#include "ui/settings/settingsshared.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
enum : int {
    kLogInterval = 33,
    kNumberOfValues = 93,
    kHelpLog = 173,
    kLoadLastFile = 182,
    kLogAtStart = 183,
    kDatestamp = 184,
    kConnectAtStart = 229,
};
} // namespace

LogPage::LogPage(SettingsModel& model, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language)
{
    const SettingsDraft& d = model_.Draft();
    lblLogInterval_ = new QLabel(this);
    logBox_ = new IntervalBox(kLogIntervalRange, this);
    logBox_->setObjectName(QStringLiteral("TextTijdLoggen"));
    logBox_->setText(d.logText);
    checkNumberOfValues_ = new QCheckBox(this);
    checkNumberOfValues_->setObjectName(QStringLiteral("CheckNumberOfValues"));
    points_ = new QSpinBox(this);
    points_->setObjectName(QStringLiteral("TextAantalPunten"));
    points_->setRange(100, 30000);
    points_->setSingleStep(50);
    points_->setValue(d.points);
    checkLogAtStartup_ = new QCheckBox(this);
    checkLoadLastFile_ = new QCheckBox(this);
    checkDateStamp_ = new QCheckBox(this);
    checkStartReadAtStartup_ = new QCheckBox(this);
    helpLog_ = HelpLabel(this);

    struct Switch {
        QCheckBox* box;
        bool SettingsDraft::*field;
    };
    const Switch switches[] = {
        {checkNumberOfValues_, &SettingsDraft::limitToPoints},   {checkLogAtStartup_, &SettingsDraft::logAtStart},
        {checkLoadLastFile_, &SettingsDraft::loadFileAtStart},   {checkDateStamp_, &SettingsDraft::datestampFileName},
        {checkStartReadAtStartup_, &SettingsDraft::connectAtStart},
    };
    for (const Switch& sw : switches) {
        sw.box->setChecked(d.*(sw.field));
        connect(sw.box, &QCheckBox::toggled, this, [this, f = sw.field](bool on) { model_.Draft().*f = on; });
    }
    connect(logBox_, &IntervalBox::textEdited, this, [this](const QString& t) { model_.Draft().logText = t; });
    connect(points_, qOverload<int>(&QSpinBox::valueChanged), this, [this](int n) { model_.Draft().points = n; });

    auto* grid = new QGridLayout;
    grid->addWidget(lblLogInterval_, 0, 0);
    grid->addWidget(logBox_, 0, 1);
    grid->addWidget(checkNumberOfValues_, 1, 0);
    grid->addWidget(points_, 1, 1);
    grid->setColumnStretch(2, 1);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    for (QCheckBox* box : {checkLogAtStartup_, checkLoadLastFile_, checkDateStamp_, checkStartReadAtStartup_})
        v->addWidget(box);
    v->addWidget(helpLog_);
    v->addStretch(1);
}

void LogPage::LaadStrings()
{
    lblLogInterval_->setText(lang_[kLogInterval]);
    checkNumberOfValues_->setText(lang_[kNumberOfValues]);
    checkLogAtStartup_->setText(lang_[kLogAtStart]);
    checkLoadLastFile_->setText(lang_[kLoadLastFile]);
    checkDateStamp_->setText(lang_[kDatestamp]);
    checkStartReadAtStartup_->setText(lang_[kConnectAtStart]);
    helpLog_->setText(Caption(lang_[kHelpLog]));
}
