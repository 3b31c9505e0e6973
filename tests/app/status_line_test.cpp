// The status line of the main window: what a query, a save and an export
// leave there, and the progress of a rebuild of the themes' layers.
#include "platform/status_line.h"
#include "app/main_window_fixture.h"
#include "mapcontrol/map_widget.h"
#include "net/downloader.h"
#include "output/screen_output.h"
#include "output/zoom_window.h"
#include "query/query_tool.h"
#include "support/http_server.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {

class StatusLineTest : public support::MainWindowFixture {
protected:
    // Drive D: "pocos", three points (PROF 25, 40, 25), on top of "geo".
    std::unique_ptr<app::TForm1> startWithPoints() {
        QDir().mkpath(drives.root('D') + "/dados");
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
        b.integerField("PROF");
        b.feature("POINT(0.25 0.25)", {qint64(25)});
        b.feature("POINT(0.5 0.5)", {qint64(40)});
        b.feature("POINT(0.75 0.75)", {qint64(25)});
        EXPECT_TRUE(b.write(drives.root('D') + "/dados/pocos.shp"));
        theme("geo");
        project("pocos.shp ,dados\\pocos.shp\r\ngeo.shp ,dados\\geo.shp\r\n");
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        w->resize(900, 700);
        w->show();
        return w;
    }

    static void runQuery(app::TForm1& w, const QString& expression) {
        w.CheckListBox1->clearSelection();
        w.CheckListBox1->item(0)->setSelected(true);
        w.button("SpeedButton10")->click();
        w.query().Edit1->setText(expression);
        w.query().RunButton->click();
    }

    static QString statusText(const app::TForm1& w) {
        const auto* bar = w.findChild<QStatusBar*>("StatusBar");
        return bar ? bar->currentMessage() : QStringLiteral("<no status bar>");
    }
};

}  // namespace

TEST_F(StatusLineTest, aQueryTellsHowManyRecordsItFound) {
    auto w = startWithPoints();
    runQuery(*w, "PROF = 25");
    EXPECT_EQ(statusText(*w), "2 registros encontrados");
    EXPECT_TRUE(w->statusLine().expiry().isActive());
    EXPECT_EQ(w->statusLine().expiry().interval(), 10000);

    runQuery(*w, "PROF > 30");
    EXPECT_EQ(statusText(*w), "1 registros encontrados");

    // Nothing found: the warning as before, and the count in the line.
    const qsizetype messages = dialogs.messages().size();
    runQuery(*w, "PROF > 100");
    EXPECT_EQ(dialogs.messages().size(), messages + 1);
    EXPECT_EQ(dialogs.lastMessage(), query::QueryTool::kNotFoundMessage);
    EXPECT_EQ(statusText(*w), "0 registros encontrados");

    // Its time over, the line is empty.
    w->statusLine().clear();
    EXPECT_EQ(statusText(*w), "");
}

TEST_F(StatusLineTest, aRedrawDoesNotTellTheCountAgain) {
    auto w = startWithPoints();
    runQuery(*w, "PROF = 25");
    w->statusLine().say("outro");
    w->Map1->refresh();  // the query is evaluated again while drawing
    EXPECT_EQ(statusText(*w), "outro");
}

TEST_F(StatusLineTest, savesAndExportsLeaveTheFileWrittenWithoutADialog) {
    auto w = startWithTheme();
    const qsizetype messages = dialogs.messages().size();

    const QString project = drives.root('D') + "/proj/copia.jjj";
    dialogs.push(project);
    w->findChild<QAction*>("Gravaprojeto1")->trigger();
    ASSERT_TRUE(QFile::exists(project));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + project);

    const QString tif = drives.root('D') + "/tela.tif";
    dialogs.push(tif);
    w->findChild<QAction*>("Grava_tela_tif1")->trigger();
    ASSERT_TRUE(QFile::exists(tif));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + tif);

    const QString world = drives.root('D') + "/mundo.tif";
    dialogs.push(world);
    w->zoomWindow().exportPicture();
    ASSERT_TRUE(QFile::exists(drives.root('D') + "/mundo.tfw"));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + world);

    w->Edit4->setText("250000.0000");
    w->screenOutput().ComboBox1->setCurrentText("250.000");
    const QString emf = drives.root('D') + "/mapa.emf";
    dialogs.push(emf);
    w->screenOutput().SpeedButton1->click();
    ASSERT_TRUE(QFile::exists(emf));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + emf);
    EXPECT_TRUE(w->statusLine().progressBar().isHidden());  // the busy bar went with the work

    EXPECT_EQ(dialogs.messages().size(), messages);
}

TEST_F(StatusLineTest, theQueryReportsTablesAndColourFileTellTheirFile) {
    auto w = startWithPoints();
    runQuery(*w, "PROF = 40");
    const QString list = drives.root('D') + "/valores.txt";
    dialogs.push(list);
    w->query().SaveListButton->click();
    ASSERT_TRUE(QFile::exists(list));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + list);

    w->CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
    w->CheckListBox1->clearSelection();
    w->CheckListBox1->item(1)->setSelected(true);
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + drives.root('D') + "/dados/geo.cor");
}

TEST_F(StatusLineTest, printingToAFileTellsTheFile) {
    auto w = startWithPoints();
    const QString map = drives.root('D') + "/mapa.pdf";
    dialogs.push(support::ScriptedDialogs::PrintToFile{map});
    w->button("SpeedButton8")->click();
    ASSERT_TRUE(QFile::exists(map));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + map);

    runQuery(*w, "PROF = 40");
    w->query().RadioGroup1->button(1)->click();  // the report the print button prints
    const QString report = drives.root('D') + "/pesquisa.pdf";
    dialogs.push(support::ScriptedDialogs::PrintToFile{report});
    w->query().PrintButton->click();
    ASSERT_TRUE(QFile::exists(report));
    EXPECT_EQ(statusText(*w), "Arquivo gravado: " + report);

    // A print dialog cancelled leaves the line as it was.
    w->statusLine().say("antes");
    dialogs.push(false);
    w->button("SpeedButton8")->click();
    EXPECT_EQ(statusText(*w), "antes");
}

TEST_F(StatusLineTest, aFailedSaveLeavesNoFileInTheLine) {
    auto w = startWithTheme();
    w->statusLine().say("antes");
    dialogs.push(drives.root('D') + "/nao/existe/tela.tif");
    w->zoomWindow().exportPicture();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Erro de gravação do arquivo"));
    EXPECT_EQ(statusText(*w), "antes");

    dialogs.push(drives.root('D') + "/nao/existe/p.jjj");
    w->SaveProject();
    EXPECT_EQ(statusText(*w), "antes");
}

TEST_F(StatusLineTest, aRebuildReportsEachThemeBeforeItIsBuilt) {
    theme("geo");
    theme("solo");
    theme("falhas");
    project(
        "geo.shp ,dados\\geo.shp\r\nsolo.shp ,dados\\solo.shp\r\nfalhas.shp "
        ",dados\\falhas.shp\r\n");
    auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
    QStringList steps;
    w->layerBuilder().setProgress([&steps](int done, int total, const QString& path) {
        steps << QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(path);
    });
    // The bottom theme is built first, so the top one ends on top.
    ASSERT_TRUE(w->layerBuilder().rebuildAllLayers(w->themeEntries(), w->state().themeRenderKind,
                                                   w->state().currentExtent));
    EXPECT_EQ(steps, QStringList({"0/3 D:\\dados\\falhas.shp", "1/3 D:\\dados\\solo.shp",
                                  "2/3 D:\\dados\\geo.shp"}));

    // The window's own rebuild takes the hook back when it ends.
    steps.clear();
    w->RebuildAllLayers();
    w->layerBuilder().rebuildAllLayers(w->themeEntries(), w->state().themeRenderKind,
                                       w->state().currentExtent);
    EXPECT_TRUE(steps.isEmpty());
    EXPECT_TRUE(w->statusLine().progressBar().isHidden());
}

TEST_F(StatusLineTest, aLargeThemeAddedTellsTheShareReadAsItGoes) {
    auto w = startWithPoints();
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
    b.integerField("N");
    for (int i = 0; i < 10'000; ++i) {
        b.feature(QStringLiteral("POINT(0.%1 0.5)").arg(i, 4, 10, QLatin1Char('0')), {qint64(i)});
    }
    ASSERT_TRUE(b.write(drives.root('D') + "/dados/muitos.shp"));
    QStringList steps;
    w->layerBuilder().setProgress([&steps](double done, int total, const QString& path) {
        steps << QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(path);
    });
    ASSERT_TRUE(w->themeList().addThemeFile(drives.root('D') + "/dados/muitos.shp"));
    EXPECT_EQ(steps, QStringList({"0/1 D:\\dados\\muitos.shp", "0.4096/1 D:\\dados\\muitos.shp",
                                  "0.8192/1 D:\\dados\\muitos.shp"}));
}

TEST_F(StatusLineTest, aLongDownloadOfTheWindowIsToldOnTheLine) {
    support::HttpServer server;
    support::HttpServer::Reply paused{200, std::string(200'000, 'p')};
    paused.pauseHalfway = true;
    server.reply("/capabilities", paused);
    auto w = startWithPoints();
    // The line shows once the download has run for half a second; then the
    // server sends the rest.
    QString during;
    int share = -1;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (w->statusLine().progressBar().isVisible() &&
            w->statusLine().progressBar().value() > 0) {
            during = statusText(*w);
            share = w->statusLine().progressBar().value();
            poll.stop();
            server.resume();
        }
    });
    poll.start();
    QTemporaryDir dir;
    const platform::Result result =
        w->downloader().download(server.url("/capabilities"), dir.filePath("c.xml"));
    ASSERT_TRUE(result) << result.detail.toStdString();
    EXPECT_EQ(during.toStdString(), "Baixando de 127.0.0.1");
    EXPECT_EQ(share, 500);
    EXPECT_FALSE(w->statusLine().progressBar().isVisible());
}
