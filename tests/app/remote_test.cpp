// The remote database linkage and collector tracking as the user runs them
// from the main window: record pages from identify with "KESTRAM" on, Busca
// Kestram, the area search of the map-group connection, the external
// viewer, and collectors drawn at each tick.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "platform/web_view.h"
#include "query/identify_tool.h"
#include "remote/collectors_window.h"
#include "remote/link_state.h"
#include "remote/urls.h"
#include "support/http_server.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

class RemoteTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         ("gateway_host=" + server.url(QString()) +
                          "\r\nweb_viewer_host=http://visor.example\r\n")
                             .toLatin1());
    }

    // A project of one theme written by `b` at dados\<name>.shp, shown on
    // its data with "KESTRAM" on and the record pages' host set.
    std::unique_ptr<app::TForm1> startOn(fixtures::ShapefileBuilder& b, const QString& name) {
        QDir().mkpath(drives.root('D') + "/dados");
        EXPECT_TRUE(b.write(drives.root('D') + "/dados/" + name + ".shp"));
        project((name + ".shp ,dados\\" + name + ".shp\r\n").toLatin1());
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        w->show();
        QCoreApplication::processEvents();
        w->Map1->setExtent(mapcontrol::Rectangle(-48, -46, -14, -16));
        w->state().gatewayLine = QStringLiteral("kestram.example:8080");
        w->CheckBox1->setEnabled(true);
        w->CheckBox1->setChecked(true);
        w->button("SpeedButton6")->setChecked(true);
        return w;
    }

    // A left press of the identify tool at the map point (x, y).
    static void identifyAt(app::TForm1& w, double x, double y) {
        const QPointF p = w.Map1->toPixel({x, y});
        w.navigation().mousePress(Qt::LeftButton, static_cast<int>(std::lround(p.x())),
                                  static_cast<int>(std::lround(p.y())));
    }

    support::HttpServer server;
};

TEST_F(RemoteTest, aSinglePointSampleOpensItsGeochemistryPage) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
    b.textField("N_LAB", 10).textField("LATITUDE", 12).textField("LONGITUDE", 12);
    b.feature("POINT(-47 -15)", {QString("AB-123"), QString("-15.0"), QString("-47.0")});
    auto w = startOn(b, "amostras");
    identifyAt(*w, -47, -15);
    const remote::LinkState& link = w->linkState();
    EXPECT_EQ(link.recordKind, "GEOQUIMICA");
    EXPECT_EQ(link.key, "AB-123");
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_EQ(w->recordView().address(),
              "http:\\\\kestram.example:8080\\pls\\publico\\geoq.geoquimica.cadastro?p_amostra="
              "AB-123&p_lat_dec=-15.0&p_long_dec=-47.0");
}

TEST_F(RemoteTest, anIndexSheetMarkedNIsNotInTheDatabase) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("INDICE", 10).textField("KESTRAM", 2);
    b.feature("POLYGON((-48 -16,-48 -14,-46 -14,-46 -16,-48 -16))",
              {QString("SE22"), QString("N")});
    auto w = startOn(b, "folhas");
    identifyAt(*w, -47, -15);
    EXPECT_EQ(dialogs.lastMessage(), remote::kNotInDatabaseMessage);
    EXPECT_FALSE(w->windows().window("TForm16")->isVisible());
}

TEST_F(RemoteTest, severalUnitsShowBuscaKestramWhichOpensTheShownUnitsPage) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("SIGLA_UNID", 10);
    b.feature("POLYGON((-48 -16,-48 -14,-46 -14,-46 -16,-48 -16))", {QString("NP1")});
    b.feature("POLYGON((-47.5 -15.5,-47.5 -14.5,-46.5 -14.5,-46.5 -15.5,-47.5 -15.5))",
              {QString("K2")});
    auto w = startOn(b, "geologia");
    identifyAt(*w, -47, -15);
    query::IdentifyTool& id = w->identify();
    ASSERT_TRUE(id.BuscaKestram->isVisible());
    EXPECT_TRUE(w->windows().window("TForm2")->isVisible());
    id.showRecord(1);
    id.BuscaKestram->click();
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_EQ(w->recordView().address(),
              "http:\\\\kestram.example:8080\\pls\\vorn\\kestram.litoestratigrafia.cadastro?"
              "p_sigla= K2");
}

TEST_F(RemoteTest, theMapGroupConnectionsQueryIsTheRemoteAreaSearchAndTheViewerOpensOutside) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("SIGLA_UNID", 10);
    b.feature("POLYGON((-48 -16,-48 -14,-46 -14,-46 -16,-48 -16))", {QString("NP1")});
    auto w = startOn(b, "geologia");
    w->state().connectionKind = 0;
    w->button("SpeedButton10")->click();
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_EQ(w->recordView().address(),
              remote::areaSearchUrl(server.url(QString()), w->Map1->fullExtent()));
    EXPECT_TRUE(
        w->recordView().address().contains("&p_lonsup=-48.000000000&p_latinf=-16.000000000"));

    QStringList opened;
    w->setBrowserLauncher([&opened](const QString& url) { opened << url; });
    w->button("arcgisserver")->click();
    EXPECT_EQ(opened, QStringList{"http://visor.example/ViewerWEB/index_quelvora.html"});
    EXPECT_TRUE(w->windows().window("TForm17")->isVisible());
}

TEST_F(RemoteTest, eachTickDrawsTheCollectorsPositionsInTheirColours) {
    support::HttpServer::Reply positions;
    positions.body = "coletor,-15.0,-47.0\r\n";
    server.reply("/cgi-bin/localiza.exe/mandalista", positions);
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("SIGLA_UNID", 10);
    b.feature("POLYGON((-48 -16,-48 -14,-46 -14,-46 -16,-48 -16))", {QString("NP1")});
    auto w = startOn(b, "geologia");
    remote::CollectorsWindow& c = w->collectorsWindow();
    c.Memo1->setPlainText("c 1,verde");
    w->CollectorTick();
    ASSERT_FALSE(server.targets().empty());
    EXPECT_EQ(server.targets().back(), "/cgi-bin/localiza.exe/mandalista?lista=c%201");
    EXPECT_TRUE(w->Image1->isVisible());
    EXPECT_TRUE(c.CheckBox1->isChecked());
    const QPointF p = w->Map1->toPixel({-47, -15});
    const QRgb drawn = w->Image1->pixmap().toImage().pixel(static_cast<int>(std::lround(p.x())),
                                                           static_cast<int>(std::lround(p.y())));
    EXPECT_EQ(qGreen(drawn), 128);
    EXPECT_EQ(qRed(drawn), 0);

    // "Conecta" starts the timer at the interval; 0 at a tick stops it.
    c.Edit2->setText("3000");
    c.Conecta->click();
    EXPECT_TRUE(w->state().collectorTimerActive);
    EXPECT_EQ(c.Timer1->interval(), 3000);
    // Navigation pauses the tracking and starts it again; identify armed
    // stops it until its click.
    w->button("SpeedButton2")->click();
    EXPECT_TRUE(c.Timer1->isActive());
    w->button("SpeedButton6")->click();
    EXPECT_FALSE(c.Timer1->isActive());
    w->navigation().mousePress(Qt::LeftButton, 5, 5);
    EXPECT_TRUE(c.Timer1->isActive());
    c.Edit2->setText("0");
    w->CollectorTick();
    EXPECT_FALSE(c.Timer1->isActive());
    c.Desconecta->click();
    EXPECT_FALSE(w->state().collectorTimerActive);
    EXPECT_FALSE(c.CheckBox1->isChecked());
}

}  // namespace
