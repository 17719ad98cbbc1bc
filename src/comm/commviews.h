#pragma once
// What the connection reaches outside itself while it runs, split by job:
//   RecordViews  - where a completed reading is recorded (value windows,
//                  graphs, table, data file);
//   StatusViews  - where state is shown (panels, title, indications,
//                  terminal, window arrangement);
//   UserPrompts  - where the user is told or asked something.
// The connection knows no widget. Each side implements only what it serves;
// every operation has a harmless default. CommViews bundles the three for an
// implementation that serves them all (the command line, tests).

#include "core/model/colors.h"

#include <QString>

class RecordViews {
public:
    virtual ~RecordViews() = default;

    // The value windows are emptied (a new measurement starts).
    virtual void ClearValues() {}
    // The meter does not answer: the value windows show that no reading is coming.
    virtual void ShowNoReading() {}
    // A completed reading, in the order it is recorded.
    virtual void ShowValue(int channel) { Q_UNUSED(channel); }        // the channel's value window
    virtual void UpdateGraphs(int logCount, bool xyRecorders) { Q_UNUSED(logCount); Q_UNUSED(xyRecorders); }
    virtual void AppendTableRow(const QString& info) { Q_UNUSED(info); }
    virtual void ReplaceLastTableRow(const QString& info) { Q_UNUSED(info); }
    // The data file; false when the record could not be written.
    virtual bool AppendRecord(const QString& info) { Q_UNUSED(info); return true; }
    virtual bool RewriteLastRecord(int logCount, const QString& info) { Q_UNUSED(logCount); Q_UNUSED(info); return true; }
};

class StatusViews {
public:
    enum Panel { PanelSettings = 1, PanelPollTime = 2, PanelLogTime = 3, PanelLogCounter = 4, PanelMessages = 5 };

    virtual ~StatusViews() = default;

    virtual void SetPanelText(int panel, const QString& text) { Q_UNUSED(panel); Q_UNUSED(text); }
    virtual void UpdateTitle() {}        // the main window's caption
    virtual void RefreshIndications() {} // menus, toolbar and panels after a mode change
    virtual void RetileWindows() {}
    virtual void TerminalAppend(const QString& text, ColorValue color) { Q_UNUSED(text); Q_UNUSED(color); }
    // Transfer: the terminal shown, emptied and captioned with the capture file.
    virtual void ShowTerminalForTransfer(const QString& fileName) { Q_UNUSED(fileName); }
};

class UserPrompts {
public:
    enum Answer { Retry, Cancel };

    virtual ~UserPrompts() = default;

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

    // Receive: the New command (a new data file's name asked) before the
    // logger's records arrive; false when the user cancelled it.
    virtual bool StartNewDataFile() { return true; }
    // Transfer: the text file to capture into ("" when cancelled).
    virtual QString AskTransferFileName() { return QString(); }
};

class CommViews : public RecordViews, public StatusViews, public UserPrompts {};
