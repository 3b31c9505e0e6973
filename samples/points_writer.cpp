#include "sample_model.h"
#include "sample_writers.h"

#include "support/fixtures/raster_builder.h"
#include "support/fixtures/shapefile_builder.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <cmath>

namespace samples {

namespace {

using platform::Result;

constexpr int kSampleCount = 150;
// Samples with a field photograph: every 25th, starting with the first.
constexpr int kPhotoEvery = 25;
constexpr int kPhotoWidth = 160;
constexpr int kPhotoHeight = 120;

// An outcrop seen from close by: folded layers in the unit's colour under a
// strip of sky, with grain, so that every photo differs.
fixtures::RasterBuilder photoOf(const GeologicalUnit& unit, int seed) {
    const double phase = hashUnit(7, std::uint64_t(seed), 0) * 6.28;
    const double wavelength = 18 + 14 * hashUnit(7, std::uint64_t(seed), 1);
    const double dip = (hashUnit(7, std::uint64_t(seed), 2) - 0.5) * 0.8;
    const std::array<int, 3> colour{unit.red, unit.green, unit.blue};
    return std::move(
        fixtures::RasterBuilder(fixtures::RasterFormat::Jpeg, kPhotoWidth, kPhotoHeight, 3)
            .jpegQuality(85)
            .pixels([=](int x, int y, int band) -> std::uint8_t {
                if (y < 22 + 6 * std::sin(x / 23.0 + phase)) {
                    static constexpr std::array<int, 3> sky{150, 190, 235};
                    return std::uint8_t(std::min(sky[std::size_t(band)] + y, 255));
                }
                const double layer =
                    std::sin((y + dip * x + 7 * std::sin(x / 31.0 + phase)) / wavelength * 6.28);
                const double grain =
                    hashUnit(8, std::uint64_t(seed), std::uint64_t(x), std::uint64_t(y)) - 0.5;
                const double value = colour[std::size_t(band)] * (0.72 + 0.22 * layer) + 30 * grain;
                return std::uint8_t(std::clamp(value, 0.0, 255.0));
            }));
}

}  // namespace

platform::Result writeSamplePoints(const QString& dataFolder) {
    const QDir folder(dataFolder);
    const GeologyGrid grid;
    SampleRandom random(0xA305A5ull);

    // Distinct cells in a fixed shuffled order, each sample a little off
    // its cell's centre, so that it lies in that cell.
    std::vector<int> cells(std::size_t(GeologyGrid::kColumns * GeologyGrid::kRows));
    for (std::size_t k = 0; k < cells.size(); ++k) {
        cells[k] = int(k);
    }
    for (std::size_t k = cells.size() - 1; k > 0; --k) {
        std::swap(cells[k], cells[std::size_t(random.below(int(k) + 1))]);
    }

    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Point);
    builder.encoding(fixtures::TextEncoding::Windows1252, true)
        .spatialReference(4326)
        .textField(QStringLiteral("N_LAB"), 10)
        .realField(QStringLiteral("LATITUDE"), 12, 6)
        .realField(QStringLiteral("LONGITUDE"), 12, 6)
        .textField(QStringLiteral("LITOLOGIA"), 30)
        .textField(QStringLiteral("FOTO"), 40);

    for (int k = 0; k < kSampleCount; ++k) {
        const int column = cells[std::size_t(k)] % GeologyGrid::kColumns;
        const int row = cells[std::size_t(k)] / GeologyGrid::kColumns;
        const MapPoint centre = grid.cellCentre(column, row);
        const double lon = roundCoordinate(centre.lon + random.range(-0.1, 0.1) * grid.cellWidth());
        const double lat =
            roundCoordinate(centre.lat + random.range(-0.1, 0.1) * grid.cellHeight());
        const GeologicalUnit& unit = geologicalUnits()[grid.unitOf(column, row)];
        const QString label = QStringLiteral("QV-%1").arg(k + 1, 4, 10, QLatin1Char('0'));

        // The table names a photo by its base name; the file beside it adds ".jpg".
        QString photo;
        if (k % kPhotoEvery == 0) {
            photo = QStringLiteral("foto_qv%1").arg(k + 1, 4, 10, QLatin1Char('0'));
            const Result result = photoOf(unit, k).write(
                QDir::toNativeSeparators(folder.filePath(photo + QStringLiteral(".jpg"))));
            if (!result) {
                return result;
            }
        }
        builder.feature(QStringLiteral("POINT (%1 %2)")
                            .arg(QString::number(lon, 'f', 6), QString::number(lat, 'f', 6)),
                        {label, lat, lon, unit.lithology, photo});
    }
    return builder.write(QDir::toNativeSeparators(folder.filePath("amostras.shp")));
}

}  // namespace samples
