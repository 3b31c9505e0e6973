#include "sample_model.h"
#include "sample_writers.h"

#include "platform/text_file.h"
#include "support/fixtures/raster_builder.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace samples {

namespace {

using platform::Result;

constexpr int kImageWidth = 600;
constexpr int kImageHeight = 500;

// The coarse attribute grid described by relevo.conf and relevo.txt.
constexpr int kGridRows = 10;
constexpr int kGridColumns = 12;
constexpr double kGridCell = 0.1;

struct TintStop {
    double height;
    std::array<double, 3> colour;
};

constexpr TintStop kTints[] = {
    {550, {96, 150, 86}},   {750, {176, 196, 116}},  {900, {214, 190, 132}},
    {1050, {176, 128, 92}}, {1150, {236, 226, 214}},
};

std::array<double, 3> tintAt(double height) {
    if (height <= kTints[0].height) {
        return kTints[0].colour;
    }
    for (std::size_t k = 1; k < std::size(kTints); ++k) {
        if (height <= kTints[k].height) {
            const double t =
                (height - kTints[k - 1].height) / (kTints[k].height - kTints[k - 1].height);
            std::array<double, 3> colour;
            for (std::size_t band = 0; band < 3; ++band) {
                colour[band] = kTints[k - 1].colour[band] +
                               t * (kTints[k].colour[band] - kTints[k - 1].colour[band]);
            }
            return colour;
        }
    }
    return std::rbegin(kTints)->colour;
}

// Hypsometric tint darkened by a hillshade lit from the north-west; the
// relief is exaggerated so that the gentle plateau slopes show.
std::vector<std::uint8_t> shadedRelief() {
    constexpr double exaggeration = 15;
    constexpr double sunAzimuth = 315 * std::numbers::pi / 180;
    constexpr double sunAltitude = 45 * std::numbers::pi / 180;
    const double pixelLon = (kEast - kWest) / kImageWidth;
    const double pixelLat = (kNorth - kSouth) / kImageHeight;

    std::vector<std::uint8_t> rgb(std::size_t(kImageWidth) * kImageHeight * 3);
    for (int y = 0; y < kImageHeight; ++y) {
        const double lat = kNorth - (y + 0.5) * pixelLat;
        const double metresLon = 111320 * std::cos(lat * std::numbers::pi / 180) * pixelLon;
        const double metresLat = 110574 * pixelLat;
        for (int x = 0; x < kImageWidth; ++x) {
            const double lon = kWest + (x + 0.5) * pixelLon;
            const double height = elevationAt(lon, lat);
            const double east =
                (elevationAt(lon + pixelLon, lat) - elevationAt(lon - pixelLon, lat)) /
                (2 * metresLon);
            const double north =
                (elevationAt(lon, lat + pixelLat) - elevationAt(lon, lat - pixelLat)) /
                (2 * metresLat);
            const double slope = std::atan(exaggeration * std::hypot(east, north));
            const double aspect = std::atan2(-east, -north);
            const double light =
                std::cos(sunAltitude) * std::sin(slope) * std::cos(sunAzimuth - aspect) +
                std::sin(sunAltitude) * std::cos(slope);
            const double shade = 0.45 + 0.55 * std::clamp(light, 0.0, 1.0);
            const std::array<double, 3> tint = tintAt(height);
            for (std::size_t band = 0; band < 3; ++band) {
                rgb[(std::size_t(y) * kImageWidth + std::size_t(x)) * 3 + band] =
                    std::uint8_t(std::clamp(std::lround(tint[band] * shade), 0L, 255L));
            }
        }
    }
    return rgb;
}

QString decimalComma(double value, int decimals) {
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

// One line per cell of the coarse grid, top row first: "row,column,text".
QStringList cellAttributes() {
    constexpr int samplesPerSide = 10;
    QStringList lines;
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            double heightSum = 0;
            double slopeSum = 0;
            for (int i = 0; i < samplesPerSide; ++i) {
                for (int j = 0; j < samplesPerSide; ++j) {
                    const double lon = kWest + (column + (i + 0.5) / samplesPerSide) * kGridCell;
                    const double lat = kNorth - (row + (j + 0.5) / samplesPerSide) * kGridCell;
                    heightSum += elevationAt(lon, lat);
                    slopeSum += slopeAt(lon, lat);
                }
            }
            constexpr int count = samplesPerSide * samplesPerSide;
            lines.append(QStringLiteral("%1,%2,Altitude média %3 m, declividade %4 graus")
                             .arg(row)
                             .arg(column)
                             .arg(std::lround(heightSum / count))
                             .arg(decimalComma(slopeSum / count, 1)));
        }
    }
    return lines;
}

}  // namespace

platform::Result writeRelief(const QString& dataFolder) {
    const QDir folder(dataFolder);
    const std::vector<std::uint8_t> rgb = shadedRelief();
    const fixtures::GeoTransform transform{kWest, (kEast - kWest) / kImageWidth,    0, kNorth,
                                           0,     -(kNorth - kSouth) / kImageHeight};
    const Result image =
        fixtures::RasterBuilder(fixtures::RasterFormat::GeoTiff, kImageWidth, kImageHeight, 3)
            .geoTransform(transform)
            .spatialReference(4326)
            .pixels([&rgb](int x, int y, int band) {
                return rgb[(std::size_t(y) * kImageWidth + std::size_t(x)) * 3 + std::size_t(band)];
            })
            .write(QDir::toNativeSeparators(folder.filePath("relevo.tif")));
    if (!image) {
        return image;
    }

    // Rows, columns, lower edge (y), left edge (x), cell size.
    const QStringList conf{QString::number(kGridRows), QString::number(kGridColumns),
                           QString::number(kSouth, 'f', 1), QString::number(kWest, 'f', 1),
                           QString::number(kGridCell, 'f', 1)};
    if (Result result = platform::writeTextLines(
            QDir::toNativeSeparators(folder.filePath("relevo.conf")), conf);
        !result) {
        return result;
    }
    return platform::writeTextLines(QDir::toNativeSeparators(folder.filePath("relevo.txt")),
                                    cellAttributes());
}

}  // namespace samples
