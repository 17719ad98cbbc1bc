#include "ui/help/helpwindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    resize(760, 620);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto button = [&](QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    back_ = button(QStyle::SP_ArrowBack, tr("Back"));
    forward_ = button(QStyle::SP_ArrowForward, tr("Forward"));
    home_ = button(QStyle::SP_DirHomeIcon, tr("Contents"));
    bar->addStretch();
    layout->addLayout(bar);
    browser_ = new QTextBrowser(this);
    // Topic links open here; web addresses go to the desktop's browser.
    browser_->setOpenLinks(false);
    layout->addWidget(browser_);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.isLocalFile() || url.isRelative())
            browser_->setSource(url.isRelative() ? browser_->source().resolved(url) : url);
        else
            QDesktopServices::openUrl(url);
    });
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, this, [this] {
        if (!contents_.isEmpty())
            browser_->setSource(QUrl::fromLocalFile(contents_));
    });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(browser_->documentTitle()); });
    back_->setEnabled(false);
    forward_->setEnabled(false);
}

void HelpWindow::ShowTopic(const QUrl& topic, const QString& contents)
{
    contents_ = contents;
    // Pictures and linked topics are found beside the topic.
    browser_->setSearchPaths({QFileInfo(topic.toLocalFile()).absolutePath()});
    browser_->setSource(topic);
    show();
    raise();
    activateWindow();
}
