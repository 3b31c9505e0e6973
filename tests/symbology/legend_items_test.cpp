#include "symbology/legend_items.h"

#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/value_map_renderer.h"

#include <gtest/gtest.h>

using symbology::LegendItem;
using symbology::LegendTheme;

TEST(LegendItems, uniqueValueBlockHasTitleWithFieldAndOneLinePerClass) {
    mapcontrol::ValueMapRenderer r;
    r.setField("SIGLA");
    r.setValueCount(2);
    r.setValue(0, "GR");
    r.setValue(1, "K2");
    const auto items =
        symbology::legendItems({{"  geologia.shp                          ,D:\\dados\\geologia.shp",
                                 true, &r, "poligono"}})
            .items;
    ASSERT_EQ(items.size(), 3U);
    EXPECT_EQ(items[0].kind, LegendItem::Kind::Title);
    EXPECT_EQ(items[0].text, " ***geologia.shp***" + QString(72, ' ') + ",SIGLA");
    EXPECT_EQ(items[1].text, "GR");
    EXPECT_EQ(items[2].geometry, "poligono");
}

TEST(LegendItems, classBreakLinesAreRangesTenWideWithFourDecimals) {
    mapcontrol::ClassBreaksRenderer r;
    r.setBreakCount(3);
    r.setBreakValue(0, 80);
    r.setBreakValue(1, 90);
    r.setBreakValue(2, 100);
    const auto items =
        symbology::legendItems({{"teor.shp,D:\\dados\\teor.shp", true, &r, "ponto"}}).items;
    ASSERT_EQ(items.size(), 5U);  // the title and four classes
    EXPECT_EQ(items[0].text, "teor");
    EXPECT_EQ(items[1].text, "<   80.0000");
    EXPECT_EQ(items[2].text, "   80.0000-   90.0000");
    EXPECT_EQ(items[3].text, "   90.0000-  100.0000");
    EXPECT_EQ(items[4].text, ">  100.0000");
    EXPECT_TRUE(items[4].classBreak);
    EXPECT_EQ(items[4].classIndex, 3);
}

TEST(LegendItems, twoThemesGiveTitleClassesSeparatorTitleClassesAndHiddenThemesNothing) {
    mapcontrol::ValueMapRenderer geology;
    geology.setField("SIGLA");
    geology.setValueCount(2);
    geology.setValue(0, "GR");
    geology.setValue(1, "K2");
    mapcontrol::ValueMapRenderer faults;
    faults.setField("TIPO");
    faults.setValueCount(1);
    faults.setValue(0, "normal");
    const auto legend = symbology::legendItems({{"geo,D:\\geo.shp", true, &geology, "poligono"},
                                                {"off,D:\\off.shp", false, &geology, "poligono"},
                                                {"falhas,D:\\falhas.shp", true, &faults, "linha"}});
    QStringList texts;
    for (const LegendItem& item : legend.items) texts << item.text.left(12);
    EXPECT_EQ(texts, QStringList({" ***geo***  ", "GR", "K2", "  ", " ***falhas**", "normal"}));
    EXPECT_TRUE(legend.complete);
}

TEST(LegendItems, aLegendStopsAtTheMostClassesItHolds) {
    mapcontrol::ValueMapRenderer r;
    r.setField("ID");
    r.setValueCount(50);
    for (int i = 0; i < 50; ++i) r.setValue(i, QString::number(i));
    const auto legend = symbology::legendItems(
        {{"a,D:\\a.shp", true, &r, "ponto"}, {"b,D:\\b.shp", true, &r, "ponto"}}, 60);
    EXPECT_FALSE(legend.complete);
    ASSERT_EQ(legend.items.size(), 63U);  // title, 50, separator, title, 10
    EXPECT_EQ(legend.items.back().text, "9");
}

TEST(LegendItems, aShapeThemeWithoutClassesHasNoBlockButCountsForSeparators) {
    mapcontrol::ValueMapRenderer r;
    r.setField("N");
    const auto items = symbology::legendItems({{"a.shp,D:\\a.shp", true, nullptr, ""},
                                               {"b.shp,D:\\b.shp", true, &r, "linha"}})
                           .items;
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(items[0].kind, LegendItem::Kind::Separator);
}

TEST(LegendItems, separatorsGoBetweenVisibleThemesCountingPictures) {
    mapcontrol::ValueMapRenderer r;
    r.setField("N");
    const auto items = symbology::legendItems({{"relevo.tif,D:\\relevo.tif", true, nullptr, ""},
                                               {"a.shp,D:\\a.shp", false, &r, "linha"},
                                               {"b.shp,D:\\b.shp", true, &r, "linha"}})
                           .items;
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(items[0].kind, LegendItem::Kind::Separator);
    EXPECT_EQ(items[0].text, "  ");
    EXPECT_EQ(items[1].kind, LegendItem::Kind::Title);
}
