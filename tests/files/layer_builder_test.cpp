#include "files/layer_builder.h"
#include "files/theme_line.h"
#include "mapcontrol/image_layer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_data_cache.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/raster_builder.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_drives.h"

#include <QDir>

#include <gtest/gtest.h>

using files::ThemeEntry;

namespace {

class LayerBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::registerGdalDrivers();
        drives.addDrive('D');
        map1.resize(200, 100);
        map2.resize(100, 50);
    }

    // A polygon theme on drive D with a text and a numeric field.
    QString shape(const QString& name, const QStringList& values) {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.realField("AREA", 10, 2).textField("SIGLA", 10);
        double x = 0;
        for (const QString& v : values) {
            b.feature(QString("POLYGON((%1 0,%1 1,%2 1,%2 0,%1 0))").arg(x).arg(x + 1), {1.0, v});
            x += 1;
        }
        QDir().mkpath(drives.root('D') + "/dados");
        EXPECT_TRUE(b.write(drives.root('D') + "/dados/" + name + ".shp"));
        return "D:\\dados\\" + name + ".shp";
    }

    QString picture(const QString& name) {
        QDir().mkpath(drives.root('D') + "/dados");
        fixtures::RasterBuilder r(fixtures::RasterFormat::GeoTiff, 8, 8, 1);
        r.geoTransform({0, 1, 0, 8, 0, -1}).fill({100});
        EXPECT_TRUE(r.write(drives.root('D') + "/dados/" + name + ".tif"));
        return "D:\\dados\\" + name + ".tif";
    }

    static ThemeEntry entry(const QString& path, bool checked = true) {
        return {QFileInfo(path).fileName() + QString(26, ' ') + "," + path, checked};
    }

    support::TempDrives drives;
    support::ScriptedDialogs dialogs;
    mapcontrol::MapWidget map1;
    mapcontrol::MapWidget map2;
    files::LayerBuilder builder{map1, map2, drives.table(), dialogs};
    std::vector<int> kinds = std::vector<int>(2001, 7);
};

}  // namespace

TEST_F(LayerBuilderTest, themeZeroIsAddedLastOnTopOfBothMapsWithItsVisibility) {
    const std::vector<ThemeEntry> themes = {
        entry(shape("top", {"a"})), entry(picture("relevo"), false), entry(shape("bottom", {"b"}))};
    ASSERT_TRUE(builder.rebuildAllLayers(themes, kinds, mapcontrol::Rectangle(0, 4, 1, 0)));
    for (mapcontrol::MapWidget* map : {&map1, &map2}) {
        ASSERT_EQ(map->layers().count(), 3);
        EXPECT_EQ(map->layers().item(0)->name(), "top");
        EXPECT_EQ(map->layers().item(1)->name(), "relevo.tif");
        EXPECT_EQ(map->layers().item(2)->name(), "bottom");
        EXPECT_FALSE(map->layers().item(1)->isVisible());
    }
    // One layer object serves both maps.
    EXPECT_EQ(map1.layers().item(0), map2.layers().item(0));
    EXPECT_EQ(map1.extent(), mapcontrol::Rectangle(0, 4, 1.5, -0.5));  // the current extent, fitted
    EXPECT_EQ(kinds[0], 0);
    EXPECT_EQ(kinds[1], 7);  // pictures have no legend kind
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(LayerBuilderTest, defaultRendererHasOneBlueClassPerValueOfTheLastField) {
    ASSERT_TRUE(builder.rebuildAllLayers({entry(shape("geo", {"NP1", "K2", "NP1", "A"}))}, kinds,
                                         mapcontrol::Rectangle(0, 4, 1, 0)));
    auto* layer = static_cast<mapcontrol::VectorLayer*>(map1.layers().item(0));
    auto* renderer = dynamic_cast<mapcontrol::ValueMapRenderer*>(layer->renderer());
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->field(), "SIGLA");
    ASSERT_EQ(renderer->valueCount(), 3);
    EXPECT_EQ(renderer->value(0), "A");
    EXPECT_EQ(renderer->value(1), "K2");
    EXPECT_EQ(renderer->value(2), "NP1");
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(renderer->symbol(j).colour, mapcontrol::colourInt(0, 0, 255));
        EXPECT_EQ(renderer->symbol(j).type, mapcontrol::SymbolType::Fill);
    }
}

TEST_F(LayerBuilderTest, refusedLayerHoldsItsPlaceAndTheThemesAboveAreStillBuilt) {
    const std::vector<ThemeEntry> themes = {
        entry(shape("top", {"a"})), entry("D:\\dados\\sumiu.shp"), entry(shape("bottom", {"b"}))};
    EXPECT_FALSE(builder.rebuildAllLayers(themes, kinds, mapcontrol::Rectangle(0, 4, 1, 0)));
    EXPECT_EQ(dialogs.messages(), QStringList({"Nao posso  adicionar tema"}));
    // Theme i is layer i in both maps; the damaged one draws nothing.
    ASSERT_EQ(map1.layers().count(), 3);
    EXPECT_EQ(map1.layers().item(0)->name(), "top");
    EXPECT_FALSE(map1.layers().item(1)->isValid());
    EXPECT_EQ(map1.layers().item(2)->name(), "bottom");
    EXPECT_EQ(map2.layers().count(), 3);
    EXPECT_EQ(map1.layers().extent(),
              map1.layers().item(0)->extent().united(map1.layers().item(2)->extent()));
}

TEST_F(LayerBuilderTest, refusedPictureGivesItsOwnMessage) {
    EXPECT_FALSE(builder.rebuildAllLayers({entry("D:\\dados\\nada.tif")}, kinds, {}));
    EXPECT_EQ(dialogs.messages(), QStringList({"Non puede adicionar tema"}));
}

TEST_F(LayerBuilderTest, unknownKindsHoldTheirPlaceSilentlyAndOldLayersGoFirst) {
    ASSERT_TRUE(builder.rebuildAllLayers({entry(shape("a", {"x"}))}, kinds, {}));
    ASSERT_TRUE(builder.rebuildAllLayers({entry("D:\\dados\\notas.txt"), entry(shape("b", {"y"}))},
                                         kinds, {}));
    ASSERT_EQ(map1.layers().count(), 2);
    EXPECT_FALSE(map1.layers().item(0)->isValid());
    EXPECT_EQ(map1.layers().item(1)->name(), "b");
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(LayerBuilderTest, addingOneThemePutsItOnTopVisibleAndKeepsTheOthers) {
    ASSERT_TRUE(builder.rebuildAllLayers({entry(shape("old", {"x"}), false)}, kinds, {}));
    ASSERT_TRUE(builder.buildThemeLayer(entry(shape("new", {"y"})).line));
    EXPECT_EQ(map1.layers().item(0)->name(), "new");
    EXPECT_TRUE(map1.layers().item(0)->isVisible());
    EXPECT_EQ(map2.layers().count(), 2);
}

TEST_F(LayerBuilderTest, aThemeThatCannotBeAddedSaysWhyAndLeavesBothMapsAsTheyWere) {
    ASSERT_TRUE(builder.rebuildAllLayers({entry(shape("old", {"x"}))}, kinds, {}));
    EXPECT_FALSE(builder.buildThemeLayer("D:\\dados\\sumiu.shp"));
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Nao posso adicionar tema\n"));
    EXPECT_FALSE(builder.buildThemeLayer("D:\\dados\\sumiu.tif"));
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Nao posso abrir arquivo\n"));
    EXPECT_EQ(map1.layers().count(), 1);
    EXPECT_EQ(map2.layers().count(), 1);
}

TEST_F(LayerBuilderTest, layersAreNamedFromTheThemeLineNotFromTheFileOnDisk) {
    shape("geologia", {"GR"});
    picture("relevo");
    ASSERT_TRUE(builder.rebuildAllLayers(
        {entry("D:\\DADOS\\GEOLOGIA.SHP"), entry("D:\\dados\\Relevo.TIF")}, kinds, {}));
    ASSERT_EQ(map1.layers().count(), 2);
    EXPECT_EQ(map1.layers().item(0)->name(), "GEOLOGIA");
    EXPECT_TRUE(map1.layers().item(0)->isValid());
    EXPECT_EQ(map1.layers().item(1)->name(), "Relevo.TIF");
    EXPECT_EQ(map1.layers().indexOf(files::layerName("x,D:\\DADOS\\GEOLOGIA.SHP")), 0);
}

TEST_F(LayerBuilderTest, colourFileGoesToItsReaderAndKeepsTheRenderKind) {
    const QString path = shape("geologia", {"GR"});
    drives.writeFile("D:\\dados\\geologia.cor", "SIGLA,1\r\nGR,200,10,30,3\r\n");
    QString readFrom;
    builder.setColourFileReader(
        [&readFrom](mapcontrol::VectorLayer&, const QString& file) { readFrom = file; });
    kinds[0] = 1;
    ASSERT_TRUE(builder.rebuildAllLayers({entry(path)}, kinds, {}));
    EXPECT_EQ(readFrom, drives.root('D') + "/dados/geologia.cor");
    EXPECT_EQ(kinds[0], 1);
}

TEST_F(LayerBuilderTest, pictureWithJpgInItsPathGetsOneLayer) {
    QDir().mkpath(drives.root('D') + "/fotos.jpg");
    fixtures::RasterBuilder r(fixtures::RasterFormat::GeoTiff, 8, 8, 1);
    r.geoTransform({0, 1, 0, 8, 0, -1}).fill({100});
    ASSERT_TRUE(r.write(drives.root('D') + "/fotos.jpg/mapa.tif"));
    ASSERT_TRUE(builder.rebuildAllLayers({entry("D:\\fotos.jpg\\mapa.tif")}, kinds, {}));
    EXPECT_EQ(map1.layers().count(), 1);
}

TEST_F(LayerBuilderTest, colourFileFoundWhateverItsCaseColoursTheLayer) {
    const QString path = shape("geologia", {"GR", "K2"});
    drives.writeFile("D:\\dados\\geologia.cor", "SIGLA,1\r\nGR,200,10,30,3\r\n");
    ASSERT_TRUE(builder.rebuildAllLayers({entry(path)}, kinds, {}));
    auto* layer = static_cast<mapcontrol::VectorLayer*>(map1.layers().item(0));
    auto* renderer = dynamic_cast<mapcontrol::ValueMapRenderer*>(layer->renderer());
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->field(), "SIGLA");
    const int gr = renderer->classOf("GR");
    EXPECT_EQ(renderer->symbol(gr).colour, mapcontrol::colourInt(200, 10, 30));
    EXPECT_EQ(renderer->symbol(gr).style, 3);
    EXPECT_NE(renderer->symbol(renderer->classOf("K2")).colour, mapcontrol::colourInt(200, 10, 30));
}

namespace {

mapcontrol::VectorLayer& vectorLayer(const mapcontrol::MapWidget& map, int index) {
    return dynamic_cast<mapcontrol::VectorLayer&>(*map.layers().item(index));
}

std::size_t reads() {
    return mapcontrol::VectorDataCache::shared().readCount();
}

}  // namespace

TEST_F(LayerBuilderTest, rebuildingUnchangedFilesReadsNothingAndBuildsNewLayers) {
    const std::vector<ThemeEntry> themes = {entry(shape("top", {"a"})),
                                            entry(shape("bottom", {"b"}))};
    ASSERT_TRUE(builder.rebuildAllLayers(themes, kinds, {}));
    const std::weak_ptr<const mapcontrol::VectorData> top = vectorLayer(map1, 0).data();
    vectorLayer(map1, 0).setRenderer(nullptr);  // a change the rebuild undoes
    const std::size_t before = reads();
    ASSERT_TRUE(builder.rebuildAllLayers(themes, kinds, {}));
    EXPECT_EQ(reads(), before);
    EXPECT_EQ(vectorLayer(map1, 0).data(), top.lock());
    EXPECT_NE(vectorLayer(map1, 0).renderer(), nullptr);
    EXPECT_EQ(map2.layers().item(0), map1.layers().item(0));
}

TEST_F(LayerBuilderTest, rebuildReadsARewrittenThemeAgainAndOnlyIt) {
    const std::vector<ThemeEntry> themes = {entry(shape("top", {"a"})),
                                            entry(shape("bottom", {"b"}))};
    ASSERT_TRUE(builder.rebuildAllLayers(themes, kinds, {}));
    const std::weak_ptr<const mapcontrol::VectorData> bottom = vectorLayer(map1, 1).data();
    shape("top", {"a", "c"});
    const std::size_t before = reads();
    ASSERT_TRUE(builder.rebuildAllLayers(themes, kinds, {}));
    EXPECT_EQ(reads(), before + 1);
    EXPECT_EQ(vectorLayer(map1, 0).data()->featureCount(), 2u);
    EXPECT_EQ(vectorLayer(map1, 1).data(), bottom.lock());
}

TEST_F(LayerBuilderTest, rebuildWithOtherThemesLetsTheOldDataGoBeforeReadingTheNew) {
    ASSERT_TRUE(builder.rebuildAllLayers({entry(shape("old", {"a"}))}, kinds, {}));
    const std::weak_ptr<const mapcontrol::VectorData> old = vectorLayer(map1, 0).data();
    bool oldGoneWhenAdded = false;
    builder.setLayerAdded([&] { oldGoneWhenAdded = old.expired(); });
    ASSERT_TRUE(builder.rebuildAllLayers({entry(shape("new", {"b"}))}, kinds, {}));
    EXPECT_TRUE(oldGoneWhenAdded);
}
