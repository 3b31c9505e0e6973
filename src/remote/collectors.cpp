#include "remote/collectors.h"

#include "platform/text_file.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QUrl>
#include <QVarLengthArray>

#include <charconv>
#include <cmath>

namespace remote {

namespace {

// A whole number 0-255 with blanks around it allowed.
std::optional<int> component(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 0 || value > 255) return std::nullopt;
    return value;
}

// A decimal number with "." as decimal point, blanks around it allowed;
// nothing for anything else and for infinities and NaN. Position files are
// long, so this avoids the locale's slower reader.
std::optional<double> degrees(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('+'))) {
        text = text.sliced(1);
        if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
            return std::nullopt;
        }
    }
    QVarLengthArray<char, 64> ascii;
    for (const QChar c : text) {
        if (c.unicode() > 0x7f) return std::nullopt;
        ascii.append(static_cast<char>(c.unicode()));
    }
    double value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Cuts the segment a-b to `box` (Liang-Barsky); false when nothing of it is
// inside. Keeps lines to positions far outside the picture within the
// coordinates the painter handles, with the same direction.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& box) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const auto edge = [&](double p, double q) {
        if (p == 0.0) return q >= 0.0;
        const double t = q / p;
        if (p < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, a.x() - box.left()) || !edge(dx, box.right() - a.x()) ||
        !edge(-dy, a.y() - box.top()) || !edge(dy, box.bottom() - a.y())) {
        return false;
    }
    const QPointF start = a;
    a = start + QPointF(dx * t0, dy * t0);
    b = start + QPointF(dx * t1, dy * t1);
    return true;
}

// A collector's circle, 8 pixels across with a black outline, drawn once
// centred on (kStampCentre, kStampCentre) of a transparent picture and then
// stamped at every point: the same pixels as drawing the circle there, for a
// fraction of the cost.
constexpr int kStampCentre = 8;

QImage circleStamp(const QColor& fill) {
    QImage stamp(2 * kStampCentre, 2 * kStampCentre, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    QPainter painter(&stamp);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(kStampCentre - 4, kStampCentre - 4, 8, 8));
    return stamp;
}

}  // namespace

QColor colourFromValue(int value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

int colourValue(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QColor defaultCollectorColour() {
    return colourFromValue(kVermelhoValue);
}

CollectorLine parseCollectorLine(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0) return {line, std::nullopt};
    return {line.left(comma), line.mid(comma + 1)};
}

std::optional<QColor> collectorColour(const QString& colourPart) {
    const QString part = colourPart.trimmed();
    for (const NamedColour& named : kCollectorColours) {
        if (part == QLatin1String(named.name)) return colourFromValue(named.value);
    }
    const QString lead = part.left(3);
    if (lead != QLatin1String("RGB") && lead != QLatin1String("rgb")) return std::nullopt;
    const QStringList fields = part.split(QLatin1Char(','));
    if (fields.size() != 4) return std::nullopt;
    const auto red = component(fields[1]);
    const auto green = component(fields[2]);
    const auto blue = component(fields[3]);
    if (!red || !green || !blue) return std::nullopt;
    return QColor(*red, *green, *blue);
}

QColor registeredColour(const QColor& chosen) {
    if (chosen.red() == 255 && chosen.green() == 0 && chosen.blue() == 0) {
        return QColor(255, 2, 2);
    }
    return QColor(chosen.red(), chosen.green(), chosen.blue());
}

QString registeredLine(const QString& prefix, const QColor& colour) {
    const QColor c = registeredColour(colour);
    // Joined, not formatted: a prefix may hold "%1".
    return prefix + QStringLiteral(",RGB,%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

std::vector<Collector> collectorsOf(const QStringList& listLines) {
    std::vector<Collector> collectors;
    collectors.reserve(static_cast<std::size_t>(listLines.size()));
    QColor current = defaultCollectorColour();
    for (const QString& text : listLines) {
        const CollectorLine line = parseCollectorLine(text);
        if (line.colourPart) {
            if (const auto named = collectorColour(*line.colourPart)) current = *named;
        }
        collectors.push_back({line.prefix, current});
    }
    return collectors;
}

std::vector<Position> readPositions(const QStringList& lines) {
    std::vector<Position> positions;
    positions.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& text : lines) {
        const QStringView line(text);
        const qsizetype first = line.indexOf(QLatin1Char(','));
        if (first < 0) continue;
        const qsizetype second = line.indexOf(QLatin1Char(','), first + 1);
        if (second < 0 || line.indexOf(QLatin1Char(','), second + 1) >= 0) continue;
        const auto latitude = degrees(line.sliced(first + 1, second - first - 1));
        const auto longitude = degrees(line.sliced(second + 1));
        if (!latitude || !longitude || std::abs(*latitude) > 90.0 || std::abs(*longitude) > 180.0) {
            continue;
        }
        positions.push_back({line.first(first).toString(), *latitude, *longitude});
    }
    return positions;
}

std::optional<QPointF> pixelOf(const mapcontrol::Rectangle& extent, QSize size,
                               const Position& position) {
    if (extent.isEmpty() || extent.width() <= 0 || extent.height() <= 0) return std::nullopt;
    const double x =
        std::round((position.longitude - extent.left()) * size.width() / extent.width());
    const double y =
        std::round((extent.top() - position.latitude) * size.height() / extent.height());
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    return QPointF(x, y);
}

void drawCollectors(QImage& image, const mapcontrol::Rectangle& extent,
                    const std::vector<CollectorTrack>& tracks, bool allPoints, bool joinPoints) {
    QPainter painter(&image);
    const QRectF picture(QPointF(0, 0), QSizeF(image.size()));
    // What reaches the picture: a circle's box or a wide line's end.
    const QRectF reach = picture.adjusted(-8, -8, 8, 8);
    const bool drawLines = allPoints && joinPoints;
    for (const CollectorTrack& track : tracks) {
        const QImage circle = circleStamp(track.collector.colour);
        const QPen line(track.collector.colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        const std::size_t count = track.positions.size();
        painter.setPen(line);
        std::optional<QPointF> pen;
        for (std::size_t i = 0; i < count; ++i) {
            const auto at = pixelOf(extent, image.size(), track.positions[i]);
            if (!at) continue;
            if ((allPoints || i + 1 == count) && reach.contains(*at)) {
                painter.drawImage(*at - QPointF(kStampCentre, kStampCentre), circle);
            }
            if (!pen) pen = *at;
            if (drawLines) {
                QPointF from = *pen;
                QPointF to = *at;
                if (from != to && clipSegment(from, to, reach)) {
                    painter.drawLine(from, to);
                }
                pen = *at;
            }
        }
    }
}

QString positionsUrl(const QString& gatewayHost, const QString& prefix) {
    return gatewayHost + QStringLiteral("/cgi-bin/localiza.exe/mandalista?lista=") +
           QString::fromLatin1(QUrl::toPercentEncoding(prefix));
}

bool isSafePrefix(const QString& prefix) {
    if (prefix.trimmed().isEmpty()) return false;
    if (prefix.contains(QLatin1String(".."))) return false;
    for (const QChar c : prefix) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return false;
        }
    }
    return true;
}

std::optional<QString> positionFilePath(const QString& programFolder, const QString& prefix) {
    if (!isSafePrefix(prefix)) return std::nullopt;
    return QDir(programFolder).filePath(prefix + QStringLiteral(".pos"));
}

std::vector<CollectorTrack> fetchTracks(const std::vector<Collector>& collectors,
                                        const QString& gatewayHost, const QString& programFolder,
                                        const DownloadFunction& download) {
    std::vector<CollectorTrack> tracks;
    for (const Collector& collector : collectors) {
        const auto path = positionFilePath(programFolder, collector.prefix);
        if (!path) continue;
        const platform::Result got = download(positionsUrl(gatewayHost, collector.prefix), *path);
        if (got.cancelled) break;  // the user ended the tick: draw what came
        if (!got) continue;
        const platform::TextLines file = platform::readTextLines(*path);
        if (!file.result) continue;
        tracks.push_back({collector, readPositions(file.lines)});
    }
    return tracks;
}

}  // namespace remote
