#pragma once
#include <QStringList>

// Each command takes its own arguments and returns the exit code.
int RunModels(const QStringList& args);
int RunDecode(const QStringList& args);
int RunLog(const QStringList& args);
int RunReceive(const QStringList& args);
int RunTransferCommand(const QStringList& args);
int RunExport(const QStringList& args);
int RunConfig(const QStringList& args);
// Needs a QGuiApplication.
int RunPrint(const QStringList& args);
