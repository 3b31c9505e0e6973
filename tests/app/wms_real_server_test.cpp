// The web map services client against a real WMS server (MapServer's CGI
// behind lighttpd), driven through the main window as the user does.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "platform/web_view.h"
#include "support/mapserver.h"
#include "wms/wms_window.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

namespace {

class WmsRealServerTest : public support::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!server.available()) GTEST_SKIP() << server.skipReason().toStdString();
        ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
        QDir().mkpath(drives.programFolder());
    }

    // The server added to the list and its layers read.
    std::unique_ptr<app::TForm1> startWithLayers() {
        return startWithWmsService(server.baseAddress());
    }

    support::MapServer server;
};

TEST_F(WmsRealServerTest, layersAndExtentComeFromTheServersCapabilities) {
    auto w = startWithLayers();
    const wms::WmsWindow& wms = w->wmsWindow();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
    EXPECT_GE(wmsLayerRow(wms, "0*Geologia,lito_1000000"), 0);
    EXPECT_GE(wmsLayerRow(wms, QString::fromUtf8("0*Ocorrências, minerais (Au, Cu),ocorrencias")),
              0);
    EXPECT_EQ(wms.Edit2->text(), "-10.00000000");
    EXPECT_EQ(wms.Edit3->text(), "-20.00000000");
    EXPECT_EQ(wms.Edit4->text(), "-40.00000000");
    EXPECT_EQ(wms.Edit5->text(), "-50.00000000");
}

TEST_F(WmsRealServerTest, theServersPictureIsShownWhereTheMapSaysAndAnswersIdentify) {
    auto w = startWithLayers();
    wms::WmsWindow& wms = w->wmsWindow();
    const int geology = wmsLayerRow(wms, "0*Geologia,lito_1000000");
    ASSERT_GE(geology, 0);
    wms.CheckListBox1->item(geology)->setCheckState(Qt::Checked);
    wms.SpeedButton1->click();
    ASSERT_TRUE(w->Image1->isVisible()) << dialogs.messages().join("\n").toStdString();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();

    // The middle of the large unit, where the map's coordinates put it, has
    // the unit's colour (no local theme: full opacity over white).
    const QPointF middle = w->Map1->toPixel({-45, -15});
    const QRgb shown = w->Image1->pixmap().toImage().pixel(static_cast<int>(middle.x()),
                                                           static_cast<int>(middle.y()));
    EXPECT_NEAR(qRed(shown), support::MapServer::kCentralColour[0], 12);
    EXPECT_NEAR(qGreen(shown), support::MapServer::kCentralColour[1], 12);
    EXPECT_NEAR(qBlue(shown), support::MapServer::kCentralColour[2], 12);
    // Outside the units the service's background.
    const QPointF outside = w->Map1->toPixel({-41, -11});
    EXPECT_GT(qRed(w->Image1->pixmap().toImage().pixel(static_cast<int>(outside.x()),
                                                       static_cast<int>(outside.y()))),
              230);

    // Identify on the picture asks the service about that pixel.
    wms.CheckListBox1->setCurrentRow(geology);
    wms.CheckListBox1Click();
    w->button("SpeedButton6")->setChecked(true);
    QTest::mouseClick(w->Image1, Qt::LeftButton, {},
                      QPoint(static_cast<int>(middle.x()), static_cast<int>(middle.y())));
    EXPECT_TRUE(w->windows().window("TForm16")->isVisible());
    EXPECT_TRUE(w->recordView().content().contains(support::MapServer::kCentralUnit))
        << w->recordView().content().toStdString();
}

TEST_F(WmsRealServerTest, anUnknownLayerGivesTheServersExceptionNotAPicture) {
    auto w = startWithLayers();
    wms::WmsWindow& wms = w->wmsWindow();
    auto* item = new QListWidgetItem("0*Nada,camada_que_nao_existe", wms.CheckListBox1);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    wms.SpeedButton1->click();
    ASSERT_EQ(dialogs.messages().size(), 2) << dialogs.messages().join("\n").toStdString();
    EXPECT_TRUE(dialogs.messages()[0].contains("Invalid layer(s) given in the LAYERS parameter"))
        << dialogs.messages()[0].toStdString();
    EXPECT_EQ(dialogs.messages()[1], "Não foi realizada conexão, verifique a Internet");
    EXPECT_TRUE(w->Map1->isVisible());
}

// Whether some pixel of `picture` is within `tolerance` of the colour.
bool holdsColour(const QImage& picture, const int (&rgb)[3], int tolerance = 8) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            if (std::abs(qRed(p) - rgb[0]) <= tolerance &&
                std::abs(qGreen(p) - rgb[1]) <= tolerance &&
                std::abs(qBlue(p) - rgb[2]) <= tolerance) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(WmsRealServerTest, theLegendOfAClassedLayerShowsItsClassSwatches) {
    auto w = startWithLayers();
    wms::WmsWindow& wms = w->wmsWindow();
    const int geology = wmsLayerRow(wms, "0*Geologia,lito_1000000");
    ASSERT_GE(geology, 0);
    wms.CheckListBox1->setCurrentRow(geology);
    wms.CheckListBox1Click();
    wms.SpeedButton11->click();
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    QWidget* form = w->windows().window("TForm18");
    EXPECT_TRUE(form->isVisible());
    const QImage legend = form->findChild<platform::WebView*>("WebBrowser1")->picture();
    ASSERT_FALSE(legend.isNull());
    // One swatch per class: the central unit's colour and the corner unit's.
    EXPECT_TRUE(holdsColour(legend, support::MapServer::kCentralColour));
    EXPECT_TRUE(holdsColour(legend, {90, 170, 90}));
}

TEST_F(WmsRealServerTest, aMapTheServerRefusesGivesItsPageAsTheReasonForNoLayers) {
    auto w = start();
    w->show();
    QCoreApplication::processEvents();
    w->button("BOTAO3")->click();
    wms::WmsWindow& wms = w->wmsWindow();
    // A mapfile outside the folder the server's configuration allows.
    const QString refused =
        QStringLiteral("http://127.0.0.1:%1/cgi-bin/mapserv?map=/nao/existe.map&")
            .arg(server.port());
    wms.ListBox1->addItems({refused, server.baseAddress()});
    wms.SpeedButton2->click();
    ASSERT_EQ(dialogs.messages().size(), 1) << dialogs.messages().join("\n").toStdString();
    const QString message = dialogs.messages()[0];
    EXPECT_TRUE(message.startsWith(
        QString::fromUtf8(
            "O serviço %1 não respondeu com um documento de capacidades WMS (GetCapabilities):\n")
            .arg(refused)))
        << message.toStdString();
    // Something of what the server said follows, not a message of our own.
    EXPECT_GT(message.section('\n', 1).trimmed().size(), 10) << message.toStdString();
    EXPECT_GE(wmsLayerRow(wms, "1*Geologia,lito_1000000"), 0);
}

}  // namespace
