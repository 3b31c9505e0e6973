#include "sample_model.h"

#include <cmath>
#include <numbers>

namespace samples {

namespace {

constexpr double kKmPerDegreeLat = 110.574;
constexpr double kKmPerDegreeLonAtEquator = 111.320;

std::uint64_t mix(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

double toUnit(std::uint64_t bits) {
    return double(bits >> 11) * 0x1.0p-53;
}

// Smooth noise in [0, 1): hashed values on the integer lattice, blended
// with a quintic fade so that slopes and shading have no creases.
double valueNoise(std::uint64_t layer, double x, double y) {
    const double cellX = std::floor(x);
    const double cellY = std::floor(y);
    const auto i = std::uint64_t(std::int64_t(cellX));
    const auto j = std::uint64_t(std::int64_t(cellY));
    auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double u = fade(x - cellX);
    const double v = fade(y - cellY);
    const double bottom = std::lerp(hashUnit(9, layer, i, j), hashUnit(9, layer, i + 1, j), u);
    const double top = std::lerp(hashUnit(9, layer, i, j + 1), hashUnit(9, layer, i + 1, j + 1), u);
    return std::lerp(bottom, top, v);
}

double ringAreaKm2(const std::vector<MapPoint>& ring, double kmPerDegreeLon) {
    double twiceArea = 0;
    for (std::size_t k = 0; k + 1 < ring.size(); ++k) {
        twiceArea += ring[k].lon * ring[k + 1].lat - ring[k + 1].lon * ring[k].lat;
    }
    return std::abs(twiceArea) / 2 * kmPerDegreeLon * kKmPerDegreeLat;
}

}  // namespace

std::uint64_t SampleRandom::next() {
    m_state += 0x9E3779B97F4A7C15ull;
    std::uint64_t value = m_state;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

double SampleRandom::uniform() {
    return toUnit(next());
}

double hashUnit(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    return toUnit(mix(mix(mix(mix(a) ^ b) ^ c) ^ d));
}

double roundCoordinate(double degrees) {
    return std::round(degrees * 1e6) / 1e6;
}

const QList<GeologicalUnit>& geologicalUnits() {
    static const QList<GeologicalUnit> units = {
        {"PP2gr", "Granito Serra Azul", "Paleoproterozoico", "Granito", 232, 118, 140, 0},
        {"PP2ca", "Complexo Cachoeira Alta", "Paleoproterozoico", "Gnaisse", 214, 160, 186, 0},
        {"MP1qz", "Quartzitos da Serra do Funil", "Mesoproterozoico", "Quartzito", 246, 206, 150,
         0},
        {"NP1ac", "Formação Ribeirão das Antas", "Neoproterozoico", "Xisto", 150, 200, 160, 0},
        {"NP2sj", "Formação Córrego São João", "Neoproterozoico", "Filito", 120, 176, 196, 0},
        {"K2pv", "Formação Planalto Verde", "Cretáceo", "Arenito", 170, 220, 110, 0},
        {"N1dl", "Coberturas Detrito-Lateríticas do Chapadão", "Neógeno", "Laterita", 222, 170, 90,
         0},
        {"Q2a", "Depósitos Aluvionares do Rio Jacupema", "Quaternário", "Aluvião", 255, 247, 180,
         4},
    };
    return units;
}

double elevationAt(double lon, double lat) {
    // Fractal value noise: each octave twice as fine and half as high as the
    // one before, over a plateau rising gently towards the south-west.
    double height = 900 - 120 * (lon - kWest) / (kEast - kWest) + 80 * (kNorth - lat);
    double amplitude = 260;
    double frequency = 2.5;  // lattice cells per degree
    for (std::uint64_t octave = 0; octave < 7; ++octave) {
        height += amplitude *
                  (valueNoise(octave, (lon - kWest) * frequency, (lat - kSouth) * frequency) - 0.5);
        amplitude *= 0.5;
        frequency *= 2;
    }
    return height;
}

double slopeAt(double lon, double lat) {
    constexpr double step = 1e-4;
    const double kmPerDegreeLon = kKmPerDegreeLonAtEquator * std::cos(lat * std::numbers::pi / 180);
    const double dx = (elevationAt(lon + step, lat) - elevationAt(lon - step, lat)) /
                      (2 * step * kmPerDegreeLon * 1000);
    const double dy = (elevationAt(lon, lat + step) - elevationAt(lon, lat - step)) /
                      (2 * step * kKmPerDegreeLat * 1000);
    return std::atan(std::hypot(dx, dy)) * 180 / std::numbers::pi;
}

int unitIndexAt(double lon, double lat) {
    const double u = lon - kWest;
    const double v = lat - kSouth;

    // Alluvium along a meandering river crossing the area from west to east.
    const double river = 0.48 + 0.10 * std::sin(5.3 * u) + 0.05 * std::sin(13.1 * u + 0.7);
    if (std::abs(v - river) < 0.03) {
        return 7;
    }
    // A granite stock with a lobed outline.
    const double dx = lon + 48.28;
    const double dy = lat + 15.98;
    if (std::hypot(dx, dy) < 0.14 + 0.03 * std::sin(3 * std::atan2(dy, dx))) {
        return 0;
    }
    // Lateritic cover on the highest ground.
    if (elevationAt(lon, lat) > 1000) {
        return 6;
    }
    // Belts striking north-north-east, younger to the east.
    const double belt = u / 1.2 + 0.15 * v + 0.06 * std::sin(9.0 * v + 2.0 * u);
    if (belt < 0.22) {
        return 1;
    }
    if (belt < 0.42) {
        return 2;
    }
    if (belt < 0.64) {
        return 3;
    }
    if (belt < 0.86) {
        return 4;
    }
    return 5;
}

GeologyGrid::GeologyGrid() : m_units(std::size_t(kColumns * kRows)) {
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const MapPoint centre = cellCentre(column, row);
            setUnit(column, row, unitIndexAt(centre.lon, centre.lat));
        }
    }
    for (int row = kHoleRow; row < kHoleRow + 3; ++row) {
        for (int column = kHoleColumn; column < kHoleColumn + 3; ++column) {
            setUnit(column, row, kHoleUnit);
        }
    }
    setUnit(kHoleColumn + 1, kHoleRow + 1, kInlierUnit);
    setUnit(kFirstPatchColumn, kPatchRow, kPatchUnit);
    setUnit(kSecondPatchColumn, kPatchRow, kPatchUnit);
    for (int column = kFirstPatchColumn + 1; column < kSecondPatchColumn; ++column) {
        setUnit(column, kPatchRow, kBetweenPatchesUnit);
    }
}

MapPoint GeologyGrid::vertex(int i, int j) const {
    double lon = kWest + i * cellWidth();
    double lat = kSouth + j * cellHeight();
    // Inner vertices move both ways; those on the border only along it, so
    // the cells still fill the rectangle exactly.
    constexpr double jitter = 0.35;
    if (i > 0 && i < kColumns) {
        lon += (hashUnit(1, std::uint64_t(i), std::uint64_t(j)) - 0.5) * jitter * cellWidth();
    }
    if (j > 0 && j < kRows) {
        lat += (hashUnit(2, std::uint64_t(i), std::uint64_t(j)) - 0.5) * jitter * cellHeight();
    }
    if (i == kColumns) {
        lon = kEast;
    }
    if (j == kRows) {
        lat = kNorth;
    }
    return {roundCoordinate(lon), roundCoordinate(lat)};
}

void GeologyGrid::appendEdge(std::vector<MapPoint>& ring, bool horizontal, int i, int j,
                             bool reversed) const {
    const MapPoint start = vertex(i, j);
    const MapPoint end = horizontal ? vertex(i + 1, j) : vertex(i, j + 1);
    const bool onBorder = horizontal ? (j == 0 || j == kRows) : (i == 0 || i == kColumns);
    const double length = std::hypot(end.lon - start.lon, end.lat - start.lat);
    const double normalLon = -(end.lat - start.lat) / length;
    const double normalLat = (end.lon - start.lon) / length;
    constexpr int inner = 4;
    std::vector<MapPoint> points;
    for (int k = 1; k <= inner; ++k) {
        const double t = double(k) / (inner + 1);
        double offset = 0;
        if (!onBorder) {
            const double wave =
                hashUnit(horizontal ? 3 : 4, std::uint64_t(i), std::uint64_t(j), std::uint64_t(k)) -
                0.5;
            offset = 0.2 * cellWidth() * wave * std::sin(std::numbers::pi * t);
        }
        points.push_back(
            {roundCoordinate(start.lon + t * (end.lon - start.lon) + offset * normalLon),
             roundCoordinate(start.lat + t * (end.lat - start.lat) + offset * normalLat)});
    }
    if (reversed) {
        ring.insert(ring.end(), points.rbegin(), points.rend());
    } else {
        ring.insert(ring.end(), points.begin(), points.end());
    }
}

std::vector<MapPoint> GeologyGrid::blockRing(int column, int row, int size) const {
    std::vector<MapPoint> ring;
    for (int c = column; c < column + size; ++c) {
        ring.push_back(vertex(c, row));
        appendEdge(ring, true, c, row, false);
    }
    for (int r = row; r < row + size; ++r) {
        ring.push_back(vertex(column + size, r));
        appendEdge(ring, false, column + size, r, false);
    }
    for (int c = column + size - 1; c >= column; --c) {
        ring.push_back(vertex(c + 1, row + size));
        appendEdge(ring, true, c, row + size, true);
    }
    for (int r = row + size - 1; r >= row; --r) {
        ring.push_back(vertex(column, r + 1));
        appendEdge(ring, false, column, r, true);
    }
    ring.push_back(ring.front());
    return ring;
}

MapPoint GeologyGrid::cellCentre(int column, int row) const {
    const MapPoint a = vertex(column, row);
    const MapPoint b = vertex(column + 1, row);
    const MapPoint c = vertex(column + 1, row + 1);
    const MapPoint d = vertex(column, row + 1);
    return {(a.lon + b.lon + c.lon + d.lon) / 4, (a.lat + b.lat + c.lat + d.lat) / 4};
}

double areaKm2(const std::vector<std::vector<MapPoint>>& rings) {
    if (rings.empty() || rings.front().empty()) {
        return 0;
    }
    double latSum = 0;
    for (const MapPoint& point : rings.front()) {
        latSum += point.lat;
    }
    const double meanLat = latSum / double(rings.front().size());
    const double kmPerDegreeLon =
        kKmPerDegreeLonAtEquator * std::cos(meanLat * std::numbers::pi / 180);
    double area = ringAreaKm2(rings.front(), kmPerDegreeLon);
    for (std::size_t k = 1; k < rings.size(); ++k) {
        area -= ringAreaKm2(rings[k], kmPerDegreeLon);
    }
    return area;
}

}  // namespace samples
