#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/image_layer.h"
#include "mapcontrol/vector_data.h"
#include "mapcontrol/vector_data_cache.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/raster_builder.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/fixtures/vector_builder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <ogr_spatialref.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace mapcontrol;
using fixtures::ShapefileBuilder;

namespace {

constexpr int kSirgasGeographic = 4674;
constexpr int kUtm23South = 31983;
constexpr int kCaliforniaUsFeet = 2227;  // NAD83 / California zone 3 (ftUS)

CoordinateSystem systemOf(int epsg) {
    auto made = CoordinateSystem::fromEpsg(epsg);
    if (const auto* reason = std::get_if<QString>(&made)) {
        ADD_FAILURE() << reason->toStdString();
    }
    return std::get<CoordinateSystem>(made);
}

Transformation transformation(int from, int to) {
    auto made = Transformation::create(systemOf(from), systemOf(to));
    if (const auto* reason = std::get_if<QString>(&made)) {
        ADD_FAILURE() << reason->toStdString();
    }
    return std::get<Transformation>(std::move(made));
}

// The same points through OGR one at a time, as an independent reference.
std::vector<MapPoint> onePointAtATime(int from, int to, const std::vector<MapPoint>& points) {
    OGRSpatialReference source, target;
    source.importFromEPSG(from);
    target.importFromEPSG(to);
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> t(
        OGRCreateCoordinateTransformation(&source, &target));
    std::vector<MapPoint> out = points;
    for (MapPoint& p : out) {
        EXPECT_TRUE(t->Transform(1, &p.x, &p.y));
    }
    return out;
}

class CoordinateSystemTest : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(CoordinateSystemTest, factoriesTellGeographicFromProjectedWithUnitAndCode) {
    const CoordinateSystem utm = systemOf(kUtm23South);
    EXPECT_TRUE(utm.isProjected());
    EXPECT_FALSE(utm.isGeographic());
    EXPECT_DOUBLE_EQ(utm.linearUnitMetres(), 1.0);
    EXPECT_EQ(utm.epsgCode(), kUtm23South);
    EXPECT_EQ(utm.label(), "EPSG:31983");
    EXPECT_EQ(utm.name(), "SIRGAS 2000 / UTM zone 23S");

    const CoordinateSystem geographic = systemOf(kSirgasGeographic);
    EXPECT_TRUE(geographic.isGeographic());
    EXPECT_FALSE(geographic.isProjected());

    const CoordinateSystem feet = systemOf(kCaliforniaUsFeet);
    EXPECT_NEAR(feet.linearUnitMetres(), 1200.0 / 3937.0, 1e-12);
}

TEST_F(CoordinateSystemTest, prjInEsriWordsIsReadAndMatchedToItsEpsgCode) {
    ShapefileBuilder b(fixtures::ShapeType::Point);
    b.integerField("N").spatialReference(kUtm23South).feature("POINT (500000 8000000)", {1});
    ASSERT_TRUE(b.write(dir.filePath("p.shp")));
    QFile prj(dir.filePath("p.prj"));
    ASSERT_TRUE(prj.open(QIODevice::ReadOnly));
    const QByteArray text = prj.readAll();
    ASSERT_TRUE(text.startsWith("PROJCS[")) << text.toStdString();

    auto read = CoordinateSystem::fromText(text);
    ASSERT_TRUE(std::holds_alternative<CoordinateSystem>(read));
    const CoordinateSystem& fromPrj = std::get<CoordinateSystem>(read);
    EXPECT_EQ(fromPrj.epsgCode(), kUtm23South);
    EXPECT_TRUE(fromPrj.isSame(systemOf(kUtm23South)));
    EXPECT_FALSE(fromPrj.isSame(systemOf(kSirgasGeographic)));
}

TEST_F(CoordinateSystemTest, unreadableDefinitionsAreRefusedWithAReason) {
    for (const QByteArray& text :
         {QByteArray("GARBAGE[[["), QByteArray("PROJCS[\"x\",GEOGCS[\"y\"]]"), QByteArray(),
          QByteArray("LOCAL_CS[\"obra\",UNIT[\"metre\",1]]")}) {
        auto read = CoordinateSystem::fromText(text);
        ASSERT_TRUE(std::holds_alternative<QString>(read)) << text.toStdString();
        EXPECT_FALSE(std::get<QString>(read).isEmpty()) << text.toStdString();
    }
}

TEST_F(CoordinateSystemTest, utmToGeographicKeepsLongitudeFirst) {
    // The central meridian of zone 23 on the equator (false northing 10000 km).
    std::vector<MapPoint> points{{500000.0, 10000000.0}};
    ASSERT_TRUE(transformation(kUtm23South, kSirgasGeographic).transform(points));
    EXPECT_NEAR(points[0].x, -45.0, 1e-9);
    EXPECT_NEAR(points[0].y, 0.0, 1e-9);
}

TEST_F(CoordinateSystemTest, largeArraysAgreeWithTheExactTransformationWithinTolerance) {
    // Spread over the whole zone and beyond its edges, where the projection
    // bends most.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(100000, 900000), y(7000000, 9900000);
    std::vector<MapPoint> points(120000);
    for (MapPoint& p : points) p = {x(random), y(random)};
    const std::vector<MapPoint> reference = onePointAtATime(kUtm23South, kSirgasGeographic, points);

    const Transformation t = transformation(kUtm23South, kSirgasGeographic);
    ASSERT_TRUE(t.transform(points));
    double worst = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        worst = std::max({worst, std::abs(points[i].x - reference[i].x),
                          std::abs(points[i].y - reference[i].y)});
    }
    EXPECT_LE(worst, t.tolerance());
    EXPECT_DOUBLE_EQ(t.tolerance(), 1e-8);
}

TEST_F(CoordinateSystemTest, arraysAcrossTheAntimeridianAreStillRight) {
    // Geographic points on both sides of 180° into a projection centred
    // there, and back: the wrap of the longitude must not be smoothed over.
    std::vector<MapPoint> points;
    for (int i = 0; i < 40000; ++i) {
        const double lon = (i % 2 == 0) ? 179.0 + (i % 100) * 0.0099 : -179.0 - (i % 100) * 0.0099;
        points.push_back({lon, -10.0 + (i % 200) * 0.1});
    }
    const std::vector<MapPoint> reference = onePointAtATime(3832, 4326, [&] {
        auto projected = onePointAtATime(4326, 3832, points);
        return projected;
    }());
    auto projected = points;
    ASSERT_TRUE(transformation(4326, 3832).transform(projected));
    ASSERT_TRUE(transformation(3832, 4326).transform(projected));
    for (std::size_t i = 0; i < points.size(); ++i) {
        ASSERT_NEAR(projected[i].x, reference[i].x, 1e-7) << i;
        ASSERT_NEAR(projected[i].y, reference[i].y, 1e-7) << i;
    }
}

TEST_F(CoordinateSystemTest, aFailedPointLeavesTheWholeArrayAsItWas) {
    std::vector<MapPoint> points(30000, MapPoint{-45.0, -15.0});
    points[12345] = {-45.0, 95.0};  // no such latitude
    const std::vector<MapPoint> before = points;
    const Transformation::Outcome outcome =
        transformation(kSirgasGeographic, kUtm23South).transform(points);
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.failed, 1u);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_EQ(points, before);
}

// --- Loading in the map's system ----------------------------------------------

namespace {

class LoadInSystemTest : public CoordinateSystemTest {
protected:
    // Two squares in UTM 23S, 10 km a side, near the zone's centre.
    QString writeUtm(const QString& name, int epsg = kUtm23South) {
        ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("U", 4).spatialReference(epsg);
        b.feature(
            "POLYGON((500000 8300000,500000 8310000,510000 8310000,510000 8300000,"
            "500000 8300000))",
            {QString("A")});
        b.feature(
            "POLYGON((520000 8300000,520000 8310000,530000 8310000,530000 8300000,"
            "520000 8300000))",
            {QString("B")});
        const QString path = dir.filePath(name);
        EXPECT_TRUE(b.write(path));
        return path;
    }

    // Replaces the .prj beside a shapefile.
    void writePrj(const QString& name, const QByteArray& text) {
        QFile prj(dir.filePath(name));
        ASSERT_TRUE(prj.open(QIODevice::WriteOnly | QIODevice::Truncate));
        prj.write(text);
    }

    static std::shared_ptr<const VectorData> loaded(const QString& path,
                                                    const std::optional<CoordinateSystem>& target) {
        auto result = VectorData::load(path, QString(), target);
        if (const auto* error = std::get_if<VectorData::LoadError>(&result)) {
            ADD_FAILURE() << error->message.toStdString();
            return nullptr;
        }
        return std::get<std::shared_ptr<const VectorData>>(result);
    }
};

}  // namespace

TEST_F(LoadInSystemTest, dataInAnotherSystemIsTransformedBeforeItIsIndexed) {
    const auto data = loaded(writeUtm("utm.shp"), systemOf(kSirgasGeographic));
    ASSERT_TRUE(data);
    ASSERT_TRUE(data->coordinateSystem());
    EXPECT_TRUE(data->coordinateSystem()->isGeographic());
    EXPECT_TRUE(data->systemProblem().isEmpty());
    // Degrees now: the extent, the boxes and the index all agree.
    const Rectangle extent = data->extent();
    EXPECT_GT(extent.left(), -45.1);
    EXPECT_LT(extent.right(), -44.6);
    EXPECT_GT(extent.bottom(), -15.5);
    EXPECT_LT(extent.top(), -15.2);
    const MapPoint insideB = data->box(1).centre();
    EXPECT_EQ(data->featuresContaining(insideB), std::vector<VectorData::FeatureId>{1});
    EXPECT_EQ(data->featuresInBox(data->box(0)).front(), 0u);
}

TEST_F(LoadInSystemTest, dataInTheTargetSystemOrWithoutOneIsTakenAsItIs) {
    const QString path = writeUtm("utm.shp");
    const auto plain = loaded(path, std::nullopt);
    const auto same = loaded(path, systemOf(kUtm23South));
    ASSERT_TRUE(plain && same);
    EXPECT_EQ(plain->coordinateSystem()->epsgCode(), kUtm23South);
    EXPECT_EQ(same->shape(0).parts()[0].points, plain->shape(0).parts()[0].points);
    EXPECT_DOUBLE_EQ(plain->extent().left(), 500000.0);

    const QString bare = writeUtm("bare.shp", 0);  // no .prj: declares nothing
    const auto undeclared = loaded(bare, systemOf(kSirgasGeographic));
    ASSERT_TRUE(undeclared);
    EXPECT_FALSE(undeclared->coordinateSystem());
    EXPECT_TRUE(undeclared->systemProblem().isEmpty());
    EXPECT_DOUBLE_EQ(undeclared->extent().left(), 500000.0);
}

TEST_F(LoadInSystemTest, brokenPrjLeavesTheDataAsItIsWithTheReason) {
    const QString path = writeUtm("broken.shp");
    writePrj("broken.prj", "PROJCS[\"quebrado\",GEOGCS[");
    const auto data = loaded(path, systemOf(kSirgasGeographic));
    ASSERT_TRUE(data);
    EXPECT_FALSE(data->coordinateSystem());
    EXPECT_TRUE(data->systemProblem().contains("broken.prj"))
        << data->systemProblem().toStdString();
    EXPECT_DOUBLE_EQ(data->extent().left(), 500000.0);
}

TEST_F(LoadInSystemTest, dataPROJCannotTransformStaysAsItIsWithPROJsReason) {
    // A local engineering system has no way to the earth.
    const QString path = writeUtm("obra.shp", 0);
    writePrj("obra.prj", "LOCAL_CS[\"obra\",UNIT[\"metre\",1]]");
    const auto data = loaded(path, systemOf(kSirgasGeographic));
    ASSERT_TRUE(data);
    EXPECT_FALSE(data->systemProblem().isEmpty());
    EXPECT_DOUBLE_EQ(data->extent().left(), 500000.0);
}

TEST_F(LoadInSystemTest, cacheKeepsOneEntryPerTargetSystem) {
    VectorDataCache cache;
    const QString path = writeUtm("utm.shp");
    const auto first = cache.load(path, QString(), systemOf(kSirgasGeographic));
    const auto again = cache.load(path, QString(), systemOf(kSirgasGeographic));
    EXPECT_EQ(cache.readCount(), 1u);
    EXPECT_EQ(std::get<std::shared_ptr<const VectorData>>(first),
              std::get<std::shared_ptr<const VectorData>>(again));
    const auto native = cache.load(path);
    EXPECT_EQ(cache.readCount(), 2u);
    EXPECT_DOUBLE_EQ(std::get<std::shared_ptr<const VectorData>>(native)->extent().left(),
                     500000.0);
}

TEST_F(LoadInSystemTest, aLayerOfAGeoPackageIsTransformedLikeAShapefile) {
    const QString path = dir.filePath("levantamento.gpkg");
    fixtures::VectorBuilder gpkg(QStringLiteral("GPKG"));
    gpkg.spatialReference(kSirgasGeographic)
        .layer("pontos", fixtures::ShapeType::Point)
        .textField("U")
        .feature("POINT(-45 -15)", {QString("P")});
    gpkg.spatialReference(kUtm23South)
        .layer("geologia", fixtures::ShapeType::Polygon)
        .textField("U")
        .feature(
            "POLYGON((500000 8300000,500000 8310000,510000 8310000,510000 8300000,"
            "500000 8300000))",
            {QString("A")});
    ASSERT_TRUE(gpkg.write(path));
    const auto shapefile = loaded(writeUtm("utm.shp"), systemOf(kSirgasGeographic));

    auto result = VectorData::load(path, QStringLiteral("geologia"), systemOf(kSirgasGeographic));
    ASSERT_TRUE(std::holds_alternative<std::shared_ptr<const VectorData>>(result));
    const auto layer = std::get<std::shared_ptr<const VectorData>>(result);
    ASSERT_TRUE(shapefile && layer->coordinateSystem());
    EXPECT_TRUE(layer->coordinateSystem()->isGeographic());
    EXPECT_EQ(layer->shape(0).parts()[0].points, shapefile->shape(0).parts()[0].points);
}

TEST_F(LoadInSystemTest, aPrjBesideAFileOfAnotherFormatIsNotItsSystem) {
    // A FlatGeobuf file that declares no system; a .prj of the same base name
    // beside it belongs to some shapefile, not to it.
    const QString path = dir.filePath("furos.fgb");
    fixtures::VectorBuilder fgb(QStringLiteral("FlatGeobuf"));
    fgb.layer("furos", fixtures::ShapeType::Point)
        .textField("U")
        .feature("POINT(-45 -15)", {QString("F")});
    ASSERT_TRUE(fgb.write(path));
    writePrj("furos.prj", "PROJCS[\"quebrado\",GEOGCS[");
    const auto data = loaded(path, systemOf(kSirgasGeographic));
    ASSERT_TRUE(data);
    EXPECT_FALSE(data->coordinateSystem());
    EXPECT_TRUE(data->systemProblem().isEmpty()) << data->systemProblem().toStdString();
    EXPECT_NEAR(data->extent().left(), -45.0, 1e-6);
}

// --- Pictures in another system ---------------------------------------------------

TEST_F(CoordinateSystemTest, pictureInAnotherSystemIsWarpedAndIdentifiedInItsOwnCells) {
    // 100 × 100 cells of 100 m in UTM 23S: left half red, right half blue.
    const QString path = dir.filePath("utm.tif");
    fixtures::RasterBuilder picture(fixtures::RasterFormat::GeoTiff, 100, 100, 3);
    picture.geoTransform({500000.0, 100.0, 0.0, 8310000.0, 0.0, -100.0})
        .spatialReference(kUtm23South)
        .pixels([](int x, int, int band) -> std::uint8_t {
            const bool left = x < 50;
            return band == 0 ? (left ? 255 : 0) : band == 2 ? (left ? 0 : 255) : 0;
        });
    ASSERT_TRUE(picture.write(path));

    const ImageLayer warped(path, systemOf(kSirgasGeographic));
    ASSERT_TRUE(warped.isValid()) << warped.error().toStdString();
    ASSERT_TRUE(warped.isWarped());
    EXPECT_TRUE(warped.coordinateSystem()->isGeographic());
    const Rectangle extent = warped.extent();
    EXPECT_NEAR(extent.left(), -45.0, 0.01);
    EXPECT_LT(extent.width(), 0.2);

    // Drawn over a view of its own extent, widened a little: red on the
    // west, blue on the east, nothing beyond the picture.
    const Rectangle view = extent.scaled(1.2);
    QImage image(QSize(120, 120), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    warped.draw(painter, ViewTransform(view, image.size()));
    painter.end();
    EXPECT_EQ(image.pixelColor(35, 60), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(85, 60), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));

    // The side files' cells are the picture's own: a map point goes back to
    // UTM metres.
    const MapPoint centre = extent.centre();
    const std::optional<MapPoint> inPicture = warped.toPictureSystem(centre);
    ASSERT_TRUE(inPicture);
    EXPECT_NEAR(inPicture->x, 505000.0, 200.0);
    EXPECT_NEAR(inPicture->y, 8305000.0, 200.0);

    // Without a map system it is placed as it is.
    const ImageLayer plain(path);
    EXPECT_FALSE(plain.isWarped());
    EXPECT_DOUBLE_EQ(plain.extent().left(), 500000.0);
}
