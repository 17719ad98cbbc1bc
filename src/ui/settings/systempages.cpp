#include "ui/settings/systempages.h"

#include "core/help/languagetable.h"
#include "core/settings/settingsmodel.h"
#include "platform/ui/colorchooser.h"
#include "platform/ui/qtcolors.h"
#include "ui/settings/settingsshared.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
enum : int {
    kColour = 118,
    kChooseLanguage = 140,
    kHelpLanguage = 175,
    kHelpSystem = 176,
    kCannotChange = 177,
    kName = 187,
    kValueHeading = 188,
    kNoFolder = 195,
    kCreateFolder = 196,
    kFolderError = 203,
};
} // namespace

// ---------------------------------------------------------------- language

LanguagePage::LanguagePage(SettingsModel& model, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language)
{
    lblLanguage_ = new QLabel(this);
    comboTaal_ = new QComboBox(this);
    comboTaal_->setObjectName(QStringLiteral("ComboTaal"));
    helpLanguage_ = HelpLabel(this);
    connect(comboTaal_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        if (filling_ || index < 0)
            return;
        model_.ChooseLanguage(qint16(index));
        Q_EMIT languageChosen();
    });
    auto* v = new QVBoxLayout(this);
    v->addWidget(lblLanguage_);
    v->addWidget(comboTaal_);
    v->addWidget(helpLanguage_);
    v->addStretch(1);
}

void LanguagePage::InitComboTaal()
{
    filling_ = true;
    comboTaal_->addItems(model_.LanguageNames());
    comboTaal_->setCurrentIndex(model_.Draft().language);
    filling_ = false;
}

void LanguagePage::LaadStrings()
{
    lblLanguage_->setText(lang_[kChooseLanguage]);
    helpLanguage_->setText(Caption(lang_[kHelpLanguage]));
}

// ---------------------------------------------------------------- system

SystemPage::SystemPage(SettingsModel& model, const LanguageTable& language, SettingsPrompts prompts, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language), prompts_(std::move(prompts))
{
    info_ = new QTableWidget(kInfoRowCount, 2, this);
    info_->setObjectName(QStringLiteral("MSHFlexGridInformation"));
    info_->verticalHeader()->hide();
    info_->horizontalHeader()->setStretchLastSection(true);
    info_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                           | QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
    helpSystem_ = HelpLabel(this);
    connect(info_, &QTableWidget::cellClicked, this, &SystemPage::InfoCellClicked);
    connect(info_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() != 1)
            return;
        model_.Draft().info[size_t(item->row())] = item->text();
    });
    auto* v = new QVBoxLayout(this);
    v->addWidget(info_, 1);
    v->addWidget(helpSystem_);
}

void SystemPage::FillInfoGrid()
{
    filling_ = true;
    for (int row = 0; row < kInfoRowCount; ++row) {
        info_->setItem(row, 0, ReadOnlyItem());
        auto* value = new QTableWidgetItem(model_.InfoValue(row));
        if (InfoRows()[size_t(row)].kind != InfoRowKind::Editable)
            value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        info_->setItem(row, 1, value);
    }
    filling_ = false;
}

void SystemPage::LaadStrings()
{
    helpSystem_->setText(Caption(lang_[kHelpSystem]));
    filling_ = true;
    info_->setHorizontalHeaderLabels({lang_[kName], lang_[kValueHeading]});
    for (int row = 0; row < kInfoRowCount; ++row)
        info_->item(row, 0)->setText(lang_[InfoRows()[size_t(row)].text]);
    info_->resizeColumnToContents(0);
    filling_ = false;
}

void SystemPage::InfoCellClicked(int row, int column)
{
    if (row < 0 || row >= kInfoRowCount || column != 1)
        return;
    switch (InfoRows()[size_t(row)].kind) {
    case InfoRowKind::Editable:
        return;
    case InfoRowKind::ReadOnly:
        prompts_.inform(lang_[kSettings], lang_[kCannotChange]);
        return;
    case InfoRowKind::Folder: break;
    }
    const QString chosen = prompts_.chooseFolder(lang_[InfoRows()[size_t(row)].text], model_.Draft().info[size_t(row)]);
    if (chosen.isEmpty())
        return;
    const QString folder = QDir::toNativeSeparators(chosen);
    if (!QFileInfo(folder).isDir())
        CreateFolderAsked(folder);
    model_.Draft().info[size_t(row)] = folder;
    filling_ = true;
    info_->item(row, 1)->setText(folder);
    filling_ = false;
}

void SystemPage::CreateFolderAsked(const QString& folder)
{
    if (!prompts_.askYesNo(lang_[kSettings], lang_[kNoFolder] + QStringLiteral("\r\n") + lang_[kCreateFolder]))
        return;
    if (!QDir().mkpath(folder))
        prompts_.warn(lang_[kSettings], QString(lang_[kFolderError]).replace(QStringLiteral("##"), folder));
}

// ---------------------------------------------------------------- colours

ColoursPage::ColoursPage(SettingsModel& model, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), model_(model), lang_(language)
{
    colors_ = new QTableWidget(kColorRowCount, 2, this);
    colors_->setObjectName(QStringLiteral("MSHFlexGridColors"));
    colors_->verticalHeader()->hide();
    colors_->horizontalHeader()->setStretchLastSection(true);
    colors_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    colors_->setSelectionMode(QAbstractItemView::NoSelection);
    connect(colors_, &QTableWidget::cellClicked, this, &ColoursPage::ColorCellClicked);
    auto* v = new QVBoxLayout(this);
    v->addWidget(colors_);
}

void ColoursPage::FillColorGrid()
{
    for (int row = 0; row < kColorRowCount; ++row) {
        colors_->setItem(row, 0, ReadOnlyItem());
        auto* swatch = ReadOnlyItem();
        swatch->setBackground(ToQColor(model_.Draft().colors[size_t(row)]));
        colors_->setItem(row, 1, swatch);
    }
}

void ColoursPage::LaadStrings()
{
    colors_->setHorizontalHeaderLabels({lang_[kName], lang_[kColour]});
    for (int row = 0; row < kColorRowCount; ++row)
        colors_->item(row, 0)->setText(lang_[ColorRows()[size_t(row)].text]);
    colors_->resizeColumnToContents(0);
}

void ColoursPage::ColorCellClicked(int row, int column)
{
    if (row < 0 || row >= kColorRowCount || column != 1)
        return;
    ColorValue c = model_.Draft().colors[size_t(row)];
    // Over the dialog, as its message boxes are.
    if (!ChooseColor(window(), c))
        return;
    model_.Draft().colors[size_t(row)] = c;
    colors_->item(row, 1)->setBackground(ToQColor(c));
}
