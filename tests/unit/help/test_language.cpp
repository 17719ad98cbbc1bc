#include "core/help/languagetable.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QByteArray Resource(const char* name)
{
    LanguageTable registersResources;
    QFile f(QStringLiteral(":/i18n/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

int Count(const QString& text, const QString& what) { return int(text.count(what)); }
} // namespace

TEST(LanguageTable, FilesSetTheSameEntriesWithTheSamePlaceholders)
{
    int enCount = 0;
    const auto en = ParseLanguageFile(Resource("lang_en.txt"), &enCount);
    EXPECT_EQ(enCount, 345);
    int nonEmpty = 0;
    for (const QString& e : en)
        nonEmpty += e.isEmpty() ? 0 : 1;
    EXPECT_EQ(nonEmpty, 338) << "345 set, of which 148, 166, 167 and 239-242 are set to the empty string";

    for (const char* file : {"lang_fr.txt", "lang_nl.txt"}) {
        SCOPED_TRACE(file);
        int count = 0;
        const auto tr = ParseLanguageFile(Resource(file), &count);
        EXPECT_EQ(count, 345);
        int same = 0;
        for (int i = 0; i < LanguageTable::kSize; ++i) {
            const QString& a = en[size_t(i)];
            const QString& b = tr[size_t(i)];
            EXPECT_EQ(a.isEmpty(), b.isEmpty()) << "entry " << i;
            for (const char* token : {"##", "**", "$$", "\r\n", "&", "%1", "%2", "%3", "%4", "%5"})
                EXPECT_EQ(Count(a, QLatin1String(token)), Count(b, QLatin1String(token))) << "entry " << i << " token " << token;
            EXPECT_EQ(a.startsWith(QLatin1Char(' ')), b.startsWith(QLatin1Char(' '))) << "entry " << i;
            EXPECT_EQ(a.endsWith(QLatin1Char(' ')), b.endsWith(QLatin1Char(' '))) << "entry " << i;
            EXPECT_EQ(a.startsWith(QLatin1Char('\'')), b.startsWith(QLatin1Char('\''))) << "entry " << i;
            EXPECT_EQ(a.endsWith(QLatin1Char('\'')), b.endsWith(QLatin1Char('\''))) << "entry " << i;
            if (!a.isEmpty() && a == b)
                ++same;
        }
        EXPECT_LT(same, 30) << "translations, not copies";
    }
}

TEST(LanguageTable, TellingEntries)
{
    LanguageTable t;
    const struct { qint16 language; int index; const char* text; } cases[] = {
        {0, 0, "&File"}, {0, 169, "Software error:\r\n Nr. ##\r\n Description = **\r\n Source = $$\r\n\r\nAn unresolved error has occurred.\r\nChoose a button to handle!\r\n\r\n"},
        {0, 257, "Show graphs successively. \\/: new"}, {0, 136, "Receive ON: "}, {0, 349, "English"},
        {1, 0, "&Fichier"}, {1, 26, "Configuration"}, {1, 349, "Fran\xc3\xa7" "ais"},
        {1, 143, "Logiciel \xc3\xa0 sauvegarder et envisager des donn\xc3\xa9" "es provenant des instruments Velmark."},
        {2, 0, "&Bestand"}, {2, 26, "Instellingen"}, {2, 349, "Nederlands"},
        {2, 143, "Programma voor het opslaan en het bekijken van gegevens afkomstig van Velmark meetapparatuur."},
    };
    for (const auto& c : cases) {
        qint16 lang = c.language;
        t.SetLanguage(lang);
        EXPECT_EQ(t[c.index], QString::fromUtf8(c.text)) << "language " << c.language << " entry " << c.index;
    }
    qint16 en = 0, fr = 1, nl = 2;
    t.SetLanguage(en);
    const QString threeLanguages = t[175];
    t.SetLanguage(fr);
    EXPECT_EQ(t[175], threeLanguages);
    t.SetLanguage(nl);
    EXPECT_EQ(t[175], threeLanguages);
}

TEST(LanguageTable, SwitchingRules)
{
    LanguageTable t;
    EXPECT_EQ(t[349], QStringLiteral("English")) << "a new table is English";
    EXPECT_EQ(t.CurrentLanguage(), 0);

    for (qint16 wrong : {qint16(5), qint16(-1), qint16(3)}) {
        qint16 index = wrong;
        t.SetLanguage(index);
        EXPECT_EQ(index, 0) << "the caller's variable is set back to English";
        EXPECT_EQ(t[349], QStringLiteral("English"));
    }

    qint16 fr = 1;
    t.SetLanguage(fr);
    EXPECT_EQ(fr, 1);
    EXPECT_EQ(t.HelpCommand(), QStringLiteral("cmd /c start HelpFR\\"));
    qint16 en = 0;
    t.SetLanguage(en);
    for (int i : {149, 296, 297, 298, 166, 302, 348})
        EXPECT_TRUE(t[i].isEmpty()) << i;
    EXPECT_EQ(t.HelpCommand(), QStringLiteral("cmd /c start HelpEN\\"));
    EXPECT_EQ(t[-1], QString());
    EXPECT_EQ(t[LanguageTable::kSize], QString());
}

TEST(LanguageTable, IndexFromNameLeavesLastTriedTableLoaded)
{
    LanguageTable t;
    const struct { const char* name; qint16 index; const char* loaded; } cases[] = {
        {"English", 0, "English"},
        {"Fran\xc3\xa7" "ais", 1, "Fran\xc3\xa7" "ais"},
        {"Nederlands", 2, "Nederlands"},
        {"english", 0, "Nederlands"},   // exact comparison: no match, the Dutch table stays
        {"", 0, "Nederlands"},
        {"Deutsch", 0, "Nederlands"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(t.LanguageIndexFromName(QString::fromUtf8(c.name)), c.index) << c.name;
        EXPECT_EQ(t[349], QString::fromUtf8(c.loaded)) << c.name;
    }
}

TEST(LanguageTable, ParseLanguageFileUnescapesAndIgnoresJunk)
{
    int count = 0;
    const auto e = ParseLanguageFile("3\tA\\r\\nB\\\\C\r\nnot a line\n400\tout of range\n-1\tneg\n7\t\n", &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(e[3], QStringLiteral("A\r\nB\\C"));
    EXPECT_TRUE(e[7].isEmpty());
}

// The program's later messages (from 350 on) are in every language, so a
// French or Dutch user reads them in French or Dutch; the words that fill
// them in go where the English ones go.
TEST(LanguageTable, LaterMessagesSpeakTheChosenLanguage)
{
    LanguageTable t;
    const struct {
        qint16 language;
        const char* silentStart; // entry 350 filled in
    } cases[] = {
        {0, "No answer from the H264 on /dev/ttyUSB0 since 10:15:30."},
        {1, "Pas de r\xc3\xa9ponse du H264 sur /dev/ttyUSB0 depuis 10:15:30."},
        {2, "Geen antwoord van de H264 op /dev/ttyUSB0 sinds 10:15:30."},
    };
    for (const auto& c : cases) {
        qint16 language = c.language;
        t.SetLanguage(language);
        SCOPED_TRACE(language);
        for (int i = 350; i <= 365; ++i)
            EXPECT_FALSE(t[i].isEmpty()) << "entry " << i;
        EXPECT_TRUE(t[350].arg(QStringLiteral("H264"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("10:15:30"))
                        .startsWith(QString::fromUtf8(c.silentStart)));
    }
}
