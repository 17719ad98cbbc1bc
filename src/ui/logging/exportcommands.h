#pragma once
// File > Export...: the table's readings (all rows, or the selected rows when
// there is a selection) as CSV for data tools or as an Excel workbook
// (numericexport.h, workbookexport.h), to a file chosen in a dialog, with a
// progress dialog and Cancel on a long table. The entry puts itself into the
// File menu before Print and is enabled while the table holds readings.

#include "ui/commandgate.h"

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QWidget;
struct AppState;
class LanguageTable;
class LogTable;
class TableWindow;

class ExportCommands : public QObject {
    Q_OBJECT
public:
    // `before`: the File menu's entry the export entry goes before.
    ExportCommands(AppState& state, const LanguageTable& language, LogTable& rows, TableWindow& table, QMenu& fileMenu,
                   QAction* before, QWidget* dialogParent);

    // The entry waits for a reading under way (its dialogs would hold it).
    CommandGate gate;

    QAction* Action() const { return action_; }
    // The command: asks the file and its kind, writes it, says how it went.
    // False when cancelled or failed.
    bool Export();

    enum class Kind { Csv, Workbook };
    // Replace the dialogs (tests, scripted runs). chooseFile: the file and its
    // kind, "" when cancelled; `suggested` is the name the dialog offers (the
    // data file's name as CSV, in the last export's folder). ask: Yes or No
    // (QMessageBox::StandardButton). inform: a message (`warning` for a failure).
    std::function<QString(const QString& title, const QString& suggested, Kind& kind)> chooseFile;
    std::function<int(const QString& title, const QString& text)> ask;
    std::function<void(const QString& title, const QString& text, bool warning)> inform;

Q_SIGNALS:
    // For the last-action panel.
    void LastAction(const QString& text);

private:
    void Refresh();
    QString ChooseFile(const QString& title, Kind& kind);

    AppState& s_;
    const LanguageTable& lang_;
    LogTable& rows_;
    TableWindow& table_;
    QWidget* parent_;
    QAction* action_;
    QString lastFolder_;
};
