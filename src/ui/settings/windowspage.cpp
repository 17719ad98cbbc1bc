#include "ui/settings/windowspage.h"

#include "core/help/languagetable.h"
#include "core/settings/settingsmodel.h"
#include "ui/settings/settingsshared.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
enum : int {
    kGraph = 20,
    kTable = 21,
    kTileHorizontal = 58,
    kTileVertical = 59,
    kTerminalWindow = 164,
    kHelpWindows = 174,
    kManual = 181,
    kPerRow = 197,
    kPerColumn = 198,
    kHeightFactor = 199,
    kWidthFactor = 200,
    kExtendFrame = 201,
    kAutoArrange = 202,
};
} // namespace

WindowsPage::WindowsPage(SettingsModel& model, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language)
{
    arrangeGrid_ = new QWidget(this);
    lblTileHor_ = new QLabel(arrangeGrid_);
    lblTileVer_ = new QLabel(arrangeGrid_);
    lblPerRow_ = new QLabel(arrangeGrid_);
    lblHeight_ = new QLabel(arrangeGrid_);
    lblPerCol_ = new QLabel(arrangeGrid_);
    lblWidth_ = new QLabel(arrangeGrid_);
    lblValueRow_ = new QLabel(arrangeGrid_);
    lblGraphRow_ = new QLabel(arrangeGrid_);
    lblTableRow_ = new QLabel(arrangeGrid_);
    lblTerminalRow_ = new QLabel(arrangeGrid_);
    checkManual_ = new QCheckBox(this);
    checkManual_->setObjectName(QStringLiteral("ManualWindowTile"));
    checkExtendFrame_ = new QCheckBox(this);
    checkAutoArrange_ = new QCheckBox(this);
    helpWindows_ = HelpLabel(this);

    auto* grid = new QGridLayout(arrangeGrid_);
    grid->addWidget(lblTileHor_, 0, 1, 1, 2, Qt::AlignHCenter);
    grid->addWidget(lblTileVer_, 0, 3, 1, 2, Qt::AlignHCenter);
    grid->addWidget(lblPerRow_, 1, 1);
    grid->addWidget(lblHeight_, 1, 2);
    grid->addWidget(lblPerCol_, 1, 3);
    grid->addWidget(lblWidth_, 1, 4);
    grid->addWidget(lblValueRow_, 2, 0);
    grid->addWidget(lblGraphRow_, 3, 0);
    grid->addWidget(lblTableRow_, 4, 0);
    grid->addWidget(lblTerminalRow_, 5, 0);

    // A box writes its draft field only when the user changes it, so a value
    // from a file that the box cannot show is kept as it was.
    const SettingsDraft& d = model_.Draft();
    const auto add = [&](float SettingsDraft::*field, int row, int column, bool count, const char* name) {
        QAbstractSpinBox* box;
        if (count) {
            auto* spin = new QSpinBox(arrangeGrid_);
            spin->setRange(1, 99);
            spin->setValue(int(d.*field));
            connect(spin, qOverload<int>(&QSpinBox::valueChanged), this,
                    [this, field](int v) { model_.Draft().*field = float(v); });
            box = spin;
        } else {
            auto* spin = new QDoubleSpinBox(arrangeGrid_);
            spin->setRange(0.05, 100);
            spin->setDecimals(2);
            spin->setSingleStep(0.1);
            spin->setValue(double(d.*field));
            connect(spin, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
                    [this, field](double v) { model_.Draft().*field = float(v); });
            box = spin;
        }
        box->setObjectName(QString::fromLatin1(name));
        grid->addWidget(box, row, column);
    };
    add(&SettingsDraft::valuePerHorRow, 2, 1, true, "ValuePerHorRow");
    add(&SettingsDraft::valueFactorHor, 2, 2, false, "ValueFactorHor");
    add(&SettingsDraft::valuePerVerCol, 2, 3, true, "ValuePerVerCol");
    add(&SettingsDraft::valueFactorVer, 2, 4, false, "ValueFactorVer");
    add(&SettingsDraft::graphPerHorRow, 3, 1, true, "GraphPerHorRow");
    add(&SettingsDraft::graphFactorHor, 3, 2, false, "GraphFactorHor");
    add(&SettingsDraft::graphPerVerCol, 3, 3, true, "GraphPerVerCol");
    add(&SettingsDraft::graphFactorVer, 3, 4, false, "GraphFactorVer");
    add(&SettingsDraft::tableFactorHor, 4, 2, false, "TableFactorHor");
    add(&SettingsDraft::tableFactorVer, 4, 4, false, "TableFactorVer");
    add(&SettingsDraft::terminalFactor, 5, 2, false, "TerminalFactor");

    connect(checkManual_, &QCheckBox::toggled, this, [this](bool on) {
        model_.Draft().manual = on;
        arrangeGrid_->setEnabled(on);
    });
    connect(checkExtendFrame_, &QCheckBox::toggled, this, [this](bool on) { model_.Draft().extendFrame = on; });
    connect(checkAutoArrange_, &QCheckBox::toggled, this, [this](bool on) { model_.Draft().autoArrange = on; });

    auto* v = new QVBoxLayout(this);
    v->addWidget(checkManual_);
    v->addWidget(arrangeGrid_);
    v->addWidget(checkExtendFrame_);
    v->addWidget(checkAutoArrange_);
    v->addWidget(helpWindows_);
    v->addStretch(1);
}

void WindowsPage::InitArrangeWindows()
{
    const SettingsDraft& d = model_.Draft();
    checkManual_->setChecked(d.manual);
    arrangeGrid_->setEnabled(d.manual);
    checkExtendFrame_->setChecked(d.extendFrame);
    checkAutoArrange_->setChecked(d.autoArrange);
}

void WindowsPage::LaadStrings()
{
    lblTileHor_->setText(Plain(lang_[kTileHorizontal]));
    lblTileVer_->setText(Plain(lang_[kTileVertical]));
    lblPerRow_->setText(lang_[kPerRow]);
    lblHeight_->setText(lang_[kHeightFactor]);
    lblPerCol_->setText(lang_[kPerColumn]);
    lblWidth_->setText(lang_[kWidthFactor]);
    lblValueRow_->setText(lang_[kValue]);
    lblGraphRow_->setText(Plain(lang_[kGraph]));
    lblTableRow_->setText(lang_[kTable]);
    lblTerminalRow_->setText(lang_[kTerminalWindow]);
    checkManual_->setText(lang_[kManual]);
    checkExtendFrame_->setText(lang_[kExtendFrame]);
    checkAutoArrange_->setText(lang_[kAutoArrange]);
    helpWindows_->setText(Caption(lang_[kHelpWindows]));
}
