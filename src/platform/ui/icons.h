#pragma once
// The toolbar's pictures, drawn by the program itself so they look the same
// on every desktop theme. Keys as the toolbar uses them ("ImageConnect", ...).

#include <QIcon>
#include <QString>

QIcon ToolbarIcon(const QString& key);
