#include "app/main_window_fixture.h"

#include <QAction>
#include <QDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using DialogStartFolders = support::MainWindowFixture;

QString startFolderOf(const support::ScriptedDialogs& dialogs, qsizetype index) {
    return QDir::cleanPath(dialogs.fileDialogs().at(index).initialFolder);
}

TEST_F(DialogStartFolders, afterOpeningAProjectAddThemeAndSaveStartInItsFolder) {
    theme("geo");
    theme("falhas");
    project("geo.shp,dados\\geo.shp\r\n");
    auto w = start();
    const QString projectFolder = QDir::cleanPath(drives.root('D') + "/proj");

    dialogs.push(projectFolder + "/p.jjj");
    w->OpenProject();
    ASSERT_EQ(w->CheckListBox1->count(), 1);
    dialogs.push(drives.root('D') + "/dados/falhas.shp");
    w->button("SpeedButton3")->click();
    ASSERT_EQ(w->CheckListBox1->count(), 2);
    dialogs.push(support::ScriptedDialogs::Cancel{});
    w->SaveProject();

    ASSERT_EQ(dialogs.fileDialogs().size(), 3);
    // "Abrir projeto" keeps its own folder, the root of C:.
    EXPECT_EQ(startFolderOf(dialogs, 0), QDir::cleanPath(drives.root('C')));
    EXPECT_EQ(startFolderOf(dialogs, 1), projectFolder);
    EXPECT_EQ(startFolderOf(dialogs, 2), projectFolder);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(DialogStartFolders, aProjectOpenedAtStartGivesItsFolderUntilANewProject) {
    auto w = startWithTheme();
    dialogs.push(support::ScriptedDialogs::Cancel{});
    w->button("SpeedButton3")->click();
    ASSERT_EQ(dialogs.fileDialogs().size(), 1);
    EXPECT_EQ(startFolderOf(dialogs, 0), QDir::cleanPath(drives.root('D') + "/proj"));

    // "Novo projeto": no project any more, and no file chosen yet.
    w->findChild<QAction*>("Novoprojeto1")->trigger();
    dialogs.push(support::ScriptedDialogs::Cancel{});
    w->button("SpeedButton3")->click();
    ASSERT_EQ(dialogs.fileDialogs().size(), 2);
    EXPECT_TRUE(dialogs.fileDialogs().at(1).initialFolder.isEmpty());
}

TEST_F(DialogStartFolders, withoutAProjectADialogStartsWhereTheLastChoiceWas) {
    theme("geo");
    auto w = start();
    dialogs.push(drives.root('D') + "/dados/geo.shp");
    w->button("SpeedButton3")->click();
    ASSERT_EQ(w->CheckListBox1->count(), 1);
    // A cancelled dialog changes nothing.
    dialogs.push(support::ScriptedDialogs::Cancel{});
    w->findChild<QAction*>("Grava_tela_bmp1")->trigger();
    QDir().mkpath(drives.root('D') + "/outros");
    dialogs.push(drives.root('D') + "/outros/novo.jjj");
    w->SaveProject();
    ASSERT_TRUE(QFile::exists(drives.root('D') + "/outros/novo.jjj"));
    // The project just saved is the open one now.
    dialogs.push(support::ScriptedDialogs::Cancel{});
    w->button("SpeedButton3")->click();

    ASSERT_EQ(dialogs.fileDialogs().size(), 4);
    EXPECT_TRUE(dialogs.fileDialogs().at(0).initialFolder.isEmpty());
    EXPECT_EQ(startFolderOf(dialogs, 1), QDir::cleanPath(drives.root('D') + "/dados"));
    EXPECT_EQ(startFolderOf(dialogs, 2), QDir::cleanPath(drives.root('D') + "/dados"));
    EXPECT_EQ(startFolderOf(dialogs, 3), QDir::cleanPath(drives.root('D') + "/outros"));
}

}  // namespace
