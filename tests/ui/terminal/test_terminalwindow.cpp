// The terminal window under the offscreen platform: sent and received text in
// their colours, the size bound, copy, clear, closing, and saving and opening
// ".txt" and ".rtf" files.

#include "core/model/appstate.h"
#include "core/terminal/rtftext.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"
#include "ui/terminal/terminalwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr ColorValue kOut = 0xFF00FF;
constexpr ColorValue kIn = MakeColor(0, 0, 160);

struct TerminalWindowTest : testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.TerminalColorOut = kOut;
        state.TerminalColorIn = kIn;
        state.TerminalVisible = true;
        state.FolderData = dir.path();
        window.resize(500, 300);
        window.show();
    }
    void Sent(const QString& s) { window.ToevoegenTextBox(s, state.TerminalColorOut); }
    void Received(const QString& s) { window.ToevoegenTextBox(s, state.TerminalColorIn); }
    // The colour of the character at `pos` of the text.
    ColorValue ColorAt(int pos) const
    {
        QTextCursor c(window.TextBox()->document());
        c.setPosition(pos + 1);
        return FromQColor(c.charFormat().foreground().color());
    }
    // The colours of the whole text, one letter per character: 'o' sent,
    // 'i' received, '?' anything else; line breaks as '\n'.
    QString ColorMap() const
    {
        const QString text = window.Text();
        QString map;
        for (int i = 0; i < text.size(); ++i) {
            const ColorValue c = ColorAt(i);
            map += text[i] == QLatin1Char('\n') ? QLatin1Char('\n')
                                                 : QLatin1Char(c == kOut ? 'o' : c == kIn ? 'i' : '?');
        }
        return map;
    }
    QByteArray FileBytes(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Answers the next message box with `answer` once it is up.
    void Answer(QMessageBox::StandardButton answer, int triesLeft = 500)
    {
        QTimer::singleShot(10, [this, answer, triesLeft] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                box->button(answer)->click();
            } else if (triesLeft > 0) {
                Answer(answer, triesLeft - 1);
            } else {
                ADD_FAILURE() << "no message box";
            }
        });
    }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    TerminalWindow window{state, lang};
    QString question;
};

} // namespace

TEST_F(TerminalWindowTest, TrafficInItsColours)
{
    // A poll, then a reply in pieces with the meter's own characters, a NUL,
    // and a CR LF split between two pieces.
    Sent(QStringLiteral("C\r\n"));
    Received(QStringLiteral("25.0 \u00f8"));
    Received(QStringLiteral("C\r"));
    Received(QStringLiteral("\n12") + QChar(0) + QStringLiteral(".5 \u00e6S 3 \u00ea\r\n"));
    Sent(QStringLiteral("C\r\n"));
    Received(QStringLiteral("OK\rnext"));
    EXPECT_EQ(window.Text(), QStringLiteral("C\n25.0 \u00b0C\n12.5 \u00b5S 3 Ohm\nC\nOK\nnext"));
    // "ê" becomes three letters: all of them take the colour of their piece.
    EXPECT_EQ(ColorMap(), QStringLiteral("o\niiiiiii\niiiiiiiiiiiii\no\nii\niiii"));

    // Hidden, the terminal collects nothing; shown again, only new traffic.
    const QString before = window.Text();
    state.TerminalVisible = false;
    Received(QStringLiteral("lost\r\n"));
    EXPECT_EQ(window.Text(), before);
    state.TerminalVisible = true;
    Received(QStringLiteral("!"));
    EXPECT_EQ(window.Text(), before + QStringLiteral("!"));
}

TEST_F(TerminalWindowTest, SizeBoundDropsTheOldestText)
{
    window.SetMaxChars(1000);
    for (int n = 0; n < 300; ++n)
        Received(QStringLiteral("line %1\r\n").arg(n, 4, 10, QLatin1Char('0')));
    const QString text = window.Text();
    EXPECT_LE(window.TextBox()->document()->characterCount(), 1000);
    EXPECT_GE(text.size(), 500);
    EXPECT_TRUE(text.endsWith(QStringLiteral("line 0299\n")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("line "))) << "cut at a line start";
    EXPECT_FALSE(text.contains(QStringLiteral("line 0000")));
    // What is kept is the newest text, in order and in its colours.
    const int first = text.left(9).mid(5).toInt();
    EXPECT_EQ(text.count(QLatin1Char('\n')), 300 - first);
    EXPECT_EQ(ColorAt(0), kIn);

    // A meter that never ends a line is bounded just the same.
    window.Clear();
    for (int n = 0; n < 500; ++n)
        Received(QStringLiteral("0123456789"));
    EXPECT_LE(window.TextBox()->document()->characterCount(), 1000);
    EXPECT_TRUE(window.Text().endsWith(QStringLiteral("0123456789")));
}

TEST_F(TerminalWindowTest, CopyAndClear)
{
    QSignalSpy lastAction(&window, &TerminalWindow::LastAction);
    Sent(QStringLiteral("C\r\n"));
    Received(QStringLiteral("25.0 C\r\n1.5 mV"));

    // Nothing selected: the whole text, with CR LF line ends.
    window.CopyTerminal();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("C\r\n25.0 C\r\n1.5 mV"));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasHtml());
    ASSERT_EQ(lastAction.count(), 1);
    EXPECT_EQ(lastAction[0][0].toString(), QStringLiteral("Edit > Copy"));

    // A selection over a line break: just that.
    QSignalSpy selection(&window, &TerminalWindow::SelectionChanged);
    QTextCursor c(window.TextBox()->document());
    c.setPosition(4);
    c.setPosition(11, QTextCursor::KeepAnchor);
    window.TextBox()->setTextCursor(c);
    EXPECT_TRUE(window.HasSelection());
    EXPECT_EQ(selection.count(), 1);
    QTest::keySequence(window.TextBox(), QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(".0 C\r\n1."));

    // New traffic leaves the user's selection alone.
    Received(QStringLiteral("\r\nmore"));
    EXPECT_EQ(window.TextBox()->textCursor().selectedText(), QStringLiteral(".0 C\u20291."));

    window.Clear();
    EXPECT_TRUE(window.IsEmpty());
    EXPECT_EQ(window.Text(), QString());
    window.CopyTerminal();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
    // A CR before the clear does not swallow the next piece's LF.
    Received(QStringLiteral("x\r"));
    window.Clear();
    Received(QStringLiteral("\ny"));
    EXPECT_EQ(window.Text(), QStringLiteral("\ny"));
}

TEST_F(TerminalWindowTest, CloseHidesAndKeepsTheText)
{
    Received(QStringLiteral("kept"));
    state.TerminalFontSize = 9;
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPointSize(12);
    f.setItalic(true);
    window.TextBox()->setFont(f);
    state.ConfigChanged = false;
    QSignalSpy closed(&window, &TerminalWindow::ClosedByUser);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(state.TerminalVisible);
    EXPECT_TRUE(state.ConfigChanged);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(state.TerminalFontSize, 12);
    EXPECT_TRUE(state.TerminalFontItalic);

    QSignalSpy shown(&window, &TerminalWindow::ShownByCommand);
    window.ShowTerminal();
    window.ShowTerminal(); // never hides, never shows twice
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(state.TerminalVisible);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(window.Text(), QStringLiteral("kept"));
}

TEST_F(TerminalWindowTest, SaveAndOpenRoundTrip)
{
    auto traffic = [this] {
        window.Clear();
        Sent(QStringLiteral("C\r\n"));
        Received(QStringLiteral("25.0 \u00f8C {x} \\ \u00e6S\r\n"));
        Sent(QStringLiteral("D\r\n"));
    };
    traffic();
    const QString text = window.Text();
    const QString colors = ColorMap();

    struct Case {
        const char* file;
        bool keepsColours;
    };
    for (const Case& c : {Case{"t.txt", false}, Case{"t.rtf", true}, Case{"T.RTF", true},
                          Case{"t.rtf.txt", false}, Case{"noext", false}}) {
        SCOPED_TRACE(c.file);
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        traffic();
        QString error;
        ASSERT_TRUE(window.SaveToFile(path, &error)) << error.toStdString();
        const QByteArray bytes = FileBytes(path);
        EXPECT_EQ(bytes.startsWith("{\\rtf1"), c.keepsColours);
        if (!c.keepsColours) {
            EXPECT_EQ(bytes, QByteArray("C\r\n25.0 \xb0" "C {x} \\ \xb5S\r\nD\r\n"));
        }

        // Opening replaces whatever the terminal holds.
        window.Clear();
        Received(QStringLiteral("old"));
        ASSERT_TRUE(window.LoadFromFile(path, &error)) << error.toStdString();
        EXPECT_EQ(window.Text(), text);
        EXPECT_EQ(ColorMap(), c.keepsColours ? colors : QString(colors).replace(QLatin1Char('o'), QLatin1Char('i')));
        EXPECT_EQ(window.FileName(), path);
    }

    // A file that cannot be read or written leaves the text as it was.
    const QString before = window.Text();
    QString error;
    EXPECT_FALSE(window.LoadFromFile(dir.filePath(QStringLiteral("missing.rtf")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(window.SaveToFile(dir.filePath(QStringLiteral("no/such/folder/x.txt"))));
    EXPECT_EQ(window.Text(), before);

    // Damaged rich text still opens with what it holds.
    const QString damaged = dir.filePath(QStringLiteral("damaged.rtf"));
    WriteFile(damaged, "{\\rtf1{\\colortbl;\\red0\\green0\\blue160;}\\cf1 half a li");
    ASSERT_TRUE(window.LoadFromFile(damaged));
    EXPECT_EQ(window.Text(), QStringLiteral("half a li"));
}

TEST_F(TerminalWindowTest, SaveCommandKeepsTheOldVersion)
{
    const QString path = dir.filePath(QStringLiteral("log.rtf"));
    const QString backup = dir.filePath(QStringLiteral("log.bak"));
    WriteFile(path, "first version");
    WriteFile(backup, "older backup");
    Received(QStringLiteral("new text"));

    // No: nothing is written.
    Answer(QMessageBox::No);
    EXPECT_FALSE(window.SaveCommandTo(path));
    EXPECT_EQ(question, QStringLiteral("Overwrite existing file?"));
    EXPECT_EQ(FileBytes(path), QByteArray("first version"));
    EXPECT_EQ(FileBytes(backup), QByteArray("older backup"));
    EXPECT_TRUE(window.FileName().isEmpty());

    // Yes: the old file becomes the ".bak" (replacing an older one).
    Answer(QMessageBox::Yes);
    EXPECT_TRUE(window.SaveCommandTo(path));
    EXPECT_EQ(FileBytes(backup), QByteArray("first version"));
    EXPECT_EQ(ReadRtf(FileBytes(path)).PlainText(), QStringLiteral("new text"));
    EXPECT_EQ(window.FileName(), path);

    // A new name is written without a question.
    const QString fresh = dir.filePath(QStringLiteral("fresh.txt"));
    EXPECT_TRUE(window.SaveCommandTo(fresh));
    EXPECT_EQ(FileBytes(fresh), QByteArray("new text"));

    // Open from a hidden terminal shows it, then loads.
    window.close();
    EXPECT_TRUE(window.OpenCommandFrom(backup));
    EXPECT_TRUE(state.TerminalVisible);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Text(), QStringLiteral("first version"));
}
