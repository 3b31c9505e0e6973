#include "app/command_line.h"
#include "app/guarded_application.h"
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "files/project_file.h"
#include "mapcontrol/map_widget.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_drives.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using MainWindowTest = support::MainWindowFixture;

const QByteArray kTwoThemes =
    "geo.shp                          ,dados\\geo.shp\r\n"
    "*falhas.shp                          ,dados\\falhas.shp\r\n";

}  // namespace

TEST_F(MainWindowTest, controlsStartWithTheirNamesHintsAndStates) {
    auto w = start();
    ASSERT_TRUE(started);
    EXPECT_EQ(w->windowTitle(), app::TForm1::kCaption);
    EXPECT_EQ(w->button("SpeedButton3")->toolTip(), "Adiciona tema");
    EXPECT_EQ(w->button("SpeedButton33")->toolTip(), "Sai do programa");
    EXPECT_FALSE(w->button("M2")->isEnabled());
    EXPECT_FALSE(w->button("SpeedButton30")->isEnabled());
    EXPECT_TRUE(w->button("SpeedButton28")->isHidden());
    EXPECT_TRUE(w->button("SpeedButton24")->isHidden());
    EXPECT_FALSE(w->CheckBox1->isEnabled());
    EXPECT_EQ(w->CheckBox1->text(), "KESTRAM");
    EXPECT_TRUE(w->Edit2->isHidden());
    EXPECT_TRUE(w->Map2->isHidden());
    EXPECT_TRUE(w->Image1->isHidden());
    EXPECT_EQ(w->ListBox2->toolTip(), "Seleção de níveis ");
    EXPECT_FALSE(w->state().themesLoaded);
    EXPECT_EQ(w->state().themeRenderKind.size(), 2001U);
    EXPECT_EQ(w->state().connectionKind, -1);
    EXPECT_FALSE(w->state().connectionMode);
}

TEST_F(MainWindowTest, buttonsOfAGroupGoDownOneAtATime) {
    auto w = start();
    QToolButton* pan = w->button("SpeedButton5");
    QToolButton* zoom = w->button("SpeedButton7");
    QToolButton* legend = w->button("SpeedButton18");
    pan->click();
    legend->click();
    EXPECT_TRUE(pan->isChecked());
    zoom->click();
    EXPECT_FALSE(pan->isChecked());
    EXPECT_TRUE(zoom->isChecked());
    EXPECT_TRUE(legend->isChecked());  // another group
    zoom->click();
    EXPECT_FALSE(zoom->isChecked());  // up again when pressed again
}

TEST_F(MainWindowTest, secondaryWindowsAreCreatedInOrderWithTheirCaptionsAndHidden) {
    auto w = start();
    const app::SecondaryWindows& windows = w->windows();
    ASSERT_EQ(windows.all().size(), 24U);
    EXPECT_EQ(windows.all().front()->objectName(), "TForm2");
    EXPECT_EQ(windows.all()[10]->objectName(), "TForm13");
    EXPECT_EQ(windows.all().back()->objectName(), "TForm17");
    EXPECT_EQ(windows.window("TForm14")->windowTitle(), "Quelvora -VORN");
    EXPECT_EQ(windows.window("TForm8")->windowTitle(), "Programa Quelvora  ");
    for (QWidget* window : windows.all()) {
        EXPECT_TRUE(window->isHidden()) << window->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, configProjectWithSIsLoadedOnItsDriveWithStarredThemesOff) {
    theme("geo");
    theme("falhas");
    project(kTwoThemes);
    drives.writeFile("C:\\xquelvora\\config.dat", "D\r\nS\r\nproj\\p.jjj\r\n");
    auto w = start({"quelvora", "*D:\\outro.jjj"});
    ASSERT_TRUE(started);
    ASSERT_EQ(w->CheckListBox1->count(), 2);
    EXPECT_EQ(w->CheckListBox1->item(0)->text(),
              "geo.shp                          ,D:\\dados\\geo.shp");
    EXPECT_EQ(w->CheckListBox1->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w->ListBox2->count(), 2);
    EXPECT_EQ(w->ComboBox1->count(), 2);
    EXPECT_TRUE(w->state().themesLoaded);
    EXPECT_EQ(w->state().dataDrive, QChar('D'));
    ASSERT_EQ(w->Map1->layers().count(), 2);
    EXPECT_EQ(w->Map1->layers().item(0)->name(), "geo");
    EXPECT_FALSE(w->Map1->layers().item(1)->isVisible());
    EXPECT_FALSE(w->Map2->layers().item(1)->isVisible());
    EXPECT_FALSE(w->Edit2->isHidden());
    // The project's data is in view, not the whole world; the scale bar
    // comes once the window is shown at its size.
    EXPECT_TRUE(w->Map1->extent().contains({0.5, 0.5}));
    EXPECT_LT(w->Map1->extent().size(), 10);
    w->show();
    QApplication::processEvents();
    EXPECT_FALSE(w->Panel2->isHidden());
    EXPECT_FALSE(w->Edit4->text().isEmpty());
}

TEST_F(MainWindowTest, lowerCaseSLoadsNothingAndTheCommandLineIsIgnoredWithConfig) {
    theme("geo");
    project(kTwoThemes);
    drives.writeFile("C:\\xquelvora\\config.dat", "D\r\ns\r\nproj\\p.jjj\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    EXPECT_EQ(w->CheckListBox1->count(), 0);
    EXPECT_FALSE(w->state().themesLoaded);
}

TEST_F(MainWindowTest, commandLineProjectIsLoadedWithoutConfigInEitherPathForm) {
    theme("geo");
    project("geo.shp,dados\\geo.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    ASSERT_EQ(w->CheckListBox1->count(), 1);
    EXPECT_EQ(w->state().dataDrive, QChar('D'));
    auto native = start({"quelvora", "*" + drives.root('D') + "/proj/p.jjj"});
    ASSERT_EQ(native->CheckListBox1->count(), 1);
    EXPECT_EQ(native->CheckListBox1->item(0)->text(), "geo.shp,D:\\dados\\geo.shp");
}

TEST_F(MainWindowTest, confDatEnablesTheDatabaseCheckBox) {
    drives.writeFile("C:\\xquelvora\\conf.dat", "kestram.example\r\n");
    auto w = start();
    EXPECT_TRUE(w->CheckBox1->isEnabled());
    EXPECT_EQ(w->state().gatewayLine, "kestram.example");
}

TEST_F(MainWindowTest, tooLittleMemoryShowsTheMessageAndStops) {
    auto w = start({"quelvora"}, 95ULL * 1048576);
    EXPECT_FALSE(started);
    EXPECT_EQ(dialogs.messages(), QStringList({app::TForm1::kMemoryMessage}));
    auto enough = start({"quelvora"}, 96ULL * 1048576);
    EXPECT_TRUE(started);
}

TEST_F(MainWindowTest, temporaryFilesGoAtStartAndWithTheExitButton) {
    QDir().mkpath(drives.programFolder());
    const QStringList names = {"temp.jpg", "temp.bmp", "temp1.bmp"};
    const auto writeAll = [&] {
        for (const QString& name : names) {
            QFile f(drives.programFolder() + "/" + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    };
    writeAll();
    drives.writeFile("C:\\TEMPORAY.DB", "x");
    auto w = start();
    for (const QString& name : names) {
        EXPECT_FALSE(QFile::exists(drives.programFolder() + "/" + name)) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(drives.native("C:\\TEMPORAY.DB")));
    writeAll();
    QSignalSpy exit(w.get(), &app::TForm1::exitRequested);
    w->button("SpeedButton33")->click();
    EXPECT_EQ(exit.count(), 1);
    EXPECT_FALSE(QFile::exists(drives.programFolder() + "/temp.jpg"));
}

TEST_F(MainWindowTest, unreadableConfigIsReportedAndTheProgramRunsOn) {
    QDir().mkpath(drives.configFolder() + "/config.dat");
    auto w = start();
    EXPECT_TRUE(started);
    EXPECT_EQ(dialogs.messages().size(), 1);
}

TEST_F(MainWindowTest, oddProjectLinesGiveThemesWithoutCrashing) {
    theme("geo");
    project(QByteArray("\x00\xff junk\r\n\r\n", 11) + QByteArray(100'000, 'x') +
            "\r\ngeo.shp,dados\\geo.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    EXPECT_EQ(w->CheckListBox1->count(), 4);
    ASSERT_EQ(w->Map1->layers().count(), 4);  // every theme holds its place
    EXPECT_TRUE(w->Map1->layers().item(3)->isValid());
}

TEST_F(MainWindowTest, addButtonAndCheckMarksDriveTheThemeList) {
    theme("geo");
    auto w = start();
    dialogs.push(drives.root('D') + "/dados/geo.shp");
    w->button("SpeedButton3")->click();
    ASSERT_EQ(dialogs.fileDialogs().size(), 1) << dialogs.messages().join("|").toStdString();
    ASSERT_EQ(w->CheckListBox1->count(), 1) << dialogs.messages().join("|").toStdString();
    EXPECT_EQ(dialogs.fileDialogs().last().filter, app::TForm1::kAddThemeFilter);
    EXPECT_FALSE(w->Edit2->isHidden());
    w->CheckListBox1->item(0)->setCheckState(Qt::Unchecked);  // as a click on the box does
    EXPECT_FALSE(w->Map1->layers().isVisible(0));
    EXPECT_TRUE(w->Map2->layers().isVisible(0));
    w->CheckListBox1->item(0)->setSelected(true);
    w->button("SpeedButton17")->click();
    EXPECT_EQ(w->CheckListBox1->count(), 0);
    EXPECT_EQ(w->Map1->layers().count(), 0);
}

TEST_F(MainWindowTest, zoomButtonsAndTheCoordinateReadoutWorkOnTheLoadedProject) {
    theme("geo");
    project("geo.shp,dados\\geo.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    const double before = w->Map1->extent().size();
    w->button("SpeedButton2")->click();
    EXPECT_NEAR(w->Map1->extent().size(), before * 0.8, 1e-9);
    w->button("SpeedButton4")->click();
    EXPECT_NEAR(w->Map1->extent().size(), before * 0.96, 1e-9);
    emit w->Map1->mouseMove(Qt::NoButton, Qt::NoModifier, 10, 10);
    EXPECT_FALSE(w->Edit2->text().isEmpty());
    EXPECT_EQ(w->Edit6->text(), "10");
}

TEST_F(MainWindowTest, scaleBarFollowsThePointerWhileHeld) {
    auto w = start();
    w->Panel2->show();
    const QPoint before = w->Panel2->pos();
    QTest::mousePress(w->Panel2, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 25), w->Panel2->mapToGlobal(QPointF(60, 25)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Panel2, &move);
    QTest::mouseRelease(w->Panel2, Qt::LeftButton, Qt::NoModifier, QPoint(60, 25));
    EXPECT_EQ(w->Panel2->pos(), before + QPoint(60, 25));
    QMouseEvent later(QEvent::MouseMove, QPointF(5, 5), w->Panel2->mapToGlobal(QPointF(5, 5)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w->Panel2, &later);
    EXPECT_EQ(w->Panel2->pos(), before + QPoint(60, 25));  // released: it stays
}

TEST_F(MainWindowTest, clickingAThemeRaisesQueryToolsAndEndsReordering) {
    theme("geo");
    theme("falhas");
    project(kTwoThemes);
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    w->CheckListBox1->item(0)->setSelected(true);
    w->button("SpeedButton29")->click();
    EXPECT_TRUE(w->state().moveThemeMode);
    EXPECT_TRUE(w->button("SpeedButton30")->isEnabled());
    w->button("SpeedButton31")->click();
    w->button("SpeedButton10")->setChecked(true);
    emit w->CheckListBox1->itemClicked(w->CheckListBox1->item(0));
    EXPECT_FALSE(w->state().moveThemeMode);
    EXPECT_FALSE(w->button("SpeedButton10")->isChecked());
    EXPECT_FALSE(w->button("SpeedButton30")->isEnabled());
    EXPECT_EQ(w->Map1->layers().item(1)->name(), "geo");
}

TEST_F(MainWindowTest, moveButtonsBringTheQueryWindowBackWhileQueryingOnly) {
    theme("geo");
    theme("falhas");
    project(kTwoThemes);
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    QWidget* queryWindow = w->windows().window("TForm5");
    w->CheckListBox1->item(0)->setSelected(true);
    w->button("SpeedButton29")->click();
    ASSERT_TRUE(w->state().moveThemeMode);

    w->button("SpeedButton31")->click();
    EXPECT_FALSE(queryWindow->isVisible());  // query tool off: stays hidden

    w->button("SpeedButton10")->setChecked(true);
    w->button("SpeedButton30")->click();
    EXPECT_TRUE(queryWindow->isVisible());
    queryWindow->hide();
    w->button("SpeedButton32")->click();
    EXPECT_TRUE(queryWindow->isVisible());
    EXPECT_FALSE(w->state().moveThemeMode);
    EXPECT_EQ(w->Map1->layers().item(0)->name(), "geo");  // moved down and back up
}

TEST_F(MainWindowTest, hidingAndShowingTheOverviewRestoresTheListHeight) {
    auto w = start();
    w->show();
    QApplication::processEvents();
    const int before = w->PageControl1->height();
    w->RadioGroup1->findChild<QRadioButton*>("RadioGroup1Item0")->setChecked(true);
    QApplication::processEvents();
    EXPECT_FALSE(w->Map2->isHidden());
    w->RadioGroup1->findChild<QRadioButton*>("RadioGroup1Item1")->setChecked(true);
    QApplication::processEvents();
    EXPECT_TRUE(w->Map2->isHidden());
    EXPECT_EQ(w->PageControl1->height(), before);
}

TEST_F(MainWindowTest, distancesMenuStartsTheDistanceTool) {
    theme("geo");
    project("geo.shp,dados\\geo.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    w->findChild<QAction*>("Distancias1")->trigger();
    EXPECT_TRUE(w->button("SpeedButton13")->isChecked());
    EXPECT_TRUE(w->state().distanceActive);
    EXPECT_FALSE(w->Edit10->isHidden());
    EXPECT_TRUE(w->Map1->isHidden());
}

TEST_F(MainWindowTest, savedProjectOpensAgainWithItsThemesAndMarks) {
    theme("geo");
    theme("falhas");
    project(kTwoThemes);
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    const QString saved = drives.root('D') + "/proj/copia.jjj";
    dialogs.push(saved);
    w->SaveProject();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kTwoThemes);
    file.close();

    auto other = start();
    const bool coordsBefore = other->state().coordsVisible;
    dialogs.push(saved);
    other->OpenProject();
    ASSERT_EQ(other->CheckListBox1->count(), 2);
    EXPECT_EQ(other->CheckListBox1->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(other->Map1->layers().count(), 2);
    EXPECT_NE(other->state().coordsVisible, coordsBefore);  // the read-out is flipped
    EXPECT_FALSE(other->Panel2->isHidden());                // and the scale bar shown
}

TEST_F(MainWindowTest, projectIsRefusedOnAnotherDriveOrWithoutThemes) {
    auto empty = start();
    empty->SaveProject();
    EXPECT_EQ(dialogs.lastMessage(), files::kNothingToSaveMessage);
    theme("geo");
    project("geo.shp,dados\\geo.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    const QString eRoot = drives.addDrive('E');
    dialogs.push(eRoot + "/p.jjj");
    w->SaveProject();
    EXPECT_EQ(dialogs.lastMessage(), files::kOtherDriveMessage);
    EXPECT_FALSE(QFile::exists(eRoot + "/p.jjj"));
}

TEST_F(MainWindowTest, projectWhoseFirstThemeIsMissingLeavesAnEmptyList) {
    theme("geo");
    project("sumiu.shp,dados\\sumiu.shp\r\ngeo.shp,dados\\geo.shp\r\n");
    auto w = start();
    dialogs.push(drives.root('D') + "/proj/p.jjj");
    w->OpenProject();
    EXPECT_TRUE(dialogs.lastMessage().startsWith(files::kUnreadableProjectMessage));
    EXPECT_EQ(w->CheckListBox1->count(), 0);
}

TEST_F(MainWindowTest, anUnreadableProjectNamesItsMissingThemeAndWhereItWasLookedFor) {
    theme("geo");
    project("sumiu.shp,dados\\sumiu.shp\r\ngeo.shp,dados\\geo.shp\r\n");
    auto w = start();
    dialogs.push(drives.root('D') + "/proj/p.jjj");
    w->OpenProject();
    ASSERT_EQ(dialogs.messages().size(), 1);  // still one message box
    const QString onMappedDrive = dialogs.lastMessage();
    EXPECT_TRUE(onMappedDrive.startsWith(files::kUnreadableProjectMessage + "\n"));
    EXPECT_TRUE(onMappedDrive.contains("D:\\dados\\sumiu.shp"));
    EXPECT_TRUE(onMappedDrive.contains(drives.root('D') + "/dados/sumiu.shp"));
    EXPECT_FALSE(onMappedDrive.contains("drives.conf"));  // D: has its folder
    EXPECT_FALSE(onMappedDrive.contains("geo.shp"));      // only the first theme is looked for
}

TEST_F(MainWindowTest, anUnreadableProjectOnAnUnmappedDriveSaysHowToMapIt) {
    drives.addDrive('Z');  // "/" is no drive: a project outside the drives keeps the data drive
    auto w = start({"quelvora", "*Q:\\proj\\p.jjj"});  // Q: maps no folder
    ASSERT_EQ(w->state().dataDrive, 'Q');
    QTemporaryDir elsewhere;
    QFile file(elsewhere.filePath("p.jjj"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("geo.shp,dados\\geo.shp\r\n");
    file.close();
    dialogs.push(file.fileName());
    w->OpenProject();
    ASSERT_EQ(dialogs.messages().size(), 1);
    const QString m = dialogs.lastMessage();
    EXPECT_TRUE(m.startsWith(files::kUnreadableProjectMessage + "\n")) << m.toStdString();
    EXPECT_TRUE(m.contains("Q:\\dados\\geo.shp")) << m.toStdString();
    EXPECT_TRUE(m.contains("\nQ=/caminho/da/pasta\n")) << m.toStdString();
    EXPECT_TRUE(m.contains(drives.configFolder() + "/drives.conf")) << m.toStdString();
    EXPECT_EQ(w->CheckListBox1->count(), 0);
}

TEST_F(MainWindowTest, colourFileIsSavedForTheOnlyVisibleThemeAndRefusedOtherwise) {
    theme("geo");
    theme("falhas");
    project(kTwoThemes);  // geo on, falhas off
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    w->CheckListBox1->item(1)->setSelected(
        true);  // another theme selected: the visible one is saved
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");
    QFile cor(drives.root('D') + "/dados/geo.cor");
    ASSERT_TRUE(cor.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cor.readAll().startsWith("SIGLA,1\r\ngeo,0,0,255,0\r\n"));

    w->CheckListBox1->item(1)->setCheckState(Qt::Checked);  // two visible, theme 1 selected
    w->button("SpeedButton25")->click();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Para trabalhar com gravação de paleta de cores"));
    w->CheckListBox1->clearSelection();
    w->CheckListBox1->item(0)->setSelected(true);
    w->state().themeRenderKind[0] = 1;
    w->button("SpeedButton25")->click();
    EXPECT_TRUE(
        dialogs.lastMessage().startsWith("Nesta versão ainda não é possível gravar legenda"));
    w->CheckListBox1->clearSelection();
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Selecione um tema");
}

TEST_F(MainWindowTest, whatWindows1252CannotHoldIsRefusedAndTheOldFilesStay) {
    QDir().mkpath(drives.root('D') + QString::fromUtf8("/Łódź"));
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
    b.encoding(fixtures::TextEncoding::Utf8, true).textField("NOME", 12);
    b.feature("POINT(0.5 0.5)", {QString::fromUtf8("Łódź")});
    ASSERT_TRUE(b.write(drives.root('D') + QString::fromUtf8("/Łódź/pts2.shp")));
    auto w = start();
    dialogs.push(drives.root('D') + QString::fromUtf8("/Łódź/pts2.shp"));
    w->button("SpeedButton3")->click();
    ASSERT_EQ(w->CheckListBox1->count(), 1);

    drives.writeFile("D:\\proj\\p.jjj", "old\r\n");
    dialogs.push(drives.root('D') + "/proj/p.jjj");
    w->SaveProject();
    EXPECT_TRUE(dialogs.lastMessage().contains(QString::fromUtf8("Łź")))
        << dialogs.lastMessage().toStdString();
    QFile old(drives.native("D:\\proj\\p.jjj"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old\r\n");

    w->CheckListBox1->item(0)->setSelected(true);
    w->button("SpeedButton25")->click();  // "Grava legenda": the value "Łódź"
    EXPECT_TRUE(dialogs.lastMessage().contains(QString::fromUtf8("Łź")));
    EXPECT_FALSE(dialogs.messages().contains("Gravação de paleta realizada com sucesso"));
    EXPECT_FALSE(QFile::exists(drives.root('D') + QString::fromUtf8("/Łódź/pts2.cor")));
}

TEST_F(MainWindowTest, aProjectThatCannotBeOpenedLeavesTheThemesAsTheyWere) {
    auto w = startWithTheme();
    drives.writeFile("D:\\proj\\outro.jjj", "sumiu.shp,dados\\sumiu.shp\r\n");
    dialogs.push(drives.root('D') + "/proj/outro.jjj");
    w->OpenProject();
    EXPECT_TRUE(dialogs.lastMessage().startsWith(files::kUnreadableProjectMessage));
    ASSERT_EQ(w->CheckListBox1->count(), 1);
    EXPECT_EQ(w->ListBox2->count(), 1);
    EXPECT_EQ(w->Map1->layers().count(), 1);
}

TEST_F(MainWindowTest, windowTitlesAreTheCaptionsExactly) {
    app::nameApplication();
    // No display name: Qt would append it to every title on X11.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    auto w = start();
    EXPECT_EQ(w->windowTitle(), app::TForm1::kCaption);
    EXPECT_EQ(w->windows().window("TForm14")->windowTitle(), "Quelvora -VORN");
    EXPECT_EQ(w->windows().window("TForm7")->windowTitle(), "Ajuda do Programa Quelvora ");
}

TEST_F(MainWindowTest, aLaterStartWithAProjectIsToldAndTheOpenProjectStays) {
    auto w = startWithTheme();
    const std::vector<files::ThemeEntry> before = w->themeEntries();
    w->showMinimized();
    w->anotherStartAsked(QString());
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(dialogs.messages().isEmpty());  // a plain start only comes forward

    w->anotherStartAsked("/home/ana/mapas/serra.jjj");
    EXPECT_TRUE(dialogs.messages().isEmpty());  // told once the window is forward
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.lastMessage(), app::projectNotOpenedMessage("/home/ana/mapas/serra.jjj"));
    EXPECT_EQ(w->themeEntries(), before);
}
