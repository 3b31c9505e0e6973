// Identify and the media it opens, as the user clicks the map.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "platform/web_view.h"
#include "query/identify_tool.h"
#include "query/media_window.h"
#include "support/fixtures/raster_builder.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace {

class IdentifyTest : public support::MainWindowFixture {
protected:
    // Drive D: "sobre", two overlapping polygons whose first names three
    // photos, a clip and a document; the project lists it switched on.
    std::unique_ptr<app::TForm1> startWithOverlaps(const QByteArray& extraLines = {}) {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("NOME", 24)
            .textField("FOTO", 40)
            .textField("FILME", 12)
            .textField("documento", 12);
        b.feature("POLYGON((0 0,0 2,2 2,2 0,0 0))",
                  {QString("primeiro"), QString("f1;f2;f3"), QString("som"), QString("nota")});
        b.feature("POLYGON((1 1,1 3,3 3,3 1,1 1))",
                  {QString("segundo, com virgula"), QString(), QString(), QString()});
        QDir().mkpath(drives.root('D') + "/dados");
        const platform::Result written = b.write(drives.root('D') + "/dados/sobre.shp");
        EXPECT_TRUE(written) << written.message.toStdString() << written.detail.toStdString();
        project("sobre.shp      ,dados\\sobre.shp\r\n" + extraLines);
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        w->Map1->setExtent(mapcontrol::Rectangle(0, 3, 3, 0));
        return w;
    }
    void mediaFile(const QString& name, const QByteArray& bytes = "x") {
        drives.writeFile("D:\\dados\\" + name, bytes);
    }
    static QStringList texts(const QListWidget& list) {
        QStringList result;
        for (int i = 0; i < list.count(); ++i) result << list.item(i)->text();
        return result;
    }
};

}  // namespace

TEST_F(IdentifyTest, overlappingPolygonsAreListedAndTheSecondShownOnClick) {
    auto w = startWithOverlaps();
    query::IdentifyTool& id = w->identify();
    w->button("SpeedButton6")->click();
    w->identify().identifyAt({1.5, 1.5});
    EXPECT_TRUE(w->windows().window("TForm2")->isVisible());
    EXPECT_EQ(texts(*id.ListBox1), QStringList({"1", "2"}));
    EXPECT_EQ(id.ListBox2->item(0)->text(), "NOME : primeiro");
    EXPECT_EQ(id.foundCount(), 2);
    EXPECT_EQ(id.foundShapeType(), 23);
    EXPECT_EQ(id.AreaEdit->text(), "    4.0000");
    EXPECT_EQ(id.AreaLabel->text(), "AREA");
    EXPECT_TRUE(id.areaShown());

    emit id.ListBox1->itemClicked(id.ListBox1->item(1));
    EXPECT_EQ(id.ListBox2->item(0)->text(), "NOME : segundo, com virgula");
    EXPECT_EQ(id.ListBox2->count(), 4);

    id.AreaButton->click();
    EXPECT_TRUE(w->windows().window("TForm15")->isVisible());
    w->windows().window("TForm15")->close();
    EXPECT_FALSE(id.areaShown());

    w->identify().identifyAt({2.9, 0.1});  // nothing there
    EXPECT_EQ(id.ListBox1->count(), 0);
    EXPECT_TRUE(w->windows().window("TForm2")->isVisible());

    id.Voltar->click();
    EXPECT_FALSE(w->windows().window("TForm2")->isVisible());
}

TEST_F(IdentifyTest, aClickOnTheMapWithTheToolDownIdentifies) {
    auto w = startWithOverlaps();
    w->resize(900, 700);
    w->show();
    w->Map1->setExtent(mapcontrol::Rectangle(0, 3, 3, 0));
    w->button("SpeedButton6")->click();
    const QPointF pixel = w->Map1->toPixel({0.5, 0.5});
    w->navigation().mousePress(Qt::LeftButton, int(pixel.x()), int(pixel.y()));
    EXPECT_EQ(texts(*w->identify().ListBox1), QStringList({"1"}));
}

TEST_F(IdentifyTest, photosFilmsAndDocumentsOpenFromTheThemeFolder) {
    auto w = startWithOverlaps();
    for (const char* photo : {"f1.jpg", "f2.jpg"}) {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(photo[1] == '1' ? Qt::red : Qt::blue);
        picture.save(drives.root('D') + "/dados/" + photo);
    }
    mediaFile("som.wav");
    mediaFile("nota.htm", "<html><body>Nota de campo</body></html>");
    QStringList played;
    w->media().setPlayer([&](const QString& file) { played << file; });

    query::IdentifyTool& id = w->identify();
    id.identifyAt({0.5, 0.5});
    EXPECT_TRUE(id.Foto->isVisibleTo(id.Foto->parentWidget()));
    EXPECT_TRUE(id.FilmeSom->isVisibleTo(id.FilmeSom->parentWidget()));
    query::MediaWindow& m = w->media();
    EXPECT_EQ(texts(*m.ListBox1), QStringList({"f1", "f2", "f3"}));

    id.Foto->click();
    EXPECT_TRUE(w->windows().window("TForm12")->isVisible());
    EXPECT_GT(m.Image1->pixmap().toImage().pixelColor(1, 1).red(), 240);  // a JPEG: near red
    emit m.ListBox1->itemClicked(m.ListBox1->item(1));
    emit m.PageControl1->tabBar()->tabBarClicked(query::MediaWindow::PhotoPage);
    EXPECT_GT(m.Image1->pixmap().toImage().pixelColor(1, 1).blue(), 240);

    id.FilmeSom->click();  // only the .wav exists
    ASSERT_EQ(played.size(), 1);
    EXPECT_TRUE(played[0].endsWith("som.wav"));
    emit m.PageControl1->tabBar()->tabBarClicked(query::MediaWindow::FilmPage);
    EXPECT_EQ(played.size(), 1);  // the tab looks for ".avi" only

    id.DocLegenda->click();
    EXPECT_TRUE(m.WebBrowser1->content().contains("Nota de campo"));
    EXPECT_TRUE(w->windows().window("TForm18")->isVisible());
    w->windows().window("TForm18")->close();
    id.DocLegenda->click();  // opened once until the next identify
    EXPECT_FALSE(w->windows().window("TForm18")->isVisible());

    id.identifyAt({2.5, 2.5});  // the second polygon names nothing
    EXPECT_FALSE(id.Foto->isVisibleTo(id.Foto->parentWidget()));
    EXPECT_EQ(m.ListBox1->count(), 0);
}

TEST_F(IdentifyTest, aClickElsewhereOnTheMapKeepsTheFilmAndTheDocumentOpenable) {
    auto w = startWithOverlaps();
    mediaFile("som.wav");
    mediaFile("nota.htm", "<html><body>Nota de campo</body></html>");
    QStringList played;
    w->media().setPlayer([&](const QString& file) { played << file; });
    w->resize(900, 700);
    w->show();
    w->Map1->setExtent(mapcontrol::Rectangle(0, 3, 3, 0));
    w->button("SpeedButton6")->click();
    QPointF pixel = w->Map1->toPixel({0.5, 0.5});
    w->navigation().mousePress(Qt::LeftButton, int(pixel.x()), int(pixel.y()));
    query::IdentifyTool& id = w->identify();
    ASSERT_TRUE(id.FilmeSom->isVisibleTo(id.FilmeSom->parentWidget()));

    w->button("SpeedButton7")->click();  // the zoom window tool; a click elsewhere
    pixel = w->Map1->toPixel({2.9, 2.9});
    w->navigation().mousePress(Qt::RightButton, int(pixel.x()), int(pixel.y()));
    EXPECT_EQ(w->media().ListBox1->count(), 0);  // the photo list goes
    id.FilmeSom->click();
    ASSERT_EQ(played.size(), 1);
    EXPECT_TRUE(played[0].endsWith("som.wav"));
    id.DocLegenda->click();
    EXPECT_TRUE(w->windows().window("TForm18")->isVisible());
}

TEST_F(IdentifyTest, pictureCellsAreReadFromTheSideFiles) {
    QDir().mkpath(drives.root('D') + "/img");
    fixtures::RasterBuilder raster(fixtures::RasterFormat::GeoTiff, 100, 100, 1);
    ASSERT_TRUE(raster.geoTransform({-50.0, 0.01, 0.0, -9.0, 0.0, -0.01})
                    .write(drives.root('D') + "/img/grade.tif"));
    drives.writeFile("D:\\img\\grade.conf", "100\r\n100\r\n-10.0\r\n-50.0\r\n0.01\r\n");
    drives.writeFile("D:\\img\\grade.txt", "0,0,granito\r\nlixo\r\n0,1,gnaisse\r\n0,0,basalto\r\n");
    auto w = startWithOverlaps("grade.tif      ,img\\grade.tif\r\n");
    w->CheckListBox1->item(1)->setSelected(true);
    query::IdentifyTool& id = w->identify();
    id.identifyAt({-49.993, -9.003});
    EXPECT_EQ(texts(*id.ListBox1), QStringList({"Linha=0", "Coluna=0"}));
    EXPECT_EQ(texts(*id.ListBox2), QStringList({"Atributo= basalto"}));
    EXPECT_TRUE(w->windows().window("TForm2")->isVisible());

    id.identifyAt({-49.5, -9.5});  // no line for that cell
    EXPECT_FALSE(w->windows().window("TForm2")->isVisible());
    drives.writeFile("D:\\img\\grade.conf", "100\r\ncem\r\n");  // damaged
    id.identifyAt({-49.993, -9.003});
    EXPECT_FALSE(w->windows().window("TForm2")->isVisible());
}

TEST_F(IdentifyTest, printFailureAndSavingTheLines) {
    auto w = startWithOverlaps();
    query::IdentifyTool& id = w->identify();
    id.identifyAt({0.5, 0.5});
    dialogs.push(false);  // no printer: the print dialog is cancelled
    id.print();
    EXPECT_TRUE(dialogs.messages().isEmpty() ||
                dialogs.lastMessage() != query::IdentifyTool::kPrintErrorMessage);

    const QString file = drives.root('D') + "/atributos.dat";
    dialogs.push(file);
    id.saveToFile();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("NOME : primeiro\r\nFOTO : f1;f2;f3\r\n"));
}
