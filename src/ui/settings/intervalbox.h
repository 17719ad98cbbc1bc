#pragma once
// An interval box with its spin control: any text can be typed ("90",
// "1:30", "01:01:30"); leaving the box shows a valid entry in the normal
// form, clamped; the arrows step one second within the range.

#include "core/settings/settingsmodel.h"

#include <QAbstractSpinBox>

class IntervalBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit IntervalBox(IntervalRange range, QWidget* parent = nullptr);
    void setText(const QString& text);
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

Q_SIGNALS:
    void textEdited(const QString& text);

protected:
    StepEnabled stepEnabled() const override;

private:
    IntervalRange range_;
};
