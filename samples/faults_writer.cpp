#include "sample_model.h"
#include "sample_writers.h"

#include "support/fixtures/shapefile_builder.h"

#include <QDir>
#include <QStringList>

#include <cmath>
#include <numbers>

namespace samples {

namespace {

using platform::Result;

struct FaultKind {
    const char* type;
    int count;
    double azimuth;  // degrees clockwise from north
    double azimuthSpread;
    double step;  // degrees of arc between vertices
    int minSteps;
    int maxSteps;
    double bend;  // largest turn between segments, degrees
};

constexpr FaultKind kKinds[] = {
    {"Falha transcorrente", 10, 48, 10, 0.040, 8, 14, 6},
    {"Falha de empurrão", 8, 340, 12, 0.035, 8, 12, 9},
    {"Fratura", 14, 20, 70, 0.020, 3, 5, 4},
};

const char* const kFaultNames[] = {
    "Falha do Córrego Fundo",  "Falha São Bento",         "Falha da Serra Azul",
    "Falha Água Limpa",        "Falha do Buriti",         "Falha Três Barras",
    "Falha do Jacu",           "Falha da Lagoa Seca",     "Falha do Tamanduá",
    "Falha Pé de Serra",       "Empurrão Serra do Funil", "Empurrão Morro Pelado",
    "Empurrão Cachoeira Alta", "Empurrão dos Gerais",     "Empurrão Vão das Almas",
    "Empurrão Boa Vista",      "Empurrão Capão Redondo",  "Empurrão do Tatu",
};

bool inside(const MapPoint& point) {
    return point.lon > kWest && point.lon < kEast && point.lat > kSouth && point.lat < kNorth;
}

std::vector<MapPoint> traceFault(SampleRandom& random, const FaultKind& kind) {
    for (;;) {
        const MapPoint start{random.range(kWest + 0.05, kEast - 0.05),
                             random.range(kSouth + 0.05, kNorth - 0.05)};
        double azimuth = kind.azimuth + random.range(-kind.azimuthSpread, kind.azimuthSpread);
        const int steps = kind.minSteps + random.below(kind.maxSteps - kind.minSteps + 1);
        std::vector<MapPoint> line{{roundCoordinate(start.lon), roundCoordinate(start.lat)}};
        MapPoint here = start;
        for (int k = 0; k < steps; ++k) {
            azimuth += random.range(-kind.bend, kind.bend);
            const double radians = azimuth * std::numbers::pi / 180;
            const double length = kind.step * random.range(0.7, 1.3);
            const MapPoint next{here.lon + length * std::sin(radians),
                                here.lat + length * std::cos(radians)};
            if (!inside(next)) {
                break;
            }
            here = next;
            line.push_back({roundCoordinate(here.lon), roundCoordinate(here.lat)});
        }
        if (line.size() >= 3) {
            return line;
        }
    }
}

QString pointsWkt(const std::vector<MapPoint>& line, std::size_t from, std::size_t to) {
    QStringList points;
    for (std::size_t k = from; k < to; ++k) {
        points.append(QString::number(line[k].lon, 'f', 6) + QLatin1Char(' ') +
                      QString::number(line[k].lat, 'f', 6));
    }
    return QLatin1Char('(') + points.join(QLatin1Char(',')) + QLatin1Char(')');
}

}  // namespace

platform::Result writeFaults(const QString& dataFolder) {
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Line);
    builder.encoding(fixtures::TextEncoding::Utf8, true)
        .spatialReference(4326)
        .textField(QStringLiteral("TIPO"), 30)
        .textField(QStringLiteral("NOME"), 50);

    SampleRandom random(0x51A7F00Dull);
    int named = 0;
    for (const FaultKind& kind : kKinds) {
        for (int k = 0; k < kind.count; ++k) {
            const std::vector<MapPoint> line = traceFault(random, kind);
            const bool isFracture = QByteArrayView(kind.type) == QByteArrayView("Fratura");
            const QString name = isFracture ? QString() : QString::fromUtf8(kFaultNames[named++]);
            QString wkt;
            // The third strike-slip fault is buried under cover in its middle:
            // two parts of one feature.
            if (named == 3 && !isFracture && line.size() >= 6) {
                const std::size_t gap = line.size() / 2;
                wkt = QStringLiteral("MULTILINESTRING (%1,%2)")
                          .arg(pointsWkt(line, 0, gap), pointsWkt(line, gap + 1, line.size()));
            } else {
                wkt = QStringLiteral("LINESTRING ") + pointsWkt(line, 0, line.size());
            }
            builder.feature(wkt, {QString::fromUtf8(kind.type), name});
        }
    }
    return builder.write(QDir::toNativeSeparators(QDir(dataFolder).filePath("falhas.shp")));
}

}  // namespace samples
