// The fixed remote connections as the user runs them from the main window
// and the connections window, against the recording test server.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "output/zoom_window.h"
#include "platform/text_file.h"
#include "support/http_server.h"
#include "support/pictures.h"
#include "wms/connections_window.h"
#include "wms/fixed_connections.h"
#include "wms/map_list_panel.h"
#include "wms/wms_text.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

support::HttpServer::Reply picture(QColor colour) {
    support::HttpServer::Reply r;
    r.body = support::solidJpeg(colour).toStdString();
    r.contentType = "image/jpeg";
    return r;
}

class ConnectionsTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        const QString host = server.url(QString());
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         ("gateway_host=" + host + "\r\ngrids_wms_host=" + host +
                          "\r\ngeology_wms_host=" + host + "\r\nmosaic_wms_host=" + host + "\r\n")
                             .toLatin1());
        (void)platform::writeTextLines(
            QDir(drives.programFolder()).filePath("lista.txt"),
            {"Folha Goiania,1;SE22,-15.5,-50.5,-16.5,-49.5", "Outro mapa,7;BRASIL,-5,-60,-20,-45",
             "Folha com pesquisa,1;*88*SE23,-15,-47,-16,-46"});
    }

    std::unique_ptr<app::TForm1> started() {
        auto w = startWithTheme();
        QCoreApplication::processEvents();  // laid out at its size
        return w;
    }

    std::vector<std::string> asked(const std::string& path) const {
        return server.targetsStartingWith(path);
    }

    static void choose(QButtonGroup* group, int item) { group->button(item)->click(); }

    support::HttpServer server;
};

TEST_F(ConnectionsTest, hiddenControlsAreRevealedByTheMenuAndTheSecondDoubleClick) {
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    w->button("BOTAO2")->click();
    EXPECT_TRUE(c.form().isVisible());
    EXPECT_TRUE(c.up->isVisible());
    EXPECT_FALSE(c.SpeedButton37->isVisible());
    EXPECT_FALSE(c.RadioGroup2Box->isVisible());
    // A first double click hides "KESTRAM", the next one reveals everything.
    QTest::mouseDClick(w->centralWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(w->CheckBox1->isVisible());
    QTest::mouseDClick(w->centralWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(w->CheckBox1->isVisible());
    EXPECT_TRUE(c.SpeedButton37->isVisible());
    EXPECT_TRUE(c.RadioGroup2Box->isVisible());
    EXPECT_EQ(c.form().windowTitle(), "Quelvora  - Conexões - KESTRAM");
}

TEST_F(ConnectionsTest, reliefAsksItsPictureByteForByteAndEveryZoomAsksAgain) {
    server.reply("/cgi-bin/wmsserver/wmsRelevo", picture(QColor(120, 120, 120)));
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    w->findChild<QAction*>("Conexoes1")->trigger();
    choose(c.RadioGroup2, 3);
    EXPECT_EQ(w->state().connectionKind, 3);
    EXPECT_TRUE(c.SpeedButton37->isEnabled());
    c.SpeedButton37->click();
    const QSize area = w->Map1->size();
    ASSERT_EQ(asked("/cgi-bin/wmsserver/wmsRelevo").size(), 1u);
    EXPECT_EQ(asked("/cgi-bin/wmsserver/wmsRelevo").back(),
              ("/cgi-bin/wmsserver/wmsRelevo?service=WMS&&version=1.1.1&&request=GetMap&&layers="
               "relevo90&&format=image/jpeg&&srs=epsg:4326&&bbox=" +
               wms::bboxText(w->state().currentExtent).replace(" ", "%20") +
               "&&width=" + QString::number(area.width()) +
               "&&height=" + QString::number(area.height()) + "&&styles=")
                  .toStdString());
    EXPECT_TRUE(w->Image1->isVisible());
    EXPECT_TRUE(w->state().connectionMode);
    w->button("SpeedButton2")->click();  // zoom in: the same kind again
    EXPECT_EQ(asked("/cgi-bin/wmsserver/wmsRelevo").size(), 2u);

    // "Desconecta" returns to the live map.
    choose(c.RadioGroup2, 6);
    EXPECT_EQ(w->state().connectionKind, -1);
    EXPECT_EQ(c.kind(), -1);
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    EXPECT_FALSE(c.up->isEnabled());
}

TEST_F(ConnectionsTest, mapGroupsListTheirMapsAndAskWithTheThemesChecked) {
    server.reply("/cgi-bin/servpqd1.exe/acao2", picture(QColor(200, 40, 40)));
    server.reply("/cgi-bin/servpqd1.exe/acao4", picture(QColor(10, 10, 10)));
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    choose(c.RadioGroup2, 0);
    ASSERT_TRUE(w->Panel3->isVisible());
    EXPECT_TRUE(w->button("SpeedButton42")->isVisible());  // "Posição de coletores"
    EXPECT_FALSE(w->ck->isVisible());
    EXPECT_FALSE(c.SpeedButton37->isEnabled());  // no map chosen yet
    QComboBox* groups = w->Panel3->ComboBox2;
    ASSERT_EQ(groups->count(), 7);
    const int first = groups->findText(wms::mapGroupText(wms::mapGroups()[3]));
    ASSERT_GE(first, 0);  // "GEOLOGICOS-SIG-1:1.000.000", group 1
    groups->setCurrentIndex(first);
    w->ChooseMapGroup();
    QComboBox* maps = w->Panel3->ComboBox3;
    ASSERT_EQ(maps->count(), 3);  // the empty line and the group's two maps
    maps->setCurrentIndex(1);
    w->ChooseMap();
    EXPECT_TRUE(c.SpeedButton37->isEnabled());
    // The map's box, as the map shows it fitted to its window.
    EXPECT_EQ(w->state().currentExtent, w->Map1->extent());
    EXPECT_GE(w->state().currentExtent.top(), -15.5);
    EXPECT_LE(w->state().currentExtent.bottom(), -16.5);
    w->Panel3->Estradas->setChecked(true);
    w->Panel3->Cidades->setChecked(true);
    c.SpeedButton37->click();
    const QSize area = w->Map1->size();
    ASSERT_FALSE(asked("/cgi-bin/servpqd1.exe/acao2").empty());
    EXPECT_EQ(
        asked("/cgi-bin/servpqd1.exe/acao2").back(),
        ("/cgi-bin/servpqd1.exe/acao2?mapa=SE22_lito&&largura=" + QString::number(area.width()) +
         "&&altura=" + QString::number(area.height()) + "&&estrada=s&&municipal=s")
            .toStdString());
    EXPECT_TRUE(w->Image1->isVisible());
    EXPECT_FALSE(w->button("SpeedButton5")->isEnabled());
    // The map's legend at its own size.
    EXPECT_EQ(asked("/cgi-bin/servpqd1.exe/acao4").back(),
              "/cgi-bin/servpqd1.exe/acao4?mapa=SE22_lito&&composta=S&&ambos=s");
    EXPECT_TRUE(w->windows().window("TForm19")->isVisible());
    EXPECT_EQ(w->windows().window("TForm19")->windowTitle(), "Legenda de conexão");

    // The whole map presses connect again for the kind chosen.
    const std::size_t before = asked("/cgi-bin/servpqd1.exe/acao2").size();
    w->button("SpeedButton1")->click();
    EXPECT_EQ(asked("/cgi-bin/servpqd1.exe/acao2").size(), before + 1);
    EXPECT_TRUE(w->Panel3->isVisible());

    // "OUTROS MAPAS" asks without "_lito".
    groups->setCurrentIndex(groups->findText(wms::mapGroupText(wms::mapGroups()[6])));
    w->ChooseMapGroup();
    ASSERT_EQ(maps->count(), 2);
    maps->setCurrentIndex(1);
    w->ChooseMap();
    c.SpeedButton37->click();
    EXPECT_EQ(asked("/cgi-bin/servpqd1.exe/acao2").back(),
              ("/cgi-bin/servpqd1.exe/acao2?mapa=BRASIL&&largura=" + QString::number(area.width()) +
               "&&altura=" + QString::number(area.height()) + "&&estrada=s&&municipal=s")
                  .toStdString());
}

TEST_F(ConnectionsTest, mineralGridsKeepTheirLayerForTheNextNavigationStep) {
    server.reply("/cgi-bin/wmsserver/arim", picture(QColor(60, 160, 60)));
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    choose(c.RadioGroup2, 5);
    EXPECT_TRUE(c.RadioGroup1Box->isVisible());
    EXPECT_TRUE(c.SpeedButton1->isVisible());  // "Volta"
    choose(c.RadioGroup1, 4);                  // "Gride 100.000 gemas"
    c.SpeedButton37->click();
    EXPECT_EQ(c.mineralLayer(), -1);  // the choice is cleared after the request
    w->button("SpeedButton2")->click();
    const auto grids = asked("/cgi-bin/wmsserver/arim");
    ASSERT_EQ(grids.size(), 2u);
    for (const std::string& target : grids) {
        EXPECT_NE(target.find("&&layers=hierarquiva_gemas&&"), std::string::npos) << target;
    }
    EXPECT_TRUE(w->Image1->isVisible());
    c.SpeedButton1->click();  // "Volta"
    EXPECT_TRUE(c.RadioGroup2Box->isVisible());
    EXPECT_FALSE(c.RadioGroup1Box->isVisible());
}

TEST_F(ConnectionsTest, theWholeMapWithoutAConnectionHidesThePanelAndGivesTheMenusBack) {
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    choose(c.RadioGroup2, 0);
    ASSERT_TRUE(w->Panel3->isVisible());
    c.clearKind();
    w->state().connectionKind = -1;
    w->findChild<QAction*>("Zoom_coord1")->setEnabled(false);
    c.up->setEnabled(true);
    w->button("SpeedButton1")->click();
    EXPECT_FALSE(w->Panel3->isVisible());
    EXPECT_FALSE(c.up->isEnabled());
    EXPECT_TRUE(c.SpeedButton37->isEnabled());
    EXPECT_TRUE(w->findChild<QAction*>("Zoom_coord1")->isEnabled());
}

TEST_F(ConnectionsTest, aFailedRequestReturnsToTheMapAndClearsTheKind) {
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    choose(c.RadioGroup2, 2);  // nothing answers the geology map
    EXPECT_TRUE(c.SpeedButton41->isEnabled());
    c.SpeedButton37->click();
    EXPECT_EQ(dialogs.lastMessage(), "Não foi realizada conexão, verifique a Internet");
    EXPECT_EQ(w->state().connectionKind, -1);
    EXPECT_EQ(c.kind(), -1);
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    EXPECT_FALSE(w->button("M2")->isEnabled());
    // The local map comes back with its tools and menus.
    EXPECT_TRUE(w->button("SpeedButton5")->isEnabled());
    EXPECT_TRUE(w->findChild<QAction*>("Zoom_coord1")->isEnabled());
    EXPECT_TRUE(w->findChild<QMenu*>("Pesq1")->menuAction()->isEnabled());
}

TEST_F(ConnectionsTest, vectorOpensTheFeatureRequestInTheBrowserAndZoomRefusesExport) {
    auto w = started();
    QStringList opened;
    w->setBrowserLauncher([&opened](const QString& url) { opened << url; });
    wms::ConnectionsWindow& c = w->connectionsWindow();
    choose(c.RadioGroup2, 2);
    c.SpeedButton41->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], wms::vectorUrl(server.url(QString()), w->Map1->extent()));
    EXPECT_TRUE(opened[0].contains("typename=BRA_KXT_1M_BLS&&filter=<FILTER><BBOX>"));

    c.SpeedButton40->click();
    EXPECT_EQ(dialogs.lastMessage(), app::TForm1::kZoomWithoutExport);
    EXPECT_FALSE(w->zoomWindow().SpeedButton2->isEnabled());
    EXPECT_TRUE(w->windows().window("TForm14")->isVisible());
}

TEST_F(ConnectionsTest, theMosaicsJpegErrorsHaveTheirOwnMessages) {
    // A JPEG stream without its quantisation table.
    QByteArray bytes = support::solidJpeg(QColor(30, 90, 150));
    const qsizetype dqt = bytes.indexOf(QByteArray("\xFF\xDB", 2));
    ASSERT_GT(dqt, 0);
    const int length = (uchar(bytes[dqt + 2]) << 8) | uchar(bytes[dqt + 3]);
    bytes.remove(dqt, 2 + length);
    support::HttpServer::Reply broken;
    broken.body = bytes.toStdString();
    broken.contentType = "image/jpeg";
    server.reply("/wms.cgi", broken);
    auto w = started();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    choose(c.RadioGroup2, 1);
    EXPECT_TRUE(c.radiogroup5Box->isVisible());
    choose(c.radiogroup5, 1);  // "Composta"
    c.SpeedButton37->click();
    EXPECT_TRUE(dialogs.messages().contains("Tente novamente..."))
        << dialogs.messages().join("|").toStdString();
    EXPECT_NE(QString::fromStdString(server.targets().back())
                  .indexOf("&layers=global_mosaic&styles=&srs=EPSG:4326&format=image/jpeg&bbox="),
              -1);
    // "Volta" of the types goes back to the kinds with nothing chosen.
    choose(c.radiogroup5, 3);
    EXPECT_FALSE(c.radiogroup5Box->isVisible());
    EXPECT_EQ(c.kind(), -1);
}

}  // namespace
