#include "readback.h"

#include "platform/text_codec.h"
#include "support/fixtures/raster_builder.h"
#include "support/fixtures/shapefile_builder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <cmath>

namespace {

using fixtures::RasterBuilder;
using fixtures::RasterFormat;
using fixtures::ShapefileBuilder;
using fixtures::ShapeType;
using fixtures::TextEncoding;

class BuilderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    bool exists(const QString& name) const { return QFileInfo::exists(path(name)); }

    QTemporaryDir m_dir;
};

using ShapefileBuilderTest = BuilderTest;
using RasterBuilderTest = BuilderTest;

const QString kRiverName = QStringLiteral("Formação Ribeirão");

TEST_F(ShapefileBuilderTest, polygonsKeepTheirHolesAndParts) {
    const auto result =
        ShapefileBuilder(ShapeType::Polygon)
            .integerField(QStringLiteral("ID"))
            .feature(QStringLiteral("POLYGON ((0 0,10 0,10 10,0 10,0 0),(1 1,2 1,2 2,1 2,1 1),"
                                    "(5 5,6 5,6 6,5 6,5 5))"),
                     {qint64(1)})
            .feature(QStringLiteral("MULTIPOLYGON (((20 0,21 0,21 1,20 0)),((30 0,31 0,31 1,30 0)),"
                                    "((40 0,41 0,41 1,40 0)))"),
                     {qint64(2)})
            .write(path("poligonos.shp"));
    ASSERT_TRUE(result) << result.message.toStdString() << result.detail.toStdString();

    auto dataset = readback::openVector(path("poligonos.shp"));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    EXPECT_EQ(wkbFlatten(layer->GetGeomType()), wkbPolygon);
    ASSERT_EQ(layer->GetFeatureCount(), 2);

    OGRFeatureUniquePtr first(layer->GetNextFeature());
    ASSERT_EQ(wkbFlatten(first->GetGeometryRef()->getGeometryType()), wkbPolygon);
    const OGRPolygon* withHoles = first->GetGeometryRef()->toPolygon();
    EXPECT_EQ(withHoles->getNumInteriorRings(), 2);
    EXPECT_DOUBLE_EQ(withHoles->get_Area(), 100.0 - 2.0);

    OGRFeatureUniquePtr second(layer->GetNextFeature());
    ASSERT_EQ(wkbFlatten(second->GetGeometryRef()->getGeometryType()), wkbMultiPolygon);
    EXPECT_EQ(second->GetGeometryRef()->toMultiPolygon()->getNumGeometries(), 3);
    EXPECT_EQ(second->GetFieldAsInteger(0), 2);
}

TEST_F(ShapefileBuilderTest, linesAndPointsKeepTheirCoordinatesAndParts) {
    auto lines = ShapefileBuilder(ShapeType::Line)
                     .textField(QStringLiteral("NOME"), 10)
                     .feature(QStringLiteral("LINESTRING (-48.5 -15.5,-48.25 -15.75,-48 -15.8)"),
                              {QStringLiteral("a")})
                     .feature(QStringLiteral("MULTILINESTRING ((0 0,1 1),(2 2,3 3,4 2))"),
                              {QStringLiteral("b")})
                     .write(path("linhas.shp"));
    ASSERT_TRUE(lines) << lines.detail.toStdString();
    auto points =
        ShapefileBuilder(ShapeType::Point)
            .textField(QStringLiteral("NOME"), 10)
            .feature(QStringLiteral("POINT (-47.123456 -15.654321)"), {QStringLiteral("p")})
            .feature(QString(), {QStringLiteral("sem")})
            .write(path("pontos.shp"));
    ASSERT_TRUE(points) << points.detail.toStdString();

    auto lineSet = readback::openVector(path("linhas.shp"));
    ASSERT_TRUE(lineSet);
    OGRLayer* lineLayer = lineSet->GetLayer(0);
    EXPECT_EQ(wkbFlatten(lineLayer->GetGeomType()), wkbLineString);
    OGRFeatureUniquePtr single(lineLayer->GetNextFeature());
    const OGRLineString* line = single->GetGeometryRef()->toLineString();
    ASSERT_EQ(line->getNumPoints(), 3);
    EXPECT_DOUBLE_EQ(line->getX(1), -48.25);
    EXPECT_DOUBLE_EQ(line->getY(1), -15.75);
    OGRFeatureUniquePtr multi(lineLayer->GetNextFeature());
    ASSERT_EQ(wkbFlatten(multi->GetGeometryRef()->getGeometryType()), wkbMultiLineString);
    EXPECT_EQ(multi->GetGeometryRef()->toMultiLineString()->getNumGeometries(), 2);

    auto pointSet = readback::openVector(path("pontos.shp"));
    ASSERT_TRUE(pointSet);
    OGRLayer* pointLayer = pointSet->GetLayer(0);
    EXPECT_EQ(wkbFlatten(pointLayer->GetGeomType()), wkbPoint);
    OGRFeatureUniquePtr point(pointLayer->GetNextFeature());
    EXPECT_EQ(point->GetGeometryRef()->toPoint()->getX(), -47.123456);
    EXPECT_EQ(point->GetGeometryRef()->toPoint()->getY(), -15.654321);
    OGRFeatureUniquePtr nullShape(pointLayer->GetNextFeature());
    ASSERT_TRUE(nullShape);
    EXPECT_EQ(nullShape->GetGeometryRef(), nullptr);
    EXPECT_STREQ(nullShape->GetFieldAsString(0), "sem");
}

TEST_F(ShapefileBuilderTest, fieldsKeepTypeWidthPrecisionAndValues) {
    const auto result =
        ShapefileBuilder(ShapeType::Point)
            .textField(QStringLiteral("SIGLA"), 12)
            .integerField(QStringLiteral("CONTAGEM"))
            .integerField(QStringLiteral("CODIGO"), 15)
            .realField(QStringLiteral("AREA"), 10, 3)
            .feature(QStringLiteral("POINT (1 2)"), {QStringLiteral("NP1ac"), qint64(-12345678),
                                                     qint64(123456789012345), 1234.5678})
            .feature(QStringLiteral("POINT (3 4)"),
                     {QStringLiteral(""), std::monostate{}, std::monostate{}, qint64(7)})
            .write(path("campos.shp"));
    ASSERT_TRUE(result) << result.detail.toStdString();

    auto dataset = readback::openVector(path("campos.shp"));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    const OGRFeatureDefn* definition = layer->GetLayerDefn();
    ASSERT_EQ(definition->GetFieldCount(), 4);
    struct Expected {
        const char* name;
        OGRFieldType type;
        int width;
        int precision;
    };
    const Expected expected[] = {{"SIGLA", OFTString, 12, 0},
                                 {"CONTAGEM", OFTInteger, 9, 0},
                                 {"CODIGO", OFTInteger64, 15, 0},
                                 {"AREA", OFTReal, 10, 3}};
    for (int i = 0; i < 4; ++i) {
        const OGRFieldDefn* field = definition->GetFieldDefn(i);
        EXPECT_STREQ(field->GetNameRef(), expected[i].name);
        EXPECT_EQ(field->GetType(), expected[i].type) << expected[i].name;
        EXPECT_EQ(field->GetWidth(), expected[i].width) << expected[i].name;
        EXPECT_EQ(field->GetPrecision(), expected[i].precision) << expected[i].name;
    }

    OGRFeatureUniquePtr first(layer->GetNextFeature());
    EXPECT_STREQ(first->GetFieldAsString(0), "NP1ac");
    EXPECT_EQ(first->GetFieldAsInteger(1), -12345678);
    EXPECT_EQ(first->GetFieldAsInteger64(2), 123456789012345);
    EXPECT_DOUBLE_EQ(first->GetFieldAsDouble(3), 1234.568);  // rounded to the precision

    OGRFeatureUniquePtr second(layer->GetNextFeature());
    EXPECT_FALSE(second->IsFieldSetAndNotNull(1));
    EXPECT_FALSE(second->IsFieldSetAndNotNull(2));
    EXPECT_DOUBLE_EQ(second->GetFieldAsDouble(3), 7.0);
}

TEST_F(ShapefileBuilderTest, windows1252ValuesAreWrittenAsSingleBytes) {
    const QString fieldName = QStringLiteral("DESCRIÇÃO");  // 9 bytes in Windows-1252
    const auto result = ShapefileBuilder(ShapeType::Point)
                            .encoding(TextEncoding::Windows1252, false)
                            .textField(fieldName, 17)
                            .feature(QStringLiteral("POINT (0 0)"), {kRiverName})
                            .write(path("ansi.shp"));
    ASSERT_TRUE(result) << result.detail.toStdString();

    const QByteArray expected = platform::encodeWindows1252(kRiverName);
    ASSERT_EQ(expected.size(), kRiverName.size());
    const QByteArray dbf = readback::fileBytes(path("ansi.dbf"));
    EXPECT_TRUE(dbf.contains(expected));
    EXPECT_FALSE(dbf.contains(kRiverName.toUtf8()));
    EXPECT_TRUE(dbf.contains(platform::encodeWindows1252(fieldName)));
    EXPECT_FALSE(exists("ansi.cpg"));

    auto dataset = readback::openVector(path("ansi.shp"));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    EXPECT_EQ(QByteArray(layer->GetLayerDefn()->GetFieldDefn(0)->GetNameRef()),
              platform::encodeWindows1252(fieldName));
    OGRFeatureUniquePtr feature(layer->GetNextFeature());
    EXPECT_EQ(QByteArray(feature->GetFieldAsString(0)), expected);
}

TEST_F(ShapefileBuilderTest, cpgNamesTheEncodingOnlyWhenAsked) {
    auto write = [this](TextEncoding encoding, bool withCpg, const QString& name) {
        return ShapefileBuilder(ShapeType::Point)
            .encoding(encoding, withCpg)
            .textField(QStringLiteral("NOME"), 20)
            .feature(QStringLiteral("POINT (0 0)"), {kRiverName})
            .write(path(name + QStringLiteral(".shp")));
    };
    ASSERT_TRUE(write(TextEncoding::Utf8, true, QStringLiteral("utf8")));
    ASSERT_TRUE(write(TextEncoding::Utf8, false, QStringLiteral("utf8_sem_cpg")));
    ASSERT_TRUE(write(TextEncoding::Windows1252, true, QStringLiteral("ansi")));

    EXPECT_EQ(readback::fileBytes(path("utf8.cpg")), QByteArray("UTF-8"));
    EXPECT_TRUE(readback::fileBytes(path("utf8.dbf")).contains(kRiverName.toUtf8()));
    EXPECT_FALSE(exists("utf8_sem_cpg.cpg"));
    EXPECT_TRUE(readback::fileBytes(path("utf8_sem_cpg.dbf")).contains(kRiverName.toUtf8()));
    EXPECT_EQ(readback::fileBytes(path("ansi.cpg")), QByteArray("1252"));
    EXPECT_TRUE(
        readback::fileBytes(path("ansi.dbf")).contains(platform::encodeWindows1252(kRiverName)));
}

TEST_F(ShapefileBuilderTest, rewritingLeavesNoStaleSideFiles) {
    ASSERT_TRUE(ShapefileBuilder(ShapeType::Point)
                    .encoding(TextEncoding::Utf8, true)
                    .spatialReference(4326)
                    .integerField(QStringLiteral("N"))
                    .feature(QStringLiteral("POINT (0 0)"), {qint64(1)})
                    .write(path("tema.shp")));
    ASSERT_TRUE(exists("tema.cpg"));
    ASSERT_TRUE(exists("tema.prj"));
    ASSERT_TRUE(QFile(path("tema.qix")).open(QIODevice::WriteOnly));

    ASSERT_TRUE(ShapefileBuilder(ShapeType::Point)
                    .integerField(QStringLiteral("N"))
                    .feature(QStringLiteral("POINT (5 5)"), {qint64(2)})
                    .write(path("tema.shp")));
    EXPECT_FALSE(exists("tema.cpg"));
    EXPECT_FALSE(exists("tema.prj"));
    EXPECT_FALSE(exists("tema.qix"));
    auto dataset = readback::openVector(path("tema.shp"));
    ASSERT_TRUE(dataset);
    EXPECT_EQ(dataset->GetLayer(0)->GetFeatureCount(), 1);
}

TEST_F(ShapefileBuilderTest, dataThatWouldNotSurviveFailsTheWriteAndKeepsTheOldFile) {
    ASSERT_TRUE(
        ShapefileBuilder(ShapeType::Polygon)
            .textField(QStringLiteral("NOME"), 8)
            .feature(QStringLiteral("POLYGON ((0 0,1 0,1 1,0 0))"), {QStringLiteral("velho")})
            .write(path("tema.shp")));
    const QByteArray shp = readback::fileBytes(path("tema.shp"));
    const QByteArray dbf = readback::fileBytes(path("tema.dbf"));

    const QString square = QStringLiteral("POLYGON ((0 0,1 0,1 1,0 0))");
    auto polygons = [] { return ShapefileBuilder(ShapeType::Polygon); };
    struct Case {
        const char* what;
        ShapefileBuilder builder;
    };
    const Case cases[] = {
        {"text longer than its field", polygons()
                                           .textField(QStringLiteral("NOME"), 8)
                                           .feature(square, {QStringLiteral("123456789")})},
        {"UTF-8 bytes longer than the field", polygons()
                                                  .encoding(TextEncoding::Utf8, true)
                                                  .textField(QStringLiteral("NOME"), 8)
                                                  .feature(square, {QStringLiteral("Ribeirão")})},
        {"character missing from Windows-1252", polygons()
                                                    .textField(QStringLiteral("NOME"), 8)
                                                    .feature(square, {QStringLiteral("Ωmega")})},
        {"field name over 10 bytes",
         polygons().textField(QStringLiteral("NOME_LONGO_X"), 8).feature(square, {QString()})},
        {"field name over 10 bytes once in UTF-8", polygons()
                                                       .encoding(TextEncoding::Utf8, false)
                                                       .textField(QStringLiteral("DESCRIÇÃO"), 8)
                                                       .feature(square, {QString()})},
        {"repeated field name", polygons()
                                    .textField(QStringLiteral("NOME"), 8)
                                    .textField(QStringLiteral("nome"), 8)
                                    .feature(square, {QString(), QString()})},
        {"integer wider than its field",
         polygons().integerField(QStringLiteral("N"), 3).feature(square, {qint64(-100)})},
        {"real wider than its field",
         polygons().realField(QStringLiteral("A"), 6, 2).feature(square, {1234.5})},
        {"text for an integer field",
         polygons().integerField(QStringLiteral("N")).feature(square, {QStringLiteral("1")})},
        {"fewer values than fields", polygons()
                                         .integerField(QStringLiteral("N"))
                                         .integerField(QStringLiteral("M"))
                                         .feature(square, {qint64(1)})},
        {"point in a polygon file", polygons()
                                        .integerField(QStringLiteral("N"))
                                        .feature(QStringLiteral("POINT (0 0)"), {qint64(1)})},
        {"open ring", polygons()
                          .integerField(QStringLiteral("N"))
                          .feature(QStringLiteral("POLYGON ((0 0,1 0,1 1,0 1))"), {qint64(1)})},
        {"3D geometry",
         polygons()
             .integerField(QStringLiteral("N"))
             .feature(QStringLiteral("POLYGON Z ((0 0 1,1 0 1,1 1 1,0 0 1))"), {qint64(1)})},
        {"broken WKT", polygons()
                           .integerField(QStringLiteral("N"))
                           .feature(QStringLiteral("POLYGON ((0 0,1 0,"), {qint64(1)})},
        {"text after the WKT", polygons()
                                   .integerField(QStringLiteral("N"))
                                   .feature(square + QStringLiteral(" x"), {qint64(1)})},
    };
    for (const Case& c : cases) {
        const platform::Result result = c.builder.write(path("tema.shp"));
        EXPECT_FALSE(result) << c.what;
        EXPECT_FALSE(result.message.isEmpty()) << c.what;
        EXPECT_EQ(readback::fileBytes(path("tema.shp")), shp) << c.what;
        EXPECT_EQ(readback::fileBytes(path("tema.dbf")), dbf) << c.what;
    }
    EXPECT_FALSE(ShapefileBuilder(ShapeType::Point).write(path("tema.txt")));
}

TEST_F(ShapefileBuilderTest, failingToCreateTheFileIsReported) {
    const auto result = ShapefileBuilder(ShapeType::Point)
                            .integerField(QStringLiteral("N"))
                            .feature(QStringLiteral("POINT (0 0)"), {qint64(1)})
                            .write(path("nao_existe/tema.shp"));
    EXPECT_FALSE(result);
    EXPECT_FALSE(exists("nao_existe/tema.dbf"));
}

const fixtures::GeoTransform kTransform{-48.6, 0.01, 0, -15.2, 0, -0.02};

std::uint8_t pattern(int x, int y, int band) {
    return std::uint8_t((x * 7 + y * 13 + band * 101) % 256);
}

TEST_F(RasterBuilderTest, geoTiffKeepsGeoTransformSpatialReferenceAndPixels) {
    for (const int bands : {1, 3}) {
        const QString name = QStringLiteral("relevo%1.tif").arg(bands);
        const auto result = RasterBuilder(RasterFormat::GeoTiff, 40, 30, bands)
                                .geoTransform(kTransform)
                                .spatialReference(4326)
                                .pixels(pattern)
                                .write(path(name));
        ASSERT_TRUE(result) << result.detail.toStdString();
        EXPECT_FALSE(exists(name + QStringLiteral(".aux.xml")));
        EXPECT_FALSE(
            QFileInfo::exists(RasterBuilder::worldFilePath(RasterFormat::GeoTiff, path(name))));

        auto dataset = readback::openRaster(path(name));
        ASSERT_TRUE(dataset);
        EXPECT_STREQ(dataset->GetDriver()->GetDescription(), "GTiff");
        EXPECT_EQ(dataset->GetRasterXSize(), 40);
        EXPECT_EQ(dataset->GetRasterYSize(), 30);
        ASSERT_EQ(dataset->GetRasterCount(), bands);
        fixtures::GeoTransform transform{};
        ASSERT_EQ(dataset->GetGeoTransform(transform.data()), CE_None);
        for (int k = 0; k < 6; ++k) {
            EXPECT_DOUBLE_EQ(transform[k], kTransform[k]) << k;
        }
        const OGRSpatialReference* srs = dataset->GetSpatialRef();
        ASSERT_NE(srs, nullptr);
        EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "4326");

        for (int band = 0; band < bands; ++band) {
            std::vector<std::uint8_t> values(40 * 30);
            ASSERT_EQ(dataset->GetRasterBand(band + 1)->RasterIO(
                          GF_Read, 0, 0, 40, 30, values.data(), 40, 30, GDT_Byte, 0, 0, nullptr),
                      CE_None);
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 40; ++x) {
                    ASSERT_EQ(values[std::size_t(y * 40 + x)], pattern(x, y, band))
                        << x << "," << y << " band " << band;
                }
            }
        }
    }
}

TEST_F(RasterBuilderTest, worldFilesHoldSixLinesMatchingTheGeoTransform) {
    const std::pair<RasterFormat, QString> formats[] = {{RasterFormat::GeoTiff, "mapa.tif"},
                                                        {RasterFormat::Bmp, "mapa.bmp"},
                                                        {RasterFormat::Jpeg, "mapa.jpg"}};
    for (const auto& [format, name] : formats) {
        const auto result = RasterBuilder(format, 20, 10, 3)
                                .geoTransform(kTransform)
                                .worldFile(true)
                                .fill({10, 20, 30})
                                .write(path(name));
        ASSERT_TRUE(result) << result.detail.toStdString();
        const QString worldFile = RasterBuilder::worldFilePath(format, path(name));
        const QList<QByteArray> lines = readback::fileBytes(worldFile).trimmed().split('\n');
        ASSERT_EQ(lines.size(), 6) << name.toStdString();
        // Pixel size and rotations, then the centre of the top-left pixel.
        const double expected[] = {0.01, 0, 0, -0.02, -48.6 + 0.005, -15.2 - 0.01};
        for (int k = 0; k < 6; ++k) {
            EXPECT_NEAR(lines[k].trimmed().toDouble(), expected[k], 1e-9)
                << name.toStdString() << " line " << k + 1;
        }
        EXPECT_FALSE(exists(name + QStringLiteral(".aux.xml"))) << name.toStdString();
    }
    EXPECT_TRUE(exists("mapa.tfw"));
    EXPECT_TRUE(exists("mapa.wld"));

    // GDAL finds the georeference of a BMP through its world file.
    auto bmp = readback::openRaster(path("mapa.bmp"));
    ASSERT_TRUE(bmp);
    fixtures::GeoTransform transform{};
    ASSERT_EQ(bmp->GetGeoTransform(transform.data()), CE_None);
    EXPECT_NEAR(transform[0], -48.6, 1e-9);
    EXPECT_NEAR(transform[3], -15.2, 1e-9);
}

TEST_F(RasterBuilderTest, bmpAndJpegOpenWithTheirSizeAndColours) {
    ASSERT_TRUE(RasterBuilder(RasterFormat::Bmp, 33, 17, 3).pixels(pattern).write(path("a.bmp")));
    ASSERT_TRUE(
        RasterBuilder(RasterFormat::Jpeg, 64, 48, 3).fill({200, 120, 40}).write(path("b.jpg")));
    ASSERT_TRUE(RasterBuilder(RasterFormat::Jpeg, 16, 8, 1).fill({77}).write(path("c.jpg")));
    EXPECT_FALSE(exists("a.wld"));
    EXPECT_FALSE(exists("b.wld"));

    auto bmp = readback::openRaster(path("a.bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_STREQ(bmp->GetDriver()->GetDescription(), "BMP");
    EXPECT_EQ(bmp->GetRasterXSize(), 33);
    EXPECT_EQ(bmp->GetRasterYSize(), 17);
    ASSERT_EQ(bmp->GetRasterCount(), 3);
    std::uint8_t value = 0;
    ASSERT_EQ(bmp->GetRasterBand(3)->RasterIO(GF_Read, 32, 16, 1, 1, &value, 1, 1, GDT_Byte, 0, 0,
                                              nullptr),
              CE_None);
    EXPECT_EQ(value, pattern(32, 16, 2));

    auto jpeg = readback::openRaster(path("b.jpg"));
    ASSERT_TRUE(jpeg);
    EXPECT_STREQ(jpeg->GetDriver()->GetDescription(), "JPEG");
    EXPECT_EQ(jpeg->GetRasterXSize(), 64);
    EXPECT_EQ(jpeg->GetRasterYSize(), 48);
    ASSERT_EQ(jpeg->GetRasterCount(), 3);
    const int fill[] = {200, 120, 40};
    for (int band = 0; band < 3; ++band) {
        ASSERT_EQ(jpeg->GetRasterBand(band + 1)->RasterIO(GF_Read, 30, 20, 1, 1, &value, 1, 1,
                                                          GDT_Byte, 0, 0, nullptr),
                  CE_None);
        EXPECT_NEAR(value, fill[band], 4) << "band " << band;  // JPEG is lossy
    }

    auto grey = readback::openRaster(path("c.jpg"));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->GetRasterCount(), 1);
}

TEST_F(RasterBuilderTest, impossibleRequestsFailWithoutWritingAFile) {
    struct Case {
        const char* what;
        RasterBuilder builder;
        QString name;
    };
    const Case cases[] = {
        {"world file without georeference",
         RasterBuilder(RasterFormat::Bmp, 4, 4, 3).worldFile(true), "a.bmp"},
        {"coordinate system in a BMP",
         RasterBuilder(RasterFormat::Bmp, 4, 4, 3).spatialReference(4326), "b.bmp"},
        {"fill for the wrong band count", RasterBuilder(RasterFormat::GeoTiff, 4, 4, 3).fill({1}),
         "c.tif"},
        {"two bands", RasterBuilder(RasterFormat::GeoTiff, 4, 4, 2), "d.tif"},
        {"empty picture", RasterBuilder(RasterFormat::Jpeg, 0, 4, 1), "e.jpg"},
        {"JPEG quality out of range", RasterBuilder(RasterFormat::Jpeg, 4, 4, 1).jpegQuality(0),
         "f.jpg"},
        {"missing folder", RasterBuilder(RasterFormat::GeoTiff, 4, 4, 1), "nao_existe/g.tif"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.builder.write(path(c.name))) << c.what;
        EXPECT_FALSE(exists(c.name)) << c.what;
    }
}

}  // namespace
