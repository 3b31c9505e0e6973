// The remote database search as the user runs it from the main window: the
// search window opened on the record window's page, its plot over a WMS
// picture and again after each navigation step, the map-group picture asked
// with the search, the spreadsheet copy, the list of the search's points,
// refusals that leave everything as it was, and the GeoSciML window.
#include "remote/search_plot.h"
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
#include "wms/wms_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

support::HttpServer::Reply answer(std::string body, std::string type) {
    support::HttpServer::Reply r;
    r.body = std::move(body);
    r.contentType = std::move(type);
    return r;
}

// A search page whose fourth line names the result file after 11 characters.
QByteArray searchPage(const QByteArray& fourthLine) {
    return "<html>\r\n<head><title>Pesquisa</title></head>\r\n<body>\r\n" + fourthLine +
           "\r\n<p>3 pontos</p>\r\n</body>\r\n</html>\r\n";
}

const char* const kResultPath = "/cgi-bin/servpqd1.exe/acao7";

class SearchPlotTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         ("gateway_host=" + server.url(QString()) + "\r\n").toLatin1());
        (void)platform::writeTextLines(programFile("lista.txt"),
                                       {"Folha com pesquisa,1;*88*SE23,-15,-48,-16,-46"});
        server.reply(kResultPath, answer("AMOSTRA,LATITUDE,LONGITUDE,TEOR\r\n"
                                         "QV-1,-6.0,-47.0,2.5\r\n"
                                         "QV-2,-6.5,-47.5,0.75\r\n",
                                         "text/plain"));
    }

    QString programFile(const QString& name) const {
        return QDir(drives.programFolder()).filePath(name);
    }

    std::vector<std::string> asked(const std::string& path) const {
        return server.targetsStartingWith(path);
    }

    // The main window showing a WMS picture of one grey service over
    // north -5, south -7, east -46, west -48; with `localTheme`, over a
    // project of one polygon theme reaching a little past that box.
    std::unique_ptr<app::TForm1> startWithWmsPicture(bool localTheme = false) {
        server.reply("/wms1",
                     answer(support::solidJpeg(QColor(200, 200, 200)).toStdString(), "image/jpeg"));
        std::unique_ptr<app::TForm1> w;
        if (localTheme) {
            fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
            b.textField("SIGLA", 8);
            b.feature("POLYGON((-48.5 -7.5,-48.5 -5,-46 -5,-46 -7.5,-48.5 -7.5))", {QString("A")});
            QDir().mkpath(drives.root('D') + "/dados");
            EXPECT_TRUE(b.write(drives.root('D') + "/dados/geo.shp"));
            project("geo.shp ,dados\\geo.shp\r\n");
            w = start({"quelvora", "*D:\\proj\\p.jjj"});
        } else {
            w = start();
        }
        showWmsPicture(*w, server.url("/wms1?map=teste.map&"));
        EXPECT_TRUE(w->state().wmsActive);
        return w;
    }

    // The search window opened on `page`, shown by the record window.
    static void openSearchOn(app::TForm1& w, const QByteArray& page) {
        w.recordView().setContent("http://gateway/pls/publico/kestram.consultas.resultado", page);
        w.Panel3->PlotaPesquisa->click();
    }

    static QPushButton* searchButton(app::TForm1& w, const char* name) {
        return w.windows().window("TForm20")->findChild<QPushButton*>(name);
    }

    // Where the result file's points are drawn on the picture now shown.
    static QPoint centreOf(app::TForm1& w, double latitude, double longitude) {
        const auto frame = remote::PlotFrame::make(w.Map1->extent(), w.Image1->pixmap().size());
        EXPECT_TRUE(frame.has_value());
        return frame->pixel(frame->logicalPoint(latitude, longitude)).toPoint();
    }

    static QRgb shown(app::TForm1& w, QPoint p) { return w.Image1->pixmap().toImage().pixel(p); }

    support::HttpServer server;
};

constexpr QRgb kYellow = 0xFFFFFF00;

TEST_F(SearchPlotTest, overAWmsPictureThePointsArePlottedAndPlottedAgainAfterEachStep) {
    auto w = startWithWmsPicture();
    const QByteArray page = searchPage("<p>arquivo=pesq_01.txt");
    openSearchOn(*w, page);
    QWidget* searchForm = w->windows().window("TForm20");
    ASSERT_TRUE(searchForm->isVisible());
    EXPECT_EQ(searchForm->windowTitle(), "Quelvora - conexão  KESTRAM");
    EXPECT_EQ(w->searchView().content(), page);  // shown again, not asked again
    EXPECT_EQ(searchButton(*w, "Button1")->text(), "Plota pesquisa - Quelvora");
    EXPECT_EQ(searchButton(*w, "Button2")->text(), "Plota e grava arq. texto");
    w->windows().window("TForm16")->show();

    searchButton(*w, "Button1")->click();
    QFile saved(programFile("parametro.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), page);
    ASSERT_EQ(asked(kResultPath).size(), 1u);
    EXPECT_EQ(asked(kResultPath).back(), "/cgi-bin/servpqd1.exe/acao7?arquivo=pesq_01.txt");
    EXPECT_TRUE(QFile::exists(programFile("pesq_01.txt")));
    EXPECT_FALSE(w->windows().window("TForm16")->isVisible());
    ASSERT_TRUE(w->Image1->isVisible());
    EXPECT_EQ(shown(*w, centreOf(*w, -6.0, -47.0)), kYellow);
    EXPECT_EQ(shown(*w, centreOf(*w, -6.5, -47.5)), kYellow);
    EXPECT_NE(shown(*w, centreOf(*w, -5.5, -46.5)), kYellow);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();

    // A zoom asks the services and the result file again, and the points
    // stay where the map's coordinates say.
    const std::size_t servicesBefore = asked("/wms1").size();
    w->button("SpeedButton2")->click();
    EXPECT_EQ(asked("/wms1").size(), servicesBefore + 1);
    EXPECT_EQ(asked(kResultPath).size(), 2u);
    EXPECT_EQ(shown(*w, centreOf(*w, -6.0, -47.0)), kYellow);

    // "Desconecta" removes the search's files; later steps plot nothing.
    w->wmsWindow().SpeedButton4->click();
    EXPECT_FALSE(QFile::exists(programFile("parametro.txt")));
    EXPECT_FALSE(QFile::exists(programFile("pesq_01.txt")));
    EXPECT_FALSE(w->state().searchPlotted);
    w->button("SpeedButton2")->click();
    EXPECT_EQ(asked(kResultPath).size(), 2u);
}

TEST_F(SearchPlotTest, withLocalThemesTheServicesMapKeepsThePointsWhenItWidensTheExtent) {
    auto w = startWithWmsPicture(true);
    openSearchOn(*w, searchPage("<p>arquivo=pesq_01.txt"));
    searchButton(*w, "Button1")->click();
    ASSERT_EQ(asked(kResultPath).size(), 1u);  // one download for one plot
    EXPECT_EQ(shown(*w, centreOf(*w, -6.0, -47.0)), kYellow);

    // "Mapa" again: the services' box and the theme's make a wider extent,
    // asked a second time; the points are drawn on the last picture.
    const std::size_t servicesBefore = asked("/wms1").size();
    w->wmsWindow().SpeedButton1->click();
    EXPECT_EQ(asked("/wms1").size(), servicesBefore + 2);
    EXPECT_EQ(shown(*w, centreOf(*w, -6.0, -47.0)), kYellow);
    EXPECT_EQ(shown(*w, centreOf(*w, -6.5, -47.5)), kYellow);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
}

TEST_F(SearchPlotTest, aPageWithoutAResultNameOrNoPageAtAllChangesNothing) {
    auto w = startWithWmsPicture();
    const QImage before = w->Image1->pixmap().toImage();

    // No page shown: nothing to save.
    openSearchOn(*w, QByteArray());
    searchButton(*w, "Button1")->click();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.lastMessage(), "Fail to save HTML source");
    EXPECT_EQ(dialogs.messageTitles().last(), "Error");
    EXPECT_FALSE(QFile::exists(programFile("parametro.txt")));

    // A name that would leave the program folder is refused before any download.
    for (const QByteArray& line :
         {QByteArray("<p>arquivo=..\\..\\autoexec.bat"), QByteArray("<p>arquivo=/etc/passwd"),
          QByteArray("<p>arquivo=C:x.txt"), QByteArray("<p>")}) {
        openSearchOn(*w, searchPage(line));
        searchButton(*w, "Button1")->click();
        EXPECT_TRUE(QFile::exists(programFile("parametro.txt")));  // the page is kept
    }
    EXPECT_EQ(dialogs.messages().size(), 5);
    EXPECT_TRUE(asked(kResultPath).empty());
    EXPECT_FALSE(w->state().searchPlotted);
    EXPECT_EQ(w->Image1->pixmap().toImage(), before);

    // A result file of its header only plots nothing.
    server.reply(kResultPath, answer("AMOSTRA,LATITUDE,LONGITUDE\r\n", "text/plain"));
    openSearchOn(*w, searchPage("<p>arquivo=vazio.txt"));
    searchButton(*w, "Button1")->click();
    EXPECT_EQ(asked(kResultPath).size(), 1u);
    EXPECT_TRUE(w->state().searchPlotted);
    EXPECT_EQ(dialogs.messages().size(), 5);
    EXPECT_EQ(w->Image1->pixmap().toImage().pixelColor(10, 10),
              before.pixelColor(10, 10));  // the services' picture again, no circle
}

TEST_F(SearchPlotTest, theMapGroupPictureAsksForTheSearchAndTheTextFileIsForSpreadsheets) {
    server.reply("/cgi-bin/servpqd1.exe/acao2",
                 answer(support::solidJpeg(QColor(90, 90, 90)).toStdString(), "image/jpeg"));
    auto w = startWithTheme();
    QCoreApplication::processEvents();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    c.RadioGroup2->button(0)->click();
    QComboBox* groups = w->Panel3->ComboBox2;
    groups->setCurrentIndex(groups->findText(wms::mapGroupText(wms::mapGroups()[3])));
    w->ChooseMapGroup();
    w->Panel3->ComboBox3->setCurrentIndex(1);
    w->ChooseMap();
    w->Panel3->Estradas->setChecked(true);
    c.SpeedButton37->click();
    ASSERT_FALSE(asked("/cgi-bin/servpqd1.exe/acao2").empty());
    EXPECT_EQ(
        QString::fromStdString(asked("/cgi-bin/servpqd1.exe/acao2").back()).indexOf("pesquisa"),
        -1);  // no search plotted yet

    // The list of the search's points only after an area search.
    EXPECT_FALSE(w->Panel3->ListaPesquisa->isEnabled());
    w->button("SpeedButton10")->click();
    ASSERT_TRUE(w->Panel3->ListaPesquisa->isEnabled());
    w->Panel3->ComboBox3->setCurrentIndex(0);  // no map, so no search code
    w->Panel3->ListaPesquisa->click();
    EXPECT_EQ(dialogs.lastMessage(), "Escolha em \"Mapas no KESTRAM\" um mapa com pesquisa.");
    const QString searchPageAddress = w->recordView().address();
    EXPECT_TRUE(searchPageAddress.contains("kestram.consultas.cons_modulo"));
    w->Panel3->ComboBox3->setCurrentIndex(1);
    w->Panel3->ListaPesquisa->click();
    EXPECT_EQ(w->recordView().address(),
              server.url("/pls/publico/kestram.webmap.lista?p_consulta=88"));
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());

    const QString table = drives.root('D') + "/pesquisa.txt";
    dialogs.push(table);
    openSearchOn(*w, searchPage("<p>arquivo=pesq_02.txt"));
    searchButton(*w, "Button2")->click();
    const platform::FileDialogOptions& dialog = dialogs.fileDialogs().last();
    EXPECT_EQ(dialog.fileName, "*.txt");
    QFile written(table);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(),
              "AMOSTRA\tLATITUDE\tLONGITUDE\tTEOR\r\n"
              "QV-1\t-6,0\t-47,0\t2,5\r\n"
              "QV-2\t-6,5\t-47,5\t0,75\r\n");
    const QString expected =
        "/cgi-bin/servpqd1.exe/acao2?mapa=SE23_lito&&largura=" + QString::number(w->Map1->width()) +
        "&&altura=" + QString::number(w->Map1->height()) + "&&pesquisa=88&&estrada=s";
    EXPECT_EQ(QString::fromStdString(asked("/cgi-bin/servpqd1.exe/acao2").back()), expected);
    EXPECT_FALSE(w->windows().window("TForm16")->isVisible());

    // "Desconecta" of the kinds ends the list until the next area search.
    c.RadioGroup2->button(6)->click();
    EXPECT_FALSE(w->Panel3->ListaPesquisa->isEnabled());
}

TEST_F(SearchPlotTest, theGeoSciMlWindowKeepsTheGeologyFeaturesOrSaysItCouldNot) {
    const std::string gml = "<?xml version=\"1.0\"?>\n<wfs:FeatureCollection/>\n";
    server.reply("/cgi-bin/BRA_KXT_Bedrock_Geology/wms", answer(gml, "text/xml"));
    auto w = startWithTheme();
    QStringList opened;
    w->setBrowserLauncher([&opened](const QString& url) { opened << url; });
    w->OpenVector();
    ASSERT_EQ(opened.size(), 1);
    QWidget* form = w->windows().window("TForm22");
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Quelvora");
    EXPECT_EQ(w->geoSciMlView().address(), opened.first());
    ASSERT_EQ(asked("/cgi-bin/BRA_KXT_Bedrock_Geology/").size(), 1u);
    EXPECT_EQ(server.url(QString::fromStdString(asked("/cgi-bin/BRA_KXT_Bedrock_Geology/")[0])),
              opened.first());  // asked byte for byte as the browser got it
    auto* save = form->findChild<QPushButton*>("Button1");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), "Gravar arquivo GeoSciML");

    const QString file = drives.root('D') + "/geologia.xml";
    dialogs.push(file);
    save->click();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), gml);
    EXPECT_TRUE(dialogs.messages().isEmpty());

    // A document that did not come cannot be saved.
    support::HttpServer::Reply failed;
    failed.status = 500;
    server.reply("/cgi-bin/BRA_KXT_Bedrock_Geology/wms", failed);
    w->OpenVector();
    dialogs.push(drives.root('D') + "/outra.xml");
    save->click();
    EXPECT_EQ(dialogs.lastMessage(), "Fail to save HTML source");
    EXPECT_EQ(dialogs.messageTitles().last(), "Error");
    EXPECT_FALSE(QFile::exists(drives.root('D') + "/outra.xml"));
}

}  // namespace
