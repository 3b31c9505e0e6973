#include "workspace/readout_panel.h"

#include "mapcontrol/map_widget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

class ReadoutPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        map.resize(1000, 500);
        map.setExtent(mapcontrol::Rectangle(-46, -45, 0.25, -0.25));  // 1 degree over 1000 pixels
        image2.setFixedWidth(97);
        panel2.setFixedWidth(120);
        state.themesLoaded = true;
        state.coordsVisible = true;
    }

    // Pixel of a map point.
    static QPoint pixelOf(double x, double y) {
        return QPoint(static_cast<int>((x + 46) * 1000), static_cast<int>((0.25 - y) * 1000));
    }

    mapcontrol::MapWidget map;
    QLabel image1, image2;
    QLineEdit edit2, edit3, edit4, edit10;
    QCheckBox dms;
    QWidget panel2;
    workspace::AppState state;
    workspace::ReadoutPanel panel{
        {map, image1, edit2, edit3, dms, edit4, edit10, panel2, image2, {&edit2, &edit3}, {}},
        state};
};

}  // namespace

TEST_F(ReadoutPanelTest, pointerShowsDegreesOrDms) {
    panel.OnPointerMove(500, 250);
    EXPECT_EQ(edit2.text(), "-45.5000000000");
    EXPECT_EQ(edit3.text(), "0.0000000000");
    dms.setChecked(true);
    panel.OnPointerMove(500, 250);
    EXPECT_EQ(edit2.text(), QString::fromUtf8("-45°   30´  0.0000000000´´"));
    EXPECT_EQ(state.projectedCoords, 0);
}

TEST_F(ReadoutPanelTest, projectedPointerShowsMetres) {
    map.setExtent(mapcontrol::Rectangle(499500, 500500, 7500250, 7499750));
    panel.OnPointerMove(500, 250);
    EXPECT_EQ(edit2.text(), "500000.0000000000   m");
    EXPECT_EQ(state.projectedCoords, 1);
}

TEST_F(ReadoutPanelTest, pointerIsIgnoredWhileCoordinatesAreOff) {
    panel.ToggleCoordinates();
    EXPECT_FALSE(state.coordsVisible);
    panel.OnPointerMove(500, 250);
    EXPECT_TRUE(edit2.text().isEmpty());
    panel.ToggleCoordinates();
    EXPECT_TRUE(state.coordsVisible);
}

TEST_F(ReadoutPanelTest, scaleAndBarShowTheFiguresOfOneDegreeOnAThousandPixels) {
    panel.ComputeNumericScale();
    EXPECT_EQ(edit4.text(), "342527.5302");
    panel.ToggleScaleBar();
    EXPECT_EQ(image2.text(), "   10.7982 Km");
    EXPECT_FALSE(panel2.isHidden());
    EXPECT_FALSE(state.scaleBarShown);  // the net effect of the toggle
}

TEST_F(ReadoutPanelTest, typedScaleIsReachedInFourPasses) {
    panel.ComputeNumericScale();
    edit4.setText("685055.0604");  // twice the scale: two degrees across
    panel.ApplyTypedScale();
    EXPECT_NEAR(panel.scaleDenominator(), 685055.0604, 1.0);
    EXPECT_NEAR(map.extent().width(), 2.0, 1e-4);
}

TEST_F(ReadoutPanelTest, distanceSumsThePolyconicSegments) {
    panel.StartDistance();
    EXPECT_TRUE(map.isHidden());
    ASSERT_TRUE(panel.AddDistancePoint(0, 250));     // -46, 0
    EXPECT_TRUE(edit10.text().isEmpty());            // one point: no running distance
    ASSERT_TRUE(panel.AddDistancePoint(1000, 250));  // -45, 0
    EXPECT_EQ(edit10.text(), "      111.32 Km");
    panel.UpdateDistanceReadout();
    EXPECT_EQ(edit10.text(), "  111.321447  Km");
    EXPECT_FALSE(state.distanceActive);
    EXPECT_FALSE(map.isHidden());
    EXPECT_FALSE(panel.AddDistancePoint(10, 10));  // not measuring any more
}

TEST_F(ReadoutPanelTest, onePointMeasuresZeroAndThePointsAreLimited) {
    panel.StartDistance();
    panel.AddDistancePoint(10, 10);
    panel.UpdateDistanceReadout();
    EXPECT_EQ(edit10.text(), "    0.000000  Km");
    panel.StartDistance();
    for (int i = 0; i < workspace::ReadoutPanel::kMaxDistancePoints; ++i) {
        ASSERT_TRUE(panel.AddDistancePoint(i % 1000, 250));
    }
    EXPECT_FALSE(panel.AddDistancePoint(5, 5));
    EXPECT_EQ(panel.distancePointCount(), 4499);
}
