// Downloads that fail, as the user meets them in the main window: a failed
// download leaves every earlier file of the program folder as it was (the
// files whose absence means failure are deleted by their own command
// first), a search page cannot name one of the program's own files, one Esc
// ends the whole command however many services it would still ask, and a
// failed result download says why.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "net/downloader.h"
#include "platform/text_file.h"
#include "platform/web_view.h"
#include "remote/collectors_window.h"
#include "support/http_server.h"
#include "support/pictures.h"
#include "wms/connections_window.h"
#include "wms/fixed_connections.h"
#include "wms/map_list_panel.h"
#include "wms/wms_window.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

using Reply = support::HttpServer::Reply;

Reply answer(std::string body, std::string type) {
    Reply r;
    r.body = std::move(body);
    r.contentType = std::move(type);
    return r;
}

Reply hanging() {
    Reply r;
    r.hang = true;
    return r;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// A search page whose fourth line names the result file after 11 characters.
QByteArray searchPage(const QByteArray& name) {
    return "<html>\r\n<head><title>Pesquisa</title></head>\r\n<body>\r\n<p>arquivo=" + name +
           "\r\n</body>\r\n</html>\r\n";
}

const char* const kResultPath = "/cgi-bin/servpqd1.exe/acao7";

// How the gateway fails: it answers 404 to everything, or nothing listens.
enum class Gateway { Answers404, Down };

class DownloadFailures : public support::MainWindowFixture,
                         public ::testing::WithParamInterface<Gateway> {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(drives.programFolder());
        QString gateway = server.url(QString());
        if (GetParam() == Gateway::Down) {
            support::HttpServer gone;
            gateway = gone.url(QString());
        }
        // The services of the WMS window are always on the live server.
        drives.writeFile("C:\\xquelvora\\quelvora.conf",
                         ("gateway_host=" + gateway + "\r\ngrids_wms_host=" + gateway +
                          "\r\ndownload_total_timeout_ms=20000\r\n")
                             .toLatin1());
    }

    QString programFile(const QString& name) const {
        return QDir(drives.programFolder()).filePath(name);
    }

    // Writes `bytes` as the earlier file `name` of the program folder.
    void earlier(const QString& name, const QByteArray& bytes) {
        QFile file(programFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // The main window showing one grey service's picture, with its layer
    // checked, over north -5, south -7, east -46, west -48.
    std::unique_ptr<app::TForm1> startWithWmsPicture() {
        server.reply("/wms1",
                     answer(support::solidJpeg(QColor(200, 200, 200)).toStdString(), "image/jpeg"));
        auto w = start();
        showWmsPicture(*w, server.url("/wms1?map=teste.map&"));
        EXPECT_TRUE(w->Image1->isVisible());
        return w;
    }

    static void plotAndWrite(app::TForm1& w, const QByteArray& page) {
        w.recordView().setContent("http://gateway/pls/publico/kestram.consultas.resultado", page);
        w.Panel3->PlotaPesquisa->click();
        w.windows().window("TForm20")->findChild<QPushButton*>("Button2")->click();
    }

    support::HttpServer server;
};

INSTANTIATE_TEST_SUITE_P(GatewayFailing, DownloadFailures,
                         ::testing::Values(Gateway::Answers404, Gateway::Down),
                         [](const auto& info) {
                             return info.param == Gateway::Down ? "Down" : "Answers404";
                         });

TEST_P(DownloadFailures, theCatalogueStaysAndComesBackAfterARestart) {
    const QByteArray catalogue(
        "Geologia do Brasil,http://a.example/wms?\r\n"
        "Relevo,http://b.example/cgi?map=r\xe1.map&\r\n");
    earlier("listawms.txt", catalogue);
    auto w = start();
    wms::WmsWindow& wms = w->wmsWindow();
    ASSERT_EQ(wms.ComboBox3->count(), 3);
    wms.SpeedButton12->click();  // "Atualiza a lista por donwload"
    EXPECT_EQ(dialogs.lastMessage(), wms::WmsWindow::kConnectionProblem);
    EXPECT_EQ(bytesOf(programFile("listawms.txt")), catalogue);
    EXPECT_EQ(wms.ComboBox3->count(), 3);
    w.reset();
    auto again = start();
    EXPECT_EQ(again->wmsWindow().ComboBox3->count(), 3);
    EXPECT_EQ(again->wmsWindow().ComboBox3->itemText(1),
              "Geologia do Brasil,http://a.example/wms?");
}

TEST_P(DownloadFailures, theMapListStaysAndItsMapsAreStillOffered) {
    const QByteArray list("Folha Goiania,1;SE22,-15.5,-50.5,-16.5,-49.5\r\n");
    earlier("lista.txt", list);
    auto w = startWithTheme();
    w->connectionsWindow().RadioGroup2->button(0)->click();
    w->Panel3->SpeedButton38->click();  // "Atualiza lista/mapas disponiveis"
    EXPECT_EQ(dialogs.lastMessage(), wms::WmsWindow::kConnectionProblem);
    EXPECT_EQ(bytesOf(programFile("lista.txt")), list);
    QComboBox* groups = w->Panel3->ComboBox2;
    groups->setCurrentIndex(groups->findText(wms::mapGroupText(wms::mapGroups()[3])));
    w->ChooseMapGroup();
    EXPECT_EQ(w->Panel3->ComboBox3->count(), 2);  // "Mapas no KESTRAM" still lists it
}

TEST_P(DownloadFailures, theEarlierResultFileStaysAndTheTextFileIsWrittenFromIt) {
    const QByteArray result("AMOSTRA,LATITUDE,LONGITUDE\r\nQV-1,-6.0,-47.0\r\n");
    earlier("pesq_01.txt", result);
    auto w = startWithWmsPicture();
    const QString table = drives.root('D') + "/pesquisa.txt";
    dialogs.push(table);
    plotAndWrite(*w, searchPage("pesq_01.txt"));
    EXPECT_EQ(bytesOf(programFile("pesq_01.txt")), result);
    ASSERT_FALSE(dialogs.messages().isEmpty());
    // The failure says which address and why.
    const QString said = dialogs.messages().first();
    EXPECT_TRUE(said.startsWith("Falha ao baixar ")) << said.toStdString();
    EXPECT_TRUE(said.contains("/cgi-bin/servpqd1.exe/acao7?arquivo=pesq_01.txt"));
    EXPECT_TRUE(said.contains(GetParam() == Gateway::Down ? "conexão recusada" : "código HTTP 404"))
        << said.toStdString();
    EXPECT_EQ(bytesOf(table), "AMOSTRA\tLATITUDE\tLONGITUDE\r\nQV-1\t-6,0\t-47,0\r\n");
}

TEST_P(DownloadFailures, aFixedConnectionKeepsItsEarlierPictureOrLegend) {
    // With the gateway answering, the map's picture comes and its legend fails.
    const bool pictureComes = GetParam() == Gateway::Answers404;
    if (pictureComes) {
        server.reply("/cgi-bin/servpqd1.exe/acao2",
                     answer(support::solidJpeg(Qt::gray).toStdString(), "image/jpeg"));
    }
    earlier("lista.txt", "Folha Goiania,1;SE22,-15.5,-50.5,-16.5,-49.5\r\n");
    auto w = startWithTheme();  // which deletes the temporary pictures
    earlier("temp.jpg", "earlier picture");
    earlier("legenda.jpg", "earlier legend");
    wms::ConnectionsWindow& c = w->connectionsWindow();
    c.RadioGroup2->button(0)->click();
    QComboBox* groups = w->Panel3->ComboBox2;
    groups->setCurrentIndex(groups->findText(wms::mapGroupText(wms::mapGroups()[3])));
    w->ChooseMapGroup();
    w->Panel3->ComboBox3->setCurrentIndex(1);
    w->ChooseMap();
    c.SpeedButton37->click();
    EXPECT_EQ(bytesOf(programFile("legenda.jpg")), "earlier legend");
    EXPECT_FALSE(w->windows().window("TForm19")->isVisible());
    if (pictureComes) {
        EXPECT_TRUE(w->Image1->isVisible());
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
    } else {
        EXPECT_EQ(dialogs.lastMessage(), app::TForm1::kNoConnectionMessage);
        EXPECT_EQ(bytesOf(programFile("temp.jpg")), "earlier picture");
        EXPECT_TRUE(w->Map1->isVisible());
    }
}

TEST_P(DownloadFailures, filesWhoseAbsenceMeansFailureAreDeletedByTheirOwnCommand) {
    auto w = startWithTheme();
    wms::WmsWindow& wms = w->wmsWindow();
    // The capabilities copy, before each service's read.
    earlier("layers.txt", "<earlier capabilities/>");
    wms.ListBox1->addItem(server.url("/semcapacidades?"));
    wms.SpeedButton2->click();
    EXPECT_FALSE(QFile::exists(programFile("layers.txt")));
    // The index map's answer, before the request.
    earlier("temp.jpg", "earlier picture");
    wms.SpeedButton16->click();  // "Mapa indice"
    EXPECT_FALSE(QFile::exists(programFile("temp.jpg")));
    // The sheet look-up's answer.
    earlier("listawms1.txt", "SE22\r\n");
    w->IndexMapClick({-47, -15});
    EXPECT_FALSE(QFile::exists(programFile("listawms1.txt")));
    EXPECT_NE(dialogs.lastMessage(), app::TForm1::kServiceNotImplemented);
}

// --- result names from a search page ---

class HostileResultNames : public DownloadFailures {};

INSTANTIATE_TEST_SUITE_P(GatewayAnswering, HostileResultNames,
                         ::testing::Values(Gateway::Answers404));

TEST_P(HostileResultNames, aNameOfTheProgramsOwnFilesIsRefusedNamedAndNeverTouched) {
    server.reply(kResultPath,
                 answer("AMOSTRA,LATITUDE,LONGITUDE\r\nQV-1,-6,-47\r\n", "text/plain"));
    auto w = startWithWmsPicture();
    const QByteArray program(
        "\x7f"
        "ELF the program");
    earlier("quelvora", program);
    earlier("lista.txt", "Folha,1;SE22,-15,-50,-16,-49\r\n");
    earlier("config.dat", "Q\r\nN\r\n");
    for (const QByteArray& name :
         {QByteArray("quelvora"), QByteArray("CONFIG.DAT"), QByteArray("lista.txt"),
          QByteArray(".bashrc"), QByteArray("a b.txt")}) {
        SCOPED_TRACE(name.toStdString());
        const qsizetype before = dialogs.messages().size();
        const int dialogsBefore = static_cast<int>(dialogs.fileDialogs().size());
        plotAndWrite(*w, searchPage(name));
        ASSERT_EQ(dialogs.messages().size(), before + 1);
        EXPECT_TRUE(dialogs.lastMessage().contains("\"" + QString::fromLatin1(name) + "\""))
            << dialogs.lastMessage().toStdString();
        EXPECT_EQ(static_cast<int>(dialogs.fileDialogs().size()), dialogsBefore);  // no text file
    }
    EXPECT_TRUE(server.targetsStartingWith(kResultPath).empty());
    EXPECT_FALSE(QFile::exists(programFile(".bashrc")));
    EXPECT_FALSE(QFile::exists(programFile("a b.txt")));
    // "Desconecta" removes the saved page and nothing it names.
    w->wmsWindow().SpeedButton4->click();
    EXPECT_FALSE(QFile::exists(programFile("parametro.txt")));
    EXPECT_EQ(bytesOf(programFile("quelvora")), program);
    EXPECT_EQ(bytesOf(programFile("lista.txt")), "Folha,1;SE22,-15,-50,-16,-49\r\n");
    EXPECT_EQ(bytesOf(programFile("config.dat")), "Q\r\nN\r\n");
}

// --- Esc ends the whole command ---

class OneEscEndsTheCommand : public DownloadFailures {
protected:
    // Presses Esc on the main window once the first request of `path` has
    // reached the server, from the loop of the download that waits for it.
    void escOnceAsked(app::TForm1& w, const std::string& path) {
        auto* timer = new QTimer(&w);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer, path, &w] {
            if (!server.targetsStartingWith(path).empty()) {
                timer->stop();
                QTest::keyClick(&w, Qt::Key_Escape);
            }
        });
        timer->start();
    }

    static void checkedLayer(wms::WmsWindow& wms, const QString& entry) {
        auto* item = new QListWidgetItem(entry, wms.CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
};

INSTANTIATE_TEST_SUITE_P(ServicesHanging, OneEscEndsTheCommand,
                         ::testing::Values(Gateway::Answers404));

// The services of a refresh (or a capabilities read) are asked together:
// one Esc ends them all, and none is asked again by the same command.
TEST_P(OneEscEndsTheCommand, aRefreshOfThreeHangingServicesEndsWithOneEsc) {
    for (const char* path : {"/lenta1", "/lenta2", "/lenta3"}) server.reply(path, hanging());
    auto w = startWithTheme();
    wms::WmsWindow& wms = w->wmsWindow();
    for (const char* path : {"/lenta1?", "/lenta2?", "/lenta3?"}) {
        wms.ListBox1->addItem(server.url(path));
    }
    checkedLayer(wms, "0*Um,a");
    checkedLayer(wms, "1*Dois,b");
    checkedLayer(wms, "2*Tres,c");
    escOnceAsked(*w, "/lenta1");
    wms.SpeedButton1->click();
    for (const char* path : {"/lenta1", "/lenta2", "/lenta3"}) {
        EXPECT_LE(server.targetsStartingWith(path).size(), 1u) << path;
    }
    EXPECT_EQ(dialogs.messages(), QStringList{app::TForm1::kNoConnectionMessage});
    EXPECT_TRUE(w->Map1->isVisible());
    EXPECT_EQ(w->downloader().busyBox(), nullptr);

    // Once the command has ended, the next one asks again.
    QCoreApplication::processEvents();
    server.reply("/lenta1", answer(support::solidJpeg(Qt::gray).toStdString(), "image/jpeg"));
    wms.CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
    wms.CheckListBox1->item(2)->setCheckState(Qt::Unchecked);
    const size_t othersAsked =
        server.targetsStartingWith("/lenta").size() - server.targetsStartingWith("/lenta1").size();
    wms.SpeedButton1->click();
    EXPECT_GT(server.targetsStartingWith("/lenta1").size(), 1u);
    EXPECT_EQ(server.targetsStartingWith("/lenta").size(),
              server.targetsStartingWith("/lenta1").size() + othersAsked);
    EXPECT_TRUE(w->Image1->isVisible());
}

TEST_P(OneEscEndsTheCommand, aCapabilitiesReadOfTwoHangingServicesEndsWithOneEsc) {
    for (const char* path : {"/lenta1", "/lenta2"}) server.reply(path, hanging());
    auto w = startWithTheme();
    wms::WmsWindow& wms = w->wmsWindow();
    wms.ListBox1->addItem(server.url("/lenta1?"));
    wms.ListBox1->addItem(server.url("/lenta2?"));
    escOnceAsked(*w, "/lenta1");
    wms.SpeedButton2->click();
    for (const char* path : {"/lenta1", "/lenta2"}) {
        EXPECT_LE(server.targetsStartingWith(path).size(), 1u) << path;
    }
    EXPECT_EQ(dialogs.messages(), QStringList{wms::WmsWindow::kConnectionProblem});
    EXPECT_EQ(wms.CheckListBox1->count(), 0);
}

TEST_P(OneEscEndsTheCommand, aCollectorTickOfTwoHangingCollectorsAsksOnlyTheFirst) {
    server.reply("/cgi-bin/localiza.exe/mandalista", hanging());
    auto w = startWithTheme();
    w->collectorsWindow().Memo1->setPlainText("ab\ncd");
    escOnceAsked(*w, "/cgi-bin/localiza.exe/mandalista");
    w->CollectorTick();
    EXPECT_EQ(server.targetsStartingWith("/cgi-bin/localiza.exe/mandalista").size(), 1u);
    EXPECT_TRUE(w->Image1->isVisible());  // the tick ends with what it has
}

}  // namespace
