// The main window's own dialogs: every message box, question, file dialog
// and progress window it shows. Each can be replaced by its handler (tests,
// scripted runs), so no path through the window waits on a person there.
#include "ui/shell/mainwindow.h"
#include "comm/connection.h"

#include "core/help/languagetable.h"
#include "core/help/aboutinfo.h"
#include "core/config/startup.h"
#include "core/model/appstate.h"
#include "ui/help/helpwindow.h"
#include "ui/shell/aboutdialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QUrl>

namespace {
enum Text { kDataFiles = 81, kFileToSaveAs = 85, kHelpMissing = 364 };
}

QString MainWindow::ChooseFile(const QString& title, const QString& folder, const QString& filter, bool save)
{
    if (fileChooser)
        return fileChooser(title, folder, filter, save);
    QFileDialog dialog(this, title, folder, filter);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The overwrite question is the program's own, with its own wording.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString MainWindow::AskTransferFileName()
{
    if (transferFileChooser)
        return transferFileChooser();
    return AskSaveName(s_.FolderData, lang_[115] + QStringLiteral(" (*.txt)"), QStringLiteral("txt"));
}

QString MainWindow::AskSaveName(const QString& folder, const QString& filter, const QString& suffix)
{
    QFileDialog dialog(this, lang_[kFileToSaveAs], folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void MainWindow::ShowAbout(bool systemInfo)
{
    AboutDialog about(s_, lang_, MachineFacts::Current(), this);
    if (systemInfo)
        about.ShowSystemInfo();
    if (aboutRunner)
        aboutRunner(about);
    else
        about.exec();
}

void MainWindow::ShowHelpTopic(const QString& topic)
{
    // "topic.htm#section" opens the topic at that section.
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    const QString section = hash < 0 ? QString() : topic.mid(hash + 1);
    const QString path = HelpTopicPath(s_.FolderHelp, s_.LanguageIndex, hash < 0 ? topic : topic.left(hash));
    if (path.isEmpty()) {
        // Say where the help was looked for, so it can be found or put back.
        ShowWarning(QStringLiteral("VAM"), lang_[kHelpMissing].arg(QDir::toNativeSeparators(s_.FolderHelp)));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (!section.isEmpty())
        url.setFragment(section);
    if (urlOpener) {
        urlOpener(url);
        return;
    }
    // The program's own help window: no browser on the desktop is needed.
    if (!helpWindow_)
        helpWindow_ = new HelpWindow(this);
    helpWindow_->ShowTopic(url, HelpTopicPath(s_.FolderHelp, s_.LanguageIndex, QStringLiteral("main_window.htm")));
}

HelpWindow* MainWindow::Help() const { return helpWindow_.data(); }

void MainWindow::Gate(std::function<void()> command) { conn_->RunWhenReadingDone(std::move(command)); }

void MainWindow::ShowWarning(const QString& title, const QString& text)
{
    if (warningHandler) {
        warningHandler(title, text);
    } else if (conn_ && conn_->InCycle()) {
        // Said from inside a reading (a write error, say): shown without
        // waiting for OK, so measuring and logging go on behind it.
        auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    } else {
        QMessageBox::warning(this, title, text);
    }
}

UserPrompts::Answer MainWindow::AskRetryCancel(const QString& title, const QString& text)
{
    if (retryHandler)
        return retryHandler(title, text);
    const auto b = QMessageBox::critical(this, title, text, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
    return b == QMessageBox::Retry ? Retry : Cancel;
}

bool MainWindow::ScanProgress(const QString& caption, int position, int maximum)
{
    if (!progress_) {
        progress_ = new QProgressDialog(lang_[300].trimmed(), QString(lang_[40]).remove(QLatin1Char('&')), 0, maximum, this);
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(0);
    }
    progress_->setWindowTitle(caption);
    progress_->setMaximum(maximum);
    progress_->setValue(position);
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}

void MainWindow::ScanFinished()
{
    if (progress_)
        progress_->deleteLater();
}

int MainWindow::Ask(const QString& title, const QString& text, bool withCancel)
{
    if (questionHandler)
        return questionHandler(title, text, withCancel);
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    return QMessageBox::question(this, title.isEmpty() ? QStringLiteral("VAM") : title, text, buttons);
}

QString MainWindow::AskRecoveryFileName()
{
    if (saveTableChooser)
        return saveTableChooser();
    return AskSaveName(s_.DocumentsFolder, lang_[kDataFiles] + QStringLiteral(" (*.vam)"), QStringLiteral("vam"));
}
