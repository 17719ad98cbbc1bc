#pragma once
// Facts about the user and the machine that the defaults are made of.

#include <QString>

// The login's full name from the password database, else $USER.
QString SystemUserName();
// The machine's host name.
QString SystemHostName();
// The user's documents folder.
QString DocumentsFolder();
