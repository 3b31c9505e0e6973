#include "workspace/theme_list.h"

#include "files/layer_builder.h"
#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/raster_builder.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_drives.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>

#include <gtest/gtest.h>

using workspace::ThemeList;

namespace {

class ThemeListTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::registerGdalDrivers();
        drives.addDrive('D');
        QDir().mkpath(drives.root('D') + "/dados");
        map1.resize(200, 100);
        map2.resize(100, 50);
    }

    QString shape(const QString& name, const QString& folder = "dados") {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("N", 8);
        b.feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {name});
        const QString path = drives.root('D') + "/" + folder + "/" + name + ".shp";
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(b.write(path));
        return path;
    }

    QString picture(const QString& name) {
        fixtures::RasterBuilder r(fixtures::RasterFormat::GeoTiff, 4, 4, 1);
        r.geoTransform({0, 1, 0, 4, 0, -1}).fill({9});
        const QString path = drives.root('D') + "/dados/" + name + ".tif";
        EXPECT_TRUE(r.write(path));
        return path;
    }

    QStringList names() const {
        QStringList result;
        for (int i = 0; i < list.count(); ++i) {
            result.append(list.item(i)->text().section(' ', 0, 0));
        }
        return result;
    }

    void select(int index) {
        list.clearSelection();
        list.item(index)->setSelected(true);
    }

    support::TempDrives drives;
    support::ScriptedDialogs dialogs;
    QListWidget list;
    QListWidget copy;
    QComboBox mirror;
    QListWidget legend;
    QCheckBox all;
    mapcontrol::MapWidget map1;
    mapcontrol::MapWidget map2;
    workspace::AppState state;
    files::LayerBuilder builder{map1, map2, drives.table(), dialogs};
    ThemeList themes{
        {list, copy, mirror, legend, all, map1, map2}, {}, builder, state, dialogs, drives.table()};
};

}  // namespace

TEST_F(ThemeListTest, addedThemesGoOnTopCheckedAndKeepTheOthersMarks) {
    themes.addThemeFile(shape("A"));
    themes.addThemeFile(shape("B"));
    list.item(0)->setCheckState(Qt::Unchecked);
    themes.addThemeFile(shape("C"));
    EXPECT_EQ(names(), QStringList({"C.shp", "B.shp", "A.shp"}));
    EXPECT_EQ(list.item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list.item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list.item(0)->text(), "C.shp" + QString(26, ' ') + ",D:\\dados\\C.shp");
    EXPECT_EQ(copy.count(), 3);
    EXPECT_EQ(mirror.count(), 3);
    ASSERT_EQ(map1.layers().count(), 3);
    EXPECT_EQ(map1.layers().item(0)->name(), "C");
    EXPECT_EQ(map2.layers().item(2)->name(), "A");
    EXPECT_TRUE(state.themesLoaded);
    EXPECT_TRUE(state.coordsVisible);
}

TEST_F(ThemeListTest, sameBaseNameIsADuplicateButAnotherCaseIsNot) {
    themes.addThemeFile(picture("geo"));
    themes.addThemeFile(shape("geo"));
    EXPECT_EQ(dialogs.messages(), QStringList({ThemeList::kDuplicateMessage}));
    themes.addThemeFile(shape("GEO"));
    EXPECT_EQ(names(), QStringList({"GEO.shp", "geo.tif"}));
}

TEST_F(ThemeListTest, folderWithADotOrAnUnknownExtensionAddsNothingSilently) {
    themes.addThemeFile(shape("geo", "mapas.2010"));
    QFile other(drives.root('D') + "/dados/notas.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    themes.addThemeFile(other.fileName());
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(ThemeListTest, aFileThatCannotBeReadIsReportedAndChangesNothing) {
    themes.addThemeFile(shape("geo"));
    state.themeRenderKind[0] = 1;
    QFile damaged(drives.root('D') + "/dados/falhas.shp");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a shapefile");
    damaged.close();
    EXPECT_FALSE(themes.addThemeFile(damaged.fileName()));
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Nao posso adicionar tema\n"));
    EXPECT_EQ(names(), QStringList({"geo.shp"}));
    EXPECT_EQ(map1.layers().count(), 1);
    EXPECT_EQ(map2.layers().count(), 1);
    EXPECT_EQ(state.themeRenderKind[0], 1);  // the kinds did not move
}

TEST_F(ThemeListTest, uncheckingHidesOnTheMainMapOnly) {
    themes.addThemeFile(shape("A"));
    themes.addThemeFile(picture("relevo"));
    list.item(1)->setCheckState(Qt::Unchecked);
    themes.applyVisibility(false);
    EXPECT_FALSE(map1.layers().isVisible(1));
    EXPECT_TRUE(map1.layers().isVisible(0));
    EXPECT_TRUE(map2.layers().isVisible(1));
    all.setChecked(false);
    themes.applyVisibility(true);
    EXPECT_EQ(list.item(0)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(map1.layers().isVisible(0));
}

TEST_F(ThemeListTest, reorderingMovesTheLayersAndRenderKindsWhenItEnds) {
    themes.addThemeFile(shape("A"));
    themes.addThemeFile(shape("B"));
    themes.addThemeFile(shape("C"));
    state.themeRenderKind[0] = 1;  // C
    EXPECT_FALSE(themes.startMove(false));
    EXPECT_EQ(dialogs.lastMessage(), "Selecione um tema  para mover");
    select(0);
    ASSERT_TRUE(themes.startMove(false));
    themes.moveUp();  // the top theme cannot go higher
    EXPECT_EQ(names(), QStringList({"C.shp", "B.shp", "A.shp"}));
    themes.moveDown();
    themes.moveDown();
    themes.moveDown();  // the last theme cannot go lower
    EXPECT_EQ(names(), QStringList({"B.shp", "A.shp", "C.shp"}));
    EXPECT_EQ(map1.layers().item(0)->name(), "C");  // the maps wait for the end
    themes.endMove();
    EXPECT_FALSE(state.moveThemeMode);
    EXPECT_EQ(map1.layers().item(2)->name(), "C");
    EXPECT_EQ(map2.layers().item(0)->name(), "B");
    EXPECT_EQ(state.themeRenderKind[2], 1);
    EXPECT_EQ(state.themeRenderKind[0], 0);
    EXPECT_TRUE(list.item(2)->isSelected());
}

TEST_F(ThemeListTest, removingTakesTheSelectedThemeFromListAndMaps) {
    themes.removeTheme();
    EXPECT_EQ(dialogs.lastMessage(), ThemeList::kNothingToRemoveMessage);
    themes.addThemeFile(shape("A"));
    themes.addThemeFile(shape("B"));
    state.themeRenderKind[1] = 1;  // A
    select(0);
    themes.removeTheme();
    EXPECT_EQ(names(), QStringList({"A.shp"}));
    ASSERT_EQ(map1.layers().count(), 1);
    EXPECT_EQ(map1.layers().item(0)->name(), "A");
    EXPECT_EQ(map2.layers().count(), 1);
    EXPECT_EQ(state.themeRenderKind[0], 1);
}

TEST_F(ThemeListTest, renamePadsTheTextTo40AndKeepsThePath) {
    themes.addThemeFile(shape("A"));
    select(0);
    themes.renameSelected();  // not armed: nothing asked
    themes.armRename();
    dialogs.push(QString("Unidades"));
    themes.renameSelected();
    EXPECT_EQ(list.item(0)->text(), QString("Unidades").leftJustified(40) + ",D:\\dados\\A.shp");
    EXPECT_FALSE(themes.isRenameArmed());
    EXPECT_EQ(copy.item(0)->text(), list.item(0)->text());
    // A line without a comma gets one, and stays armed.
    list.item(0)->setText("D:\\dados\\A.shp");
    themes.armRename();
    dialogs.push(QString("X"));
    themes.renameSelected();
    EXPECT_EQ(list.item(0)->text(), QString("X").leftJustified(40) + ",D:\\dados\\A.shp");
    EXPECT_TRUE(themes.isRenameArmed());
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(ThemeListTest, newProjectEmptiesListsAndMaps) {
    themes.addThemeFile(shape("A"));
    themes.newProject();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(copy.count(), 0);
    EXPECT_EQ(map1.layers().count(), 0);
    EXPECT_EQ(map2.layers().count(), 0);
    EXPECT_FALSE(state.themesLoaded);
}

TEST_F(ThemeListTest, layerAndBaseNamesFollowTheLine) {
    EXPECT_EQ(workspace::themeBaseName("geo.shp   ,D:\\a.b\\geo.x.shp"), "geo");
    EXPECT_EQ(files::layerName("geo.shp   ,D:\\dados\\geo.shp"), "geo");
    EXPECT_EQ(files::layerName("relevo.tif   ,D:\\dados\\relevo.tif"), "relevo.tif");
}
