#include "query/query_report.h"

#include "mapcontrol/shape.h"

#include <gtest/gtest.h>

using query::FoundExtent;

TEST(QueryReport, semicolonTableOfTwoRecordsOfThreeFields) {
    const QString dashes = query::reportSeparator();
    ASSERT_EQ(dashes.size(), 85);
    const QStringList report = {"NOME : Serra", "TIPO : a;b", "URL : http://x", dashes,
                                "NOME : Vale",  "TIPO : c",   "URL : ",         dashes};
    EXPECT_EQ(query::semicolonTable(report),
              QStringList({"NOME ;TIPO ;URL ", " Serra; a;b; http://x", " Vale; c; "}));
}

TEST(QueryReport, valueListKeepsCaseVariantsAndListsExactRepeatsOnce) {
    EXPECT_EQ(query::valueList({"B", "a", "b", "A2"}), QStringList({"a", "A2", "B", "b"}));
}

TEST(QueryReport, foundExtentGrowsStrictlyAndWidensOnlyPoints) {
    FoundExtent point;
    point.add(mapcontrol::Shape::point({-47.5, -5.25}));
    point.widenPoints();
    EXPECT_NEAR(point.xmax - point.xmin, 0.4, 1e-12);
    EXPECT_NEAR(point.ymax - point.ymin, 0.4, 1e-12);

    FoundExtent line;
    using Part = mapcontrol::Shape::Part;
    line.add(mapcontrol::Shape(mapcontrol::ShapeType::Line, {Part{{{0, 3}, {2, 3}}, false}}));
    EXPECT_EQ(line.ymin, line.ymax);  // a horizontal line is not widened
    line.add(mapcontrol::Shape(mapcontrol::ShapeType::Line,
                               {Part{{{500000, 7000000}, {500100, 7000000}}, false}}));
    EXPECT_EQ(line.xmax, 500100);  // projected coordinates are boxed too

    const auto box = FoundExtent::fromTexts(point.texts());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->left(), point.xmin);  // the texts read back exactly
    EXPECT_EQ(box->top(), point.ymax);
    EXPECT_FALSE(FoundExtent::fromTexts({"1", "2", "x", "4"}).has_value());
    EXPECT_FALSE(FoundExtent::fromTexts({"1", "2"}).has_value());
    EXPECT_TRUE(FoundExtent().isEmpty());
}
