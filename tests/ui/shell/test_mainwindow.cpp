#include "core/model/appstate.h"
#include "core/help/languagetable.h"
#include "ui/shell/mainwindow.h"

#include <QLabel>
#include <QMenuBar>
#include <gtest/gtest.h>

TEST(MainWindow, CaptionsFollowTheLanguageTable)
{
    AppState state;
    LanguageTable lang;
    MainWindow w(state, lang);
    w.show();
    EXPECT_EQ(w.menuBar()->actions().first()->text(), QStringLiteral("&File"));
    EXPECT_EQ(w.Panel(0)->text(), QStringLiteral("COM1, 2400 bps."));
    qint16 nl = 2;
    lang.SetLanguage(nl);
    w.LaadStrings();
    EXPECT_EQ(w.menuBar()->actions().first()->text(), QStringLiteral("&Bestand"));
}
