#include "ui/shell/statuspanels.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>

namespace {
const char* const kPanelKeys[StatusPanels::kCount] = {"Settings", "PollTime", "LogTime", "LogCounter", "Messages"};
}

StatusPanels::StatusPanels(const AppState& state, QStatusBar& bar, std::function<void()> settingsClicked,
                           QObject* parent)
    : QObject(parent), s_(state), settingsClicked_(std::move(settingsClicked))
{
    for (int i = 0; i < kCount; ++i) {
        auto* label = new QLabel(&bar);
        label->setObjectName(QLatin1String(kPanelKeys[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(i == 0 ? 160 : 90);
        label->setContentsMargins(4, 0, 4, 0);
        bar.addWidget(label, i == kCount - 1 ? 1 : 0);
        labels_[size_t(i)] = label;
        if (i == 0)
            label->installEventFilter(this); // a click opens the settings on their first page
    }
}

void StatusPanels::SetText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= kCount)
        labels_[size_t(panel - 1)]->setText(text);
}

void StatusPanels::SetStyle(int panel, bool active)
{
    QLabel* l = labels_[size_t(panel - 1)];
    l->setEnabled(active);
    l->setFrameStyle(QFrame::Panel | (active ? QFrame::Sunken : QFrame::Raised));
}

void StatusPanels::Refresh()
{
    labels_[0]->setText(s_.SerialPort + QStringLiteral(", ") + s_.Baudrate + QStringLiteral(" bps."));
    if (!s_.LogActive)
        labels_[2]->setText(FormatSecondsAsTime(s_.LogInterval, s_.TimeSeparator));
    SetStyle(2, s_.Connected);
    SetStyle(3, s_.Connected && s_.LogActive);
    if (s_.Connected && labels_[3]->text().isEmpty())
        labels_[3]->setText(QStringLiteral("Log# ") + QString::number(s_.LogCount));
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == labels_[0] && event->type() == QEvent::MouseButtonRelease) {
        settingsClicked_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
