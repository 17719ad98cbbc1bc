// What the about box tells about the program and the machine.

#include "core/help/aboutinfo.h"
#include "core/model/appstate.h"
#include "core/help/languagetable.h"

#include <gtest/gtest.h>

namespace {
QStringList Labels(const std::vector<AboutFact>& facts)
{
    QStringList out;
    for (const AboutFact& f : facts)
        out << f.label;
    return out;
}
} // namespace

TEST(AboutInfo, ProgramAndSystemFacts)
{
    AppState s;
    LanguageTable lang;
    s.UserName = QStringLiteral("Ann Smith");
    s.FolderData = QStringLiteral("/home/ann/Documents/Velmark/VAM/Data");
    s.FolderSettings = QStringLiteral("/home/ann/Documents/Velmark/VAM/Settings");
    s.ConfigFileName = QStringLiteral("/home/ann/Documents/Velmark/VAM/Settings/VAM.CFG");

    const QString program = AboutText(ProgramFacts(s, lang));
    EXPECT_TRUE(program.contains(QStringLiteral("Version: ") + QStringLiteral(VAM_VERSION))) << qPrintable(program);
    EXPECT_TRUE(program.contains(QStringLiteral("User name: Ann Smith")));
    EXPECT_FALSE(program.contains(QStringLiteral("Company name"))) << "no organisation, no line";
    s.Organisation = QStringLiteral("Acme Labs");
    EXPECT_TRUE(AboutText(ProgramFacts(s, lang)).contains(QStringLiteral("Company name: Acme Labs")));

    const MachineFacts debian{QStringLiteral("6.4.2"), QStringLiteral("Debian GNU/Linux 12 (bookworm)"),
                              QStringLiteral("linux 6.1.0-18-amd64"), QStringLiteral("x86_64"), QString()};
    struct Case {
        const char* what;
        MachineFacts machine;
        QStringList labels;
    } const cases[] = {
        {"a known machine; the empty host is left out", debian,
         {"Qt", "Linux", "Kernel", "CPU", "Folder Data", "Folder Settings", "Settings"}},
        {"only the kernel known", {QStringLiteral("6.4.2"), QStringLiteral("unknown"), QStringLiteral("linux 6.1"), {}, {}},
         {"Qt", "Kernel", "Folder Data", "Folder Settings", "Settings"}},
        {"nothing known about the machine", {QStringLiteral("6.4.2"), QStringLiteral("unknown"), QStringLiteral("unknown "), {}, {}},
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Labels(SystemFacts(s, lang, c.machine)), c.labels) << c.what;
    EXPECT_TRUE(AboutText(SystemFacts(s, lang, debian)).contains(QStringLiteral("Folder Data: ") + s.FolderData));

    // In Dutch the labels follow the language.
    qint16 dutch = 2;
    lang.SetLanguage(dutch);
    EXPECT_NE(Labels(SystemFacts(s, lang, debian)).value(4), QStringLiteral("Folder Data"));
}
