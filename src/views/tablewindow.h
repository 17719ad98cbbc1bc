#pragma once
// The table window (frmTabel): every logged reading as one row of a grid over
// the LogTable model. It selects, excludes and annotates rows (writing the
// change back into the data file), copies the selection, and switches the
// date and time columns between the clock and a relative clock. Closing it
// only hides it.

#include <QWidget>
#include <vector>

class QAction;
class QFont;
class QTableView;
struct AppState;
struct DataFileReport;
class DataFile;
class LanguageTable;
class LogTable;

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
    // The selected rows' visible cells: TAB between cells, CR LF between rows.
    QString SelectionText() const;
    void CopyElementen() const;

    // ---- Relative clock
    void SetRelativeTime(bool on);
    // The reference becomes the time of the current row (or the first row).
    void SetReferencePoint();
    QAction* RelativeClockAction() const { return actRelative_; }
    QAction* ReferencePointAction() const { return actReference_; }

    static constexpr int kTwipsPerPixel = 15;

Q_SIGNALS:
    void ClosedByUser();
    // A text for the status bar after writing to the data file ("" clears).
    void StatusText(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool EditRefused();
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
            *actExclude_ = nullptr, *actEditInfo_ = nullptr;
};
