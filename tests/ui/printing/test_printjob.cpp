// A print job as the user sets it up: the font kept as chosen and printed as
// the system resolves it, the printer's own settings carried into the job,
// a job that cannot print said or left open, the PDF file's suffix.

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "ui/printing/paintercanvas.h"
#include "ui/printing/printdialog.h"
#include "ui/values/valuewindow.h"
#include "support/pdftext.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(QStringLiteral(" | ")).toStdString(); }

namespace {

// What a PDF's text is set in: pdffonts' names without the subset prefix and
// the style ("ABCDEF+DejaVuSans-Oblique" is "DejaVuSans").
QStringList PdfFonts(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdffonts"), {path});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {QStringLiteral("<pdffonts failed>")};
    QStringList fonts;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines.mid(2)) {
        QString name = line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        name = name.mid(name.indexOf(QLatin1Char('+')) + 1).section(QLatin1Char('-'), 0, 0);
        if (!name.isEmpty())
            fonts << name;
    }
    fonts.removeDuplicates(); // the bold labels
    return fonts;
}

QString PdfInfo(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    return p.waitForFinished(20000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

struct PrintJobTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(state, "A101", 46000.5);
        state.DeviceName = "A101";
        state.FolderData = dir.path();
        state.LogFileName = dir.filePath("run.vam");
        state.PrintAll = false;
        state.UsePrinter = qint16(PrinterNames().size() - 1); // the PDF file, on any machine
        ChannelReading& r = state.Readings[1];
        r.ValueText = "7.31";
        r.UnitText = "pH";
        r.HasValue = true;
        value = std::make_unique<ValueWindow>(state, lang, 1);
        value->OpvullenMeting();
        active = value.get();
        hooks.state = &state;
        hooks.language = &lang;
        hooks.activeWindow = [this] { return active; };
        hooks.valueWindows = [] { return std::vector<ValueWindow*>{}; };
        hooks.graphs = [] { return std::vector<GraphWindow*>{}; };
        hooks.table = [] { return nullptr; };
        hooks.askPdfPath = [this] {
            ++asked;
            return answer;
        };
        hooks.showMessage = [this](const QString& text) { messages << text; };
        hooks.printerChoices = &choices;
        pdf = answer = dir.filePath("job.pdf");
    }
    QPushButton* Ok(PrintDialog& d) { return d.findChild<QPushButton*>("OKButton"); }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    PrintHooks hooks;
    PrinterChoices choices;
    std::unique_ptr<ValueWindow> value;
    QWidget* active = nullptr;
    QString pdf, answer;
    int asked = 0;
    QStringList messages;
};

TEST_F(PrintJobTest, TheFontIsKeptAsChosenAndPrintedAsTheSystemResolvesIt)
{
    // An installed family prints as itself, an alias ("Arial") as the system
    // resolves it, no name at all in the system's sans font.
    EXPECT_EQ(PrinterFontFamily("DejaVu Serif"), "DejaVu Serif");
    // Whatever the program's own default font is (vam-cli's is the first of the font list).
    const QFont programFont = QGuiApplication::font();
    QGuiApplication::setFont(QFont("DejaVu Serif"));
    EXPECT_EQ(PrinterFontFamily(""), QFontInfo(QFont("sans-serif")).family());
    QGuiApplication::setFont(programFont);
    const struct {
        const char* stored;
        bool italic;
    } cases[] = {{"Arial", true}, {"No Such Font Anywhere", false}, {"", false}, {"DejaVu Serif", false}};
    for (const auto& c : cases) {
        const QString stored = QString::fromUtf8(c.stored), printed = PrinterFontFamily(stored);
        state.PrintFont = stored;
        state.PrintItalic = c.italic;
        PrintDialog dialog(hooks);
        EXPECT_TRUE(dialog.FontLabel()->text().startsWith(stored)) << dialog.FontLabel()->text().toStdString();
        EXPECT_TRUE(dialog.FontLabel()->text().contains(printed)) << dialog.FontLabel()->text().toStdString();
        EXPECT_EQ(QFontInfo(dialog.FontLabel()->font()).family(), printed);
        ASSERT_TRUE(dialog.Print()) << c.stored;
        EXPECT_EQ(state.PrintFont, stored) << "no fallback saved over the choice";
        EXPECT_EQ(state.PrintItalic, c.italic) << c.stored;
        EXPECT_FALSE(printed.isEmpty());
        EXPECT_EQ(PdfFonts(pdf), QStringList{QString(printed).remove(QLatin1Char(' '))}) << c.stored;
    }
}

TEST_F(PrintJobTest, ThePrintersOwnSettingsReachTheJob)
{
    int opened = 0;
    bool ok = false;
    hooks.printerProperties = [&](QPrinter& p) {
        ++opened;
        EXPECT_EQ(p.outputFormat(), QPrinter::PdfFormat);
        p.setPageSize(QPageSize(QPageSize::Letter));
        p.setPageOrientation(QPageLayout::Landscape);
        p.setPaperSource(QPrinter::Manual);
        return ok;
    };
    PrintDialog dialog(hooks);
    ASSERT_TRUE(dialog.PaperLabel()->text().contains("A4")) << dialog.PaperLabel()->text().toStdString();
    dialog.PropertiesButton()->click(); // cancelled: nothing changes
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(dialog.PaperLabel()->text().contains("A4"));
    EXPECT_TRUE(dialog.PortraitOption()->isChecked());
    EXPECT_FALSE(dialog.SaveButton()->isEnabled());
    ok = true;
    dialog.PropertiesButton()->click();
    EXPECT_TRUE(dialog.PaperLabel()->text().contains("Letter")) << dialog.PaperLabel()->text().toStdString();
    EXPECT_TRUE(dialog.LandscapeOption()->isChecked());
    EXPECT_TRUE(dialog.SaveButton()->isEnabled());
    ASSERT_TRUE(dialog.Print());
    EXPECT_EQ(state.PrintOrientation, 2) << "the orientation goes into the configuration";
    EXPECT_TRUE(PdfInfo(pdf).contains("792 x 612 pts (letter)")) << PdfInfo(pdf).toStdString();

    // Kept for the session: the next dialog and the printer it sets up.
    PrintDialog again(hooks);
    EXPECT_TRUE(again.PaperLabel()->text().contains("Letter"));
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, state.UsePrinter, 1, &choices);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(printer.paperSource(), QPrinter::Manual);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait) << "the orientation is the dialog's";
    // Another printer's choices are not this one's.
    PrinterChoices office = choices;
    office.printer = "Office";
    QPrinter pdfPrinter(QPrinter::HighResolution);
    SetUpPrinter(pdfPrinter, state.UsePrinter, 1, &office);
    EXPECT_EQ(pdfPrinter.pageLayout().pageSize().id(), QPageSize::A4);
}

TEST_F(PrintJobTest, APrintThatCannotHappenIsSaidAndTheDialogStaysOpen)
{
    const struct {
        const char* name;
        bool all;
        bool window;
        bool cancelPdf;
        int message; // text number, 0 for none
        bool open;
    } cases[] = {
        {"current window, none active", false, false, false, 366, true},
        {"all data windows, none with anything to print", true, false, false, 367, true},
        {"the PDF name cancelled", false, true, true, 0, true},
        {"printed", false, true, false, 0, false},
    };
    for (const auto& c : cases) {
        messages.clear();
        state.PrintAll = c.all;
        active = c.window ? value.get() : nullptr;
        answer = c.cancelPdf ? QString() : pdf;
        QFile::remove(pdf);
        PrintDialog dialog(hooks);
        dialog.show();
        Ok(dialog)->click();
        EXPECT_EQ(dialog.isVisible(), c.open) << c.name;
        EXPECT_EQ(messages, c.message ? QStringList{lang[c.message]} : QStringList{}) << c.name;
        EXPECT_EQ(QFileInfo::exists(pdf), !c.open) << c.name;
    }
}

TEST_F(PrintJobTest, APdfNameTypedWithoutSuffixIsSavedWithIt)
{
    hooks.askPdfPath = nullptr; // the real file dialog
    QStringList shown;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            // Typed into the name box of the data folder the dialog opens in.
            shown << files->windowTitle() + " in " + files->directory().path();
            files->findChild<QLineEdit*>("fileNameEdit")->setText("report");
            QMetaObject::invokeMethod(files, shown.size() < 50 ? "accept" : "reject"); // never hang
        }
    });
    typist.start(10);
    PrintDialog dialog(hooks);
    ASSERT_TRUE(dialog.Print());
    EXPECT_EQ(shown, QStringList{PdfPrinterName() + " in " + dir.path()});
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("report")));
    EXPECT_TRUE(PdfText(dir.filePath("report.pdf")).contains("7.31"));

    // A name from elsewhere (a scripted chooser) too.
    hooks.askPdfPath = [this] { return dir.filePath("scripted"); };
    ASSERT_TRUE(dialog.Print());
    EXPECT_TRUE(PdfText(dir.filePath("scripted.pdf")).contains("7.31"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("scripted")));
}

} // namespace
