#pragma once
// Page margins (formPaginaSetup): four margins in millimetres from the
// printable area, each at most a third of the printable height (top, bottom)
// or width (left, right). The spins wrap: down from 0 to the maximum, up
// past the maximum to 0.

#include <QDialog>
#include <QDoubleSpinBox>
#include <QSizeF>
#include <array>

struct AppState;
class LanguageTable;
class QLabel;

class MarginSpin : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit MarginSpin(float maximum, QWidget* parent = nullptr);
    float Maximum() const { return maximum_; }
    // The value brought into range (a typed value above the maximum becomes 0).
    void Limit();
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    float maximum_;
};

class PageSetupDialog : public QDialog {
    Q_OBJECT
public:
    // `printable`: the printer's printable area in millimetres.
    PageSetupDialog(AppState& state, const LanguageTable& language, QSizeF printable, QWidget* parent = nullptr);

    enum Margin { Top, Bottom, Left, Right };
    MarginSpin* Spin(Margin m) const { return spins_[size_t(m)]; }
    QLabel* InfoLabel() const { return info_; }

    // OK: every margin limited and stored.
    void accept() override;

private:
    AppState& s_;
    std::array<MarginSpin*, 4> spins_{};
    QLabel* info_ = nullptr;
};
