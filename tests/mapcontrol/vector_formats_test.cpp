// Vector themes of the formats other than the shapefile, read through OGR.
#include "mapcontrol/vector_data.h"
#include "mapcontrol/vector_data_cache.h"
#include "mapcontrol/vector_layer.h"
#include "mapcontrol/vector_source.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/vector_builder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <iostream>

using namespace mapcontrol;
using fixtures::VectorBuilder;

namespace {

class VectorFormatsTest : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    QString write(const QString& name, const VectorBuilder& builder) {
        const QString path = dir.filePath(name);
        const platform::Result result = builder.write(path);
        EXPECT_TRUE(result) << result.message.toStdString() << " " << result.detail.toStdString();
        return path;
    }

    // Layer "geologia" (two polygons: SIGLA text, COD integer, AREA real)
    // and layer "falhas" (one line), then a table without geometry.
    QString twoLayers() {
        VectorBuilder b("GPKG");
        b.layer("geologia", fixtures::ShapeType::Polygon)
            .textField("SIGLA")
            .integerField("COD")
            .realField("AREA");
        b.feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {QString("Poços à vista"), qint64(7), 1.5});
        b.feature("POLYGON((2 0,2 1,3 1,3 0,2 0))", {QString("K2"), qint64(8), 2.25});
        b.layer("falhas", fixtures::ShapeType::Line).textField("TIPO");
        b.feature("LINESTRING(0 0,5 1)", {QString("normal")});
        b.table("notas").textField("TEXTO");
        b.feature("", {QString("sem geometria")});
        return write("base.gpkg", b);
    }

    static std::shared_ptr<const VectorData> loaded(const QString& path,
                                                    const QString& layer = QString()) {
        auto result = VectorData::load(path, layer);
        if (const auto* error = std::get_if<VectorData::LoadError>(&result)) {
            ADD_FAILURE() << error->message.toStdString();
            return nullptr;
        }
        return std::get<std::shared_ptr<const VectorData>>(result);
    }
    static QString refusal(const QString& path, const QString& layer = QString()) {
        auto result = VectorData::load(path, layer);
        const auto* error = std::get_if<VectorData::LoadError>(&result);
        return error ? error->message : QString();
    }

    QTemporaryDir dir;
};

bool hasDriver(const char* name) {
    fixtures::registerGdalDrivers();
    return GDALGetDriverByName(name) != nullptr;
}

}  // namespace

TEST_F(VectorFormatsTest, aGeoPackageLayerIsReadByNameWithOgrFieldTypesAndUtf8Text) {
    const QString path = twoLayers();
    const auto geology = loaded(path, "geologia");
    ASSERT_TRUE(geology);
    EXPECT_EQ(geology->shapeType(), ShapeType::Polygon);
    EXPECT_EQ(geology->featureCount(), 2U);
    EXPECT_EQ(geology->extent(), Rectangle(0, 3, 1, 0));
    const AttributeTable& table = geology->table();
    ASSERT_EQ(table.fieldCount(), 3);
    EXPECT_EQ(table.field(0).name, "SIGLA");
    EXPECT_EQ(static_cast<int>(table.field(0).type), 10);
    EXPECT_EQ(static_cast<int>(table.field(1).type), 3);
    EXPECT_EQ(static_cast<int>(table.field(2).type), 5);
    EXPECT_EQ(table.text(0, 0), "Poços à vista");
    EXPECT_EQ(table.number(1, 1), 8.0);
    EXPECT_EQ(table.number(2, 1), 2.25);

    const auto faults = loaded(path, "falhas");
    ASSERT_TRUE(faults);
    EXPECT_EQ(faults->shapeType(), ShapeType::Line);
    EXPECT_EQ(faults->featureCount(), 1U);
    EXPECT_EQ(faults->table().text(0, 0), "normal");
}

TEST_F(VectorFormatsTest, aFileOfSeveralLayersListsThoseWithGeometryAndNeedsOneNamed) {
    const QString path = twoLayers();
    const auto names = vectorLayerNames(path);
    ASSERT_TRUE(std::holds_alternative<QStringList>(names));
    EXPECT_EQ(std::get<QStringList>(names), QStringList({"geologia", "falhas"}));

    EXPECT_TRUE(refusal(path).contains("tem 2 camadas vetoriais")) << refusal(path).toStdString();
    EXPECT_TRUE(refusal(path, "rios").contains("não tem a camada \"rios\""));
    EXPECT_TRUE(refusal(path, "notas").contains("não tem geometria"));
    // The message names the file and the layer.
    EXPECT_TRUE(refusal(path, "rios").startsWith(path + "|layername=rios: "));
}

TEST_F(VectorFormatsTest, geoJsonFlatGeobufAndKmlOfOneLayerNeedNoName) {
    struct Case {
        const char* driver;
        const char* file;
    };
    for (const Case& c : {Case{"GeoJSON", "furos.geojson"}, Case{"GeoJSON", "furos.json"},
                          Case{"FlatGeobuf", "furos.fgb"}, Case{"KML", "furos.kml"},
                          Case{"LIBKML", "libkml.kml"}, Case{"GML", "furos.gml"}}) {
        SCOPED_TRACE(c.file);
        if (!hasDriver(c.driver)) {
            std::cout << "GDAL without the driver " << c.driver << ": not tested\n";
            continue;  // the refusal of a format without its driver is tested below
        }
        VectorBuilder b(c.driver);
        b.layer("furos", fixtures::ShapeType::Point).textField("NOME").integerField("PROF");
        b.feature("POINT(-47.5 -5.25)", {QString("Furo ã"), qint64(25)});
        b.feature("POINT(-47 -5)", {QString("F2"), qint64(40)});
        const auto data = loaded(write(c.file, b));
        ASSERT_TRUE(data);
        EXPECT_EQ(data->shapeType(), ShapeType::Point);
        EXPECT_EQ(data->featureCount(), 2U);
        EXPECT_EQ(data->extent(), Rectangle(-47.5, -47, -5, -5.25));
        // Records keep their geometry, whatever order the format keeps
        // them in (FlatGeobuf sorts them along its spatial index).
        const AttributeTable& table = data->table();
        const int name = table.fieldIndex(u"NOME");
        const int depth = table.fieldIndex(u"PROF");
        ASSERT_GE(name, 0);
        ASSERT_GE(depth, 0);
        for (VectorData::FeatureId f = 0; f < 2; ++f) {
            const bool first = data->box(f).left() == -47.5;
            EXPECT_EQ(table.text(name, f), first ? "Furo ã" : "F2");
            EXPECT_EQ(table.number(depth, f), first ? 25.0 : 40.0);
        }
    }
}

TEST_F(VectorFormatsTest, aKmzIsTheKmlInsideIt) {
    const char* driver = hasDriver("LIBKML") ? "LIBKML" : "KML";
    VectorBuilder b(driver);
    b.layer("rotas", fixtures::ShapeType::Line).textField("NOME");
    b.feature("LINESTRING(0 0,1 1,2 0)", {QString("trilha")});
    const QString kml = write("doc.kml", b);
    const QString kmz = dir.filePath("rotas.kmz");
    ASSERT_TRUE(fixtures::zipFile(kml, kmz, "doc.kml"));
    const auto data = loaded(kmz);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->shapeType(), ShapeType::Line);
    ASSERT_EQ(data->featureCount(), 1U);
    EXPECT_EQ(data->partSize(data->firstPart(0)), 3U);
}

TEST_F(VectorFormatsTest, multiPartsMapToTheirShapeTypeAndMixedLayersAreRefused) {
    VectorBuilder multi("GeoJSON");
    multi.layer("m", std::nullopt);
    multi.feature("MULTIPOINT(0 0,1 1)", {});
    multi.feature("POINT(2 2)", {});
    const auto points = loaded(write("multi.geojson", multi));
    ASSERT_TRUE(points);
    EXPECT_EQ(points->shapeType(), ShapeType::Point);
    EXPECT_EQ(points->featureCount(), 2U);

    VectorBuilder mixed("GeoJSON");
    mixed.layer("m", std::nullopt);
    mixed.feature("POINT(0 0)", {});
    mixed.feature("LINESTRING(0 0,1 1)", {});
    const QString message = refusal(write("mixed.geojson", mixed));
    EXPECT_TRUE(message.contains("mistura pontos, linhas e polígonos")) << message.toStdString();

    VectorBuilder polygons("GPKG");
    polygons.layer("p", std::nullopt);
    polygons.feature("MULTIPOLYGON(((0 0,0 1,1 1,1 0,0 0)),((2 0,2 1,3 1,3 0,2 0)))", {});
    const auto read = loaded(write("any.gpkg", polygons));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->shapeType(), ShapeType::Polygon);
    EXPECT_EQ(read->endPart(0) - read->firstPart(0), 2U);
}

TEST_F(VectorFormatsTest, aFileItsFormatCannotReadIsRefusedNamingTheFormat) {
    QFile broken(dir.filePath("quebrado.gpkg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("isto não é um GeoPackage");
    broken.close();
    EXPECT_TRUE(refusal(broken.fileName()).contains("não é um arquivo GeoPackage legível"))
        << refusal(broken.fileName()).toStdString();
    EXPECT_TRUE(refusal(dir.filePath("falta.fgb")).contains("arquivo não encontrado"));
}

TEST_F(VectorFormatsTest, theCacheKeepsTwoLayersOfOneFileApartAndSeesTheFileRewritten) {
    VectorDataCache cache;
    const QString path = twoLayers();
    const auto first = std::get<std::shared_ptr<const VectorData>>(cache.load(path, "geologia"));
    const auto second = std::get<std::shared_ptr<const VectorData>>(cache.load(path, "falhas"));
    EXPECT_NE(first, second);
    EXPECT_EQ(std::get<std::shared_ptr<const VectorData>>(cache.load(path, "geologia")), first);
    EXPECT_EQ(cache.readCount(), 2U);
    EXPECT_EQ(cache.loadedFileCount(), 2U);

    VectorBuilder again("GPKG");
    again.layer("geologia", fixtures::ShapeType::Polygon).textField("SIGLA");
    again.feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {QString("novo")});
    write("base.gpkg", again);
    const auto reread = std::get<std::shared_ptr<const VectorData>>(cache.load(path, "geologia"));
    EXPECT_NE(reread, first);
    EXPECT_EQ(reread->table().text(0, 0), "novo");
    EXPECT_EQ(cache.readCount(), 3U);
}

TEST_F(VectorFormatsTest, aLayerOfAFileIsATheme) {
    VectorLayer layer(twoLayers(), "falhas");
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    EXPECT_EQ(layer.shapeType(), ShapeType::Line);
    EXPECT_EQ(layer.records().count(), 1);
}

TEST_F(VectorFormatsTest, aFormatWhoseDriverThisGdalLacksIsRefusedSayingSo) {
    VectorBuilder b("FlatGeobuf");
    b.layer("furos", fixtures::ShapeType::Point);
    b.feature("POINT(1 1)", {});
    const QString path = write("furos.fgb", b);
    GDALDriverManager& drivers = *GetGDALDriverManager();
    GDALDriver* flatGeobuf = drivers.GetDriverByName("FlatGeobuf");
    ASSERT_NE(flatGeobuf, nullptr);
    drivers.DeregisterDriver(flatGeobuf);
    const QString message = refusal(path);
    drivers.RegisterDriver(flatGeobuf);
    EXPECT_TRUE(
        message.endsWith("o GDAL instalado não tem o driver FlatGeobuf, que lê arquivos "
                         "FlatGeobuf"))
        << message.toStdString();
    EXPECT_TRUE(loaded(path));
}
