#include "ui/config/configcommands.h"

#include "core/model/appstate.h"
#include "core/config/startup.h"
#include "core/help/languagetable.h"

#include <QFileInfo>
#include <QMessageBox>

namespace {
enum Text { kOverwrite = 17, kConfigurationFilesRead = 18, kConfigurationFiles = 77, kFileToSaveAs = 85, kFileToOpen = 86 };
} // namespace

ConfigCommands::ConfigCommands(AppState& state, LanguageTable& language, Hooks hooks, QObject* parent)
    : QObject(parent), s_(state), lang_(language), hooks_(std::move(hooks))
{
}

bool ConfigCommands::Save()
{
    if (!store_)
        return false;
    hooks_.collectLayout();
    const CommandOutcome out = hooks_.saveCommand();
    if (!out.Ok)
        hooks_.warn(QStringLiteral("VAM"), out.Message);
    hooks_.done(out.Status);
    return out.Ok;
}

bool ConfigCommands::SaveAs()
{
    if (!store_)
        return false;
    const QString filter = lang_[kConfigurationFiles] + QStringLiteral(" (*") + s_.ConfigExtension + QLatin1Char(')');
    QString chosen = hooks_.chooseFile(lang_[kFileToSaveAs], s_.FolderSettings, filter, true);
    if (chosen.isEmpty())
        return false;
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += s_.ConfigExtension;
    if (QFileInfo::exists(chosen) && hooks_.ask(lang_[kFileToSaveAs], lang_[kOverwrite], false) != QMessageBox::Yes)
        return false;
    hooks_.collectLayout();
    const CommandOutcome out = hooks_.writeAs(chosen);
    if (!out.Ok)
        hooks_.warn(QStringLiteral("VAM"), out.Message);
    hooks_.done(out.Status);
    return out.Ok;
}

bool ConfigCommands::Read()
{
    if (!store_)
        return false;
    const Question q = SaveSettingsQuestion(s_, lang_);
    if (q.Ask) {
        const int answer = hooks_.ask(q.Title, q.Text, true);
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer == QMessageBox::Yes) {
            hooks_.collectLayout();
            const CommandOutcome out = hooks_.write();
            if (!out.Ok) {
                hooks_.warn(QStringLiteral("VAM"), out.Message);
                return false; // unsaved changes are not thrown away
            }
        }
    }
    const QString filter = lang_[kConfigurationFilesRead] + QStringLiteral(" (*") + s_.ConfigExtension + QLatin1Char(')');
    const QString chosen = hooks_.chooseFile(lang_[kFileToOpen], s_.FolderSettings, filter, false);
    if (chosen.isEmpty())
        return false;
    const CommandOutcome out = ChooseConfiguration(s_, *store_, lang_, chosen);
    if (!out.Ok) {
        hooks_.warn(lang_[kFileToOpen], out.Message);
        return false;
    }
    hooks_.reload();
    return true;
}
