#include "ui/settings/settingsdialog.h"

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"
#include "platform/ui/colorchooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// Language-table entries of the dialog.
enum : int {
    kGraph = 20,
    kTable = 21,
    kSettings = 26,
    kCommunication = 27,
    kDevice = 28,
    kSerialPort = 29,
    kBaudRate = 30,
    kPollEvery = 31,
    kLogInterval = 33,
    kChannels = 34,
    kNumber = 35,
    kActivate = 36,
    kLog = 37,
    kValue = 19,
    kOk = 39,
    kCancel = 40,
    kTileHorizontal = 58,
    kTileVertical = 59,
    kNumberOfValues = 93,
    kUnit = 100,
    kColour = 118,
    kHelp = 126,
    kChooseLanguage = 140,
    kLanguage = 141,
    kTerminalWindow = 164,
    kHelpCommunication = 171,
    kHelpMeasure = 172,
    kHelpLog = 173,
    kHelpWindows = 174,
    kHelpLanguage = 175,
    kHelpSystem = 176,
    kCannotChange = 177,
    kMeasure = 178,
    kWindows = 179,
    kSystem = 180,
    kManual = 181,
    kLoadLastFile = 182,
    kLogAtStart = 183,
    kDatestamp = 184,
    kColours = 186,
    kName = 187,
    kValueHeading = 188,
    kNoFolder = 195,
    kCreateFolder = 196,
    kPerRow = 197,
    kPerColumn = 198,
    kHeightFactor = 199,
    kWidthFactor = 200,
    kExtendFrame = 201,
    kAutoArrange = 202,
    kFolderError = 203,
    kConnectAtStart = 229,
    kScan = 301,
};

const QString kHelpTopic = QStringLiteral("settings.htm");

QString Plain(const QString& text) { return QString(text).remove(QLatin1Char('&')); }
// Texts the table keeps with a trailing line break or colon for other uses.
QString Caption(const QString& text) { return Plain(text).trimmed(); }

QLabel* HelpLabel(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QTableWidgetItem* ReadOnlyItem(const QString& text = QString())
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

void SelectText(QComboBox* box, const QString& text)
{
    box->setCurrentIndex(text.isEmpty() ? -1 : box->findText(text));
}
} // namespace

// ---------------------------------------------------------------- interval box

IntervalBox::IntervalBox(IntervalRange range, QWidget* parent) : QAbstractSpinBox(parent), range_(range)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // Room for the whole clock form and the arrows: a clipped "1" reads as a wrong value.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 40);
    connect(lineEdit(), &QLineEdit::textEdited, this, &IntervalBox::textEdited);
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        const QString shown = NormaliseIntervalText(text(), range_);
        if (shown != text()) {
            lineEdit()->setText(shown);
            Q_EMIT textEdited(shown);
        }
    });
}

void IntervalBox::setText(const QString& text) { lineEdit()->setText(text); }

QValidator::State IntervalBox::validate(QString&, int&) const
{
    // Anything may be typed; OK reports an entry that is no interval.
    return QValidator::Acceptable;
}

void IntervalBox::stepBy(int steps)
{
    const std::optional<qint64> v = IntervalValue(text(), range_);
    const qint64 next = qBound(range_.min, (v ? *v : range_.min) + steps, range_.max);
    lineEdit()->setText(FormatInterval(next));
    Q_EMIT textEdited(text());
}

QAbstractSpinBox::StepEnabled IntervalBox::stepEnabled() const
{
    const std::optional<qint64> v = IntervalValue(text(), range_);
    if (!v || !isEnabled())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled e = StepNone;
    if (*v < range_.max)
        e |= StepUpEnabled;
    if (*v > range_.min)
        e |= StepDownEnabled;
    return e;
}

// ---------------------------------------------------------------- dialog

SettingsDialog::SettingsDialog(AppState& state, LanguageTable& language, SettingsHooks hooks, QWidget* parent)
    : QDialog(parent), s_(state), lang_(language), hooks_(std::move(hooks)),
      model_(state, language, static_cast<const SettingsActions&>(hooks_))
{
    setObjectName(QStringLiteral("frmInstellen"));
    setModal(true);
    model_.Open();

    tabs_ = new QTabWidget(this);
    tabs_->addTab(BuildCommunicationPage(), QString());
    tabs_->addTab(BuildMeasurePage(), QString());
    tabs_->addTab(BuildLogPage(), QString());
    tabs_->addTab(BuildWindowsPage(), QString());
    tabs_->addTab(BuildLanguagePage(), QString());
    tabs_->addTab(BuildSystemPage(), QString());
    tabs_->addTab(BuildColoursPage(), QString());

    okButton_ = new QPushButton(this);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(this);
    helpButton_ = new QPushButton(this);
    connect(okButton_, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        if (hooks_.showHelp)
            hooks_.showHelp(kHelpTopic);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton_);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    InitCboCommPoort();
    InitCboToestel();
    InitCboBaudrate();
    ZetComboUnitIndex();
    InitialiseerKanaalOpties();
    InitArrangeWindows();
    FillInfoGrid();
    FillColorGrid();
    tabs_->setCurrentIndex(model_.Draft().tab);

    // The language list in each language's own words, then the dialog in
    // the chosen one.
    filling_ = true;
    comboTaal_->addItems(model_.LanguageNames());
    comboTaal_->setCurrentIndex(model_.Draft().language);
    filling_ = false;
    LaadStrings();
    resize(sizeHint().expandedTo(QSize(560, 460)));
}

SettingsDialog::~SettingsDialog()
{
    model_.Close();
}

// ---------------------------------------------------------------- pages

QWidget* SettingsDialog::BuildCommunicationPage()
{
    auto* page = new QWidget;
    lblPort_ = new QLabel(page);
    lblBaud_ = new QLabel(page);
    cboCommPoort_ = new QComboBox(page);
    cboCommPoort_->setObjectName(QStringLiteral("cboCommPoort"));
    cboBaudrate_ = new QComboBox(page);
    cboBaudrate_->setObjectName(QStringLiteral("cboBaudrate"));
    btnScan_ = new QPushButton(page);
    btnScan_->setObjectName(QStringLiteral("CommandScan"));
    helpComm_ = HelpLabel(page);

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
    auto* v = new QVBoxLayout(page);
    v->addLayout(grid);
    v->addWidget(helpComm_);
    v->addStretch(1);
    return page;
}

QWidget* SettingsDialog::BuildMeasurePage()
{
    auto* page = new QWidget;
    lblDevice_ = new QLabel(page);
    cboToestel_ = new QComboBox(page);
    cboToestel_->setObjectName(QStringLiteral("cboToestel"));
    lblUnit_ = new QLabel(page);
    comboUnit_ = new QComboBox(page);
    comboUnit_->setObjectName(QStringLiteral("ComboUnit"));
    checkOpvragen_ = new QCheckBox(page);
    checkOpvragen_->setObjectName(QStringLiteral("CheckOpvragen"));
    pollBox_ = new IntervalBox(kPollIntervalRange, page);
    pollBox_->setObjectName(QStringLiteral("TextTijdOpvragen"));
    channelsFrame_ = new QGroupBox(page);
    channels_ = new QTableWidget(0, 3, channelsFrame_);
    channels_->setObjectName(QStringLiteral("Channels"));
    channels_->verticalHeader()->hide();
    channels_->setSelectionMode(QAbstractItemView::NoSelection);
    channels_->horizontalHeader()->setStretchLastSection(true);
    helpMeasure_ = HelpLabel(page);

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
    auto* v = new QVBoxLayout(page);
    v->addLayout(grid);
    v->addWidget(channelsFrame_, 1);
    v->addWidget(helpMeasure_);
    return page;
}

QWidget* SettingsDialog::BuildLogPage()
{
    auto* page = new QWidget;
    const SettingsDraft& d = model_.Draft();
    lblLogInterval_ = new QLabel(page);
    logBox_ = new IntervalBox(kLogIntervalRange, page);
    logBox_->setObjectName(QStringLiteral("TextTijdLoggen"));
    logBox_->setText(d.logText);
    checkNumberOfValues_ = new QCheckBox(page);
    checkNumberOfValues_->setObjectName(QStringLiteral("CheckNumberOfValues"));
    points_ = new QSpinBox(page);
    points_->setObjectName(QStringLiteral("TextAantalPunten"));
    points_->setRange(100, 30000);
    points_->setSingleStep(50);
    points_->setValue(d.points);
    checkLogAtStartup_ = new QCheckBox(page);
    checkLoadLastFile_ = new QCheckBox(page);
    checkDateStamp_ = new QCheckBox(page);
    checkStartReadAtStartup_ = new QCheckBox(page);
    helpLog_ = HelpLabel(page);

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
    auto* v = new QVBoxLayout(page);
    v->addLayout(grid);
    for (QCheckBox* box : {checkLogAtStartup_, checkLoadLastFile_, checkDateStamp_, checkStartReadAtStartup_})
        v->addWidget(box);
    v->addWidget(helpLog_);
    v->addStretch(1);
    return page;
}

QWidget* SettingsDialog::BuildWindowsPage()
{
    auto* page = new QWidget;
    arrangeGrid_ = new QWidget(page);
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
    checkManual_ = new QCheckBox(page);
    checkManual_->setObjectName(QStringLiteral("ManualWindowTile"));
    checkExtendFrame_ = new QCheckBox(page);
    checkAutoArrange_ = new QCheckBox(page);
    helpWindows_ = HelpLabel(page);

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

    auto* v = new QVBoxLayout(page);
    v->addWidget(checkManual_);
    v->addWidget(arrangeGrid_);
    v->addWidget(checkExtendFrame_);
    v->addWidget(checkAutoArrange_);
    v->addWidget(helpWindows_);
    v->addStretch(1);
    return page;
}

QWidget* SettingsDialog::BuildLanguagePage()
{
    auto* page = new QWidget;
    lblLanguage_ = new QLabel(page);
    comboTaal_ = new QComboBox(page);
    comboTaal_->setObjectName(QStringLiteral("ComboTaal"));
    helpLanguage_ = HelpLabel(page);
    connect(comboTaal_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        if (filling_ || index < 0)
            return;
        model_.ChooseLanguage(qint16(index));
        LaadStrings();
    });
    auto* v = new QVBoxLayout(page);
    v->addWidget(lblLanguage_);
    v->addWidget(comboTaal_);
    v->addWidget(helpLanguage_);
    v->addStretch(1);
    return page;
}

QWidget* SettingsDialog::BuildSystemPage()
{
    auto* page = new QWidget;
    info_ = new QTableWidget(kInfoRowCount, 2, page);
    info_->setObjectName(QStringLiteral("MSHFlexGridInformation"));
    info_->verticalHeader()->hide();
    info_->horizontalHeader()->setStretchLastSection(true);
    info_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                           | QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
    helpSystem_ = HelpLabel(page);
    connect(info_, &QTableWidget::cellClicked, this, &SettingsDialog::InfoCellClicked);
    connect(info_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() != 1)
            return;
        model_.Draft().info[size_t(item->row())] = item->text();
    });
    auto* v = new QVBoxLayout(page);
    v->addWidget(info_, 1);
    v->addWidget(helpSystem_);
    return page;
}

QWidget* SettingsDialog::BuildColoursPage()
{
    auto* page = new QWidget;
    colors_ = new QTableWidget(kColorRowCount, 2, page);
    colors_->setObjectName(QStringLiteral("MSHFlexGridColors"));
    colors_->verticalHeader()->hide();
    colors_->horizontalHeader()->setStretchLastSection(true);
    colors_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    colors_->setSelectionMode(QAbstractItemView::NoSelection);
    connect(colors_, &QTableWidget::cellClicked, this, &SettingsDialog::ColorCellClicked);
    auto* v = new QVBoxLayout(page);
    v->addWidget(colors_);
    return page;
}

// ---------------------------------------------------------------- lists

void SettingsDialog::InitCboCommPoort()
{
    filling_ = true;
    cboCommPoort_->clear();
    cboCommPoort_->addItems(model_.Draft().ports);
    SelectText(cboCommPoort_, model_.Draft().port);
    filling_ = false;
}

void SettingsDialog::InitCboToestel()
{
    filling_ = true;
    cboToestel_->clear();
    cboToestel_->addItems(DeviceListOrder());
    SelectText(cboToestel_, model_.Draft().device);
    filling_ = false;
}

void SettingsDialog::InitCboBaudrate()
{
    filling_ = true;
    cboBaudrate_->clear();
    cboBaudrate_->addItems(model_.BaudList());
    SelectText(cboBaudrate_, model_.Draft().baud);
    cboBaudrate_->setEnabled(model_.BaudEnabled());
    filling_ = false;
}

void SettingsDialog::ZetComboUnitIndex()
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

void SettingsDialog::InitialiseerKanaalOpties()
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

void SettingsDialog::InitArrangeWindows()
{
    const SettingsDraft& d = model_.Draft();
    checkManual_->setChecked(d.manual);
    arrangeGrid_->setEnabled(d.manual);
    checkExtendFrame_->setChecked(d.extendFrame);
    checkAutoArrange_->setChecked(d.autoArrange);
}

void SettingsDialog::FillInfoGrid()
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

void SettingsDialog::FillColorGrid()
{
    for (int row = 0; row < kColorRowCount; ++row) {
        colors_->setItem(row, 0, ReadOnlyItem());
        auto* swatch = ReadOnlyItem();
        swatch->setBackground(ToQColor(model_.Draft().colors[size_t(row)]));
        colors_->setItem(row, 1, swatch);
    }
}

void SettingsDialog::DeviceChosen(const QString& name)
{
    model_.ChooseDevice(name);
    InitCboBaudrate();
    InitialiseerKanaalOpties();
    ZetComboUnitIndex();
}

// ---------------------------------------------------------------- captions

void SettingsDialog::LaadStrings()
{
    setWindowTitle(lang_[kSettings]);
    const int pageTexts[kSettingsPageCount] = {kCommunication, kMeasure, kLog, kWindows, kLanguage, kSystem, kColours};
    for (int i = 0; i < kSettingsPageCount; ++i)
        tabs_->setTabText(i, Plain(lang_[pageTexts[i]]));
    okButton_->setText(lang_[kOk]);
    cancelButton_->setText(lang_[kCancel]);
    helpButton_->setText(lang_[kHelp]);

    lblPort_->setText(lang_[kSerialPort]);
    lblBaud_->setText(lang_[kBaudRate]);
    btnScan_->setText(lang_[kScan]);
    helpComm_->setText(Caption(lang_[kHelpCommunication]));

    lblDevice_->setText(lang_[kDevice]);
    lblUnit_->setText(Caption(lang_[kUnit]));
    checkOpvragen_->setText(lang_[kPollEvery]);
    channelsFrame_->setTitle(lang_[kChannels]);
    helpMeasure_->setText(Caption(lang_[kHelpMeasure]));

    lblLogInterval_->setText(lang_[kLogInterval]);
    checkNumberOfValues_->setText(lang_[kNumberOfValues]);
    checkLogAtStartup_->setText(lang_[kLogAtStart]);
    checkLoadLastFile_->setText(lang_[kLoadLastFile]);
    checkDateStamp_->setText(lang_[kDatestamp]);
    checkStartReadAtStartup_->setText(lang_[kConnectAtStart]);
    helpLog_->setText(Caption(lang_[kHelpLog]));

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

    lblLanguage_->setText(lang_[kChooseLanguage]);
    helpLanguage_->setText(Caption(lang_[kHelpLanguage]));
    helpSystem_->setText(Caption(lang_[kHelpSystem]));
    LaadStringsFlexGrids();
}

void SettingsDialog::LaadStringsFlexGrids()
{
    filling_ = true;
    channels_->setHorizontalHeaderLabels({lang_[kNumber], lang_[kActivate], lang_[kValue]});
    info_->setHorizontalHeaderLabels({lang_[kName], lang_[kValueHeading]});
    for (int row = 0; row < kInfoRowCount; ++row)
        info_->item(row, 0)->setText(lang_[InfoRows()[size_t(row)].text]);
    colors_->setHorizontalHeaderLabels({lang_[kName], lang_[kColour]});
    for (int row = 0; row < kColorRowCount; ++row)
        colors_->item(row, 0)->setText(lang_[ColorRows()[size_t(row)].text]);
    info_->resizeColumnToContents(0);
    colors_->resizeColumnToContents(0);
    filling_ = false;
}

// ---------------------------------------------------------------- grids

void SettingsDialog::InfoCellClicked(int row, int column)
{
    if (row < 0 || row >= kInfoRowCount || column != 1)
        return;
    switch (InfoRows()[size_t(row)].kind) {
    case InfoRowKind::Editable:
        return;
    case InfoRowKind::ReadOnly:
        Inform(lang_[kSettings], lang_[kCannotChange]);
        return;
    case InfoRowKind::Folder: break;
    }
    const QString start = model_.Draft().info[size_t(row)];
    const QString chosen = hooks_.chooseFolder ? hooks_.chooseFolder(start)
                                               : QFileDialog::getExistingDirectory(this, lang_[InfoRows()[size_t(row)].text], start);
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

void SettingsDialog::CreateFolderAsked(const QString& folder)
{
    if (!AskYesNo(lang_[kSettings], lang_[kNoFolder] + QStringLiteral("\r\n") + lang_[kCreateFolder]))
        return;
    if (!QDir().mkpath(folder))
        Warn(lang_[kSettings], QString(lang_[kFolderError]).replace(QStringLiteral("##"), folder));
}

void SettingsDialog::ColorCellClicked(int row, int column)
{
    if (row < 0 || row >= kColorRowCount || column != 1)
        return;
    ColorValue c = model_.Draft().colors[size_t(row)];
    if (!ChooseColor(this, c))
        return;
    model_.Draft().colors[size_t(row)] = c;
    colors_->item(row, 1)->setBackground(ToQColor(c));
}

// ---------------------------------------------------------------- OK, Cancel

void SettingsDialog::accept()
{
    model_.Draft().tab = tabs_->currentIndex();
    SettingsProblem problem;
    if (!model_.Ok(&problem)) {
        if (!problem.text.isEmpty())
            Warn(problem.title, problem.text);
        Focus(problem.field);
        return;
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
    case SettingsField::Device: target = cboToestel_; break;
    case SettingsField::Port: target = cboCommPoort_; break;
    case SettingsField::PollInterval: target = pollBox_; break;
    case SettingsField::LogInterval: target = logBox_; break;
    }
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->widget(i)->isAncestorOf(target))
            tabs_->setCurrentIndex(i);
    // A disabled poll box cannot take the focus: its switch, which enables it, does.
    if (target == pollBox_ && !pollBox_->isEnabled())
        target = checkOpvragen_;
    target->setFocus(Qt::OtherFocusReason);
}

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

bool RunSettingsDialog(AppState& state, LanguageTable& language, const SettingsHooks& hooks, QWidget* parent)
{
    SettingsDialog dialog(state, language, hooks, parent);
    return dialog.exec() == QDialog::Accepted;
}
