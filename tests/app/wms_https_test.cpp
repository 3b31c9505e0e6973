// The web map services over HTTPS, through the main window as the user
// works: the MapServer test server behind a TLS front whose authority the
// settings trust. Capabilities, pictures and feature info arrive over
// HTTPS and through a redirect from http; a certificate that is not
// trusted, expired or made out to another name gives each command's own
// message, the reason on the status line naming the server, no picture,
// and leaves the user's files as they were.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "platform/status_line.h"
#include "platform/web_view.h"
#include "support/mapserver.h"
#include "support/tls_front.h"
#include "wms/connections_window.h"
#include "wms/wms_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

namespace {

using Certificate = support::TlsFront::Certificate;

const QString kConnectionProblem = QString::fromUtf8("Problemas com a conexão - verifique!");
const QString kNoConnection = QString::fromUtf8("Não foi realizada conexão, verifique a Internet");

class WmsHttpsTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!server.available()) GTEST_SKIP() << server.skipReason().toStdString();
        ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
        if (!front.available()) GTEST_SKIP() << front.skipReason().toStdString();
        ASSERT_TRUE(front.isRunning()) << front.startError().toStdString();
        QDir().mkpath(drives.programFolder());
    }

    // The settings trust the front's authority; `hosts` holds further lines.
    void writeSettings(const QByteArray& hosts = {}) {
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         "download_extra_ca_file=" + front.caFile().toUtf8() + "\r\n" + hosts);
    }

    // The path and query of the MapServer service, to put after a scheme
    // and a host.
    QString servicePath() const {
        return QStringLiteral("/cgi-bin/mapserv?map=%1&").arg(server.mapfilePath());
    }

    // The main window with `address` in the service list and its layers read.
    std::unique_ptr<app::TForm1> startWithService(const QString& address) {
        if (!QFile::exists(drives.configFolder() + "/quelvora.conf")) writeSettings();
        return startWithWmsService(address);
    }

    // The geology layer checked and its picture asked for; the colour shown
    // in the middle of the large unit.
    QRgb showGeology(app::TForm1& w) {
        wms::WmsWindow& wms = w.wmsWindow();
        const int geology = wmsLayerRow(wms, "0*Geologia,lito_1000000");
        EXPECT_GE(geology, 0);
        if (geology < 0) return 0;
        wms.CheckListBox1->item(geology)->setCheckState(Qt::Checked);
        wms.SpeedButton1->click();
        const QPointF middle = w.Map1->toPixel({-45, -15});
        return w.Image1->pixmap().toImage().pixel(static_cast<int>(middle.x()),
                                                  static_cast<int>(middle.y()));
    }

    static void expectCentralColour(QRgb shown) {
        EXPECT_NEAR(qRed(shown), support::MapServer::kCentralColour[0], 12);
        EXPECT_NEAR(qGreen(shown), support::MapServer::kCentralColour[1], 12);
        EXPECT_NEAR(qBlue(shown), support::MapServer::kCentralColour[2], 12);
    }

    support::MapServer server;
    support::TlsFront front{server.port()};
};

TEST_F(WmsHttpsTest, capabilitiesPictureAndFeatureInfoComeOverHttps) {
    auto w = startWithService(front.httpsUrl(Certificate::Trusted, servicePath()));
    wms::WmsWindow& wms = w->wmsWindow();
    ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    EXPECT_GE(wmsLayerRow(wms, "0*Geologia,lito_1000000"), 0);
    EXPECT_EQ(wms.Edit2->text(), "-10.00000000");

    expectCentralColour(showGeology(*w));
    ASSERT_TRUE(w->Image1->isVisible()) << dialogs.messages().join("\n").toStdString();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();

    // Identify on the picture asks the service over HTTPS.
    wms.CheckListBox1->setCurrentRow(wmsLayerRow(wms, "0*Geologia,lito_1000000"));
    wms.CheckListBox1Click();
    EXPECT_TRUE(wms.Edit6->text().startsWith("https://"));
    w->button("SpeedButton6")->setChecked(true);
    const QPointF middle = w->Map1->toPixel({-45, -15});
    QTest::mouseClick(w->Image1, Qt::LeftButton, {},
                      QPoint(static_cast<int>(middle.x()), static_cast<int>(middle.y())));
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_TRUE(w->recordView().content().contains(support::MapServer::kCentralUnit))
        << w->recordView().content().toStdString();
}

TEST_F(WmsHttpsTest, anHttpAddressRedirectedToHttpsWorks) {
    auto w = startWithService(front.httpUrl(servicePath()));
    ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    EXPECT_GE(wmsLayerRow(w->wmsWindow(), "0*Geologia,lito_1000000"), 0);
    expectCentralColour(showGeology(*w));
    EXPECT_TRUE(w->Image1->isVisible());
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
}

struct Fault {
    Certificate certificate;
    const char* reason;  // what the status line says after the server's name
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.reason;
}

class WmsHttpsFaultTest : public WmsHttpsTest, public ::testing::WithParamInterface<Fault> {
protected:
    QString faultyAddress() const { return front.httpsUrl(GetParam().certificate, servicePath()); }
    // "O certificado ... <host:port> <reason>": the status line names the
    // server and says what is wrong with its certificate.
    void expectReasonOnStatusLine(app::TForm1& w) const {
        const QString said = w.statusLine().text();
        const QString host = QStringLiteral("127.0.0.1:%1").arg(front.port(GetParam().certificate));
        EXPECT_TRUE(said.startsWith("O certificado")) << said.toStdString();
        EXPECT_TRUE(said.contains(host + " " + QString::fromUtf8(GetParam().reason)))
            << said.toStdString();
    }
};

INSTANTIATE_TEST_SUITE_P(
    Certificates, WmsHttpsFaultTest,
    ::testing::Values(Fault{Certificate::SelfSigned, "não é confiável: autoassinado"},
                      Fault{Certificate::OtherHost, "é de outro servidor: o nome não confere"},
                      Fault{Certificate::Expired, "expirou"}),
    [](const ::testing::TestParamInfo<Fault>& info) {
        switch (info.param.certificate) {
            case Certificate::SelfSigned:
                return std::string("selfSigned");
            case Certificate::OtherHost:
                return std::string("otherHost");
            case Certificate::Expired:
                return std::string("expired");
            default:
                return std::string("trusted");
        }
    });

TEST_P(WmsHttpsFaultTest, theCapabilitiesReadSaysItsMessageAndTheStatusLineWhy) {
    auto w = startWithService(faultyAddress());
    EXPECT_EQ(dialogs.messages(), QStringList{kConnectionProblem});
    EXPECT_EQ(w->wmsWindow().CheckListBox1->count(), 0);
    expectReasonOnStatusLine(*w);
}

TEST_P(WmsHttpsFaultTest, theMapRequestShowsNoPictureAndTheStatusLineWhy) {
    auto w = startWithService(faultyAddress());
    wms::WmsWindow& wms = w->wmsWindow();
    auto* item = new QListWidgetItem("0*Geologia,lito_1000000", wms.CheckListBox1);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    wms.Edit2->setText("-10");
    wms.Edit3->setText("-20");
    wms.Edit4->setText("-40");
    wms.Edit5->setText("-50");
    w->statusLine().clear();
    wms.SpeedButton1->click();
    EXPECT_EQ(dialogs.messages(), QStringList({kConnectionProblem, kNoConnection}));
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    expectReasonOnStatusLine(*w);
}

TEST_P(WmsHttpsFaultTest, theCatalogueDownloadLeavesTheUsersCatalogueAsItWas) {
    writeSettings("gateway_host=" + front.httpsUrl(GetParam().certificate, QString()).toUtf8());
    const QByteArray earlier = "Geologia do Brasil,http://servidor.antigo/wms?\r\n";
    QFile catalogue(QDir(drives.programFolder()).filePath("listawms.txt"));
    ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
    catalogue.write(earlier);
    catalogue.close();
    auto w = start();
    w->show();
    w->button("BOTAO3")->click();
    w->wmsWindow().SpeedButton12->click();
    EXPECT_EQ(dialogs.messages(), QStringList{kConnectionProblem});
    ASSERT_TRUE(catalogue.open(QIODevice::ReadOnly));
    EXPECT_EQ(catalogue.readAll(), earlier);
    EXPECT_EQ(w->wmsWindow().ComboBox3->count(), 2);  // the empty line and the earlier one
    expectReasonOnStatusLine(*w);
}

TEST_P(WmsHttpsFaultTest, theLegendSaysWhyInItsOwnMessage) {
    auto w = startWithService(faultyAddress());
    wms::WmsWindow& wms = w->wmsWindow();
    wms.Edit6->setText(faultyAddress());
    wms.Edit7->setText("0*Geologia,lito_1000000");
    wms.SpeedButton11->click();
    ASSERT_EQ(dialogs.messages().size(), 2) << dialogs.messages().join("\n").toStdString();
    const QString said = dialogs.messages()[1];
    EXPECT_TRUE(said.startsWith(
        QString::fromUtf8("Não foi possível mostrar a legenda do layer lito_1000000:")))
        << said.toStdString();
    EXPECT_TRUE(
        said.contains(QStringLiteral("127.0.0.1:%1 ").arg(front.port(GetParam().certificate)) +
                      QString::fromUtf8(GetParam().reason)))
        << said.toStdString();
    EXPECT_FALSE(w->windows().window("TForm18")->isVisible());
}

TEST_P(WmsHttpsFaultTest, aFixedConnectionShowsNoPictureAndTheStatusLineWhy) {
    writeSettings("grids_wms_host=" + front.httpsUrl(GetParam().certificate, QString()).toUtf8());
    auto w = start();
    w->resize(900, 700);
    w->show();
    wms::ConnectionsWindow& c = w->connectionsWindow();
    w->findChild<QAction*>("Conexoes1")->trigger();
    c.RadioGroup2->button(3)->click();  // "Relevo 90m"
    c.SpeedButton37->click();
    EXPECT_EQ(dialogs.messages(), QStringList{kNoConnection});
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_FALSE(w->Image1->isVisible());
    expectReasonOnStatusLine(*w);
}

}  // namespace
