#include "ui/values/valuewindow.h"

#include "core/model/appstate.h"
#include "core/printing/printroutines.h"
#include "core/model/datetime.h"
#include "core/values/valuelayout.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiSubWindow>

namespace {
const QString kTagPrefix = QStringLiteral("meting");
const QString kSymbolFamily = QStringLiteral("Webdings");

void SetTextColor(QLabel* label, ColorValue text)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, ToQColor(text));
    label->setPalette(p);
}

void SetPointSize(QLabel* label, int pt)
{
    QFont f = label->font();
    if (f.pointSize() != pt) {
        f.setPointSize(pt);
        label->setFont(f);
    }
}

QRect ToPixels(const TwipRect& r)
{
    return QRect(TwipsToPixels(r.Left), TwipsToPixels(r.Top), TwipsToPixels(r.Width), TwipsToPixels(r.Height));
}
} // namespace

ValueWindow::ValueWindow(AppState& state, const LanguageTable& language, int channelIndex, QWidget* parent)
    : QWidget(parent), state_(state), lang_(language), index_(channelIndex)
{
    lblWaarde_ = new QLabel(this);
    lblWaarde_->setObjectName(QStringLiteral("lblWaarde"));
    lblWaarde_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblWaarde_->setAutoFillBackground(true);
    lblEenheid_ = new QLabel(this);
    lblEenheid_->setObjectName(QStringLiteral("lblEenheid"));
    lblTemperatuur_ = new QLabel(this);
    lblTemperatuur_->setObjectName(QStringLiteral("lblTemperatuur"));
    lblAlarm_ = new QLabel(this);
    lblAlarm_->setObjectName(QStringLiteral("lblAlarm"));
    for (QLabel* row : {lblEenheid_, lblTemperatuur_, lblAlarm_})
        row->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    symbolFont_ = QFontDatabase::hasFamily(kSymbolFamily);
    if (symbolFont_) {
        QFont f = lblAlarm_->font();
        f.setFamily(kSymbolFamily);
        lblAlarm_->setFont(f);
    }

    for (QLabel* clickable : {lblWaarde_, lblEenheid_, lblAlarm_})
        clickable->installEventFilter(this);

    resize(sizeHint());
    ApplyLayout();
    WissenWaarden();
    SetColors();
    if (index_ >= 1 && size_t(index_) < state_.Channels.size()) {
        state_.Channel(index_).Color = valueTextColor_;
        setObjectName(Tag());
    }
    LaadStrings();
}

QString ValueWindow::Tag() const
{
    return kTagPrefix + QString::number(index_);
}

int ValueWindow::ChannelFromTag(const QString& tag)
{
    QString number = tag;
    return number.remove(kTagPrefix).toInt();
}

QSize ValueWindow::sizeHint() const
{
    return QSize(200, 90);
}

const ChannelReading* ValueWindow::Reading() const
{
    if (index_ < 1 || size_t(index_) >= state_.Readings.size())
        return nullptr;
    return &state_.Readings[size_t(index_)];
}

QString ValueWindow::ChannelName() const
{
    if (index_ < 1 || size_t(index_) >= state_.Channels.size())
        return QString();
    return state_.Channel(index_).Name;
}

bool ValueWindow::IsMinimised() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub->isMinimized();
    return isMinimized();
}

bool ValueWindow::IsJ70Device() const
{
    return IsJ70ValueDevice(state_.DeviceName);
}

void ValueWindow::SetCaption(const QString& text)
{
    setWindowTitle(text);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->setWindowTitle(text);
}

QString ValueWindow::Caption() const
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub->windowTitle();
    return windowTitle();
}

void ValueWindow::LaadStrings()
{
    SetCaption(ChannelName() + QStringLiteral(": ") + lang_[19]);
}

void ValueWindow::OpvullenMeting()
{
    const ChannelReading* reading = Reading();
    if (reading == nullptr)
        return;
    const QString value = DisplayValueText(*reading);
    const QString unit = DisplayUnitText(reading->UnitText);
    if (IsMinimised()) {
        SetCaption(ChannelName() + QStringLiteral(": ") + value + unit);
        return;
    }
    SetColors();
    lblWaarde_->setText(value);
    lblEenheid_->setText(unit);
    SetCaption(ChannelName() + QStringLiteral(": ") + lang_[19] + QStringLiteral(" @ ")
               + FormatShortDateLongTime(reading->ReadingTime));
    lblAlarm_->setText(alarmIndication_);
    if (IsJ70Device())
        lblTemperatuur_->setText(reading->ExtraText);
}

void ValueWindow::WissenWaarden()
{
    lblAlarm_->setText(QStringLiteral(" "));
    lblWaarde_->clear();
    lblEenheid_->clear();
    lblTemperatuur_->clear();
}

void ValueWindow::ShowNoReading()
{
    WissenWaarden();
    lblEenheid_->setText(lang_[351]); // "no reading"
}

ColorValue ValueWindow::StateColor() const
{
    const ChannelReading* reading = Reading();
    if (reading != nullptr && reading->OverRange)
        return state_.ValueColorOverrange;
    if (lowAlarm_)
        return state_.ValueColorAlarmLow;
    if (highAlarm_)
        return state_.ValueColorAlarmHigh;
    return state_.ValueColorForeground;
}

void ValueWindow::SetColors()
{
    const bool connected = state_.Connected;
    QPalette valuePalette = lblWaarde_->palette();
    valuePalette.setColor(QPalette::Window, ToQColor(connected ? state_.ValueColorBackgroundActive
                                                               : state_.ValueColorBackgroundInactive));
    valueTextColor_ = connected ? StateColor() : state_.TableColorForeground;
    valuePalette.setColor(QPalette::WindowText, ToQColor(valueTextColor_));
    lblWaarde_->setPalette(valuePalette);

    for (QLabel* row : {lblEenheid_, lblAlarm_, lblTemperatuur_})
        SetTextColor(row, state_.UnitColorForeground);

    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, ToQColor(state_.UnitColorBackground));
    setPalette(windowPalette);
    setAutoFillBackground(true);
}

void ValueWindow::CopyWaarde() const
{
    QGuiApplication::clipboard()->setText(lblWaarde_->text() + QLatin1Char('\t') + lblEenheid_->text());
}

void ValueWindow::SetAlarmIndication(const QString& text)
{
    alarmIndication_ = text;
}

void ValueWindow::SetAlarmStates(bool lowAlarm, bool highAlarm)
{
    lowAlarm_ = lowAlarm;
    highAlarm_ = highAlarm;
}

void ValueWindow::ApplyValueFont(const QFont& font)
{
    QFont unitFont = font;
    const QFont current = lblEenheid_->font();
    if (current.pointSizeF() > 0)
        unitFont.setPointSizeF(current.pointSizeF());
    else
        unitFont.setPixelSize(current.pixelSize());
    lblWaarde_->setFont(font);
    lblEenheid_->setFont(unitFont);
}

void ValueWindow::ApplyFonts(const QFont& value, const QFont& unit)
{
    lblWaarde_->setFont(value);
    lblEenheid_->setFont(unit);
    ApplyLayout();
}

bool ValueWindow::ChooseFont()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, lblWaarde_->font(), this);
    if (!ok)
        return false;
    ApplyValueFont(chosen);
    state_.ConfigChanged = true;
    Q_EMIT FontChosen(index_);
    return true;
}

void ValueWindow::ApplyLayout()
{
    const ValueWindowLayout l = LayoutValueWindow(PixelsToTwips(width()), PixelsToTwips(height()), IsJ70Device(),
                                                  lblWaarde_->font().pointSize(), lblEenheid_->font().pointSize());
    lblWaarde_->setGeometry(ToPixels(l.Value));
    SetPointSize(lblWaarde_, l.ValueFontPt);
    lblEenheid_->setGeometry(ToPixels(l.Unit));
    lblTemperatuur_->setGeometry(ToPixels(l.Temperature));
    lblAlarm_->setGeometry(ToPixels(l.Alarm));
    for (QLabel* row : {lblEenheid_, lblTemperatuur_, lblAlarm_})
        SetPointSize(row, l.RowFontPt);
    lblTemperatuur_->setVisible(l.TemperatureVisible);
}

void ValueWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!IsMinimised())
        ApplyLayout();
}

bool ValueWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == lblWaarde_) {
            ChooseFont();
            return true;
        }
        if (watched == lblEenheid_ || watched == lblAlarm_) {
            Q_EMIT AlarmDialogRequested(index_);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ValueWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
    if (index_ >= 1 && size_t(index_) < state_.Channels.size())
        state_.Channel(index_).Value = false;
    Q_EMIT ClosedByUser(index_);
}

bool ValueWindow::PrintData(ValuePrint& v) const
{
    const ChannelReading* reading = Reading();
    if (reading == nullptr)
        return false;
    v.caption = Caption();
    v.value = DisplayValueText(*reading).trimmed();
    v.unit = DisplayUnitText(reading->UnitText).trimmed();
    v.highTest = reading->AlarmHighTest;
    v.highAlarm = highAlarm_;
    v.highLimit = reading->AlarmHighLimit;
    v.lowTest = reading->AlarmLowTest;
    v.lowAlarm = lowAlarm_;
    v.lowLimit = reading->AlarmLowLimit;
    return true;
}

void ValueWindow::PrintWaarde(PrintEngine& engine) const
{
    ValuePrint v;
    if (PrintData(v))
        PrintValue(engine, {PrintPageTitle(Tag(), Caption(), false, {}, {}, {}), index_}, v);
}
