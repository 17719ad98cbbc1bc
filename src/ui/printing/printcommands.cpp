#include "ui/printing/printcommands.h"

#include "ui/config/configcommands.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphwindow.h"
#include "ui/printing/printdialog.h"
#include "ui/shell/mainwindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>

PrintHooks MainWindowPrintHooks(MainWindow& w)
{
    PrintHooks h;
    h.state = &w.State();
    h.language = &w.Language();
    h.parent = &w;
    h.activeWindow = [&w]() -> QWidget* {
        QMdiSubWindow* sub = w.MdiArea()->activeSubWindow();
        return sub ? sub->widget() : nullptr;
    };
    h.valueWindows = [&w] { return w.ValueWindows(); };
    h.graphs = [&w] {
        std::vector<GraphWindow*> wins;
        for (QMdiSubWindow* sub : w.Graphs().Windows())
            if (auto* g = qobject_cast<GraphWindow*>(sub->widget()))
                wins.push_back(g);
        return wins;
    };
    h.table = [&w] { return w.Table(); };
    h.saveConfiguration = [&w] { return w.ConfigCmds().Save(); };
    if (w.pdfChooser)
        h.askPdfPath = w.pdfChooser;
    h.showHelp = [&w](const QString& topic) { w.ShowHelpTopic(topic); };
    h.showMessage = [&w](const QString& text) { w.ShowWarning(QStringLiteral("VAM"), text); };
    // What the printer's own settings chose lasts the session (one main window a process).
    static PrinterChoices session;
    h.printerChoices = &session;
    return h;
}
