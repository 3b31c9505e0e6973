#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

namespace samples {

// The sample area in central Brazil, in decimal degrees (WGS84).
inline constexpr double kWest = -48.6;
inline constexpr double kEast = -47.4;
inline constexpr double kSouth = -16.2;
inline constexpr double kNorth = -15.2;

// Deterministic pseudo-random numbers (SplitMix64): the same sequence on
// every platform and compiler, unlike the standard distributions.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next();
    // In [0, 1).
    double uniform();
    double range(double low, double high) { return low + (high - low) * uniform(); }
    // In [0, count).
    int below(int count) { return int(uniform() * count); }

private:
    std::uint64_t m_state;
};

// A value in [0, 1) fixed by its four keys.
double hashUnit(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d = 0);

// Rounds to the 6 decimals (about 0.1 m) the sample coordinates carry.
double roundCoordinate(double degrees);

// A geological unit of the invented map and the way the colour file shows it.
struct GeologicalUnit {
    QString code;
    QString name;
    QString age;
    QString lithology;
    int red;
    int green;
    int blue;
    int fillStyle;
};

// The eight units, oldest first.
const QList<GeologicalUnit>& geologicalUnits();

// Index into geologicalUnits() of the unit mapped at a place.
int unitIndexAt(double lon, double lat);

// Invented terrain height in metres.
double elevationAt(double lon, double lat);

// Terrain slope in degrees.
double slopeAt(double lon, double lat);

// A place in decimal degrees.
struct MapPoint {
    double lon;
    double lat;
};

// The geological map: a jittered grid of cells with wavy shared edges tiling
// the sample area, each cell assigned to one unit. Neighbouring cells compute
// their common edge from the same keys, so the map has neither gaps nor
// overlaps.
class GeologyGrid {
public:
    static constexpr int kColumns = 24;
    static constexpr int kRows = 20;  // row 0 is the southernmost

    // A 3 x 3 block whose eight outer cells form one polygon around an
    // inlier cell of another unit: the map's polygon with a hole.
    static constexpr int kHoleColumn = 3;
    static constexpr int kHoleRow = 12;
    static constexpr int kHoleUnit = 3;
    static constexpr int kInlierUnit = 0;

    // Two alluvium patches with one cell between them, mapped as one
    // multi-part polygon.
    static constexpr int kPatchRow = 4;
    static constexpr int kFirstPatchColumn = 17;
    static constexpr int kSecondPatchColumn = 19;
    static constexpr int kPatchUnit = 7;
    static constexpr int kBetweenPatchesUnit = 5;

    GeologyGrid();

    int unitOf(int column, int row) const { return m_units[std::size_t(row * kColumns + column)]; }

    // Closed ring (first point repeated at the end) around a block of
    // size x size cells whose south-west cell is (column, row).
    std::vector<MapPoint> blockRing(int column, int row, int size = 1) const;

    // The mean of the cell's corners: well inside the cell.
    MapPoint cellCentre(int column, int row) const;
    double cellWidth() const { return (kEast - kWest) / kColumns; }
    double cellHeight() const { return (kNorth - kSouth) / kRows; }

private:
    void setUnit(int column, int row, int unit) {
        m_units[std::size_t(row * kColumns + column)] = unit;
    }
    MapPoint vertex(int i, int j) const;
    // Points strictly between the edge's ends, from the given end.
    void appendEdge(std::vector<MapPoint>& ring, bool horizontal, int i, int j,
                    bool reversed) const;

    std::vector<int> m_units;
};

// Area in km² of a polygon given by rings in degrees (first ring outer, the
// others holes), on a local equirectangular approximation.
double areaKm2(const std::vector<std::vector<MapPoint>>& rings);

}  // namespace samples
