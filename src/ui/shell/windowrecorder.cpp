#include "ui/shell/windowrecorder.h"

#include "core/alarms/alarms.h"
#include "ui/alarms/alarmdialog.h"
#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "ui/graphs/graphmanager.h"
#include "ui/logging/tablewindow.h"
#include "ui/values/valuewindow.h"

#include <QTimer>

WindowRecorder::WindowRecorder(AppState& state, TableWindow& table, DataFile& dataFile, LogTable& rows,
                               std::function<ValueWindow*(int)> valueWindow,
                               std::function<bool(const DataFileReport&)> report, QObject* parent)
    : QObject(parent), s_(state), table_(table), dataFile_(dataFile), rows_(rows), valueWindow_(std::move(valueWindow)),
      report_(std::move(report))
{
    flush_ = new QTimer(this);
    flush_->setSingleShot(true);
    flush_->setInterval(100);
    connect(flush_, &QTimer::timeout, this, [this] { report_(dataFile_.RetryPending()); });
}

void WindowRecorder::ClearValues()
{
    for (int ch = 1; ch <= s_.ChannelCount; ++ch)
        if (ValueWindow* v = valueWindow_(ch))
            v->WissenWaarden();
}

void WindowRecorder::ShowNoReading()
{
    for (int ch = 1; ch <= s_.ChannelCount; ++ch)
        if (ValueWindow* v = valueWindow_(ch))
            v->ShowNoReading();
}

void WindowRecorder::ShowValue(int channel)
{
    const ChannelAlarmState alarm = TestChannelAlarms(s_, channel);
    if (alarm.beep)
        Beeper::Beep();
    if (ValueWindow* v = valueWindow_(channel)) {
        v->SetAlarmStates(alarm.low, alarm.high);
        v->SetAlarmIndication(AlarmIndication(alarm.low, alarm.high, v->AlarmHasSymbolFont()));
        v->OpvullenMeting();
        Q_EMIT ValueShown(v);
    }
}

void WindowRecorder::UpdateGraphs(int logCount, bool xyRecorders)
{
    if (graphs_)
        graphs_->VulGrafiekAan(logCount, xyRecorders);
}

void WindowRecorder::AppendTableRow(const QString& info)
{
    table_.VulTabelAan(info);
    ColourTableRow();
}

void WindowRecorder::ReplaceLastTableRow(const QString& info)
{
    table_.VernieuwLaatsteTabellijn(info);
    ColourTableRow();
}

void WindowRecorder::ColourTableRow()
{
    // A written cell starts in the table's own colour; only an alarm or an
    // over-range reading needs one of its own.
    const int row = rows_.RowOfNumber(s_.LogCount);
    if (row < 0)
        return;
    for (int ch = 1; ch <= rows_.Channels() && ch <= kMaxChannels; ++ch) {
        if (!s_.ChannelInUse(ch) || !s_.Readings[size_t(ch)].HasValue)
            continue;
        const ColorValue colour = AlarmColour(s_, ch, s_.TableColorForeground);
        if (colour != s_.TableColorForeground)
            rows_.SetCellColor(row, ch, colour);
    }
}

bool WindowRecorder::AppendRecord(const QString& info)
{
    // Measured readings, seconds apart, are written at once.
    dataFile_.holdAppends = s_.ReceiveMode;
    const bool ok = report_(dataFile_.AppendRecord(info));
    if (s_.ReceiveMode && !flush_->isActive())
        flush_->start();
    return ok;
}

bool WindowRecorder::RewriteLastRecord(int logCount, const QString& info)
{
    return report_(dataFile_.RewriteLastRecord(rows_, logCount, info));
}
