#include "readback.h"

#include "sample_drive.h"
#include "sample_model.h"

#include "platform/text_codec.h"
#include "platform/text_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

// The sample is written once for the whole suite; no test changes it.
class SampleDriveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_drive = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_drive->isValid());
        const platform::Result result = samples::writeSampleDrive(s_drive->path());
        ASSERT_TRUE(result) << result.message.toStdString() << ": " << result.detail.toStdString();
    }
    static void TearDownTestSuite() { s_drive.reset(); }

    static QString path(const QString& relative) {
        return QDir(s_drive->path()).filePath(relative);
    }

    static QStringList textLines(const QString& relative) {
        platform::TextLines read = platform::readTextLines(path(relative));
        EXPECT_TRUE(read.result) << relative.toStdString();
        return read.lines;
    }

    static inline std::unique_ptr<QTemporaryDir> s_drive;
};

QMap<QString, QByteArray> filesUnder(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(QDir(root).relativeFilePath(file), readback::fileBytes(file));
    }
    return files;
}

TEST_F(SampleDriveTest, writesEveryFileWithTheEncodingMarkersOfItsKind) {
    for (const char* file :
         {"projeto/amostra.jjj", "dados/geologia.shp", "dados/geologia.shx", "dados/geologia.dbf",
          "dados/geologia.prj", "dados/geologia.cor", "dados/falhas.shp", "dados/falhas.shx",
          "dados/falhas.dbf", "dados/falhas.prj", "dados/amostras.shp", "dados/amostras.shx",
          "dados/amostras.dbf", "dados/amostras.prj", "dados/relevo.tif", "dados/relevo.conf",
          "dados/relevo.txt"}) {
        EXPECT_TRUE(QFileInfo(path(file)).isFile()) << file;
    }
    // The geology is a legacy Windows file: no .cpg, Windows-1252.
    EXPECT_FALSE(QFileInfo::exists(path("dados/geologia.cpg")));
    EXPECT_EQ(readback::fileBytes(path("dados/falhas.cpg")), QByteArray("UTF-8"));
    EXPECT_EQ(readback::fileBytes(path("dados/amostras.cpg")), QByteArray("1252"));
}

TEST_F(SampleDriveTest, projectListsThemesTopFirstWithPathsRelativeToTheDrive) {
    const QByteArray blanks(26, ' ');
    const QByteArray expected = "amostras.shp" + blanks + ",dados\\amostras.shp\r\n" +
                                "falhas.shp" + blanks + ",dados\\falhas.shp\r\n" + "geologia.shp" +
                                blanks + ",dados\\geologia.shp\r\n" + "*relevo.tif" + blanks +
                                ",dados\\relevo.tif\r\n";
    EXPECT_EQ(readback::fileBytes(path("projeto/amostra.jjj")), expected);

    for (const QString& line : textLines("projeto/amostra.jjj")) {
        const QString relative = line.section(QLatin1Char(','), 1);
        EXPECT_FALSE(relative.contains(QLatin1Char('/'))) << line.toStdString();
        EXPECT_TRUE(QFileInfo(path(QString(relative).replace(QLatin1Char('\\'), QLatin1Char('/'))))
                        .isFile())
            << line.toStdString();
    }
}

TEST_F(SampleDriveTest, geologyTilesTheAreaWithUnitPolygonsIncludingAHoleAndAMultiPart) {
    auto dataset = readback::openVector(path("dados/geologia.shp"));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    EXPECT_EQ(wkbFlatten(layer->GetGeomType()), wkbPolygon);
    const OGRFeatureDefn* definition = layer->GetLayerDefn();
    ASSERT_EQ(definition->GetFieldCount(), 4);
    EXPECT_STREQ(definition->GetFieldDefn(0)->GetNameRef(), "SIGLA_UNID");
    EXPECT_EQ(definition->GetFieldDefn(0)->GetWidth(), 10);
    EXPECT_STREQ(definition->GetFieldDefn(1)->GetNameRef(), "NOME");
    EXPECT_EQ(definition->GetFieldDefn(1)->GetWidth(), 60);
    EXPECT_STREQ(definition->GetFieldDefn(2)->GetNameRef(), "IDADE");
    EXPECT_EQ(definition->GetFieldDefn(2)->GetWidth(), 30);
    EXPECT_STREQ(definition->GetFieldDefn(3)->GetNameRef(), "AREA_KM2");
    EXPECT_EQ(definition->GetFieldDefn(3)->GetType(), OFTReal);
    EXPECT_GT(layer->GetFeatureCount(), 100);

    OGREnvelope extent;
    ASSERT_EQ(layer->GetExtent(&extent), OGRERR_NONE);
    EXPECT_NEAR(extent.MinX, samples::kWest, 1e-9);
    EXPECT_NEAR(extent.MaxX, samples::kEast, 1e-9);
    EXPECT_NEAR(extent.MinY, samples::kSouth, 1e-9);
    EXPECT_NEAR(extent.MaxY, samples::kNorth, 1e-9);

    int withHole = 0;
    int multiPart = 0;
    double degreeArea = 0;
    for (const OGRFeatureUniquePtr& feature : *layer) {
        const OGRGeometry* geometry = feature->GetGeometryRef();
        ASSERT_NE(geometry, nullptr);
        EXPECT_TRUE(geometry->IsValid()) << "FID " << feature->GetFID();
        const OGRwkbGeometryType type = wkbFlatten(geometry->getGeometryType());
        if (type == wkbPolygon && geometry->toPolygon()->getNumInteriorRings() > 0) {
            ++withHole;
        }
        if (type == wkbMultiPolygon && geometry->toMultiPolygon()->getNumGeometries() > 1) {
            ++multiPart;
        }
        const double area = type == wkbPolygon ? geometry->toPolygon()->get_Area()
                                               : geometry->toMultiPolygon()->get_Area();
        degreeArea += area;

        // AREA_KM2 is the polygon's area in km², near enough.
        OGREnvelope box;
        geometry->getEnvelope(&box);
        const double lat = (box.MinY + box.MaxY) / 2 * std::numbers::pi / 180;
        const double km2 = area * 111.32 * std::cos(lat) * 110.574;
        EXPECT_NEAR(feature->GetFieldAsDouble("AREA_KM2"), km2, km2 * 0.01 + 0.002)
            << "FID " << feature->GetFID();
    }
    EXPECT_GE(withHole, 1);
    EXPECT_GE(multiPart, 1);
    // The polygons cover the rectangle once: their areas add up to its area.
    EXPECT_NEAR(degreeArea, (samples::kEast - samples::kWest) * (samples::kNorth - samples::kSouth),
                1e-6);
}

TEST_F(SampleDriveTest, geologyTextIsWindows1252Bytes) {
    const QString name = QStringLiteral("Formação Ribeirão das Antas");
    const QByteArray dbf = readback::fileBytes(path("dados/geologia.dbf"));
    EXPECT_TRUE(dbf.contains(platform::encodeWindows1252(name)));
    EXPECT_FALSE(dbf.contains(name.toUtf8()));
    EXPECT_FALSE(dbf.contains(QStringLiteral("ç").toUtf8()));
    EXPECT_FALSE(dbf.contains(QStringLiteral("á").toUtf8()));

    auto dataset = readback::openVector(path("dados/geologia.shp"));
    ASSERT_TRUE(dataset);
    QSet<QByteArray> ages;
    for (const OGRFeatureUniquePtr& feature : *dataset->GetLayer(0)) {
        ages.insert(QByteArray(feature->GetFieldAsString("IDADE")));
    }
    EXPECT_TRUE(ages.contains(platform::encodeWindows1252(QStringLiteral("Quaternário"))));
    EXPECT_TRUE(ages.contains(platform::encodeWindows1252(QStringLiteral("Cretáceo"))));
}

TEST_F(SampleDriveTest, colourFileHasOneCrLfLinePerGeologicalUnit) {
    const QByteArray bytes = readback::fileBytes(path("dados/geologia.cor"));
    EXPECT_TRUE(readback::allLinesEndWithCrLf(bytes));
    const QStringList lines = textLines("dados/geologia.cor");
    ASSERT_FALSE(lines.isEmpty());
    const QStringList header = lines.first().split(QLatin1Char(','));
    ASSERT_EQ(header.size(), 2);
    EXPECT_EQ(header[0], QStringLiteral("SIGLA_UNID"));
    EXPECT_EQ(header[1].toInt(), lines.size() - 1);

    static const QRegularExpression entry(QStringLiteral("^([^,]+),(\\d+),(\\d+),(\\d+),(\\d+)$"));
    QSet<QString> coloured;
    int patterned = 0;
    for (qsizetype k = 1; k < lines.size(); ++k) {
        const QRegularExpressionMatch match = entry.match(lines[k]);
        ASSERT_TRUE(match.hasMatch()) << lines[k].toStdString();
        for (int part = 2; part <= 4; ++part) {
            EXPECT_LE(match.captured(part).toInt(), 255) << lines[k].toStdString();
        }
        patterned += match.captured(5).toInt() != 0;
        EXPECT_FALSE(coloured.contains(match.captured(1))) << "repeated " << lines[k].toStdString();
        coloured.insert(match.captured(1));
    }
    EXPECT_GE(patterned, 1);

    auto dataset = readback::openVector(path("dados/geologia.shp"));
    ASSERT_TRUE(dataset);
    QSet<QString> mapped;
    for (const OGRFeatureUniquePtr& feature : *dataset->GetLayer(0)) {
        mapped.insert(platform::decodeWindows1252(feature->GetFieldAsString("SIGLA_UNID")));
    }
    EXPECT_EQ(coloured, mapped);
}

TEST_F(SampleDriveTest, faultsAreUtf8LinesWithAMultiPartFault) {
    auto dataset = readback::openVector(path("dados/falhas.shp"));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    EXPECT_EQ(wkbFlatten(layer->GetGeomType()), wkbLineString);
    EXPECT_GE(layer->GetFeatureCount(), 20);
    EXPECT_LE(layer->GetFeatureCount(), 60);
    QSet<QByteArray> types;
    int multiPart = 0;
    for (const OGRFeatureUniquePtr& feature : *layer) {
        types.insert(feature->GetFieldAsString("TIPO"));
        const OGRGeometry* geometry = feature->GetGeometryRef();
        ASSERT_NE(geometry, nullptr);
        multiPart += wkbFlatten(geometry->getGeometryType()) == wkbMultiLineString;
        OGREnvelope box;
        geometry->getEnvelope(&box);
        EXPECT_GE(box.MinX, samples::kWest);
        EXPECT_LE(box.MaxX, samples::kEast);
        EXPECT_GE(box.MinY, samples::kSouth);
        EXPECT_LE(box.MaxY, samples::kNorth);
    }
    EXPECT_EQ(types, (QSet<QByteArray>{QStringLiteral("Falha transcorrente").toUtf8(),
                                       QStringLiteral("Falha de empurrão").toUtf8(),
                                       QStringLiteral("Fratura").toUtf8()}));
    EXPECT_GE(multiPart, 1);
}

TEST_F(SampleDriveTest, samplePointsCarryTheirCoordinatesLithologyAndPhotos) {
    auto points = readback::openVector(path("dados/amostras.shp"));
    auto geology = readback::openVector(path("dados/geologia.shp"));
    ASSERT_TRUE(points);
    ASSERT_TRUE(geology);
    OGRLayer* layer = points->GetLayer(0);
    OGRLayer* units = geology->GetLayer(0);
    EXPECT_EQ(wkbFlatten(layer->GetGeomType()), wkbPoint);
    EXPECT_GE(layer->GetFeatureCount(), 100);
    EXPECT_LE(layer->GetFeatureCount(), 200);

    static const QRegularExpression label(QStringLiteral("^QV-\\d{4}$"));
    QSet<QString> labels;
    int photos = 0;
    for (const OGRFeatureUniquePtr& feature : *layer) {
        const OGRPoint* point = feature->GetGeometryRef()->toPoint();
        EXPECT_EQ(feature->GetFieldAsDouble("LATITUDE"), point->getY());
        EXPECT_EQ(feature->GetFieldAsDouble("LONGITUDE"), point->getX());
        const QString name = QString::fromLatin1(feature->GetFieldAsString("N_LAB"));
        EXPECT_TRUE(label.match(name).hasMatch()) << name.toStdString();
        EXPECT_FALSE(labels.contains(name)) << name.toStdString();
        labels.insert(name);

        // The lithology is the one of the unit mapped under the point.
        OGRPoint where(*point);
        units->SetSpatialFilter(&where);
        QStringList lithologies;
        for (const OGRFeatureUniquePtr& unit : *units) {
            if (unit->GetGeometryRef()->Contains(point)) {
                const QString code = QString::fromLatin1(unit->GetFieldAsString("SIGLA_UNID"));
                for (const samples::GeologicalUnit& known : samples::geologicalUnits()) {
                    if (known.code == code) {
                        lithologies.append(known.lithology);
                    }
                }
            }
        }
        ASSERT_EQ(lithologies.size(), 1) << name.toStdString();
        EXPECT_EQ(platform::decodeWindows1252(feature->GetFieldAsString("LITOLOGIA")),
                  lithologies.first())
            << name.toStdString();

        const QString photo = QString::fromLatin1(feature->GetFieldAsString("FOTO"));
        if (!photo.isEmpty()) {
            ++photos;
            // A base name, as identify opens it: the name plus ".jpg" beside the theme.
            EXPECT_EQ(photo, QStringLiteral("foto_%1").arg(name.toLower().remove('-')));
            auto picture = readback::openRaster(path(QStringLiteral("dados/") + photo + ".jpg"));
            ASSERT_TRUE(picture) << photo.toStdString();
            EXPECT_STREQ(picture->GetDriver()->GetDescription(), "JPEG");
            EXPECT_EQ(picture->GetRasterXSize(), 160);
            EXPECT_EQ(picture->GetRasterYSize(), 120);
        }
    }
    units->SetSpatialFilter(nullptr);
    EXPECT_GE(photos, 3);
    EXPECT_LE(photos, 12);
}

TEST_F(SampleDriveTest, reliefCoversTheAreaAndItsCellGridIsDescribed) {
    auto relief = readback::openRaster(path("dados/relevo.tif"));
    ASSERT_TRUE(relief);
    std::array<double, 6> transform{};
    ASSERT_EQ(relief->GetGeoTransform(transform.data()), CE_None);
    EXPECT_NEAR(transform[0], samples::kWest, 1e-9);
    EXPECT_NEAR(transform[3], samples::kNorth, 1e-9);
    EXPECT_NEAR(transform[0] + transform[1] * relief->GetRasterXSize(), samples::kEast, 1e-9);
    EXPECT_NEAR(transform[3] + transform[5] * relief->GetRasterYSize(), samples::kSouth, 1e-9);
    EXPECT_EQ(transform[2], 0);
    EXPECT_EQ(transform[4], 0);

    EXPECT_TRUE(readback::allLinesEndWithCrLf(readback::fileBytes(path("dados/relevo.conf"))));
    const QStringList conf = textLines("dados/relevo.conf");
    ASSERT_EQ(conf.size(), 5);
    bool ok[5] = {};
    const int rows = conf[0].toInt(&ok[0]);
    const int columns = conf[1].toInt(&ok[1]);
    const double bottom = conf[2].toDouble(&ok[2]);
    const double left = conf[3].toDouble(&ok[3]);
    const double cell = conf[4].toDouble(&ok[4]);
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(ok[k]) << conf[k].toStdString();
    }
    EXPECT_NEAR(bottom, samples::kSouth, 1e-9);
    EXPECT_NEAR(left, samples::kWest, 1e-9);
    EXPECT_NEAR(bottom + rows * cell, samples::kNorth, 1e-9);
    EXPECT_NEAR(left + columns * cell, samples::kEast, 1e-9);

    EXPECT_TRUE(readback::allLinesEndWithCrLf(readback::fileBytes(path("dados/relevo.txt"))));
    const QStringList cells = textLines("dados/relevo.txt");
    ASSERT_EQ(cells.size(), rows * columns);
    QSet<QPair<int, int>> seen;
    for (const QString& line : cells) {
        const int row = line.section(QLatin1Char(','), 0, 0).toInt();
        const int column = line.section(QLatin1Char(','), 1, 1).toInt();
        EXPECT_TRUE(row >= 0 && row < rows && column >= 0 && column < columns)
            << line.toStdString();
        EXPECT_FALSE(line.section(QLatin1Char(','), 2).isEmpty()) << line.toStdString();
        seen.insert({row, column});
    }
    EXPECT_EQ(seen.size(), rows * columns);
    EXPECT_TRUE(cells.first().startsWith(QStringLiteral("0,0,")));
}

TEST_F(SampleDriveTest, generatorIsDeterministicAndRewritesInPlace) {
    QTemporaryDir again;
    ASSERT_TRUE(again.isValid());
    ASSERT_TRUE(samples::writeSampleDrive(again.path()));
    ASSERT_TRUE(samples::writeSampleDrive(again.path()));

    const QMap<QString, QByteArray> first = filesUnder(s_drive->path());
    const QMap<QString, QByteArray> second = filesUnder(again.path());
    EXPECT_EQ(first.keys(), second.keys());
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        EXPECT_TRUE(second.value(it.key()) == it.value()) << it.key().toStdString();
    }
}

TEST_F(SampleDriveTest, totalSizeIsBetweenOneAndThreeMegabytes) {
    qint64 total = 0;
    for (const QByteArray& bytes : filesUnder(s_drive->path())) {
        total += bytes.size();
    }
    EXPECT_GE(total, 1'000'000);
    EXPECT_LE(total, 3'000'000);
}

TEST(SampleDrive, unwritableRootIsReported) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = QDir(dir.path()).filePath(QStringLiteral("arquivo"));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    const platform::Result result = samples::writeSampleDrive(file);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.message.isEmpty());
}

}  // namespace
