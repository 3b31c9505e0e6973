// Commands following one another in the main window, as a user runs them:
// the theme list and both maps stay in step, tool buttons come up when a
// command ends another, and the read-outs follow the window's real size.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "query/identify_tool.h"
#include "query/map_tips.h"
#include "support/fixtures/raster_builder.h"
#include "workspace/readouts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

class CommandsInStepTest : public support::MainWindowFixture {
protected:
    // Drive D: the points "pontos", the polygons "geo" and the picture
    // "relevo.tif", listed in that order and all switched on; the window is
    // shown at 900 x 700.
    std::unique_ptr<app::TForm1> startWithThree() {
        QDir().mkpath(drives.root('D') + "/dados");
        fixtures::ShapefileBuilder points(fixtures::ShapeType::Point);
        points.textField("TIPO", 8);
        points.feature("POINT(0.5 0.5)", {QString("poco")});
        EXPECT_TRUE(points.write(drives.root('D') + "/dados/pontos.shp"));
        theme("geo");
        fixtures::RasterBuilder relief(fixtures::RasterFormat::GeoTiff, 8, 8, 1);
        relief.geoTransform({0, 0.25, 0, 2, 0, -0.25}).fill({100});
        EXPECT_TRUE(relief.write(drives.root('D') + "/dados/relevo.tif"));
        project(
            "pontos.shp      ,dados\\pontos.shp\r\n"
            "geo.shp      ,dados\\geo.shp\r\n"
            "relevo.tif      ,dados\\relevo.tif\r\n");
        return shown(start({"quelvora", "*D:\\proj\\p.jjj"}));
    }

    static std::unique_ptr<app::TForm1> shown(std::unique_ptr<app::TForm1> w) {
        w->resize(900, 700);
        w->show();
        QApplication::processEvents();
        return w;
    }

    static void select(app::TForm1& w, int theme) {
        w.CheckListBox1->clearSelection();
        w.CheckListBox1->item(theme)->setSelected(true);
    }

    static QStringList listedLayers(const app::TForm1& w) {
        QStringList names;
        for (int i = 0; i < w.CheckListBox1->count(); ++i) {
            names << files::layerName(w.CheckListBox1->item(i)->text());
        }
        return names;
    }

    static QStringList layerNames(const mapcontrol::MapWidget& map) {
        QStringList names;
        for (int i = 0; i < map.layers().count(); ++i) names << map.layers().item(i)->name();
        return names;
    }

    // Theme i of the list is layer i of both maps.
    static void expectInStep(const app::TForm1& w) {
        EXPECT_EQ(layerNames(*w.Map1), listedLayers(w));
        EXPECT_EQ(layerNames(*w.Map2), listedLayers(w));
    }

    // Map tips on for the selected theme's field, as the user does.
    static void tipsOn(app::TForm1& w, int theme, const QString& field) {
        select(w, theme);
        w.button("SpeedButton19")->click();
        w.mapTips().ComboBox1->setCurrentText(field);
        w.mapTips().SpeedButton1->click();
        ASSERT_TRUE(w.button("SpeedButton19")->isChecked());
        ASSERT_TRUE(w.mapTips().timer().isActive());
    }

    static void expectTipsOff(app::TForm1& w) {
        EXPECT_TRUE(w.Edit5->isHidden());  // no tip left on the map
        EXPECT_FALSE(w.button("SpeedButton19")->isChecked());
        EXPECT_FALSE(w.state().mapTipsActive);
        EXPECT_FALSE(w.mapTips().timer().isActive());
    }
};

}  // namespace

TEST_F(CommandsInStepTest, aReorderEndedByAnyCommandReachesBothMaps) {
    const std::vector<std::pair<const char*, std::function<void(app::TForm1&)>>> enders = {
        {"Cálculo twice",
         [](app::TForm1& w) {
             w.button("SpeedButton13")->click();
             w.button("SpeedButton13")->click();
         }},
        {"Atualiza escala",
         [](app::TForm1& w) {
             w.Edit4->setText("500000");
             w.findChild<QToolButton*>("SpeedButton26")->click();
         }},
        {"+", [](app::TForm1& w) { w.findChild<QToolButton*>("SpeedButton22")->click(); }},
        {"-", [](app::TForm1& w) { w.findChild<QToolButton*>("SpeedButton23")->click(); }},
    };
    for (const auto& [name, end] : enders) {
        SCOPED_TRACE(name);
        auto w = startWithThree();
        select(*w, 2);
        w->button("SpeedButton29")->click();  // "Iniciar"
        for (int i = 0; i < 3; ++i) w->button("SpeedButton30")->click();
        end(*w);
        EXPECT_FALSE(w->state().moveThemeMode);
        EXPECT_FALSE(w->button("SpeedButton30")->isEnabled());
        EXPECT_EQ(listedLayers(*w), QStringList({"relevo.tif", "pontos", "geo"}));
        expectInStep(*w);
        // "Apaga" then removes the picture, not the points.
        select(*w, 0);
        w->button("SpeedButton17")->click();
        EXPECT_EQ(listedLayers(*w), QStringList({"pontos", "geo"}));
        expectInStep(*w);
    }
}

TEST_F(CommandsInStepTest, f1HeldWithoutAStartedMoveMovesNothing) {
    auto w = startWithThree();
    select(*w, 0);
    w->button("SpeedButton29")->click();
    w->button("SpeedButton31")->click();  // "Mover para baixo"
    w->button("SpeedButton32")->click();  // "Encerrar"
    EXPECT_EQ(listedLayers(*w), QStringList({"geo", "pontos", "relevo.tif"}));
    expectInStep(*w);

    // F1 held in the list and a click there: no move was started.
    QTest::keyPress(w->CheckListBox1, Qt::Key_F1);
    emit w->CheckListBox1->itemClicked(w->CheckListBox1->item(2));
    QTest::keyRelease(w->CheckListBox1, Qt::Key_F1);
    EXPECT_FALSE(w->state().moveThemeMode);
    EXPECT_EQ(listedLayers(*w), QStringList({"geo", "pontos", "relevo.tif"}));
    expectInStep(*w);

    // A move started, then F1 pressed and released: the move reaches the maps.
    select(*w, 2);
    w->button("SpeedButton29")->click();
    w->button("SpeedButton30")->click();
    QTest::keyPress(w->CheckListBox1, Qt::Key_F1);
    QTest::keyRelease(w->CheckListBox1, Qt::Key_F1);
    EXPECT_FALSE(w->state().moveThemeMode);
    EXPECT_EQ(listedLayers(*w), QStringList({"geo", "relevo.tif", "pontos"}));
    expectInStep(*w);
}

TEST_F(CommandsInStepTest, addingRemovingAndStartingAMoveEachRunTheCommonPreamble) {
    auto w = startWithThree();
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("SIGLA", 8).feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {QString("x")});
    ASSERT_TRUE(b.write(drives.root('D') + "/dados/novo.shp"));

    tipsOn(*w, 1, "SIGLA");
    dialogs.push(drives.root('D') + "/dados/novo.shp");
    w->button("SpeedButton3")->click();  // "Adiciona tema"
    ASSERT_EQ(w->CheckListBox1->count(), 4);
    expectTipsOff(*w);
    expectInStep(*w);

    w->button("SpeedButton7")->click();  // the zoom window tool down
    select(*w, 0);
    w->button("SpeedButton17")->click();  // "Apaga"
    EXPECT_FALSE(w->button("SpeedButton7")->isChecked());
    expectInStep(*w);

    for (const char* tool : {"SpeedButton6", "SpeedButton10", "SpeedButton9"}) {
        SCOPED_TRACE(tool);
        w->button(tool)->setChecked(true);
        select(*w, 0);
        w->button("SpeedButton29")->click();  // "Iniciar"
        EXPECT_FALSE(w->button(tool)->isChecked());
        w->button("SpeedButton32")->click();
    }
    tipsOn(*w, 1, "SIGLA");
    select(*w, 0);
    w->button("SpeedButton29")->click();
    expectTipsOff(*w);
    w->button("SpeedButton32")->click();
    expectInStep(*w);
}

TEST_F(CommandsInStepTest, aFileThatCannotBeAddedLeavesTheListAndTheMapsAlone) {
    auto w = startWithThree();
    w->state().themeRenderKind[1] = 1;
    QFile damaged(drives.root('D') + "/dados/falhas.shp");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(100, '\x7f'));
    damaged.close();
    dialogs.push(damaged.fileName());
    w->button("SpeedButton3")->click();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Nao posso adicionar tema\n"));
    EXPECT_EQ(listedLayers(*w), QStringList({"pontos", "geo", "relevo.tif"}));
    expectInStep(*w);
    EXPECT_EQ(w->state().themeRenderKind[1], 1);  // the kinds did not move

    // A picture that cannot be opened says so, and is not added either.
    drives.writeFile("D:\\dados\\mosaico.tif", "not a picture");
    dialogs.push(drives.root('D') + "/dados/mosaico.tif");
    w->button("SpeedButton3")->click();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Nao posso abrir arquivo\n"));
    expectInStep(*w);
}

TEST_F(CommandsInStepTest, aProjectWrittenInAnotherCaseThanItsFilesWorksThroughout) {
    theme("geologia");
    project("GEOLOGIA.SHP      ,DADOS\\GEOLOGIA.SHP\r\n");
    auto w = shown(start({"quelvora", "*D:\\proj\\p.jjj"}));
    ASSERT_EQ(w->Map1->layers().count(), 1);
    EXPECT_TRUE(w->Map1->layers().item(0)->isValid());
    expectInStep(*w);

    w->ShowLegend();
    ASSERT_EQ(w->ListBox1->count(), 2);  // its title and its class
    EXPECT_TRUE(w->ListBox1->item(0)->text().startsWith(" ***GEOLOGIA.SHP***"));

    select(*w, 0);
    w->button("SpeedButton6")->click();
    w->Map1->setExtent(mapcontrol::Rectangle(0, 1, 1, 0));
    const QPointF pixel = w->Map1->toPixel({0.5, 0.5});
    w->navigation().mousePress(Qt::LeftButton, int(pixel.x()), int(pixel.y()));
    EXPECT_EQ(w->identify().foundCount(), 1);

    w->button("SpeedButton25")->click();  // "Grava legenda"
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");
    EXPECT_TRUE(QFile::exists(drives.native("D:\\DADOS\\GEOLOGIA.cor")));

    w->CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(w->Map1->layers().isVisible(0));
}

TEST_F(CommandsInStepTest, aStartFromConfigWorksOutTheScaleAtTheWindowsSize) {
    theme("geo");
    project("geo.shp      ,dados\\geo.shp\r\n");
    drives.writeFile("C:\\xquelvora\\config.dat", "D\r\nS\r\nproj\\p.jjj\r\n");
    auto w = shown(start());
    ASSERT_FALSE(w->Panel2->isHidden());
    const double expected = workspace::numericScale(w->Map1->width(), w->Map1->extent());
    EXPECT_EQ(w->Edit4->text(), workspace::scaleText(expected));
    EXPECT_EQ(w->Image2->text(), workspace::scaleBarText(w->Image2->width(), expected));
}

TEST_F(CommandsInStepTest, aMeasurementEndedByAnotherCommandRaisesItsButton) {
    auto w = startWithThree();
    QToolButton* distance = w->button("SpeedButton13");
    distance->click();
    ASSERT_TRUE(w->state().distanceActive);
    QTest::mouseClick(w->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseClick(w->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    w->button("SpeedButton2")->click();  // "Zoom dentro" ends it
    EXPECT_FALSE(w->state().distanceActive);
    EXPECT_FALSE(distance->isChecked());
    EXPECT_TRUE(w->Edit10->text().endsWith("  Km"));
    EXPECT_FALSE(w->Map1->isHidden());
    distance->click();  // one press starts the next measurement
    EXPECT_TRUE(w->state().distanceActive);
    EXPECT_FALSE(w->Image1->isHidden());
}

TEST_F(CommandsInStepTest, theScaleBarReadsTheSameLengthFromThePanelAndFromItsPicture) {
    auto w = startWithThree();
    w->findChild<QToolButton*>("SpeedButton24")->click();  // "Barra de escalas"
    EXPECT_EQ(w->Panel2->width(), w->Image2->width());
    // The bar itself: a black line along the picture's whole width.
    const QImage bar = w->Image2->grab().toImage();
    for (int x = 0; x < bar.width(); x += 8) {
        EXPECT_LT(qGray(bar.pixel(x, bar.height() - 2)), 40) << x;
    }
    const QString shown = w->Image2->text();
    w->readouts().RefreshScaleBar();  // as after a drag on the overview map
    EXPECT_EQ(w->Image2->text(), shown);
    w->findChild<QToolButton*>("SpeedButton22")->click();  // "+"
    EXPECT_EQ(w->Panel2->width(), w->Image2->width());
    const QString wider = w->Image2->text();
    w->readouts().RefreshScaleBar();
    EXPECT_EQ(w->Image2->text(), wider);
}

TEST_F(CommandsInStepTest, aZoomSwitchesMapTipsWhollyOff) {
    auto w = startWithThree();
    tipsOn(*w, 1, "SIGLA");
    w->Map1->setExtent(mapcontrol::Rectangle(0, 1, 1, 0));
    const QPoint pixel = w->Map1->toPixel({0.5, 0.5}).toPoint();
    w->Edit6->setText(QString::number(pixel.x()));
    w->Edit7->setText(QString::number(pixel.y()));
    w->mapTips().tick();
    ASSERT_FALSE(w->Edit5->isHidden());  // the tip is shown
    w->button("SpeedButton2")->click();
    expectTipsOff(*w);
}

TEST_F(CommandsInStepTest, degreesMinutesAndSecondsFitTheCoordinateBoxes) {
    auto w = startWithThree();
    w->CheckBox2->setChecked(true);
    w->Map1->setExtent(mapcontrol::Rectangle(-179.9, -170.1, -80.1, -89.9));
    emit w->Map1->mouseMove(Qt::NoButton, Qt::NoModifier, 3, w->Map1->height() - 3);
    ASSERT_TRUE(w->Edit2->text().startsWith("-179°"));
    const int frame = w->Edit2->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    for (const QLineEdit* box : {w->Edit2, w->Edit3}) {
        EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->text()) + 2 * frame + 4)
            << box->text().toStdString();
    }
}
