#include "ui/alarms/alarmdialog.h"

#include "core/alarms/alarms.h"
#include "core/model/appstate.h"
#include "core/logging/logtable.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"
#include "ui/logging/tablewindow.h"
#include "ui/values/valuewindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QVBoxLayout>
#include <array>

namespace {
enum : int {
    kOk = 39,
    kCancel = 40,
    kAlarm = 119,
    kHelp = 126,
    kLimitOrder = 209,
    kHighAlarm = 223,
    kEnable = 224,
    kLimit = 225,
    kLowAlarm = 226,
    kBeep = 280,
    kTestingTable = 283,
};
const QString kHelpTopic = QStringLiteral("get_started.htm");

KeyKind KindOf(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return KeyKind::Enter;
    case Qt::Key_Left: return KeyKind::Left;
    case Qt::Key_Right: return KeyKind::Right;
    case Qt::Key_Backspace: return KeyKind::Backspace;
    default: break;
    }
    return KeyKind::Character;
}

// Keys that type a character; the others (Tab, Delete, Home, shortcuts)
// are the line edit's own.
bool TypesText(const QKeyEvent* e)
{
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString t = e->text();
    return !t.isEmpty() && t[0].isPrint();
}
} // namespace

// ---------------------------------------------------------------- beep

std::function<void()> Beeper::hook;

void Beeper::Beep()
{
    if (hook)
        hook();
    else
        QApplication::beep();
}

// ---------------------------------------------------------------- table test

bool RunTableAlarmTest(AppState& s, const LanguageTable& lang, TableWindow& table, int channel, bool force,
                       QWidget* parent)
{
    QTableView* view = table.View();
    const bool wasHidden = view->isHidden();
    std::unique_ptr<QProgressDialog> progress;
    int stride = 1;
    // No events are processed while it works: a reading arriving meanwhile
    // would land in the record the test borrows. The window is repainted
    // directly instead.
    const auto step = [&](int i, int n) {
        if (i == 0) {
            progress = std::make_unique<QProgressDialog>(lang[kTestingTable].trimmed(), QString(), 0, qMax(n, 1),
                                                         parent);
            progress->setCancelButton(nullptr);
            progress->setMinimumDuration(0);
            progress->setWindowTitle(QApplication::applicationDisplayName());
            progress->show();
            view->hide();
            stride = qMax(1, n / 50);
        }
        if (i % stride == 0 || i == n) {
            progress->setValue(i);
            progress->repaint();
        }
    };
    const bool ran = TestTableAlarms(s, table.Table(), channel, force, step);
    if (progress)
        progress->close();
    view->setHidden(wasHidden);
    return ran;
}

// ---------------------------------------------------------------- dialog

AlarmDialog::AlarmDialog(AppState& state, const LanguageTable& language, int channel, const QString& title,
                         std::function<void(int)> testTable, QWidget* parent)
    : QDialog(parent), s_(state), lang_(language), channel_(qBound(1, channel, kMaxChannels)),
      testTable_(std::move(testTable))
{
    setObjectName(QStringLiteral("FormAlarm"));
    setModal(true);
    setWindowTitle(title);

    // Typed text is filtered key by key; the validator also keeps out what
    // a paste would bring.
    auto* numbers = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*([.,][0-9]*)?")), this);
    const auto frame = [&](int caption, QGroupBox*& box, QCheckBox*& enable, QLabel*& label, QLineEdit*& limit,
                           QCheckBox*& beep, const char* name) {
        box = new QGroupBox(lang_[caption], this);
        box->setObjectName(QString::fromLatin1(name));
        enable = new QCheckBox(lang_[kEnable], box);
        label = new QLabel(lang_[kLimit], box);
        limit = new QLineEdit(box);
        limit->setValidator(numbers);
        limit->installEventFilter(this);
        beep = new QCheckBox(lang_[kBeep], box);
        auto* grid = new QGridLayout(box);
        grid->addWidget(enable, 0, 0, 1, 2);
        grid->addWidget(label, 1, 0);
        grid->addWidget(limit, 1, 1);
        grid->addWidget(beep, 2, 0, 1, 2);
        connect(limit, &QLineEdit::editingFinished, this, [limit] { limit->setText(NormaliseLimit(limit->text())); });
    };
    frame(kHighAlarm, frameHigh_, checkHigh_, labelHigh_, textHigh_, beepHigh_, "FrameAlarmHigh");
    frame(kLowAlarm, frameLow_, checkLow_, labelLow_, textLow_, beepLow_, "FrameAlarmLow");

    const ChannelReading& r = s_.Readings[size_t(channel_)];
    checkHigh_->setChecked(r.AlarmHighTest);
    beepHigh_->setChecked(r.AlarmHighAction);
    textHigh_->setText(r.AlarmHighLimit);
    checkLow_->setChecked(r.AlarmLowTest);
    beepLow_->setChecked(r.AlarmLowAction);
    textLow_->setText(r.AlarmLowLimit);
    EnableFrame(true);
    EnableFrame(false);
    connect(checkHigh_, &QCheckBox::toggled, this, [this] { EnableFrame(true); });
    connect(checkLow_, &QCheckBox::toggled, this, [this] { EnableFrame(false); });

    okButton_ = new QPushButton(lang_[kOk], this);
    okButton_->setDefault(true);
    okButton_->setAutoDefault(false);
    cancelButton_ = new QPushButton(lang_[kCancel], this);
    helpButton_ = new QPushButton(lang_[kHelp], this);
    connect(okButton_, &QPushButton::clicked, this, &AlarmDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &AlarmDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        if (showHelp)
            showHelp(kHelpTopic);
    });

    auto* frames = new QHBoxLayout;
    frames->addWidget(frameHigh_);
    frames->addWidget(frameLow_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton_);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(buttons);
}

void AlarmDialog::EnableFrame(bool high)
{
    const bool on = (high ? checkHigh_ : checkLow_)->isChecked();
    const std::array<QWidget*, 3> parts = high ? std::array<QWidget*, 3>{labelHigh_, textHigh_, beepHigh_}
                                              : std::array<QWidget*, 3>{labelLow_, textLow_, beepLow_};
    for (QWidget* w : parts)
        w->setEnabled(on);
}

bool AlarmDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (event->type() != QEvent::KeyPress || (edit != textHigh_ && edit != textLow_))
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const KeyKind kind = KindOf(key);
    if (kind == KeyKind::Character && !TypesText(key))
        return false;
    const QChar ch = kind == KeyKind::Character ? key->text().at(0) : QChar();
    switch (FilterNumericKey(kind, ch, edit->text(), edit->cursorPosition(), 0)) {
    case NumericKey::Pass: return false;
    case NumericKey::NextField:
        edit->setText(NormaliseLimit(edit->text()));
        focusNextChild();
        return true;
    case NumericKey::Refuse: break;
    }
    Beeper::Beep();
    return true;
}

void AlarmDialog::accept()
{
    ChannelReading& r = s_.Readings[size_t(channel_)];
    r.AlarmHighTest = checkHigh_->isChecked();
    r.AlarmHighAction = beepHigh_->isChecked();
    r.AlarmHighLimit = NormaliseLimit(textHigh_->text());
    r.AlarmLowTest = checkLow_->isChecked();
    r.AlarmLowAction = beepLow_->isChecked();
    r.AlarmLowLimit = NormaliseLimit(textLow_->text());
    textHigh_->setText(r.AlarmHighLimit);
    textLow_->setText(r.AlarmLowLimit);
    if (!LimitsInOrder(r)) {
        const QString text = lang_[kLimitOrder].trimmed();
        if (warningHandler)
            warningHandler(windowTitle(), text);
        else
            QMessageBox::warning(this, windowTitle(), text);
        return;
    }
    s_.ConfigChanged = true;
    if (testTable_)
        testTable_(channel_);
    QDialog::accept();
}

bool RunAlarmDialog(AppState& state, const LanguageTable& language, ValueWindow& window, TableWindow* table,
                    QWidget* parent, const std::function<void(const QString&)>& showHelp)
{
    // The channel and what the dialog sets, not the value window's caption
    // with its reading's time: "CH1 (pH): Alarm".
    QString title = window.ChannelName();
    if (!window.UnitLabel()->text().isEmpty())
        title += QStringLiteral(" (") + window.UnitLabel()->text() + QLatin1Char(')');
    title += QStringLiteral(": ") + QString(language[kAlarm]).remove(QLatin1Char('&'));
    AlarmDialog dialog(state, language, window.ChannelIndex(), title,
                       [&](int channel) {
                           if (table)
                               RunTableAlarmTest(state, language, *table, channel, true, parent);
                       },
                       parent);
    dialog.showHelp = showHelp;
    return dialog.exec() == QDialog::Accepted;
}
