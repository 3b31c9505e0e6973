// The symbology commands as the user runs them from the main window:
// classification, legend, symbol editors, labels, transparency, palette restore.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/label_renderer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_data_cache.h"
#include "mapcontrol/vector_layer.h"
#include "symbology/classification_window.h"
#include "symbology/label_window.h"
#include "symbology/legend_panel.h"
#include "symbology/swatch.h"
#include "symbology/symbol_editors.h"
#include "symbology/transparency_switch.h"
#include "symbology/unique_values.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

using mapcontrol::colourInt;

class SymbologyTest : public support::MainWindowFixture {
protected:
    // Drive D: a polygon theme "geo" (VAL real, NUM integer, SIGLA text), a
    // point theme "pontos" and a line theme "falhas"; the project lists them
    // in that order with only `on` switched on.
    std::unique_ptr<app::TForm1> startWith(const QStringList& on) {
        QDir().mkpath(drives.root('D') + "/dados");
        fixtures::ShapefileBuilder geo(fixtures::ShapeType::Polygon);
        geo.realField("VAL", 12, 3).integerField("NUM").textField("SIGLA", 8);
        const double values[] = {75, 90, 100, 110, 128};
        for (int i = 0; i < 5; ++i) {
            geo.feature(QString("POLYGON((%1 0,%1 1,%2 1,%2 0,%1 0))").arg(i).arg(i + 1),
                        {values[i], i, i < 3 ? "GR" : "K2"});
        }
        EXPECT_TRUE(geo.write(drives.root('D') + "/dados/geo.shp"));
        fixtures::ShapefileBuilder points(fixtures::ShapeType::Point);
        points.textField("TIPO", 8);
        points.feature("POINT(0.5 0.5)", {"poco"}).feature("POINT(1.5 0.5)", {"nascente"});
        EXPECT_TRUE(points.write(drives.root('D') + "/dados/pontos.shp"));
        fixtures::ShapefileBuilder faults(fixtures::ShapeType::Line);
        faults.textField("TIPO", 8);
        faults.feature("LINESTRING(0 0,5 1)", {"normal"});
        EXPECT_TRUE(faults.write(drives.root('D') + "/dados/falhas.shp"));
        QByteArray lines;
        for (const char* name : {"geo", "pontos", "falhas"}) {
            lines += (on.contains(name) ? "" : "*") + QByteArray(name) + ".shp      ,dados\\" +
                     name + ".shp\r\n";
        }
        project(lines);
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        EXPECT_EQ(w->CheckListBox1->count(), 3);
        return w;
    }

    static void select(app::TForm1& w, int theme) {
        w.CheckListBox1->clearSelection();
        w.CheckListBox1->item(theme)->setSelected(true);
    }
    static mapcontrol::VectorLayer& layer(app::TForm1& w, const QString& name) {
        return dynamic_cast<mapcontrol::VectorLayer&>(*w.Map1->layers().item(name));
    }
    static QStringList texts(const QListWidget& list) {
        QStringList result;
        for (int i = 0; i < list.count(); ++i) result << list.item(i)->text();
        return result;
    }
    // Opens the classification window on the theme.
    static symbology::ClassificationWindow& classify(app::TForm1& w, int theme) {
        select(w, theme);
        w.button("SpeedButton9")->click();
        return w.classification();
    }
    // Shows the legend and clicks its line.
    static void clickLegendLine(app::TForm1& w, int line) {
        w.ShowLegend();
        QListWidgetItem* item = w.ListBox1->item(line);
        w.ListBox1->setCurrentItem(item);
        emit w.ListBox1->itemClicked(item);
    }
};

TEST_F(SymbologyTest, classificationWindowListsEveryFieldAndNumericOnesForStatistics) {
    auto w = startWith({"geo"});
    w->CheckListBox1->clearSelection();
    w->button("SpeedButton9")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Selecione um tema");
    EXPECT_FALSE(w->button("SpeedButton9")->isChecked());

    symbology::ClassificationWindow& c = classify(*w, 0);
    QWidget* form = w->windows().window("TForm4");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(texts(*c.ListBox1), QStringList({"VAL", "NUM", "SIGLA"}));
    EXPECT_EQ(texts(*c.ListBox2), QStringList({"VAL", "NUM"}));  // text fields never
    EXPECT_EQ(c.Edit3->text(), "150");
    EXPECT_EQ(symbology::swatchColour(*c.Image1), colourInt(255, 255, 128));
    EXPECT_EQ(symbology::swatchColour(*c.Image2), colourInt(255, 128, 0));
    emit c.ListBox2->itemClicked(c.ListBox2->item(1));
    EXPECT_EQ(c.Edit2->text(), "NUM");

    c.SpeedButton3->click();  // "Volta"
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(c.ListBox1->count(), 0);
}

TEST_F(SymbologyTest, uniqueValuesReplaceTheRendererAndRefreshTheShownLegend) {
    auto w = startWith({"geo"});
    w->button("SpeedButton18")->setChecked(true);
    symbology::ClassificationWindow& c = classify(*w, 0);
    c.Edit1->setText("NUM");
    c.SpeedButton1->click();
    auto* r = dynamic_cast<mapcontrol::ValueMapRenderer*>(layer(*w, "geo").renderer());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->field(), "NUM");
    EXPECT_EQ(r->valueCount(), 5);
    EXPECT_EQ(r->symbol(0).style, mapcontrol::FillSolid);
    EXPECT_EQ(w->ListBox1->count(), 6);  // the title and five classes
    EXPECT_TRUE(w->ListBox1->item(0)->text().endsWith(",NUM"));
    EXPECT_FALSE(w->button("SpeedButton9")->isChecked());
    EXPECT_TRUE(w->windows().window("TForm4")->isVisible());  // it stays open

    c.Edit1->setText("NADA");
    c.SpeedButton1->click();
    EXPECT_EQ(dialogs.lastMessage(), symbology::kTooManyClassesMessage);
}

TEST_F(SymbologyTest, classBreaksUseTheRampAndTheTransparencyButtonRestoresEveryRenderer) {
    auto w = startWith({"geo"});
    symbology::ClassificationWindow& c = classify(*w, 0);
    c.SpeedButton2->click();
    EXPECT_EQ(dialogs.lastMessage(), "Escolha o campo para realizar a operação estatística");
    c.Edit2->setText("VAL");
    c.SpeedButton2->click();
    auto* r = dynamic_cast<mapcontrol::ClassBreaksRenderer*>(layer(*w, "geo").renderer());
    ASSERT_NE(r, nullptr);
    ASSERT_GT(r->breakCount(), 0);
    EXPECT_EQ(r->symbol(0).colour, colourInt(255, 255, 128));  // the ramp's start
    EXPECT_EQ(w->state().classBreakValues.front(), r->breakValue(0));
    EXPECT_EQ(w->state().themeRenderKind[0], 1);
    EXPECT_TRUE(w->state().transparencyActive);
    EXPECT_EQ(w->ComboBox1->currentText(), w->CheckListBox1->item(0)->text());

    // A class-break theme's colours cannot be saved.
    w->button("SpeedButton25")->click();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Nesta versão ainda não é possível"));

    c.Edit2->setText("SIGLA");  // typed by hand: not numeric
    c.SpeedButton2->click();
    EXPECT_TRUE(dialogs.lastMessage().contains("SIGLA"));

    w->button("SpeedButton21")->click();
    EXPECT_FALSE(w->state().transparencyActive);
    EXPECT_FALSE(w->button("SpeedButton21")->isChecked());
    EXPECT_NE(dynamic_cast<mapcontrol::ValueMapRenderer*>(layer(*w, "geo").renderer()), nullptr);
}

TEST_F(SymbologyTest, transparencyDrawsPointsAsRedCirclesAndPolygonsHollow) {
    auto w = startWith({"geo", "pontos"});
    w->CheckListBox1->clearSelection();
    w->button("SpeedButton21")->click();
    EXPECT_EQ(dialogs.lastMessage(), symbology::TransparencySwitch::kNoShapeMessage);
    EXPECT_FALSE(w->button("SpeedButton21")->isChecked());

    select(*w, 1);
    w->button("SpeedButton21")->click();
    EXPECT_TRUE(w->state().transparencyActive);
    const auto& points =
        dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "pontos").renderer());
    EXPECT_EQ(points.field(), "TIPO");
    ASSERT_EQ(points.valueCount(), 2);
    EXPECT_EQ(points.symbol(1).colour, colourInt(255, 0, 0));
    EXPECT_EQ(points.symbol(1).style, mapcontrol::MarkerCircle);

    // Unique values switch the mode off first (rebuilding every layer).
    symbology::ClassificationWindow& c = classify(*w, 0);
    c.Edit1->setText("SIGLA");
    c.SpeedButton1->click();
    EXPECT_FALSE(w->state().transparencyActive);
    EXPECT_EQ(dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "pontos").renderer())
                  .symbol(0)
                  .colour,
              colourInt(0, 0, 255));  // the default legend again

    select(*w, 0);
    w->button("SpeedButton21")->click();
    EXPECT_EQ(dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "geo").renderer())
                  .symbol(0)
                  .style,
              mapcontrol::FillTransparent);
    EXPECT_EQ(
        dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "geo").renderer()).field(),
        "SIGLA");  // the last field that is not numeric
}

TEST_F(SymbologyTest, legendShowsVisibleThemesWithPicturesAndRestorePaletteEmptiesIt) {
    auto w = startWith({"geo", "falhas"});
    w->show();                           // showing the window builds the legend
    ASSERT_EQ(w->ListBox1->count(), 6);  // title, GR, K2, separator, title, normal
    EXPECT_EQ(w->ListBox1->item(3)->text(), "  ");
    EXPECT_EQ(w->ListBox1->sizeHintForRow(1), symbology::LegendPanel::kItemHeight);
    const QImage picture =
        w->ListBox1->item(1)->data(symbology::LegendPanel::kPictureRole).value<QImage>();
    EXPECT_EQ(picture.size(), QSize(15, 15));
    EXPECT_EQ(
        w->ListBox1->item(0)->data(symbology::LegendPanel::kPictureRole).value<QImage>().size(),
        QSize(10, 10));

    w->PageControl1->setCurrentIndex(0);
    w->ListBox1->clear();
    w->PageControl1->setCurrentIndex(1);  // the Legenda tab builds it again
    EXPECT_EQ(w->ListBox1->count(), 6);

    classify(*w, 0).Edit2->setText("VAL");
    w->classification().SpeedButton2->click();
    w->button("SpeedButton14")->click();  // "Volta a paleta orignal"
    EXPECT_EQ(w->ListBox1->count(), 0);
    EXPECT_EQ(w->state().themeRenderKind[0], 0);
    EXPECT_NE(dynamic_cast<mapcontrol::ValueMapRenderer*>(layer(*w, "geo").renderer()), nullptr);
    EXPECT_EQ(w->Map1->layers().count(), 3);
}

TEST_F(SymbologyTest, restorePaletteBuildsTheLayersAgainWithoutReadingTheirFiles) {
    auto w = startWith({"geo", "falhas"});
    const std::weak_ptr<const mapcontrol::VectorData> geo = layer(*w, "geo").data();
    classify(*w, 0).Edit2->setText("VAL");
    w->classification().SpeedButton2->click();
    ASSERT_EQ(w->state().themeRenderKind[0], 1);
    const std::size_t reads = mapcontrol::VectorDataCache::shared().readCount();
    w->button("SpeedButton14")->click();  // "Volta a paleta orignal"
    EXPECT_EQ(mapcontrol::VectorDataCache::shared().readCount(), reads);
    EXPECT_EQ(layer(*w, "geo").data(), geo.lock());
    EXPECT_NE(dynamic_cast<mapcontrol::ValueMapRenderer*>(layer(*w, "geo").renderer()), nullptr);
    EXPECT_EQ(w->Map2->layers().count(), 3);
}

TEST_F(SymbologyTest, restorePaletteRedrawsTheOverviewMapInTheOriginalColours) {
    auto w = startWith({"geo"});
    w->show();
    w->findChild<QRadioButton*>("RadioGroup1Item0")->click();  // "Visível"
    ASSERT_FALSE(w->Map2->isHidden());
    const auto count = [](const QImage& picture, QRgb colour) {
        int n = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                n += (picture.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
            }
        }
        return n;
    };
    const QRgb blue = qRgb(0, 0, 255);       // the default legend
    const QRgb first = qRgb(255, 255, 128);  // the ramp's start
    const QRgb yellow = qRgb(255, 255, 0);   // the extent box
    ASSERT_GT(count(w->Map2->picture(), blue), 0);

    // After a navigation step the next redraw of the main map draws the
    // overview too: here the classification's.
    w->button("SpeedButton2")->click();  // "Zoom dentro"
    classify(*w, 0).Edit2->setText("VAL");
    w->classification().SpeedButton2->click();
    ASSERT_EQ(count(w->Map2->picture(), blue), 0);
    ASSERT_GT(count(w->Map2->picture(), first), 0);
    ASSERT_GT(count(w->Map2->picture(), yellow), 0);  // and the main map's extent

    w->button("SpeedButton14")->click();  // "Volta a paleta orignal"
    EXPECT_GT(count(w->Map2->picture(), blue), 0);
    EXPECT_EQ(count(w->Map2->picture(), first), 0);
    EXPECT_GT(count(w->Map2->picture(), yellow), 0);
}

TEST_F(SymbologyTest, legendLinesMoveOnlyInReorderMode) {
    auto w = startWith({"geo"});
    w->resize(1000, 800);
    w->show();
    w->PageControl1->setCurrentIndex(1);
    ASSERT_EQ(w->ListBox1->count(), 3);
    QWidget* viewport = w->ListBox1->viewport();
    const auto drag = [&](int from, int to) {
        QTest::mousePress(viewport, Qt::LeftButton, {},
                          w->ListBox1->visualItemRect(w->ListBox1->item(from)).center());
        QTest::mouseRelease(viewport, Qt::LeftButton, {},
                            w->ListBox1->visualItemRect(w->ListBox1->item(to)).center());
    };
    drag(1, 2);
    EXPECT_EQ(w->ListBox1->item(1)->text(), "GR");
    w->button("SpeedButton35")->setChecked(true);
    drag(1, 2);
    EXPECT_EQ(w->ListBox1->item(1)->text(), "K2");
    EXPECT_EQ(w->ListBox1->item(2)->text(), "GR");
    EXPECT_EQ(dynamic_cast<mapcontrol::ValueMapRenderer&>(*layer(*w, "geo").renderer()).value(0),
              "GR");
}

TEST_F(SymbologyTest, polygonEditorAppliesColourStyleAndOutlineToTheClickedClass) {
    auto w = startWith({"geo"});
    clickLegendLine(*w, 2);  // class 1, "K2"
    QWidget* form = w->windows().window("TForm11");
    ASSERT_TRUE(form->isVisible());
    symbology::SymbolEditors& e = w->symbolEditors();
    dialogs.push(QColor(255, 0, 0));
    e.polygon.SpeedButton1->click();
    EXPECT_EQ(symbology::swatchColour(*e.polygon.Shape1), colourInt(255, 2, 2));
    e.polygon.RadioGroup1->button(7)->click();  // "diagonal cruz"
    e.polygon.RadioGroup2->button(1)->click();  // without outline
    e.polygon.Edit1->setText("3");
    e.polygon.SpeedButton2->click();
    EXPECT_FALSE(form->isVisible());
    const auto& r = dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "geo").renderer());
    EXPECT_EQ(r.symbol(1).colour, colourInt(255, 2, 2));
    EXPECT_EQ(r.symbol(1).style, 7);
    EXPECT_FALSE(r.symbol(1).outline);
    EXPECT_EQ(r.symbol(1).size, 3);
    EXPECT_EQ(r.symbol(0).style, 0);     // other classes untouched
    EXPECT_EQ(w->ListBox1->count(), 3);  // the legend shown again

    select(*w, 0);
    w->button("SpeedButton25")->click();
    QFile cor(drives.root('D') + "/dados/geo.cor");
    ASSERT_TRUE(cor.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cor.readAll().contains("K2,255,2,2,7\r\n"));
}

TEST_F(SymbologyTest, titleLineOrARefusedThemeChangesNothing) {
    auto w = startWith({"geo"});
    const auto& r = dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "geo").renderer());
    const mapcontrol::Symbol before = r.symbol(0);
    clickLegendLine(*w, 0);  // the title line
    w->symbolEditors().polygon.RadioGroup1->button(5)->click();
    w->symbolEditors().polygon.SpeedButton2->click();
    EXPECT_EQ(r.symbol(0), before);
    EXPECT_EQ(r.symbol(1).style, 0);

    w->CheckListBox1->item(1)->setCheckState(Qt::Checked);  // two themes on
    clickLegendLine(*w, 1);
    EXPECT_EQ(dialogs.lastMessage(), symbology::SymbolEditors::kOneThemeMessage);
    w->symbolEditors().polygon.SpeedButton2->click();
    EXPECT_EQ(r.symbol(0), before);

    w->CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
    w->state().themeRenderKind[0] = 1;
    clickLegendLine(*w, 1);
    EXPECT_EQ(dialogs.lastMessage(), symbology::SymbolEditors::kClassBreakMessage);
}

TEST_F(SymbologyTest, pointAndLineEditorApplyMarkersSizesAndDashes) {
    auto w = startWith({"falhas"});
    symbology::SymbolEditors& e = w->symbolEditors();
    clickLegendLine(*w, 1);
    ASSERT_TRUE(w->windows().window("TForm9")->isVisible());
    e.pointLine.ComboBox1->setCurrentIndex(4);
    EXPECT_EQ(e.pointLine.ComboBox1->currentText(), "TRAÇO TRAÇO PONTO ");
    e.pointLine.SpeedButton5->click();
    EXPECT_EQ(dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "falhas").renderer())
                  .symbol(0)
                  .style,
              mapcontrol::LineDashDotDot);

    w->CheckListBox1->item(2)->setCheckState(Qt::Unchecked);
    w->CheckListBox1->item(1)->setCheckState(Qt::Checked);
    clickLegendLine(*w, 2);  // "poco"
    dialogs.push(QColor(10, 20, 30));
    e.pointLine.SpeedButton4->click();
    e.pointLine.SpeedButton7->click();  // the hidden "FONTE"
    EXPECT_EQ(e.pointLine.Edit1->text(), "FONTE");
    e.pointLine.ComboBox2->setCurrentText("10");
    e.pointLine.SpeedButton5->click();
    const auto& points =
        dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "pontos").renderer());
    EXPECT_EQ(points.symbol(1).colour, colourInt(10, 20, 30));
    EXPECT_EQ(points.symbol(1).size, 10);
    EXPECT_EQ(points.symbol(1).style, mapcontrol::MarkerCircle);  // no marker chosen

    clickLegendLine(*w, 2);
    e.pointLine.SpeedButton2->click();  // "TRIANGULO"
    e.pointLine.SpeedButton5->click();
    EXPECT_EQ(points.symbol(1).style, mapcontrol::MarkerTriangle);
    EXPECT_EQ(points.symbol(1).colour, colourInt(10, 20, 30));  // the colour chosen last
}

TEST_F(SymbologyTest, labelsLieOverTheSymbologyUntilRemoveTextRestoresThePalette) {
    auto w = startWith({"geo"});
    w->CheckListBox1->clearSelection();
    w->button("SpeedButton34")->click();
    EXPECT_EQ(dialogs.lastMessage(), symbology::LabelWindow::kSelectThemeMessage);

    select(*w, 0);
    w->button("SpeedButton34")->click();
    symbology::LabelWindow& l = w->labels();
    QWidget* form = w->windows().window("TForm13");
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(texts(*l.ListBox1), QStringList({"VAL", "NUM", "SIGLA"}));
    EXPECT_EQ(l.ComboBox1->currentText(), "8");
    emit l.ListBox1->itemClicked(l.ListBox1->item(2));
    l.SpeedButton1->click();
    EXPECT_FALSE(form->isVisible());
    const auto* placer =
        dynamic_cast<const mapcontrol::LabelRenderer*>(layer(*w, "geo").renderer());
    ASSERT_NE(placer, nullptr);
    EXPECT_EQ(placer->field(), "SIGLA");
    EXPECT_DOUBLE_EQ(placer->textSymbol().height, w->Map1->extent().size() / 450);
    EXPECT_NE(dynamic_cast<const mapcontrol::ValueMapRenderer*>(placer->background()), nullptr);
    EXPECT_TRUE(placer->isOn(2));
    EXPECT_FALSE(placer->isOn(3));
    EXPECT_FALSE(placer->isOn(6));
    EXPECT_TRUE(placer->isOn(11));
    EXPECT_TRUE(w->state().labelsAdded);
    w->ShowLegend();
    EXPECT_EQ(w->ListBox1->count(), 3);  // the classes under the labels

    classify(*w, 0).Edit2->setText("VAL");
    w->classification().SpeedButton2->click();
    w->button("SpeedButton34")->click();
    l.SpeedButton2->click();  // "Remove texto"
    EXPECT_NE(dynamic_cast<const mapcontrol::ValueMapRenderer*>(layer(*w, "geo").renderer()),
              nullptr);
    EXPECT_EQ(w->state().themeRenderKind[0], 0);

    // No field chosen: the window closes and nothing is labelled.
    w->button("SpeedButton34")->click();
    l.SpeedButton1->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dynamic_cast<const mapcontrol::LabelRenderer*>(layer(*w, "geo").renderer()), nullptr);
}

TEST_F(SymbologyTest, aRefusedClassBreakChangesNothing) {
    auto w = startWith({"geo"});
    w->ShowLegend();
    const int legendLines = w->ListBox1->count();
    symbology::ClassificationWindow& c = classify(*w, 0);
    c.Edit2->setText("SIGLA");  // typed by hand: not numeric
    c.SpeedButton2->click();
    EXPECT_TRUE(dialogs.lastMessage().contains("SIGLA"));
    EXPECT_EQ(w->state().themeRenderKind[0], 0);
    EXPECT_FALSE(w->state().transparencyActive);
    EXPECT_EQ(w->ListBox1->count(), legendLines);
    EXPECT_NE(dynamic_cast<mapcontrol::ValueMapRenderer*>(layer(*w, "geo").renderer()), nullptr);
    // The colours can still be saved.
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");
}

TEST_F(SymbologyTest, aNewProjectOrAnotherOneStartsEveryThemeWithUniqueValues) {
    auto w = startWith({"geo"});
    classify(*w, 0).Edit2->setText("VAL");
    w->classification().SpeedButton2->click();
    ASSERT_EQ(w->state().themeRenderKind[0], 1);

    dialogs.push(drives.root('D') + "/proj/p.jjj");
    w->OpenProject();
    EXPECT_EQ(w->state().themeRenderKind[0], 0);
    w->ShowLegend();
    EXPECT_TRUE(w->ListBox1->item(0)->text().startsWith(" ***geo.shp***"));
    select(*w, 0);
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");

    classify(*w, 0).Edit2->setText("VAL");
    w->classification().SpeedButton2->click();
    w->findChild<QAction*>("Novoprojeto1")->trigger();
    EXPECT_EQ(w->state().themeRenderKind[0], 0);
}

TEST_F(SymbologyTest, theLegendFollowsTheRendererWhateverTheThemesKindSays) {
    auto w = startWith({"geo"});
    w->state().themeRenderKind[0] = 1;  // out of step with its unique values
    w->ShowLegend();
    ASSERT_EQ(w->ListBox1->count(), 3);
    EXPECT_TRUE(w->ListBox1->item(0)->text().endsWith(",SIGLA"));
}

TEST_F(SymbologyTest, theColoursOfALabelledThemeAreSavedFromUnderItsLabels) {
    auto w = startWith({"geo"});
    select(*w, 0);
    w->button("SpeedButton34")->click();
    w->labels().Edit1->setText("SIGLA");
    w->labels().SpeedButton1->click();
    ASSERT_NE(dynamic_cast<const mapcontrol::LabelRenderer*>(layer(*w, "geo").renderer()), nullptr);
    w->button("SpeedButton25")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Gravação de paleta realizada com sucesso");
    QFile written(drives.native("D:\\dados\\geo.cor"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("SIGLA,2\r\nGR,"));
}

TEST_F(SymbologyTest, aThemeWithoutItsFileHasNoLegendToSaveAndSaysSo) {
    auto w = startWith({"geo"});
    QFile::remove(drives.root('D') + "/dados/geo.shp");
    w->RestorePalette();  // the layer is read again and cannot be
    select(*w, 0);
    w->button("SpeedButton25")->click();
    EXPECT_TRUE(dialogs.lastMessage().startsWith("Não há legenda para gravar"));
    EXPECT_FALSE(QFile::exists(drives.native("D:\\dados\\geo.cor")));
}

TEST_F(SymbologyTest, editingOnlyTheColourOfALineKeepsItsDashes) {
    drives.writeFile("D:\\dados\\falhas.cor", "TIPO,1\r\nnormal,10,20,30,1\r\n");
    auto w = startWith({"falhas"});
    symbology::SymbolEditors& e = w->symbolEditors();
    clickLegendLine(*w, 1);
    ASSERT_TRUE(w->windows().window("TForm9")->isVisible());
    EXPECT_EQ(e.pointLine.ComboBox1->currentText(), "TRACEJADA");
    dialogs.push(QColor(200, 0, 0));
    e.pointLine.SpeedButton4->click();
    e.pointLine.SpeedButton5->click();
    const mapcontrol::Symbol& symbol =
        dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "falhas").renderer())
            .symbol(0);
    EXPECT_EQ(symbol.style, mapcontrol::LineDash);
    EXPECT_EQ(symbol.colour, colourInt(200, 0, 0));
}

TEST_F(SymbologyTest, editingOnlyTheColourOfAPointKeepsItsSize) {
    drives.writeFile("D:\\dados\\pontos.cor", "TIPO,2\r\npoco,1,2,3,1,10\r\nnascente,1,2,3\r\n");
    auto w = startWith({"pontos"});
    symbology::SymbolEditors& e = w->symbolEditors();
    clickLegendLine(*w, 2);  // "poco"
    dialogs.push(QColor(0, 100, 0));
    e.pointLine.SpeedButton4->click();
    e.pointLine.SpeedButton5->click();
    const auto& points =
        dynamic_cast<const mapcontrol::ValueMapRenderer&>(*layer(*w, "pontos").renderer());
    const mapcontrol::Symbol& poco = points.symbol(points.classOf("poco"));
    EXPECT_EQ(poco.size, 10);
    EXPECT_EQ(poco.style, mapcontrol::MarkerSquare);
    EXPECT_EQ(poco.colour, colourInt(0, 100, 0));
}

TEST(LabelSizes, divisorTableAndHeight) {
    EXPECT_EQ(symbology::labelDivisor("1"), 650);
    EXPECT_EQ(symbology::labelDivisor("15"), 150);
    EXPECT_EQ(symbology::labelDivisor("16"), 50);
    EXPECT_EQ(symbology::labelDivisor("9"), symbology::kDefaultLabelDivisor);
    EXPECT_EQ(symbology::labelDivisor("oito"), symbology::kDefaultLabelDivisor);
    EXPECT_DOUBLE_EQ(symbology::labelHeight(mapcontrol::Rectangle(-50, -45.5, -10, -12),
                                            symbology::labelDivisor("8")),
                     0.01);
}

TEST(EditorChoices, lineAndMarkerNames) {
    EXPECT_EQ(symbology::lineStyleNamed("TRAÇO TRAÇO PONTO "), 4);
    EXPECT_EQ(symbology::lineStyleNamed("TRAÇO PONTO"), 3);
    EXPECT_EQ(symbology::lineStyleNamed("ONDULADA"), std::nullopt);
    EXPECT_EQ(symbology::markerStyleNamed("CRUZ"), 3);
    EXPECT_EQ(symbology::markerStyleNamed("FONTE"), std::nullopt);
}

}  // namespace
