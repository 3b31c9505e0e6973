// Themes of GeoPackage, GeoJSON, KML and FlatGeobuf files, as the user adds,
// classifies, queries, identifies and saves them from the main window.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/label_renderer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "query/identify_tool.h"
#include "query/query_tool.h"
#include "support/fixtures/vector_builder.h"
#include "symbology/classification_window.h"
#include "symbology/label_window.h"
#include "workspace/theme_list.h"

#include <QButtonGroup>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

using fixtures::ShapeType;
using fixtures::VectorBuilder;

// The project of one theme of each format, the GeoPackage's second layer
// switched off, in the form the program writes.
const QByteArray kProject =
    "base.gpkg                          ,dados\\base.gpkg|layername=falhas\r\n"
    "*base.gpkg                          ,dados\\base.gpkg|layername=geologia\r\n"
    "furos.geojson                          ,dados\\furos.geojson\r\n"
    "rotas.kml                          ,dados\\rotas.kml\r\n"
    "pocos.fgb                          ,dados\\pocos.fgb\r\n";

class VectorFormatsTest : public support::MainWindowFixture {
protected:
    // Drive D, folder dados: base.gpkg with the layers "geologia" (two
    // polygons, SIGLA and VAL) and "falhas" (two lines, TIPO); furos.geojson
    // and pocos.fgb (two points each, NOME and PROF); rotas.kml (two lines,
    // NOME). Everything lies between 0 and 10 in both directions.
    void writeData() {
        QDir().mkpath(drives.root('D') + "/dados");
        VectorBuilder gpkg("GPKG");
        gpkg.layer("geologia", ShapeType::Polygon).textField("SIGLA").realField("VAL");
        gpkg.feature("POLYGON((0 0,0 4,4 4,4 0,0 0))", {QString("PP2gr"), 1.5});
        gpkg.feature("POLYGON((5 0,5 4,9 4,9 0,5 0))", {QString("K2á"), 2.5});
        gpkg.layer("falhas", ShapeType::Line).textField("TIPO");
        gpkg.feature("LINESTRING(0 6,9 6)", {QString("normal")});
        gpkg.feature("LINESTRING(0 8,9 8)", {QString("inversa")});
        write(gpkg, "base.gpkg");
        for (const auto& [driver, file] :
             {std::pair{"GeoJSON", "furos.geojson"}, std::pair{"FlatGeobuf", "pocos.fgb"}}) {
            VectorBuilder points(driver);
            points.layer("pontos", ShapeType::Point).textField("NOME").integerField("PROF");
            points.feature("POINT(2 2)", {QString("Furo ã"), qint64(25)});
            points.feature("POINT(7 2)", {QString("F2"), qint64(40)});
            write(points, file);
        }
        VectorBuilder kml("KML");
        kml.layer("rotas", ShapeType::Line).textField("NOME");
        kml.feature("LINESTRING(1 1,1 9)", {QString("trilha")});
        kml.feature("LINESTRING(8 1,8 9)", {QString("estrada")});
        write(kml, "rotas.kml");
    }
    void write(const VectorBuilder& builder, const QString& name) {
        const platform::Result written = builder.write(drives.root('D') + "/dados/" + name);
        ASSERT_TRUE(written) << written.message.toStdString() << written.detail.toStdString();
    }

    std::unique_ptr<app::TForm1> startWithProject() {
        writeData();
        project(kProject);
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        w->resize(900, 700);
        w->Map1->setExtent(mapcontrol::Rectangle(-1, 10, 10, -1));
        return w;
    }

    static void select(app::TForm1& w, int theme) {
        w.CheckListBox1->clearSelection();
        w.CheckListBox1->item(theme)->setSelected(true);
    }
    // Shows only the theme, selected.
    static void showOnly(app::TForm1& w, int theme) {
        for (int i = 0; i < w.CheckListBox1->count(); ++i) {
            w.CheckListBox1->item(i)->setCheckState(i == theme ? Qt::Checked : Qt::Unchecked);
        }
        select(w, theme);
    }
    static mapcontrol::VectorLayer* layer(app::TForm1& w, const QString& name) {
        return dynamic_cast<mapcontrol::VectorLayer*>(w.Map1->layers().item(name));
    }
    static QColor at(app::TForm1& w, const mapcontrol::MapPoint& point) {
        w.Map1->refresh();
        return w.Map1->picture().pixelColor(w.Map1->toPixel(point).toPoint());
    }
    static QStringList texts(const QListWidget& list) {
        QStringList result;
        for (int i = 0; i < list.count(); ++i) result << list.item(i)->text();
        return result;
    }
};

}  // namespace

TEST_F(VectorFormatsTest, aGeoPackageOfTwoLayersAsksWhichAndItsLineNamesTheLayer) {
    writeData();
    auto w = start();
    const QString gpkg = drives.root('D') + "/dados/base.gpkg";
    dialogs.push(gpkg);
    dialogs.push(support::ScriptedDialogs::Choose{"falhas"});
    w->button("SpeedButton3")->click();
    ASSERT_EQ(dialogs.choices(), QList<QStringList>({{"geologia", "falhas"}}));
    ASSERT_EQ(w->CheckListBox1->count(), 1) << dialogs.messages().join("|").toStdString();
    EXPECT_EQ(w->CheckListBox1->item(0)->text(),
              "base.gpkg                          ,D:\\dados\\base.gpkg|layername=falhas");
    mapcontrol::VectorLayer* faults = layer(*w, "base.gpkg|layername=falhas");
    ASSERT_NE(faults, nullptr);
    EXPECT_TRUE(faults->isValid()) << faults->error().toStdString();
    EXPECT_EQ(faults->shapeType(), mapcontrol::ShapeType::Line);

    // The other layer is another theme; the same one again is a duplicate.
    dialogs.push(gpkg);
    dialogs.push(support::ScriptedDialogs::Choose{"geologia"});
    w->button("SpeedButton3")->click();
    ASSERT_EQ(w->CheckListBox1->count(), 2);
    EXPECT_EQ(layer(*w, "base.gpkg|layername=geologia")->shapeType(),
              mapcontrol::ShapeType::Polygon);
    dialogs.push(gpkg);
    dialogs.push(support::ScriptedDialogs::Choose{"falhas"});
    w->button("SpeedButton3")->click();
    EXPECT_EQ(dialogs.lastMessage(), workspace::ThemeList::kDuplicateMessage);
    EXPECT_EQ(w->CheckListBox1->count(), 2);
    EXPECT_EQ(w->Map1->layers().count(), 2);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(VectorFormatsTest, cancellingTheLayerChoiceAddsNothing) {
    writeData();
    auto w = start();
    dialogs.push(drives.root('D') + "/dados/base.gpkg");
    dialogs.push(support::ScriptedDialogs::Cancel{});
    w->button("SpeedButton3")->click();
    EXPECT_EQ(dialogs.choices().size(), 1);
    EXPECT_EQ(w->CheckListBox1->count(), 0);
    EXPECT_EQ(w->Map1->layers().count(), 0);
    EXPECT_EQ(w->Map2->layers().count(), 0);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("|").toStdString();
}

TEST_F(VectorFormatsTest, filesOfOneLayerAreAddedWithoutAskingAndTheFilterOffersThem) {
    writeData();
    auto w = start();
    for (const char* file : {"furos.geojson", "rotas.kml", "pocos.fgb"}) {
        dialogs.push(drives.root('D') + "/dados/" + file);
        w->button("SpeedButton3")->click();
    }
    EXPECT_TRUE(dialogs.choices().isEmpty());
    ASSERT_EQ(w->CheckListBox1->count(), 3) << dialogs.messages().join("|").toStdString();
    EXPECT_EQ(w->CheckListBox1->item(0)->text(),
              "pocos.fgb                          ,D:\\dados\\pocos.fgb");
    for (const char* name : {"furos.geojson", "rotas.kml", "pocos.fgb"}) {
        ASSERT_NE(layer(*w, name), nullptr) << name;
        EXPECT_TRUE(layer(*w, name)->isValid()) << name;
    }
    const QString filter = dialogs.fileDialogs().last().filter;
    for (const char* pattern :
         {"|Arquivos GeoPackage|*.gpkg|", "|Arquivos GeoJSON|*.geojson;*.json|",
          "|Arquivos KML e KMZ|*.kml;*.kmz|", "|Arquivos FlatGeobuf|*.fgb|",
          "|Arquivos GML|*.gml|"}) {
        EXPECT_TRUE(filter.contains(pattern)) << pattern;
    }
    EXPECT_TRUE(
        filter.startsWith("All supported formats|*.shp;*.gpkg;*.geojson;*.json;*.kml;"
                          "*.kmz;*.fgb;*.gml;"));
}

TEST_F(VectorFormatsTest, everyFormatIsDrawnAndClassifiedByUniqueValues) {
    auto w = startWithProject();
    ASSERT_EQ(w->CheckListBox1->count(), 5);
    struct Case {
        int theme;
        const char* layer;
        const char* field;
        mapcontrol::MapPoint onFeature;
        int classes;
    };
    for (const Case& c :
         {Case{0, "base.gpkg|layername=falhas", "TIPO", {4.5, 6}, 2},
          Case{1, "base.gpkg|layername=geologia", "SIGLA", {2, 1}, 2},
          Case{2, "furos.geojson", "NOME", {2, 2}, 2}, Case{3, "rotas.kml", "NOME", {1, 5}, 2},
          Case{4, "pocos.fgb", "PROF", {7, 2}, 2}}) {
        SCOPED_TRACE(c.layer);
        showOnly(*w, c.theme);
        mapcontrol::VectorLayer* shown = layer(*w, c.layer);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(shown->isValid()) << shown->error().toStdString();
        const QColor background = at(*w, {9.5, 9.5});
        EXPECT_NE(at(*w, c.onFeature), background);

        w->button("SpeedButton9")->click();
        symbology::ClassificationWindow& classes = w->classification();
        classes.Edit1->setText(c.field);
        classes.SpeedButton1->click();
        auto* renderer = dynamic_cast<mapcontrol::ValueMapRenderer*>(shown->renderer());
        ASSERT_NE(renderer, nullptr) << dialogs.lastMessage().toStdString();
        EXPECT_EQ(renderer->field(), c.field);
        EXPECT_EQ(renderer->valueCount(), c.classes);
        EXPECT_NE(at(*w, c.onFeature), background);
        classes.SpeedButton3->click();  // "Volta"
    }
}

TEST_F(VectorFormatsTest, aGeoPackageLayersColoursAreSavedInItsOwnColourFile) {
    auto w = startWithProject();
    showOnly(*w, 0);
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");
    QFile written(drives.native("D:\\dados\\base.falhas.cor"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray colours = written.readAll();
    EXPECT_TRUE(colours.startsWith("TIPO,2\r\ninversa,")) << colours.toStdString();
    EXPECT_FALSE(QFile::exists(drives.native("D:\\dados\\base.cor")));
}

TEST_F(VectorFormatsTest, everyFormatIsQueriedAndIdentified) {
    auto w = startWithProject();
    struct Case {
        int theme;
        const char* expression;
        mapcontrol::MapPoint found;
        QString report;
    };
    for (const Case& c : {Case{0, "TIPO = 'inversa'", {4.5, 8}, "TIPO : inversa"},
                          Case{1, "VAL = 2.5", {7, 2}, "SIGLA : K2á\nVAL : 2.5"},
                          Case{2, "PROF = 40", {7, 2}, "NOME : F2\nPROF : 40"},
                          Case{3, "NOME = 'trilha'", {1, 5}, "NOME : trilha"},
                          Case{4, "NOME = 'Furo ã'", {2, 2}, "NOME : Furo ã\nPROF : 25"}}) {
        SCOPED_TRACE(c.expression);
        showOnly(*w, c.theme);
        w->button("SpeedButton10")->click();
        query::QueryTool& q = w->query();
        ASSERT_TRUE(w->windows().window("TForm5")->isVisible())
            << dialogs.lastMessage().toStdString();
        q.RadioGroup1->button(1)->click();
        q.Edit1->setText(c.expression);
        q.RunButton->click();
        EXPECT_TRUE(q.isActive()) << dialogs.lastMessage().toStdString();
        EXPECT_TRUE(q.Memo1->toPlainText().contains(c.report + "\n"))
            << q.Memo1->toPlainText().toStdString();
        EXPECT_EQ(at(*w, c.found), QColor(255, 255, 0));
        w->button("SpeedButton27")->click();  // the selection removed
        q.BackButton->click();

        select(*w, c.theme);
        w->button("SpeedButton6")->click();
        query::IdentifyTool& id = w->identify();
        id.identifyAt(c.found);
        EXPECT_EQ(texts(*id.ListBox1), QStringList({"1"}));
        ASSERT_GT(id.ListBox2->count(), 0);
        EXPECT_TRUE(texts(*id.ListBox2).contains(c.report.section('\n', 0, 0)))
            << texts(*id.ListBox2).join("|").toStdString();
        id.Voltar->click();
    }
}

TEST_F(VectorFormatsTest, aProjectOfEveryFormatIsSavedAndOpenedAgainWithIdenticalLines) {
    auto w = startWithProject();
    ASSERT_EQ(w->Map1->layers().count(), 5);
    const QString saved = drives.root('D') + "/proj/copia.jjj";
    dialogs.push(saved);
    w->SaveProject();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kProject);
    file.close();

    auto other = start();
    dialogs.push(saved);
    other->OpenProject();
    EXPECT_TRUE(dialogs.choices().isEmpty());  // the lines name their layers
    ASSERT_EQ(other->CheckListBox1->count(), 5) << dialogs.messages().join("|").toStdString();
    EXPECT_EQ(other->CheckListBox1->item(1)->checkState(), Qt::Unchecked);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(other->CheckListBox1->item(i)->text(), w->CheckListBox1->item(i)->text());
        const auto* shown = dynamic_cast<mapcontrol::VectorLayer*>(other->Map1->layers().item(i));
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isValid()) << shown->error().toStdString();
    }
    dialogs.push(saved);
    other->SaveProject();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kProject);
}

TEST_F(VectorFormatsTest, aLayerOfAGeoPackageIsLabelledAndShownInTheLegend) {
    auto w = startWithProject();
    showOnly(*w, 1);
    w->button("SpeedButton34")->click();
    w->labels().Edit1->setText("SIGLA");
    w->labels().SpeedButton1->click();
    mapcontrol::VectorLayer* geology = layer(*w, "base.gpkg|layername=geologia");
    ASSERT_NE(geology, nullptr);
    EXPECT_NE(dynamic_cast<const mapcontrol::LabelRenderer*>(geology->renderer()), nullptr)
        << dialogs.lastMessage().toStdString();

    w->ShowLegend();
    QStringList legend;
    for (int i = 0; i < w->ListBox1->count(); ++i) legend << w->ListBox1->item(i)->text();
    // Under the labels, the classes the theme is drawn in: its last field's.
    ASSERT_EQ(legend.size(), 3) << legend.join("|").toStdString();
    EXPECT_TRUE(legend[0].contains("***base.gpkg***")) << legend[0].toStdString();
    EXPECT_EQ(legend.mid(1), QStringList({"1.5", "2.5"}));
}
