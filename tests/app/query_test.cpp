// The attribute query as the user composes and runs it.
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "query/query_tool.h"

#include <QButtonGroup>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

class QueryTest : public support::MainWindowFixture {
protected:
    // Drive D: "pocos", points (NOME text, PROF integer) and two polygon
    // themes, all switched on.
    std::unique_ptr<app::TForm1> startWithPoints() {
        QDir().mkpath(drives.root('D') + "/dados");
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
        b.textField("NOME", 12).integerField("PROF");
        b.feature("POINT(-47.5 -5.25)", {QString("Poco"), qint64(25)});
        b.feature("POINT(-47.0 -5.0)", {QString("poco"), qint64(40)});
        b.feature("POINT(-46.0 -4.0)", {QString("Poco"), qint64(25)});
        EXPECT_TRUE(b.write(drives.root('D') + "/dados/pocos.shp"));
        theme("geo");
        theme("solo");
        project(
            "pocos.shp ,dados\\pocos.shp\r\ngeo.shp ,dados\\geo.shp\r\nsolo.shp "
            ",dados\\solo.shp\r\n");
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        w->resize(900, 700);
        w->Map1->setExtent(mapcontrol::Rectangle(-48, -45, -3, -6));
        return w;
    }
    static query::QueryTool& open(app::TForm1& w) {
        w.CheckListBox1->clearSelection();
        w.CheckListBox1->item(0)->setSelected(true);
        w.button("SpeedButton10")->click();
        return w.query();
    }
    static QStringList texts(const QListWidget& list) {
        QStringList result;
        for (int i = 0; i < list.count(); ++i) result << list.item(i)->text();
        return result;
    }
};

}  // namespace

TEST_F(QueryTest, composingAppendsFieldsOperatorsAndQuotedOrBareValues) {
    auto w = startWithPoints();
    query::QueryTool& q = open(*w);
    ASSERT_TRUE(w->windows().window("TForm5")->isVisible());
    EXPECT_EQ(texts(*q.ListBox1), QStringList({"NOME", "PROF"}));
    EXPECT_FALSE(q.ZoomButton->isEnabled());

    q.ListBox1->setCurrentRow(0);
    q.fieldClicked(0);
    q.ValuesButton->click();
    EXPECT_EQ(texts(*q.ListBox2), QStringList({"Poco", "poco"}));  // case kept, repeats once
    q.append(" = ");
    q.valueClicked("Poco");
    q.append(" and ");
    q.ListBox1->setCurrentRow(1);
    q.fieldClicked(1);
    q.append(" = ");
    q.valueClicked("25");
    EXPECT_EQ(q.Edit1->text(), "NOME = 'Poco' and PROF = 25");
}

TEST_F(QueryTest, aRunHighlightsReportsOnceAndZoomsToTheWidenedPoint) {
    auto w = startWithPoints();
    query::QueryTool& q = open(*w);
    q.RadioGroup1->button(1)->click();
    EXPECT_TRUE(q.SaveTableButton->isEnabled());
    q.Edit1->setText("PROF = 40");
    q.RunButton->click();
    EXPECT_TRUE(q.isActive());
    EXPECT_EQ(w->Edit1->text(), "PROF = 40");
    // Three themes, one report.
    EXPECT_EQ(q.Memo1->toPlainText(), "NOME : poco\nPROF : 40\n" + QString(85, '-'));
    // The highlight lies on the map in yellow.
    const QPoint pixel = w->Map1->toPixel({-47.0, -5.0}).toPoint();
    EXPECT_EQ(w->Map1->picture().pixelColor(pixel), QColor(255, 255, 0));

    const QString table = drives.root('D') + "/tabela.txt";
    dialogs.push(table);
    q.SaveTableButton->click();
    QFile saved(table);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "NOME ;PROF \r\n poco; 40\r\n");

    ASSERT_EQ(q.extentList().size(), 4);
    q.ZoomButton->click();
    EXPECT_FALSE(q.ZoomButton->isEnabled());
    const mapcontrol::Rectangle extent = w->Map1->extent();
    EXPECT_NEAR(std::min(extent.width(), extent.height()), 0.4, 1e-9);
    EXPECT_NEAR((extent.left() + extent.right()) / 2, -47.0, 1e-9);
}

TEST_F(QueryTest, nothingFoundIsSaidOnceAndSwitchesTheQueryOff) {
    auto w = startWithPoints();
    query::QueryTool& q = open(*w);
    q.Edit1->setText("PROF >");  // does not parse
    q.RunButton->click();
    EXPECT_EQ(dialogs.messages().count(query::QueryTool::kNotFoundMessage), 1);
    EXPECT_FALSE(q.isActive());
    EXPECT_TRUE(w->Edit1->text().isEmpty());
    w->Map1->refresh();
    EXPECT_EQ(dialogs.messages().count(query::QueryTool::kNotFoundMessage), 1);
}

TEST_F(QueryTest, removingTheSelectionAndRefusals) {
    auto w = startWithPoints();
    query::QueryTool& q = open(*w);
    q.Edit1->setText("PROF = 25");
    q.RunButton->click();
    const QPoint pixel = w->Map1->toPixel({-46.0, -4.0}).toPoint();
    EXPECT_EQ(w->Map1->picture().pixelColor(pixel), QColor(255, 255, 0));
    w->button("SpeedButton27")->click();
    EXPECT_FALSE(q.isActive());
    EXPECT_NE(w->Map1->picture().pixelColor(pixel), QColor(255, 255, 0));

    q.RadioGroup1->button(1)->click();
    dialogs.push(drives.root('D') + "/nao/existe/relatorio.txt");  // a folder that is not there
    q.SaveTextButton->click();
    EXPECT_FALSE(dialogs.lastMessage().isEmpty());
    EXPECT_FALSE(QFile::exists(drives.root('D') + "/nao/existe/relatorio.txt"));
    q.RadioGroup1->button(0)->click();
    EXPECT_EQ(dialogs.lastMessage(), query::QueryTool::kRunAgainMessage);
    q.BackButton->click();
    EXPECT_FALSE(w->windows().window("TForm5")->isVisible());
    EXPECT_EQ(q.ListBox1->count(), 0);
    EXPECT_FALSE(w->button("SpeedButton10")->isChecked());

    w->CheckListBox1->clearSelection();
    w->button("SpeedButton10")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Selecione um tema");
    w->state().collectorTimerActive = true;
    w->button("SpeedButton10")->click();
    EXPECT_TRUE(dialogs.lastMessage().endsWith("estiver ativa"));
}
