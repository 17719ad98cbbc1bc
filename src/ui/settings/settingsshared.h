#pragma once
// What the settings pages and their dialog share: caption clean-up, the help
// label under a page, read-only grid cells, choosing a list entry by its text
// and the language-table entries more than one of them shows. Private to
// ui/settings.

#include <QString>

class QComboBox;
class QLabel;
class QTableWidgetItem;
class QWidget;

namespace settings_detail {

enum : int {
    kValue = 19,
    kSettings = 26,
};

QString Plain(const QString& text);
// Texts the table keeps with a trailing line break or colon for other uses.
QString Caption(const QString& text);
QLabel* HelpLabel(QWidget* parent);
QTableWidgetItem* ReadOnlyItem(const QString& text = QString());
// An empty text selects nothing.
void SelectText(QComboBox* box, const QString& text);

} // namespace settings_detail
