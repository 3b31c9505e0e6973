#pragma once

// The benchmarks' national-scale data, generated once into bench-data/
// beside the binary: 200,000 polygons of 25 vertices (5 million vertices,
// fields CLASSE text with 12 values and VAL real) and 1,000,000 points with
// 5 attributes (NAME, VAL, ID, CAT with 40 values, DEPTH); also 200,000
// small polygons spread over the whole world, and some 4,600 mid-size
// polygons over the world in the shape of first-level administrative regions.
// QUELVORA_BENCH_SCALE (default 1) shrinks the feature counts, for the short
// smoke run of the test command.
#include "mapcontrol/geometry.h"
#include "mapcontrol/vector_layer.h"

#include <QString>

namespace bench {

// The area the data covers: 40 x 40 degrees.
inline const mapcontrol::Rectangle kArea(-74.0, -34.0, 6.0, -34.0);

// The whole world, which the spread polygons cover.
inline const mapcontrol::Rectangle kWorld(-180.0, 180.0, 90.0, -90.0);

double scaleFactor();
// Paths of the generated shapefiles; empty when they cannot be written.
QString polygonFile();
QString pointFile();
QString worldPolygonFile();
QString midSizeWorldPolygonFile();
// The polygons in UTM zone 23S (metres, with a .prj) and a picture there.
inline const mapcontrol::Rectangle kUtmArea(200000.0, 800000.0, 9400000.0, 7400000.0);
QString utmPolygonFile();
QString utmPictureFile();

// The layers of those files, loaded once per program.
mapcontrol::VectorLayer& polygons();
mapcontrol::VectorLayer& points();

}  // namespace bench
