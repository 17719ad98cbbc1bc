#pragma once
// The commands' usage texts, kept in one table: the overview of --help, each
// command's own --help, and the usage line after a wrong argument.

#include <QString>
#include <cstdio>

// Every command with its arguments and what it does; returns `code`.
int PrintOverview(FILE* to, int code);
// "vam-cli COMMAND --help" on stdout; false for an unknown command.
bool PrintCommandHelp(const QString& command);
// The command's usage line on stderr; returns 2, the exit code of a wrong call.
int UsageError(const char* command);
