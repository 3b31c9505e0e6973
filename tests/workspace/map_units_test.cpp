#include "workspace/readouts.h"

#include <gtest/gtest.h>

using mapcontrol::CoordinateSystem;
using mapcontrol::Rectangle;
using workspace::MapUnits;

namespace {

MapUnits unitsOf(const char* definition) {
    auto made = CoordinateSystem::fromText(definition);
    EXPECT_TRUE(std::holds_alternative<CoordinateSystem>(made));
    return MapUnits::of(std::get<CoordinateSystem>(made));
}

}  // namespace

TEST(MapUnits, geographicAndUndeclaredMapsKeepTheRulesOfTheCoordinates) {
    for (const MapUnits& units : {MapUnits::of(std::nullopt), unitsOf("EPSG:4674")}) {
        EXPECT_FALSE(units.isProjected());
        // The same texts and scales as without units.
        EXPECT_EQ(workspace::coordinateTexts({-45.5, -15.25}, true, units).x,
                  workspace::coordinateTexts({-45.5, -15.25}, true).x);
        EXPECT_EQ(workspace::coordinateTexts({500000, 7500000}, false, units).x,
                  "500000.0000000000   m");
        EXPECT_DOUBLE_EQ(workspace::numericScale(1000, Rectangle(-46, -45, 0, -1), units),
                         workspace::numericScale(1000, Rectangle(-46, -45, 0, -1)));
    }
}

TEST(MapUnits, projectedMapInMetresMeasuresEvenNearItsOrigin) {
    // A local projected system whose coordinates look like degrees.
    const MapUnits units = unitsOf("EPSG:31983");
    ASSERT_TRUE(units.isProjected());
    const auto texts = workspace::coordinateTexts({120.5, 80.25}, true, units);
    EXPECT_TRUE(texts.projected);
    EXPECT_EQ(texts.x, "120.5000000000   m");
    EXPECT_EQ(texts.y, "80.2500000000   m");
    // 32.5 m on a 1000-pixel (0.325 m) map: 1:100.
    EXPECT_NEAR(workspace::numericScale(1000, Rectangle(100, 132.5, 10, 0), units), 100.0, 1e-9);
}

TEST(MapUnits, usFeetScaleIsTheGroundScale) {
    // The case seen by hand: a map in US feet shown as if in metres gave
    // 1:617,496 and 19.4666 km for a 97-pixel bar.
    const MapUnits units = unitsOf("+proj=utm +zone=23 +south +ellps=GRS80 +units=us-ft");
    ASSERT_TRUE(units.isProjected());
    EXPECT_DOUBLE_EQ(*units.projectedMetres, 1200.0 / 3937.0);
    EXPECT_EQ(units.suffix, "pés EUA");
    const double widthFeet = 617496.0 * 0.325;  // 1000 pixels
    const Rectangle extent(1000000, 1000000 + widthFeet, 10, 0);
    const double scale = workspace::numericScale(1000, extent, units);
    EXPECT_NEAR(scale, 617496.0 * 1200.0 / 3937.0, 1e-6);
    EXPECT_EQ(workspace::scaleBarText(97, scale), "    5.9334 Km");
    EXPECT_EQ(workspace::scaleBarText(97, workspace::numericScale(1000, extent)),
              "   19.4666 Km");  // the old reading
}

TEST(MapUnits, typedScaleGivesTheLeftEdgeInTheMapsUnit) {
    const double usFoot = 1200.0 / 3937.0;
    const double left = workspace::leftEdgeForScale(100000, 1000, 500000, true, usFoot);
    // 1000 pixels at 1:100,000 are 32.5 km, in feet.
    EXPECT_NEAR(500000 - left, 32500.0 / usFoot, 1e-6);
    EXPECT_DOUBLE_EQ(workspace::leftEdgeForScale(100000, 1000, 500000, true), 500000 - 32500.0);
}

TEST(MapUnits, internationalFeetAndOtherUnitsAreNamed) {
    EXPECT_EQ(unitsOf("+proj=utm +zone=23 +south +ellps=GRS80 +units=ft").suffix, "pés");
    EXPECT_EQ(unitsOf("EPSG:31983").suffix, "m");
    const MapUnits km = unitsOf("+proj=utm +zone=23 +south +ellps=GRS80 +units=km");
    EXPECT_DOUBLE_EQ(*km.projectedMetres, 1000.0);
    EXPECT_EQ(km.suffix, "× 1000 m");
}
