#include "wms/service_pictures.h"

#include "support/pictures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>

namespace wms {
namespace {

QByteArray encode(const QImage& image, const char* format, int quality = 90) {
    const QByteArray bytes = support::encodedPicture(image, format, quality);
    EXPECT_FALSE(bytes.isEmpty()) << format;
    return bytes;
}

QImage solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A picture with some detail, so its JPEG has a real amount of scan data.
QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
        }
    }
    return image;
}

// Offset of the first segment with marker FF `marker` in a JPEG, walking
// the segments from the start; -1 when there is none before the scan.
qsizetype segmentOffset(const QByteArray& jpeg, uchar marker) {
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        const uchar m = uchar(jpeg[at + 1]);
        if (m == marker) return at;
        if (m == 0xDA) return -1;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return -1;
}

// The JPEG with the size its frame header declares changed.
QByteArray withDeclaredSize(QByteArray jpeg, int width, int height) {
    const qsizetype sof = segmentOffset(jpeg, 0xC0);
    EXPECT_GE(sof, 0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

const QByteArray kServiceException1_1_1 =
    R"(<?xml version='1.0' encoding="ISO-8859-1" standalone="no" ?>
<!DOCTYPE ServiceExceptionReport SYSTEM "http://schemas.opengis.net/wms/1.1.1/exception_1_1_1.dtd">
<ServiceExceptionReport version="1.1.1">
<ServiceException code="LayerNotDefined">
msWMSLoadGetMapParams(): WMS server error. Invalid layer(s) given in the LAYERS parameter.
</ServiceException>
</ServiceExceptionReport>
)";

TEST(CheckJpegAnswer, JpegBytesPass) {
    EXPECT_TRUE(checkJpegAnswer(encode(solid(4, 4, 0xFF336699), "jpeg")));
    EXPECT_TRUE(checkJpegAnswer(QByteArray("\xFF\xD8\xFF", 3)));
}

TEST(CheckJpegAnswer, EmptyAnswerSaysSo) {
    const platform::Result r = checkJpegAnswer({});
    EXPECT_FALSE(r);
    EXPECT_EQ(r.message, "resposta vazia do servidor");
}

TEST(CheckJpegAnswer, PictureOfAnotherFormatIsNotAJpeg) {
    const platform::Result png = checkJpegAnswer(encode(solid(4, 4, 0xFF336699), "png"));
    EXPECT_FALSE(png);
    EXPECT_EQ(png.message, "resposta não é uma imagem JPEG (imagem PNG)");
    EXPECT_TRUE(png.detail.contains("89 50 4e 47")) << qPrintable(png.detail);

    const platform::Result gif = checkJpegAnswer("GIF89a\x01\x00\x01\x00\x00\x00\x00");
    EXPECT_EQ(gif.message, "resposta não é uma imagem JPEG (imagem GIF)");

    // FF D8 followed by anything but FF is not a JPEG start.
    const platform::Result almost = checkJpegAnswer(QByteArray("\xFF\xD8\x00\x01\x02", 5));
    EXPECT_FALSE(almost);
    EXPECT_EQ(almost.message, kNotJpegMessage);
}

TEST(CheckJpegAnswer, ServiceExceptionTextIsTheMessage) {
    const platform::Result r = checkJpegAnswer(kServiceException1_1_1);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.message,
              "msWMSLoadGetMapParams(): WMS server error. Invalid layer(s) given in the LAYERS "
              "parameter.");
}

TEST(CheckPictureAnswer, aLegendMayBeAnyPictureButNotAPageOrAnException) {
    for (const char* format : {"png", "jpeg", "bmp"}) {
        EXPECT_TRUE(
            checkPictureAnswer(encode(solid(4, 4, 0xFF336699), format), PictureAnswer::AnyPicture))
            << format;
    }
    EXPECT_TRUE(
        checkPictureAnswer("GIF89a\x01\x00\x01\x00\x00\x00\x00", PictureAnswer::AnyPicture));
    const platform::Result page = checkPictureAnswer(
        "<HTML><HEAD><TITLE>MapServer Message</TITLE></HEAD><BODY>msCGILoadMap(): Web "
        "application error. CGI variable &quot;map&quot; is not set.</BODY></HTML>",
        PictureAnswer::AnyPicture);
    EXPECT_FALSE(page);
    EXPECT_EQ(page.message,
              "MapServer Message\nmsCGILoadMap(): Web application error. CGI variable \"map\" is "
              "not set.");
    EXPECT_EQ(checkPictureAnswer(kServiceException1_1_1, PictureAnswer::AnyPicture).message,
              checkJpegAnswer(kServiceException1_1_1).message);
    EXPECT_EQ(checkPictureAnswer({}, PictureAnswer::AnyPicture).message, kEmptyAnswerMessage);
    EXPECT_EQ(checkPictureAnswer(QByteArray("\x01\x02\x03garbage", 10), PictureAnswer::AnyPicture)
                  .message,
              kNotPictureMessage);
}

TEST(ServerErrorText, ExceptionsOfEveryNamespaceOneALine) {
    const QByteArray v130 = R"(<?xml version="1.0" encoding="UTF-8"?>
<ServiceExceptionReport version="1.3.0" xmlns="http://www.opengis.net/ogc">
  <ServiceException code="InvalidCRS">CRS n&#227;o suportado: EPSG:9999</ServiceException>
  <ServiceException><![CDATA[Second <problem>]]></ServiceException>
</ServiceExceptionReport>)";
    EXPECT_EQ(serverErrorText(v130),
              QString::fromUtf8("CRS não suportado: EPSG:9999\nSecond <problem>"));

    const QByteArray ows = R"(<ows:ExceptionReport xmlns:ows="http://www.opengis.net/ows/1.1">
  <ows:Exception exceptionCode="MissingParameterValue" locator="request">
    <ows:ExceptionText>Missing REQUEST parameter</ows:ExceptionText>
  </ows:Exception></ows:ExceptionReport>)";
    EXPECT_EQ(serverErrorText(ows), "Missing REQUEST parameter");

    // An exception with no text is known by its code.
    EXPECT_EQ(
        serverErrorText(
            R"(<ServiceExceptionReport><ServiceException code="LayerNotQueryable"/></ServiceExceptionReport>)"),
        "LayerNotQueryable");
}

TEST(ServerErrorText, Latin1DocumentsAreRead) {
    QByteArray xml = kServiceException1_1_1;
    xml.replace("Invalid", "Camada inv\xE1lida");
    EXPECT_TRUE(serverErrorText(xml).contains(QString::fromUtf8("Camada inválida")));
}

TEST(ServerErrorText, CutExceptionDocumentKeepsItsWholeExceptions) {
    const QByteArray cut =
        "<ServiceExceptionReport><ServiceException>Primeira</ServiceException>"
        "<ServiceException>Segunda, cor";
    EXPECT_EQ(serverErrorText(cut), "Primeira");
}

TEST(ServerErrorText, ExceptionQuotingMarkupIsStillAnException) {
    EXPECT_EQ(serverErrorText("<ServiceExceptionReport><ServiceException><![CDATA[Bad <p> in "
                              "STYLES]]></ServiceException></ServiceExceptionReport>"),
              "Bad <p> in STYLES");
}

TEST(ServerErrorText, XmlWithoutAnExceptionHasNoText) {
    EXPECT_EQ(
        serverErrorText("<?xml version=\"1.0\"?><WMS_Capabilities><Service/></WMS_Capabilities>"),
        QString());
}

TEST(ServerErrorText, HtmlPageGivesItsTitleAndBodyText) {
    const QByteArray page = R"(<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 2.0//EN">
<html><head>
<title>502 Proxy Error</title>
<style>body { color: red; }</style>
<script>var x = "<p>not shown</p>";</script>
</head><body>
<h1>Proxy Error</h1>
<p>The proxy server received an <b>invalid</b> response from an upstream server.<br>
Reason: &lt;Error reading from remote server&gt; &amp; more &#x2014; fim&nbsp;&eacute;</p>
<!-- a comment <p>hidden</p> -->
</body></html>)";
    EXPECT_EQ(checkJpegAnswer(page).message,
              QString::fromUtf8("502 Proxy Error\nProxy Error The proxy server received an invalid "
                                "response from an upstream server. Reason: <Error reading from "
                                "remote server> & more — fim é"));
}

TEST(ServerErrorText, HtmlTitleIsNotRepeatedWhenTheBodyStartsWithIt) {
    EXPECT_EQ(serverErrorText("<html><head><title>HTTP Status 500</title></head>"
                              "<body><h1>HTTP Status 500</h1><p>Internal error</p></body></html>"),
              "HTTP Status 500 Internal error");
    EXPECT_EQ(serverErrorText("<HTML><TITLE>Only a title</TITLE></HTML>"), "Only a title");
    EXPECT_EQ(serverErrorText("<h1>Erro</h1> a < b"), "Erro a < b");
}

TEST(ServerErrorText, LongTextsAreCutAndHugeAnswersStayBounded) {
    QByteArray xml = "<ServiceExceptionReport><ServiceException>";
    xml += QByteArray(2000, 'x');
    xml += "</ServiceException></ServiceExceptionReport>";
    const QString text = serverErrorText(xml);
    EXPECT_EQ(text, QString(500, 'x') + QString::fromUtf8("…"));

    // 50 MB of page: only its start is looked at, and its text is cut.
    QByteArray page = "<html><body><p>Falha no servidor</p>";
    QByteArray filler;
    for (int i = 0; i < 1000; ++i) filler += "<div>linha</div>\n";
    while (page.size() < 50'000'000) page += filler;
    const QString pageText = serverErrorText(page);
    EXPECT_TRUE(pageText.startsWith("Falha no servidor linha linha"))
        << qPrintable(pageText.left(80));
    EXPECT_EQ(pageText.size(), 501);

    // UTF-8 text cut inside a character by the 1 MB look stays UTF-8.
    QByteArray accented = "<html><body>Servi\xC3\xA7o fora do ar";
    accented += QByteArray((1 << 20) - 1 - accented.size(), ' ') + "\xC3\xA7 fim";
    EXPECT_EQ(serverErrorText(accented), QString::fromUtf8("Serviço fora do ar"));

    // A page that never closes its tags ends cleanly too.
    EXPECT_EQ(serverErrorText("<html><body>texto<p" + QByteArray(3'000'000, ' ')), "texto");
}

TEST(ServerErrorText, PlainTextAnswerIsShownAndBinaryIsNot) {
    EXPECT_EQ(serverErrorText("  Service temporarily unavailable\r\n"),
              "Service temporarily unavailable");
    EXPECT_EQ(checkJpegAnswer(QByteArray("\x01\x02\x03garbage\x00\x7F", 12)).message,
              kNotJpegMessage);
    EXPECT_EQ(serverErrorText(encode(solid(2, 2, 0xFF000000), "jpeg")), QString());
    EXPECT_EQ(serverErrorText(encode(solid(2, 2, 0xFF000000), "png")), QString());
}

TEST(DecodeServicePicture, DecodesToRgb32) {
    const DecodedPicture one = decodeServicePicture(encode(solid(1, 1, 0xFF204080), "jpeg"), 1);
    ASSERT_TRUE(one.result) << qPrintable(one.result.message);
    EXPECT_EQ(one.image.size(), QSize(1, 1));
    EXPECT_EQ(one.image.format(), QImage::Format_RGB32);
    const QRgb pixel = one.image.pixel(0, 0);
    EXPECT_NEAR(qRed(pixel), 0x20, 4);
    EXPECT_NEAR(qGreen(pixel), 0x40, 4);
    EXPECT_NEAR(qBlue(pixel), 0x80, 4);

    QImage grey(40, 30, QImage::Format_Grayscale8);
    grey.fill(77);
    const DecodedPicture fromGrey = decodeServicePicture(encode(grey, "jpeg"), 1200);
    ASSERT_TRUE(fromGrey.result);
    EXPECT_EQ(fromGrey.image.format(), QImage::Format_RGB32);
    EXPECT_NEAR(qGreen(fromGrey.image.pixel(20, 15)), 77, 2);
}

TEST(DecodeServicePicture, aPngLegendKeepsItsTransparencyAndAJpegIsStillAsked) {
    QImage legend(8, 4, QImage::Format_ARGB32);
    legend.fill(Qt::transparent);
    legend.setPixel(1, 1, 0xFFC83C28);
    const QByteArray png = encode(legend, "png");
    const DecodedPicture clear = decodeServicePicture(png, 32, PictureAnswer::AnyPicture);
    ASSERT_TRUE(clear.result) << qPrintable(clear.result.message);
    EXPECT_EQ(clear.image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(clear.image.pixel(1, 1), 0xFFC83C28u);
    EXPECT_EQ(qAlpha(clear.image.pixel(5, 2)), 0);

    const DecodedPicture opaque =
        decodeServicePicture(encode(solid(8, 4, 0xFF5AAA5A), "png"), 32, PictureAnswer::AnyPicture);
    ASSERT_TRUE(opaque.result);
    EXPECT_EQ(opaque.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(opaque.image.pixel(7, 3), 0xFF5AAA5Au);

    // The map pictures still take nothing but a JPEG, and limits hold for every format.
    EXPECT_EQ(decodeServicePicture(png, 32).result.message,
              "resposta não é uma imagem JPEG (imagem PNG)");
    EXPECT_TRUE(decodeServicePicture(png, 31, PictureAnswer::AnyPicture)
                    .result.message.startsWith("imagem do servidor grande demais"));
}

TEST(DecodeServicePicture, CutPngIsRefused) {
    const QByteArray whole = encode(pattern(120, 90), "png");
    ASSERT_TRUE(decodeServicePicture(whole + "\r\n", 1'000'000, PictureAnswer::AnyPicture).result);
    for (const qsizetype length : {whole.size() / 2, whole.size() - 1, qsizetype(8)}) {
        const DecodedPicture r =
            decodeServicePicture(whole.left(length), 1'000'000, PictureAnswer::AnyPicture);
        EXPECT_EQ(r.result.message,
                  "imagem PNG incompleta: a resposta termina antes do fim da imagem")
            << length;
        EXPECT_TRUE(r.image.isNull());
    }
}

TEST(DecodeServicePicture, PaddingAfterTheEndMarkerIsAccepted) {
    const QByteArray padded =
        encode(solid(16, 16, 0xFF808080), "jpeg") + QByteArray(3, '\0') + "\r\n";
    EXPECT_TRUE(decodeServicePicture(padded, 256).result);
}

TEST(DecodeServicePicture, NonJpegAnswerFailsWithTheServerText) {
    const DecodedPicture r = decodeServicePicture(kServiceException1_1_1, 1'000'000);
    EXPECT_FALSE(r.result);
    EXPECT_TRUE(r.result.message.startsWith("msWMSLoadGetMapParams()"));
    EXPECT_TRUE(r.image.isNull());
    EXPECT_EQ(decodeServicePicture({}, 100).result.message, kEmptyAnswerMessage);
}

TEST(DecodeServicePicture, CutJpegIsRefused) {
    const QByteArray whole = encode(pattern(200, 150), "jpeg");
    for (const qsizetype length :
         {whole.size() / 2, whole.size() - 1, qsizetype(3), qsizetype(40)}) {
        const DecodedPicture r = decodeServicePicture(whole.left(length), 1'000'000);
        EXPECT_FALSE(r.result) << length;
        EXPECT_TRUE(r.result.message.startsWith("imagem JPEG incompleta"))
            << qPrintable(r.result.message);
        EXPECT_TRUE(r.image.isNull());
    }
}

TEST(DecodeServicePicture, DamagedJpegFailsWithTheReadersReason) {
    // A header that is not one.
    const QByteArray junk = QByteArray("\xFF\xD8\xFF\x01junk junk junk\xFF\xD9", 20);
    DecodedPicture r = decodeServicePicture(junk, 1'000'000);
    EXPECT_FALSE(r.result);
    EXPECT_EQ(r.result.message, QString::fromUtf8("imagem JPEG danificada (cabeçalho ilegível)"));

    // A readable size, but the frame uses a quantisation table never defined.
    QByteArray jpeg = encode(pattern(32, 32), "jpeg");
    const qsizetype sof = segmentOffset(jpeg, 0xC0);
    ASSERT_GE(sof, 0);
    jpeg[sof + 12] = char(3);  // first component's table selector
    r = decodeServicePicture(jpeg, 1'000'000);
    EXPECT_FALSE(r.result);
    // The reason is the reader's own words.
    EXPECT_TRUE(r.result.message.startsWith("imagem JPEG danificada ("))
        << qPrintable(r.result.message);
    EXPECT_FALSE(r.result.message.endsWith("()"));
    EXPECT_TRUE(r.image.isNull());
}

TEST(DecodeServicePicture, HugeDeclaredSizeIsRefusedBeforeDecoding) {
    const QByteArray jpeg = encode(pattern(16, 16), "jpeg");
    const DecodedPicture huge =
        decodeServicePicture(withDeclaredSize(jpeg, 30000, 30000), qint64(1) << 40);
    EXPECT_FALSE(huge.result);
    EXPECT_EQ(huge.result.message,
              QString::fromUtf8("imagem do servidor grande demais: 30000 × 30000 "
                                "pixels (o máximo é 16384 pixels de lado)"));

    // One side over the limit is enough; the limit itself is allowed past
    // the size check (the scan data then cannot fill it).
    EXPECT_FALSE(decodeServicePicture(withDeclaredSize(jpeg, 16, 16385), qint64(1) << 40).result);
    const DecodedPicture atLimit =
        decodeServicePicture(withDeclaredSize(jpeg, 16384, 16), qint64(1) << 40);
    EXPECT_FALSE(atLimit.result.message.contains("grande demais"))
        << qPrintable(atLimit.result.message);
}

TEST(DecodeServicePicture, MorePixelsThanTheCallerAllowsIsRefused) {
    const QByteArray jpeg = encode(pattern(100, 80), "jpeg");
    const DecodedPicture over = decodeServicePicture(jpeg, 7999);
    EXPECT_FALSE(over.result);
    EXPECT_EQ(over.result.message, QString::fromUtf8("imagem do servidor grande demais: 100 × 80 "
                                                     "pixels (o máximo é 7999 pixels)"));
    const DecodedPicture exact = decodeServicePicture(jpeg, 8000);
    ASSERT_TRUE(exact.result);
    EXPECT_EQ(exact.image.size(), QSize(100, 80));
}

// 4 × 1 pictures of known bytes for the raster operations.
const QRgb kFirst[4] = {0xFF0F0F0F, 0xFFF0F0F0, 0xFF123456, 0xFFFFFFFF};
const QRgb kSecond[4] = {0xFF00FF0F, 0xFF0F0F0F, 0xFF654321, 0xFF000000};

QImage row(const QRgb (&pixels)[4]) {
    QImage image(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) image.setPixel(x, 0, pixels[x]);
    return image;
}

QImage combined(OverlayMode mode) {
    ServicePictureCombiner combiner(QSize(4, 1), mode);
    combiner.add(row(kFirst), QPoint(0, 0));
    combiner.add(row(kSecond), QPoint(0, 0));
    return combiner.result();
}

TEST(ServicePictureCombiner, StartsWhiteAndEmpty) {
    const ServicePictureCombiner combiner(QSize(5, 3), OverlayMode::And);
    EXPECT_TRUE(combiner.empty());
    EXPECT_EQ(combiner.result().size(), QSize(5, 3));
    EXPECT_EQ(combiner.result().format(), QImage::Format_RGB32);
    EXPECT_EQ(combiner.result().pixel(4, 2), 0xFFFFFFFFu);
}

TEST(ServicePictureCombiner, FirstPictureIsDrawnPlainlyAtItsOffset) {
    for (const OverlayMode mode : {OverlayMode::And, OverlayMode::Xor, OverlayMode::Invert}) {
        ServicePictureCombiner combiner(QSize(6, 4), mode);
        combiner.add(solid(3, 2, 0xFF102030), QPoint(2, 1));
        EXPECT_FALSE(combiner.empty());
        const QImage& image = combiner.result();
        EXPECT_EQ(image.pixel(2, 1), 0xFF102030u);
        EXPECT_EQ(image.pixel(4, 2), 0xFF102030u);
        EXPECT_EQ(image.pixel(1, 1), 0xFFFFFFFFu);
        EXPECT_EQ(image.pixel(5, 2), 0xFFFFFFFFu);
        EXPECT_EQ(image.pixel(2, 3), 0xFFFFFFFFu);
    }
}

TEST(ServicePictureCombiner, LaterPicturesTakeTheBitwiseOperationOfTheMode) {
    const QImage andImage = combined(OverlayMode::And);
    const QImage xorImage = combined(OverlayMode::Xor);
    const QImage orImage = combined(OverlayMode::Or);
    const QImage notOrImage = combined(OverlayMode::NotOr);
    for (int x = 0; x < 4; ++x) {
        const QRgb s = kSecond[x] & 0xFFFFFF;
        const QRgb d = kFirst[x] & 0xFFFFFF;
        EXPECT_EQ(andImage.pixel(x, 0) & 0xFFFFFF, s & d) << x;
        EXPECT_EQ(xorImage.pixel(x, 0) & 0xFFFFFF, s ^ d) << x;
        EXPECT_EQ(orImage.pixel(x, 0) & 0xFFFFFF, s | d) << x;
        EXPECT_EQ(notOrImage.pixel(x, 0) & 0xFFFFFF, ~(s | d) & 0xFFFFFF) << x;
        // The fourth byte stays that of an opaque picture.
        EXPECT_EQ(qAlpha(xorImage.pixel(x, 0)), 0xFF);
    }
}

TEST(ServicePictureCombiner, InvertFlipsThePictureSoFarAndIgnoresTheLaterOne) {
    const QImage image = combined(OverlayMode::Invert);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(image.pixel(x, 0) & 0xFFFFFF, ~kFirst[x] & 0xFFFFFF) << x;
    }
    // Each later picture flips the whole picture again, white margins too.
    ServicePictureCombiner combiner(QSize(3, 1), OverlayMode::Invert);
    combiner.add(solid(1, 1, 0xFF0000FF), QPoint(0, 0));
    combiner.add(solid(3, 1, 0xFF123456), QPoint(0, 0));
    EXPECT_EQ(combiner.result().pixel(0, 0), 0xFFFFFF00u);
    EXPECT_EQ(combiner.result().pixel(2, 0), 0xFF000000u);
    combiner.add(solid(3, 1, 0xFF123456), QPoint(0, 0));
    EXPECT_EQ(combiner.result().pixel(0, 0), 0xFF0000FFu);
}

TEST(ServicePictureCombiner, LaterPictureChangesOnlyWhatItCovers) {
    ServicePictureCombiner combiner(QSize(4, 4), OverlayMode::And);
    combiner.add(solid(4, 4, 0xFF00FF00), QPoint(0, 0));
    combiner.add(solid(2, 2, 0xFF0000FF), QPoint(1, 1));  // AND gives black there
    const QImage& image = combiner.result();
    EXPECT_EQ(image.pixel(1, 1), 0xFF000000u);
    EXPECT_EQ(image.pixel(2, 2), 0xFF000000u);
    EXPECT_EQ(image.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(image.pixel(3, 2), 0xFF00FF00u);
}

TEST(ServicePictureCombiner, NullPicturesAreNotAdded) {
    ServicePictureCombiner combiner(QSize(2, 2), OverlayMode::And);
    combiner.add(QImage(), QPoint(0, 0));
    EXPECT_TRUE(combiner.empty());
    // The first real picture is then still drawn plainly.
    combiner.add(solid(2, 2, 0xFF336699), QPoint(0, 0));
    EXPECT_EQ(combiner.result().pixel(1, 1), 0xFF336699u);

    ServicePictureCombiner none(QSize(0, 0), OverlayMode::Xor);
    none.add(solid(2, 2, 0xFF336699), QPoint(0, 0));
    EXPECT_TRUE(none.result().isNull());
}

TEST(ServicePictureCombiner, PicturesOfOtherFormatsTakeTheOperationToo) {
    ServicePictureCombiner combiner(QSize(2, 1), OverlayMode::Or);
    combiner.add(solid(2, 1, 0xFF101010), QPoint(0, 0));
    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.fill(0x01);
    combiner.add(grey, QPoint(0, 0));
    EXPECT_EQ(combiner.result().pixel(0, 0), 0xFF111111u);
}

}  // namespace
}  // namespace wms
