#include "core/printing/printengine.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/help/languagetable.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

namespace {
enum Texts { kOperator = 94, kCompany = 95, kDivision = 96, kNote = 97, kDevice = 98, kChannelNumber = 99,
             kSerial = 101, kPage = 286 };

// A piece of wrapped text ends after one of these (CR and LF end a line).
bool IsBreak(QChar c)
{
    static const QString breaks = QStringLiteral(" .,!?-;:/\\<[({'\"\r\n");
    return breaks.contains(c);
}
} // namespace

float LimitMargin(float value, float maximum)
{
    if (value < 0)
        return maximum;
    if (value > maximum)
        return 0;
    return value;
}

QString PrintPageTitle(const QString& tag, const QString& caption, bool xyRecorder, const QString& recorderText,
                       const QString& logFileName, const QString& folderData)
{
    const QString kind = tag.left(5).toLower();
    if (kind == QLatin1String("metin") || kind == QLatin1String("termi"))
        return caption;
    QString logName = logFileName;
    if (!folderData.isEmpty() && logName.startsWith(folderData, Qt::CaseInsensitive)) {
        logName = logName.mid(folderData.size());
        while (logName.startsWith(QLatin1Char('/')) || logName.startsWith(QLatin1Char('\\')))
            logName.remove(0, 1);
    }
    if (kind == QLatin1String("grafi")) {
        if (xyRecorder)
            return caption == recorderText ? recorderText : recorderText + QStringLiteral(": ") + caption;
        return logName + QStringLiteral(": ") + caption;
    }
    return logName;
}

PrintEngine::PrintEngine(PrintCanvas& canvas, AppState& state, const LanguageTable& language)
    : canvas_(canvas), s_(state), lang_(language)
{
}

void PrintEngine::Start()
{
    const QSizeF area = canvas_.PageSize();
    const float maxHeight = float(area.height() / 3), maxWidth = float(area.width() / 3);
    s_.OffsetTop = LimitMargin(s_.OffsetTop, maxHeight);
    s_.OffsetBottom = LimitMargin(s_.OffsetBottom, maxHeight);
    s_.OffsetLeft = LimitMargin(s_.OffsetLeft, maxWidth);
    s_.OffsetRight = LimitMargin(s_.OffsetRight, maxWidth);
    bold_ = false;
    size_ = kFontSize;
    SetBold(false);
    left_ = s_.OffsetLeft;
    right_ = area.width() - s_.OffsetRight;
    top_ = s_.OffsetTop;
    bottom_ = area.height() - s_.OffsetBottom - 1.25 * canvas_.TextHeight(QStringLiteral("A"));
    page_ = 0;
    X = left_;
    Y = top_;
}

void PrintEngine::SetBold(bool bold)
{
    bold_ = bold;
    canvas_.SetFont({s_.PrintFont, size_, bold_, s_.PrintItalic});
}

void PrintEngine::SetFontSize(double pointSize)
{
    size_ = pointSize;
    SetBold(bold_);
}

double PrintEngine::LineHeight() const { return canvas_.TextHeight(QStringLiteral("A")); }

void PrintEngine::StartPage(const PrintPageInfo& page)
{
    info_ = page;
    if (page_ > 0)
        canvas_.NewPage();
    const bool wasBreaking = breaking_;
    breaking_ = true; // the frame and header never start a page with a header themselves
    PageFrame();
    inHeader_ = true;
    HeaderBlock();
    inHeader_ = false;
    breaking_ = wasBreaking;
}

void PrintEngine::PageFrame()
{
    size_ = kFontSize;
    SetBold(true);
    canvas_.DrawText(left_, top_, info_.title);
    SetBold(false);
    const QDateTime now = FromDays(clock ? clock() : NowDays());
    const QString stamp = QLocale().toString(now.date(), QLocale::ShortFormat) + QStringLiteral(" - ")
                        + now.time().toString(QStringLiteral("hh:mm"));
    canvas_.DrawText(right_ - canvas_.TextWidth(stamp), top_, stamp);
    const double ruleY = top_ + 1.25 * LineHeight();
    PrintRule(ruleY);
    ++page_;
    const QString number = lang_[kPage] + QString::number(page_);
    canvas_.DrawText(right_ - canvas_.TextWidth(number), bottom_ + 0.25 * canvas_.TextHeight(QStringLiteral("0")),
                     number);
    X = left_;
    Y = ruleY + 0.5 * LineHeight();
}

void PrintEngine::Label(const QString& label, const QString& value)
{
    X = left_ + kLabelIndent;
    Print(label, true);
    // A label longer than the value column pushes its value right.
    X = std::max(left_ + kValueIndent, X + canvas_.TextWidth(QStringLiteral(" ")));
    Print(value);
    EndLine();
}

void PrintEngine::HeaderBlock()
{
    Label(lang_[kOperator], s_.PrintOperator);
    Label(lang_[kCompany], s_.PrintCompany);
    Label(lang_[kDivision], s_.PrintDivision);
    EndLine();
    if (!s_.NoteText.isEmpty()) {
        X = left_ + kLabelIndent;
        Print(lang_[kNote], true);
        SetBold(false); // a value, as the other labels' values are
        PrintWrapped(left_ + kValueIndent, right_, s_.NoteText);
        EndLine();
    }
    PrintRule(Y + 0.5 * LineHeight());
    Y += LineHeight();
    Label(lang_[kDevice], s_.PrintDeviceName);
    Label(lang_[kSerial], s_.PrintSerial);
    if (info_.channel > 0)
        Label(lang_[kChannelNumber], QString::number(info_.channel));
    EndLine();
}

void PrintEngine::Print(const QString& text, bool bold)
{
    if (bold != bold_)
        SetBold(bold);
    canvas_.DrawText(X, Y, text);
    X += canvas_.TextWidth(text);
}

void PrintEngine::EndLine()
{
    Y += LineHeight();
    X = left_;
    CheckPageEnd();
}

void PrintEngine::CheckPageEnd(const QString& text)
{
    const double height = canvas_.TextHeight(text);
    if (Y + height < bottom_)
        return;
    if (breaking_) {
        // A page header longer than the page (a long note) goes on on the
        // next page, under the frame only; drawn past the bottom it would
        // push every record off the paper.
        if (inHeader_) {
            canvas_.NewPage();
            PageFrame();
        }
        return;
    }
    const bool bold = bold_;
    const double size = size_;
    breaking_ = true;
    StartPage(info_);
    // A header that leaves no room for a line: the records go on on a page
    // with the frame only, or they would never find room.
    if (Y + height >= bottom_) {
        canvas_.NewPage();
        PageFrame();
    }
    if (onContinuedPage)
        onContinuedPage();
    breaking_ = false;
    size_ = size;
    SetBold(bold);
}

void PrintEngine::PrintWrapped(double leftX, double rightBound, const QString& input)
{
    QString text = input;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    X = leftX;
    const bool bold = bold_;
    // Pieces that share a line are drawn as one text, so a PDF keeps its words together.
    QString run;
    double runX = X;
    const auto flush = [&] {
        if (!run.isEmpty())
            canvas_.DrawText(runX, Y, run);
        run.clear();
    };
    const auto newLine = [&] {
        flush();
        Y += LineHeight();
        CheckPageEnd();
        X = leftX;
        runX = X;
    };
    int at = 0;
    while (at < text.size()) {
        int end = at;
        while (end < text.size() && !IsBreak(text[end]))
            ++end;
        if (end < text.size())
            ++end; // the break character belongs to the piece
        QString piece = text.mid(at, end - at);
        at = end;
        const QChar last = piece.back();
        const bool lineEnd = last == QLatin1Char('\r') || last == QLatin1Char('\n');
        if (lineEnd)
            piece.chop(1);
        // A trailing blank may run past the bound; a word alone on its line
        // stays there rather than leaving an empty line above it.
        const double width = canvas_.TextWidth(last == QLatin1Char(' ') ? piece.chopped(1) : piece);
        if (X > leftX && X + width > rightBound)
            newLine();
        run += piece;
        X += canvas_.TextWidth(piece);
        if (lineEnd)
            newLine();
    }
    flush();
    if (bold_ != bold)
        SetBold(bold);
}

void PrintEngine::PrintRule(double y, int style) { canvas_.DrawRule(left_, right_, y, style); }

void PrintEngine::PrintPicture(const QVariant& picture, double x, double y, double width, double height)
{
    canvas_.DrawPicture(picture, QRectF(x, y, width, height));
}
