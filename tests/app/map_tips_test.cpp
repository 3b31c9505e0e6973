// Map tips as the user switches them on from the main window.
#include "query/map_tips.h"
#include "app/main_window_fixture.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QToolButton>

namespace {

class MapTipsTest : public support::MainWindowFixture {
protected:
    // One theme of two overlapping polygons, "primeiro" and "segundo".
    std::unique_ptr<app::TForm1> startWithOverlaps() {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("NOME", 12).integerField("ID");
        b.feature("POLYGON((0 0,0 2,2 2,2 0,0 0))", {QString("primeiro"), qint64(1)});
        b.feature("POLYGON((1 1,1 3,3 3,3 1,1 1))", {QString("segundo"), qint64(2)});
        QDir().mkpath(drives.root('D') + "/dados");
        EXPECT_TRUE(b.write(drives.root('D') + "/dados/sobre.shp"));
        project("sobre.shp      ,dados\\sobre.shp\r\n");
        auto w = start({"quelvora", "*D:\\proj\\p.jjj"});
        w->resize(900, 700);
        w->show();
        w->Map1->setExtent(mapcontrol::Rectangle(0, 3, 3, 0));
        return w;
    }

    // Switches tips on for the field, as the user does.
    static void switchOn(app::TForm1& w, const QString& field) {
        w.CheckListBox1->item(0)->setSelected(true);
        w.button("SpeedButton19")->click();
        w.mapTips().ComboBox1->setCurrentText(field);
        w.mapTips().SpeedButton1->click();
    }
};

}  // namespace

TEST_F(MapTipsTest, chooserListsTheFieldsAndTipsStartOnlyWithAField) {
    auto w = startWithOverlaps();
    QToolButton* tips = w->button("SpeedButton19");
    tips->click();
    EXPECT_EQ(dialogs.lastMessage(), "Selecione um tema");
    EXPECT_FALSE(tips->isChecked());

    w->CheckListBox1->item(0)->setSelected(true);
    tips->click();
    QWidget* chooser = w->windows().window("TForm8");
    ASSERT_TRUE(chooser->isVisible());
    EXPECT_FALSE(tips->isChecked());  // down only once a field is confirmed
    query::MapTips& t = w->mapTips();
    ASSERT_EQ(t.ComboBox1->count(), 2);
    EXPECT_EQ(t.ComboBox1->itemText(1), "ID");

    t.SpeedButton1->click();
    EXPECT_EQ(dialogs.lastMessage(), query::MapTips::kSelectFieldMessage);
    EXPECT_TRUE(chooser->isVisible());

    t.ComboBox1->setCurrentIndex(0);
    t.SpeedButton1->click();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_TRUE(tips->isChecked());
    EXPECT_TRUE(w->state().mapTipsActive);
    EXPECT_TRUE(t.timer().isActive());
    EXPECT_EQ(t.timer().interval(), 1000);
}

TEST_F(MapTipsTest, restingOverTwoPolygonsShowsTheSecondBesideThePointer) {
    auto w = startWithOverlaps();
    switchOn(*w, "NOME");
    const QPoint pixel = w->Map1->toPixel({1.5, 1.5}).toPoint();
    w->Edit6->setText(QString::number(pixel.x()));
    w->Edit7->setText(QString::number(pixel.y()));
    w->mapTips().pointerMoved(pixel.x(), pixel.y());
    EXPECT_EQ(w->Edit5->pos(), w->Map1->mapTo(w->Edit5->parentWidget(), pixel + QPoint(8, 20)));
    w->mapTips().tick();
    EXPECT_TRUE(w->Edit5->isVisible());
    EXPECT_EQ(w->Edit5->text(), "segundo");
    EXPECT_EQ(w->Edit5->width(), 8 * 7 + 6);

    const QPoint outside = w->Map1->toPixel({2.8, 0.2}).toPoint();
    w->mapTips().lookUp(outside.x(), outside.y());
    EXPECT_EQ(w->Edit5->width(), 0);
}

TEST_F(MapTipsTest, commandsAndVoltaSwitchTipsOffAndCollectorsRefuseThem) {
    auto w = startWithOverlaps();
    switchOn(*w, "ID");
    w->mapTips().SpeedButton2->click();  // "Volta"
    EXPECT_FALSE(w->button("SpeedButton19")->isChecked());
    EXPECT_FALSE(w->mapTips().timer().isActive());
    EXPECT_FALSE(w->state().mapTipsActive);

    switchOn(*w, "ID");
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w->Map2, &move);  // moving over the overview map
    EXPECT_FALSE(w->mapTips().timer().isActive());

    switchOn(*w, "ID");
    w->ShowLegend();  // like most commands, it switches tips off
    EXPECT_FALSE(w->mapTips().timer().isActive());
    EXPECT_FALSE(w->button("SpeedButton19")->isChecked());

    w->state().collectorTimerActive = true;
    w->button("SpeedButton19")->click();
    EXPECT_TRUE(dialogs.lastMessage().endsWith("esta ativa"));
    EXPECT_FALSE(w->windows().window("TForm8")->isVisible());
}
