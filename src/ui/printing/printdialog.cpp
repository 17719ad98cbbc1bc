#include "ui/printing/printdialog.h"

#include "core/model/appstate.h"
#include "core/graphs/graphsettings.h"
#include "core/help/languagetable.h"
#include "core/printing/pdffiles.h"
#include "core/printing/printroutines.h"
#include "ui/printing/pagesetupdialog.h"
#include "ui/printing/paintercanvas.h"
#include "ui/graphs/graphwindow.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
enum Texts {
    kSaveSettings = 3, kPrint = 5, kCancel = 40, kErrorOpening = 51, kFont = 62, kChangeFont = 87, kOperator = 94,
    kCompany = 95, kDivision = 96, kNote = 97, kDevice = 98, kSerial = 101, kAll = 103, kCurrent = 104,
    kSelection = 105, kPageMargins = 110, kAlarmReport = 122, kHelp = 126, kPageHeader = 139, kValues = 221,
    kPrinter = 247,
    kPaper = 248, kOrientation = 249, kPortrait = 250, kLandscape = 251, kToPrint = 254, kInProgress = 255,
    kNoWindowToPrint = 366, kNothingToPrint = 367, kPrintedIn = 368
};
constexpr double kPdfMarginMm = 5;

QString NoAmpersand(QString text) { return text.remove(QLatin1Char('&')); }

// A sheet with lines of text, upright or on its side.
QPixmap OrientationPixmap(bool landscape)
{
    const QSize size = landscape ? QSize(44, 32) : QSize(32, 44);
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRect sheet(QPoint((48 - size.width()) / 2, (48 - size.height()) / 2), size);
    p.fillRect(sheet, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
    p.setPen(Qt::darkGray);
    for (int y = sheet.top() + 6; y < sheet.bottom() - 4; y += 5)
        p.drawLine(sheet.left() + 5, y, sheet.right() - 5, y);
    return pixmap;
}

// The options a CUPS printer's own dialog sets (its tray among them), kept by
// the print engine under this key.
const auto kDriverOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

PrinterChoices KeepChoices(const QPrinter& printer, const QString& name)
{
    PrinterChoices c;
    c.printer = name;
    c.layout = printer.pageLayout();
    c.source = printer.paperSource();
    c.duplex = printer.duplex();
    c.colour = printer.colorMode();
    c.copies = printer.copyCount();
    c.options = printer.printEngine()->property(kDriverOptions);
    return c;
}

void ApplyChoices(QPrinter& printer, const PrinterChoices& c)
{
    if (c.layout.isValid())
        printer.setPageLayout(c.layout);
    printer.setPaperSource(c.source);
    printer.setDuplex(c.duplex);
    printer.setColorMode(c.colour);
    printer.setCopyCount(c.copies);
    if (c.options.isValid())
        printer.printEngine()->setProperty(kDriverOptions, c.options);
}

// The save dialog of a job's PDF file: a name typed without ".pdf" gets it,
// also in the question whether to replace a file.
QString AskPdfPath(QWidget* parent, const QString& folder)
{
    QFileDialog dialog(parent, PdfPrinterName(), folder, QStringLiteral("PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// One printed window, ready to run on the job's engine.
using PrintStep = std::function<void(PrintEngine&)>;

void AddGraph(std::vector<PrintStep>& steps, GraphWindow* g, bool alarmReport)
{
    steps.push_back([g](PrintEngine& e) { g->PrintGrafiek(e); });
    if (alarmReport && g->HasAlarmLine())
        steps.push_back([g](PrintEngine& e) { g->AfdrukkenAlarmRapport(e); });
}

// What a job prints: the current window, or every data window in order.
std::vector<PrintStep> Steps(const PrintHooks& h, bool all, QWidget* current, bool selection, bool alarmReport)
{
    std::vector<PrintStep> steps;
    if (!all) {
        if (auto* v = qobject_cast<ValueWindow*>(current))
            steps.push_back([v](PrintEngine& e) { v->PrintWaarde(e); });
        else if (auto* t = qobject_cast<TableWindow*>(current))
            steps.push_back([t, selection](PrintEngine& e) { t->PrintTabel(e, selection); });
        else if (auto* term = qobject_cast<TerminalWindow*>(current))
            steps.push_back([term](PrintEngine& e) { term->PrintTerminalTekst(e); });
        else if (auto* g = qobject_cast<GraphWindow*>(current))
            AddGraph(steps, g, alarmReport);
        return steps;
    }
    const AppState& s = *h.state;
    std::vector<ValueWindow*> values = h.valueWindows ? h.valueWindows() : std::vector<ValueWindow*>{};
    values.erase(std::remove(values.begin(), values.end(), nullptr), values.end());
    std::sort(values.begin(), values.end(),
              [](ValueWindow* a, ValueWindow* b) { return a->ChannelIndex() < b->ChannelIndex(); });
    const auto noValue = [&s](ValueWindow* v) {
        const int ch = v->ChannelIndex();
        return ch < 1 || size_t(ch) >= s.Readings.size() || !s.Readings[size_t(ch)].HasValue;
    };
    values.erase(std::remove_if(values.begin(), values.end(), noValue), values.end());
    // The value windows share pages: one page each would be nearly empty.
    if (!values.empty()) {
        const QString title = NoAmpersand((*h.language)[kValues]);
        steps.push_back([values, title](PrintEngine& e) {
            std::vector<ValuePrint> prints;
            for (ValueWindow* v : values) {
                ValuePrint p;
                if (v->PrintData(p))
                    prints.push_back(p);
            }
            PrintValues(e, {title, 0}, prints);
        });
    }
    for (GraphWindow* g : h.graphs ? h.graphs() : std::vector<GraphWindow*>{}) {
        if (g != nullptr)
            AddGraph(steps, g, alarmReport);
    }
    if (s.TableVisible && h.table && h.table()) {
        TableWindow* t = h.table();
        steps.push_back([t, selection](PrintEngine& e) { t->PrintTabel(e, selection); });
    }
    return steps;
}

void Say(const PrintHooks& h, const QString& text)
{
    if (h.showMessage)
        h.showMessage(text);
    else
        QMessageBox::warning(h.parent, NoAmpersand((*h.language)[kPrint]), text);
}

// Runs the steps on the stored printer; false when nothing was printed.
// `recorder` names an unattended recorder's print: its PDF file is the next
// of a numbered series in the data folder, nobody is asked.
bool RunJob(const PrintHooks& h, const std::vector<PrintStep>& steps, const PrinterChoices* choices,
            const QString& recorder = QString())
{
    if (steps.empty())
        return false;
    AppState& s = *h.state;
    const LanguageTable& lang = *h.language;
    const QStringList names = PrinterNames();
    const int index = ResolvePrinterIndex(s.UsePrinter, names, QPrinterInfo::defaultPrinterName());
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, index, s.PrintOrientation, choices);
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        QString path;
        if (!recorder.isEmpty()) {
            QDir().mkpath(s.FolderData);
            path = NextNumberedPdf(s.FolderData, recorder);
        } else {
            path = WithPdfSuffix(h.askPdfPath ? h.askPdfPath() : AskPdfPath(h.parent, s.FolderData));
        }
        if (path.isEmpty())
            return false; // cancelled
        printer.setOutputFileName(path);
    }
    QProgressDialog progress(lang[kInProgress], QString(), 0, int(steps.size()), h.parent);
    progress.setWindowTitle(NoAmpersand(lang[kPrint]));
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(0);
    QPainter painter;
    if (!painter.begin(&printer)) {
        // A PDF that cannot be written is named by its file, a printer by its name.
        const QString what = printer.outputFileName().isEmpty() ? names.value(index) : printer.outputFileName();
        Say(h, lang[kErrorOpening] + what + QLatin1Char('\''));
        return false;
    }
    PainterCanvas canvas(painter, printer);
    PrintEngine engine(canvas, s, lang);
    engine.Start();
    for (size_t i = 0; i < steps.size(); ++i) {
        progress.setValue(int(i));
        steps[i](engine);
    }
    progress.setValue(int(steps.size()));
    return painter.end();
}
} // namespace

// ---------------------------------------------------------------- printers

QString PdfPrinterName() { return QStringLiteral("Print to PDF file"); }

QStringList PrinterNames()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.append(PdfPrinterName());
    return names;
}

int ResolvePrinterIndex(int stored, const QStringList& names, const QString& defaultName)
{
    if (stored >= 0 && stored < names.size())
        return stored;
    const int found = defaultName.isEmpty() ? -1 : int(names.indexOf(defaultName));
    return found >= 0 ? found : int(names.size()) - 1;
}

void SetUpPrinter(QPrinter& printer, int index, int orientation, const PrinterChoices* choices)
{
    const QStringList names = PrinterNames();
    const bool pdf = index < 0 || index >= names.size() - 1;
    if (!pdf) {
        printer.setPrinterName(names[index]);
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                               QPageLayout::Millimeter);
    }
    if (choices && choices->printer == (pdf ? PdfPrinterName() : names[index]))
        ApplyChoices(printer, *choices);
    printer.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// ---------------------------------------------------------------- entry points

bool PrintCommand(const PrintHooks& hooks)
{
    PrintDialog dialog(hooks, hooks.parent);
    return dialog.exec() == QDialog::Accepted;
}

bool PrinterSettingsCommand(const PrintHooks& hooks)
{
    AppState& s = *hooks.state;
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, ResolvePrinterIndex(s.UsePrinter, PrinterNames(), QPrinterInfo::defaultPrinterName()),
                 s.PrintOrientation, hooks.printerChoices);
    PageSetupDialog dialog(s, *hooks.language, printer.pageLayout().paintRect(QPageLayout::Millimeter).size(),
                           hooks.parent);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintRecorder(const PrintHooks& hooks, GraphWindow& graph)
{
    std::vector<PrintStep> steps;
    AddGraph(steps, &graph, hooks.state->PrintAlarmReport);
    QString name = graph.Settings().Name.trimmed();
    if (name.isEmpty())
        name = GraphWindow::DefaultCaption(*hooks.language, true);
    return RunJob(hooks, steps, hooks.printerChoices, name);
}

// ---------------------------------------------------------------- the dialog

PrintDialog::PrintDialog(const PrintHooks& hooks, QWidget* parent)
    : QDialog(parent), h_(hooks), s_(*hooks.state), lang_(*hooks.language)
{
    setObjectName(QStringLiteral("formPrint"));
    setWindowTitle(NoAmpersand(lang_[kPrint]));
    setModal(true);
    auto* box = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    box->addWidget(tabs_);

    // ---- To print
    auto* what = new QWidget;
    auto* whatBox = new QVBoxLayout(what);
    optAll_ = new QRadioButton(lang_[kAll], what);
    optAll_->setObjectName(QStringLiteral("OptionAlles"));
    optCurrent_ = new QRadioButton(lang_[kCurrent], what);
    optCurrent_->setObjectName(QStringLiteral("OptionActiefVenster"));
    chkSelection_ = new QCheckBox(lang_[kSelection], what);
    chkSelection_->setObjectName(QStringLiteral("CheckEnkelSelectie"));
    chkAlarm_ = new QCheckBox(lang_[kAlarmReport], what);
    chkAlarm_->setObjectName(QStringLiteral("CheckAlarmRapport"));
    for (QWidget* w : {static_cast<QWidget*>(optAll_), static_cast<QWidget*>(optCurrent_),
                       static_cast<QWidget*>(chkSelection_), static_cast<QWidget*>(chkAlarm_)})
        whatBox->addWidget(w);
    whatBox->addStretch();
    tabs_->addTab(what, lang_[kToPrint]);

    // ---- Page header
    auto* header = new QWidget;
    auto* form = new QFormLayout(header);
    const auto line = [&](int text, const QString& value, const char* name) {
        auto* edit = new QLineEdit(value, header);
        edit->setObjectName(QLatin1String(name));
        edit->setProperty("vamText", text);
        form->addRow(lang_[text], edit);
        connect(edit, &QLineEdit::textEdited, this, &PrintDialog::Changed);
        return edit;
    };
    txtOperator_ = line(kOperator, s_.PrintOperator, "TextOperator");
    txtCompany_ = line(kCompany, s_.PrintCompany, "TextBedrijf");
    txtDivision_ = line(kDivision, s_.PrintDivision, "TextAfdeling");
    txtNote_ = new QPlainTextEdit(header);
    txtNote_->setObjectName(QStringLiteral("TextNota"));
    txtNote_->setPlainText(s_.NoteText);
    txtNote_->setMaximumHeight(80);
    form->addRow(lang_[kNote], txtNote_);
    txtDevice_ = line(kDevice, s_.PrintDeviceName, "TextToestel");
    txtSerial_ = line(kSerial, s_.PrintSerial, "TextSerieNummer");
    tabs_->addTab(header, lang_[kPageHeader]);

    // ---- Printer
    auto* printerTab = new QWidget;
    auto* printerBox = new QVBoxLayout(printerTab);
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(new QLabel(lang_[kPrinter] + QLatin1Char(':'), printerTab));
    cmbPrinter_ = new QComboBox(printerTab);
    cmbPrinter_->setObjectName(QStringLiteral("ComboPrinter"));
    cmbPrinter_->addItems(PrinterNames());
    printerRow->addWidget(cmbPrinter_, 1);
    btnProperties_ = new QPushButton(QStringLiteral("..."), printerTab);
    btnProperties_->setObjectName(QStringLiteral("CommandProperties"));
    printerRow->addWidget(btnProperties_);
    printerBox->addLayout(printerRow);
    lblPaper_ = new QLabel(printerTab);
    lblPaper_->setObjectName(QStringLiteral("LabelPapier"));
    printerBox->addWidget(lblPaper_);
    auto* orientation = new QGroupBox(lang_[kOrientation], printerTab);
    auto* orientationRow = new QHBoxLayout(orientation);
    auto* orientationOptions = new QVBoxLayout;
    optPortrait_ = new QRadioButton(lang_[kPortrait], orientation);
    optLandscape_ = new QRadioButton(lang_[kLandscape], orientation);
    orientationOptions->addWidget(optPortrait_);
    orientationOptions->addWidget(optLandscape_);
    orientationRow->addLayout(orientationOptions);
    imgOrientation_ = new QLabel(orientation);
    imgOrientation_->setObjectName(QStringLiteral("ImageOrientation"));
    orientationRow->addWidget(imgOrientation_);
    orientationRow->addStretch();
    printerBox->addWidget(orientation);
    auto* fontRow = new QHBoxLayout;
    btnFont_ = new QPushButton(QStringLiteral("&") + lang_[kFont], printerTab);
    btnFont_->setObjectName(QStringLiteral("CommandPrinterFont"));
    lblFont_ = new QLabel(printerTab);
    lblFont_->setObjectName(QStringLiteral("LabelTonenLettertype"));
    fontRow->addWidget(btnFont_);
    fontRow->addWidget(lblFont_, 1);
    printerBox->addLayout(fontRow);
    auto* pageSetup = new QPushButton(lang_[kPageMargins], printerTab);
    pageSetup->setObjectName(QStringLiteral("CommandPagina"));
    printerBox->addWidget(pageSetup, 0, Qt::AlignLeft);
    printerBox->addStretch();
    tabs_->addTab(printerTab, lang_[kPrinter]);

    // ---- Buttons
    auto* buttons = new QHBoxLayout;
    btnSave_ = new QPushButton(lang_[kSaveSettings], this);
    btnSave_->setObjectName(QStringLiteral("CommandSaveSettings"));
    auto* help = new QPushButton(lang_[kHelp], this);
    help->setObjectName(QStringLiteral("CommandHelp"));
    auto* ok = new QPushButton(lang_[kPrint], this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(lang_[kCancel], this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(btnSave_);
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    box->addLayout(buttons);

    // ---- Opening: the settings into the controls
    (s_.PrintAll ? optAll_ : optCurrent_)->setChecked(true);
    chkSelection_->setChecked(s_.PrintSelection);
    chkAlarm_->setChecked(s_.PrintAlarmReport);
    const int index = ResolvePrinterIndex(s_.UsePrinter, PrinterNames(), QPrinterInfo::defaultPrinterName());
    s_.UsePrinter = qint16(index);
    cmbPrinter_->setCurrentIndex(index);
    (s_.PrintOrientation == 2 ? optLandscape_ : optPortrait_)->setChecked(true);
    font_ = s_.PrintFont;
    italic_ = s_.PrintItalic;
    ShowPaper();
    ShowOrientation();
    ShowFont();
    UpdateSwitches();
    btnSave_->setEnabled(false);

    connect(optAll_, &QRadioButton::toggled, this, [this] { UpdateSwitches(); Changed(); });
    connect(chkSelection_, &QCheckBox::toggled, this, &PrintDialog::Changed);
    connect(chkAlarm_, &QCheckBox::toggled, this, &PrintDialog::Changed);
    connect(txtNote_, &QPlainTextEdit::textChanged, this, &PrintDialog::Changed);
    connect(optPortrait_, &QRadioButton::toggled, this, [this] { ShowOrientation(); ShowPaper(); Changed(); });
    connect(cmbPrinter_, &QComboBox::currentIndexChanged, this, [this] { ShowPaper(); Changed(); });
    connect(btnFont_, &QPushButton::clicked, this, &PrintDialog::FontClicked);
    connect(pageSetup, &QPushButton::clicked, this, &PrintDialog::PageSetupClicked);
    connect(btnProperties_, &QPushButton::clicked, this, &PrintDialog::PropertiesClicked);
    connect(btnSave_, &QPushButton::clicked, this, &PrintDialog::SaveClicked);
    connect(help, &QPushButton::clicked, this, [this] {
        if (h_.showHelp)
            h_.showHelp(QStringLiteral("print_window.htm"));
    });
    connect(ok, &QPushButton::clicked, this, &PrintDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &PrintDialog::reject);
}

QLineEdit* PrintDialog::HeaderBox(int text) const
{
    for (QLineEdit* e : {txtOperator_, txtCompany_, txtDivision_, txtDevice_, txtSerial_}) {
        if (e->property("vamText").toInt() == text)
            return e;
    }
    return nullptr;
}

void PrintDialog::Changed() { btnSave_->setEnabled(true); }

void PrintDialog::UpdateSwitches()
{
    QWidget* current = h_.activeWindow ? h_.activeWindow() : nullptr;
    TableWindow* table = h_.table ? h_.table() : nullptr;
    bool anyAlarm = false;
    for (GraphWindow* g : h_.graphs ? h_.graphs() : std::vector<GraphWindow*>{})
        anyAlarm = anyAlarm || (g != nullptr && g->HasAlarmLine());
    const bool all = optAll_->isChecked();
    auto* graph = qobject_cast<GraphWindow*>(current);
    chkSelection_->setEnabled((!all && qobject_cast<TableWindow*>(current) != nullptr)
                              || (all && s_.TableVisible && table != nullptr && table->HasSelection()));
    chkAlarm_->setEnabled((!all && graph != nullptr && graph->HasAlarmLine()) || (all && anyAlarm));
}

void PrintDialog::ShowPaper()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, cmbPrinter_->currentIndex(), optLandscape_->isChecked() ? 2 : 1, &Choices());
    lblPaper_->setText(lang_[kPaper] + PaperName(printer.pageLayout().pageSize().windowsId()));
}

void PrintDialog::ShowOrientation()
{
    imgOrientation_->setPixmap(OrientationPixmap(optLandscape_->isChecked()));
    imgOrientation_->setProperty("landscape", optLandscape_->isChecked());
}

void PrintDialog::ShowFont()
{
    // The stored name stays the user's; the label also tells what it prints in.
    const QString printed = PrinterFontFamily(font_);
    QFont f(printed, 10);
    f.setItalic(italic_);
    lblFont_->setFont(f);
    QString text = font_ + QStringLiteral(", 10") + (italic_ ? QStringLiteral(", italic") : QString());
    if (printed.compare(font_, Qt::CaseInsensitive) != 0)
        text += QStringLiteral(" (") + lang_[kPrintedIn].arg(printed) + QLatin1Char(')');
    lblFont_->setText(text);
}

void PrintDialog::FontClicked()
{
    QFont f(PrinterFontFamily(font_), 10);
    f.setItalic(italic_);
    bool ok = false;
    if (h_.chooseFont) {
        ok = h_.chooseFont(f, lang_[kChangeFont]);
    } else {
        const QFont chosen = QFontDialog::getFont(&ok, f, this, lang_[kChangeFont]);
        if (ok)
            f = chosen;
    }
    if (!ok)
        return; // cancelled: nothing changes
    font_ = f.family();
    italic_ = f.italic();
    s_.PrintFont = font_;
    s_.PrintItalic = italic_;
    s_.ConfigChanged = true;
    ShowFont();
    Changed();
}

void PrintDialog::PageSetupClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, cmbPrinter_->currentIndex(), optLandscape_->isChecked() ? 2 : 1, &Choices());
    PageSetupDialog dialog(s_, lang_, printer.pageLayout().paintRect(QPageLayout::Millimeter).size(), this);
    if (dialog.exec() == QDialog::Accepted)
        Changed();
}

void PrintDialog::PropertiesClicked()
{
    const int pdfIndex = cmbPrinter_->count() - 1;
    const int index = cmbPrinter_->currentIndex();
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, index, optLandscape_->isChecked() ? 2 : 1, &Choices());
    bool ok = false;
    if (h_.printerProperties) {
        ok = h_.printerProperties(printer);
    } else if (index >= pdfIndex) {
        // The PDF file's paper and orientation.
        QPageSetupDialog dialog(&printer, this);
        ok = dialog.exec() == QDialog::Accepted;
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setOptions({});
        ok = dialog.exec() == QDialog::Accepted;
    }
    if (!ok)
        return;
    // The system's dialog can switch to another printer, or to a file.
    int chosen = index;
    if (printer.outputFormat() == QPrinter::PdfFormat)
        chosen = pdfIndex;
    else if (const int found = cmbPrinter_->findText(printer.printerName()); found >= 0 && found < pdfIndex)
        chosen = found;
    // Kept for the job and the session; the orientation goes into the
    // configuration through the option buttons.
    Choices() = KeepChoices(printer, cmbPrinter_->itemText(chosen));
    cmbPrinter_->setCurrentIndex(chosen);
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? optLandscape_ : optPortrait_)->setChecked(true);
    ShowPaper();
    Changed();
}

void PrintDialog::SaveClicked()
{
    ReadControls();
    if (!h_.saveConfiguration || h_.saveConfiguration())
        btnSave_->setEnabled(false);
}

void PrintDialog::ReadControls()
{
    s_.PrintOperator = txtOperator_->text();
    s_.PrintCompany = txtCompany_->text();
    s_.PrintDivision = txtDivision_->text();
    s_.NoteText = txtNote_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    s_.PrintDeviceName = txtDevice_->text();
    s_.PrintSerial = txtSerial_->text();
    s_.PrintOrientation = optLandscape_->isChecked() ? 2 : 1;
    s_.UsePrinter = qint16(cmbPrinter_->currentIndex());
    s_.PrintAll = optAll_->isChecked();
    s_.PrintSelection = chkSelection_->isChecked();
    s_.PrintAlarmReport = chkAlarm_->isChecked();
    // The name as chosen, also one the system only resolves (an alias):
    // PrinterFontFamily decides at print time, nothing is saved over it.
    s_.PrintFont = font_;
    s_.PrintItalic = italic_;
}

bool PrintDialog::Print()
{
    ReadControls();
    QWidget* current = h_.activeWindow ? h_.activeWindow() : nullptr;
    const std::vector<PrintStep> steps = Steps(h_, s_.PrintAll, current,
                                               s_.PrintSelection && chkSelection_->isEnabled(),
                                               s_.PrintAlarmReport && chkAlarm_->isEnabled());
    if (steps.empty()) {
        Say(h_, lang_[s_.PrintAll ? kNothingToPrint : kNoWindowToPrint]);
        return false;
    }
    return RunJob(h_, steps, &Choices());
}

void PrintDialog::accept()
{
    // Closed only by a print: after a message or a cancelled PDF name the
    // user chooses again (or Cancel).
    if (Print())
        QDialog::accept();
}
