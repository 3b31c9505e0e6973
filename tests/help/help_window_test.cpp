#include "help/help_window.h"

#include "platform/web_view.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

// The help window of an installed program: a page the configuration folder
// holds wins, one it lacks comes from the installed pages.
TEST(HelpWindow, pagesComeFromTheConfigurationFolderThenFromTheInstalledOnes) {
    support::TempDrives drives;
    QDir().mkpath(drives.configFolder());
    drives.writeFile("C:\\xquelvora\\7.htm", "<html><body>Ajuda do usuario</body></html>");
    QTemporaryDir installed;
    for (const char* page : {"7", "9"}) {
        QFile file(installed.filePath(QString::fromLatin1(page) + ".htm"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("<html><body>Ajuda instalada ") + page + "</body></html>");
    }
    QWidget helpForm;
    QWidget creditsForm;
    help::HelpWindow help(helpForm, creditsForm, 'C', drives.table(), installed.path());

    help.choose("zoom pan *7");
    EXPECT_TRUE(help.WebBrowser1->content().contains("Ajuda do usuario"));
    help.choose("query *9");
    EXPECT_TRUE(help.WebBrowser1->content().contains("Ajuda instalada 9"));
    QStringList opened;
    help.WebBrowser1->setBrowserOpener([&](const QUrl& url) { opened << url.toString(); });
    help.SpeedButton2->click();
    EXPECT_EQ(opened, QStringList{QDir(installed.path()).filePath("9.htm")});

    // A page neither folder holds is shown as missing, under the user's name.
    help.choose("legenda *12");
    EXPECT_TRUE(help.WebBrowser1->content().isEmpty());
    EXPECT_EQ(help.WebBrowser1->address(), drives.configFolder() + "/12.htm");
    help.SpeedButton2->click();
    EXPECT_EQ(opened.size(), 1);  // nothing to open outside
}
