// What the remote commands leave behind for the next one: "Volta" leaves no
// connection kind, a failed index map leaves no sheet look-up, a chosen
// map's picture is asked for the extent the map shows, and every identify
// with "KESTRAM" on loads its own record page.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "platform/text_file.h"
#include "platform/web_view.h"
#include "support/fixtures/shapefile_builder.h"
#include "support/http_server.h"
#include "support/pictures.h"
#include "wms/connections_window.h"
#include "wms/fixed_connections.h"
#include "wms/map_list_panel.h"
#include "wms/wms_text.h"
#include "wms/wms_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QToolButton>

#include <cmath>

namespace {

support::HttpServer::Reply picture() {
    support::HttpServer::Reply r;
    r.body = support::solidJpeg(QColor(120, 120, 120)).toStdString();
    r.contentType = "image/jpeg";
    return r;
}

class ConnectionState : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        const QString host = server.url(QString());
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         ("gateway_host=" + host + "\r\ngrids_wms_host=" + host +
                          "\r\nmosaic_wms_host=" + host + "\r\n")
                             .toLatin1());
        // A sheet twice as wide as high: the map widens it to its own shape.
        (void)platform::writeTextLines(QDir(drives.programFolder()).filePath("lista.txt"),
                                       {"Folha larga,1;SE22,-15,-51,-16,-49"});
    }

    std::unique_ptr<app::TForm1> started() {
        auto w = startWithTheme();
        QCoreApplication::processEvents();
        return w;
    }

    static void choose(QButtonGroup* group, int item) { group->button(item)->click(); }

    static void chooseTheSheet(app::TForm1& w) {
        choose(w.connectionsWindow().RadioGroup2, 0);
        QComboBox* groups = w.Panel3->ComboBox2;
        groups->setCurrentIndex(groups->findText(wms::mapGroupText(wms::mapGroups()[3])));
        w.ChooseMapGroup();
        w.Panel3->ComboBox3->setCurrentIndex(1);
        w.ChooseMap();
    }

    support::HttpServer server;
};

TEST_F(ConnectionState, voltaLeavesNoKindSoConnectAndNavigationAskNothing) {
    server.reply("/wms.cgi", picture());
    server.reply("/cgi-bin/wmsserver/arim", picture());
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    w->RevealConnections();

    choose(c.RadioGroup2, 1);  // "Imagem-cont."
    ASSERT_EQ(w->state().connectionKind, 1);
    choose(c.radiogroup5, 3);  // its "Volta"
    EXPECT_EQ(w->state().connectionKind, -1);
    c.SpeedButton37->click();            // "Conecta"
    w->button("SpeedButton2")->click();  // zoom in
    EXPECT_TRUE(server.targets().empty());
    EXPECT_TRUE(w->Map1->isVisible());

    // The mineral grids' "Volta" the same, also after a picture was shown.
    choose(c.RadioGroup2, 5);
    choose(c.RadioGroup1, 4);
    c.SpeedButton37->click();
    ASSERT_EQ(server.targets().size(), 1u);
    c.SpeedButton1->click();  // "Volta"
    EXPECT_EQ(w->state().connectionKind, -1);
    c.SpeedButton37->click();
    w->button("SpeedButton2")->click();
    EXPECT_EQ(server.targets().size(), 1u);
    // Chosen again, the grids wait for a layer of their own.
    choose(c.RadioGroup2, 5);
    c.SpeedButton37->click();
    EXPECT_EQ(server.targets().size(), 1u);
}

TEST_F(ConnectionState, aFailedIndexMapLeavesNoSheetLookUpOnTheLocalMap) {
    auto w = started();                     // the gateway answers 404
    w->wmsWindow().SpeedButton16->click();  // "Mapa indice"
    EXPECT_EQ(dialogs.lastMessage(), app::TForm1::kNoConnectionMessage);
    EXPECT_FALSE(w->state().indexMapMode);
    EXPECT_FALSE(w->state().indexClickLookup);
    ASSERT_TRUE(w->Map1->isVisible());
    QWidget* wmsForm = w->windows().window("TForm24");
    wmsForm->hide();
    const std::size_t before = server.targets().size();
    w->navigation().mousePress(Qt::LeftButton, 40, 40);
    EXPECT_TRUE(server.targetsStartingWith("/cgi-bin/servpqd1.exe/obtem").empty());
    EXPECT_EQ(server.targets().size(), before);
    EXPECT_FALSE(wmsForm->isVisible());
}

TEST_F(ConnectionState, aChosenMapIsAskedForTheExtentTheMapShows) {
    server.reply("/cgi-bin/wmsserver/wmsRelevo", picture());
    auto w = started();
    chooseTheSheet(*w);
    const mapcontrol::Rectangle shown = w->Map1->extent();
    // The map fitted the sheet's box to its window: taller than the box.
    ASSERT_GT(shown.top() - shown.bottom(), 1.05);
    EXPECT_EQ(w->state().currentExtent, shown);

    choose(w->connectionsWindow().RadioGroup2, 3);  // "Relevo 90m" for the same place
    w->connectionsWindow().SpeedButton37->click();
    const auto asked = server.targetsStartingWith("/cgi-bin/wmsserver/wmsRelevo");
    ASSERT_EQ(asked.size(), 1u);
    const std::string box =
        "&&bbox=" + wms::bboxText(shown).replace(" ", "%20").toStdString() + "&&";
    EXPECT_NE(asked[0].find(box), std::string::npos) << asked[0];
}

TEST_F(ConnectionState, everyIdentifyLoadsItsOwnRecordPageInAWindowLeftOpen) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
    b.textField("N_LAB", 10).textField("LATITUDE", 12).textField("LONGITUDE", 12);
    b.feature("POINT(-47.5 -15.5)", {QString("AB-1"), QString("-15.5"), QString("-47.5")});
    b.feature("POINT(-46.5 -14.5)", {QString("AB-2"), QString("-14.5"), QString("-46.5")});
    QDir().mkpath(drives.root('D') + "/dados");
    ASSERT_TRUE(b.write(drives.root('D') + "/dados/amostras.shp"));
    project("amostras.shp ,dados\\amostras.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    w->show();
    QCoreApplication::processEvents();
    w->Map1->setExtent(mapcontrol::Rectangle(-48, -46, -14, -16));
    w->state().gatewayLine = QStringLiteral("kestram.example");
    w->CheckBox1->setEnabled(true);
    w->CheckBox1->setChecked(true);
    w->button("SpeedButton6")->setChecked(true);
    const auto identifyAt = [&w](double x, double y) {
        const QPointF p = w->Map1->toPixel({x, y});
        w->navigation().mousePress(Qt::LeftButton, static_cast<int>(std::lround(p.x())),
                                   static_cast<int>(std::lround(p.y())));
    };
    const QString page =
        "http:\\\\kestram.example\\pls\\publico\\geoq.geoquimica.cadastro?p_amostra=%1"
        "&p_lat_dec=%2&p_long_dec=%3";
    identifyAt(-47.5, -15.5);
    ASSERT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_EQ(w->recordView().address(), page.arg("AB-1", "-15.5", "-47.5"));
    identifyAt(-46.5, -14.5);  // the window is still open
    EXPECT_EQ(w->recordView().address(), page.arg("AB-2", "-14.5", "-46.5"));
}

}  // namespace
