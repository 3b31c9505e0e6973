// Web map services as the user runs them from the main window: the WMS
// window's lists and capabilities, the picture shown over the map and asked
// again after every navigation step, feature info, legends, the index map,
// the opacity step, the screen memories and macro files, against the
// recording test server.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "net/downloader.h"
#include "net/session.h"
#include "platform/status_line.h"
#include "platform/text_file.h"
#include "platform/web_view.h"
#include "support/http_server.h"
#include "support/pictures.h"
#include "wms/connections_window.h"
#include "wms/overlay_window.h"
#include "wms/picture_size.h"
#include "wms/remote_refresh.h"
#include "wms/wms_text.h"
#include "wms/wms_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

// A JPEG of one colour, as a service answers.
std::string jpeg(QColor colour) {
    return support::solidJpeg(colour).toStdString();
}

support::HttpServer::Reply answer(std::string body, std::string type = "image/jpeg") {
    support::HttpServer::Reply r;
    r.body = std::move(body);
    r.contentType = std::move(type);
    return r;
}

// The capabilities of a service with the layers given as (name, title) and
// one box, one element per line.
std::string capabilities(const std::vector<std::pair<std::string, std::string>>& layers,
                         const std::string& box) {
    std::string doc =
        "<?xml version=\"1.0\"?>\n<WMT_MS_Capabilities version=\"1.1.1\">\n"
        "<Capability>\n<Layer>\n<Title>Raiz</Title>\n" +
        box + "\n";
    for (const auto& [name, title] : layers) {
        doc += "<Layer queryable=\"1\">\n<Name>" + name + "</Name>\n<Title>" + title +
               "</Title>\n</Layer>\n";
    }
    return doc + "</Layer>\n</Capability>\n</WMT_MS_Capabilities>\n";
}

std::string box(double minx, double miny, double maxx, double maxy) {
    return QStringLiteral("<LatLonBoundingBox minx=\"%1\" miny=\"%2\" maxx=\"%3\" maxy=\"%4\" />")
        .arg(minx)
        .arg(miny)
        .arg(maxx)
        .arg(maxy)
        .toStdString();
}

bool near(QRgb pixel, int r, int g, int b, int tolerance = 6) {
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

class WmsTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         ("gateway_host=" + server.url(QString()) +
                          "\r\nbedrock_wms_host=" + server.url(QStringLiteral("/rocha")) + "\r\n")
                             .toLatin1());
    }

    QString programFile(const QString& name) const {
        return QDir(drives.programFolder()).filePath(name);
    }

    // A service of the test server at `path`, with a map parameter.
    QString service(const QString& path) const {
        return server.url(path + QStringLiteral("?map=teste.map&"));
    }

    static void addLayer(wms::WmsWindow& wms, const QString& entry, bool checked) {
        auto* item = new QListWidgetItem(entry, wms.CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }

    // The window after "Serviços WMS", with the services of `addresses`.
    wms::WmsWindow& openWith(app::TForm1& w, const QStringList& addresses) {
        QCoreApplication::processEvents();  // the main window laid out at its size
        w.button("BOTAO3")->click();
        wms::WmsWindow& wms = w.wmsWindow();
        wms.ListBox1->addItems(addresses);
        return wms;
    }

    std::vector<std::string> asked(const std::string& path) const {
        return server.targetsStartingWith(path);
    }

    void showMapOfASilentService(app::TForm1& w);

    // North, south, east and west typed into the extent edits.
    static void typeExtent(wms::WmsWindow& wms, const char* north, const char* south,
                           const char* east, const char* west) {
        wms.Edit2->setText(north);
        wms.Edit3->setText(south);
        wms.Edit4->setText(east);
        wms.Edit5->setText(west);
    }

    QRgb shownPixel(app::TForm1& w, int x, int y) {
        return w.Image1->pixmap().toImage().pixel(x, y);
    }

    support::HttpServer server;
};

TEST_F(WmsTest, servicesButtonAndMenuOpenTheWindowForIdentifyOnServices) {
    auto w = startWithTheme();
    for (const bool viaMenu : {false, true}) {
        w->CheckBox1->setEnabled(true);
        w->CheckBox1->setChecked(true);
        w->wmsWindow().setIdentifyChoice(1);
        w->findChild<QAction*>("Zoom_coord1")->setEnabled(false);
        if (viaMenu) {
            QAction* entry = w->findChild<QAction*>("WMSservio1");
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->text(), "WMS");
            entry->trigger();
        } else {
            w->button("BOTAO3")->click();
        }
        EXPECT_FALSE(w->CheckBox1->isChecked());
        EXPECT_EQ(w->wmsWindow().identifyChoice(), 0);
        EXPECT_TRUE(w->findChild<QAction*>("Zoom_coord1")->isEnabled());
        EXPECT_TRUE(w->windows().window("TForm24")->isVisible());
    }
    const wms::WmsWindow& wms = w->wmsWindow();
    EXPECT_EQ(wms.RadioGroup1->checkedId(), 0);
    EXPECT_FALSE(wms.CheckBox1->isVisible());
    EXPECT_FALSE(wms.up1->isEnabled());
    EXPECT_EQ(wms.up1->value(), 5);
    EXPECT_EQ(w->windows().window("TForm24")->windowTitle(), "Quelvora - Serviço WMS ");
    const std::pair<const char*, const char*> captions[] = {
        {"SpeedButton12", "Atualiza a lista por donwload"},
        {"SpeedButton14", "Anexa serviço"},
        {"SpeedButton13", "Apaga endereço - ativo"},
        {"SpeedButton5", "Anexa endereço ativo na lista WMS"},
        {"SpeedButton17", "Apaga serv. selecionado da lista WMS"},
        {"SpeedButton3", "Apaga endereço"},
        {"SpeedButton6", "Apaga a lista toda WMS"},
        {"SpeedButton18", "Apaga layer"},
        {"SpeedButton7", "Configura"},
        {"SpeedButton19", "Vetor"},
        {"SpeedButton16", "Mapa indice"},
        {"SpeedButton4", "Desconecta"},
        {"SpeedButton8", "Grava arquivo macro"},
        {"SpeedButton9", "Le arquivo macro"}};
    for (const auto& [name, caption] : captions) {
        const auto* b = w->windows().window("TForm24")->findChild<QToolButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_EQ(wms.up1->toolTip(), "Controla a opacidade ");
    const auto* overlay = w->windows().window("TForm25");
    EXPECT_EQ(overlay->findChild<QRadioButton*>("RadioGroup1Item4")->text(), "Soma invertendo");
}

TEST_F(WmsTest, catalogueLoadsDownloadsAndGivesTheAddressAfterTheLastComma) {
    QFile::remove(programFile("listawms.txt"));
    (void)platform::writeTextLines(programFile("listawms.txt"), {"Geologia, http://a.example/wms?",
                                                                 "Relevo,SRTM, http://b?x=1&"});
    auto w = startWithTheme();
    wms::WmsWindow& wms = w->wmsWindow();
    ASSERT_EQ(wms.ComboBox3->count(), 3);
    EXPECT_EQ(wms.ComboBox3->itemText(0), "");
    wms.ComboBox3->setCurrentIndex(2);
    wms.SpeedButton14->click();
    EXPECT_EQ(wms.Edit1->text(), " http://b?x=1&");  // the blank after the comma stays
    wms.SpeedButton5->click();
    EXPECT_EQ(wms.ListBox1->item(0)->text(), " http://b?x=1&");
    EXPECT_TRUE(wms.Edit1->text().isEmpty());

    server.reply(
        "/cgi-bin/servpqd1.exe/acao6",
        answer("Novo, http://c/wms?\r\nOutro, http://d/wms?\r\nMais, http://e?\r\n", "text/plain"));
    wms.SpeedButton12->click();
    EXPECT_EQ(dialogs.lastMessage(), "Relação de mapas do Kestram atualizada");
    EXPECT_EQ(wms.ComboBox3->count(), 4);
    EXPECT_EQ(asked("/cgi-bin").back(), "/cgi-bin/servpqd1.exe/acao6");

    server.reply("/cgi-bin/servpqd1.exe/acao6", {404, "", "text/plain"});
    wms.SpeedButton12->click();
    EXPECT_EQ(dialogs.lastMessage(), "Problemas com a conexão - verifique!");
}

TEST_F(WmsTest, listButtonsDeleteWhatIsSelectedAndClicksFillTheIdentifyEdits) {
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {"http://s0?", "http://s1?"});
    addLayer(wms, "1*Geologia, escala 1:1.000.000,lito", false);
    // A click on an entry names its layer and its service.
    wms.CheckListBox1->setCurrentRow(0);
    wms.CheckListBox1Click();
    EXPECT_EQ(wms.Edit7->text(), "1*Geologia, escala 1:1.000.000,lito");
    EXPECT_EQ(wms.Edit6->text(), "http://s1?");
    wms.ListBox1->setCurrentRow(0);
    wms.ListBox1Click();
    EXPECT_EQ(wms.Edit6->text(), "http://s0?");
    // "Apaga endereço" with nothing selected takes the first service.
    wms.ListBox1->clearSelection();
    wms.SpeedButton3->click();
    ASSERT_EQ(wms.ListBox1->count(), 1);
    EXPECT_EQ(wms.ListBox1->item(0)->text(), "http://s1?");
    EXPECT_EQ(wms.CheckListBox1->count(), 0);
    // Deleting from empty lists does nothing.
    wms.SpeedButton6->click();
    wms.SpeedButton3->click();
    wms.SpeedButton17->click();
    wms.SpeedButton18->click();
    EXPECT_EQ(wms.ListBox1->count(), 0);
}

TEST_F(WmsTest, capabilitiesOfTwoServicesGiveNumberedEntriesAndTheUnionOfTheirBoxes) {
    server.reply("/wms1", answer(capabilities({{"lito_1000000", "Geologia"},
                                               {"default", "Nada"},
                                               {"relevo", "Relevo sombreado"}},
                                              box(-74, -34, -34, 5.5)),
                                 "text/xml"));
    server.reply("/wms2", answer(capabilities({{"ocorrencias", "Ocorrências, minerais (Au, Cu)"}},
                                              box(-80, -10, -40, 10)),
                                 "text/xml"));
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/wms1"), service("/wms2") + ",comentario"});
    wms.CheckBox1->setChecked(true);  // geology and relief checked after the read
    wms.SpeedButton2->click();

    ASSERT_EQ(wms.CheckListBox1->count(), 3);
    EXPECT_EQ(wms.CheckListBox1->item(0)->text(), "0*Geologia,lito_1000000");
    EXPECT_EQ(wms.CheckListBox1->item(1)->text(), "0*Relevo sombreado,relevo");
    EXPECT_EQ(wms.CheckListBox1->item(2)->text(), "1*Ocorrências, minerais (Au, Cu),ocorrencias");
    EXPECT_EQ(wms.CheckListBox1->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(wms.CheckListBox1->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(wms.CheckListBox1->item(2)->checkState(), Qt::Unchecked);
    // The address with a comma was asked whole, then cut at the comma.
    EXPECT_EQ(asked("/wms1").back(),
              "/wms1?map=teste.map&service=wms&&version=1.1.1&&request=getcapabilities");
    EXPECT_EQ(asked("/wms2").back(),
              "/wms2?map=teste.map&,comentario"
              "service=wms&&version=1.1.1&&request=getcapabilities");
    EXPECT_EQ(wms.ListBox1->item(1)->text(), service("/wms2"));
    // North, south, east, west of the union, with 8 decimals.
    EXPECT_EQ(wms.Edit2->text(), "10.00000000");
    EXPECT_EQ(wms.Edit3->text(), "-34.00000000");
    EXPECT_EQ(wms.Edit4->text(), "-34.00000000");
    EXPECT_EQ(wms.Edit5->text(), "-80.00000000");
    const mapcontrol::Rectangle& e = w->state().currentExtent;
    EXPECT_EQ(e.top(), 10);
    EXPECT_EQ(e.bottom(), -34);
    EXPECT_EQ(e.right(), -34);
    EXPECT_EQ(e.left(), -80);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    // The document was kept with CR LF line ends.
    QFile kept(programFile("layers.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().contains("<Name>ocorrencias</Name>\r\n"));
}

TEST_F(WmsTest, capabilitiesFailuresAndTheMapsExtentChoice) {
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {});
    wms.SpeedButton2->click();  // no service at all
    EXPECT_EQ(dialogs.lastMessage(), "Problemas com a conexão - verifique!");
    EXPECT_EQ(wms.CheckListBox1->count(), 0);

    // The last service failing gives the message; the first one's layers stay.
    server.reply("/wms1",
                 answer(capabilities({{"lito", "Geologia"}}, box(-50, -20, -40, -10)), "text/xml"));
    wms.ListBox1->addItems({service("/wms1"), service("/nada")});
    wms.RadioGroup1->button(1)->setChecked(true);
    w->state().currentExtent = mapcontrol::Rectangle(-48, -46, -5, -7);
    const int before = dialogs.messages().size();
    wms.SpeedButton2->click();
    EXPECT_EQ(dialogs.messages().size(), before + 1);
    EXPECT_EQ(wms.CheckListBox1->count(), 1);
    // Item 1: the edits hold the map's extent in the default real form.
    EXPECT_EQ(wms.Edit2->text(), "-5.00000000000000E+0000");
    EXPECT_EQ(wms.Edit5->text(), "-4.80000000000000E+0001");
}

TEST_F(WmsTest, showMapAsksEachServiceForItsCheckedLayersAndShowsTheBlend) {
    server.reply("/wms1", answer(jpeg(QColor(200, 200, 200))));
    auto w = start();  // no local theme: the picture shows at full opacity
    w->resize(700, 600);
    w->show();
    wms::WmsWindow& wms = openWith(*w, {service("/wms1"), service("/wms2")});
    addLayer(wms, "0*Geologia,lito", true);
    addLayer(wms, "1*Relevo,relevo", false);  // its service is not asked
    addLayer(wms, "0*Falhas, zonas de cisalhamento,falhas", true);
    typeExtent(wms, "-5", "-7", "-46", "-48");
    wms.SpeedButton1->click();

    EXPECT_TRUE(asked("/wms2").empty());
    ASSERT_EQ(asked("/wms1").size(), 1u);
    const mapcontrol::Rectangle& e = w->state().currentExtent;
    const QSize area = w->Map1->size();
    const wms::PictureSize size = wms::pictureSize(area.width(), area.height(), e);
    const QString expected =
        QStringLiteral(
            "/wms1?map=teste.map&service=WMS&&version=1.1.1&&request=GetMap&&layers="
            "lito,falhas&&format=image/jpeg&&srs=EPSG:4326&&bbox=%1&&width=%2&&height=%3"
            "&&styles=")
            .arg(wms::bboxText(e).replace(" ", "%20"))
            .arg(size.width)
            .arg(size.height);
    EXPECT_EQ(QString::fromStdString(asked("/wms1").back()), expected);
    EXPECT_TRUE(w->Image1->isVisible());
    EXPECT_FALSE(w->Map1->isVisible());
    EXPECT_TRUE(w->state().connectionMode);
    EXPECT_TRUE(w->state().wmsActive);
    EXPECT_TRUE(wms.up1->isEnabled());
    EXPECT_FALSE(w->button("SpeedButton5")->isEnabled());  // no pan over a service picture
    EXPECT_EQ(w->Image1->pixmap().size(), area);
    // 1.0 blends 200 over the white of an empty map as 255 + floor(-55 * 255 / 256).
    EXPECT_TRUE(near(shownPixel(*w, size.x + 10, size.y + 10), 200, 200, 200, 3));
    EXPECT_TRUE(QFile::exists(programFile("temp.bmp")));
    EXPECT_TRUE(QFile::exists(programFile("temp1.bmp")));
    EXPECT_TRUE(dialogs.messages().isEmpty());

    // Every navigation step asks again, for the map's new extent.
    w->button("SpeedButton2")->click();
    ASSERT_EQ(asked("/wms1").size(), 2u);
    EXPECT_NE(QString::fromStdString(asked("/wms1").back())
                  .indexOf(wms::bboxText(w->state().currentExtent).replace(" ", "%20")),
              -1);
}

TEST_F(WmsTest, localThemesAreBlendedAtHalfOpacityAndThePictureMatchesTheMap) {
    server.reply("/wms1", answer(jpeg(QColor(0, 0, 0))));
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/wms1")});
    addLayer(wms, "0*Geologia,lito", true);
    typeExtent(wms, "-5", "-7", "-46", "-48");
    wms.SpeedButton1->click();
    // The extent was widened by the theme's and put back after the zoom out:
    // the last picture asked is the one of the extent the map shows.
    const std::string last = asked("/wms1").back();
    EXPECT_NE(
        QString::fromStdString(last).indexOf(wms::bboxText(w->Map1->extent()).replace(" ", "%20")),
        -1);
    EXPECT_EQ(w->state().currentExtent.left(), w->Map1->extent().left());
    // Black at 0.5 over the map's white background: 255 + floor(-255 * 128 / 256).
    const QSize area = w->Map1->size();
    const wms::PictureSize size =
        wms::pictureSize(area.width(), area.height(), w->state().currentExtent);
    EXPECT_TRUE(near(shownPixel(*w, size.x + 10, size.y + 10), 127, 127, 127, 3));
}

TEST_F(WmsTest, overlayModesCombineTheServicesPictures) {
    server.reply("/red", answer(jpeg(QColor(255, 0, 0))));
    server.reply("/blue", answer(jpeg(QColor(0, 0, 255))));
    auto w = start();
    w->resize(700, 600);
    w->show();
    wms::WmsWindow& wms = openWith(*w, {service("/red"), service("/blue")});
    addLayer(wms, "0*A,a", true);
    addLayer(wms, "1*B,b", true);
    for (const char* name : {"Edit2", "Edit3", "Edit4", "Edit5"}) {
        w->windows().window("TForm24")->findChild<QLineEdit*>(name)->setText("0");
    }
    wms.Edit2->setText("1");
    wms.Edit4->setText("1");
    wms.SpeedButton7->click();
    EXPECT_TRUE(w->windows().window("TForm25")->isVisible());
    wms::OverlayWindow& overlay = w->overlayWindow();

    wms.SpeedButton1->click();  // mode 0: red AND blue is black
    const QSize area = w->Map1->size();
    const wms::PictureSize size =
        wms::pictureSize(area.width(), area.height(), w->state().currentExtent);
    const QPoint centre(size.x + 10, size.y + 10);
    EXPECT_TRUE(near(shownPixel(*w, centre.x(), centre.y()), 0, 0, 0, 8));

    overlay.RadioGroup1->button(4)->setChecked(true);  // mode 4: red inverted, blue ignored
    w->RefreshRemoteImage();
    EXPECT_TRUE(near(shownPixel(*w, centre.x(), centre.y()), 0, 255, 255, 8));

    overlay.RadioGroup1->button(2)->setChecked(true);  // mode 2: OR gives magenta
    const int connections = server.connectionsAccepted();
    w->RefreshRemoteImage();
    EXPECT_LE(server.connectionsAccepted() - connections, 1);  // one connection for both
    EXPECT_TRUE(near(shownPixel(*w, centre.x(), centre.y()), 255, 0, 255, 8));
    overlay.Volta->click();
    EXPECT_FALSE(w->windows().window("TForm25")->isVisible());
}

TEST_F(WmsTest, anAnswerThatIsNotAPictureFailsWithTheServersTextAndReturnsToTheMap) {
    server.reply("/wms1",
                 answer("<?xml version='1.0'?><ServiceExceptionReport version=\"1.1.1\">"
                        "<ServiceException code=\"LayerNotDefined\">msWMSLoadGetMapParams(): "
                        "WMS server error. Invalid layer(s) given in the LAYERS parameter."
                        "</ServiceException></ServiceExceptionReport>",
                        "application/vnd.ogc.se_xml"));
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/wms1")});
    addLayer(wms, "0*Nada,nada", true);
    wms.SpeedButton1->click();
    ASSERT_GE(dialogs.messages().size(), 2);
    // Once per refresh: the server's own words, then the connection message.
    EXPECT_TRUE(dialogs.messages()[0].contains("Invalid layer(s) given in the LAYERS parameter"));
    EXPECT_EQ(dialogs.messages()[1], "Não foi realizada conexão, verifique a Internet");
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    EXPECT_FALSE(w->button("M2")->isEnabled());
    EXPECT_EQ(w->state().connectionKind, -1);

    // "Desconecta" gives everything back.
    wms.SpeedButton4->click();
    EXPECT_FALSE(w->state().wmsActive);
    EXPECT_FALSE(w->state().connectionMode);
    EXPECT_EQ(wms.CheckListBox1->count(), 0);
    EXPECT_FALSE(wms.up1->isEnabled());
    for (const char* name : {"SpeedButton3", "SpeedButton5", "SpeedButton6", "SpeedButton10",
                             "SpeedButton18", "SpeedButton13", "M1"}) {
        EXPECT_TRUE(w->button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(w->findChild<QAction*>("Zoom_coord1")->isEnabled());
    EXPECT_EQ(w->maximumWidth(), QWIDGETSIZE_MAX);
}

// Show map against a service that accepts and never answers. Should the
// download not end by itself, the guard ends it long before the minute of
// the default time-out, as a failure, and says so.
void WmsTest::showMapOfASilentService(app::TForm1& w) {
    support::HttpServer::Reply silent;
    silent.hang = true;
    server.reply("/mudo", silent);
    wms::WmsWindow& wms = openWith(w, {service("/mudo")});
    addLayer(wms, "0*Geologia,lito", true);
    bool guarded = false;
    QTimer::singleShot(10'000, &w, [&] {
        guarded = true;
        w.downloader().cancel();
    });
    wms.SpeedButton1->click();
    EXPECT_FALSE(guarded);
    EXPECT_EQ(dialogs.lastMessage(), "Não foi realizada conexão, verifique a Internet");
}

TEST_F(WmsTest, aServiceThatNeverAnswersIsCancelledByEscAndCountsAsFailed) {
    auto w = startWithTheme();
    // Esc while the download runs: the window was not frozen.
    QTimer::singleShot(50, w.get(), [&w] { QTest::keyClick(w.get(), Qt::Key_Escape); });
    showMapOfASilentService(*w);
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WmsTest, aServiceThatNeverAnswersEndsAtTheTimeOutOfTheSettings) {
    drives.writeFile("C:\\xquelvora\\quelvora.conf", "download_total_timeout_ms=300\r\n");
    auto w = startWithTheme();
    showMapOfASilentService(*w);
}

TEST_F(WmsTest, identifyOnThePictureAsksTheSelectedLayerAndLegendsPickTheirKind) {
    server.reply("/wms1", answer(jpeg(QColor(90, 90, 90))));
    server.reply("/wms1info", answer("<html><body>SIGLA: NP1</body></html>", "text/html"));
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/wms1")});
    addLayer(wms, "0*Geologia, 1:1M,lito", true);
    wms.SpeedButton1->click();
    ASSERT_TRUE(w->Image1->isVisible());
    // With no service chosen there is nothing to ask: the user is told so.
    w->button("SpeedButton6")->setChecked(true);
    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(dialogs.lastMessage(), app::TForm1::kChooseWmsLayer);
    EXPECT_FALSE(w->windows().window("TForm16")->isVisible());
    wms.Edit6->setText(service("/wms1info"));
    wms.Edit7->setText("0*Geologia, 1:1M,lito");
    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(40, 30));

    const QSize area = w->Map1->size();
    const QString url =
        service("/wms1info") +
        QStringLiteral(
            "&&VERSION=1.1.1&&REQUEST=GetFeatureInfo&&SERVICE=WMS&&LAYERS=lito&&SRS="
            "EPSG:4326&&BBOX=%1&&WIDTH=%2&&HEIGHT=%3&&INFO_FORMAT=text/html&&FORMAT="
            "image/png&FEATURE_COUNT=100&&QUERY_LAYERS=lito&&STYLES=default&X=40&Y=30")
            .arg(wms::bboxText(w->state().currentExtent))
            .arg(area.width())
            .arg(area.height());
    EXPECT_EQ(w->recordView().address(), url);
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_TRUE(w->recordView().content().contains("NP1"));

    // The legend: GetLegendGraphic of the layer; REST for a listed service.
    platform::WebView* legend =
        w->windows().window("TForm18")->findChild<platform::WebView*>("WebBrowser1");
    ASSERT_NE(legend, nullptr);
    server.reply("//rest/services/Lito_1000000/MapServer/legend",
                 answer("<html><body>Legenda REST</body></html>", "text/html"));
    wms.Edit6->setText(server.url("/services/Lito_1000000/MapServer/WMSServer?"));
    wms.SpeedButton11->click();
    EXPECT_EQ(legend->address(), server.url("//rest/services/Lito_1000000/MapServer/legend"));
    EXPECT_TRUE(legend->content().contains("Legenda REST"));
    EXPECT_TRUE(w->windows().window("TForm18")->isVisible());
}

// A PNG of two colour swatches on white, as a legend graphic comes.
QByteArray legendPng() {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(4, 4, 20, 12, QColor(200, 60, 40));
    painter.fillRect(4, 24, 20, 12, QColor(90, 170, 90));
    painter.end();
    return support::encodedPicture(image, "png");
}

TEST_F(WmsTest, legendIsTheLayersPictureAndAFailedLegendSaysWhyInsteadOfAnOldOne) {
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/legenda")});
    QWidget* form = w->windows().window("TForm18");
    auto* legend = form->findChild<platform::WebView*>("WebBrowser1");
    ASSERT_NE(legend, nullptr);

    // No service chosen: nothing is asked.
    wms.SpeedButton11->click();
    EXPECT_EQ(dialogs.lastMessage(), app::TForm1::kChooseLegendLayer);
    EXPECT_TRUE(asked("/legenda").empty());

    server.reply("/legenda", answer(legendPng().toStdString(), "image/png"));
    wms.Edit6->setText(service("/legenda"));
    wms.Edit7->setText("0*Geologia, 1:1M,lito");
    const int before = dialogs.messages().size();
    wms.SpeedButton11->click();
    const QString url = service("/legenda") +
                        "service=WMS&version=1.1.1&request=GetLegendGraphic&layer=lito"
                        "&format=image/png";
    ASSERT_EQ(asked("/legenda").size(), 1u);
    EXPECT_EQ(asked("/legenda").back(),
              "/legenda?map=teste.map&service=WMS&version=1.1.1&request=GetLegendGraphic"
              "&layer=lito&format=image/png");
    EXPECT_EQ(dialogs.messages().size(), before);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(legend->address(), url);  // what "Abrir no navegador" opens
    const QImage shown = QImage::fromData(legend->content());
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(near(shown.pixel(10, 8), 200, 60, 40, 0));
    EXPECT_TRUE(near(shown.pixel(10, 30), 90, 170, 90, 0));
    EXPECT_EQ(legend->picture().size(), QSize(60, 40));

    // A web page with status 200 is no legend: the server's words, once.
    server.reply("/legenda",
                 answer("<html><head><title>MapServer Message</title></head><body>"
                        "msCGILoadMap(): Web application error. CGI variable &quot;map&quot; is "
                        "not set.</body></html>",
                        "text/html"));
    wms.SpeedButton11->click();
    ASSERT_EQ(dialogs.messages().size(), before + 1);
    EXPECT_TRUE(dialogs.lastMessage().startsWith(
        QString::fromUtf8("Não foi possível mostrar a legenda do layer lito:\n")))
        << dialogs.lastMessage().toStdString();
    EXPECT_TRUE(dialogs.lastMessage().contains("CGI variable \"map\" is not set"))
        << dialogs.lastMessage().toStdString();
    EXPECT_TRUE(legend->content().isEmpty());  // neither the page nor the old legend
    EXPECT_TRUE(legend->picture().isNull());
    EXPECT_TRUE(legend->errorText().contains("CGI variable"));

    // No answer at all says so too.
    server.reply("/legenda", {404, "", "text/plain"});
    wms.SpeedButton11->click();
    ASSERT_EQ(dialogs.messages().size(), before + 2);
    EXPECT_TRUE(dialogs.lastMessage().contains(url)) << dialogs.lastMessage().toStdString();
    EXPECT_TRUE(legend->content().isEmpty());
}

TEST_F(WmsTest, aCapabilitiesAnswerThatIsAWebPageSaysSoWithTheServersText) {
    server.reply("/portal", answer("<!DOCTYPE html><html><head><title>Acesso restrito</title>"
                                   "</head><body><h1>Entre com seu usu&aacute;rio</h1>"
                                   "<form><input name=\"senha\"></form></body></html>",
                                   "text/html"));
    server.reply("/erro", answer("<?xml version='1.0'?><ServiceExceptionReport version=\"1.1.1\">"
                                 "<ServiceException>msLoadMap(): Unable to access file."
                                 "</ServiceException></ServiceExceptionReport>",
                                 "application/vnd.ogc.se_xml"));
    server.reply("/wms1",
                 answer(capabilities({{"lito", "Geologia"}}, box(-50, -20, -40, -10)), "text/xml"));
    auto w = startWithTheme();
    wms::WmsWindow& wms =
        openWith(*w, {service("/portal"), service("/erro") + ",comentario", service("/wms1")});
    wms.SpeedButton2->click();

    // Each service that did not answer a capabilities document is named with
    // what it said; the others are read as before.
    ASSERT_EQ(dialogs.messages().size(), 2) << dialogs.messages().join("\n").toStdString();
    EXPECT_EQ(dialogs.messages()[0],
              QString::fromUtf8("O serviço %1 não respondeu com um documento de capacidades WMS "
                                "(GetCapabilities):\nAcesso restrito\nEntre com seu usuário")
                  .arg(service("/portal")));
    EXPECT_EQ(dialogs.messages()[1],
              QString::fromUtf8("O serviço %1 não respondeu com um documento de capacidades WMS "
                                "(GetCapabilities):\nmsLoadMap(): Unable to access file.")
                  .arg(service("/erro")));
    ASSERT_EQ(wms.CheckListBox1->count(), 1);
    EXPECT_EQ(wms.CheckListBox1->item(0)->text(), "2*Geologia,lito");
    EXPECT_EQ(wms.Edit2->text(), "-10.00000000");
    EXPECT_EQ(wms.ListBox1->item(1)->text(), service("/erro"));
}

TEST_F(WmsTest, withTheOverviewShownTheServicesExtentIsTheWholeMapAndZoomingGoesOn) {
    server.reply("/wms1", answer(jpeg(QColor(90, 90, 90))));
    auto w = startWithTheme();
    w->findChild<QRadioButton*>("RadioGroup1Item0")->click();  // "Visível"
    wms::WmsWindow& wms = openWith(*w, {service("/wms1")});
    addLayer(wms, "0*Geologia,lito", true);
    typeExtent(wms, "-5", "-7", "-46", "-48");
    wms.SpeedButton1->click();
    const double first = w->Map1->extent().width();
    w->button("SpeedButton2")->click();
    w->button("SpeedButton2")->click();
    // Each zoom goes on from the last one, and the picture asked is the map's.
    EXPECT_NEAR(w->Map1->extent().width(), first * 0.64, first * 1e-6);
    EXPECT_NE(QString::fromStdString(asked("/wms1").back())
                  .indexOf(wms::bboxText(w->Map1->extent()).replace(" ", "%20")),
              -1);
    // "Toda area" returns to the services' extent, asked through a zoom out.
    w->button("SpeedButton1")->click();
    EXPECT_TRUE(w->Map1->extent().contains({-47, -6}));
    EXPECT_NE(QString::fromStdString(asked("/wms1").back())
                  .indexOf(wms::bboxText(w->Map1->extent()).replace(" ", "%20")),
              -1);
}

TEST_F(WmsTest, identifyWithTheBedrockConnectionAsksTheFixedService) {
    auto w = startWithTheme();
    QCoreApplication::processEvents();  // laid out at its size
    server.reply("/rocha/cgi-bin/BRA_KXT_Bedrock_Geology/wms",
                 answer("<html>Embasamento</html>", "text/html"));
    w->state().connectionKind = 2;
    w->button("SpeedButton6")->setChecked(true);
    QTest::mouseClick(w->Map1, Qt::LeftButton, {}, QPoint(30, 20));
    const QSize area = w->Map1->size();
    EXPECT_EQ(w->recordView().address().toStdString(),
              (server.url("/rocha") +
               QStringLiteral("/cgi-bin/BRA_KXT_Bedrock_Geology/wms?&VERSION=1.1.1&REQUEST="
                              "GetFeatureInfo&SERVICE=WMS&LAYERS=BRA_KXT_1M_BLS&SRS=EPSG:4326&"
                              "BBOX=-57.581454957,-19.947229551,-38.038597814,-7.915567282&"
                              "WIDTH=%1&HEIGHT=%2&INFO_FORMAT=text/html&FORMAT=image/png&"
                              "FEATURE_COUNT=100&QUERY_LAYERS=BRA_KXT_1M_BLS&STYLES=default&X=30&"
                              "Y=20")
                   .arg(area.width())
                   .arg(area.height()))
                  .toStdString());
    EXPECT_TRUE(w->recordView().content().contains("Embasamento"));
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
}

TEST_F(WmsTest, indexMapClickAddsTheServicesOfTheSheetFromTheCatalogue) {
    (void)platform::writeTextLines(
        programFile("listawms.txt"),
        {"SF23,http://sf23.example/wms?", "SF2,http://outra?", "SF23,http://sf23b.example/wms?"});
    server.reply("/cgi-bin/servpqd1.exe/acao2", answer(jpeg(QColor(10, 120, 10))));
    server.reply("/cgi-bin/servpqd1.exe/obtem", answer("SF23\r\n", "text/plain"));
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {});
    wms.SpeedButton16->click();
    // The fixed rectangle, widened by the theme's, in the extent edits.
    EXPECT_EQ(wms.Edit2->text(), "    5.382890");
    EXPECT_EQ(wms.Edit5->text(), "  -73.839432");
    EXPECT_EQ(wms.RadioGroup1->checkedId(), 0);
    EXPECT_TRUE(w->state().indexMapMode);
    EXPECT_TRUE(w->state().indexClickLookup);
    ASSERT_TRUE(w->Image1->isVisible());
    const QSize area = w->Map1->size();
    EXPECT_EQ(
        QString::fromStdString(asked("/cgi-bin/servpqd1.exe/acao2").back()),
        QStringLiteral("/cgi-bin/servpqd1.exe/acao2?&mapa=INDICE_Quelvora&&&largura=%1&&altura=%2")
            .arg(area.width())
            .arg(area.height()));

    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(50, 60));
    ASSERT_EQ(asked("/cgi-bin/servpqd1.exe/obtem").size(), 1u);
    const mapcontrol::MapPoint p = w->Map1->toMapPoint(50, 60);
    EXPECT_EQ(
        QString::fromStdString(asked("/cgi-bin/servpqd1.exe/obtem").back()),
        QStringLiteral("/cgi-bin/servpqd1.exe/obtem?&&indice=S&&&mapa=INDICE_QUELVORA&&x=%1&&y=%2")
            .arg(wms::fixedText(p.x, 4, 8).replace(" ", "%20"),
                 wms::fixedText(p.y, 4, 8).replace(" ", "%20")));
    ASSERT_EQ(wms.ListBox1->count(), 2);
    EXPECT_EQ(wms.ListBox1->item(0)->text(), "http://sf23.example/wms?");
    EXPECT_EQ(wms.ListBox1->item(1)->text(), "http://sf23b.example/wms?");

    server.reply("/cgi-bin/servpqd1.exe/obtem", answer("SF99\r\n", "text/plain"));
    QTest::mouseClick(w->Image1, Qt::LeftButton, {}, QPoint(50, 60));
    EXPECT_EQ(dialogs.lastMessage(), "Serviço ainda não implementado");
    EXPECT_EQ(wms.ListBox1->count(), 2);
}

TEST_F(WmsTest, opacityStepUsesThePositionBeforeTheStep) {
    auto w = startWithTheme();
    const QSize area = w->Map1->size();
    QImage remote(area, QImage::Format_RGB32);
    remote.fill(QColor(200, 200, 200));
    QImage local(area, QImage::Format_RGB32);
    local.fill(QColor(100, 100, 100));
    ASSERT_TRUE(remote.save(programFile("temp.bmp"), "BMP"));
    ASSERT_TRUE(local.save(programFile("temp1.bmp"), "BMP"));
    w->state().wmsActive = true;
    wms::WmsWindow& wms = w->wmsWindow();
    wms.up1->setEnabled(true);
    wms.up1->stepBy(1);  // from 5: 0.5
    EXPECT_EQ(wms.up1->value(), 6);
    EXPECT_EQ(qRed(shownPixel(*w, 3, 3)), 150);
    wms.up1->stepBy(1);  // from 6: 0.6, f = 153
    EXPECT_EQ(qRed(shownPixel(*w, 3, 3)), 200 + static_cast<int>(std::floor(-100 * 153 / 256.0)));
}

TEST_F(WmsTest, screenMemoriesAlternateAndBlendTheTwoScreens) {
    auto w = startWithTheme();
    QToolButton* m1 = w->button("M1");
    QToolButton* m2 = w->button("M2");
    EXPECT_FALSE(m2->isEnabled());
    // M2 with no first memory blends an empty screen with the current one.
    QFile::remove(programFile("fox1.bmp"));
    m2->setEnabled(true);
    m2->click();
    EXPECT_TRUE(w->state().memoryMode);
    EXPECT_TRUE(w->Image1->isVisible());
    EXPECT_TRUE(QFile::exists(programFile("fox2.bmp")));
    EXPECT_FALSE(m2->isEnabled());
    EXPECT_TRUE(m1->isEnabled());
    EXPECT_FALSE(w->button("SpeedButton3")->isEnabled());

    m1->click();
    EXPECT_TRUE(QFile::exists(programFile("fox1.bmp")));
    EXPECT_FALSE(m1->isEnabled());
    EXPECT_TRUE(m2->isEnabled());
    EXPECT_FALSE(w->findChild<QMenu*>("Temas1")->menuAction()->isEnabled());
    m2->click();
    EXPECT_TRUE(w->connectionsWindow().up->isEnabled());

    // The opacity step then weighs the two memories.
    const QSize area = w->Map1->size();
    QImage first(area, QImage::Format_RGB32);
    first.fill(QColor(0, 0, 0));
    QImage second(area, QImage::Format_RGB32);
    second.fill(QColor(255, 255, 255));
    ASSERT_TRUE(first.save(programFile("fox1.bmp"), "BMP"));
    ASSERT_TRUE(second.save(programFile("fox2.bmp"), "BMP"));
    w->connectionsWindow().up->setValue(10);
    w->connectionsWindow().up->stepBy(-1);  // 1.0: the second memory almost alone
    EXPECT_EQ(qRed(shownPixel(*w, 1, 1)), 254);

    // "XM" leaves the memories for the live map.
    w->button("SpeedButton37")->click();
    EXPECT_FALSE(w->state().memoryMode);
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    EXPECT_TRUE(w->button("SpeedButton3")->isEnabled());
}

TEST_F(WmsTest, macroFilesKeepServicesLayersAndCheckMarks) {
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {});
    const QString empty = drives.native("D:\\vazio.end");
    dialogs.push(empty);
    wms.SpeedButton8->click();
    const platform::TextLines four = platform::readTextLines(empty);
    EXPECT_EQ(four.lines.size(), 4);

    wms.ListBox1->addItems({service("/morto1"), service("/morto2")});
    addLayer(wms, "0*Geologia,lito", true);
    addLayer(wms, "1*Relevo, sombreado,relevo", false);
    wms.Edit2->setText("5.1");
    wms.Edit3->setText("-33.7");
    wms.Edit4->setText("-34.8");
    wms.Edit5->setText("-73.8");
    const QString path = drives.native("D:\\macro.end");
    dialogs.push(path);
    wms.SpeedButton8->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "5.1\r\n-33.7\r\n-34.8\r\n-73.8\r\nA;" +
                                  service("/morto1").toLatin1() + "\r\nA;" +
                                  service("/morto2").toLatin1() +
                                  "\r\nB;#0*Geologia,lito\r\nB;1*Relevo, sombreado,relevo\r\n");

    // Loading with unreachable services still restores the lists from the file.
    wms.SpeedButton6->click();
    wms.Edit2->clear();
    dialogs.push(path);
    wms.SpeedButton9->click();
    EXPECT_EQ(dialogs.lastMessage(), "Problemas com a conexão - verifique!");
    ASSERT_EQ(wms.ListBox1->count(), 2);
    ASSERT_EQ(wms.CheckListBox1->count(), 2);
    EXPECT_EQ(wms.CheckListBox1->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(wms.CheckListBox1->item(1)->text(), "1*Relevo, sombreado,relevo");
    EXPECT_EQ(wms.CheckListBox1->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(wms.Edit2->text(), "5.1");
    EXPECT_DOUBLE_EQ(w->state().currentExtent.top(), 5.1);
    EXPECT_DOUBLE_EQ(w->state().currentExtent.left(), -73.8);

    // A cancelled load leaves both lists empty.
    dialogs.push(support::ScriptedDialogs::Cancel{});
    wms.SpeedButton9->click();
    EXPECT_EQ(wms.ListBox1->count(), 0);
    EXPECT_EQ(wms.CheckListBox1->count(), 0);
}

TEST_F(WmsTest, macroFilesWriteForeignTitlesWithQuestionMarksAndRefuseOnlyForeignNames) {
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/morto1")});
    addLayer(wms, QString::fromUtf8("0*Геология России, 1:2,5M,geo"), true);
    addLayer(wms, QString::fromUtf8("0*Ocorrências,ocorr"), false);
    typeExtent(wms, "5.1", "-33.7", "-34.8", "-73.8");
    const QString path = drives.native("D:\\estrangeiro.end");
    dialogs.push(path);
    wms.SpeedButton8->click();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "5.1\r\n-33.7\r\n-34.8\r\n-73.8\r\nA;" + service("/morto1").toLatin1() +
                  "\r\nB;#0*???????? ??????, 1:2,5M,geo\r\nB;0*Ocorr\xEAncias,ocorr\r\n");
    file.close();

    // Loading it gives the same services, names and check marks.
    wms.SpeedButton6->click();
    dialogs.push(path);
    wms.SpeedButton9->click();
    ASSERT_EQ(wms.ListBox1->count(), 1);
    EXPECT_EQ(wms.ListBox1->item(0)->text(), service("/morto1"));
    const std::vector<std::pair<QString, bool>> entries = wms.layerEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], std::make_pair(QString("0*???????? ??????, 1:2,5M,geo"), true));
    EXPECT_EQ(entries[1], std::make_pair(QString::fromUtf8("0*Ocorrências,ocorr"), false));

    // A name or an address the file cannot hold is refused, naming it, and
    // the file stays as it was.
    const auto bytes = [&path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    addLayer(wms, QString::fromUtf8("0*Mapa,карта"), false);
    const int shown = dialogs.messages().size();
    dialogs.push(path);
    wms.SpeedButton8->click();
    ASSERT_EQ(dialogs.messages().size(), shown + 1);
    EXPECT_TRUE(dialogs.lastMessage().contains(QString::fromUtf8("o nome do layer \"карта\"")))
        << dialogs.lastMessage().toStdString();
    delete wms.CheckListBox1->takeItem(2);
    wms.ListBox1->addItem(QString::fromUtf8("http://геология.example/wms?"));
    dialogs.push(path);
    wms.SpeedButton8->click();
    ASSERT_EQ(dialogs.messages().size(), shown + 2);
    EXPECT_TRUE(dialogs.lastMessage().contains(
        QString::fromUtf8("o endereço do serviço \"http://геология.example/wms?\"")))
        << dialogs.lastMessage().toStdString();
    EXPECT_EQ(bytes(), before);
}

}  // namespace

namespace {

// The services asked one after another, through download() alone, as a
// refresh asked them before they were asked together; each failure noted.
class OneAtATime : public net::Downloader {
public:
    platform::Result download(const QString& url, const QString& nativePath) override {
        platform::Result got = m_session.download(url, nativePath);
        if (!got) failures.push_back(got);
        return got;
    }
    std::vector<platform::Result> failures;

private:
    net::Session m_session;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Three services whose answers are held until all three were asked, then
// the same refresh asked of them in turn, outside the window: the picture
// shown, the program folder's files and the messages must be the same.
class WmsTogetherTest : public WmsTest {
protected:
    using Replies = std::vector<std::pair<std::string, support::HttpServer::Reply>>;

    void refreshTogetherThenInTurn(const Replies& replies) {
        // A refresh that asked in turn would end at this time-out, failed.
        drives.writeFile("C:\\xquelvora\\quelvora.conf", ("gateway_host=" + server.url(QString()) +
                                                          "\r\ndownload_total_timeout_ms=20000\r\n")
                                                             .toLatin1());
        for (const auto& [path, reply] : replies) server.reply(path, reply);
        w = startWithTheme();
        wms::WmsWindow& wms = openWith(*w, {service("/um"), service("/dois"), service("/tres")});
        addLayer(wms, "0*Geologia,lito", true);
        addLayer(wms, "1*Falhas,falhas", true);
        addLayer(wms, "2*Relevo,relevo", true);
        typeExtent(wms, "-5", "-7", "-46", "-48");
        // The first picture has the first service's colour, however many follow.
        w->overlayWindow().RadioGroup1->button(4)->setChecked(true);
        wms.SpeedButton1->click();

        // The refresh under test: every answer waits for all three requests.
        const size_t before = server.targets().size();
        for (auto [path, reply] : replies) {
            reply.holdUntilRequests = static_cast<int>(before) + 3;
            server.reply(path, reply);
        }
        const int messagesBefore = dialogs.messages().size();
        w->RefreshRemoteImage();
        togetherMessages = dialogs.messages().mid(messagesBefore);
        togetherStatus = w->statusLine().text();
        shown = w->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<std::string> asked = server.targets();
        ASSERT_EQ(asked.size(), before + 3);
        togetherAsked.assign(asked.begin() + static_cast<long>(before), asked.end());

        // The same refresh, in turn, into a folder of its own.
        for (const auto& [path, reply] : replies) server.reply(path, reply);
        const QSize area = w->Map1->size();
        OneAtATime inTurn;
        const wms::ServicePicturesResult pictures = wms::fetchServicePictures(
            wms::checkedLayersByService(wms.services(), wms.layerEntries()),
            w->state().currentExtent, area, w->overlayWindow().mode(), inTurn, inTurnFolder.path());
        for (const QString& text : pictures.serverTexts) inTurnMessages << text;
        if (!pictures.ok) inTurnMessages << "Não foi realizada conexão, verifique a Internet";
        if (!inTurn.failures.empty()) {
            inTurnStatus = inTurn.failures.back().detail;
            inTurnStatus[0] = inTurnStatus[0].toUpper();
        }
        const wms::Composite composite = wms::composeWithLocalMap(
            pictures.combined, true, [this](QSize size) { return w->Map1->renderPicture(size); },
            inTurnFolder.path());
        ASSERT_TRUE(composite.blend);
        inTurnShown = composite.shown.convertToFormat(QImage::Format_RGB32);
        const std::vector<std::string> all = server.targets();
        inTurnAsked.assign(all.end() - 3, all.end());
    }

    QString inTurnFile(const QString& name) const { return inTurnFolder.filePath(name); }

    std::unique_ptr<app::TForm1> w;
    QTemporaryDir inTurnFolder;
    QStringList togetherMessages, inTurnMessages;
    QString togetherStatus, inTurnStatus;
    QImage shown, inTurnShown;
    std::vector<std::string> togetherAsked, inTurnAsked;
};

}  // namespace

TEST_F(WmsTogetherTest, aRefreshAsksItsServicesTogetherAndShowsWhatAskingInTurnShows) {
    refreshTogetherThenInTurn({{"/um", answer(jpeg(QColor(200, 30, 30)))},
                               {"/dois", answer(jpeg(QColor(30, 200, 30)))},
                               {"/tres", answer(jpeg(QColor(30, 30, 200)))}});
    EXPECT_TRUE(togetherMessages.isEmpty()) << togetherMessages.join('\n').toStdString();
    EXPECT_TRUE(w->Image1->isVisible());
    // The same three requests, in whatever order they arrived.
    std::sort(togetherAsked.begin(), togetherAsked.end());
    std::sort(inTurnAsked.begin(), inTurnAsked.end());
    EXPECT_EQ(togetherAsked, inTurnAsked);
    EXPECT_EQ(shown, inTurnShown);
    for (const char* name : {"temp.bmp", "temp1.bmp", "temp.jpg"}) {
        EXPECT_EQ(fileBytes(programFile(name)), fileBytes(inTurnFile(name))) << name;
    }
    // The first service's red is what the Invert mode leaves, inverted twice.
    const QSize area = w->Map1->size();
    const wms::PictureSize size =
        wms::pictureSize(area.width(), area.height(), w->state().currentExtent);
    EXPECT_TRUE(near(shown.pixel(size.x + 10, size.y + 10), 227, 142, 142, 12))
        << std::hex << shown.pixel(size.x + 10, size.y + 10);
    // Nothing of the answers' own files is left in the program folder.
    EXPECT_EQ(QDir(drives.programFolder()).entryList({"*-??????"}, QDir::AllEntries | QDir::Hidden),
              QStringList());
}

TEST_F(WmsTogetherTest, withServicesFailingTheMessagesAreThoseOfAskingInTurn) {
    refreshTogetherThenInTurn(
        {{"/um", answer(jpeg(QColor(200, 30, 30)))},
         {"/dois", answer("<?xml version='1.0'?><ServiceExceptionReport version=\"1.1.1\">"
                          "<ServiceException>Camada falhas inexistente.</ServiceException>"
                          "</ServiceExceptionReport>",
                          "application/vnd.ogc.se_xml")},
         {"/tres", {503, "ocupado"}}});
    EXPECT_EQ(togetherMessages, inTurnMessages);
    ASSERT_EQ(togetherMessages.size(), 2);
    EXPECT_EQ(togetherMessages[0], "Camada falhas inexistente.");
    EXPECT_EQ(togetherStatus, inTurnStatus);
    EXPECT_TRUE(togetherStatus.contains("503")) << togetherStatus.toStdString();
    EXPECT_FALSE(QFile::exists(programFile("temp.jpg")));
    EXPECT_FALSE(QFile::exists(inTurnFile("temp.jpg")));
    for (const char* name : {"temp.bmp", "temp1.bmp"}) {
        EXPECT_EQ(fileBytes(programFile(name)), fileBytes(inTurnFile(name))) << name;
    }
}

TEST_F(WmsTest, capabilitiesOfSeveralServicesAreAskedTogetherAndReadInListOrder) {
    // Each answer waits until all three services were asked: asked in turn,
    // the read would end at the time-out with nothing.
    drives.writeFile("C:\\xquelvora\\quelvora.conf", ("gateway_host=" + server.url(QString()) +
                                                      "\r\ndownload_total_timeout_ms=20000\r\n")
                                                         .toLatin1());
    const auto held = [](std::string body, int status = 200) {
        support::HttpServer::Reply reply = answer(std::move(body), "text/xml");
        reply.status = status;
        reply.holdUntilRequests = 3;
        return reply;
    };
    server.reply("/wms1", held(capabilities({{"lito", "Geologia"}}, box(-50, -20, -40, -10))));
    server.reply("/wms2", held("ocupado", 503));
    server.reply("/wms3", held(capabilities({{"relevo", "Relevo"}, {"falhas", "Falhas"}},
                                            box(-60, -30, -45, -5))));
    auto w = startWithTheme();
    wms::WmsWindow& wms = openWith(*w, {service("/wms1"), service("/wms2"), service("/wms3")});
    wms.SpeedButton2->click();

    ASSERT_EQ(wms.CheckListBox1->count(), 3);
    EXPECT_EQ(wms.CheckListBox1->item(0)->text(), "0*Geologia,lito");
    EXPECT_EQ(wms.CheckListBox1->item(1)->text(), "2*Relevo,relevo");
    EXPECT_EQ(wms.CheckListBox1->item(2)->text(), "2*Falhas,falhas");
    // The last service answered: no connection message; the failed one's
    // reason is on the status line.
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
    EXPECT_TRUE(w->statusLine().text().contains("503")) << w->statusLine().text().toStdString();
    EXPECT_EQ(wms.Edit2->text(), "-5.00000000");
    EXPECT_EQ(wms.Edit5->text(), "-60.00000000");
    // "layers.txt" holds the last document read, as when read in turn.
    QFile kept(programFile("layers.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().contains("<Name>falhas</Name>\r\n"));
    EXPECT_EQ(QDir(drives.programFolder()).entryList({"*-??????"}, QDir::AllEntries | QDir::Hidden),
              QStringList());
}
