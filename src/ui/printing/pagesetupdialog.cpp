#include "ui/printing/pagesetupdialog.h"

#include "core/model/appstate.h"
#include "core/help/languagetable.h"
#include "core/printing/printengine.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>
#include <cmath>

namespace {
enum Texts { kOk = 39, kCancel = 40, kTop = 106, kBottom = 107, kLeft = 108, kRight = 109, kPageMargins = 110,
             kValuesInMm = 111, kRelative = 112 };

QString OneDecimal(double v) { return QLocale().toString(v, 'f', 1); }
} // namespace

// The maximum is shown with one decimal: rounded down, so the value shown is never above it.
MarginSpin::MarginSpin(float maximum, QWidget* parent)
    : QDoubleSpinBox(parent), maximum_(float(std::floor(double(maximum) * 10 + 1e-6) / 10))
{
    setDecimals(1);
    setSingleStep(0.1);
    // Wide enough to type a value above the maximum; leaving the box limits it.
    setRange(0, 9999.9);
    connect(this, &QDoubleSpinBox::editingFinished, this, &MarginSpin::Limit);
}

void MarginSpin::Limit()
{
    const double limited = LimitMargin(float(value()), maximum_);
    if (limited != value())
        setValue(limited);
}

void MarginSpin::stepBy(int steps)
{
    // Tenths are counted exactly, so 0.1 steps do not drift.
    const double next = std::round(value() * 10 + steps) / 10;
    setValue(LimitMargin(float(next), maximum_));
    selectAll();
}

PageSetupDialog::PageSetupDialog(AppState& state, const LanguageTable& lang, QSizeF printable, QWidget* parent)
    : QDialog(parent), s_(state)
{
    setObjectName(QStringLiteral("formPaginaSetup"));
    setWindowTitle(lang[kPageMargins]);
    setModal(true);
    auto* box = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    box->addLayout(form);
    const float maxHeight = float(printable.height() / 3), maxWidth = float(printable.width() / 3);
    const struct {
        int text;
        float maximum;
        float value;
        const char* name;
    } rows[] = {{kTop, maxHeight, s_.OffsetTop, "TextTop"},
                {kBottom, maxHeight, s_.OffsetBottom, "TextBottom"},
                {kLeft, maxWidth, s_.OffsetLeft, "TextLeft"},
                {kRight, maxWidth, s_.OffsetRight, "TextRight"}};
    for (size_t i = 0; i < 4; ++i) {
        auto* spin = new MarginSpin(rows[i].maximum, this);
        spin->setObjectName(QLatin1String(rows[i].name));
        spin->setValue(LimitMargin(rows[i].value, rows[i].maximum));
        spins_[i] = spin;
        form->addRow(lang[rows[i].text], spin);
    }
    info_ = new QLabel(lang[kValuesInMm] + QLatin1Char('\n') + lang[kRelative] + QStringLiteral(" = ")
                           + OneDecimal(printable.width()) + QStringLiteral(" x ") + OneDecimal(printable.height())
                           + QStringLiteral(" mm"),
                       this);
    info_->setObjectName(QStringLiteral("LabelInfo"));
    box->addWidget(info_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(lang[kOk]);
    buttons->button(QDialogButtonBox::Cancel)->setText(lang[kCancel]);
    connect(buttons, &QDialogButtonBox::accepted, this, &PageSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PageSetupDialog::reject);
    box->addWidget(buttons);
}

void PageSetupDialog::accept()
{
    for (MarginSpin* spin : spins_)
        spin->Limit();
    s_.OffsetTop = float(spins_[Top]->value());
    s_.OffsetBottom = float(spins_[Bottom]->value());
    s_.OffsetLeft = float(spins_[Left]->value());
    s_.OffsetRight = float(spins_[Right]->value());
    s_.ConfigChanged = true;
    QDialog::accept();
}
