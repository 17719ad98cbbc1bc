#include "core/help/aboutinfo.h"

#include "core/model/appstate.h"
#include "core/help/languagetable.h"

#include <QLibraryInfo>
#include <QSysInfo>

namespace {
enum Texts {
    kVersion = 137, kProgram = 138, kDescription = 143, kUserName = 189, kCompanyName = 190, kSystemName = 192,
    kFolderData = 193, kFolderSettings = 194, kSettings = 26,
};

bool Known(const QString& text) { return !text.trimmed().isEmpty() && text != QLatin1String("unknown"); }
} // namespace

MachineFacts MachineFacts::Current()
{
    MachineFacts m;
    m.qtVersion = QLibraryInfo::version().toString();
    m.distribution = QSysInfo::prettyProductName();
    m.kernel = QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
    m.architecture = QSysInfo::currentCpuArchitecture();
    m.host = QSysInfo::machineHostName();
    return m;
}

std::vector<AboutFact> ProgramFacts(const AppState& s, const LanguageTable& lang)
{
    std::vector<AboutFact> facts{
        {lang[kProgram], QStringLiteral("VAM")},
        {lang[kVersion], QStringLiteral(VAM_VERSION)},
        {QString(), lang[kDescription]},
        {lang[kUserName], s.UserName},
    };
    if (!s.Organisation.isEmpty())
        facts.push_back({lang[kCompanyName], s.Organisation});
    return facts;
}

std::vector<AboutFact> SystemFacts(const AppState& s, const LanguageTable& lang, const MachineFacts& m)
{
    if (!Known(m.distribution) && !Known(m.kernel.section(QLatin1Char(' '), 1)))
        return {};
    std::vector<AboutFact> facts;
    const auto add = [&](const QString& label, const QString& value) {
        if (Known(value))
            facts.push_back({label, value});
    };
    add(QStringLiteral("Qt"), m.qtVersion);
    add(QStringLiteral("Linux"), m.distribution);
    add(QStringLiteral("Kernel"), m.kernel);
    add(QStringLiteral("CPU"), m.architecture);
    add(lang[kSystemName], m.host);
    add(lang[kFolderData], s.FolderData);
    add(lang[kFolderSettings], s.FolderSettings);
    add(QStringLiteral("Help"), s.FolderHelp);
    add(lang[kSettings], s.ConfigFileName);
    return facts;
}

QString AboutText(const std::vector<AboutFact>& facts)
{
    QString text;
    for (const AboutFact& f : facts)
        text += (f.label.isEmpty() ? f.value : f.label + QStringLiteral(": ") + f.value) + QLatin1Char('\n');
    return text;
}
