#include "workspace/navigation.h"

#include "files/layer_builder.h"
#include "mapcontrol/map_widget.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_drives.h"
#include "workspace/readout_panel.h"
#include "workspace/theme_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include <gtest/gtest.h>

using workspace::Navigation;

namespace {

class NavigationTest : public ::testing::Test {
protected:
    NavigationTest() {
        for (QToolButton* b :
             {&pan, &zoomWindow, &identify, &query, &reclassify, &tips, &distance}) {
            b->setCheckable(true);
        }
        branches.localIdentify = [this](const mapcontrol::MapPoint& p) {
            calls.append("local"), last = p;
        };
        branches.remoteRecord = [this](const mapcontrol::MapPoint&) { calls.append("record"); };
        branches.remoteFeatureInfo = [this](const mapcontrol::MapPoint&) {
            calls.append("remoteinfo");
        };
        branches.wmsFeatureInfo = [this](const mapcontrol::MapPoint&) { calls.append("wms"); };
        branches.indexMap = [this](const mapcontrol::MapPoint&) { calls.append("index"); };
        branches.identifyAnswersWms = [this] { return wmsAnswers; };
        branches.refreshRemotePicture = [this] { calls.append("refresh"); };
        branches.remoteWholeMap = [this] { calls.append("whole"); };
        navigation = std::make_unique<Navigation>(
            Navigation::Controls{map1, map2, pan, zoomWindow, identify, query, reclassify, tips,
                                 distance, area},
            branches, state, readouts, themes, dialogs);
    }

    void SetUp() override {
        fixtures::registerGdalDrivers();
        drives.addDrive('D');
        QDir().mkpath(drives.root('D') + "/dados");
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("N", 4);
        b.feature("POLYGON((0 0,0 10,20 10,20 0,0 0))", {QString("a")});
        ASSERT_TRUE(b.write(drives.root('D') + "/dados/geo.shp"));
        map1.resize(200, 100);
        map2.resize(100, 50);
        themes.addThemeFile(drives.root('D') + "/dados/geo.shp");
    }

    support::TempDrives drives;
    support::ScriptedDialogs dialogs;
    mapcontrol::MapWidget map1, map2;
    QToolButton pan, zoomWindow, identify, query, reclassify, tips, distance;
    QWidget area;
    QListWidget list, copy, legend;
    QComboBox mirror;
    QCheckBox all, dms;
    QLabel image1, image2;
    QLineEdit edit2, edit3, edit4, edit10;
    QWidget panel2;
    workspace::AppState state;
    files::LayerBuilder builder{map1, map2, drives.table(), dialogs};
    workspace::ThemeList themes{
        {list, copy, mirror, legend, all, map1, map2}, {}, builder, state, dialogs, drives.table()};
    workspace::ReadoutPanel readouts{
        {map1, image1, edit2, edit3, dms, edit4, edit10, panel2, image2, {}, {}}, state};
    Navigation::Branches branches;
    std::unique_ptr<Navigation> navigation;
    QStringList calls;
    mapcontrol::MapPoint last;
    bool wmsAnswers = false;
};

}  // namespace

TEST_F(NavigationTest, zoomInThenOutGivesPointNinetySixOfTheSize) {
    const double before = map1.extent().size();
    navigation->zoomIn();
    EXPECT_NEAR(map1.extent().size(), before * 0.8, 1e-9);
    navigation->zoomOut();
    EXPECT_NEAR(map1.extent().size(), before * 0.96, 1e-9);
    EXPECT_EQ(map1.mousePointer(), mapcontrol::MapWidget::PointerZoom);
    EXPECT_EQ(state.currentExtent, map1.extent());
    EXPECT_TRUE(state.overviewBoxPending);
}

TEST_F(NavigationTest, zoomOutWithAWmsConnectionScalesTwice) {
    const double before = map1.extent().size();
    state.wmsActive = true;
    navigation->zoomOut();
    EXPECT_NEAR(map1.extent().size(), before * 1.44, 1e-9);
}

TEST_F(NavigationTest, everyNavigationStepAsksForTheRemotePictureOnlyWhileWmsIsOn) {
    navigation->zoomIn();
    navigation->wholeMap();
    pan.setChecked(true);
    navigation->mousePress(Qt::LeftButton, 10, 10);
    EXPECT_TRUE(calls.isEmpty());
    state.wmsActive = true;
    navigation->zoomIn();
    navigation->zoomOut();
    navigation->mousePress(Qt::LeftButton, 10, 10);  // pan
    navigation->wholeMap();
    EXPECT_EQ(calls, QStringList({"refresh", "refresh", "refresh", "whole"}));
}

TEST_F(NavigationTest, zoomDoesNothingWithoutThemes) {
    themes.newProject();
    map1.setExtent(mapcontrol::Rectangle(0, 20, 10, 0));
    const mapcontrol::Rectangle before = map1.extent();
    navigation->zoomIn();
    EXPECT_EQ(map1.extent(), before);
}

TEST_F(NavigationTest, wholeMapShowsTheFullExtentAndRaisesTheTools) {
    navigation->zoomIn();
    pan.setChecked(true);
    identify.setChecked(true);
    navigation->wholeMap();
    EXPECT_TRUE(map1.extent().contains({0, 0}));
    EXPECT_TRUE(map1.extent().contains({20, 10}));
    EXPECT_FALSE(pan.isChecked());
    EXPECT_FALSE(identify.isChecked());
}

TEST_F(NavigationTest, rightPressWithTheZoomWindowToolRunsOnlyTheCommonSteps) {
    zoomWindow.setChecked(true);
    query.setChecked(true);
    const mapcontrol::Rectangle before = map1.extent();
    navigation->mousePress(Qt::RightButton, 100, 50);
    EXPECT_EQ(map1.extent(), before);
    EXPECT_FALSE(query.isChecked());
    EXPECT_TRUE(calls.isEmpty());
    const mapcontrol::MapPoint centre = map1.toMapPoint(100, 50);
    EXPECT_EQ(navigation->clickMapPoint(), centre);
}

TEST_F(NavigationTest, identifyPressGoesToTheBranchOfTheConnectionState) {
    identify.setChecked(true);
    navigation->mousePress(Qt::LeftButton, 100, 50);
    EXPECT_EQ(calls, QStringList({"local"}));
    EXPECT_EQ(last, map1.toMapPoint(100, 50));
    calls.clear();
    state.connectionKind = 0;
    navigation->mousePress(Qt::LeftButton, 10, 10);
    EXPECT_EQ(calls, QStringList({"record"}));
    calls.clear();
    state.connectionKind = 2;
    navigation->mousePress(Qt::LeftButton, 10, 10);
    EXPECT_EQ(calls, QStringList({"remoteinfo"}));
    calls.clear();
    state.connectionKind = -1;
    state.wmsActive = true;
    wmsAnswers = true;
    navigation->mousePress(Qt::LeftButton, 10, 10);
    EXPECT_EQ(calls, QStringList({"wms"}));
    calls.clear();
    wmsAnswers = false;
    navigation->mousePress(Qt::LeftButton, 10, 10);
    EXPECT_EQ(calls, QStringList({"local"}));
}

TEST_F(NavigationTest, indexLookupTakesAnyButtonAndAnyTool) {
    state.indexClickLookup = true;
    navigation->mousePress(Qt::RightButton, 10, 10);
    EXPECT_EQ(calls, QStringList({"index"}));
}

TEST_F(NavigationTest, panModeIsRefusedWhileCollectorsAreTracked) {
    state.collectorTimerActive = true;
    pan.setChecked(true);
    navigation->panMode();
    EXPECT_EQ(dialogs.lastMessage(), Navigation::kPanRefusedMessage);
    EXPECT_FALSE(pan.isChecked());
    state.collectorTimerActive = false;
    pan.setChecked(true);
    navigation->panMode();
    EXPECT_EQ(map1.mousePointer(), mapcontrol::MapWidget::PointerPan);
}

TEST_F(NavigationTest, toolCursorFollowsTheLastToolThatApplies) {
    pan.setChecked(true);
    navigation->updateToolCursor();
    EXPECT_EQ(map1.mousePointer(), mapcontrol::MapWidget::PointerPan);
    identify.setChecked(true);
    navigation->updateToolCursor();
    EXPECT_EQ(map1.mousePointer(), mapcontrol::MapWidget::PointerIdentify);
    pan.setChecked(false);
    identify.setChecked(false);
    navigation->updateToolCursor();
    EXPECT_EQ(map1.mousePointer(), mapcontrol::MapWidget::PointerArrow);
}

TEST_F(NavigationTest, overviewShowsTheMainExtentInYellowUntilItsLastLayer) {
    QObject::connect(&map2, &mapcontrol::MapWidget::afterLayerDraw,
                     [this](int index) { navigation->afterOverviewLayer(index); });
    state.extentBoxSymbol.colour = 0xFFFF;
    state.extentBoxSymbol.style = mapcontrol::FillSolid;
    state.extentBoxSymbol.outline = false;
    map1.setExtent(mapcontrol::Rectangle(2, 6, 6, 2));
    state.overviewBoxPending = true;
    navigation->setOverviewChoice(0);
    EXPECT_FALSE(map2.isHidden());
    const QPoint inside = map2.toPixel({4, 4}).toPoint();
    EXPECT_EQ(map2.picture().pixel(inside), qRgb(255, 255, 0));
    EXPECT_FALSE(state.overviewBoxPending);
    navigation->setOverviewChoice(1);
    EXPECT_TRUE(map2.isHidden());
}
