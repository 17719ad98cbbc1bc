#include "ui/settings/intervalbox.h"

#include <QLineEdit>

IntervalBox::IntervalBox(IntervalRange range, QWidget* parent) : QAbstractSpinBox(parent), range_(range)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // Room for the whole clock form and the arrows: a clipped "1" reads as a wrong value.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 40);
    connect(lineEdit(), &QLineEdit::textEdited, this, &IntervalBox::textEdited);
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        const QString shown = NormaliseIntervalText(text(), range_);
        if (shown != text()) {
            lineEdit()->setText(shown);
            Q_EMIT textEdited(shown);
        }
    });
}

void IntervalBox::setText(const QString& text) { lineEdit()->setText(text); }

QValidator::State IntervalBox::validate(QString&, int&) const
{
    // Anything may be typed; OK reports an entry that is no interval.
    return QValidator::Acceptable;
}

void IntervalBox::stepBy(int steps)
{
    const std::optional<qint64> v = IntervalValue(text(), range_);
    const qint64 next = qBound(range_.min, (v ? *v : range_.min) + steps, range_.max);
    lineEdit()->setText(FormatInterval(next));
    Q_EMIT textEdited(text());
}

QAbstractSpinBox::StepEnabled IntervalBox::stepEnabled() const
{
    const std::optional<qint64> v = IntervalValue(text(), range_);
    if (!v || !isEnabled())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled e = StepNone;
    if (*v < range_.max)
        e |= StepUpEnabled;
    if (*v > range_.min)
        e |= StepDownEnabled;
    return e;
}
