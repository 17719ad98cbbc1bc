#include "views/mainwindow.h"

#include "core/appstate.h"
#include "i18n/languagetable.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>

MainWindow::MainWindow(AppState& state, LanguageTable& language, QWidget* parent)
    : QMainWindow(parent), state_(state), lang_(language)
{
    setObjectName(QStringLiteral("mdiVAM"));
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);

    fileMenu_ = menuBar()->addMenu(QString());
    exitAction_ = fileMenu_->addAction(QString(), this, &QWidget::close);
    helpMenu_ = menuBar()->addMenu(QString());

    static const char* const kPanelKeys[kPanelCount] = {"Settings", "Connection", "Log", "LogCount", "LastAction"};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(kPanelKeys[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(label, i == kPanelCount - 1 ? 1 : 0);
        panels_[size_t(i)] = label;
    }
    resize(1024, 700);
    LaadStrings();
}

void MainWindow::LaadStrings()
{
    setWindowTitle(state_.DeviceName.isEmpty() ? QStringLiteral("VAM") : state_.DeviceName);
    fileMenu_->setTitle(lang_[0]);
    exitAction_->setText(lang_[7]);
    helpMenu_->setTitle(lang_[126]);
    panels_[0]->setText(state_.SerialPort + QStringLiteral(", ") + state_.Baudrate + QStringLiteral(" bps."));
    panels_[4]->setText(lang_[207] + lang_[49]);
}
