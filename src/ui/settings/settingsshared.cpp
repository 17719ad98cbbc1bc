#include "ui/settings/settingsshared.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidgetItem>

namespace settings_detail {

QString Plain(const QString& text) { return QString(text).remove(QLatin1Char('&')); }

QString Caption(const QString& text) { return Plain(text).trimmed(); }

QLabel* HelpLabel(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QTableWidgetItem* ReadOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

void SelectText(QComboBox* box, const QString& text)
{
    box->setCurrentIndex(text.isEmpty() ? -1 : box->findText(text));
}

} // namespace settings_detail
