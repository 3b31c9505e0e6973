#include "mapcontrol/vector_layer.h"
#include "mapcontrol/expression.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mapcontrol;
using fixtures::ShapefileBuilder;

namespace {

class VectorLayerTest : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    QString write(const QString& name, const ShapefileBuilder& builder) {
        const QString path = dir.filePath(name);
        const platform::Result result = builder.write(path);
        EXPECT_TRUE(result) << result.message.toStdString() << " " << result.detail.toStdString();
        return path;
    }

    // Two units: a 10 x 10 square with a 4 x 4 hole, and a two-part polygon.
    QString units() {
        ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("SIGLA", 10).realField("AREA", 10, 2).integerField("CODE");
        b.feature("POLYGON((0 0,0 10,10 10,10 0,0 0),(3 3,7 3,7 7,3 7,3 3))",
                  {QString("PP2gr"), 84.0, qint64(1)});
        b.feature("MULTIPOLYGON(((20 0,20 2,22 2,22 0,20 0)),((30 0,30 2,32 2,32 0,30 0)))",
                  {QString("Q2a"), 8.0, qint64(2)});
        return write("units.shp", b);
    }

    QString writeBytes(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir dir;
};

QStringList column(RecordSet records, const QString& field) {
    QStringList values;
    for (records.moveFirst(); !records.isEnd(); records.moveNext()) {
        values.append(records.text(field));
    }
    return values;
}

}  // namespace

TEST_F(VectorLayerTest, polygonsLoadWithNameTypeExtentHolesAndParts) {
    VectorLayer layer(units());
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    EXPECT_EQ(layer.name(), "units");
    EXPECT_EQ(layer.shapeType(), ShapeType::Polygon);
    EXPECT_EQ(layer.extent(), Rectangle(0, 32, 10, 0));
    const Shape first = layer.data()->shape(0);
    ASSERT_EQ(first.parts().size(), 2U);
    EXPECT_TRUE(first.parts()[1].isHole);
    EXPECT_DOUBLE_EQ(first.area(), 84);
    EXPECT_EQ(layer.data()->shape(1).parts().size(), 2U);
}

TEST_F(VectorLayerTest, tableDescriptionGivesNamesAndTypeCodes) {
    VectorLayer layer(units());
    RecordSet records = layer.records();
    ASSERT_EQ(records.fieldCount(), 3);
    EXPECT_EQ(records.fieldName(0), "SIGLA");
    EXPECT_EQ(static_cast<int>(records.fieldType(0)), 10);
    EXPECT_EQ(static_cast<int>(records.fieldType(1)), 5);
    EXPECT_EQ(static_cast<int>(records.fieldType(2)), 3);
    EXPECT_EQ(records.count(), 2);
    EXPECT_EQ(column(records, "SIGLA"), QStringList({"PP2gr", "Q2a"}));
    EXPECT_EQ(column(records, "area"), QStringList({"84", "8"}));
    EXPECT_EQ(column(records, "missing"), QStringList({"", ""}));
    records.moveFirst();
    EXPECT_DOUBLE_EQ(records.shape().area(), 84);
}

TEST_F(VectorLayerTest, recordSetWalksToTheEndAndStaysThere) {
    VectorLayer layer(units());
    RecordSet records = layer.records();
    records.moveFirst();
    records.moveNext();
    records.moveNext();
    EXPECT_TRUE(records.isEnd());
    records.moveNext();
    EXPECT_TRUE(records.isEnd());
    EXPECT_EQ(records.text("SIGLA"), QString());
    EXPECT_TRUE(records.shape().isEmpty());
}

TEST_F(VectorLayerTest, statisticsMatchHandComputedPopulationValues) {
    ShapefileBuilder b(fixtures::ShapeType::Point);
    b.realField("TEOR", 10, 2);
    for (const double v : {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0}) {
        b.feature(QString("POINT(%1 0)").arg(v), {v});
    }
    b.feature("POINT(0 0)", {std::monostate{}});
    VectorLayer layer(write("teor.shp", b));
    const auto stats = layer.records().statistics("TEOR");
    ASSERT_TRUE(stats.has_value());
    EXPECT_EQ(stats->count, 8);
    EXPECT_DOUBLE_EQ(stats->minimum, 2);
    EXPECT_DOUBLE_EQ(stats->maximum, 9);
    EXPECT_DOUBLE_EQ(stats->mean, 5);
    EXPECT_DOUBLE_EQ(stats->standardDeviation, 2);
    EXPECT_FALSE(layer.records().statistics("Shape").has_value());
}

TEST_F(VectorLayerTest, distinctTextsAreSortedOnceWithNullsAsEmptyText) {
    ShapefileBuilder b(fixtures::ShapeType::Point);
    b.textField("SIGLA", 8).realField("TEOR", 10, 2).integerField("ID");
    const QList<fixtures::FieldValue> rows[] = {{QString("K2"), 1.5, qint64(10)},
                                                {QString("GR"), 0.25, qint64(9)},
                                                {QString("K2"), 1.5, qint64(10)},
                                                {std::monostate{}, std::monostate{}, qint64(-3)},
                                                {QString("gr"), 12.0, std::monostate{}}};
    for (const auto& values : rows) b.feature("POINT(0 0)", values);
    VectorLayer layer(write("distinct.shp", b));
    const auto items = [](const Strings& s) {
        QStringList list;
        for (qsizetype i = 0; i < s.count(); ++i) list << s.item(i);
        return list;
    };
    const RecordSet all = layer.records();
    EXPECT_EQ(items(all.distinctTexts("SIGLA")), QStringList({"", "GR", "K2", "gr"}));
    EXPECT_EQ(items(all.distinctTexts("TEOR")), QStringList({"", "0.25", "1.5", "12"}));
    EXPECT_EQ(items(all.distinctTexts("ID")), QStringList({"", "-3", "10", "9"}));  // as text
    EXPECT_EQ(items(all.distinctTexts("NADA")), QStringList({""}));
    const auto found = layer.searchExpression("SIGLA = 'K2'");
    ASSERT_TRUE(std::holds_alternative<RecordSet>(found));
    EXPECT_EQ(items(std::get<RecordSet>(found).distinctTexts("ID")), QStringList({"10"}));
}

TEST_F(VectorLayerTest, legacyTextWithoutCpgIsWindows1252AndCpgIsHonoured) {
    ShapefileBuilder legacy(fixtures::ShapeType::Point);
    legacy.encoding(fixtures::TextEncoding::Windows1252, false).textField("NOME", 40);
    legacy.feature("POINT(1 1)", {QString::fromUtf8("Formação Ribeirão – “Antas”")});
    ShapefileBuilder utf8(fixtures::ShapeType::Point);
    utf8.encoding(fixtures::TextEncoding::Utf8, true).textField("NOME", 60);
    utf8.feature("POINT(1 1)", {QString::fromUtf8("Formação Ribeirão – “Antas”")});
    for (const QString& path : {write("legacy.shp", legacy), write("utf8.shp", utf8)}) {
        VectorLayer layer(path);
        RecordSet records = layer.records();
        records.moveFirst();
        EXPECT_EQ(records.text("NOME"), QString::fromUtf8("Formação Ribeirão – “Antas”"))
            << path.toStdString();
    }
}

TEST_F(VectorLayerTest, nullGeometriesKeepTheirRecordButAreNeverFound) {
    ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("N", 4);
    b.feature("", {QString("nil")});
    b.feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {QString("sq")});
    VectorLayer layer(write("nulls.shp", b));
    ASSERT_TRUE(layer.isValid());
    EXPECT_EQ(layer.records().count(), 2);
    EXPECT_EQ(layer.extent(), Rectangle(0, 1, 1, 0));
    EXPECT_EQ(column(layer.searchContaining({0.5, 0.5}), "N"), QStringList({"sq"}));
    EXPECT_EQ(layer.searchWithin({0.5, 0.5}, 100).count(), 1);
}

TEST_F(VectorLayerTest, pointInPolygonSearchCountsEdgesAndSkipsHoles) {
    VectorLayer layer(units());
    EXPECT_EQ(column(layer.searchContaining({1, 1}), "SIGLA"), QStringList({"PP2gr"}));
    EXPECT_EQ(layer.searchContaining({5, 5}).count(), 0);   // in the hole
    EXPECT_EQ(layer.searchContaining({10, 5}).count(), 1);  // on the edge
    EXPECT_EQ(column(layer.searchContaining({31, 1}), "SIGLA"), QStringList({"Q2a"}));
    EXPECT_EQ(layer.searchContaining({25, 1}).count(), 0);  // between the parts
}

TEST_F(VectorLayerTest, withinDistanceIncludesExactlyTheRadius) {
    ShapefileBuilder b(fixtures::ShapeType::Point);
    b.textField("N", 4);
    b.feature("POINT(3 4)", {QString("a")});
    b.feature("POINT(6 8)", {QString("b")});
    VectorLayer layer(write("pts.shp", b));
    EXPECT_EQ(column(layer.searchWithin({0, 0}, 5), "N"), QStringList({"a"}));
    EXPECT_EQ(column(layer.searchWithin({0, 0}, 10), "N"), QStringList({"a", "b"}));
    EXPECT_EQ(layer.searchWithin({0, 0}, 4.999).count(), 0);
    EXPECT_EQ(layer.searchWithin({0, 0}, -1).count(), 0);
}

TEST_F(VectorLayerTest, linesAreFoundByDistanceToTheirSegments) {
    ShapefileBuilder b(fixtures::ShapeType::Line);
    b.textField("N", 4);
    b.feature("LINESTRING(0 0,10 0)", {QString("f1")});
    VectorLayer layer(write("faults.shp", b));
    EXPECT_EQ(layer.shapeType(), ShapeType::Line);
    EXPECT_EQ(layer.searchWithin({5, 2}, 2).count(), 1);
    EXPECT_EQ(layer.searchWithin({5, 2}, 1.9).count(), 0);
    EXPECT_EQ(layer.searchContaining({5, 0}).count(), 0);  // lines contain nothing
}

TEST_F(VectorLayerTest, expressionSearchReturnsMatchesOrTheParseError) {
    VectorLayer layer(units());
    auto found = layer.searchExpression("AREA > 10 and SIGLA like 'PP%'");
    ASSERT_TRUE(std::holds_alternative<RecordSet>(found));
    EXPECT_EQ(column(std::get<RecordSet>(found), "SIGLA"), QStringList({"PP2gr"}));
    EXPECT_TRUE(std::holds_alternative<ExpressionError>(layer.searchExpression("SIGLA = ")));
    EXPECT_TRUE(std::holds_alternative<ExpressionError>(layer.searchExpression("NOPE = 1")));
}

TEST_F(VectorLayerTest, unreadableFilesGiveAnInvalidLayerWithItsReason) {
    const QString good = units();
    QFile shp(good);
    ASSERT_TRUE(shp.open(QIODevice::ReadOnly));
    const QByteArray bytes = shp.readAll();
    shp.close();
    const QList<QString> bad = {
        dir.filePath("missing.shp"),
        writeBytes("empty.shp", {}),
        writeBytes("garbage.shp", QByteArray(400, '\x7f')),
        writeBytes("cut.shp", bytes.left(bytes.size() / 2)),
    };
    for (const QString& path : bad) {
        VectorLayer layer(path);
        EXPECT_FALSE(layer.isValid()) << path.toStdString();
        EXPECT_FALSE(layer.error().isEmpty()) << path.toStdString();
        EXPECT_TRUE(layer.extent().isEmpty());
        EXPECT_EQ(layer.records().count(), 0);
        EXPECT_EQ(layer.searchContaining({1, 1}).count(), 0);
    }
}

TEST_F(VectorLayerTest, projectedCoordinatesInTheMillionsAreSearchedExactly) {
    ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("N", 4);
    b.feature(
        "POLYGON((500000 7500000,500000 7500100,500100 7500100,500100 7500000,500000 7500000))",
        {QString("lot")});
    VectorLayer layer(write("utm.shp", b));
    EXPECT_EQ(layer.searchContaining({500050.5, 7500099.9}).count(), 1);
    EXPECT_EQ(layer.searchContaining({500100.1, 7500050}).count(), 0);
    EXPECT_DOUBLE_EQ(layer.data()->shape(0).area(), 10000);
}

TEST_F(VectorLayerTest, twoLayersShareTheDataButNotTheirSymbolOrVisibility) {
    VectorLayer first(units());
    VectorLayer second(first.dataFile(), first.data());
    EXPECT_EQ(first.data().get(), second.data().get());
    second.setVisible(false);
    second.symbol().colour = 0x123456;
    EXPECT_TRUE(first.isVisible());
    EXPECT_NE(first.symbol().colour, 0x123456U);
}

TEST_F(VectorLayerTest, aLargeReadTellsItsShareAsItGoes) {
    ShapefileBuilder b(fixtures::ShapeType::Point);
    b.integerField("N");
    for (int i = 0; i < 10'000; ++i) {
        b.feature(QStringLiteral("POINT(%1 0)").arg(i), {qint64(i)});
    }
    const QString path = write("many.shp", b);
    std::vector<double> shares;
    const VectorLayer layer(path, QString(), std::nullopt,
                            [&shares](double share) { shares.push_back(share); });
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    // Every 4096 features of the 10,000 the file holds.
    EXPECT_EQ(shares, (std::vector<double>{0.4096, 0.8192}));

    // Data already read is not read again, so nothing is told.
    shares.clear();
    const VectorLayer again(path, QString(), std::nullopt,
                            [&shares](double share) { shares.push_back(share); });
    EXPECT_TRUE(shares.empty());
}
