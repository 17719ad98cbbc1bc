#include "ui/graphs/graphsettingsdialog.h"

#include "core/model/appstate.h"
#include "core/graphs/graphmodel.h"
#include "core/graphs/graphsettings.h"
#include "core/graphs/graphsettingstext.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "platform/ui/qtcolors.h"
#include "platform/ui/colorchooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {
enum Texts {
    kOk = 39, kCancel = 40, kNumberText = 35, kPoints = 67, kAutomatic = 68, kValueAxis = 69, kTimeAxis = 70,
    kMaximum = 71, kMinimum = 72, kDivisions = 73, kSubdivisions = 75, kColour = 118, kHelp = 126,
    kDialogTitle = 157, kInput = 216, kDateText = 23, kTimeText = 24, kHighAlarm = 223, kEnable = 224,
    kLimit = 225, kLowAlarm = 226, kDataSeries = 231, kMiscellaneous = 232, kGraphName = 238, kRecorder = 243,
    kTitle = 245, kCellTip = 252, kPrintAutomatically = 335, kShowLegend = 336, kLabels = 337
};
const char* const kSection = "Graph settings";
const char* const kTabKey = "Tab";
const char* const kLow = "vamLow";
const char* const kHigh = "vamHigh";
const char* const kStep = "vamStep";
constexpr double kUnbounded = 1e12;
const QString kCheckMark = QString(QChar(0x2713));
constexpr int kColourRole = Qt::UserRole;

QString Plain(const QString& text) { return QString(text).remove(QLatin1Char('&')); }
QString Number(double v) { return GraphModel::NumberText(v); }
} // namespace

GraphSettingsDialog::GraphSettingsDialog(const AppState& state, const LanguageTable& language, GraphSettings& graph,
                                         SettingsStore* store, QWidget* parent)
    : QDialog(parent), s_(state), lang_(language), graph_(graph), store_(store)
{
    setWindowTitle(lang_[kDialogTitle]);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(BuildValueTab(), Plain(lang_[kValueAxis]));
    tabs_->addTab(BuildTimeTab(), Plain(lang_[kTimeAxis]));
    tabs_->addTab(BuildLinesTab(), Plain(lang_[kDataSeries]));
    tabs_->addTab(BuildMiscTab(), Plain(lang_[kMiscellaneous]));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(lang_[kOk], QDialogButtonBox::AcceptRole);
    buttons->addButton(lang_[kCancel], QDialogButtonBox::RejectRole);
    help_ = buttons->addButton(lang_[kHelp], QDialogButtonBox::HelpRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &GraphSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GraphSettingsDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this] {
        if (helpHandler)
            helpHandler(HelpTopic());
    });

    auto* box = new QVBoxLayout(this);
    box->addWidget(tabs_);
    box->addWidget(buttons);

    Load();
    resize(600, 560); // room for the four tab captions and the grid's columns
    const int tab = store_ ? store_->Value(kSection, kTabKey, QStringLiteral("0")).toInt() : 0;
    tabs_->setCurrentIndex(std::clamp(tab, 0, tabs_->count() - 1));
}

GraphSettingsDialog::~GraphSettingsDialog() = default;

// ---------------------------------------------------------------- building

QWidget* GraphSettingsDialog::NumberRow(QLineEdit*& box, double step, double low, double high)
{
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(1);
    box = new QLineEdit(row);
    box->setProperty(kLow, low);
    box->setProperty(kHigh, high);
    box->setProperty(kStep, step);
    h->addWidget(box, 1);
    QLineEdit* target = box;
    for (const double direction : {1.0, -1.0}) {
        auto* b = new QToolButton(row);
        b->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        connect(b, &QToolButton::clicked, this, [this, target, direction] { Step(target, direction); });
        h->addWidget(b);
    }
    return row;
}

void GraphSettingsDialog::Step(QLineEdit* box, double direction)
{
    const double step = box->property(kStep).toDouble();
    const double v = GraphNumberFromText(box->text()) + direction * step;
    box->setText(Number(std::clamp(v, box->property(kLow).toDouble(), box->property(kHigh).toDouble())));
    if (box == alarmHighValue_ || box == alarmLowValue_)
        BoundAlarms();
}

QWidget* GraphSettingsDialog::BuildValueTab()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    autoScale_ = new QCheckBox(lang_[kAutomatic], page);
    form->addRow(autoScale_);
    const auto add = [&](int text, QWidget* field) {
        auto* label = new QLabel(lang_[text], page);
        form->addRow(label, field);
        scaleWidgets_.push_back(label);
        scaleWidgets_.push_back(field);
    };
    add(kMaximum, NumberRow(maximum_, 1, -kUnbounded, kUnbounded));
    add(kMinimum, NumberRow(minimum_, 1, -kUnbounded, kUnbounded));
    add(kDivisions, NumberRow(divisions_, 1, 1, kGraphDivisionsMax));
    add(kSubdivisions, NumberRow(subdivisions_, 1, 1, kGraphDivisionsMax));
    valueTitle_ = new QLineEdit(page);
    form->addRow(lang_[kTitle], valueTitle_);
    connect(autoScale_, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    return page;
}

QWidget* GraphSettingsDialog::BuildTimeTab()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->addRow(lang_[kPoints], NumberRow(points_, 1, kGraphPointsMin, kGraphPointsMax));
    timeTitle_ = new QLineEdit(page);
    form->addRow(lang_[kTitle], timeTitle_);
    timeDivisions_ = new QLineEdit(page);
    form->addRow(lang_[kDivisions], timeDivisions_);
    auto* labels = new QGroupBox(lang_[kLabels], page);
    auto* v = new QVBoxLayout(labels);
    const QString texts[4] = {lang_[kDateText] + QLatin1Char(' ') + lang_[kTimeText], lang_[kTimeText],
                              lang_[kDateText], lang_[kNumberText]};
    for (int i = 0; i < 4; ++i) {
        labelOptions_[size_t(i)] = new QRadioButton(texts[i], labels);
        v->addWidget(labelOptions_[size_t(i)]);
    }
    form->addRow(labels);
    return page;
}

QWidget* GraphSettingsDialog::BuildLinesTab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    grid_ = new QTableWidget(kMaxLinesPerGraph, 6, page);
    grid_->setHorizontalHeaderLabels({QStringLiteral("#"), lang_[kInput], lang_[kColour], QStringLiteral("Min"),
                                      QStringLiteral("Max"), QString(QChar(0x0394))});
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setToolTip(lang_[kCellTip]);
    // Widths in twips at 15 to a pixel: 400 for the narrow columns, 600 for the colour.
    for (int c : {0, 3, 4, 5})
        grid_->setColumnWidth(c, 400 / 15);
    grid_->setColumnWidth(2, 600 / 15);
    grid_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int r = 0; r < kMaxLinesPerGraph; ++r) {
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(c == 1 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            grid_->setItem(r, c, item);
        }
        grid_->item(r, 0)->setText(QString::number(r + 1));
    }
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) { EditCell(row + 1, column); });
    grid_->installEventFilter(this);
    v->addWidget(grid_);

    inputList_ = new QComboBox(grid_->viewport());
    inputList_->hide();
    inputList_->installEventFilter(this);
    connect(inputList_, QOverload<int>::of(&QComboBox::activated), this, [this] { CommitInput(); });
    return page;
}

QWidget* GraphSettingsDialog::BuildMiscTab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(page);
    form->addRow(lang_[kGraphName], name_);
    v->addLayout(form);
    legend_ = new QCheckBox(lang_[kShowLegend], page);
    v->addWidget(legend_);
    recorder_ = new QCheckBox(lang_[kRecorder], page);
    v->addWidget(recorder_);
    recorderFrame_ = new QGroupBox(lang_[kRecorder], page);
    auto* rv = new QVBoxLayout(recorderFrame_);
    printRecorder_ = new QCheckBox(lang_[kPrintAutomatically], recorderFrame_);
    rv->addWidget(printRecorder_);
    v->addWidget(recorderFrame_);
    connect(recorder_, &QCheckBox::toggled, this, [this] { ApplyRules(); });

    for (const bool high : {true, false}) {
        auto* frame = new QGroupBox(lang_[high ? kHighAlarm : kLowAlarm], page);
        auto* f = new QFormLayout(frame);
        QCheckBox*& check = high ? alarmHigh_ : alarmLow_;
        QLineEdit*& value = high ? alarmHighValue_ : alarmLowValue_;
        QPushButton*& colour = high ? alarmHighColour_ : alarmLowColour_;
        check = new QCheckBox(lang_[kEnable], frame);
        f->addRow(check);
        f->addRow(lang_[kLimit], NumberRow(value, 1, -kUnbounded, kUnbounded));
        colour = new QPushButton(lang_[kColour], frame);
        f->addRow(colour);
        v->addWidget(frame);
        connect(check, &QCheckBox::toggled, this, [this] { ApplyRules(); });
        connect(value, &QLineEdit::textEdited, this, [this] { BoundAlarms(); });
        connect(colour, &QPushButton::clicked, this, [this, high] {
            ColorValue& c = high ? highColour_ : lowColour_;
            if (ChooseColor(this, c))
                ShowColour(high ? alarmHighColour_ : alarmLowColour_, c);
        });
    }
    v->addStretch(1);
    return page;
}

// ---------------------------------------------------------------- loading and rules

void GraphSettingsDialog::Load()
{
    const GraphSettings& g = graph_;
    autoScale_->setChecked(g.AutomatischeSchaal);
    maximum_->setText(Number(g.GrafiekMaximum));
    minimum_->setText(Number(g.GrafiekMinimum));
    divisions_->setText(QString::number(g.AantalWaardenVerdelingen));
    subdivisions_->setText(QString::number(g.AantalWaardenOnderverdelingen));
    valueTitle_->setText(g.TitelWaardenas);
    points_->setText(QString::number(g.MaxGrafiekZichtbaar));
    timeTitle_->setText(g.TitelTijdsas);
    timeDivisions_->setText(QString::number(g.AantalTijdVerdelingen));
    labelOptions_[size_t(std::clamp(int(g.LabelKeuze), 0, 3))]->setChecked(true);
    name_->setText(g.Name);
    legend_->setChecked(g.LegendeKeuze);
    recorder_->setChecked(g.XYrecorder);
    printRecorder_->setChecked(g.AfdrukkenRecorder);
    alarmHigh_->setChecked(g.AlarmHoog);
    alarmLow_->setChecked(g.AlarmLaag);
    alarmHighValue_->setText(Number(g.AlarmHoogWaarde));
    alarmLowValue_->setText(Number(g.AlarmLaagWaarde));
    highColour_ = g.AlarmHoogKleur;
    lowColour_ = g.AlarmLaagKleur;
    ShowColour(alarmHighColour_, highColour_);
    ShowColour(alarmLowColour_, lowColour_);
    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        const GraphLine& l = g.Lines[size_t(line)];
        grid_->item(line - 1, 1)->setText(GraphInputText(l.Input, s_));
        grid_->item(line - 1, 2)->setData(kColourRole, quint32(l.Colour));
        grid_->item(line - 1, 2)->setBackground(ToQColor(l.Colour));
        SetCheck(line, 3, l.ShowMin);
        SetCheck(line, 4, l.ShowMax);
        SetCheck(line, 5, l.ShowMean);
    }
    BoundAlarms();
    ApplyRules();
}

void GraphSettingsDialog::ApplyRules()
{
    for (QWidget* w : scaleWidgets_)
        w->setEnabled(!autoScale_->isChecked());
    recorderFrame_->setEnabled(recorder_->isChecked());
    for (const bool high : {true, false}) {
        const bool on = AlarmBox(high)->isChecked();
        AlarmValueBox(high)->parentWidget()->setEnabled(on);
        AlarmColourButton(high)->setEnabled(on);
    }
}

bool GraphSettingsDialog::BoxUsable(QLineEdit* box) const { return box->isEnabled(); }

void GraphSettingsDialog::BoundAlarms()
{
    // Each alarm's up/down buttons stop at the other limit.
    alarmLowValue_->setProperty(kHigh, GraphNumberFromText(alarmHighValue_->text()));
    alarmHighValue_->setProperty(kLow, GraphNumberFromText(alarmLowValue_->text()));
}

void GraphSettingsDialog::ShowColour(QPushButton* button, ColorValue c)
{
    const QColor q = ToQColor(c);
    button->setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                              .arg(q.name(), q.lightness() < 128 ? QStringLiteral("white") : QStringLiteral("black")));
}

void GraphSettingsDialog::SetCheck(int row, int column, bool on)
{
    grid_->item(row - 1, column)->setText(on ? kCheckMark : QString());
}

// ---------------------------------------------------------------- the line grid

void GraphSettingsDialog::EditCell(int row, int column)
{
    if (row < 1 || row > kMaxLinesPerGraph)
        return;
    if (inputRow_ && (column != 1 || row != inputRow_))
        CommitInput();
    QTableWidgetItem* item = grid_->item(row - 1, column);
    if (!item)
        return;
    grid_->setCurrentCell(row - 1, column);
    if (column == 1) {
        inputList_->clear();
        inputList_->addItems(GraphInputChoices(s_));
        const int at = inputList_->findText(item->text());
        inputList_->setCurrentIndex(std::max(at, 0));
        inputList_->setGeometry(grid_->visualItemRect(item));
        inputRow_ = row;
        inputList_->show();
        inputList_->setFocus();
        if (isVisible())
            inputList_->showPopup();
    } else if (column == 2) {
        ColorValue c = item->data(kColourRole).toUInt();
        if (ChooseColor(this, c)) {
            item->setData(kColourRole, quint32(c));
            item->setBackground(ToQColor(c));
        }
    } else if (column >= 3 && column <= 5) {
        SetCheck(row, column, item->text().trimmed().isEmpty());
    }
}

void GraphSettingsDialog::CommitInput()
{
    if (!inputRow_)
        return;
    const int row = inputRow_;
    inputRow_ = 0; // first: hiding the list takes its focus away
    grid_->item(row - 1, 1)->setText(inputList_->currentText());
    inputList_->hide();
}

bool GraphSettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == inputList_ && event->type() == QEvent::FocusOut && !inputList_->view()->isVisible()) {
        CommitInput();
    } else if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space) {
            EditCell(grid_->currentRow() + 1, grid_->currentColumn());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- OK

void GraphSettingsDialog::accept()
{
    CommitInput();
    GraphSettings& g = graph_;
    g.AutomatischeSchaal = autoScale_->isChecked();
    g.TitelWaardenas = valueTitle_->text();
    g.TitelTijdsas = timeTitle_->text();
    g.GrafiekMaximum = GraphNumberFromText(maximum_->text());
    g.GrafiekMinimum = GraphNumberFromText(minimum_->text());
    g.AantalWaardenVerdelingen = qint16(DivisionsFromText(divisions_->text()));
    g.AantalWaardenOnderverdelingen = qint16(DivisionsFromText(subdivisions_->text()));
    divisions_->setText(QString::number(g.AantalWaardenVerdelingen));
    subdivisions_->setText(QString::number(g.AantalWaardenOnderverdelingen));

    // An alarm switched off keeps its value and colour for later.
    g.AlarmHoog = alarmHigh_->isChecked();
    if (g.AlarmHoog) {
        g.AlarmHoogWaarde = GraphNumberFromText(alarmHighValue_->text());
        g.AlarmHoogKleur = highColour_;
    }
    g.AlarmLaag = alarmLow_->isChecked();
    if (g.AlarmLaag) {
        g.AlarmLaagWaarde = GraphNumberFromText(alarmLowValue_->text());
        g.AlarmLaagKleur = lowColour_;
    }

    g.MaxGrafiekZichtbaar = qint16(PointsFromText(points_->text()));
    points_->setText(QString::number(g.MaxGrafiekZichtbaar));
    g.AantalTijdVerdelingen = qint16(TimeDivisionsFromText(timeDivisions_->text()));
    timeDivisions_->setText(QString::number(g.AantalTijdVerdelingen));

    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        GraphLine& l = g.Lines[size_t(line)];
        l.Input = qint16(GraphInputFromText(grid_->item(line - 1, 1)->text(), s_));
        l.Colour = grid_->item(line - 1, 2)->data(kColourRole).toUInt();
        l.ShowMin = grid_->item(line - 1, 3)->text().trimmed().isEmpty() ? 0 : 1;
        l.ShowMax = grid_->item(line - 1, 4)->text().trimmed().isEmpty() ? 0 : 1;
        l.ShowMean = grid_->item(line - 1, 5)->text().trimmed().isEmpty() ? 0 : 1;
    }

    for (int i = 0; i < 4; ++i)
        if (labelOptions_[size_t(i)]->isChecked())
            g.LabelKeuze = qint16(i);
    g.LegendeKeuze = legend_->isChecked();
    g.XYrecorder = recorder_->isChecked();
    g.AfdrukkenRecorder = printRecorder_->isChecked();
    g.Name = name_->text();
    QDialog::accept();
}

void GraphSettingsDialog::done(int result)
{
    if (store_)
        store_->SetValue(kSection, kTabKey, QString::number(tabs_->currentIndex()));
    QDialog::done(result);
}
