#pragma once
#include <QStringList>

// Each command takes its own arguments and returns the exit code.
int RunModels(const QStringList& args);
