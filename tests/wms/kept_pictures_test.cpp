// Kept pictures standing in for answers that never came: the part of the
// finest covering picture cut to the view, only when no server was reached.
#include "wms/kept_pictures.h"

#include "net/downloader.h"
#include "platform/text_file.h"
#include "support/pictures.h"
#include "wms/remote_refresh.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace wms {
namespace {

const QString kAddress = "http://wms/mapserv?map=geo&";
const mapcontrol::Rectangle kWhole(-50, -40, -10, -20);  // left, right, top, bottom

// A picture of four colours: red north-west, blue north-east, green
// south-west, yellow south-east.
QByteArray quadrants(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, w, h, Qt::blue);
    painter.fillRect(0, h, w, h, Qt::green);
    painter.fillRect(w, h, w, h, Qt::yellow);
    painter.end();
    return support::encodedPicture(image, "jpeg", 100);
}

bool near(QRgb pixel, QColor colour) {
    return std::abs(qRed(pixel) - colour.red()) < 40 &&
           std::abs(qGreen(pixel) - colour.green()) < 40 &&
           std::abs(qBlue(pixel) - colour.blue()) < 40;
}

// Answers with `answer`, or fails as a server that cannot be reached, one
// that answers with an error status, or a cancel.
class ScriptedDownloader : public net::Downloader {
public:
    enum class Mode { Answer, Unreachable, ServerError, Cancelled };
    platform::Result download(const QString& url, const QString& path) override {
        asked << url;
        platform::Result failure = platform::Result::failure("Falha ao baixar " + url);
        switch (mode) {
            case Mode::Answer:
                return platform::writeFileAtomically(path, answer);
            case Mode::Unreachable:
                failure.unreachable = true;
                return failure;
            case Mode::ServerError:
                return failure;
            case Mode::Cancelled:
                failure.unreachable = true;
                failure.cancelled = true;
                return failure;
        }
        return failure;
    }
    Mode mode = Mode::Answer;
    QByteArray answer;
    QStringList asked;
};

class KeptPicturesTest : public ::testing::Test {
protected:
    void keepPicture(const QString& url, const mapcontrol::Rectangle& extent,
                     const QByteArray& bytes, QSize size, const QString& layers = "lito") {
        ASSERT_TRUE(
            cache.keep({url, kAddress, layers, "EPSG:4326", keptBox(extent), size}, bytes, kKept));
    }

    const QDateTime kKept = QDateTime(QDate(2026, 3, 2), QTime(14, 5), Qt::UTC);
    QTemporaryDir dir;
    net::PictureCache cache{dir.filePath("cache"), 64 << 20};
};

TEST_F(KeptPicturesTest, theCoveredPartIsCutWithNorthUpAndScaledToTheSizeAsked) {
    keepPicture("whole", kWhole, quadrants({200, 200}), {200, 200});
    const auto whole = cutKeptPicture(cache, kAddress, "lito", "EPSG:4326", kWhole, {100, 100});
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->keptAt, kKept);
    ASSERT_EQ(whole->image.size(), QSize(100, 100));
    EXPECT_TRUE(near(whole->image.pixel(25, 25), Qt::red));
    EXPECT_TRUE(near(whole->image.pixel(75, 25), Qt::blue));
    EXPECT_TRUE(near(whole->image.pixel(25, 75), Qt::green));
    EXPECT_TRUE(near(whole->image.pixel(75, 75), Qt::yellow));

    // The north-east quarter, asked at a wider size: all blue, edges included.
    const auto corner = cutKeptPicture(cache, kAddress, "lito", "EPSG:4326",
                                       mapcontrol::Rectangle(-45, -40, -10, -15), {160, 120});
    ASSERT_TRUE(corner);
    ASSERT_EQ(corner->image.size(), QSize(160, 120));
    for (const QPoint p : {QPoint(3, 3), QPoint(156, 3), QPoint(3, 116), QPoint(156, 116)}) {
        EXPECT_TRUE(near(corner->image.pixel(p), Qt::blue)) << p.x() << "," << p.y();
    }
}

TEST_F(KeptPicturesTest, theFinestCoveringPictureIsUsedAndOthersOnlyWhereItEnds) {
    keepPicture("coarse", kWhole, support::solidJpeg(Qt::red, {100, 100}), {100, 100});
    const mapcontrol::Rectangle middle(-46, -44, -14, -16);
    keepPicture("fine", middle, support::solidJpeg(Qt::blue, {400, 400}), {400, 400});
    keepPicture("relief", middle, support::solidJpeg(Qt::green, {800, 800}), {800, 800}, "relevo");

    const auto inside = cutKeptPicture(cache, kAddress, "lito", "EPSG:4326",
                                       mapcontrol::Rectangle(-45, -44, -14, -15), {50, 50});
    ASSERT_TRUE(inside);
    EXPECT_TRUE(near(inside->image.pixel(25, 25), Qt::blue));
    const auto across = cutKeptPicture(cache, kAddress, "lito", "EPSG:4326",
                                       mapcontrol::Rectangle(-48, -44, -14, -16), {50, 50});
    ASSERT_TRUE(across);
    EXPECT_TRUE(near(across->image.pixel(25, 25), Qt::red));
    EXPECT_FALSE(cutKeptPicture(cache, kAddress, "lito", "EPSG:4326",
                                mapcontrol::Rectangle(-55, -44, -14, -16), {50, 50}));
    EXPECT_FALSE(cutKeptPicture(cache, kAddress, "lito", "EPSG:31983", middle, {50, 50}));
}

TEST_F(KeptPicturesTest, aKeptAnswerThatDoesNotDecodeIsRemovedAndTheNextOneServes) {
    keepPicture("coarse", kWhole, support::solidJpeg(Qt::red, {100, 100}), {100, 100});
    // Whole bytes as recorded, but no picture (an error page kept by mistake).
    keepPicture("broken", kWhole, "<html>erro</html>", {400, 400});
    const auto cut = cutKeptPicture(cache, kAddress, "lito", "EPSG:4326", kWhole, {50, 50});
    ASSERT_TRUE(cut);
    EXPECT_TRUE(near(cut->image.pixel(25, 25), Qt::red));
    EXPECT_FALSE(cache.findUrl("broken"));
    EXPECT_TRUE(cache.findUrl("coarse"));

    keepPicture("legend", {}, "not a picture", {});
    EXPECT_FALSE(keptAnswer(cache, "legend", 1 << 20, PictureAnswer::AnyPicture));
    EXPECT_FALSE(cache.findUrl("legend"));
}

TEST_F(KeptPicturesTest, keptPicturesStandInOnlyWhenNoServerWasReached) {
    ScriptedDownloader downloader;
    downloader.answer = support::solidJpeg(Qt::blue, {100, 100});
    const QString folder = dir.filePath("programa");
    QDir().mkpath(folder);
    const std::vector<ServiceLayers> services{{kAddress, "lito"}};
    const QSize area(100, 100);

    const ServicePicturesResult online =
        fetchServicePictures(services, kWhole, area, OverlayMode::And, downloader, folder, &cache);
    ASSERT_TRUE(online.ok);
    EXPECT_FALSE(online.keptAt.isValid());
    ASSERT_EQ(cache.entries().size(), 1u);
    EXPECT_EQ(cache.entries().front().request.url, downloader.asked.front());

    const mapcontrol::Rectangle zoomedIn(-46, -44, -14, -16);
    downloader.mode = ScriptedDownloader::Mode::Unreachable;
    const ServicePicturesResult offline = fetchServicePictures(
        services, zoomedIn, area, OverlayMode::And, downloader, folder, &cache);
    EXPECT_TRUE(offline.ok);
    EXPECT_TRUE(offline.keptAt.isValid());
    EXPECT_TRUE(near(offline.combined.pixel(50, 50), Qt::blue));

    for (const auto mode :
         {ScriptedDownloader::Mode::ServerError, ScriptedDownloader::Mode::Cancelled}) {
        downloader.mode = mode;
        const ServicePicturesResult failed = fetchServicePictures(
            services, zoomedIn, area, OverlayMode::And, downloader, folder, &cache);
        EXPECT_FALSE(failed.ok);
        EXPECT_FALSE(failed.keptAt.isValid());
        EXPECT_EQ(failed.combined.pixel(50, 50), qRgb(255, 255, 255));
    }
    // Outside the kept box: nothing stands in.
    downloader.mode = ScriptedDownloader::Mode::Unreachable;
    EXPECT_FALSE(fetchServicePictures(services, mapcontrol::Rectangle(-60, -44, -14, -16), area,
                                      OverlayMode::And, downloader, folder, &cache)
                     .ok);
    // Without a cache nothing is kept or looked up.
    EXPECT_FALSE(
        fetchServicePictures(services, zoomedIn, area, OverlayMode::And, downloader, folder).ok);
}

TEST_F(KeptPicturesTest, answersByUrlAreKeptOnlyWhenTheyDecode) {
    ScriptedDownloader downloader;
    const QString target = dir.filePath("legenda.png");
    downloader.answer = "<ServiceExceptionReport>erro</ServiceExceptionReport>";
    EXPECT_FALSE(fetchPicture("legend-url", 1 << 20, downloader, target, PictureAnswer::AnyPicture,
                              wms::Keeping::byUrl(&cache))
                     .result);
    EXPECT_TRUE(cache.entries().empty());

    downloader.answer = support::encodedPicture(QImage(30, 90, QImage::Format_RGB32), "png");
    ASSERT_TRUE(fetchPicture("legend-url", 1 << 20, downloader, target, PictureAnswer::AnyPicture,
                             wms::Keeping::byUrl(&cache))
                    .result);
    downloader.mode = ScriptedDownloader::Mode::Unreachable;
    const FetchedPicture kept =
        fetchPicture("legend-url", 1 << 20, downloader, target, PictureAnswer::AnyPicture,
                     wms::Keeping::byUrl(&cache));
    ASSERT_TRUE(kept.result);
    EXPECT_TRUE(kept.keptAt.isValid());
    EXPECT_EQ(kept.image.size(), QSize(30, 90));
    EXPECT_EQ(kept.answer, downloader.answer);
    EXPECT_FALSE(fetchPicture("other-url", 1 << 20, downloader, target, PictureAnswer::AnyPicture,
                              wms::Keeping::byUrl(&cache))
                     .result);
}

TEST(KeptPictureTexts, noticeGivesTheLocalDateAndTimeOfTheKeptPicture) {
    const QDateTime kept(QDate(2026, 3, 2), QTime(14, 5, 59));  // local time
    EXPECT_EQ(keptPictureNotice(kept), QString::fromUtf8("Sem conexão: imagem guardada em "
                                                         "02/03/2026 14:05"));
}

TEST(KeptPictureTexts, fixedRequestsLoseOnlyTheValuesOfBoxAndSize) {
    EXPECT_EQ(requestWithoutBox("http://h/wms?service=WMS&&layers=relevo90&&bbox= -50.0,-20.0,"
                                "-40.0,-10.0&&WIDTH=614&&height=529&&styles="),
              "http://h/wms?service=WMS&&layers=relevo90&&bbox=&&WIDTH=&&height=&&styles=");
    EXPECT_EQ(requestWithoutBox("http://h/sem-consulta"), "http://h/sem-consulta");
}

}  // namespace
}  // namespace wms
