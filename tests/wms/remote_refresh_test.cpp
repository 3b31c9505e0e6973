#include "wms/remote_refresh.h"

#include "net/downloader.h"
#include "platform/text_file.h"
#include "support/pictures.h"
#include "wms/picture_size.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace wms {
namespace {

// Answers each address whose text contains a key with that key's bytes,
// records every address asked and fails the others.
class FakeDownloader : public net::Downloader {
public:
    platform::Result download(const QString& url, const QString& path) override {
        asked << url;
        for (const auto& [key, bytes] : answers) {
            if (url.contains(key)) {
                return platform::writeFileAtomically(path, bytes);
            }
        }
        return platform::Result::failure(QStringLiteral("Falha ao baixar %1").arg(url),
                                         QStringLiteral("HTTP status 404"));
    }
    std::map<QString, QByteArray> answers;
    QStringList asked;
};

const QByteArray kException =
    "<?xml version='1.0'?><ServiceExceptionReport><ServiceException>Camada desconhecida"
    "</ServiceException></ServiceExceptionReport>";

TEST(CheckedLayers, GroupsTheCheckedNamesByServiceInListOrder) {
    const std::vector<ServiceLayers> grouped = checkedLayersByService(
        {"http://a?", "http://b?", "http://c?"}, {{"1*Relevo,relevo", true},
                                                  {"0*Geologia, escala 1:1M,lito", true},
                                                  {"0*Falhas,falhas", false},
                                                  {"1*Drenagem,rios", true},
                                                  {"7*Fora da lista,x", true},
                                                  {"sem numero", true}});
    ASSERT_EQ(grouped.size(), 3u);
    EXPECT_EQ(grouped[0].layers, "lito");
    EXPECT_EQ(grouped[1].layers, "relevo,rios");
    EXPECT_TRUE(grouped[2].layers.isEmpty());
}

class ServicePicturesTest : public ::testing::Test {
protected:
    QString file(const char* name) const { return QDir(folder.path()).filePath(name); }
    QTemporaryDir folder;
    FakeDownloader downloader;
    const QSize area{300, 200};
    const mapcontrol::Rectangle extent{-50, -40, -10, -20};  // 10 wide, 10 high
};

TEST_F(ServicePicturesTest, OnlyServicesWithLayersAreAskedAndTheLastOneDecides) {
    downloader.answers[QStringLiteral("/bom")] = support::solidJpeg(Qt::black, {200, 200});
    ServicePicturesResult r =
        fetchServicePictures({{"http://h/bom?", "lito"}, {"http://h/vazio?", ""}}, extent, area,
                             OverlayMode::And, downloader, folder.path());
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(downloader.asked.size(), 1);
    EXPECT_TRUE(downloader.asked[0].startsWith("http://h/bom?service=WMS&&version=1.1.1"));
    // A square extent in 300 × 200: 200 × 200 at x 50, the rest white.
    EXPECT_EQ(r.combined.size(), area);
    EXPECT_EQ(qRed(r.combined.pixel(49, 100)), 255);
    EXPECT_LT(qRed(r.combined.pixel(50, 100)), 8);

    // A failing service after a good one: not ok, the good picture stays.
    r = fetchServicePictures({{"http://h/bom?", "lito"}, {"http://h/morto?", "x"}}, extent, area,
                             OverlayMode::And, downloader, folder.path());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.serverTexts.isEmpty());  // no answer, nothing of the server's to show
    EXPECT_LT(qRed(r.combined.pixel(100, 100)), 8);
    // None asked: not ok.
    r = fetchServicePictures({{"http://h/bom?", ""}}, extent, area, OverlayMode::And, downloader,
                             folder.path());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.anyAsked);
}

TEST_F(ServicePicturesTest, AnswersThatAreNotPicturesFailWithTheServersTextOnce) {
    downloader.answers[QStringLiteral("/erro")] = kException;
    downloader.answers[QStringLiteral("/html")] = "<html><head><title>Proxy</title></head></html>";
    downloader.answers[QStringLiteral("/enorme")] = support::solidJpeg(Qt::gray, {1300, 1300});
    const ServicePicturesResult r = fetchServicePictures(
        {{"http://h/erro?", "a"}, {"http://h/erro?", "b"}, {"http://h/enorme?", "c"}}, extent,
        {100, 100}, OverlayMode::And, downloader, folder.path());
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.serverTexts.size(), 2);
    EXPECT_TRUE(r.serverTexts[0].contains("Camada desconhecida"));
    // 1300 × 1300 is more than 8 × 100 × 100 pixels: refused, not decoded.
    EXPECT_FALSE(r.serverTexts[1].isEmpty());
    EXPECT_EQ(qRed(r.combined.pixel(50, 50)), 255);
}

TEST_F(ServicePicturesTest, ComposeSavesBothPicturesAndBlendsByLocalThemes) {
    QImage remote(area, QImage::Format_RGB32);
    remote.fill(QColor(200, 200, 200));
    int renders = 0;
    const auto local = [&renders](QSize size) {
        ++renders;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(100, 100, 100));
        return image;
    };
    Composite c = composeWithLocalMap(remote, true, local, folder.path());
    EXPECT_TRUE(c.blend.ok);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(qRed(c.shown.pixel(5, 5)), 150);
    EXPECT_EQ(qRed(QImage(file("temp.bmp")).pixel(5, 5)), 200);
    EXPECT_EQ(qRed(QImage(file("temp1.bmp")).pixel(5, 5)), 100);

    // Without local themes the previous remote picture is the background
    // and the new one shows at full opacity.
    QImage next(area, QImage::Format_RGB32);
    next.fill(QColor(0, 0, 0));
    c = composeWithLocalMap(next, false, local, folder.path());
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(qRed(QImage(file("temp1.bmp")).pixel(5, 5)), 200);
    EXPECT_EQ(qRed(c.shown.pixel(5, 5)), 200 + static_cast<int>(std::floor(-200 * 255 / 256.0)));
}

TEST_F(ServicePicturesTest, BlendFilesTakesMissingFilesAsBlank) {
    QImage dark(area, QImage::Format_RGB32);
    dark.fill(QColor(0, 0, 0));
    ASSERT_TRUE(dark.save(file("fox2.bmp"), "BMP"));
    const Composite c = blendFiles(file("fox1.bmp"), file("fox2.bmp"), 0.5, area);
    EXPECT_TRUE(c.blend.ok);
    EXPECT_EQ(c.shown.size(), area);
    EXPECT_EQ(qRed(c.shown.pixel(1, 1)), 127);  // black at 0.5 over blank white
    const Composite refused = blendFiles(file("fox1.bmp"), file("fox2.bmp"), 1.5, area);
    EXPECT_FALSE(refused.blend.ok);
}

}  // namespace
}  // namespace wms
