#include "core/help/languagetable.h"

#include <QFile>

// The language files live in this static library's resources, which a
// static link does not register by itself.
static void InitLanguageResources() { Q_INIT_RESOURCE(languages); }

namespace {
using Entries = std::array<QString, LanguageTable::kSize>;

QString Unescape(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\\') && i + 1 < s.size()) {
            const QChar n = s[++i];
            if (n == QLatin1Char('r')) out += QLatin1Char('\r');
            else if (n == QLatin1Char('n')) out += QLatin1Char('\n');
            else if (n == QLatin1Char('t')) out += QLatin1Char('\t');
            else out += n; // "\\" and any other escaped character stand for themselves
        } else {
            out += c;
        }
    }
    return out;
}

const Entries& Filler(qint16 language)
{
    // Each file is parsed once; switching languages only copies strings.
    static const std::array<Entries, 3> tables = [] {
        InitLanguageResources();
        std::array<Entries, 3> t;
        const char* const files[3] = {":/i18n/lang_en.txt", ":/i18n/lang_fr.txt", ":/i18n/lang_nl.txt"};
        for (size_t i = 0; i < 3; ++i) {
            QFile f{QString::fromLatin1(files[i])};
            if (f.open(QIODevice::ReadOnly))
                t[i] = ParseLanguageFile(f.readAll());
        }
        return t;
    }();
    return tables[size_t(language)];
}
} // namespace

Entries ParseLanguageFile(const QByteArray& utf8, int* setCount)
{
    Entries e;
    int count = 0;
    const QString text = QString::fromUtf8(utf8);
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        bool ok = false;
        const int index = line.left(tab).toInt(&ok);
        if (!ok || index < 0 || index >= LanguageTable::kSize)
            continue;
        e[size_t(index)] = Unescape(line.mid(tab + 1));
        ++count;
    }
    if (setCount)
        *setCount = count;
    return e;
}

LanguageTable::LanguageTable()
{
    qint16 english = English;
    SetLanguage(english);
}

void LanguageTable::SetLanguage(qint16& index)
{
    if (index != French && index != Dutch)
        index = English;
    // The filler overwrites every entry, so nothing of the previous language
    // survives in an entry the new one leaves unset.
    entries_ = Filler(index);
    current_ = index;
    static const char* const kHelp[3] = {"HelpEN", "HelpFR", "HelpNL"};
    helpCommand_ = QStringLiteral("cmd /c start ") + QLatin1String(kHelp[index]) + QLatin1Char('\\');
}

qint16 LanguageTable::LanguageIndexFromName(const QString& name)
{
    for (qint16 i = English; i <= Dutch; ++i) {
        qint16 index = i;
        SetLanguage(index);
        if (Text(kLanguageNameIndex) == name)
            return i;
    }
    return English;
}

const QString& LanguageTable::Text(int n) const
{
    static const QString empty;
    return (n >= 0 && n < kSize) ? entries_[size_t(n)] : empty;
}

QString LanguageTable::HelpFolderName() const
{
    static const char* const kHelp[3] = {"HelpEN", "HelpFR", "HelpNL"};
    return QLatin1String(kHelp[current_]);
}
