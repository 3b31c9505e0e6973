// Web map services asked for a projected map: in the map's own system when
// the service offers it, not at all (with a message) when it does not.
#include "app/main_window_fixture.h"
#include "mapcontrol/map_widget.h"
#include "support/http_server.h"
#include "support/mapserver.h"
#include "support/pictures.h"
#include "wms/picture_size.h"
#include "wms/wms_text.h"
#include "wms/wms_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>

namespace {

// A square of 200 km in UTM zone 23S around (-45°, -15°), the middle of the
// test server's large unit.
void writeUtmTheme(support::TempDrives& drives) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("SIGLA", 8).spatialReference(31983);
    b.feature(
        "POLYGON((400000 8250000,400000 8450000,600000 8450000,600000 8250000,"
        "400000 8250000))",
        {QString("utm")});
    QDir().mkpath(drives.root('D') + "/dados");
    ASSERT_TRUE(b.write(drives.root('D') + "/dados/utm.shp"));
    drives.writeFile("D:\\proj\\p.jjj", "utm.shp ,dados\\utm.shp\r\n");
}

std::string capabilitiesListing(const std::string& systems) {
    return "<?xml version=\"1.0\"?>\n<WMT_MS_Capabilities version=\"1.1.1\">\n<Capability>\n"
           "<Layer>\n<Title>Raiz</Title>\n" +
           systems +
           "\n<LatLonBoundingBox minx=\"-50\" miny=\"-20\" maxx=\"-40\" maxy=\"-10\" />\n"
           "<Layer queryable=\"1\">\n<Name>lito</Name>\n<Title>Geologia</Title>\n</Layer>\n"
           "</Layer>\n</Capability>\n</WMT_MS_Capabilities>\n";
}

support::HttpServer::Reply answer(std::string body, std::string type) {
    support::HttpServer::Reply r;
    r.body = std::move(body);
    r.contentType = std::move(type);
    return r;
}

class WmsProjectedMapTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        writeUtmTheme(drives);
    }

    // The UTM project shown, the services listed and their layers read,
    // every layer checked, the map's own extent chosen ("Atual").
    wms::WmsWindow& readServices(app::TForm1& w, const QStringList& addresses) {
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        w.button("BOTAO3")->click();
        wms::WmsWindow& wms = w.wmsWindow();
        wms.ListBox1->addItems(addresses);
        wms.SpeedButton2->click();
        for (int i = 0; i < wms.CheckListBox1->count(); ++i) {
            wms.CheckListBox1->item(i)->setCheckState(Qt::Checked);
        }
        wms.RadioGroup1->button(1)->click();
        return wms;
    }
};

}  // namespace

TEST_F(WmsProjectedMapTest, serviceListingTheMapsSystemIsAskedInItAndOneWithoutItIsNot) {
    support::HttpServer server;
    server.reply("/utm", answer(capabilitiesListing("<SRS>EPSG:4326</SRS>\n<SRS>EPSG:31983</SRS>"),
                                "application/vnd.ogc.wms_xml"));
    server.reply(
        "/geo", answer(capabilitiesListing("<SRS>EPSG:4326</SRS>"), "application/vnd.ogc.wms_xml"));
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    ASSERT_TRUE(w->state().mapSystem && w->state().mapSystem->isProjected());
    const QString utm = server.url("/utm?");
    const QString geo = server.url("/geo?");
    wms::WmsWindow& wms = readServices(*w, {utm, geo});
    ASSERT_EQ(wms.CheckListBox1->count(), 2);
    EXPECT_EQ(wms.listedSystems(utm), QStringList({"EPSG:4326", "EPSG:31983"}));
    server.reply("/utm",
                 answer(support::solidJpeg(QColor(200, 60, 40)).toStdString(), "image/jpeg"));
    server.reply("/geo", answer(support::solidJpeg(QColor(0, 0, 0)).toStdString(), "image/jpeg"));
    const qsizetype before = dialogs.messages().size();

    wms.SpeedButton1->click();

    // The service offering the map's system: its code and a box in metres.
    const std::vector<std::string> utmAsked = server.targetsStartingWith("/utm");
    ASSERT_EQ(utmAsked.size(), 2u);  // capabilities, then the map
    const mapcontrol::Rectangle& e = w->state().currentExtent;
    EXPECT_GT(e.left(), 100000.0);
    const wms::PictureSize size = wms::pictureSize(w->Map1->width(), w->Map1->height(), e);
    const QString expected =
        QStringLiteral(
            "/utm?service=WMS&&version=1.1.1&&request=GetMap&&layers=lito&&format="
            "image/jpeg&&srs=EPSG:31983&&bbox=%1&&width=%2&&height=%3&&styles=")
            .arg(wms::bboxText(e))
            .arg(size.width)
            .arg(size.height);
    EXPECT_EQ(QString::fromStdString(utmAsked[1]), expected);

    // The other is asked for nothing, and the user is told why.
    EXPECT_EQ(server.targetsStartingWith("/geo").size(), 1u);  // its capabilities only
    ASSERT_GT(dialogs.messages().size(), before);
    EXPECT_EQ(dialogs.messages()[before],
              QStringLiteral("O serviço %1 não oferece o sistema de coordenadas do mapa "
                             "(EPSG:31983, SIRGAS 2000 / UTM zone 23S); o mapa não foi pedido a "
                             "ele.")
                  .arg(geo));
}

TEST_F(WmsProjectedMapTest, realServerDrawsItsPictureWhereTheProjectedMapSays) {
    support::MapServer server;
    if (!server.available()) GTEST_SKIP() << server.skipReason().toStdString();
    ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    wms::WmsWindow& wms = readServices(*w, {server.baseAddress()});
    EXPECT_TRUE(wms.listedSystems(server.baseAddress()).contains("EPSG:31983"));
    // Only the geology, whose large unit covers the whole theme.
    for (int i = 0; i < wms.CheckListBox1->count(); ++i) {
        const bool geology = wms.CheckListBox1->item(i)->text().endsWith(
            QLatin1String(support::MapServer::kGeologyLayer));
        wms.CheckListBox1->item(i)->setCheckState(geology ? Qt::Checked : Qt::Unchecked);
    }
    ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    wms.SpeedButton1->click();
    ASSERT_TRUE(w->Image1->isVisible())
        << dialogs.messages().join("\n").toStdString() << server.logs().toStdString();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();

    // The theme's middle, (-45°, -15°) in metres, shows the unit's colour,
    // blended at half over the local theme's blue.
    const QPointF middle = w->Map1->toPixel({500000.0, 8341600.0});
    const QImage shown = w->Image1->pixmap().toImage();
    const QImage local = w->Map1->renderPicture(shown.size());
    const QRgb pixel = shown.pixel(int(middle.x()), int(middle.y()));
    const QRgb under = local.pixel(int(middle.x()), int(middle.y()));
    EXPECT_NEAR(qRed(pixel), (support::MapServer::kCentralColour[0] + qRed(under)) / 2, 16);
    EXPECT_NEAR(qGreen(pixel), (support::MapServer::kCentralColour[1] + qGreen(under)) / 2, 16);
    EXPECT_NEAR(qBlue(pixel), (support::MapServer::kCentralColour[2] + qBlue(under)) / 2, 16);
}
