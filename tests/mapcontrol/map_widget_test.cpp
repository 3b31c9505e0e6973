#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace mapcontrol;

namespace {

class MapWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::registerGdalDrivers();
        map.resize(200, 100);
        map.setFlashInterval(0);
    }

    std::unique_ptr<VectorLayer> square(const QString& name, const QString& wkt, ColourInt colour) {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("N", 4);
        b.feature(wkt, {name});
        const QString path = dir.filePath(name + ".shp");
        EXPECT_TRUE(b.write(path));
        auto layer = std::make_unique<VectorLayer>(path);
        layer->symbol().colour = colour;
        return layer;
    }

    void addTwoLayers() {
        ASSERT_TRUE(map.layers().add(square("a", "POLYGON((0 0,0 10,10 10,10 0,0 0))", 0x0000FF)));
        ASSERT_TRUE(
            map.layers().add(square("b", "POLYGON((20 0,20 10,30 10,30 0,20 0))", 0xFF0000)));
    }

    QTemporaryDir dir;
    MapWidget map;
};

}  // namespace

TEST_F(MapWidgetTest, setExtentIsWidenedToTheWindowShapeAndReadsBackAsShown) {
    map.setExtent(Rectangle(0, 10, 10, 0));
    EXPECT_EQ(map.extent(), Rectangle(-5, 15, 10, 0));
    const MapPoint corner = map.toMapPoint(0, 0);
    EXPECT_DOUBLE_EQ(corner.x, -5);
    EXPECT_DOUBLE_EQ(corner.y, 10);
    const QPointF back = map.toPixel({15, 0});
    EXPECT_DOUBLE_EQ(back.x(), 200);
    EXPECT_DOUBLE_EQ(back.y(), 100);
}

TEST_F(MapWidgetTest, resizingKeepsTheRequestedRectangleInView) {
    map.setExtent(Rectangle(0, 10, 10, 0));
    map.resize(50, 400);
    map.resize(400, 300);
    const Rectangle shown = map.extent();
    EXPECT_DOUBLE_EQ(shown.top(), 10);
    EXPECT_DOUBLE_EQ(shown.bottom(), 0);
    EXPECT_NEAR(shown.width(), 10 * 400.0 / 300.0, 1e-9);
}

TEST_F(MapWidgetTest, emptyOrNonFiniteExtentLeavesTheViewAlone) {
    map.setExtent(Rectangle(0, 10, 10, 0));
    const Rectangle before = map.extent();
    map.setExtent(Rectangle());
    map.setExtent(Rectangle(0, std::numeric_limits<double>::infinity(), 1, 0));
    EXPECT_EQ(map.extent(), before);
}

TEST_F(MapWidgetTest, fullExtentIsTheUnionOfTheLayersOrTheWorld) {
    EXPECT_EQ(map.fullExtent(), Rectangle(-180, 180, 90, -90));
    addTwoLayers();
    EXPECT_EQ(map.fullExtent(), Rectangle(0, 30, 10, 0));
}

TEST_F(MapWidgetTest, layerCollectionAddsOnTopRefusesInvalidLayersAndMoves) {
    addTwoLayers();
    EXPECT_EQ(map.layers().item(0)->name(), "b");
    EXPECT_FALSE(map.layers().add(std::make_unique<VectorLayer>(dir.filePath("none.shp"))));
    EXPECT_EQ(map.layers().count(), 2);
    map.layers().move(0, 1);
    EXPECT_EQ(map.layers().indexOf("a"), 0);
    map.layers().move(0, 5);  // out of range: unchanged
    EXPECT_EQ(map.layers().indexOf("a"), 0);
    map.layers().remove(7);
    map.layers().remove(0);
    EXPECT_EQ(map.layers().count(), 1);
    EXPECT_EQ(map.layers().item("a"), nullptr);
    EXPECT_NE(map.layers().item("b"), nullptr);
}

TEST_F(MapWidgetTest, eachMapKeepsItsOwnVisibilityOfASharedLayer) {
    MapWidget overview;
    overview.resize(100, 50);
    std::shared_ptr<Layer> layer = square("a", "POLYGON((0 0,0 10,10 10,10 0,0 0))", 0x0000FF);
    ASSERT_TRUE(map.layers().add(layer));
    ASSERT_TRUE(overview.layers().add(layer));
    map.layers().setVisible(0, false);
    EXPECT_FALSE(map.layers().isVisible(0));
    EXPECT_TRUE(overview.layers().isVisible(0));
    map.setExtent(Rectangle(0, 10, 10, 0));
    overview.setExtent(Rectangle(0, 10, 10, 0));
    const QPoint centre = map.toPixel({5, 5}).toPoint();
    EXPECT_EQ(map.picture().pixel(centre), qRgb(255, 255, 255));
    EXPECT_EQ(overview.picture().pixel(overview.toPixel({5, 5}).toPoint()), qRgb(255, 0, 0));
    EXPECT_FALSE(map.layers().isVisible(9));
}

TEST_F(MapWidgetTest, shapesDrawnAfterALayerLandInThePictureAndGoAtTheNextRedraw) {
    addTwoLayers();
    map.setExtent(map.fullExtent());
    Symbol yellow;
    yellow.colour = 0xFFFF;
    yellow.outline = false;
    const Shape box = Shape::rectangle(Rectangle(12, 18, 8, 2));
    std::vector<int> events;
    bool highlight = true;
    QObject::connect(&map, &MapWidget::afterLayerDraw, [&](int index) {
        events.push_back(index);
        if (highlight && index == 0) map.drawShape(box, yellow);
    });
    map.refresh();
    EXPECT_EQ(events, (std::vector<int>{1, 0}));
    const QPoint middle = map.toPixel({15, 5}).toPoint();
    EXPECT_EQ(map.picture().pixel(middle), qRgb(255, 255, 0));
    highlight = false;
    map.refresh();
    EXPECT_EQ(map.picture().pixel(middle), qRgb(255, 255, 255));
    map.drawShape(box, yellow);  // outside an event: over the picture shown
    EXPECT_EQ(map.picture().pixel(middle), qRgb(255, 255, 0));
}

TEST_F(MapWidgetTest, flashLeavesThePictureAsItWas) {
    addTwoLayers();
    map.setExtent(map.fullExtent());
    const QImage before = map.picture();
    map.flashShape(Shape::rectangle(Rectangle(1, 9, 9, 1)), 2);
    EXPECT_EQ(map.picture(), before);
}

TEST_F(MapWidgetTest, interactiveOperationsReturnAtOnceWithoutAPressedButton) {
    map.setExtent(Rectangle(0, 10, 10, 0));
    const Rectangle before = map.extent();
    EXPECT_FALSE(map.trackRectangle().has_value());
    map.pan();
    EXPECT_EQ(map.extent(), before);
}

TEST_F(MapWidgetTest, pointerCodesChooseCursors) {
    map.setMousePointer(MapWidget::PointerIdentify);
    EXPECT_EQ(map.cursor().shape(), Qt::WhatsThisCursor);
    map.setMousePointer(MapWidget::PointerPan);
    EXPECT_EQ(map.cursor().shape(), Qt::OpenHandCursor);
    map.setMousePointer(MapWidget::PointerZoom);
    EXPECT_EQ(map.cursor().shape(), Qt::CrossCursor);
    map.setMousePointer(1);
    EXPECT_EQ(map.mousePointer(), 1);
    EXPECT_EQ(map.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MapWidgetTest, picturesExportAtTheScaledSizeInTheirFormat) {
    addTwoLayers();
    map.setExtent(map.fullExtent());
    for (const QString name : {"mapa.png", "mapa.bmp", "mapa.jpg", "mapa.TIF", "mapa.tiff"}) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(map.exportMap(MapWidget::ExportPicture, path, 2.0)) << name.toStdString();
        QImageReader reader(path);
        EXPECT_EQ(reader.size(), QSize(400, 200)) << name.toStdString();
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << name.toStdString();
    }
    EXPECT_FALSE(map.exportMap(MapWidget::ExportPicture, dir.filePath("mapa.xyz"), 1.0));
    EXPECT_FALSE(QFile::exists(dir.filePath("mapa.xyz")));
    EXPECT_FALSE(map.exportMap(MapWidget::ExportPicture, dir.filePath("no/folder/mapa.png"), 1.0));
}

TEST_F(MapWidgetTest, aFlatExtentStillShowsTheMap) {
    addTwoLayers();
    map.setExtent(Rectangle(0, 30, 5, 5));  // a horizontal line, as a query can find
    EXPECT_GT(map.extent().height(), 0);
    EXPECT_EQ(map.extent().width(), 30);
    map.refresh();
    EXPECT_EQ(map.picture().pixel(20, 50), qRgb(255, 0, 0));  // the first square shows
}

TEST_F(MapWidgetTest, aPictureTooLargeSaysSoWhileAMetafileIsWrittenFarLarger) {
    addTwoLayers();
    map.setExtent(map.fullExtent());
    const platform::Result picture =
        map.exportMap(MapWidget::ExportPicture, dir.filePath("mapa.png"), 2000.0);
    EXPECT_FALSE(picture);
    EXPECT_TRUE(picture.message.contains("grande demais")) << picture.message.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("mapa.png")));
    const platform::Result metafile =
        map.exportMap(MapWidget::ExportMetafile, dir.filePath("mapa.emf"), 10000.0);
    EXPECT_TRUE(metafile) << metafile.message.toStdString();
    // Its frame, in hundredths of a millimetre, still holds the whole width.
    QFile emf(dir.filePath("mapa.emf"));
    ASSERT_TRUE(emf.open(QIODevice::ReadOnly));
    const QByteArray header = emf.read(40);
    EXPECT_EQ(qFromLittleEndian<qint32>(header.constData() + 32), 2000000LL * 2540 / 96 - 1);
    const platform::Result unknown =
        map.exportMap(MapWidget::ExportPicture, dir.filePath("mapa.gif"), 1.0);
    EXPECT_TRUE(unknown.message.contains(".tif, .bmp, .jpg ou .png"));
}

TEST_F(MapWidgetTest, vectorExportsAndTheClipboardWork) {
    addTwoLayers();
    map.setExtent(map.fullExtent());
    ASSERT_TRUE(map.exportMap(MapWidget::ExportMetafile, dir.filePath("mapa.svg"), 1.0));
    ASSERT_TRUE(map.exportMap(MapWidget::ExportMetafile, dir.filePath("mapa.pdf"), 1.0));
    QFile svg(dir.filePath("mapa.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
    QFile pdf(dir.filePath("mapa.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    ASSERT_TRUE(map.exportMap(MapWidget::ExportClipboard, QString(), 1.5));
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(300, 150));
}

TEST_F(MapWidgetTest, printingToPdfWorksWithoutAPrinter) {
    addTwoLayers();
    map.setExtent(map.fullExtent());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("impressao.pdf"));
    ASSERT_TRUE(map.printMap("Quelvora", printer, true));
    QFile pdf(dir.filePath("impressao.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    EXPECT_GT(pdf.size(), 1000);
}
