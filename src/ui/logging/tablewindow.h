#pragma once
// The table window (frmTabel): every logged reading as one row of a grid over
// the LogTable model. It selects, excludes, annotates and deletes rows
// (writing the change back into the data file), renumbers and clears the
// table, copies the selection, and switches the date and time columns
// between the clock and a relative clock. Closing it only hides it.
//
// The main window's Edit menu and toolbar call the same public commands and
// ask the Can* queries for their enabled state (EditCommandsChanged says
// when the selection or the rows changed; the data-file rules can change
// without it, so a menu asks again when it opens).

#include "ui/commandgate.h"

#include <QWidget>
#include <functional>
#include <vector>

class QAction;
class QFont;
class QTableView;
struct AppState;
struct DataFileReport;
class DataFile;
class LanguageTable;
class LogTable;
class PrintEngine;

class TableWindow : public QWidget {
    Q_OBJECT
public:
    // `dataFile` receives the edits of info texts; null leaves the file alone.
    TableWindow(AppState& state, const LanguageTable& language, LogTable& table, DataFile* dataFile,
                QWidget* parent = nullptr);
    ~TableWindow() override;

    QTableView* View() const { return view_; }
    LogTable& Table() const { return table_; }

    // ---- Set-up
    // Captions, headings and the window caption from the language table.
    void LaadStrings();
    void LaadTabelKolomhoofden();
    void LaadVensterTitel();
    // Columns for the current device, default widths, columns of channels
    // not in use hidden; TableColumnCount follows.
    void StelTabelIn();
    // The columns of the channels not in use hidden, the others shown.
    void ShowChannelColumns();
    void InitKolomBreedte();
    // Stored widths in twips, column 0 first (the configuration's "(COLUMNS)").
    void StelNieuweKolomBreedteIn(const QList<int>& twips);
    QList<int> KolomBreedtes() const;
    // The TableColor* colours of the state.
    void SetColor();
    void ApplyFont(const QFont& font);

    // ---- Rows
    void InitieerTabel(); // empties the table
    void VulTabelAan(const QString& info);
    void VernieuwLaatsteTabellijn(const QString& info);

    // ---- Selection (reading rows only, ascending)
    std::vector<int> Geselecteerd() const;
    bool HasRows() const;      // Select all, Invert selection
    bool HasSelection() const; // Deselect all, Copy
    void SelectRows(const std::vector<int>& rows);
    void SelecteerAlles();
    void DeselecteerAlles();
    void InverteerSelectie();

    // ---- Edit commands; false when refused or nothing was selected.
    // Marks the selected rows excluded ("!x" before their info).
    bool Exclude();
    // Asks for an info text (UI text 92, with the warning 222 for several
    // rows) and applies it.
    bool EditInfo();
    // What the dialog's OK does: the text into every row and the data file.
    bool ApplyInfo(const std::vector<int>& rows, const QString& text);
    // Delete: after the question (UI text 52, titled 54 "Delete All" when
    // every reading row is selected, else 53 "Delete") the selected rows
    // leave the table and their records the data file. The other rows keep
    // their numbers and LogCount stays, so the numbering continues.
    bool WisTabelRij();
    // The rows numbered 1..n again; LogCount := n.
    bool Renumber();
    // A fresh table on screen (the data file keeps its records); LogCount := 0.
    bool ClearTable();
    bool CanDelete() const; // reading rows selected and editing allowed
    bool CanRenumber() const;
    bool CanClear() const;
    // The selected rows' visible cells: TAB between cells, CR LF between rows.
    QString SelectionText() const;
    void CopyElementen() const;
    // Prints the visible columns of every reading row, or of the selected
    // rows only, from a new page.
    void PrintTabel(PrintEngine& engine, bool selectionOnly) const;

    // ---- Relative clock (the context menu's and the main window's switch)
    void SetRelativeTime(bool on);
    bool RelativeTime() const;
    // The reference becomes the time of the current row (or the first row).
    void SetReferencePoint();
    QAction* RelativeClockAction() const { return actRelative_; }
    QAction* ReferencePointAction() const { return actReference_; }
    QAction* DeleteAction() const { return actDelete_; }
    QAction* RenumberAction() const { return actRenumber_; }
    // Enables the context menu's actions by the Can* rules.
    void UpdateEditActions();

    // Replaces the yes/no question (tests, scripted runs): returns
    // QMessageBox::Yes or No. The same shape as the main window's.
    std::function<int(const QString& title, const QString& text, bool withCancel)> questionHandler;
    // Where the commands that ask or open a dialog wait for the reading under way.
    CommandGate gate;

    static constexpr int kTwipsPerPixel = 15;

Q_SIGNALS:
    void ClosedByUser();
    // A text for the status bar after writing to the data file ("" clears).
    void StatusText(const QString& text);
    // LogCount changed by Clear or Renumber (for the "Log# " panel).
    void LogCountChanged(int logCount);
    void RelativeTimeChanged(bool on);
    // Rows or selection changed what the edit commands may do.
    void EditCommandsChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool EditRefused();
    bool EditRefusedQuietly() const;
    int Ask(const QString& title, const QString& text);
    void ShowContextMenu(const QPoint& pos);
    void WriteInfos(const std::vector<int>& rows);
    void Report(const DataFileReport& report);
    void ScrollToRow(int row);

    AppState& s_;
    const LanguageTable& lang_;
    LogTable& table_;
    DataFile* file_;
    QTableView* view_ = nullptr;
    class ColorProxy* proxy_ = nullptr;
    QAction *actRelative_ = nullptr, *actReference_ = nullptr, *actCopy_ = nullptr, *actSelectAll_ = nullptr,
            *actExclude_ = nullptr, *actEditInfo_ = nullptr, *actDelete_ = nullptr, *actRenumber_ = nullptr;
    int editState_ = -1;        // the last Can* answers, to signal changes only
    bool headerPressed_ = false; // a mouse button is down on the column headings
};
