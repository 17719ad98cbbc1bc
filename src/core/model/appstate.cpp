#include "core/model/appstate.h"


void AppState::ApplyDefaults()
{
    static_cast<AppSettings&>(*this) = AppSettings();
    SystemUser = UserName;
    SystemCompany = Organisation;
    PrintOperator = SystemUser;
    PrintCompany = Organisation;
    FolderData = DefaultFolderData();
    FolderSettings = DefaultFolderSettings();
    FolderHelp = DocumentsFolder + QStringLiteral("/Velmark/VAM/Help");
    TerminalFontColor = TerminalColorIn;
}

QString AppState::DefaultFolderData() const { return DocumentsFolder + QStringLiteral("/Velmark/VAM/Data"); }

QString AppState::DefaultFolderSettings() const { return DocumentsFolder + QStringLiteral("/Velmark/VAM/Settings"); }
