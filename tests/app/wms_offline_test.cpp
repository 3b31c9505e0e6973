// Work without a network: the pictures and documents of the web map services
// kept while the server answered stand in, cut to the view, once it is gone.
#include "app/main_window_fixture.h"
#include "mapcontrol/map_widget.h"
#include "net/download.h"
#include "net/picture_cache.h"
#include "platform/status_line.h"
#include "support/http_server.h"
#include "support/mapserver.h"
#include "support/pictures.h"
#include "wms/picture_size.h"
#include "wms/urls.h"
#include "wms/wms_window.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QToolButton>

#include <optional>

namespace {

const QString kNoConnection = "Não foi realizada conexão, verifique a Internet";
const QString kKeptNotice = "Sem conexão: imagem guardada em ";

class WmsOfflineTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        server.emplace();
        if (!server->available()) GTEST_SKIP() << server->skipReason().toStdString();
        ASSERT_TRUE(server->isRunning()) << server->startError().toStdString();
        QDir().mkpath(drives.programFolder());
    }

    void settings(const QByteArray& lines) {
        drives.writeFile("C:\\xquelvora\\quelvora.conf", lines);
    }

    // The geology layer of the server read, checked and shown.
    std::unique_ptr<app::TForm1> showGeology() {
        auto w = startWithWmsService(server->baseAddress());
        wms::WmsWindow& wms = w->wmsWindow();
        const int geology = wmsLayerRow(wms, "0*Geologia,lito_1000000");
        EXPECT_GE(geology, 0);
        if (geology >= 0) wms.CheckListBox1->item(geology)->setCheckState(Qt::Checked);
        wms.SpeedButton1->click();
        EXPECT_TRUE(w->Image1->isVisible()) << dialogs.messages().join("\n").toStdString();
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
        EXPECT_FALSE(w->statusLine().text().startsWith(kKeptNotice));
        return w;
    }

    QString cacheFolder() const { return config.cacheFolder; }
    QStringList cacheFiles() const { return QDir(cacheFolder()).entryList({"*.dat"}, QDir::Files); }

    // The server's own picture of the main window's view, as the refresh
    // places it: asked of a fresh server with the same data.
    QImage serversPictureOf(app::TForm1& w) {
        support::MapServer fresh;
        EXPECT_TRUE(fresh.isRunning()) << fresh.startError().toStdString();
        const QSize area = w.Map1->size();
        const mapcontrol::Rectangle extent = w.state().currentExtent;
        const wms::PictureSize size = wms::pictureSize(area.width(), area.height(), extent);
        const QString path = QDir(drives.programFolder()).filePath("referencia.jpg");
        const platform::Result got =
            net::DownloadToFile(wms::getMapUrl(fresh.baseAddress(), "lito_1000000", extent,
                                               size.width, size.height, "EPSG:4326"),
                                path);
        EXPECT_TRUE(got) << got.detail.toStdString();
        QImage picture(area, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.drawImage(QPoint(size.x, size.y), QImage(path));
        return picture;
    }

    // Mean difference per channel of two pictures of the same size (0-255).
    static double meanDifference(const QImage& a, const QImage& b) {
        EXPECT_EQ(a.size(), b.size());
        double sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                       std::abs(qBlue(p) - qBlue(q));
            }
        }
        return sum / (3.0 * a.width() * a.height());
    }

    void expectKeptPictureOfTheView(app::TForm1& w, const char* step) {
        SCOPED_TRACE(step);
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
        EXPECT_TRUE(w.Image1->isVisible());
        EXPECT_TRUE(w.statusLine().text().startsWith(kKeptNotice))
            << w.statusLine().text().toStdString();
        const QImage shown = w.Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        shownPictures.push_back({shown, w.state().currentExtent});
    }

    std::optional<support::MapServer> server;
    std::vector<std::pair<QImage, mapcontrol::Rectangle>> shownPictures;
};

TEST_F(WmsOfflineTest, zoomPanAndWholeMapShowKeptPicturesCutToTheViewWithTheirTime) {
    auto w = showGeology();
    ASSERT_FALSE(cacheFiles().isEmpty());
    server.reset();  // the network is gone

    w->button("SpeedButton2")->click();  // zoom in
    expectKeptPictureOfTheView(*w, "zoom in");
    const mapcontrol::Rectangle e = w->Map1->extent();
    const double dx = e.width() / 10;
    const double dy = e.height() / 12;
    // Where a pan's drag leaves the map, then the refresh it ends with.
    w->Map1->setExtent(
        mapcontrol::Rectangle(e.left() + dx, e.right() + dx, e.top() - dy, e.bottom() - dy));
    w->state().currentExtent = w->Map1->extent();
    w->RefreshRemoteImage();
    expectKeptPictureOfTheView(*w, "pan");
    w->button("SpeedButton1")->click();  // the whole map
    expectKeptPictureOfTheView(*w, "whole map");
    EXPECT_EQ(w->statusLine().text().size(), kKeptNotice.size() + 16);  // dd/MM/yyyy HH:mm

    ASSERT_EQ(shownPictures.size(), 3u);
    for (const auto& [shown, extent] : shownPictures) {
        w->state().currentExtent = extent;
        const double difference = meanDifference(shown, serversPictureOf(*w));
        EXPECT_LT(difference, 6.0) << extent.left() << " " << extent.top();
    }
}

TEST_F(WmsOfflineTest, layersAreReadFromTheKeptCapabilitiesWhenTheServerIsGone) {
    auto w = showGeology();
    server.reset();
    wms::WmsWindow& wms = w->wmsWindow();
    wms.SpeedButton2->click();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    QStringList entries;
    for (int i = 0; i < wms.CheckListBox1->count(); ++i) {
        entries << wms.CheckListBox1->item(i)->text();
    }
    EXPECT_TRUE(entries.contains("0*Geologia,lito_1000000")) << entries.join(";").toStdString();
    EXPECT_TRUE(w->statusLine().text().startsWith(kKeptNotice));
}

TEST_F(WmsOfflineTest, aViewOutsideEverythingKeptRunsTheFailurePath) {
    auto w = showGeology();
    server.reset();
    w->button("SpeedButton2")->click();
    ASSERT_TRUE(w->statusLine().text().startsWith(kKeptNotice));
    // The notice of the kept picture goes with it.
    w->Map1->setExtent(mapcontrol::Rectangle(-80, -70, 10, 0));
    w->state().currentExtent = w->Map1->extent();
    w->RefreshRemoteImage();
    EXPECT_EQ(dialogs.messages(), QStringList({kNoConnection}));
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->statusLine().text().startsWith(kKeptNotice));
}

TEST_F(WmsOfflineTest, aDamagedKeptPictureIsRemovedAndTheFailurePathRuns) {
    auto w = showGeology();
    server.reset();
    for (const QString& name : cacheFiles()) {
        QFile file(QDir(cacheFolder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        file.write("damage");
    }
    const int damaged = cacheFiles().size();  // the capabilities and the map
    w->button("SpeedButton2")->click();
    EXPECT_EQ(dialogs.messages(), QStringList({kNoConnection}));
    EXPECT_FALSE(w->statusLine().text().startsWith(kKeptNotice));
    EXPECT_EQ(cacheFiles().size(), damaged - 1);

    // The damaged capabilities go the same way when they are looked up.
    w->wmsWindow().SpeedButton2->click();
    EXPECT_EQ(dialogs.messages().last(), "Problemas com a conexão - verifique!");
    EXPECT_EQ(w->wmsWindow().CheckListBox1->count(), 0);
    EXPECT_TRUE(cacheFiles().isEmpty());
}

TEST_F(WmsOfflineTest, theLimitFromTheSettingsHoldsAndDropsTheOldestPicture) {
    settings("cache_max_bytes=16000\n");  // room for about two of its pictures
    auto w = showGeology();
    const QStringList first = cacheFiles();
    ASSERT_FALSE(first.isEmpty());
    for (int i = 0; i < 4; ++i) {
        w->button("SpeedButton2")->click();  // each zoom keeps another picture
        ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    }
    const QStringList last = cacheFiles();
    qint64 total = 0;
    for (const QFileInfo& info : QDir(cacheFolder()).entryInfoList(QDir::Files)) {
        total += info.size();
    }
    QStringList sizes;
    for (const QFileInfo& info : QDir(cacheFolder()).entryInfoList(QDir::Files)) {
        sizes << QString::number(info.size());
    }
    EXPECT_LE(total, 16000) << sizes.join(" ").toStdString();
    EXPECT_GE(last.size(), 1);
    EXPECT_LT(last.size(), 5) << sizes.join(" ").toStdString();
    for (const QString& name : first) {
        EXPECT_FALSE(last.contains(name)) << name.toStdString();  // the capabilities and first map
    }
}

TEST_F(WmsOfflineTest, switchedOffNothingIsKeptAndNothingStandsIn) {
    settings("cache_enabled=0\n");
    auto w = showGeology();
    EXPECT_TRUE(cacheFiles().isEmpty());
    server.reset();
    w->button("SpeedButton2")->click();
    EXPECT_EQ(dialogs.messages(), QStringList({kNoConnection}));
}

TEST_F(WmsOfflineTest, anAreaSavedForTheFieldWorksOfflineThroughFiveZoomsAndPans) {
    auto w = showGeology();
    const QToolButton* save = w->wmsWindow().GuardaCampo;
    EXPECT_EQ(save->text(), "Guardar área para campo");
    w->wmsWindow().GuardaCampo->click();
    ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    EXPECT_EQ(w->statusLine().text(), "Área guardada para campo: 74 imagens");
    server.reset();

    for (int i = 0; i < 5; ++i) {
        w->button("SpeedButton2")->click();  // zoom in
        expectKeptPictureOfTheView(*w, "zoom in");
        const mapcontrol::Rectangle e = w->Map1->extent();
        const double dx = (i % 2 ? -1 : 1) * e.width() / 8;
        const double dy = (i % 2 ? 1 : -1) * e.height() / 8;
        w->Map1->setExtent(
            mapcontrol::Rectangle(e.left() + dx, e.right() + dx, e.top() + dy, e.bottom() + dy));
        w->state().currentExtent = w->Map1->extent();
        w->RefreshRemoteImage();
        expectKeptPictureOfTheView(*w, "pan");
    }
    ASSERT_EQ(shownPictures.size(), 10u);
    // The deepest view, a third of the area's width, is as sharp as the
    // server's own picture of it.
    w->state().currentExtent = shownPictures.back().second;
    EXPECT_LT(meanDifference(shownPictures.back().first, serversPictureOf(*w)), 4.0);
}

TEST_F(WmsOfflineTest, savingTheAreaForTheFieldAsksForLayersFirst) {
    auto w = start();
    w->wmsWindow().GuardaCampo->click();
    EXPECT_EQ(dialogs.messages(), QStringList({app::TForm1::kFieldNeedsLayers}));
}

// A server that answers with an error is reached: its answer is what the
// user sees, never a kept picture.
TEST(WmsKeptPictures, anErrorAnswerOfAServerThatIsUpDoesNotUseTheKeptPicture) {
    support::TempDrives drives;
    support::ScriptedDialogs dialogs;
    support::HttpServer http;
    QDir().mkpath(drives.programFolder());
    http.reply("/wms", {200, support::solidJpeg(Qt::blue, {100, 100}).toStdString(), "image/jpeg"});
    const platform::Configuration config = platform::loadConfiguration(drives.environment());
    app::TForm1 w(app::TForm1::Surroundings{
        config, dialogs, [] { return support::kEnoughMemory; }, {"quelvora"}});
    ASSERT_TRUE(w.startUp());
    w.resize(900, 700);
    w.show();
    wms::WmsWindow& wms = w.wmsWindow();
    wms.ListBox1->addItem(http.url("/wms?"));
    auto* item = new QListWidgetItem("0*Geologia,lito", wms.CheckListBox1);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    wms.Edit2->setText("-10");
    wms.Edit3->setText("-20");
    wms.Edit4->setText("-40");
    wms.Edit5->setText("-50");
    wms.SpeedButton1->click();
    ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    ASSERT_FALSE(w.pictureCache().entries().empty());

    http.reply("/wms", {500, "<html><body>Falha interna do servidor</body></html>", "text/html"});
    w.button("SpeedButton2")->click();
    EXPECT_EQ(dialogs.messages(), QStringList({kNoConnection}));
    EXPECT_FALSE(w.statusLine().text().startsWith(kKeptNotice));
}

}  // namespace
