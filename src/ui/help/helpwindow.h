#pragma once
// The help topics in a window of the program's own: a text browser over the
// unpacked topic files with back, forward and contents, and the topics'
// pictures. It needs no browser on the desktop (where the default opener may
// be a text editor, or nothing at all).

#include <QWidget>

class QTextBrowser;
class QUrl;
class QToolButton;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows `topic` (a topic file, scrolled to the section its fragment
    // names), raises the window; `contents` is the topic the Contents button
    // goes back to.
    void ShowTopic(const QUrl& topic, const QString& contents);
    QTextBrowser* Browser() const { return browser_; }
    QToolButton* BackButton() const { return back_; }
    QToolButton* ForwardButton() const { return forward_; }

private:
    QTextBrowser* browser_ = nullptr;
    QToolButton *back_ = nullptr, *forward_ = nullptr, *home_ = nullptr;
    QString contents_;
};
