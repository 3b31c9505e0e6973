// The program's request forms against a real WMS server (MapServer's CGI
// behind lighttpd): what it answers to each of them, byte for byte where the
// program's readers depend on it.
#include "support/mapserver.h"
#include "net/download.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

using support::MapServer;

const QString kFullBbox =
    QStringLiteral("bbox=-50.000000000,-20.000000000,-40.000000000,-10.000000000");

class MapServerWms : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) {
            GTEST_SKIP() << server.skipReason().toStdString();
        }
        ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
        ASSERT_TRUE(dir.isValid());
    }

    // The answer to `url`, which must arrive with a 2xx status.
    QByteArray fetch(const QString& url) {
        const QString path = dir.filePath(QStringLiteral("answer"));
        const platform::Result result = net::DownloadToFile(url, path);
        EXPECT_TRUE(result) << url.toStdString() << ": " << result.message.toStdString() << " "
                            << result.detail.toStdString() << "\n"
                            << server.logs().toStdString();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString base() const { return server.baseAddress(); }

    MapServer server;
    QTemporaryDir dir;
};

struct Layer {
    QString name;
    QString title;
    int boxes = 0;
};

// The named layers of a capabilities document with their own titles and
// LatLonBoundingBox count, read as XML.
QList<Layer> namedLayers(const QByteArray& document) {
    QList<Layer> layers;
    QList<Layer> open;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"Layer") {
                open.append(Layer{});
            } else if (name == u"Style") {
                xml.skipCurrentElement();  // its Name and Title are the style's
            } else if (!open.isEmpty() && name == u"Name") {
                open.last().name = xml.readElementText();
            } else if (!open.isEmpty() && name == u"Title") {
                open.last().title = xml.readElementText();
            } else if (!open.isEmpty() && name == u"LatLonBoundingBox") {
                ++open.last().boxes;
            }
        } else if (xml.isEndElement() && xml.name() == u"Layer") {
            layers.append(open.takeLast());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return layers;
}

// The value of `attribute` on the first `element` start tag of `line`, as a number.
double attributeValue(const QString& line, const QString& attribute) {
    const QString key = attribute + QStringLiteral("=\"");
    const int start = line.indexOf(key);
    if (start < 0) {
        ADD_FAILURE() << "no " << attribute.toStdString() << " in " << line.toStdString();
        return std::nan("");
    }
    const int from = start + key.size();
    return line.mid(from, line.indexOf(u'"', from) - from).toDouble();
}

bool near(QRgb pixel, const QColor& expected, int tolerance = 40) {
    return std::abs(qRed(pixel) - expected.red()) <= tolerance &&
           std::abs(qGreen(pixel) - expected.green()) <= tolerance &&
           std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

std::string describe(QRgb pixel) {
    return QStringLiteral("(%1, %2, %3)")
        .arg(qRed(pixel))
        .arg(qGreen(pixel))
        .arg(qBlue(pixel))
        .toStdString();
}

const QColor kCentral(MapServer::kCentralColour[0], MapServer::kCentralColour[1],
                      MapServer::kCentralColour[2]);
const QColor kWhite(255, 255, 255);

QImage decodeJpeg(const QByteArray& bytes) {
    EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF")) << bytes.left(200).toStdString();
    return QImage::fromData(bytes, "JPEG");
}

}  // namespace

TEST_F(MapServerWms, capabilitiesNameBothLayersWithTheirTitlesAndBoxes) {
    const QByteArray document =
        fetch(base() + QStringLiteral("service=wms&&version=1.1.1&&request=getcapabilities"));
    ASSERT_TRUE(document.contains("<WMT_MS_Capabilities version=\"1.1.1\">"));
    const QList<Layer> layers = namedLayers(document);
    // Inner layers close first; the root layer carries the map's name.
    ASSERT_EQ(layers.size(), 3);
    EXPECT_EQ(layers[0].name, MapServer::kGeologyLayer);
    EXPECT_EQ(layers[0].title, MapServer::kGeologyTitle);
    EXPECT_EQ(layers[1].name, MapServer::kOccurrencesLayer);
    EXPECT_EQ(layers[1].title, QString::fromUtf8(MapServer::kOccurrencesTitle));
    EXPECT_EQ(layers[2].name, "quelvora_teste");
    for (const Layer& layer : layers) {
        EXPECT_EQ(layer.boxes, 1) << layer.name.toStdString();
    }
}

TEST_F(MapServerWms, capabilitiesFirstBoxIsTheMapsExtent) {
    const QByteArray document =
        fetch(base() + QStringLiteral("service=wms&&version=1.1.1&&request=getcapabilities"));
    const QString text = QString::fromUtf8(document);
    const int at = text.indexOf(QStringLiteral("<LatLonBoundingBox"));
    ASSERT_GE(at, 0);
    const QString line = text.mid(at, text.indexOf(u'\n', at) - at);
    EXPECT_DOUBLE_EQ(attributeValue(line, "minx"), MapServer::kWest);
    EXPECT_DOUBLE_EQ(attributeValue(line, "miny"), MapServer::kSouth);
    EXPECT_DOUBLE_EQ(attributeValue(line, "maxx"), MapServer::kEast);
    EXPECT_DOUBLE_EQ(attributeValue(line, "maxy"), MapServer::kNorth);
}

// The program's line reader takes one element per line: a layer's Name on
// its own line, its Title on the next, a box's four values on one line.
TEST_F(MapServerWms, capabilitiesPutEachLayersTitleOnTheLineAfterItsName) {
    const QByteArray document =
        fetch(base() + QStringLiteral("service=wms&&version=1.1.1&&request=getcapabilities"));
    QStringList lines = QString::fromUtf8(document).split(u'\n');
    for (QString& line : lines) {
        line = line.trimmed();
    }
    for (const auto& [name, title] :
         {std::pair{MapServer::kGeologyLayer, MapServer::kGeologyTitle},
          std::pair{MapServer::kOccurrencesLayer, MapServer::kOccurrencesTitle}}) {
        const int at = lines.indexOf(QStringLiteral("<Name>%1</Name>").arg(name));
        ASSERT_GT(at, 0) << name;
        EXPECT_TRUE(lines[at - 1].startsWith(QStringLiteral("<Layer queryable=")))
            << lines[at - 1].toStdString();
        EXPECT_EQ(lines[at + 1], QStringLiteral("<Title>%1</Title>").arg(QString::fromUtf8(title)));
    }
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("<LatLonBoundingBox"))) {
            for (const char* attribute : {"minx=", "miny=", "maxx=", "maxy="}) {
                EXPECT_TRUE(line.contains(QLatin1String(attribute))) << line.toStdString();
            }
        }
    }
}

TEST_F(MapServerWms, addressWithoutMapParameterServesTheSameMap) {
    const QString query = QStringLiteral("service=wms&&version=1.1.1&&request=getcapabilities");
    const QByteArray named = fetch(base() + query);
    const QByteArray configured = fetch(server.defaultMapAddress() + query);
    ASSERT_FALSE(named.isEmpty());
    EXPECT_EQ(configured, named);
}

TEST_F(MapServerWms, getMapJpegDrawsTheUnitsWhereTheyLie) {
    const QImage picture = decodeJpeg(
        fetch(base() +
              QStringLiteral("service=WMS&&version=1.1.1&&request=GetMap&&layers=lito_1000000"
                             "&&format=image/jpeg&&srs=EPSG:4326&&") +
              kFullBbox + QStringLiteral("&&width=400&&height=400&&styles=")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(400, 400));
    // 40 pixels a degree: the central unit spans pixels 80 to 320 each way,
    // the corner unit the 40 pixels at the bottom left.
    const QRgb middle = picture.pixel(200, 200);
    EXPECT_TRUE(near(middle, kCentral)) << describe(middle);
    const QRgb corner = picture.pixel(20, 380);
    EXPECT_TRUE(near(corner, QColor(90, 170, 90))) << describe(corner);
    for (const QPoint outside :
         {QPoint(60, 200), QPoint(340, 200), QPoint(200, 60), QPoint(380, 20)}) {
        const QRgb pixel = picture.pixel(outside);
        EXPECT_TRUE(near(pixel, kWhite, 10))
            << outside.x() << "," << outside.y() << " " << describe(pixel);
    }
}

// The program pads the numbers of the box with blanks, sent as %20; the
// server reads " -9.500000000" as -9.5, not as -10 or 0.
TEST_F(MapServerWms, getMapReadsBoxNumbersPaddedWithBlanks) {
    const QImage picture = decodeJpeg(fetch(
        base() + QStringLiteral("service=WMS&&version=1.1.1&&request=GetMap&&layers=lito_1000000"
                                "&&format=image/jpeg&&srs=EPSG:4326"
                                "&&bbox=-50.000000000,-20.000000000,-40.000000000, -9.500000000"
                                "&&width=400&&height=400&&styles=")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(400, 400));
    // 10.5 degrees over 400 pixels: the unit's north edge (-12) is at row
    // 95; with a north of -10 it would be at row 80.
    const QRgb above = picture.pixel(200, 88);
    EXPECT_TRUE(near(above, kWhite, 10)) << describe(above);
    const QRgb below = picture.pixel(200, 102);
    EXPECT_TRUE(near(below, kCentral)) << describe(below);
}

TEST_F(MapServerWms, getMapAcceptsTheDefaultStyleName) {
    const QString query = base() +
                          QStringLiteral(
                              "service=WMS&&version=1.1.1&&request=GetMap&&layers=lito_1000000"
                              "&&format=image/png&&srs=EPSG:4326&&") +
                          kFullBbox + QStringLiteral("&&width=400&&height=400&&styles=");
    const QByteArray plain = fetch(query);
    const QByteArray named = fetch(query + QStringLiteral("default"));
    EXPECT_TRUE(plain.startsWith("\x89PNG")) << plain.left(200).toStdString();
    EXPECT_EQ(named, plain);
}

TEST_F(MapServerWms, getMapWithoutStylesIsAServiceException) {
    const QByteArray answer =
        fetch(base() +
              QStringLiteral("service=WMS&&version=1.1.1&&request=GetMap&&layers=lito_1000000"
                             "&&format=image/jpeg&&srs=EPSG:4326&&") +
              kFullBbox + QStringLiteral("&&width=400&&height=400"));
    EXPECT_TRUE(answer.contains("<ServiceException")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("STYLES")) << answer.toStdString();
}

TEST_F(MapServerWms, featureInfoIsHtmlWithTheRecordUnderThePixel) {
    const QByteArray answer = fetch(
        base() +
        QStringLiteral("service=WMS&&version=1.1.1&&request=GetFeatureInfo&&layers=lito_1000000"
                       "&&srs=EPSG:4326&&") +
        kFullBbox +
        QStringLiteral(
            "&&width=400&&height=400&&INFO_FORMAT=text/html&&FORMAT=image/png"
            "&FEATURE_COUNT=100&&QUERY_LAYERS=lito_1000000&&STYLES=default&X=200&Y=200"));
    const QString html = QString::fromUtf8(answer);
    EXPECT_TRUE(html.startsWith(QStringLiteral("<html>"))) << answer.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<td>%1</td>").arg(MapServer::kCentralUnit)))
        << answer.toStdString();
    EXPECT_TRUE(html.contains(QString::fromUtf8(MapServer::kCentralUnitName)))
        << answer.toStdString();
    EXPECT_FALSE(html.contains(QString::fromUtf8(MapServer::kCornerUnit)));
}

TEST_F(MapServerWms, featureInfoOverNothingIsAnHtmlPageWithoutRecords) {
    const QByteArray answer = fetch(
        base() +
        QStringLiteral("service=WMS&&version=1.1.1&&request=GetFeatureInfo&&layers=lito_1000000"
                       "&&srs=EPSG:4326&&") +
        kFullBbox +
        QStringLiteral("&&width=400&&height=400&&INFO_FORMAT=text/html&&FORMAT=image/png"
                       "&FEATURE_COUNT=100&&QUERY_LAYERS=lito_1000000&&STYLES=default&X=380&Y=20"));
    const QString html = QString::fromUtf8(answer);
    EXPECT_TRUE(html.startsWith(QStringLiteral("<html>"))) << answer.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("</html>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<td>"))) << answer.toStdString();
}

TEST_F(MapServerWms, featureInfoOfPointsFindsTheOneNearThePixel) {
    // (-41, -11) lies at pixel (360, 40).
    const QByteArray answer = fetch(
        base() +
        QStringLiteral("service=WMS&&version=1.1.1&&request=GetFeatureInfo&&layers=ocorrencias"
                       "&&srs=EPSG:4326&&") +
        kFullBbox +
        QStringLiteral("&&width=400&&height=400&&INFO_FORMAT=text/html&&FORMAT=image/png"
                       "&FEATURE_COUNT=100&&QUERY_LAYERS=ocorrencias&&STYLES=default&X=362&Y=41"));
    const QString html = QString::fromUtf8(answer);
    EXPECT_TRUE(html.contains(QString::fromUtf8(MapServer::kOccurrencesTitle)))
        << answer.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<td>Au</td><td>Garimpo São João</td>")))
        << answer.toStdString();
    EXPECT_EQ(html.count(QStringLiteral("<td>")), 2) << answer.toStdString();
}

// A legend request that names no service is not taken for a WMS request by
// the CGI, which answers an HTML error page, with status 200, instead of a
// picture: the program names the service and checks what comes.
TEST_F(MapServerWms, legendRequestWithoutServiceIsAnHtmlPageNotAPicture) {
    const QByteArray answer =
        fetch(base() + QStringLiteral("request=GetLegendGraphic&version=1.3.0&format=image/jpeg"
                                      "&width=300&height=1220&layer=lito_1000000"));
    EXPECT_FALSE(answer.startsWith("\xFF\xD8\xFF"));
    EXPECT_TRUE(answer.contains("MapServer Message")) << answer.toStdString();
    EXPECT_TRUE(QImage::fromData(answer).isNull());
}

TEST_F(MapServerWms, legendRequestOfVersion130WantsAnSldVersion) {
    const QByteArray answer = fetch(
        base() + QStringLiteral("service=WMS&request=GetLegendGraphic&version=1.3.0"
                                "&format=image/jpeg&width=300&height=1220&layer=lito_1000000"));
    EXPECT_TRUE(answer.contains("<ServiceException code=\"MissingParameterValue\">"))
        << answer.toStdString();
    EXPECT_TRUE(answer.contains("SLD_VERSION")) << answer.toStdString();
}

TEST_F(MapServerWms, legendRequestOfVersion111IsAJpegSizedByItsClasses) {
    const QImage legend = decodeJpeg(fetch(
        base() + QStringLiteral("service=WMS&request=GetLegendGraphic&version=1.1.1"
                                "&format=image/jpeg&width=300&height=1220&layer=lito_1000000")));
    ASSERT_FALSE(legend.isNull());
    // Two classes, one line each; the asked width and height are not used.
    EXPECT_LT(legend.height(), 100);
    EXPECT_NE(legend.size(), QSize(300, 1220));
    // The first class's key shows its colour.
    bool keyFound = false;
    for (int x = 0; x < legend.width() && !keyFound; ++x) {
        keyFound = near(legend.pixel(x, legend.height() / 4), kCentral, 30);
    }
    EXPECT_TRUE(keyFound);
}

TEST_F(MapServerWms, unknownLayerIsAServiceExceptionDocumentWithStatus200) {
    const QByteArray answer =
        fetch(base() +
              QStringLiteral("service=WMS&&version=1.1.1&&request=GetMap&&layers=nao_existe"
                             "&&format=image/jpeg&&srs=EPSG:4326&&") +
              kFullBbox + QStringLiteral("&&width=400&&height=400&&styles="));
    EXPECT_TRUE(answer.startsWith("<?xml")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("<ServiceException code=\"LayerNotDefined\">"))
        << answer.toStdString();
    QXmlStreamReader xml(answer);
    QString root;
    while (!xml.atEnd() && root.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            root = xml.name().toString();
        }
    }
    EXPECT_EQ(root, "ServiceExceptionReport");
}
