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
                                 true, 0, &r, "poligono"}});
    ASSERT_EQ(items.size(), 3U);
    EXPECT_EQ(items[0].kind, LegendItem::Kind::Title);
    EXPECT_EQ(items[0].text, " ***geologia.shp***" + QString(72, ' ') + ",SIGLA");
    EXPECT_EQ(items[1].text, "GR");
    EXPECT_EQ(items[2].geometry, "poligono");
}

TEST(LegendItems, classBreakLinesAreRangesTenWideWithFourDecimals) {
    mapcontrol::ClassBreaksRenderer r;
    r.setBreakCount(2);
    r.setBreakValue(0, 3);
    r.setBreakValue(1, 12.5);
    const auto items =
        symbology::legendItems({{"teor.shp,D:\\dados\\teor.shp", true, 1, &r, "ponto"}});
    ASSERT_EQ(items.size(), 4U);
    EXPECT_EQ(items[0].text, "teor");
    EXPECT_EQ(items[1].text, "<    3.0000");
    EXPECT_EQ(items[2].text, "    3.0000-   12.5000");
    EXPECT_EQ(items[3].text, ">   12.5000");
    EXPECT_TRUE(items[3].classBreak);
}

TEST(LegendItems, separatorsGoBetweenVisibleThemesCountingPictures) {
    mapcontrol::ValueMapRenderer r;
    r.setField("N");
    const auto items = symbology::legendItems({{"relevo.tif,D:\\relevo.tif", true, 0, nullptr, ""},
                                               {"a.shp,D:\\a.shp", false, 0, &r, "linha"},
                                               {"b.shp,D:\\b.shp", true, 0, &r, "linha"}});
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(items[0].kind, LegendItem::Kind::Separator);
    EXPECT_EQ(items[0].text, "  ");
    EXPECT_EQ(items[1].kind, LegendItem::Kind::Title);
}
