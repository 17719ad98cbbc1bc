#include "core/terminal/rtftext.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

// Windows-1252 at 0x80..0x9F, where it differs from Latin-1; RTF from word
// processors declares that code page and uses it for quotes, dashes and "€".
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar FromCodePage(unsigned char b)
{
    if (b >= 0x80 && b < 0xA0)
        return QChar(kCp1252High[b - 0x80]);
    return QChar(b);
}

void AppendNumber(QByteArray& out, int n) { out += QByteArray::number(n); }

// One character of body text. Latin-1 letters go as \'hh: the same bytes in
// Windows-1252, which the header declares.
void AppendEscaped(QByteArray& out, QChar ch)
{
    const char16_t u = ch.unicode();
    if (u == '\\' || u == '{' || u == '}') {
        out += '\\';
        out += char(u);
    } else if (u == '\n') {
        out += "\\par\r\n";
    } else if (u == '\t') {
        out += "\\tab ";
    } else if (u >= 0x20 && u < 0x7F) {
        out += char(u);
    } else if (u >= 0xA0 && u <= 0xFF) {
        static const char hex[] = "0123456789abcdef";
        out += "\\'";
        out += hex[u >> 4];
        out += hex[u & 0xF];
    } else {
        // \uN takes a signed 16-bit number; "?" is the fallback \uc1 skips.
        out += "\\u";
        AppendNumber(out, int(qint16(u)));
        out += '?';
    }
}

QByteArray ColorEntry(ColorValue c)
{
    QByteArray e = "\\red";
    AppendNumber(e, ColorRed(c));
    e += "\\green";
    AppendNumber(e, ColorGreen(c));
    e += "\\blue";
    AppendNumber(e, ColorBlue(c));
    e += ';';
    return e;
}

// ------------------------------------------------------------------ reader

struct ColorEntryRead {
    ColorValue color = 0;
    bool automatic = true;
};

enum class Dest { Body, FontTable, ColorTable, Skip };

struct Group {
    Dest dest = Dest::Body;
    int color = 0;
    int uc = 1;
    int font = -1;
    int halfPoints = 0;
    bool bold = false, italic = false, underline = false, strike = false;
};

bool IsSkippedDestination(const QByteArray& w)
{
    static const char* const names[] = {
        "stylesheet", "info", "pict", "object", "objdata", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "xe", "tc", "txe", "rxe",
        "listtable", "listoverridetable", "listtext", "pntext", "pntxta", "pntxtb", "revtbl", "rsidtbl",
        "filetbl", "template", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
        "xmlnstbl", "private", "userprops", "nonshppict", "fldinst", "bkmkstart", "bkmkend", "atnid",
        "atnauthor", "comment", "author", "operator", "title", "subject", "keywords", "doccomm"};
    for (const char* n : names) {
        if (w == n)
            return true;
    }
    return false;
}

class RtfReader {
public:
    RtfReader(const QByteArray& data, ColorValue autoColor) : d_(data), autoColor_(autoColor) {}

    RtfDocument Read()
    {
        const int n = int(d_.size());
        // Skip to the opening brace; LooksLikeRtf has been checked.
        while (p_ < n && d_[p_] != '{')
            ++p_;
        while (p_ < n && !done_) {
            const char c = d_[p_++];
            if (c == '{')
                Open();
            else if (c == '}')
                Close();
            else if (c == '\\')
                Control();
            else if ((c >= 0 && c < 0x20 && c != '\t') || c == 0x7F)
                continue; // line ends in the file carry no text; stray control bytes neither
            else
                Text(FromCodePage(static_cast<unsigned char>(c)), c == ';');
        }
        if (!fontCaptured_)
            CaptureFont(stack_.empty() ? Group() : stack_.back());
        return std::move(doc_);
    }

private:
    static constexpr int kMaxDepth = 256;

    Group& Top() { return stack_.back(); }

    void Open()
    {
        skipChars_ = 0;
        if (stack_.size() >= size_t(kMaxDepth)) {
            ++overflow_; // too deep to be real formatting: read on with the current state
            return;
        }
        stack_.push_back(stack_.empty() ? Group() : stack_.back());
    }

    void Close()
    {
        skipChars_ = 0;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (stack_.empty()) {
            done_ = true;
            return;
        }
        const Dest closing = Top().dest;
        if (closing == Dest::FontTable)
            EndFontName();
        stack_.pop_back();
        if (stack_.empty())
            done_ = true; // the document's own group has ended
    }

    // A control word's letters and its optional signed number; a blank after
    // it belongs to the word.
    void Control()
    {
        const int n = int(d_.size());
        if (p_ >= n)
            return;
        const char c = d_[p_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++p_;
            Symbol(c);
            return;
        }
        QByteArray word;
        while (p_ < n && std::isalpha(static_cast<unsigned char>(d_[p_]))) {
            if (word.size() < 32)
                word += d_[p_];
            ++p_;
        }
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (p_ < n && d_[p_] == '-' && p_ + 1 < n && std::isdigit(static_cast<unsigned char>(d_[p_ + 1]))) {
            negative = true;
            ++p_;
        }
        while (p_ < n && std::isdigit(static_cast<unsigned char>(d_[p_]))) {
            hasParam = true;
            param = std::min<long long>(param * 10 + (d_[p_] - '0'), 1000000000LL);
            ++p_;
        }
        if (p_ < n && d_[p_] == ' ')
            ++p_;
        Word(word, hasParam, int(negative ? -param : param));
    }

    void Symbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Text(QChar(char16_t(c)));
            break;
        case '~':
            Text(QChar(0x00A0));
            break;
        case '_':
            Text(QChar('-'));
            break;
        case '\'': {
            const int a = p_ < d_.size() ? HexValue(d_[p_]) : -1;
            const int b = p_ + 1 < d_.size() ? HexValue(d_[p_ + 1]) : -1;
            if (a < 0 || b < 0)
                return;
            p_ += 2;
            Text(FromCodePage(static_cast<unsigned char>(a * 16 + b)));
            break;
        }
        case '*':
            if (!stack_.empty())
                Top().dest = Dest::Skip; // an optional destination we do not use
            break;
        case '\r':
        case '\n':
            Text(QChar('\n'));
            break;
        default:
            break; // \- \| \: and the like carry no text
        }
    }

    static int HexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void Word(const QByteArray& w, bool hasParam, int param)
    {
        if (w == "bin") {
            // Binary data: skip it without reading it as text.
            if (hasParam && param > 0)
                p_ += std::min(param, int(d_.size()) - p_);
            return;
        }
        if (w != "u")
            skipChars_ = 0;
        if (stack_.empty())
            return;
        Group& g = Top();
        if (g.dest == Dest::Skip)
            return;
        const bool on = !hasParam || param != 0;
        if (w == "fonttbl") {
            g.dest = Dest::FontTable;
            fontNum_ = -1;
            fontName_.clear();
        } else if (w == "colortbl") {
            g.dest = Dest::ColorTable;
            entry_ = ColorEntryRead();
        } else if (IsSkippedDestination(w)) {
            g.dest = Dest::Skip;
        } else if (g.dest == Dest::ColorTable) {
            if (w == "red" || w == "green" || w == "blue") {
                const int v = std::clamp(param, 0, 255);
                const int shift = w == "red" ? 0 : (w == "green" ? 8 : 16);
                entry_.color = (entry_.color & ~(ColorValue(0xFF) << shift)) | (ColorValue(v) << shift);
                entry_.automatic = false;
            }
        } else if (g.dest == Dest::FontTable) {
            if (w == "f" && hasParam)
                fontNum_ = param;
        } else if (w == "deff" && hasParam) {
            deff_ = param;
        } else if (w == "f" && hasParam) {
            g.font = param;
        } else if (w == "fs" && hasParam) {
            g.halfPoints = std::max(0, param);
        } else if (w == "cf") {
            g.color = hasParam ? std::max(0, param) : 0;
        } else if (w == "b") {
            g.bold = on;
        } else if (w == "i") {
            g.italic = on;
        } else if (w == "ul") {
            g.underline = on;
        } else if (w == "ulnone") {
            g.underline = false;
        } else if (w == "strike") {
            g.strike = on;
        } else if (w == "plain") {
            g.bold = g.italic = g.underline = g.strike = false;
            g.color = 0;
            g.halfPoints = 0;
        } else if (w == "uc" && hasParam) {
            g.uc = std::clamp(param, 0, 8);
        } else if (w == "u" && hasParam) {
            skipChars_ = 0;
            Text(QChar(char16_t(param < 0 ? param + 65536 : param)));
            skipChars_ = g.uc;
        } else if (w == "par" || w == "line" || w == "sect" || w == "page" || w == "row") {
            Text(QChar('\n'));
        } else if (w == "tab" || w == "cell") {
            Text(QChar('\t'));
        } else if (w == "emdash") {
            Text(QChar(0x2014));
        } else if (w == "endash") {
            Text(QChar(0x2013));
        } else if (w == "bullet") {
            Text(QChar(0x2022));
        } else if (w == "lquote") {
            Text(QChar(0x2018));
        } else if (w == "rquote") {
            Text(QChar(0x2019));
        } else if (w == "ldblquote") {
            Text(QChar(0x201C));
        } else if (w == "rdblquote") {
            Text(QChar(0x201D));
        }
        // Everything else is layout we do not keep.
    }

    void EndFontName()
    {
        const QString name = fontName_.trimmed();
        if (!name.isEmpty() && fontNum_ >= 0 && fonts_.size() < 4096)
            fonts_.emplace_back(fontNum_, name);
        fontName_.clear();
        fontNum_ = -1;
    }

    void Text(QChar ch, bool semicolon = false)
    {
        if (skipChars_ > 0) {
            --skipChars_; // the fallback of a \uN
            return;
        }
        if (stack_.empty())
            return;
        Group& g = Top();
        switch (g.dest) {
        case Dest::Skip:
            return;
        case Dest::FontTable:
            if (semicolon)
                EndFontName();
            else if (fontName_.size() < 256)
                fontName_ += ch;
            return;
        case Dest::ColorTable:
            if (semicolon) {
                if (colors_.size() < 4096)
                    colors_.push_back(entry_);
                entry_ = ColorEntryRead();
            }
            return;
        case Dest::Body:
            break;
        }
        if (ch.isNull() || ch == QLatin1Char('\r'))
            return;
        if (ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator)
            ch = QLatin1Char('\n');
        if (!fontCaptured_)
            CaptureFont(g);
        ColorValue color = autoColor_;
        if (size_t(g.color) < colors_.size() && !colors_[size_t(g.color)].automatic)
            color = colors_[size_t(g.color)].color;
        if (doc_.runs.empty() || doc_.runs.back().color != color)
            doc_.runs.push_back({QString(), color});
        doc_.runs.back().text += ch;
    }

    QString FontName(int num) const
    {
        for (const auto& f : fonts_) {
            if (f.first == num)
                return f.second;
        }
        return {};
    }

    void CaptureFont(const Group& g)
    {
        fontCaptured_ = true;
        RtfFont& f = doc_.font;
        f.name = FontName(g.font >= 0 ? g.font : deff_);
        if (f.name.isEmpty() && !fonts_.empty())
            f.name = fonts_.front().second;
        f.pointSize = g.halfPoints / 2;
        f.bold = g.bold;
        f.italic = g.italic;
        f.underline = g.underline;
        f.strikeout = g.strike;
    }

    const QByteArray& d_;
    ColorValue autoColor_;
    int p_ = 0;
    bool done_ = false;
    int overflow_ = 0;
    int skipChars_ = 0;
    std::vector<Group> stack_;
    std::vector<ColorEntryRead> colors_;
    ColorEntryRead entry_;
    std::vector<std::pair<int, QString>> fonts_;
    int fontNum_ = -1;
    QString fontName_;
    int deff_ = 0;
    bool fontCaptured_ = false;
    RtfDocument doc_;
};

} // namespace

QString RtfDocument::PlainText() const
{
    QString out;
    for (const RtfRun& r : runs)
        out += r.text;
    return out;
}

QByteArray WriteRtf(const RtfDocument& doc)
{
    // Colour table entry 0 stays "automatic"; our colours follow in order of use.
    std::vector<ColorValue> colors;
    auto colorIndex = [&colors](ColorValue c) {
        c = ResolveColorFallback(c) & 0xFFFFFFu;
        auto it = std::find(colors.begin(), colors.end(), c);
        if (it == colors.end()) {
            colors.push_back(c);
            return int(colors.size());
        }
        return int(it - colors.begin()) + 1;
    };

    QByteArray body;
    int current = -1;
    for (const RtfRun& run : doc.runs) {
        if (run.text.isEmpty())
            continue;
        const int index = colorIndex(run.color);
        if (index != current) {
            body += "\\cf";
            AppendNumber(body, index);
            body += ' ';
            current = index;
        }
        for (QChar ch : run.text) {
            if (ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator)
                ch = QLatin1Char('\n');
            if (ch != QLatin1Char('\r'))
                AppendEscaped(body, ch);
        }
    }

    QString name = doc.font.name;
    name.remove(QLatin1Char(';')).remove(QLatin1Char('{')).remove(QLatin1Char('}')).remove(QLatin1Char('\\'));
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Courier New");

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
    for (QChar ch : name)
        AppendEscaped(out, ch);
    out += ";}}\r\n{\\colortbl ;";
    for (ColorValue c : colors)
        out += ColorEntry(c);
    out += "}\r\n\\viewkind4\\pard\\plain\\f0";
    if (doc.font.pointSize > 0) {
        out += "\\fs";
        AppendNumber(out, doc.font.pointSize * 2);
    }
    if (doc.font.bold)
        out += "\\b";
    if (doc.font.italic)
        out += "\\i";
    if (doc.font.underline)
        out += "\\ul";
    if (doc.font.strikeout)
        out += "\\strike";
    out += ' ';
    out += body;
    out += "}\r\n";
    return out;
}

bool LooksLikeRtf(const QByteArray& data)
{
    int i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.mid(i, 5) == "{\\rtf";
}

RtfDocument ReadRtf(const QByteArray& data, ColorValue autoColor)
{
    if (!LooksLikeRtf(data)) {
        RtfDocument doc;
        const QString text = ReadPlainText(data);
        if (!text.isEmpty())
            doc.runs.push_back({text, autoColor});
        return doc;
    }
    return RtfReader(data, autoColor).Read();
}

QByteArray WritePlainText(const QString& text)
{
    QString t = text;
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toLatin1();
}

QString ReadPlainText(const QByteArray& data)
{
    QString t = QString::fromLatin1(data);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}
