#pragma once
// Help > About: the program, its version and who it is registered to; the
// "System info" button adds the machine and the program's folders, which
// "Copy" puts on the clipboard for a bug report.

#include "core/help/aboutinfo.h"

#include <QDialog>

class QLabel;
class QPushButton;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const AppState& state, const LanguageTable& language, const MachineFacts& machine,
                QWidget* parent = nullptr);

    QLabel* ProgramLabel() const { return program_; }
    QLabel* SystemLabel() const { return system_; }
    QPushButton* SystemInfoButton() const { return systemButton_; }
    QPushButton* CopyButton() const { return copyButton_; }

    // The system facts shown (or the message that there are none).
    void ShowSystemInfo();

private:
    std::vector<AboutFact> programFacts_, systemFacts_;
    QString unavailable_;
    QLabel *program_ = nullptr, *system_ = nullptr;
    QPushButton *systemButton_ = nullptr, *copyButton_ = nullptr;
};
