#include "ui/terminal/terminalwindow.h"

#include "core/model/appstate.h"
#include "core/printing/printroutines.h"
#include "core/terminal/rtftext.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace {
enum Text { kEdit = 8, kCopy = 9, kOverwrite = 17, kErrorOpening = 51, kTerminal = 84, kFileToSaveAs = 85,
            kFileToOpen = 86, kAllFiles = 114, kTextFiles = 115 };

// Files larger than this are not read whole: a plain-text file gives its
// newest part, a rich-text file is refused.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

QString WithoutAmpersand(const QString& s) { return QString(s).remove(QLatin1Char('&')); }

// Document text keeps paragraph and line separators; files and the clipboard
// want line breaks.
QString ToLines(QString raw)
{
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return raw;
}
} // namespace

TerminalWindow::TerminalWindow(AppState& state, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), s_(state), lang_(language)
{
    setObjectName(QStringLiteral("frmTerminal"));
    txt_ = new QPlainTextEdit(this);
    txt_->setObjectName(QStringLiteral("TxtLineInput"));
    txt_->setReadOnly(true);
    txt_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // An undo history of hours of traffic would only grow.
    txt_->setUndoRedoEnabled(false);
    txt_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txt_);

    connect(txt_, &QPlainTextEdit::copyAvailable, this, &TerminalWindow::SelectionChanged);
    connect(txt_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { Q_EMIT ContextMenuRequested(txt_->mapToGlobal(pos)); });
    txt_->installEventFilter(this);
    txt_->viewport()->installEventFilter(this);

    ApplyStateFont();
    SetColors();
    LaadStrings();
}

// ---------------------------------------------------------------- text

void TerminalWindow::ToevoegenTextBox(const QString& text, ColorValue colour, const QString& fontName, int fontSize,
                                      bool bold, bool italic, bool underline)
{
    if (!s_.TerminalVisible)
        return;
    QString t = text;
    t.remove(QChar(0));
    if (t.isEmpty())
        return;
    t = MapMeterCharset(t);
    // The CR of a CR LF may end one piece and its LF start the next.
    if (pendingCr_ && t.front() == QLatin1Char('\n')) {
        t.remove(0, 1);
        pendingCr_ = false;
        if (t.isEmpty())
            return;
    }
    pendingCr_ = t.back() == QLatin1Char('\r');
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    if (!fontName.isEmpty()) {
        format.setFontFamilies({fontName});
        if (fontSize > 0)
            format.setFontPointSize(fontSize);
        format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(italic);
        format.setFontUnderline(underline);
    }
    // Follow the new text, unless the user is reading further up or holds a
    // selection (which a moving caret would take away).
    QScrollBar* bar = txt_->verticalScrollBar();
    const bool follow = !txt_->textCursor().hasSelection() && bar->value() >= bar->maximum();

    QTextCursor cursor(txt_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(t, format);
    Trim();
    if (follow)
        txt_->moveCursor(QTextCursor::End);
}

void TerminalWindow::Trim()
{
    QTextDocument* doc = txt_->document();
    const int count = doc->characterCount();
    if (count <= maxChars_)
        return;
    int cut = count - maxChars_ / 4 * 3;
    // Cut at the start of a line when one is near, so the top line is whole.
    const QTextBlock block = doc->findBlock(cut);
    if (block.isValid() && block.position() < cut) {
        const QTextBlock next = block.next();
        if (next.isValid() && next.position() - cut <= 4096 && next.position() < count - 1)
            cut = next.position();
    }
    QTextCursor cursor(doc);
    cursor.setPosition(0);
    cursor.setPosition(std::min(cut, count - 1), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TerminalWindow::SetMaxChars(int maxChars)
{
    maxChars_ = std::max(16, maxChars);
    Trim();
}

void TerminalWindow::Clear()
{
    txt_->clear();
    pendingCr_ = false;
}

bool TerminalWindow::IsEmpty() const { return txt_->document()->isEmpty(); }

bool TerminalWindow::HasSelection() const { return txt_->textCursor().hasSelection(); }

QString TerminalWindow::Text() const { return ToLines(txt_->document()->toRawText()); }

QString TerminalWindow::CopyText() const
{
    const QTextCursor cursor = txt_->textCursor();
    QString text = cursor.hasSelection() ? ToLines(cursor.selectedText()) : Text();
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void TerminalWindow::CopyTerminal()
{
    const QTextCursor cursor = txt_->textCursor();
    const QTextDocumentFragment fragment =
        cursor.hasSelection() ? cursor.selection() : QTextDocumentFragment(txt_->document());
    auto* mime = new QMimeData;
    mime->setText(CopyText());
    mime->setHtml(fragment.toHtml());
    QGuiApplication::clipboard()->setMimeData(mime);
    Q_EMIT LastAction(WithoutAmpersand(lang_[kEdit]) + QStringLiteral(" > ") + WithoutAmpersand(lang_[kCopy]));
}

// ---------------------------------------------------------------- look

void TerminalWindow::SetColors()
{
    QPalette p = txt_->palette();
    p.setColor(QPalette::Base, ToQColor(s_.TerminalColorBackground));
    p.setColor(QPalette::Text, ToQColor(s_.TerminalColorIn));
    txt_->setPalette(p);
}

void TerminalWindow::ApplyStateFont()
{
    QFont f(s_.TerminalFontName);
    // "MS Courier" is rarely installed: fall back to a monospaced face.
    f.setStyleHint(QFont::TypeWriter);
    if (s_.TerminalFontSize > 0)
        f.setPointSize(s_.TerminalFontSize);
    f.setBold(s_.TerminalFontBold);
    f.setItalic(s_.TerminalFontItalic);
    f.setUnderline(s_.TerminalFontUnderline);
    f.setStrikeOut(s_.TerminalFontStrikethrough);
    txt_->setFont(f);
}

void TerminalWindow::ApplyFont(const QFont& font)
{
    txt_->setFont(font);
    StoreFont();
    s_.ConfigChanged = true;
}

void TerminalWindow::StoreFont()
{
    const QFont f = txt_->font();
    s_.TerminalFontName = f.family();
    if (f.pointSize() > 0)
        s_.TerminalFontSize = f.pointSize();
    s_.TerminalFontBold = f.bold();
    s_.TerminalFontItalic = f.italic();
    s_.TerminalFontUnderline = f.underline();
    s_.TerminalFontStrikethrough = f.strikeOut();
}

void TerminalWindow::LaadStrings()
{
    const QString caption = captionFile_.isEmpty() ? WithoutAmpersand(lang_[kTerminal]) : captionFile_;
    setWindowTitle(caption);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->setWindowTitle(caption);
}

void TerminalWindow::SetCaptionFile(const QString& name)
{
    captionFile_ = name;
    LaadStrings();
}

QString TerminalWindow::Caption() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub->windowTitle();
    return windowTitle();
}

void TerminalWindow::PrintTerminalTekst(PrintEngine& engine) const
{
    PrintTerminal(engine, {PrintPageTitle(QStringLiteral("terminal"), Caption(), false, {}, {}, {}), 0}, Text());
}

void TerminalWindow::ShowTerminal()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    const bool hidden = sub ? sub->isHidden() || isHidden() : isHidden();
    if (s_.TerminalVisible && !hidden)
        return;
    s_.TerminalVisible = true;
    if (sub)
        sub->show();
    show();
    Q_EMIT ShownByCommand();
}

// ---------------------------------------------------------------- files

bool TerminalWindow::IsRtfName(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
}

bool TerminalWindow::KeepBackup(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    const QFileInfo info(path);
    QString backup = info.suffix().isEmpty() ? path + QStringLiteral(".bak")
                                             : info.dir().filePath(info.completeBaseName() + QStringLiteral(".bak"));
    if (QFileInfo(backup).absoluteFilePath() == info.absoluteFilePath())
        backup = path + QStringLiteral(".bak");
    if (QFileInfo::exists(backup) && !QFile::remove(backup))
        return false;
    return QFile::rename(path, backup);
}

RtfDocument TerminalWindow::Document() const
{
    RtfDocument doc;
    const QFont f = txt_->font();
    doc.font = {f.family(), f.pointSize() > 0 ? f.pointSize() : s_.TerminalFontSize, f.bold(), f.italic(),
                f.underline(), f.strikeOut()};
    auto add = [&doc](const QString& text, ColorValue color) {
        if (!doc.runs.empty() && doc.runs.back().color == color)
            doc.runs.back().text += text;
        else
            doc.runs.push_back({text, color});
    };
    for (QTextBlock block = txt_->document()->begin(); block.isValid(); block = block.next()) {
        if (block != txt_->document()->begin())
            add(QStringLiteral("\n"), doc.runs.empty() ? s_.TerminalColorIn : doc.runs.back().color);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QBrush brush = fragment.charFormat().foreground();
            const ColorValue color = brush.style() == Qt::NoBrush ? s_.TerminalColorIn : FromQColor(brush.color());
            add(ToLines(fragment.text()), color);
        }
    }
    return doc;
}

bool TerminalWindow::SaveToFile(const QString& path, QString* error) const
{
    const QByteArray bytes = IsRtfName(path) ? WriteRtf(Document()) : WritePlainText(Text());
    // Written in full or not at all: a failed save never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void TerminalWindow::SetRuns(const RtfDocument& doc)
{
    txt_->setUpdatesEnabled(false);
    Clear();
    QTextCursor cursor(txt_->document());
    for (const RtfRun& run : doc.runs) {
        QTextCharFormat format;
        format.setForeground(ToQColor(run.color));
        cursor.insertText(run.text, format);
    }
    Trim();
    txt_->moveCursor(QTextCursor::End);
    txt_->setUpdatesEnabled(true);
}

bool TerminalWindow::LoadFromFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const bool rtf = IsRtfName(path);
    if (file.size() > kMaxFileBytes) {
        if (rtf) {
            if (error)
                *error = QStringLiteral("File too large");
            return false;
        }
        file.seek(file.size() - std::min<qint64>(file.size(), qint64(maxChars_)));
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    RtfDocument doc;
    if (rtf) {
        doc = ReadRtf(data, s_.TerminalColorIn);
    } else {
        const QString text = ReadPlainText(data).remove(QChar(0));
        if (!text.isEmpty())
            doc.runs.push_back({text, s_.TerminalColorIn});
    }
    SetRuns(doc);
    fileName_ = path;
    return true;
}

QString TerminalWindow::DialogFilter() const
{
    QString all = lang_[kAllFiles].section(QLatin1Char('|'), 0, 0);
    all.replace(QLatin1String("(*.*)"), QLatin1String("(*)"));
    return lang_[kTextFiles] + QStringLiteral(" (*.txt *.rtf);;") + all;
}

void TerminalWindow::SaveCommand()
{
    const QString start = fileName_.isEmpty() ? s_.FolderData : fileName_;
    const QString path = fileChooser ? fileChooser(lang_[kFileToSaveAs], start, DialogFilter(), true)
                                     : QFileDialog::getSaveFileName(this, lang_[kFileToSaveAs], start, DialogFilter(),
                                                                    nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        SaveCommandTo(path);
}

bool TerminalWindow::SaveCommandTo(const QString& path)
{
    if (QFileInfo::exists(path)) {
        const int answer = questionHandler
                               ? questionHandler(Caption(), lang_[kOverwrite], false)
                               : QMessageBox::question(this, Caption(), lang_[kOverwrite], QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
        // The previous version must survive: without a backup nothing is written.
        if (!KeepBackup(path)) {
            QMessageBox::warning(this, lang_[kFileToSaveAs],
                                 lang_[kErrorOpening] + QDir::toNativeSeparators(path) + QStringLiteral("' !"));
            return false;
        }
    }
    QString error;
    if (!SaveToFile(path, &error)) {
        QMessageBox::warning(this, lang_[kFileToSaveAs], lang_[kErrorOpening] + QDir::toNativeSeparators(path)
                                                             + QStringLiteral("' !\n") + error);
        return false;
    }
    fileName_ = path;
    return true;
}

void TerminalWindow::OpenCommand()
{
    const QString start = fileName_.isEmpty() ? s_.FolderData : fileName_;
    const QString path = fileChooser ? fileChooser(lang_[kFileToOpen], start, DialogFilter(), false)
                                     : QFileDialog::getOpenFileName(this, lang_[kFileToOpen], start, DialogFilter());
    if (!path.isEmpty())
        OpenCommandFrom(path);
}

bool TerminalWindow::OpenCommandFrom(const QString& path)
{
    ShowTerminal();
    QString error;
    if (LoadFromFile(path, &error))
        return true;
    QMessageBox::warning(this, lang_[kFileToOpen], lang_[kErrorOpening] + QDir::toNativeSeparators(path)
                                                       + QStringLiteral("' !\n") + error);
    return false;
}

// ---------------------------------------------------------------- events

bool TerminalWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txt_ && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        CopyTerminal(); // also with nothing selected: then the whole text
        return true;
    }
    if (watched == txt_->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            // A double-click makes room to read: the window is maximised (and back).
            if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
                sub->isMaximized() ? sub->showNormal() : sub->showMaximized();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            Q_EMIT EditEntriesEnabled(HasSelection());
        else if (event->type() == QEvent::MouseButtonRelease
                 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            Q_EMIT EditEntriesEnabled(!IsEmpty());
    }
    return QWidget::eventFilter(watched, event);
}

void TerminalWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event); // the main window notes a user's resize of the sub-window
}

void TerminalWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    StoreFont();
    s_.ConfigChanged = true;
    s_.TerminalVisible = false;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
    Q_EMIT ClosedByUser();
}
