#pragma once
// What the connection updates and asks while it runs: the windows, the status
// bar, the terminal and the user. The main window implements it; the command
// line has its own plain implementation. Every operation has a harmless default.

#include "core/colors.h"

#include <QString>

class CommViews {
public:
    enum Panel { PanelSettings = 1, PanelPollTime = 2, PanelLogTime = 3, PanelLogCounter = 4, PanelMessages = 5 };
    enum Answer { Retry, Cancel };

    virtual ~CommViews() = default;

    // The value windows are emptied (a new measurement starts).
    virtual void ClearValues() {}
    // A completed reading, in the order it is recorded.
    virtual void ShowValue(int channel) { Q_UNUSED(channel); }        // the channel's value window
    virtual void UpdateGraphs(int logCount, bool xyRecorders) { Q_UNUSED(logCount); Q_UNUSED(xyRecorders); }
    virtual void AppendTableRow(const QString& info) { Q_UNUSED(info); }
    virtual void ReplaceLastTableRow(const QString& info) { Q_UNUSED(info); }
    // The data file; false when the record could not be written.
    virtual bool AppendRecord(const QString& info) { Q_UNUSED(info); return true; }
    virtual bool RewriteLastRecord(int logCount, const QString& info) { Q_UNUSED(logCount); Q_UNUSED(info); return true; }

    virtual void SetPanelText(int panel, const QString& text) { Q_UNUSED(panel); Q_UNUSED(text); }
    virtual void UpdateTitle() {}        // the main window's caption
    virtual void RefreshIndications() {} // menus, toolbar and panels after a mode change
    virtual void RetileWindows() {}
    virtual void TerminalAppend(const QString& text, ColorValue color) { Q_UNUSED(text); Q_UNUSED(color); }

    // Messages (exclamation icon, OK), and the port-lost question.
    virtual void ShowWarning(const QString& title, const QString& text) { Q_UNUSED(title); Q_UNUSED(text); }
    virtual Answer AskRetryCancel(const QString& title, const QString& text)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
        return Cancel;
    }
    // The scan's progress window: shown with a caption and position; returns
    // false once the user has pressed Cancel.
    virtual bool ScanProgress(const QString& caption, int position, int maximum)
    {
        Q_UNUSED(caption);
        Q_UNUSED(position);
        Q_UNUSED(maximum);
        return true;
    }
    virtual void ScanFinished() {}

    // Receive: the New command before the logger's records arrive; false
    // when the user cancelled it.
    virtual bool StartNewDataFile() { return true; }
    // Transfer: the text file to capture into ("" when cancelled), and the
    // terminal shown, emptied and captioned with that file.
    virtual QString AskTransferFileName() { return QString(); }
    virtual void ShowTerminalForTransfer(const QString& fileName) { Q_UNUSED(fileName); }
};
