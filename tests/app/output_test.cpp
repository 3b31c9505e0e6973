// Zoom to coordinates, screen output and help, as the user runs them.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "help/help_window.h"
#include "mapcontrol/image_layer.h"
#include "mapcontrol/map_widget.h"
#include "output/screen_output.h"
#include "output/zoom_coordinates.h"
#include "output/zoom_window.h"
#include "platform/text_file.h"
#include "platform/web_view.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>

namespace {

class OutputTest : public support::MainWindowFixture {
protected:
    std::unique_ptr<app::TForm1> startWithTheme() {
        auto w = MainWindowFixture::startWithTheme();
        w->Map1->setExtent(mapcontrol::Rectangle(-48, -46, -5, -7));
        return w;
    }
    static QString text(const output::ZoomWindow& z, int corner, int part) {
        return z.dms[std::size_t(corner)][std::size_t(part)]->text();
    }
};

}  // namespace

TEST_F(OutputTest, zoomWindowShowsTheCornersAndZoomsToTypedOnes) {
    auto w = startWithTheme();
    output::ZoomWindow& z = w->zoomWindow();
    w->findChild<QAction*>("Zoom_coord1")->trigger();
    ASSERT_TRUE(w->windows().window("TForm14")->isVisible());
    const mapcontrol::Rectangle shown = w->Map1->extent();
    EXPECT_EQ(text(z, output::ZoomWindow::Left, 0).trimmed(),
              QString::number(static_cast<int>(std::trunc(shown.left()))));

    const auto type = [&](int corner, const char* d, const char* m, const char* s) {
        z.dms[std::size_t(corner)][0]->setText(d);
        z.dms[std::size_t(corner)][1]->setText(m);
        z.dms[std::size_t(corner)][2]->setText(s);
    };
    type(output::ZoomWindow::Top, "-5", "30", "0");
    type(output::ZoomWindow::Left, "-47", "30", "0");
    type(output::ZoomWindow::Bottom, "-6", "0", "0");
    type(output::ZoomWindow::Right, "-46", "45", "0");
    z.SpeedButton1->click();
    const mapcontrol::Rectangle e = w->Map1->extent();
    EXPECT_LE(e.left(), -47.5 + 1e-9);
    EXPECT_GE(e.right(), -46.75 - 1e-9);
    EXPECT_NEAR(std::min(e.width(), 0.75), 0.75, 1e-9);
    EXPECT_TRUE(w->button("SpeedButton7")->isChecked());
    w->navigation().zoomIn();  // the zoom handlers write the corners back
    EXPECT_EQ(text(z, output::ZoomWindow::Top, 0),
              output::dmsTexts(w->state().currentExtent.top()).degrees);
    EXPECT_EQ(text(z, output::ZoomWindow::Top, 2),
              output::dmsTexts(w->state().currentExtent.top()).seconds);

    // "Altera contexto": the typed corners become the whole map until a new project.
    type(output::ZoomWindow::Top, "-5", "30", "0");
    type(output::ZoomWindow::Left, "-47", "30", "0");
    type(output::ZoomWindow::Bottom, "-6", "0", "0");
    type(output::ZoomWindow::Right, "-46", "45", "0");
    z.RadioGroup2->button(1)->click();
    z.SpeedButton1->click();
    EXPECT_NEAR(w->Map1->fullExtent().left(), -47.5, 1e-9);
    w->findChild<QAction*>("Novoprojeto1")->trigger();
    EXPECT_NE(w->Map1->fullExtent().left(), -47.5);
    z.RadioGroup2->button(0)->click();

    const mapcontrol::Rectangle zoomed = w->Map1->extent();
    type(output::ZoomWindow::Top, "-5", "30", "0");
    type(output::ZoomWindow::Bottom, "-4", "0", "0");  // above the top: ignored
    z.SpeedButton1->click();
    EXPECT_EQ(w->Map1->extent(), zoomed);
}

TEST_F(OutputTest, screenExportsAsTifWithItsWorldFile) {
    auto w = startWithTheme();
    const QString tif = drives.root('D') + "/tela.tif";
    dialogs.push(tif);
    w->zoomWindow().exportPicture();
    const mapcontrol::ImageLayer picture(tif);
    EXPECT_TRUE(picture.isValid());
    const platform::TextLines world = platform::readTextLines(drives.root('D') + "/tela.tfw");
    ASSERT_TRUE(world.result);
    ASSERT_EQ(world.lines.size(), 6);
    const mapcontrol::Rectangle e = w->Map1->extent();
    EXPECT_NEAR(world.lines[0].toDouble(), e.width() / w->Map1->width(), 1e-12);
    EXPECT_NEAR(world.lines[4].toDouble(), e.left(), 1e-12);

    dialogs.push(drives.root('D') + "/nao/existe/tela.tif");
    w->zoomWindow().exportPicture();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Erro de gravação do arquivo"));
    EXPECT_TRUE(dialogs.lastMessage().contains("/nao/existe/tela.tif"));
    EXPECT_FALSE(QFile::exists(drives.root('D') + "/nao/existe/tela.tfw"));
}

TEST_F(OutputTest, zoomFilesAreSavedAndOpenedInDecimalForm) {
    auto w = startWithTheme();
    output::ZoomWindow& z = w->zoomWindow();
    w->findChild<QAction*>("Zoom_coord1")->trigger();
    z.RadioGroup3->button(1)->click();
    EXPECT_FALSE(z.SpeedButton1->isEnabled());
    EXPECT_TRUE(z.SpeedButton3->isEnabled());
    const QString file = drives.root('D') + "/zoom.txt";
    dialogs.push(file);
    z.SpeedButton3->click();
    const platform::TextLines saved = platform::readTextLines(file);
    ASSERT_EQ(saved.lines.size(), 4);
    EXPECT_TRUE(saved.lines[0].contains(",") && saved.lines[0].contains("      "));

    const QString top = z.decimal[output::ZoomWindow::Top]->text();
    z.SpeedButton4->click();  // "Apaga - lat lon"
    EXPECT_TRUE(text(z, output::ZoomWindow::Top, 0).isEmpty());
    dialogs.push(file);
    z.SpeedButton5->click();
    EXPECT_EQ(z.decimal[output::ZoomWindow::Top]->text(), QString(top).replace('.', ','));
    EXPECT_FALSE(text(z, output::ZoomWindow::Top, 0).isEmpty());

    dialogs.push(drives.root('D') + "/nenhum.txt");
    z.SpeedButton5->click();
    EXPECT_EQ(dialogs.lastMessage(), output::ZoomWindow::kNoFileMessage);
}

TEST_F(OutputTest, metafileNeedsAScaleAndPrintingNeedsAThemes) {
    auto w = start();
    w->button("SpeedButton8")->click();  // no theme: no print dialog is asked for
    EXPECT_TRUE(dialogs.allAnswersUsed());

    auto t = startWithTheme();
    output::ScreenOutput& out = t->screenOutput();
    t->findChild<QAction*>("Grava_EMF1")->trigger();
    ASSERT_TRUE(t->windows().window("TForm10")->isVisible());
    EXPECT_EQ(out.ComboBox1->count(), 12);
    t->Edit4->clear();
    out.SpeedButton1->click();
    EXPECT_EQ(dialogs.lastMessage(), output::ScreenOutput::kNoScaleMessage);

    t->Edit4->setText("250000.0000");
    out.ComboBox1->setCurrentText("250.000");
    const QString emf = drives.root('D') + "/mapa.emf";
    dialogs.push(emf);
    out.SpeedButton1->click();
    QFile file(emf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4), QByteArray("\x01\x00\x00\x00", 4));  // EMR_HEADER
    EXPECT_FALSE(t->windows().window("TForm10")->isVisible());

    const QString bmp = drives.root('D') + "/tela.bmp";
    dialogs.push(bmp);
    t->findChild<QAction*>("Grava_tela_bmp1")->trigger();
    EXPECT_TRUE(QFile::exists(bmp));

    QApplication::clipboard()->clear();
    t->button("SpeedButton20")->click();
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST_F(OutputTest, aNameTypedWithoutExtensionTakesTheTypeOfTheDialog) {
    auto w = startWithTheme();
    dialogs.push(drives.root('D') + "/tela");
    w->findChild<QAction*>("Grava_tela_tif1")->trigger();
    EXPECT_TRUE(QFile::exists(drives.root('D') + "/tela.tif"));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();

    dialogs.push(drives.root('D') + "/georref");
    w->zoomWindow().exportPicture();
    EXPECT_TRUE(QFile::exists(drives.root('D') + "/georref.tif"));
    EXPECT_TRUE(QFile::exists(drives.root('D') + "/georref.tfw"));

    // A metafile at a scale far larger than the screen is written all the same.
    w->findChild<QAction*>("Grava_EMF1")->trigger();
    w->Edit4->setText("250000000.0000");
    w->screenOutput().ComboBox1->setCurrentText("100.000");
    dialogs.push(drives.root('D') + "/grande");
    w->screenOutput().SpeedButton1->click();
    EXPECT_TRUE(QFile::exists(drives.root('D') + "/grande.emf"));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
}

TEST_F(OutputTest, aMetafileTypedWithAnotherExtensionKeepsItAndGetsTheChosenTypes) {
    auto w = startWithTheme();
    output::ScreenOutput& out = w->screenOutput();
    w->Edit4->setText("250000.0000");
    out.ComboBox1->setCurrentText("250.000");
    const QString d = drives.root('D');
    const auto head = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(5) : QByteArray();
    };

    // ".png" is none of the dialog's types: the metafile is not given that name.
    w->findChild<QAction*>("Grava_EMF1")->trigger();
    dialogs.push(d + "/grande.png");
    out.SpeedButton1->click();
    EXPECT_FALSE(QFile::exists(d + "/grande.png"));
    EXPECT_EQ(head(d + "/grande.png.emf").left(4), QByteArray("\x01\x00\x00\x00", 4));

    // An extension of the dialog's types, in either case, chooses that type.
    w->findChild<QAction*>("Grava_EMF1")->trigger();
    dialogs.push(d + "/mapa.svg");
    out.SpeedButton1->click();
    EXPECT_EQ(head(d + "/mapa.svg"), "<?xml");
    w->findChild<QAction*>("Grava_EMF1")->trigger();
    dialogs.push(d + "/mapa.PDF");
    out.SpeedButton1->click();
    EXPECT_EQ(head(d + "/mapa.PDF"), "%PDF-");
    EXPECT_FALSE(QFile::exists(d + "/mapa.PDF.emf"));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.lastMessage().toStdString();
}

TEST_F(OutputTest, aHelpPageThatIsNotInstalledIsNamedInPortuguese) {
    QDir().mkpath(drives.configFolder());
    auto w = start();
    help::HelpWindow& h = w->help();
    w->button("SpeedButton16")->click();
    h.Edit1->setText("clipboard");
    QListWidgetItem* entry = h.ListBox2->findItems("clipboard", Qt::MatchStartsWith).value(0);
    ASSERT_NE(entry, nullptr);
    emit h.ListBox2->itemClicked(entry);
    const QString shown = h.WebBrowser1->findChild<QTextBrowser*>("browser")->toPlainText();
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("A página de ajuda 4.htm não está instalada")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(drives.configFolder() + "/4.htm")) << shown.toStdString();
    EXPECT_FALSE(shown.contains("fetcher"));
    EXPECT_TRUE(h.WebBrowser1->content().isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());  // shown in the viewer, no message box
}

TEST_F(OutputTest, helpIndexSearchAndPages) {
    QDir().mkpath(drives.configFolder());
    drives.writeFile("C:\\xquelvora\\7.htm", "<html><body>Zoom e mapa completo</body></html>");
    auto w = start();
    help::HelpWindow& h = w->help();
    w->button("SpeedButton16")->click();
    ASSERT_TRUE(w->windows().window("TForm7")->isVisible());
    EXPECT_EQ(h.ListBox2->count(), 100);
    // Sorted as a list box sorts, ignoring case: "abrir projeto" before "ArcView".
    EXPECT_LT(h.ListBox2->row(h.ListBox2->findItems("abrir projeto", Qt::MatchStartsWith)[0]),
              h.ListBox2->row(h.ListBox2->findItems("ArcView", Qt::MatchStartsWith)[0]));
    h.Edit1->setText("zoom");
    EXPECT_EQ(h.ListBox2->count(), 8);
    QListWidgetItem* pan = h.ListBox2->findItems("zoom pan", Qt::MatchStartsWith).value(0);
    ASSERT_NE(pan, nullptr);
    emit h.ListBox2->itemClicked(pan);
    EXPECT_EQ(h.currentPage(), "7.HTM");
    EXPECT_TRUE(h.WebBrowser1->content().contains("Zoom e mapa completo"));
    QStringList opened;
    h.WebBrowser1->setBrowserOpener([&](const QUrl& url) { opened << url.toString(); });
    h.SpeedButton2->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].endsWith("7.htm"));

    h.Edit1->setText("query");
    emit h.ListBox2->itemClicked(h.ListBox2->item(0));  // page 9 is missing: no message
    EXPECT_TRUE(dialogs.messages().isEmpty());

    w->button("SpeedButton15")->click();
    ASSERT_TRUE(w->windows().window("TForm6")->isVisible());
    h.CreditsBack->click();
    EXPECT_FALSE(w->windows().window("TForm6")->isVisible());
}
