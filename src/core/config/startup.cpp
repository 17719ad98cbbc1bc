#include "core/config/startup.h"

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "platform/core/systeminfo.h"
#include "platform/core/ziparchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
// Language-table entries used here.
constexpr int kAskSaveSettings = 82;
constexpr int kSettingsSaved = 83;
constexpr int kNonExistingFile = 151;
constexpr int kSoftwareError = 169;
constexpr int kFolderError = 203;
constexpr int kWriteSettingsError = 212;
constexpr int kAskStopLogging = 285;

const QString kDefaultDevice = QStringLiteral("J7010");

QString InFolder(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

// Replaces each placeholder once, in one pass, so that a description that
// itself holds "$$" or "##" is shown as it is.
QString FillPlaceholders(const QString& text, const QList<QPair<QString, QString>>& values)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [key, value] : values) {
            if (QStringView(text).mid(i).startsWith(key)) {
                out += value;
                i += key.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text.at(i++);
    }
    return out;
}

QString WriteError(const LanguageTable& lang, const QString& path)
{
    return FillPlaceholders(lang[kWriteSettingsError], {{QStringLiteral("##"), path}});
}

// A child of `folder` named `name` in any case.
QString FindNoCase(const QString& folder, const QString& name, QDir::Filters filter)
{
    const QDir dir(folder);
    if (dir.exists(name))
        return dir.filePath(name);
    for (const QString& entry : dir.entryList(filter | QDir::Hidden | QDir::NoDotAndDotDot))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return {};
}
} // namespace

// ---------------------------------------------------------------- once per run

StartupEnvironment CurrentEnvironment()
{
    StartupEnvironment env;
    env.DocumentsFolder = DocumentsFolder();
    env.UserName = SystemUserName();
    env.SystemName = SystemHostName();
    env.ProgramFolder = QCoreApplication::applicationDirPath();
    env.TimeSeparator = LocaleTimeSeparator();
    env.DateSeparator = LocaleDateSeparator();
    return env;
}

void ApplyConfigTag(AppState& s, const QString& tag)
{
    s.ConfigTag = tag;
    s.ConfigExtension = QLatin1Char('.') + tag;
    s.DefaultConfigName = QStringLiteral("VAM") + s.ConfigExtension;
    s.RegistryApp = QStringLiteral("VAM-") + tag;
}

void ApplyInitialDefaults(AppState& s, const SettingsStore& store, const StartupEnvironment& env)
{
    s.DocumentsFolder = env.DocumentsFolder;
    s.UserName = env.UserName;
    s.SystemName = env.SystemName;
    s.Organisation = store.Organisation();
    s.TimeSeparator = env.TimeSeparator;
    s.DateSeparator = env.DateSeparator;
    s.ApplyDefaults();
    store.LoadPreferences(s);
    s.IconPath = InFolder(env.ProgramFolder, QStringLiteral("VAM-1.ico"));
}

// ---------------------------------------------------------------- each pass

void BeginStartupPass(AppState& s, LanguageTable& lang, const StartupEnvironment& env)
{
    // The index follows the table, so a configuration without a language
    // line leaves the two in step.
    s.LanguageIndex = LanguageTable::English;
    lang.SetLanguage(s.LanguageIndex);
    s.TimeSeparator = env.TimeSeparator;
    s.DateSeparator = env.DateSeparator;
    s.TimeFormat = QStringLiteral("hh:nn:ss");
    s.TableVisible = false;
    s.DataFileReadOnly = false;
    s.LogAtStart = false;
    s.ConnectAtStart = false;
    s.FileLoading = false;
}

void ResolveConfigFileName(AppState& s, const SettingsStore& store, const QString& programFolder)
{
    const QString fallback = InFolder(s.FolderSettings, s.DefaultConfigName);
    QString name = store.ConfigFileName(fallback);
    name.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    if (!QFileInfo(name).isFile()) {
        name = fallback;
        if (!QDir().mkpath(s.FolderSettings))
            name = InFolder(programFolder, s.DefaultConfigName);
    }
    s.ConfigFileName = name;
}

QStringList EnsureFolders(const AppState& s, const LanguageTable& lang)
{
    QStringList messages;
    for (const QString& folder : {s.FolderData, s.FolderSettings})
        if (!folder.isEmpty() && !QDir().mkpath(folder))
            messages << FillPlaceholders(lang[kFolderError], {{QStringLiteral("##"), folder}});
    return messages;
}

bool ApplyStartupFallbacks(AppState& s, double now)
{
    bool deviceChanged = false;
    if (s.DeviceName.isEmpty()) {
        s.DeviceName = kDefaultDevice;
        deviceChanged = ApplyDevice(s, s.DeviceName, now);
    }
    if (s.SerialPort.isEmpty()) {
        s.SerialPort = QStringLiteral("COM1");
        s.ConnectAtStart = false;
    }
    return deviceChanged;
}

void ApplyFirstStartDefaults(AppState& s, const QString& usbAdapter)
{
    s.PollValues = !PollCommandFor(s.DeviceName.isEmpty() ? kDefaultDevice : s.DeviceName).isEmpty();
    if (!usbAdapter.isEmpty())
        s.SerialPort = usbAdapter;
}

StartDataFilePlan PlanStartDataFile(AppState& s, double today)
{
    StartDataFilePlan plan;
    // A file named on the command line is what the user asked for, whether
    // or not the configuration loads its own file at start-up.
    if (s.LogFileName.isEmpty() || !(s.LoadFileAtStart || s.CommandLineFile)) {
        NewDataFileName(s);
        return plan;
    }
    plan.Recent = true;
    const bool dated = s.DatestampFileName && !s.CommandLineFile;
    plan.LoadName = dated ? DatestampedName(s.LogFileName, today) : s.LogFileName;
    plan.RangeName = dated ? s.LogFileName : QString();
    plan.Load = QFileInfo::exists(plan.LoadName) || !(dated || s.CommandLineFile);
    return plan;
}

bool FinishStartupPass(AppState& s)
{
    s.LogActive = false;
    s.Connected = false;
    if (s.ConnectAtStart)
        s.LogActive = s.LogAtStart;
    s.ConfigChanged = false;
    return s.ConnectAtStart;
}

// ---------------------------------------------------------------- help files

QStringList HelpArchiveFolders(const QString& programFolder)
{
    return {programFolder, QDir::cleanPath(programFolder + QStringLiteral("/../share/vam"))};
}

bool HelpFilesInstalled(const QString& helpFolder)
{
    const QString english = FindNoCase(helpFolder, QStringLiteral("helpEN"), QDir::Dirs);
    return !english.isEmpty() && !FindNoCase(english, QStringLiteral("data_windows.htm"), QDir::Files).isEmpty();
}

QString HelpTopicPath(const QString& helpFolder, int languageIndex, const QString& topic)
{
    if (helpFolder.isEmpty() || !QFileInfo(helpFolder).isDir())
        return {};
    static const char* const kFolders[] = {"helpEN", "helpFR", "helpNL"};
    const QString own = QLatin1String(kFolders[languageIndex == 1 || languageIndex == 2 ? languageIndex : 0]);
    for (const QString& name : {own, QStringLiteral("helpEN")}) {
        const QString folder = FindNoCase(helpFolder, name, QDir::Dirs);
        const QString file = folder.isEmpty() ? QString() : FindNoCase(folder, topic, QDir::Files);
        if (!file.isEmpty())
            return file;
    }
    return QDir(helpFolder).filePath(own + QLatin1Char('/') + topic);
}

HelpInstallResult InstallHelpFiles(const QString& helpFolder, const QStringList& archiveFolders)
{
    HelpInstallResult result;
    if (HelpFilesInstalled(helpFolder)) {
        result.Skipped = true;
        return result;
    }
    if (!QDir().mkpath(helpFolder)) {
        result.Errors << QStringLiteral("%1: the folder cannot be created").arg(helpFolder);
        return result;
    }
    for (const char* name : {"helpEN.zip", "helpNL.zip", "helpFR.zip"}) {
        QString archive;
        for (const QString& folder : archiveFolders) {
            const QString candidate = InFolder(folder, QLatin1String(name));
            if (QFileInfo(candidate).isFile()) {
                archive = candidate;
                break;
            }
        }
        if (archive.isEmpty()) {
            result.Missing << QLatin1String(name);
            continue;
        }
        const ZipResult unzip = ZipShellOperation(QStringLiteral("UNZIP"), archive, helpFolder);
        result.Files += unzip.files;
        result.Refused += unzip.refused;
        if (!unzip.ok)
            result.Errors << unzip.error;
    }
    return result;
}

// ---------------------------------------------------------------- recent files

// Names are case-sensitive here: "Run1.vam" and "run1.vam" are two files,
// so a caption shows the name exactly as it is.
QString RelativeName(const QString& path, const QString& folder)
{
    const QString inside = QDir::cleanPath(folder) + QLatin1Char('/');
    if (folder.isEmpty() || !path.startsWith(inside))
        return path;
    return path.mid(inside.size());
}

QString RecentFileEntry(const QString& path, const QString& folderData)
{
    const QString file = QDir::cleanPath(path);
    const QString folder = QDir::cleanPath(folderData);
    if (!folderData.isEmpty() && file.startsWith(folder + QLatin1Char('/')))
        return file.mid(folder.size() + 1);
    return file;
}

QString RecentFilePath(const QString& entry, const QString& folderData)
{
    if (entry.isEmpty() || QDir::isAbsolutePath(entry))
        return entry;
    return QDir::cleanPath(InFolder(folderData, entry));
}

QStringList AddRecentFile(const QStringList& list, const QString& entry, const QString& folderData)
{
    QStringList result{entry};
    QStringList files{RecentFilePath(entry, folderData)};
    for (const QString& e : list) {
        if (result.size() >= SettingsStore::kRecentFileCount)
            break;
        const QString file = RecentFilePath(e, folderData);
        if (!e.isEmpty() && !files.contains(file)) {
            result << e;
            files << file;
        }
    }
    return result;
}

void UpdateRecentFiles(SettingsStore& store, const AppState& s, const QString& path)
{
    if (path.isEmpty())
        return;
    const QString entry = RecentFileEntry(path, s.FolderData);
    store.SaveRecentFiles(AddRecentFile(store.RecentFiles(), entry, s.FolderData));
}

QList<RecentFileItem> LoadRecentFiles(const SettingsStore& store, const AppState& s)
{
    QList<RecentFileItem> items;
    for (const QString& entry : store.RecentFiles()) {
        RecentFileItem item;
        item.Entry = entry;
        item.Path = RecentFilePath(entry, s.FolderData);
        item.Caption = RelativeName(item.Path, s.FolderData);
        items << item;
    }
    return items;
}

// ---------------------------------------------------------------- commands

Question SaveSettingsQuestion(const AppState& s, const LanguageTable& lang)
{
    return {s.ConfigChanged, RelativeName(s.ConfigFileName, s.FolderSettings), lang[kAskSaveSettings]};
}

bool ShouldAskToStopLogging(const AppState& s) { return s.LogActive && s.Connected; }

Question StopLoggingQuestion(const AppState& s, const LanguageTable& lang)
{
    return {ShouldAskToStopLogging(s), QString(), lang[kAskStopLogging]};
}

CommandOutcome WriteSettings(AppState& s, const LanguageTable& lang, const ConfigLayout& layout)
{
    CommandOutcome out;
    if (!SaveConfiguration(s, lang, layout, s.ConfigFileName)) {
        out.Ok = false;
        out.Message = WriteError(lang, s.ConfigFileName);
    }
    return out;
}

CommandOutcome WriteSettingsUnasked(AppState& s, const LanguageTable& lang, const ConfigLayout& layout)
{
    if (s.ConfigUnreadable) {
        CommandOutcome out;
        out.Status = ConfigLeftAsItIsText(s.ConfigFileName, lang);
        return out;
    }
    return WriteSettings(s, lang, layout);
}

CommandOutcome SaveSettingsCommand(AppState& s, SettingsStore& store, const LanguageTable& lang,
                                   const ConfigLayout& layout)
{
    CommandOutcome out = WriteSettings(s, lang, layout);
    if (out.Ok) {
        UpdateRecentFiles(store, s, s.LogFileName);
        out.Status = lang[kSettingsSaved];
    }
    return out;
}

CommandOutcome SaveSettingsAs(AppState& s, SettingsStore& store, const LanguageTable& lang,
                              const ConfigLayout& layout, const QString& chosen)
{
    CommandOutcome out;
    // The old file is replaced by the writer's rename, never deleted
    // beforehand: a failed write leaves it as it was.
    if (!SaveConfiguration(s, lang, layout, chosen)) {
        out.Ok = false;
        out.Message = WriteError(lang, chosen);
        return out;
    }
    s.ConfigFileName = chosen;
    store.SaveConfigFileName(chosen);
    return out;
}

CommandOutcome ChooseConfiguration(AppState& s, SettingsStore& store, const LanguageTable& lang,
                                   const QString& chosen)
{
    CommandOutcome out;
    if (!QFileInfo(chosen).isFile()) {
        out.Ok = false;
        out.Message = lang[kNonExistingFile];
        return out;
    }
    s.ConfigFileName = chosen;
    store.SaveConfigFileName(chosen);
    return out;
}

QString SoftwareErrorText(const LanguageTable& lang, qint64 number, const QString& description, const QString& source)
{
    return FillPlaceholders(lang[kSoftwareError], {{QStringLiteral("##"), QString::number(number)},
                                                   {QStringLiteral("**"), description},
                                                   {QStringLiteral("$$"), source}});
}
