#include "mapcontrol/image_layer.h"

#include "support/fixtures/gdal_support.h"
#include "support/fixtures/raster_builder.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

namespace {

using fixtures::GeoTransform;
using fixtures::RasterBuilder;
using fixtures::RasterFormat;
using mapcontrol::ImageLayer;
using mapcontrol::Rectangle;
using mapcontrol::ViewTransform;

const QSize kViewSize(64, 48);
// 40 x 30 pixels of 10 map units: 1000..1400 by 4700..5000, the view's shape.
const GeoTransform kTransform{1000.0, 10.0, 0.0, 5000.0, 0.0, -10.0};
const std::string kRed = "#ffff0000";
const std::string kBlue = "#ff0000ff";
const std::string kWhite = "#ffffffff";

std::string colourAt(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).name(QColor::HexArgb).toStdString();
}

// `extent` must have the 4:3 shape of the view.
QImage render(const ImageLayer& layer, const Rectangle& extent, QColor background = Qt::white) {
    QImage image(kViewSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    layer.draw(painter, ViewTransform(extent, kViewSize));
    painter.end();
    return image;
}

// Left half red, right half blue.
RasterBuilder::PixelFunction halves(int width) {
    return [width](int x, int, int band) -> std::uint8_t {
        const bool left = x < width / 2;
        return band == 0 ? (left ? 255 : 0) : band == 2 ? (left ? 0 : 255) : 0;
    };
}

// The six lines of a world file for `t` (it holds the centre of the top-left
// pixel, GDAL the corner).
void writeWorldFile(const QString& path, const GeoTransform& t) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QString text = QStringLiteral("%1\r\n%2\r\n%3\r\n%4\r\n%5\r\n%6\r\n")
                             .arg(t[1], 0, 'f', 10)
                             .arg(t[4], 0, 'f', 10)
                             .arg(t[2], 0, 'f', 10)
                             .arg(t[5], 0, 'f', 10)
                             .arg(t[0] + t[1] / 2, 0, 'f', 10)
                             .arg(t[3] + t[5] / 2, 0, 'f', 10);
    file.write(text.toLatin1());
}

void expectExtent(const Rectangle& extent, double left, double right, double top, double bottom) {
    EXPECT_DOUBLE_EQ(extent.left(), left);
    EXPECT_DOUBLE_EQ(extent.right(), right);
    EXPECT_DOUBLE_EQ(extent.top(), top);
    EXPECT_DOUBLE_EQ(extent.bottom(), bottom);
}

bool everyPixelIs(const QImage& image, const std::string& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (colourAt(image, x, y) != colour) {
                return false;
            }
        }
    }
    return true;
}

class ImageLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::registerGdalDrivers();
        ASSERT_TRUE(m_dir.isValid());
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString writeRaster(const RasterBuilder& builder, const QString& name) const {
        const QString file = path(name);
        const platform::Result result = builder.write(file);
        EXPECT_TRUE(result.ok) << result.message.toStdString() << result.detail.toStdString();
        return file;
    }

    // The red/blue picture of 40 x 30 pixels as a GeoTIFF.
    QString writeHalves(const QString& name, const GeoTransform& transform = kTransform) const {
        return writeRaster(RasterBuilder(RasterFormat::GeoTiff, 40, 30, 3)
                               .geoTransform(transform)
                               .pixels(halves(40)),
                           name);
    }

    // A GeoTIFF written straight through GDAL, for band layouts the builder
    // does not make; `fill` writes the pixels.
    QString writeTiff(const QString& name, int width, int height, int bands, GDALDataType type,
                      std::initializer_list<const char*> options,
                      const std::function<void(GDALDataset&)>& fill,
                      const GeoTransform& transform = kTransform) const {
        const QString file = path(name);
        fixtures::ScopedGdalConfigOption noAux("GDAL_PAM_ENABLED", "NO");
        CPLStringList creation;
        for (const char* option : options) {
            creation.AddString(option);
        }
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
        GDALDatasetUniquePtr dataset(driver->Create(QFile::encodeName(file).constData(), width,
                                                    height, bands, type, creation.List()));
        EXPECT_TRUE(dataset);
        if (dataset) {
            GeoTransform t = transform;
            dataset->SetGeoTransform(t.data());
            fill(*dataset);
        }
        return file;
    }

    QTemporaryDir m_dir;
};

// Writes `values` (row-major, `width` values a row) into `band` of `dataset`.
void writeBand(GDALDataset& dataset, int band, int width, const std::vector<double>& values) {
    const int height = int(values.size()) / width;
    std::vector<double> copy = values;
    ASSERT_EQ(dataset.GetRasterBand(band)->RasterIO(GF_Write, 0, 0, width, height, copy.data(),
                                                    width, height, GDT_Float64, 0, 0, nullptr),
              CE_None);
}

// Four columns of three rows, each column one value.
std::vector<double> columns(double a, double b, double c, double d) {
    std::vector<double> values;
    for (int row = 0; row < 3; ++row) {
        values.insert(values.end(), {a, b, c, d});
    }
    return values;
}

// 4 x 3 pixels of one map unit, filling the view exactly: picture column c
// shows at view x 16c..16c+15.
const GeoTransform kSmallTransform{0.0, 1.0, 0.0, 3.0, 0.0, -1.0};
const Rectangle kSmallExtent(0.0, 4.0, 3.0, 0.0);

using ImageLayerGeoreference = ImageLayerTest;

TEST_F(ImageLayerGeoreference, geoTiffTagsGiveTheExtentAndSize) {
    const QString file =
        writeHalves(QStringLiteral("Mapa.Geo.tif"), {350000.0, 30.0, 0.0, 7800000.0, 0.0, -30.0});
    const ImageLayer layer(file);
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    EXPECT_TRUE(layer.error().isEmpty());
    EXPECT_EQ(layer.kind(), mapcontrol::Layer::Kind::Image);
    EXPECT_EQ(layer.name(), QStringLiteral("Mapa.Geo.tif"));  // pictures keep their extension
    EXPECT_EQ(layer.dataFile(), file);
    EXPECT_EQ(layer.pixelSize(), QSize(40, 30));
    expectExtent(layer.extent(), 350000.0, 351200.0, 7800000.0, 7799100.0);
}

TEST_F(ImageLayerGeoreference, worldFileGivesTheExtentOfBmpAndJpeg) {
    for (RasterFormat format : {RasterFormat::Bmp, RasterFormat::Jpeg}) {
        const QString name =
            format == RasterFormat::Bmp ? QStringLiteral("m.bmp") : QStringLiteral("m.jpg");
        SCOPED_TRACE(name.toStdString());
        const QString file = writeRaster(
            RasterBuilder(format, 40, 30, 3).geoTransform(kTransform).worldFile(true), name);
        ASSERT_TRUE(QFile::exists(RasterBuilder::worldFilePath(format, file)));
        const ImageLayer layer(file);
        ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
        expectExtent(layer.extent(), 1000.0, 1400.0, 5000.0, 4700.0);
    }
}

// Pictures and world files as they come from Windows, in every spelling;
// several of these GDAL does not find by itself.
TEST_F(ImageLayerGeoreference, worldFileIsFoundWhateverItsCaseAndSpelling) {
    struct Case {
        RasterFormat format;
        const char* picture;
        const char* worldFile;
    };
    const Case cases[] = {
        {RasterFormat::GeoTiff, "a.tif", "A.TFW"},
        {RasterFormat::GeoTiff, "b.tiff", "B.TIFW"},
        {RasterFormat::GeoTiff, "C.TIF", "c.wld"},
        {RasterFormat::Bmp, "d.bmp", "D.BPW"},
        {RasterFormat::Bmp, "E.BMP", "e.bmpw"},
        {RasterFormat::Bmp, "f.bmp", "F.WLD"},
        {RasterFormat::Jpeg, "g.jpeg", "g.jpgw"},
        {RasterFormat::Jpeg, "h.jpg", "H.JGW"},
        {RasterFormat::Bmp, "geo.unid.bmp", "GEO.UNID.bpw"},
    };
    const GeoTransform t{500000.0, 0.5, 0.0, 7500000.0, 0.0, -0.5};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " + " + c.worldFile);
        const QString file =
            writeRaster(RasterBuilder(c.format, 40, 30, 3), QString::fromLatin1(c.picture));
        writeWorldFile(path(QString::fromLatin1(c.worldFile)), t);
        const ImageLayer layer(file);
        ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
        expectExtent(layer.extent(), 500000.0, 500020.0, 7500000.0, 7499985.0);
    }
}

TEST_F(ImageLayerGeoreference, pictureWithoutGeoreferenceIsInvalid) {
    // A world file of another picture in the same folder does not count.
    writeWorldFile(path(QStringLiteral("outra.tfw")), kTransform);
    for (RasterFormat format : {RasterFormat::GeoTiff, RasterFormat::Bmp, RasterFormat::Jpeg}) {
        const QString file = writeRaster(RasterBuilder(format, 40, 30, 3),
                                         format == RasterFormat::GeoTiff ? QStringLiteral("s.tif")
                                         : format == RasterFormat::Bmp   ? QStringLiteral("s.bmp")
                                                                         : QStringLiteral("s.jpg"));
        SCOPED_TRACE(file.toStdString());
        const ImageLayer layer(file);
        EXPECT_FALSE(layer.isValid());
        EXPECT_TRUE(layer.error().contains(file)) << layer.error().toStdString();
        EXPECT_TRUE(layer.extent().isEmpty());
        EXPECT_TRUE(everyPixelIs(render(layer, Rectangle(0.0, 40.0, 30.0, 0.0)), kWhite));
    }
}

TEST_F(ImageLayerGeoreference, rotatedPictureIsRefusedButRoundingNoiseIsNot) {
    const ImageLayer rotated(
        writeHalves(QStringLiteral("girada.tif"), {1000.0, 10.0, 2.0, 5000.0, 1.5, -10.0}));
    EXPECT_FALSE(rotated.isValid());
    EXPECT_TRUE(rotated.error().contains(QStringLiteral("girada.tif")));

    const ImageLayer noisy(
        writeHalves(QStringLiteral("quase.tif"), {1000.0, 10.0, 1e-9, 5000.0, -1e-9, -10.0}));
    ASSERT_TRUE(noisy.isValid()) << noisy.error().toStdString();
    expectExtent(noisy.extent(), 1000.0, 1400.0, 5000.0, 4700.0);
}

// A picture that cannot be read is an invalid layer with the file in its
// error, draws nothing, and GDAL prints nothing.
class ImageLayerDamaged : public ImageLayerTest {
protected:
    void expectRefused(const QString& file) {
        SCOPED_TRACE(file.toStdString());
        testing::internal::CaptureStderr();
        const ImageLayer layer(file);
        const QImage image = render(layer, Rectangle(1000.0, 1400.0, 5000.0, 4700.0));
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(layer.isValid());
        EXPECT_TRUE(layer.error().contains(file)) << layer.error().toStdString();
        EXPECT_TRUE(layer.extent().isEmpty());
        EXPECT_TRUE(layer.pixelSize().isEmpty());
        EXPECT_TRUE(everyPixelIs(image, kWhite));
        EXPECT_EQ(printed, "");
    }

    // A copy of `file` cut to `bytes`, with the same world file.
    QString cut(const QString& file, const QString& name, qint64 bytes,
                const QString& worldFile = {}) {
        QFile source(file);
        EXPECT_TRUE(source.open(QIODevice::ReadOnly));
        QFile target(path(name));
        EXPECT_TRUE(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
        target.write(source.read(bytes));
        if (!worldFile.isEmpty()) {
            writeWorldFile(path(worldFile), kTransform);
        }
        return target.fileName();
    }

    // A 200 x 150 picture whose pixels vary, so compressed data fills the file.
    QString writeBusy(RasterFormat format, const QString& name) {
        return writeRaster(RasterBuilder(format, 200, 150, 3)
                               .geoTransform(kTransform)
                               .worldFile(format != RasterFormat::GeoTiff)
                               .pixels([](int x, int y, int band) {
                                   return std::uint8_t((x * 7 + y * 13 + band * 50) % 256);
                               }),
                           name);
    }
};

TEST_F(ImageLayerDamaged, truncatedTiffIsInvalid) {
    const QString whole = writeBusy(RasterFormat::GeoTiff, QStringLiteral("inteira.tif"));
    const qint64 size = QFileInfo(whole).size();
    ASSERT_TRUE(ImageLayer(whole).isValid());
    expectRefused(cut(whole, QStringLiteral("metade.tif"), size / 2));
    expectRefused(cut(whole, QStringLiteral("cabecalho.tif"), 100));
}

TEST_F(ImageLayerDamaged, jpegCutInTheMiddleIsInvalid) {
    const QString whole = writeBusy(RasterFormat::Jpeg, QStringLiteral("inteira.jpg"));
    const qint64 size = QFileInfo(whole).size();
    ASSERT_TRUE(ImageLayer(whole).isValid());
    expectRefused(cut(whole, QStringLiteral("metade.jpg"), size / 2, QStringLiteral("metade.wld")));
}

TEST_F(ImageLayerDamaged, emptyForeignAndMissingFilesAreInvalid) {
    const QString empty = path(QStringLiteral("vazia.tif"));
    QFile(empty).open(QIODevice::WriteOnly);
    writeWorldFile(path(QStringLiteral("vazia.tfw")), kTransform);
    expectRefused(empty);

    const QString text = path(QStringLiteral("texto.tif"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("isto não é uma imagem\n");
    file.close();
    writeWorldFile(path(QStringLiteral("texto.tfw")), kTransform);
    expectRefused(text);

    // A BMP cut just past its header.
    const QString bmp = writeBusy(RasterFormat::Bmp, QStringLiteral("cortada.bmp"));
    expectRefused(cut(bmp, QStringLiteral("cortada2.bmp"), 60, QStringLiteral("cortada2.wld")));

    expectRefused(path(QStringLiteral("nao_existe.tif")));
}

using ImageLayerDrawing = ImageLayerTest;

TEST_F(ImageLayerDrawing, wholePictureLandsOnItsPixels) {
    const ImageLayer layer(writeHalves(QStringLiteral("metades.tif")));
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    const QImage image = render(layer, layer.extent());
    // The border between the halves (x = 1200) falls between view pixels 31
    // and 32.
    EXPECT_EQ(colourAt(image, 0, 0), kRed);
    EXPECT_EQ(colourAt(image, 31, 24), kRed);
    EXPECT_EQ(colourAt(image, 32, 24), kBlue);
    EXPECT_EQ(colourAt(image, 63, 47), kBlue);
    EXPECT_EQ(colourAt(image, 0, 47), kRed);
    EXPECT_EQ(colourAt(image, 63, 0), kBlue);
}

TEST_F(ImageLayerDrawing, partOfThePictureFillsTheView) {
    const ImageLayer layer(writeHalves(QStringLiteral("metades.tif")));
    ASSERT_TRUE(layer.isValid());
    EXPECT_TRUE(everyPixelIs(render(layer, Rectangle(1200.0, 1400.0, 4950.0, 4800.0)), kBlue));
    EXPECT_TRUE(everyPixelIs(render(layer, Rectangle(1000.0, 1200.0, 5000.0, 4850.0)), kRed));

    // Zoomed in past the picture's resolution: 6.4 view pixels a map unit,
    // the border at view x 32.
    const QImage close = render(layer, Rectangle(1195.0, 1205.0, 4851.0, 4843.5));
    for (int y : {0, 47}) {
        EXPECT_EQ(colourAt(close, 0, y), kRed);
        EXPECT_EQ(colourAt(close, 31, y), kRed);
        EXPECT_EQ(colourAt(close, 32, y), kBlue);
        EXPECT_EQ(colourAt(close, 63, y), kBlue);
    }
}

TEST_F(ImageLayerDrawing, viewBesideOrAcrossTheEdgeLeavesTheRestUntouched) {
    const ImageLayer layer(writeHalves(QStringLiteral("metades.tif")));
    ASSERT_TRUE(layer.isValid());
    EXPECT_TRUE(everyPixelIs(render(layer, Rectangle(2000.0, 2400.0, 5000.0, 4700.0)), kWhite));
    EXPECT_TRUE(everyPixelIs(render(layer, Rectangle(1000.0, 1400.0, 4600.0, 4300.0)), kWhite));

    // The picture's right half in the view's left half.
    const QImage across = render(layer, Rectangle(1200.0, 1600.0, 5000.0, 4700.0));
    for (int y : {0, 24, 47}) {
        EXPECT_EQ(colourAt(across, 0, y), kBlue);
        EXPECT_EQ(colourAt(across, 31, y), kBlue);
        EXPECT_EQ(colourAt(across, 32, y), kWhite);
        EXPECT_EQ(colourAt(across, 63, y), kWhite);
    }

    // The picture's left edge between view pixels: a pixel is painted when
    // its centre lies on the picture (0.16 view pixels a map unit).
    const QImage pastCentre =
        render(layer, Rectangle(1000.0 - 10.3 / 0.16, 1400.0 - 10.3 / 0.16, 5000.0, 4700.0));
    EXPECT_EQ(colourAt(pastCentre, 9, 24), kWhite);
    EXPECT_EQ(colourAt(pastCentre, 10, 24), kRed);
    const QImage beforeCentre =
        render(layer, Rectangle(1000.0 - 10.7 / 0.16, 1400.0 - 10.7 / 0.16, 5000.0, 4700.0));
    EXPECT_EQ(colourAt(beforeCentre, 10, 24), kWhite);
    EXPECT_EQ(colourAt(beforeCentre, 11, 24), kRed);
}

TEST_F(ImageLayerDrawing, projectedMetresAndDegreesDrawAlike) {
    const GeoTransform transforms[] = {
        {500000.0, 0.5, 0.0, 7500000.0, 0.0, -0.5},
        {-48.0, 0.0025, 0.0, -15.0, 0.0, -0.0025},
    };
    for (const GeoTransform& t : transforms) {
        SCOPED_TRACE(t[0]);
        const ImageLayer layer(writeHalves(QStringLiteral("lugar.tif"), t));
        ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
        const Rectangle extent = layer.extent();
        const QImage image = render(layer, extent);
        EXPECT_EQ(colourAt(image, 0, 0), kRed);
        EXPECT_EQ(colourAt(image, 31, 47), kRed);
        EXPECT_EQ(colourAt(image, 32, 0), kBlue);
        EXPECT_EQ(colourAt(image, 63, 47), kBlue);
        // The upper-right quarter only.
        const Rectangle quarter(extent.centre().x, extent.right(), extent.top(), extent.centre().y);
        EXPECT_TRUE(everyPixelIs(render(layer, quarter), kBlue));
    }
}

TEST_F(ImageLayerDrawing, southUpPictureIsDrawnTheRightWayUp) {
    // Top half red in the file; with a positive pixel height the first row
    // is the southern one.
    const QString file = writeRaster(RasterBuilder(RasterFormat::GeoTiff, 40, 30, 3)
                                         .geoTransform({1000.0, 10.0, 0.0, 4700.0, 0.0, 10.0})
                                         .pixels([](int, int y, int band) -> std::uint8_t {
                                             return band == 0 && y < 15 ? 255 : 0;
                                         }),
                                     QStringLiteral("sul.tif"));
    const ImageLayer layer(file);
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    const QImage image = render(layer, layer.extent());
    EXPECT_EQ(colourAt(image, 10, 40), kRed);
    EXPECT_EQ(colourAt(image, 10, 8), "#ff000000");
}

TEST_F(ImageLayerDrawing, paletteGivesTheColoursAndItsAlpha) {
    // One picture as TIFF (its colour map has no alpha: entry 3 is opaque)
    // and as PNG with a world file (which keeps the alpha).
    fixtures::ScopedGdalConfigOption noAux("GDAL_PAM_ENABLED", "NO");
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDatasetUniquePtr source(memory->Create("", 4, 3, 1, GDT_Byte, nullptr));
    ASSERT_TRUE(source);
    GDALColorTable table;
    const GDALColorEntry black{0, 0, 0, 255}, green{0, 200, 0, 255}, magenta{255, 0, 255, 255},
        clear{10, 20, 30, 0};
    table.SetColorEntry(0, &black);
    table.SetColorEntry(1, &green);
    table.SetColorEntry(2, &magenta);
    table.SetColorEntry(3, &clear);
    source->GetRasterBand(1)->SetColorTable(&table);
    source->GetRasterBand(1)->SetColorInterpretation(GCI_PaletteIndex);
    writeBand(*source, 1, 4, columns(1, 2, 3, 0));

    for (const char* driverName : {"GTiff", "PNG"}) {
        SCOPED_TRACE(driverName);
        const bool isPng = std::string(driverName) == "PNG";
        const QString file =
            path(isPng ? QStringLiteral("paleta.png") : QStringLiteral("paleta.tif"));
        if (!isPng) {
            GeoTransform t = kSmallTransform;
            source->SetGeoTransform(t.data());
        }
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
        GDALDatasetUniquePtr copy(driver->CreateCopy(
            QFile::encodeName(file).constData(), source.get(), TRUE, nullptr, nullptr, nullptr));
        ASSERT_TRUE(copy);
        copy.reset();
        if (isPng) {
            writeWorldFile(path(QStringLiteral("PALETA.PGW")), kSmallTransform);
        }
        const ImageLayer layer(file);
        ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
        const QImage image = render(layer, kSmallExtent);
        EXPECT_EQ(colourAt(image, 8, 24), "#ff00c800");
        EXPECT_EQ(colourAt(image, 24, 24), "#ffff00ff");
        EXPECT_EQ(colourAt(image, 40, 24), isPng ? kWhite : "#ff0a141e");
        EXPECT_EQ(colourAt(image, 56, 24), "#ff000000");
    }
}

TEST_F(ImageLayerDrawing, noDataIsTransparent) {
    const QString grey = writeTiff(
        QStringLiteral("cinza.tif"), 4, 3, 1, GDT_Byte, {},
        [](GDALDataset& dataset) {
            dataset.GetRasterBand(1)->SetNoDataValue(0);
            writeBand(dataset, 1, 4, columns(0, 200, 0, 1));
        },
        kSmallTransform);
    const ImageLayer greyLayer(grey);
    ASSERT_TRUE(greyLayer.isValid()) << greyLayer.error().toStdString();
    const QImage greyImage = render(greyLayer, kSmallExtent, Qt::green);
    EXPECT_EQ(colourAt(greyImage, 8, 24), "#ff00ff00");
    EXPECT_EQ(colourAt(greyImage, 24, 24), "#ffc8c8c8");
    EXPECT_EQ(colourAt(greyImage, 40, 24), "#ff00ff00");
    EXPECT_EQ(colourAt(greyImage, 56, 24), "#ff010101");

    // In RGB a pixel is nodata only when all three bands are.
    const QString rgb = writeTiff(
        QStringLiteral("cor.tif"), 4, 3, 3, GDT_Byte, {"PHOTOMETRIC=RGB"},
        [](GDALDataset& dataset) {
            for (int band = 1; band <= 3; ++band) {
                dataset.GetRasterBand(band)->SetNoDataValue(0);
            }
            writeBand(dataset, 1, 4, columns(0, 0, 255, 0));
            writeBand(dataset, 2, 4, columns(0, 0, 0, 0));
            writeBand(dataset, 3, 4, columns(0, 255, 0, 0));
        },
        kSmallTransform);
    const ImageLayer rgbLayer(rgb);
    ASSERT_TRUE(rgbLayer.isValid()) << rgbLayer.error().toStdString();
    const QImage rgbImage = render(rgbLayer, kSmallExtent, Qt::green);
    EXPECT_EQ(colourAt(rgbImage, 8, 24), "#ff00ff00");
    EXPECT_EQ(colourAt(rgbImage, 24, 24), kBlue);
    EXPECT_EQ(colourAt(rgbImage, 40, 24), kRed);
    EXPECT_EQ(colourAt(rgbImage, 56, 24), "#ff00ff00");
}

TEST_F(ImageLayerDrawing, alphaBandBlendsOverWhatIsBelow) {
    const QString file = writeTiff(
        QStringLiteral("alfa.tif"), 4, 3, 4, GDT_Byte, {"PHOTOMETRIC=RGB", "ALPHA=YES"},
        [](GDALDataset& dataset) {
            writeBand(dataset, 1, 4, columns(255, 255, 255, 255));
            writeBand(dataset, 2, 4, columns(0, 0, 0, 0));
            writeBand(dataset, 3, 4, columns(0, 0, 0, 0));
            writeBand(dataset, 4, 4, columns(255, 128, 0, 255));
        },
        kSmallTransform);
    const ImageLayer layer(file);
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    const QImage image = render(layer, kSmallExtent);
    EXPECT_EQ(colourAt(image, 8, 24), kRed);
    const QColor half = image.pixelColor(24, 24);
    EXPECT_EQ(half.red(), 255);
    EXPECT_NEAR(half.green(), 127, 2);
    EXPECT_NEAR(half.blue(), 127, 2);
    EXPECT_EQ(colourAt(image, 40, 24), kWhite);
    EXPECT_EQ(colourAt(image, 56, 24), kRed);
}

TEST_F(ImageLayerDrawing, elevationsAreStretchedFromMinimumToMaximum) {
    const QString uint16 = writeTiff(
        QStringLiteral("altitude.tif"), 4, 3, 1, GDT_UInt16, {},
        [](GDALDataset& dataset) {
            dataset.GetRasterBand(1)->SetNoDataValue(0);
            writeBand(dataset, 1, 4, columns(1000, 2000, 3000, 0));
        },
        kSmallTransform);
    {
        const ImageLayer layer(uint16);
        ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
        const QImage image = render(layer, kSmallExtent, Qt::green);
        EXPECT_EQ(colourAt(image, 8, 24), "#ff000000");
        EXPECT_EQ(colourAt(image, 24, 24), "#ff808080");
        EXPECT_EQ(colourAt(image, 40, 24), kWhite);
        EXPECT_EQ(colourAt(image, 56, 24), "#ff00ff00");
    }
    // The statistics stay in memory: nothing is written beside the picture.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"altitude.tif"});

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QString float32 = writeTiff(
        QStringLiteral("relevo.tif"), 4, 3, 1, GDT_Float32, {},
        [nan](GDALDataset& dataset) { writeBand(dataset, 1, 4, columns(-5.5, nan, 10.5, 2.5)); },
        kSmallTransform);
    const ImageLayer layer(float32);
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    const QImage image = render(layer, kSmallExtent, Qt::green);
    EXPECT_EQ(colourAt(image, 8, 24), "#ff000000");
    EXPECT_EQ(colourAt(image, 24, 24), "#ff00ff00");
    EXPECT_EQ(colourAt(image, 40, 24), kWhite);
    EXPECT_EQ(colourAt(image, 56, 24), "#ff808080");  // 8 of 16 above the minimum
}

TEST_F(ImageLayerDrawing, overviewsServeSmallScales) {
    // 400 x 300 pixels of one map unit.
    const GeoTransform t{0.0, 1.0, 0.0, 300.0, 0.0, -1.0};
    const QString file = writeRaster(
        RasterBuilder(RasterFormat::GeoTiff, 400, 300, 3).geoTransform(t).pixels(halves(400)),
        QStringLiteral("piramide.tif"));
    {
        GDALDatasetUniquePtr dataset(GDALDataset::Open(QFile::encodeName(file).constData(),
                                                       GDAL_OF_RASTER | GDAL_OF_UPDATE));
        ASSERT_TRUE(dataset);
        const int levels[] = {2, 4, 8};
        ASSERT_EQ(dataset->BuildOverviews("NEAREST", 3, levels, 0, nullptr, nullptr, nullptr),
                  CE_None);
    }
    const Rectangle whole(0.0, 400.0, 300.0, 0.0);
    {
        const ImageLayer layer(file);
        ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
        const QImage image = render(layer, whole);
        EXPECT_EQ(colourAt(image, 0, 0), kRed);
        EXPECT_EQ(colourAt(image, 31, 47), kRed);
        EXPECT_EQ(colourAt(image, 32, 0), kBlue);
        EXPECT_EQ(colourAt(image, 63, 47), kBlue);
    }

    // Paint every overview green: a small scale must now show green (it read
    // an overview, not the full picture), full resolution the true colours.
    {
        GDALDatasetUniquePtr dataset(GDALDataset::Open(QFile::encodeName(file).constData(),
                                                       GDAL_OF_RASTER | GDAL_OF_UPDATE));
        ASSERT_TRUE(dataset);
        for (int band = 1; band <= 3; ++band) {
            GDALRasterBand* base = dataset->GetRasterBand(band);
            ASSERT_EQ(base->GetOverviewCount(), 3);
            for (int i = 0; i < base->GetOverviewCount(); ++i) {
                ASSERT_EQ(base->GetOverview(i)->Fill(band == 2 ? 255 : 0), CE_None);
            }
        }
    }
    const ImageLayer layer(file);
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    EXPECT_TRUE(everyPixelIs(render(layer, whole), "#ff00ff00"));
    const QImage fullResolution = render(layer, Rectangle(168.0, 232.0, 200.0, 152.0));
    EXPECT_EQ(colourAt(fullResolution, 31, 24), kRed);
    EXPECT_EQ(colourAt(fullResolution, 32, 24), kBlue);
}

TEST_F(ImageLayerDrawing, bigPictureReadsOnlyTheViewAtScreenResolution) {
    // 20000 x 20000 pixels, tiled and sparse: only the tiles written take
    // room, the others read as 0.
    constexpr int kSide = 20000;
    auto pattern = [](int x, int y) { return double((x * 3 + y * 7) % 250 + 1); };
    const QString file =
        writeTiff(QStringLiteral("grande.tif"), kSide, kSide, 1, GDT_Byte,
                  {"TILED=YES", "SPARSE_OK=TRUE", "BLOCKXSIZE=256", "BLOCKYSIZE=256"},
                  [&](GDALDataset& dataset) {
                      // The first tile, which the top-left view pixel of the whole
                      // picture samples, and a patterned area in the middle.
                      std::vector<double> first(256 * 256, 77.0);
                      writeBand(dataset, 1, 256, first);
                      std::vector<double> middle;
                      for (int y = 9984; y < 10240; ++y) {
                          for (int x = 9984; x < 10240; ++x) {
                              middle.push_back(pattern(x, y));
                          }
                      }
                      ASSERT_EQ(dataset.GetRasterBand(1)->RasterIO(GF_Write, 9984, 9984, 256, 256,
                                                                   middle.data(), 256, 256,
                                                                   GDT_Float64, 0, 0, nullptr),
                                CE_None);
                  },
                  {0.0, 1.0, 0.0, double(kSide), 0.0, -1.0});
    const ImageLayer layer(file);
    ASSERT_TRUE(layer.isValid()) << layer.error().toStdString();
    EXPECT_EQ(layer.pixelSize(), QSize(kSide, kSide));

    // One view pixel a picture pixel: every pixel exactly where it belongs.
    const int left = 10050, top = 10060;
    const QImage detail =
        render(layer, Rectangle(left, left + 64.0, kSide - top, kSide - top - 48.0), Qt::green);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const int v = int(pattern(left + x, top + y));
            ASSERT_EQ(colourAt(detail, x, y), QColor(v, v, v).name(QColor::HexArgb).toStdString())
                << x << "," << y;
        }
    }

    // The whole picture in 48 x 48 view pixels, sampled at their centres.
    const QImage overview = render(layer, Rectangle(0.0, kSide * 4.0 / 3.0, kSide, 0.0), Qt::green);
    EXPECT_EQ(colourAt(overview, 0, 0), "#ff4d4d4d");
    EXPECT_EQ(colourAt(overview, 1, 0), "#ff000000");
    EXPECT_EQ(colourAt(overview, 47, 47), "#ff000000");
    EXPECT_EQ(colourAt(overview, 48, 0), "#ff00ff00");
}

}  // namespace

TEST_F(ImageLayerDrawing, aViewFarLargerThanMemoryIsDrawnFromABoundedRead) {
    // As in a metafile exported at a large scale: a view of ten billion
    // pixels, drawn by a painter whose transform brings it down to 64 x 48.
    const ImageLayer layer(writeHalves(QStringLiteral("metades.tif")));
    ASSERT_TRUE(layer.isValid());
    const QSize huge(kViewSize * 2000);
    QImage image(kViewSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1.0 / 2000, 1.0 / 2000);
    layer.draw(painter, ViewTransform(layer.extent(), huge));
    painter.end();
    EXPECT_EQ(colourAt(image, 2, 24), kRed);
    EXPECT_EQ(colourAt(image, 61, 24), kBlue);
}

TEST_F(ImageLayerDamaged, aMrSidPictureWithoutItsDriverSaysSo) {
    if (GDALGetDriverByName("MrSID")) {
        GTEST_SKIP() << "this GDAL reads MrSID";
    }
    const QString sid = path(QStringLiteral("mosaico.sid"));
    QFile file(sid);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("msid\x01");
    file.close();
    const ImageLayer layer(sid);
    EXPECT_FALSE(layer.isValid());
    EXPECT_TRUE(layer.error().contains("MrSID")) << layer.error().toStdString();
}
