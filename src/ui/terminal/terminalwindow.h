#pragma once
// The terminal window (frmTerminal): the raw traffic with the meter, sent text
// and received text told apart by colour only, in one stream. Its text can be
// copied, cleared, saved and opened as ".txt" or ".rtf". Closing it only hides
// it, so the text survives until the program ends. The text is bounded: past
// the bound the oldest text is dropped.

#include <QWidget>
#include <functional>

#include "core/model/colors.h"

class QFont;
class QPlainTextEdit;
struct AppState;
struct RtfDocument;
class LanguageTable;
class PrintEngine;

class TerminalWindow : public QWidget {
    Q_OBJECT
public:
    // Characters kept at most; trimming leaves three quarters of it, so it
    // happens rarely and at a line start where one is near.
    static constexpr int kDefaultMaxChars = 2000000;

    TerminalWindow(AppState& state, const LanguageTable& language, QWidget* parent = nullptr);

    QPlainTextEdit* TextBox() const { return txt_; }

    // ---- Text
    // Appends `text` in `colour` while TerminalVisible (nothing otherwise).
    // NULs are dropped and the meter's characters mapped ("æ" -> "µ", "ø" ->
    // "°", "ê" -> "Ohm"). CR LF, also split over two pieces, and a lone CR
    // each end one line. An empty `fontName` takes the terminal font.
    void ToevoegenTextBox(const QString& text, ColorValue colour, const QString& fontName = {}, int fontSize = 0,
                          bool bold = false, bool italic = false, bool underline = false);
    void Clear();
    bool IsEmpty() const;
    bool HasSelection() const;
    // The whole text, lines separated by '\n'.
    QString Text() const;
    // What Copy puts on the clipboard: the selection, or all when nothing is
    // selected; lines separated by CR LF.
    QString CopyText() const;
    // Copies CopyText() (with the colours as HTML for word processors) and
    // reports "Edit > Copy" through LastAction.
    void CopyTerminal();
    void SetMaxChars(int maxChars);
    int MaxChars() const { return maxChars_; }

    // ---- Look
    // Background from TerminalColorBackground.
    void SetColors();
    // The font from the TerminalFont* settings.
    void ApplyStateFont();
    // A font chosen by the user: shown and stored in the TerminalFont* settings.
    void ApplyFont(const QFont& font);
    // The text box's font into the TerminalFont* settings.
    void StoreFont();
    void LaadStrings();
    // The Transfer mode names its capture file in the caption; "" restores
    // the usual caption.
    void SetCaptionFile(const QString& name);
    QString Caption() const;
    // Prints the text, wrapped, from a new page.
    void PrintTerminalTekst(PrintEngine& engine) const;

    // ---- Showing (View > Terminal, Open): shows the window when
    // TerminalVisible is false and sets it. Never hides.
    void ShowTerminal();

    // ---- Files. A name ending in ".rtf" means rich text.
    // The File menu's commands: a file dialog, then the ...To/...From step.
    void SaveCommand();
    void OpenCommand();
    // An existing file: asks to overwrite (UI text 17); Yes keeps it as
    // ".bak" first. Failures are shown; false when nothing was written.
    bool SaveCommandTo(const QString& path);
    // Shows the terminal, then loads; a failure is shown and keeps the text.
    bool OpenCommandFrom(const QString& path);
    // Without questions or messages: false with `error` set when the file
    // could not be written or read (the text is then unchanged).
    bool SaveToFile(const QString& path, QString* error = nullptr) const;
    bool LoadFromFile(const QString& path, QString* error = nullptr);
    // Moves an existing file to the same name with the extension ".bak",
    // replacing an older ".bak".
    static bool KeepBackup(const QString& path);
    static bool IsRtfName(const QString& path);
    // Last file saved or opened; where the dialogs start.
    QString FileName() const { return fileName_; }

    // Replace the file dialogs ("" = cancelled) and the overwrite question
    // (QMessageBox::Yes or No) for tests and scripted runs.
    std::function<QString(const QString& title, const QString& folder, const QString& filter, bool save)> fileChooser;
    std::function<int(const QString& title, const QString& text, bool withCancel)> questionHandler;
    void SetFileName(const QString& name) { fileName_ = name; }

Q_SIGNALS:
    // The user closed the window: it is hidden and TerminalVisible is false.
    // The main window stops a running Transfer and re-arranges.
    void ClosedByUser();
    // Shown by ShowTerminal; the main window re-arranges.
    void ShownByCommand();
    // For the Copy entry and the Delete button.
    void SelectionChanged(bool hasSelection);
    // Mouse rules: right button down gives "something selected", left button
    // up gives "not empty".
    void EditEntriesEnabled(bool enabled);
    // Right button released over the text: the main window shows its Edit menu here.
    void ContextMenuRequested(const QPoint& globalPos);
    // For the main window's last-action panel.
    void LastAction(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Trim();
    RtfDocument Document() const;
    void SetRuns(const RtfDocument& doc);
    QString DialogFilter() const;

    AppState& s_;
    const LanguageTable& lang_;
    QPlainTextEdit* txt_ = nullptr;
    QString captionFile_;
    QString fileName_;
    int maxChars_ = kDefaultMaxChars;
    bool pendingCr_ = false; // the last piece ended in CR: a leading LF is its pair
};
