#pragma once
// The print dialog (formPrint) and the entry points of printing. What to
// print (all data windows or the current one, only the selected table rows,
// the graphs' alarm reports), the page header texts, the printer, its
// orientation and font; then the pages through the page layout.
//
// Everything it needs from the main window comes through PrintHooks.
// "Print to PDF file" is always offered, after the installed printers, so a
// machine without a printer prints to a PDF file; its path is asked once
// per job, except for an XY recorder's own print, which nobody may be there
// to answer: that goes to the next numbered file in the data folder.

#include <QDialog>
#include <QFont>
#include <QPageLayout>
#include <QPrinter>
#include <QSizeF>
#include <QVariant>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
struct AppState;
class GraphWindow;
class LanguageTable;
class TableWindow;
class ValueWindow;

// What the printer's own settings dialog chose beyond the orientation (the
// paper and its margins, the tray, duplex, colour, copies and the printer's
// other options): kept for the session, as the configuration holds only the
// printer's index and the orientation.
struct PrinterChoices {
    QString printer; // whose choices: a printer's name or PdfPrinterName(); "" none
    QPageLayout layout;
    QPrinter::PaperSource source = QPrinter::Auto;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    QPrinter::ColorMode colour = QPrinter::Color;
    int copies = 1;
    QVariant options; // the printer driver's own (a CUPS tray, for one)
};

struct PrintHooks {
    AppState* state = nullptr;
    const LanguageTable* language = nullptr;
    QWidget* parent = nullptr;
    // The window inside the active sub-window (a value, table, terminal or
    // graph window), null when none.
    std::function<QWidget*()> activeWindow;
    // The value windows (any order; those whose channel has a value print).
    std::function<std::vector<ValueWindow*>()> valueWindows;
    // The graph windows in the order of their numbers.
    std::function<std::vector<GraphWindow*>()> graphs;
    std::function<TableWindow*()> table;
    // The save button: write the configuration; false when that failed
    // (the hook says why).
    std::function<bool()> saveConfiguration;
    // The PDF file of a job; "" cancels. Default: a save-file dialog.
    std::function<QString()> askPdfPath;
    // The font dialog: true with `font` changed on OK. Default: QFontDialog.
    std::function<bool(QFont& font, const QString& title)> chooseFont;
    std::function<void(const QString& topic)> showHelp;
    // A message for the user (a printer that could not start). Default: a message box.
    std::function<void(const QString& text)> showMessage;
    // The printer's own settings ("..."): true with `printer` changed on OK.
    // Default: the system's print dialog, the page set-up for the PDF file.
    std::function<bool(QPrinter& printer)> printerProperties;
    // Where what was chosen there is kept; null keeps it for one dialog.
    PrinterChoices* printerChoices = nullptr;
};

// ---- Entry points for the main window
// File > Print: the print dialog; true when something was printed.
bool PrintCommand(const PrintHooks& hooks);
// Printer settings: the page margins of the chosen printer; true on OK.
bool PrinterSettingsCommand(const PrintHooks& hooks);
// An XY recorder with "Print Recorder" that filled its width: its graph (and
// alarm report when asked for) with the stored settings and no question (a
// PDF file is numbered after the recorder's name). For GraphManager::printRecorder.
bool PrintRecorder(const PrintHooks& hooks, GraphWindow& graph);

// The text the printer list shows for printing to a PDF file.
QString PdfPrinterName();
// The printer names the dialog offers: the installed ones, then the PDF file.
QStringList PrinterNames();
// The index a stored printer index selects: itself when valid, else the
// default printer's, else the PDF file's.
int ResolvePrinterIndex(int stored, const QStringList& names, const QString& defaultName);
// A printer for entry `index` of PrinterNames(), oriented by `orientation` (1 portrait, 2 landscape),
// with what its own settings dialog chose when `choices` are this printer's.
void SetUpPrinter(QPrinter& printer, int index, int orientation, const PrinterChoices* choices = nullptr);

class PrintDialog : public QDialog {
    Q_OBJECT
public:
    PrintDialog(const PrintHooks& hooks, QWidget* parent = nullptr);

    // Print: the controls into the settings, then the job. False when nothing printed.
    bool Print();
    // UitlezenPrinterinstellingen.
    void ReadControls();
    // The two switches by their rules.
    void UpdateSwitches();

    QTabWidget* Tabs() const { return tabs_; }
    QRadioButton* AllOption() const { return optAll_; }
    QRadioButton* CurrentOption() const { return optCurrent_; }
    QCheckBox* SelectionCheck() const { return chkSelection_; }
    QCheckBox* AlarmReportCheck() const { return chkAlarm_; }
    QComboBox* PrinterCombo() const { return cmbPrinter_; }
    QLabel* PaperLabel() const { return lblPaper_; }
    QLabel* FontLabel() const { return lblFont_; }
    QLabel* OrientationPicture() const { return imgOrientation_; }
    QRadioButton* PortraitOption() const { return optPortrait_; }
    QRadioButton* LandscapeOption() const { return optLandscape_; }
    QPushButton* SaveButton() const { return btnSave_; }
    QPushButton* FontButton() const { return btnFont_; }
    QPushButton* PropertiesButton() const { return btnProperties_; }
    QLineEdit* HeaderBox(int text) const; // by its label's text number (94..101)
    QPlainTextEdit* NoteBox() const { return txtNote_; }

    void accept() override;

private:
    void FontClicked();
    void PageSetupClicked();
    void PropertiesClicked();
    void SaveClicked();
    void ShowPaper();
    void ShowOrientation();
    void ShowFont();
    void Changed();
    PrinterChoices& Choices() { return h_.printerChoices ? *h_.printerChoices : choices_; }

    const PrintHooks& h_;
    AppState& s_;
    const LanguageTable& lang_;
    QTabWidget* tabs_ = nullptr;
    QRadioButton *optAll_ = nullptr, *optCurrent_ = nullptr, *optPortrait_ = nullptr, *optLandscape_ = nullptr;
    QCheckBox *chkSelection_ = nullptr, *chkAlarm_ = nullptr;
    QLineEdit *txtOperator_ = nullptr, *txtCompany_ = nullptr, *txtDivision_ = nullptr, *txtDevice_ = nullptr,
              *txtSerial_ = nullptr;
    QPlainTextEdit* txtNote_ = nullptr;
    QComboBox* cmbPrinter_ = nullptr;
    QLabel *lblPaper_ = nullptr, *lblFont_ = nullptr, *imgOrientation_ = nullptr;
    QPushButton *btnSave_ = nullptr, *btnFont_ = nullptr, *btnProperties_ = nullptr;
    QString font_;
    bool italic_ = false;
    PrinterChoices choices_; // when the hooks keep none
};
