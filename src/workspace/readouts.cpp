#include "workspace/readouts.h"

#include <cmath>

namespace workspace {

QString fixedText(double value, int width, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text == QLatin1String("-0") || (text.startsWith(QLatin1String("-0.")) &&
                                        text.count(QLatin1Char('0')) == text.size() - 2)) {
        text.remove(0, 1);  // no minus sign on a zero
    }
    return text.rightJustified(width, QLatin1Char(' '));
}

QString dmsText(double value) {
    constexpr float kSixty = 60.0f;
    const QString t = fixedText(value, 12, 10);
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    const QString degrees = t.left(dot);
    const double fraction = (QStringLiteral("0") + t.mid(dot)).toDouble();
    const QString m = fixedText(fraction * kSixty, 12, 10);
    const qsizetype mdot = m.indexOf(QLatin1Char('.'));
    const QString minutes = m.left(mdot);
    const double secondsFraction = (QStringLiteral("0") + m.mid(mdot)).toDouble();
    const QString seconds = fixedText(secondsFraction * kSixty, 12, 10);
    return degrees + QStringLiteral("° ") + QStringLiteral("  ") + minutes.trimmed() +
           QStringLiteral("´") + QStringLiteral("  ") + seconds.trimmed() + QStringLiteral("´´");
}

MapUnits MapUnits::of(const std::optional<mapcontrol::CoordinateSystem>& system) {
    MapUnits units;
    if (!system || !system->isProjected()) {
        return units;
    }
    const double metres = system->linearUnitMetres();
    units.projectedMetres = metres;
    if (std::abs(metres - kUsFootMetres) < 1e-9) {
        units.suffix = QStringLiteral("pés EUA");
    } else if (std::abs(metres - kFootMetres) < 1e-9) {
        units.suffix = QStringLiteral("pés");
    } else if (std::abs(metres - 1.0) >= 1e-12) {
        units.suffix = QStringLiteral("× %1 m").arg(metres, 0, 'g', 10);
    }
    return units;
}

CoordinateTexts coordinateTexts(const mapcontrol::MapPoint& p, bool dms, const MapUnits& units) {
    CoordinateTexts texts;
    const QString x = fixedText(p.x, 12, 10);
    const QString y = fixedText(p.y, 12, 10);
    if (units.isProjected()) {
        texts.projected = true;
        texts.x = x + QStringLiteral("   ") + units.suffix;
        texts.y = y + QStringLiteral("   ") + units.suffix;
        return texts;
    }
    bool ok = false;
    const long degrees = x.left(x.indexOf(QLatin1Char('.'))).trimmed().toLong(&ok);
    if (!ok || degrees < -180 || degrees > 180) {
        texts.projected = true;
        texts.x = x + QStringLiteral("   m");
        texts.y = y + QStringLiteral("   m");
        return texts;
    }
    texts.x = dms ? dmsText(p.x) : x;
    texts.y = dms ? dmsText(p.y) : y;
    return texts;
}

double screenWidthMetres(int mapWidthPixels) {
    return static_cast<double>(mapWidthPixels * kPixelMillimetres / 1000.0L);
}

double numericScale(int mapWidthPixels, const mapcontrol::Rectangle& extent,
                    const MapUnits& units) {
    const long double w = mapWidthPixels * kPixelMillimetres / 1000.0L;
    if (units.isProjected()) {
        long double ground = std::fabs(static_cast<long double>(extent.right()) - extent.left()) *
                             static_cast<long double>(*units.projectedMetres);
        if (w != 0) {
            ground /= w;
        }
        return static_cast<double>(ground);
    }
    const long double left = extent.left();
    const long double right = extent.right();
    const long double tRight = (180.0L - right) * kSemiMajorAxis * kPi / 180.0L;
    const long double tLeft = (180.0L - left) * kSemiMajorAxis * kPi / 180.0L;
    long double scale = tLeft - tRight;
    if (w != 0) {
        scale /= w;
    }
    if (left > 180 && right > 180) {
        scale = std::fabs(right - left);
        if (w != 0) {
            scale /= w;
        }
    }
    return static_cast<double>(scale);
}

QString scaleText(double scaleDenominator) {
    return fixedText(scaleDenominator, 10, 4);
}

QString scaleBarText(int barPixels, double scaleDenominator) {
    const long double kilometres =
        barPixels * kPixelMillimetres / 1000.0L * scaleDenominator / 1000.0L;
    return fixedText(static_cast<double>(kilometres), 10, 4) + QStringLiteral(" Km");
}

double leftEdgeForScale(double scale, int mapWidthPixels, double right, bool projected,
                        double metresPerUnit) {
    const long double w = mapWidthPixels * kPixelMillimetres / 1000.0L;
    if (projected) {
        return static_cast<double>(right - scale * w / metresPerUnit);
    }
    return static_cast<double>(right - scale * w * 180.0L / (kSemiMajorAxis * kPi));
}

mapcontrol::MapPoint polyconicKilometres(const mapcontrol::MapPoint& lonLat,
                                         double centralMeridian) {
    const long double a = kSemiMajorAxis;
    const long double e2 = 2 * kFlattening - kFlattening * kFlattening;
    const long double e4 = e2 * e2;
    const long double e6 = e4 * e2;
    const long double phi = lonLat.y * kPi / 180.0L;
    const long double l = centralMeridian - lonLat.x;  // degrees
    const long double sinPhi = std::sin(phi);
    const long double n = a / std::sqrt(1 - e2 * sinPhi * sinPhi);
    const long double m = a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
                               (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
                               (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) -
                               (35 * e6 / 3072) * std::sin(6 * phi));
    const long double m0 = 0;
    long double x = 0;
    long double y = 0;
    if (phi != 0) {
        const long double e = l * sinPhi;  // degrees
        const long double cotPhi = std::cos(phi) / sinPhi;
        x = n * cotPhi * std::sin(e * kPi / 180.0L);
        y = n * cotPhi * (1 - std::cos(e * kPi / 180.0L)) + m - m0;
    } else {
        x = (l * kPi / 180.0L) * a;
        y = -m0;
    }
    return {static_cast<double>(-x / 1000.0L), static_cast<double>(y / 1000.0L)};
}

QString runningDistanceText(double kilometres) {
    return fixedText(kilometres, 12, 2) + QStringLiteral(" Km");
}

QString totalDistanceText(long double kilometres) {
    return fixedText(static_cast<double>(kilometres), 12, 6) + QStringLiteral("  Km");
}

}  // namespace workspace
