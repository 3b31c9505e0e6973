#pragma once

#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/geometry.h"

#include <QString>

#include <optional>

namespace workspace {

// The arithmetic and text forms behind the coordinate, scale and distance
// read-outs under the map. Screen pixels are 0.325 mm; the earth is the
// ellipsoid a = 6378249.1 m, f = 1/297.
inline constexpr long double kPixelMillimetres = 0.325L;
inline constexpr long double kSemiMajorAxis = 6378249.1L;
inline constexpr long double kFlattening = 1.0L / 297.0L;
inline constexpr long double kPi = 3.1415926535897932385L;

// How the read-outs measure the map. A projected map measures in its
// system's linear unit; a geographic map, or one whose themes declare no
// system, by the rules above, which tell degrees from metres by the
// coordinates themselves.
struct MapUnits {
    // Metres in one unit of a projected map; nothing otherwise.
    std::optional<double> projectedMetres;
    // The unit written after projected coordinates ("m", "pés", "pés EUA").
    QString suffix = QStringLiteral("m");

    static MapUnits of(const std::optional<mapcontrol::CoordinateSystem>& system);
    bool isProjected() const { return projectedMetres.has_value(); }
};

// Metres in one US survey foot and in one international foot.
inline constexpr double kUsFootMetres = 1200.0 / 3937.0;
inline constexpr double kFootMetres = 0.3048;

// Fixed notation with `decimals` decimals, right-aligned with leading blanks
// to at least `width` characters, "." as decimal separator ("-45.5000000000").
QString fixedText(double value, int width, int decimals);

// A coordinate as degrees, minutes and seconds: "-45° " + "  30´  0.0000000000´´"
// for -45.5. The sign stays with the degrees; minutes and seconds are taken
// from the fraction's digits as written with ten decimals.
QString dmsText(double value);

// The two coordinate boxes' texts for a pointer at map point `p`.
struct CoordinateTexts {
    QString x;
    QString y;
    bool projected = false;  // the integer part of x lies outside -180..180
};
// A projected map writes both in its unit, never in degrees.
CoordinateTexts coordinateTexts(const mapcontrol::MapPoint& p, bool dms,
                                const MapUnits& units = {});

// Width of the map on screen in metres.
double screenWidthMetres(int mapWidthPixels);

// The scale denominator of a map `mapWidthPixels` wide showing `extent`:
// ground metres along the equator (or projected metres when both edges lie
// beyond 180) per metre of screen; for a projected map, the extent's width
// in its unit turned into metres. A zero width leaves the ground width
// undivided.
double numericScale(int mapWidthPixels, const mapcontrol::Rectangle& extent,
                    const MapUnits& units = {});

// The scale shown in its box: width 10, 4 decimals.
QString scaleText(double scaleDenominator);

// The scale bar's caption for a bar `barPixels` wide: kilometres, width 10,
// 4 decimals, then " Km".
QString scaleBarText(int barPixels, double scaleDenominator);

// The left edge that gives a map `mapWidthPixels` wide the scale 1:`scale`
// with its right edge kept at `right`. Geographic data: degrees along the
// equator; projected data: `scale` times the screen width in metres, in map
// units of `metresPerUnit` metres.
double leftEdgeForScale(double scale, int mapWidthPixels, double right, bool projected,
                        double metresPerUnit = 1.0);

// Polyconic projection (latitude of origin 0, central meridian in degrees)
// of a geographic point, in kilometres, as the distance tool stores it.
mapcontrol::MapPoint polyconicKilometres(const mapcontrol::MapPoint& lonLat,
                                         double centralMeridian);

// The running distance ("%12.2f Km") and the final total ("%12.6f  Km").
QString runningDistanceText(double kilometres);
QString totalDistanceText(long double kilometres);

}  // namespace workspace
