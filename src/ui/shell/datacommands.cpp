#include "ui/shell/datacommands.h"

#include "comm/connection.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "platform/ui/icons.h"
#include "ui/graphs/graphmanager.h"

#include <QAction>
#include <QMenu>

namespace {
enum Text { kReceive = 32, kTransfer = 135, kTipLog = 160, kTipReceive = 161, kTipTransfer = 162,
            kTipDisconnect = 163, kReadMeasurements = 208, kLogMeasurements = 210, kStopLogging = 211 };
}

DataCommands::DataCommands(AppState& state, const LanguageTable& language, Connection& conn, GraphManager& graphs,
                           std::function<void()> refresh, QObject* parent)
    : QObject(parent), s_(state), lang_(language), conn_(conn), graphs_(graphs), refresh_(std::move(refresh))
{
}

void DataCommands::AddTo(QMenu* menu)
{
    measure_ = menu->addAction(ToolbarIcon(QStringLiteral("ImageConnect")), QString(), this,
                               [this] { conn_.mnuDataMeasure_Click(); });
    log_ = menu->addAction(ToolbarIcon(QStringLiteral("ImageLog")), QString(), this, [this] {
        UpdateStates();
        if (log_->isEnabled())
            conn_.mnuDatalogging_Click();
    });
    receive_ = menu->addAction(ToolbarIcon(QStringLiteral("Receive")), QString(), this, [this] {
        UpdateStates();
        if (receive_->isEnabled()) {
            // A logger print is received at full speed: the graphs wait and are rebuilt after it.
            if (!s_.ReceiveMode)
                graphs_.SetReceiving(true);
            conn_.mnuDataReceive_Click(); // returns when Receive has ended (or was only switched off)
            if (!s_.ReceiveMode && graphs_.Receiving())
                graphs_.SetReceiving(false);
        }
        refresh_();
    });
    transfer_ = menu->addAction(ToolbarIcon(QStringLiteral("Transfer")), QString(), this, [this] {
        UpdateStates();
        if (transfer_->isEnabled())
            conn_.mnuDataTransfer_Click();
        refresh_();
    });
    for (QAction* a : {measure_, log_, receive_, transfer_})
        a->setCheckable(true);
}

void DataCommands::UpdateStates()
{
    measure_->setEnabled(true);
    receive_->setEnabled(true);
    transfer_->setEnabled(true);
    log_->setEnabled(false);
    for (QAction* a : {measure_, log_, receive_, transfer_})
        a->setChecked(false);
    if (s_.Connected) {
        measure_->setChecked(true);
        log_->setChecked(s_.LogActive);
        log_->setEnabled(!s_.LogMode);
        receive_->setEnabled(false);
        transfer_->setEnabled(false);
    } else if (s_.ReceiveMode) {
        receive_->setChecked(true);
        measure_->setEnabled(false);
        transfer_->setEnabled(false);
    } else if (s_.TransferMode) {
        transfer_->setChecked(true);
        measure_->setEnabled(false);
        receive_->setEnabled(false);
    }
}

void DataCommands::Refresh()
{
    UpdateStates();
    const bool connected = s_.Connected && measure_->isEnabled();
    measure_->setIcon(ToolbarIcon(connected ? QStringLiteral("ImageDisconnect") : QStringLiteral("ImageConnect")));
    measure_->setToolTip(connected ? lang_[kTipDisconnect] : lang_[kReadMeasurements]);
    log_->setIcon(ToolbarIcon(s_.LogActive ? QStringLiteral("ImageLogging") : QStringLiteral("ImageLog")));
    log_->setText(s_.LogActive ? lang_[kStopLogging] : lang_[kLogMeasurements]);
    log_->setToolTip(lang_[kTipLog]);
    if (fileActions) {
        const bool printing = s_.ReceiveMode || s_.TransferMode;
        for (QAction* a : fileActions())
            a->setEnabled(!printing);
    }
}

void DataCommands::LaadStrings()
{
    measure_->setText(lang_[kReadMeasurements]);
    receive_->setText(lang_[kReceive]);
    transfer_->setText(lang_[kTransfer]);
    receive_->setToolTip(lang_[kTipReceive]);
    transfer_->setToolTip(lang_[kTipTransfer]);
}
