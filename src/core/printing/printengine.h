#pragma once
// The page layout shared by every printed thing: page frame (title, date and
// time, rule, page number), header block (operator, company, division, note,
// device, serial number), text wrapped at word boundaries inside the text
// bounds with page breaks, rules and pictures. Lengths are millimetres.
//
// A print job: Start(), then per printed window StartPage() and its content.
// Pages break only in StartPage() and CheckPageEnd().

#include "core/printing/printcanvas.h"

#include <QString>
#include <functional>

struct AppState;
class LanguageTable;

// The one page frame a printed window gets: its title and, for a value
// window, its channel number in the header block.
struct PrintPageInfo {
    QString title;
    int channel = 0; // > 0: a value window's channel
};

// A margin brought into range: negative becomes `maximum` and a value above
// `maximum` becomes 0, so a spin wraps around.
float LimitMargin(float value, float maximum);

// The title of a printed window, from the first five letters of its tag.
// A graph: "XY-recorder: caption" (or just "XY-recorder") for a recorder,
// else the log file's name and the caption; the table: the log file's name.
QString PrintPageTitle(const QString& tag, const QString& caption, bool xyRecorder, const QString& recorderText,
                       const QString& logFileName, const QString& folderData);

class PrintEngine {
public:
    static constexpr double kFontSize = 10;
    static constexpr double kLabelIndent = 10; // header labels, from the text left bound
    static constexpr double kValueIndent = 40; // header values and the note

    PrintEngine(PrintCanvas& canvas, AppState& state, const LanguageTable& language);

    // PrinterStart: margins re-limited in the state, bounds computed, the
    // page number back to 0. The canvas is already oriented.
    void Start();
    // A new page (not before the job's first) with frame and header block.
    void StartPage(const PrintPageInfo& page);
    // Text from `leftX`, wrapped before `rightBound` at break characters.
    void PrintWrapped(double leftX, double rightBound, const QString& text);
    // A new page with frame and header when `text` would reach the bottom limit.
    void CheckPageEnd(const QString& text = QStringLiteral("A"));
    void PrintRule(double y, int style = 0);
    void PrintPicture(const QVariant& picture, double x, double y, double width, double height);

    // ---- Printing at the current position
    // `text` in the given weight; the position moves right past it.
    void Print(const QString& text, bool bold = false);
    // Next line at the text left bound, with the page-end check.
    void EndLine();
    void SetBold(bool bold);
    void SetFontSize(double pointSize);
    double LineHeight() const;

    // Called after the header block of a page that CheckPageEnd started, so
    // a table can repeat its headings.
    std::function<void()> onContinuedPage;
    // The present time in days (tests); the wall clock when empty.
    std::function<double()> clock;

    double X = 0, Y = 0;
    double Left() const { return left_; }
    double Right() const { return right_; }
    double Top() const { return top_; }
    double BottomLimit() const { return bottom_; }
    int PageNumber() const { return page_; }
    PrintCanvas& Canvas() const { return canvas_; }
    const LanguageTable& Language() const { return lang_; }
    const AppState& State() const { return s_; }

private:
    void PageFrame();
    void HeaderBlock();
    void Label(const QString& label, const QString& value);

    PrintCanvas& canvas_;
    AppState& s_;
    const LanguageTable& lang_;
    double left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
    int page_ = 0;
    bool bold_ = false;
    double size_ = kFontSize;
    PrintPageInfo info_;
    bool breaking_ = false; // inside a page break: no nested breaks
    bool inHeader_ = false; // printing the page header: one longer than a page continues on the next
};
