#include "wms/fixed_connections.h"

#include "platform/settings.h"
#include "support/pictures.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace wms {
namespace {

const mapcontrol::Rectangle kExtent(-74, -34.5, 5.3, -34);  // left, right, top, bottom
const QString kBbox = QStringLiteral("-74.000000000,-34.000000000,-34.500000000, 5.300000000");

platform::Settings hosts() {
    platform::Settings settings;
    settings.gatewayHost = QStringLiteral("http://gw.invalid");
    settings.geologyWmsHost = QStringLiteral("http://geo.invalid:82");
    settings.gridsWmsHost = QStringLiteral("http://grids.invalid");
    settings.mosaicWmsHost = QStringLiteral("http://mosaic.invalid");
    return settings;
}

FixedRequest requestOf(FixedKind kind) {
    FixedRequest request;
    request.kind = kind;
    return request;
}

// --- Request addresses ---

TEST(FixedConnectionUrls, reliefNinetyAt614By529EndsWithSizeAndEmptyStyles) {
    const QString url =
        fixedConnectionUrl(hosts(), requestOf(FixedKind::Relief90), kExtent, 614, 529);
    EXPECT_TRUE(url.endsWith("&&width=614&&height=529&&styles=")) << url.toStdString();
    EXPECT_EQ(url,
              "http://grids.invalid/cgi-bin/wmsserver/wmsRelevo?service=WMS&&version=1.1.1"
              "&&request=GetMap&&layers=relevo90&&format=image/jpeg&&srs=epsg:4326&&bbox=" +
                  kBbox + "&&width=614&&height=529&&styles=");
    EXPECT_EQ(fixedConnectionUrl(hosts(), requestOf(FixedKind::Relief30), kExtent, 614, 529),
              QString(url).replace("relevo90", "relevo30"));
}

TEST(FixedConnectionUrls, mapGroupWithRoadsAndTownsAndNoSearchEndsWithBoth) {
    FixedRequest request = requestOf(FixedKind::MapGroups);
    request.map.mapName = QStringLiteral("GO_100");
    request.map.group = 2;
    request.map.roads = true;
    request.map.towns = true;
    const QString url = fixedConnectionUrl(hosts(), request, kExtent, 614, 529);
    EXPECT_TRUE(url.endsWith("&&estrada=s&&municipal=s")) << url.toStdString();
    EXPECT_EQ(url,
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao2?mapa=GO_100_lito&&largura=614"
              "&&altura=529&&estrada=s&&municipal=s");
}

TEST(FixedConnectionUrls, mapGroupOptionalPartsFollowInOrder) {
    MapGroupRequest request;
    request.mapName = QStringLiteral("BA");
    request.group = 6;
    request.searchCode = QStringLiteral("P123");
    request.drainage = true;
    request.structural = true;
    request.roads = true;
    request.towns = true;
    EXPECT_EQ(mapGroupUrl("http://gw.invalid", request, 10, 20),
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao2?mapa=BA_lito&&largura=10&&altura=20"
              "&&pesquisa=P123&&riosuni=BA_unifilar&&riosbi=BA_bifilar&&estrutural=BA_estrut"
              "&&estrada=s&&municipal=s");
    request.drainage = request.roads = request.towns = false;
    request.searchCode.clear();
    EXPECT_EQ(mapGroupUrl("http://gw.invalid", request, 10, 20),
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao2?mapa=BA_lito&&largura=10&&altura=20"
              "&&estrutural=BA_estrut");
}

TEST(FixedConnectionUrls, otherMapsGroupSendsTheNameWithoutLito) {
    MapGroupRequest request;
    request.mapName = QStringLiteral("BRASIL_SOLOS");
    request.group = kOtherMapsGroup;
    request.drainage = true;
    EXPECT_EQ(mapGroupUrl("http://gw.invalid", request, 300, 200),
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao2?mapa=BRASIL_SOLOS&&largura=300"
              "&&altura=200&&riosuni=BRASIL_SOLOS_unifilar&&riosbi=BRASIL_SOLOS_bifilar");
    const std::optional<int> group = groupNumber(mapGroupText(mapGroups().back()));
    EXPECT_EQ(group, kOtherMapsGroup);
}

TEST(FixedConnectionUrls, mosaicTypesAreByteForByte) {
    FixedRequest request = requestOf(FixedKind::Mosaic);
    const QString head = "http://mosaic.invalid/wms.cgi?request=GetMap&width=640&height=480";
    const QString tail = "&srs=EPSG:4326&format=image/jpeg&bbox=" + kBbox;
    request.mosaic = MosaicType::Pan;
    EXPECT_EQ(fixedConnectionUrl(hosts(), request, kExtent, 640, 480),
              head + "&layers=global_mosaic&styles=visual" + tail);
    request.mosaic = MosaicType::Composite;
    EXPECT_EQ(fixedConnectionUrl(hosts(), request, kExtent, 640, 480),
              head + "&layers=global_mosaic&styles=" + tail);
    request.mosaic = MosaicType::DailyPlanet;
    EXPECT_EQ(fixedConnectionUrl(hosts(), request, kExtent, 640, 480),
              head + "&layers=daily_planet&styles=" + tail);
}

TEST(FixedConnectionUrls, geologyHasSingleAmpersands) {
    EXPECT_EQ(fixedConnectionUrl(hosts(), requestOf(FixedKind::Geology), kExtent, 614, 529),
              "http://geo.invalid:82/cgi-bin/wmsserver/wms1000K?service=WMS&version=1.1.1"
              "&request=GetMap&layers=GEOLOGIA&format=image/jpeg&srs=epsg:4326&bbox=" +
                  kBbox + "&width=614&height=529&styles=");
}

TEST(FixedConnectionUrls, mineralGridsTakeTheLayerOfTheirItem) {
    const QStringList expected = {"modelo_minerais", "hierarquia_minerais", "arim_minerais",
                                  "modelo_gemas",    "hierarquiva_gemas",   "arim_gemas",
                                  "modelo_metais",   "hierarquia_metais",   "arim_metais"};
    ASSERT_EQ(mineralLayerNames(), expected);
    FixedRequest request = requestOf(FixedKind::MineralGrids);
    for (int item = 0; item < expected.size(); ++item) {
        request.mineralLayer = item;
        EXPECT_EQ(fixedConnectionUrl(hosts(), request, kExtent, 614, 529),
                  "http://grids.invalid/cgi-bin/wmsserver/arim?service=WMS&&version=1.1.1"
                  "&&request=GetMap&&layers=" +
                      expected[item] + "&&format=image/jpeg&&srs=epsg:4326&&bbox=" + kBbox +
                      "&&width=614&&height=529&&styles=");
    }
}

TEST(FixedConnectionUrls, nothingIsAskedWithoutAChoice) {
    EXPECT_TRUE(
        fixedConnectionUrl(hosts(), requestOf(FixedKind::Disconnect), kExtent, 10, 10).isEmpty());
    EXPECT_TRUE(
        fixedConnectionUrl(hosts(), requestOf(FixedKind::MapGroups), kExtent, 10, 10).isEmpty());
    FixedRequest request = requestOf(FixedKind::MineralGrids);
    for (int item : {-1, 9}) {
        request.mineralLayer = item;
        EXPECT_TRUE(fixedConnectionUrl(hosts(), request, kExtent, 10, 10).isEmpty()) << item;
    }
}

TEST(FixedConnectionUrls, legendMapListAndVector) {
    EXPECT_EQ(mapGroupLegendUrl("http://gw.invalid", "GO_100"),
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao4?mapa=GO_100_lito&&composta=S"
              "&&ambos=s");
    EXPECT_EQ(mapListUrl("http://gw.invalid"), "http://gw.invalid/cgi-bin/servpqd1.exe/acao5");
    EXPECT_EQ(vectorUrl("http://gw.invalid", mapcontrol::Rectangle(-50.25, -48, -15, -16.5)),
              "http://gw.invalid/cgi-bin/BRA_KXT_Bedrock_Geology/wms?outputformat=GML2"
              "&&service=WFS&&version=1.0.0&&request=GetFeature&&typename=BRA_KXT_1M_BLS"
              "&&filter=<FILTER><BBOX><PropertyName>SHAPE*</PropertyName><box>"
              "<coordinates%20decimal=\".\"%20cs=\",\"%20ts=\"%20\">"
              "-50.250000000000,-16.500000000000%20-48.000000000000,-15.000000000000"
              "</coordinates></box></BBOX></Filter>");
    // Small numbers are not padded: the minimum width is below their length.
    const QString url = vectorUrl("", mapcontrol::Rectangle(0, 1, 1, 0));
    EXPECT_TRUE(
        url.endsWith(">0.000000000000,0.000000000000%201.000000000000,1.000000000000"
                     "</coordinates></box></BBOX></Filter>"))
        << url.toStdString();
    EXPECT_FALSE(url.contains(' '));
}

// --- The map list ---

TEST(MapList, groupsCarryTheirNumbersAfterTheComma) {
    const std::vector<std::pair<QString, int>> expected = {{"GEOLOGICOS-PRJ-VORN", 6},
                                                           {"GEOLOGICOS-UNIVERSIDADES", 2},
                                                           {"GEOLOGICOS-ESTADUAIS", 3},
                                                           {"GEOLOGICOS-SIG-1:1.000.000", 1},
                                                           {"GEOLOGICOS-SIG-1:2.500.000", 8},
                                                           {"GEOAMBIENTAIS", 4},
                                                           {"OUTROS MAPAS", 7}};
    ASSERT_EQ(mapGroups().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MapGroup& group = mapGroups()[i];
        EXPECT_EQ(group.caption, expected[i].first);
        EXPECT_EQ(group.number, expected[i].second);
        const QString text = mapGroupText(group);
        EXPECT_TRUE(text.startsWith(group.caption + ' ')) << text.toStdString();
        EXPECT_EQ(groupNumber(text), group.number) << text.toStdString();
    }
}

TEST(MapList, groupNumberNeedsACommaAndAWholeNumber) {
    EXPECT_EQ(groupNumber("GEOAMBIENTAIS     ,4"), 4);
    EXPECT_EQ(groupNumber("A,B , 12 "), std::nullopt);  // after the first comma: "B , 12 "
    EXPECT_EQ(groupNumber("X, 12 "), 12);
    EXPECT_EQ(groupNumber("ESCOLHA O GRUPO"), std::nullopt);
    EXPECT_EQ(groupNumber("X,"), std::nullopt);
    EXPECT_EQ(groupNumber("X,4.5"), std::nullopt);
    EXPECT_EQ(groupNumber("X,99999999999999"), std::nullopt);
}

TEST(MapList, linesOfAGroupCompareTheNumberBetweenCommaAndSemicolon) {
    const QStringList lines = {
        "Goiás 1:100.000,2;GO_100,-15,-50,-16,-49",
        "Bahia,6;BA,-10,-42,-12,-40",
        "Solos, 2 ;SOLOS,-1,-2,-3,-1",
        "Outros,20;X,1,2,3,4",    // 20 is not 2
        "Sem grupo;Y,1,2,3,4",    // ";" before any ","
        "Ponto;e,2 virgula",      // ";" before ","
        "Sem ponto e virgula,2",  // no ";"
        "Texto,dois;Z,1,2,3,4",   // no number
        "",
        "*P9*Pesquisa,2;W,-1,-2,-3,-1",
    };
    EXPECT_EQ(mapListLinesOfGroup(lines, 2), QStringList({lines[0], lines[2], lines[9]}));
    EXPECT_EQ(mapListLinesOfGroup(lines, 6), QStringList({lines[1]}));
    EXPECT_TRUE(mapListLinesOfGroup(lines, 7).isEmpty());
}

TEST(MapList, parseMapLineReadsNameAndExtent) {
    const std::optional<MapChoice> choice =
        parseMapLine("Goiás 1:100.000,2; GO_100 ,-15.5,-50,-16.25,-49.75");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->mapName, "GO_100");
    EXPECT_TRUE(choice->searchCode.isEmpty());
    EXPECT_EQ(choice->extent, mapcontrol::Rectangle(-50, -49.75, -15.5, -16.25));
}

TEST(MapList, parseMapLineTakesTheSearchCodeBetweenTheFirstTwoStars) {
    std::optional<MapChoice> choice = parseMapLine("*P123*Pesquisa,2;PESQ,-1,-2,-3,-1");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->searchCode, "P123");
    EXPECT_EQ(choice->mapName, "PESQ");
    // A code after the numbers does not spoil the last one.
    choice = parseMapLine("Pesquisa,2;PESQ,-1,-2,-3,-1*P9*");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->searchCode, "P9");
    EXPECT_EQ(choice->extent.right(), -1);
    // A single star is no code.
    choice = parseMapLine("Uma*estrela,2;M,1,2,0,3");
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->searchCode.isEmpty());
    // Fields after the fourth number are ignored.
    choice = parseMapLine("a,1;M,1,2,0,3,extra");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->extent, mapcontrol::Rectangle(2, 3, 1, 0));
}

TEST(MapList, badMapLinesGiveNothing) {
    for (const char* line : {
             "", "ESCOLHA O GRUPO",
             "Sem ponto e virgula,2,M,1,2,0,3",  // no ";"
             "a,1;M,1,2,0",                      // three numbers
             "a,1;M,1,x,0,3",                    // a field that is no number
             "a,1;M,1,2,0,3.5.1", "a,1;M,1,2,0,",
             "a,1;M,1;5,2,0,3",    // "1;5"
             "a,1;M,1,2,0,1e999",  // beyond a double
             "a,1; ,1,2,0,3",      // no name
             "a,1;M,0,2,1,3",      // top below bottom
             "a,1;M,1,3,0,2",      // right left of left
             "a,1;M,1,2,1,3",      // no height
         }) {
        EXPECT_FALSE(parseMapLine(QString::fromUtf8(line))) << line;
    }
}

// --- The mosaic's JPEG ---

// The offset of the first segment with `marker` (FF xx), walking the segment
// lengths from the start of image; -1 when there is none before the scan.
qsizetype segmentOffset(const QByteArray& jpeg, unsigned char marker) {
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        if (uchar(jpeg[at + 1]) == marker) return at;
        if (uchar(jpeg[at + 1]) == 0xDA) return -1;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return -1;
}

QByteArray redJpeg() {
    return support::solidJpeg(QColor(220, 30, 40), {16, 8});
}

TEST(MosaicJpeg, aGoodPictureDecodesToRgb32WithItsColours) {
    const JpegDecode decoded = decodeWithLibjpeg(redJpeg());
    EXPECT_FALSE(decoded.error);
    ASSERT_EQ(decoded.image.size(), QSize(16, 8));
    EXPECT_EQ(decoded.image.format(), QImage::Format_RGB32);
    for (const QPoint p : {QPoint(0, 0), QPoint(15, 7), QPoint(8, 4)}) {
        const QRgb pixel = decoded.image.pixel(p);
        EXPECT_NEAR(qRed(pixel), 220, 3);
        EXPECT_NEAR(qGreen(pixel), 30, 3);
        EXPECT_NEAR(qBlue(pixel), 40, 3);
        EXPECT_EQ(qAlpha(pixel), 255);
    }
}

TEST(MosaicJpeg, aGreyPictureComesOutWithEqualChannels) {
    QImage grey(8, 8, QImage::Format_Grayscale8);
    grey.fill(QColor(100, 100, 100));
    const QByteArray bytes = support::encodedPicture(grey, "jpeg", 100);
    ASSERT_FALSE(bytes.isEmpty());
    const JpegDecode decoded = decodeWithLibjpeg(bytes);
    EXPECT_FALSE(decoded.error);
    ASSERT_EQ(decoded.image.format(), QImage::Format_RGB32);
    const QRgb pixel = decoded.image.pixel(3, 3);
    EXPECT_NEAR(qRed(pixel), 100, 2);
    EXPECT_EQ(qRed(pixel), qGreen(pixel));
    EXPECT_EQ(qRed(pixel), qBlue(pixel));
}

TEST(MosaicJpeg, anUndefinedQuantTableAsksToTryAgain) {
    QByteArray bytes = redJpeg();
    const qsizetype sof = segmentOffset(bytes, 0xC0);
    ASSERT_GT(sof, 0);
    // The first component's table selector, after length, precision, height,
    // width, count, component id and sampling factors: table 3 is not defined.
    bytes[sof + 2 + 2 + 1 + 2 + 2 + 1 + 2] = 3;
    const JpegDecode decoded = decodeWithLibjpeg(bytes);
    ASSERT_TRUE(decoded.error);
    EXPECT_EQ(*decoded.error, JERR_NO_QUANT_TABLE);
    EXPECT_EQ(*decoded.error, 52);
    EXPECT_EQ(kindOneJpegMessage(*decoded.error), "Tente novamente...");
}

TEST(MosaicJpeg, anUnsupportedProcessIsIgnored) {
    QByteArray bytes = redJpeg();
    const qsizetype sof = segmentOffset(bytes, 0xC0);
    ASSERT_GT(sof, 0);
    bytes[sof + 1] = char(0xC3);  // lossless
    const JpegDecode decoded = decodeWithLibjpeg(bytes);
    ASSERT_TRUE(decoded.error);
    EXPECT_EQ(*decoded.error, JERR_SOF_UNSUPPORTED);
    EXPECT_EQ(*decoded.error, 60);
    EXPECT_TRUE(decoded.image.isNull());  // nothing was decoded to keep
    EXPECT_EQ(kindOneJpegMessage(*decoded.error), QString());
}

// Too few rows read can only come from the reading loop stopping early,
// which a memory source never makes it do: the mapping alone is checked.
TEST(MosaicJpeg, tooFewRowsIsIgnored) {
    EXPECT_EQ(JERR_TOO_LITTLE_DATA, 67);
    EXPECT_EQ(kindOneJpegMessage(JERR_TOO_LITTLE_DATA), QString());
}

TEST(MosaicJpeg, anyOtherErrorFailsToLoad) {
    const QString failed = QStringLiteral("Error loading JPEG file");
    const JpegDecode notJpeg = decodeWithLibjpeg("GIF89a not a jpeg at all");
    ASSERT_TRUE(notJpeg.error);
    EXPECT_EQ(*notJpeg.error, JERR_NO_SOI);
    EXPECT_EQ(kindOneJpegMessage(*notJpeg.error), failed);

    const JpegDecode empty = decodeWithLibjpeg(QByteArray());
    ASSERT_TRUE(empty.error);
    EXPECT_EQ(*empty.error, JERR_INPUT_EMPTY);
    EXPECT_EQ(kindOneJpegMessage(*empty.error), failed);

    // Only the start-of-image marker: the data ends before any header.
    const JpegDecode header = decodeWithLibjpeg(redJpeg().left(2));
    ASSERT_TRUE(header.error);
    EXPECT_EQ(kindOneJpegMessage(*header.error), failed);

    for (int code : {0, 51, 53, 59, 61, 66, 68, 1000}) {
        EXPECT_EQ(kindOneJpegMessage(code), failed) << code;
    }
}

TEST(MosaicJpeg, aCutStreamKeepsWhatWasDecoded) {
    QImage picture(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) picture.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
    }
    const QByteArray bytes = support::encodedPicture(picture, "jpeg", 100);
    const JpegDecode decoded = decodeWithLibjpeg(bytes.left(bytes.size() / 2));
    EXPECT_FALSE(decoded.error);  // a warning only
    ASSERT_EQ(decoded.image.size(), QSize(64, 64));
    const QRgb topLeft = decoded.image.pixel(1, 1);
    EXPECT_NEAR(qRed(topLeft), 4, 6);
    EXPECT_NEAR(qGreen(topLeft), 4, 6);
}

TEST(MosaicJpeg, aPictureOverTheLimitIsNotDecoded) {
    const JpegDecode small = decodeWithLibjpeg(redJpeg(), 16 * 8);
    EXPECT_FALSE(small.error);
    const JpegDecode refused = decodeWithLibjpeg(redJpeg(), 16 * 8 - 1);
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(*refused.error, JERR_IMAGE_TOO_BIG);
    EXPECT_TRUE(refused.image.isNull());

    // A header claiming 60000 × 60000 pixels is refused before any memory is
    // taken for it.
    QByteArray huge = redJpeg();
    const qsizetype sof = segmentOffset(huge, 0xC0);
    ASSERT_GT(sof, 0);
    for (int i : {5, 7}) {
        huge[sof + i] = char(60000 >> 8);
        huge[sof + i + 1] = char(60000 & 0xFF);
    }
    const JpegDecode claimed = decodeWithLibjpeg(huge);
    ASSERT_TRUE(claimed.error);
    EXPECT_EQ(*claimed.error, JERR_IMAGE_TOO_BIG);
    EXPECT_EQ(kindOneJpegMessage(*claimed.error), "Error loading JPEG file");
}

}  // namespace
}  // namespace wms
