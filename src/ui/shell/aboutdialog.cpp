#include "ui/shell/aboutdialog.h"

#include "core/help/languagetable.h"
#include "platform/ui/icons.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
enum Texts { kHelp = 126, kCopy = 113, kSystemInfo = 145, kUnavailable = 146, kClose = 246 };

QString FactsTable(const std::vector<AboutFact>& facts)
{
    QString html = QStringLiteral("<table cellspacing=\"2\">");
    for (const AboutFact& f : facts) {
        if (f.label.isEmpty())
            html += QStringLiteral("<tr><td colspan=\"2\">%1</td></tr>").arg(f.value.toHtmlEscaped());
        else
            html += QStringLiteral("<tr><td><b>%1</b>&nbsp;</td><td>%2</td></tr>")
                        .arg(f.label.toHtmlEscaped(), f.value.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}
} // namespace

AboutDialog::AboutDialog(const AppState& state, const LanguageTable& lang, const MachineFacts& machine,
                         QWidget* parent)
    : QDialog(parent), programFacts_(ProgramFacts(state, lang)), systemFacts_(SystemFacts(state, lang, machine)),
      unavailable_(lang[kUnavailable])
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString(lang[kHelp]).remove(QLatin1Char('&')) + QStringLiteral(" - VAM"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ToolbarIcon(QStringLiteral("App")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    program_ = new QLabel(FactsTable(programFacts_), this);
    program_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    program_->setWordWrap(true);
    system_ = new QLabel(this);
    system_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    system_->setWordWrap(true);
    system_->hide();

    auto* buttons = new QDialogButtonBox(this);
    systemButton_ = buttons->addButton(lang[kSystemInfo], QDialogButtonBox::ActionRole);
    copyButton_ = buttons->addButton(lang[kCopy], QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QString(lang[kClose]), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(systemButton_, &QPushButton::clicked, this, &AboutDialog::ShowSystemInfo);
    connect(copyButton_, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(AboutText(programFacts_) + QLatin1Char('\n')
                                           + (systemFacts_.empty() ? unavailable_ + QLatin1Char('\n')
                                                                   : AboutText(systemFacts_)));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->addWidget(program_);
    texts->addWidget(system_);
    texts->addStretch();
    top->addLayout(texts, 1);
    auto* box = new QVBoxLayout(this);
    box->addLayout(top);
    box->addWidget(buttons);
    setMinimumWidth(460);
}

void AboutDialog::ShowSystemInfo()
{
    system_->setText(systemFacts_.empty() ? unavailable_ : FactsTable(systemFacts_));
    system_->show();
    systemButton_->setEnabled(false);
    adjustSize();
}
