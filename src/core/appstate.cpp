#include "core/appstate.h"


void AppState::ApplyDefaults()
{
    static_cast<AppSettings&>(*this) = AppSettings();
    SystemUser = UserName;
    SystemCompany = Organisation;
    PrintOperator = SystemUser;
    PrintCompany = Organisation;
    FolderData = DocumentsFolder + QStringLiteral("/Velmark/VAM/Data");
    FolderSettings = DocumentsFolder + QStringLiteral("/Velmark/VAM/Settings");
    FolderHelp = DocumentsFolder + QStringLiteral("/Velmark/VAM/Help");
    TerminalFontColor = TerminalColorIn;
}
