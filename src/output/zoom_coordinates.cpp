#include "output/zoom_coordinates.h"

#include <cmath>

namespace output {

namespace {

QString fixed(double value, int decimals, int width) {
    return QString::number(value, 'f', decimals).rightJustified(width, QLatin1Char(' '));
}

double number(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

QString commaText(const QString& text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? QLatin1Char(',') + text
                   : text.left(dot) + QLatin1Char(',') + text.mid(dot + 1);
}

}  // namespace

DmsTexts dmsTexts(double value) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    const double magnitude = std::fabs(value);
    double degrees = std::trunc(magnitude);
    const double m = (magnitude - degrees) * 60.0;
    double minutes = std::trunc(m);
    // Seconds as shown, to 4 decimals; 59.99999 shows as the next minute,
    // not as "60.0000".
    double seconds = std::round((m - minutes) * 60.0 * 1e4) / 1e4;
    if (seconds >= 60.0) {
        seconds = 0.0;
        minutes += 1.0;
    }
    if (minutes >= 60.0) {
        minutes = 0.0;
        degrees += 1.0;
    }
    // Written from the double: a typed value of any size has its digits.
    QString degreesText = QString::number(degrees, 'f', 0);
    if (value < 0) {
        degreesText.prepend(QLatin1Char('-'));  // also "-0" between 0 and -1 degree
    }
    return {degreesText.rightJustified(4, QLatin1Char(' ')),
            QString::number(static_cast<qint64>(minutes)).rightJustified(4, QLatin1Char(' ')),
            fixed(seconds, 4, 4)};
}

double cornerValue(const QString& degrees, const QString& minutes, const QString& seconds) {
    const double d = number(degrees);
    const double rest = number(minutes) / 60.0 + number(seconds) / 3600.0;
    const bool negative = d < 0 || (d == 0 && degrees.trimmed().startsWith(QLatin1Char('-')));
    return negative ? d - rest : d + rest;
}

QString decimalText(double value) {
    return fixed(value, 8, 10);
}

DmsTexts dmsFromCommaText(const QString& text) {
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    const QString degrees = comma < 0 ? text : text.left(comma);
    QString digits;
    if (comma >= 0) {
        for (const QChar c : text.mid(comma + 1)) {
            if (!c.isDigit()) break;
            digits.append(c);
        }
    }
    const double fraction = digits.isEmpty() ? 0.0 : number(QStringLiteral("0.") + digits);
    const QString minutesText = fixed(fraction * 60.0, 8, 10);
    const double minutesValue = minutesText.toDouble();
    const QString seconds = fixed((minutesValue - std::trunc(minutesValue)) * 60.0, 8, 10);
    return {degrees.trimmed(), minutesText.section(QLatin1Char('.'), 0, 0).trimmed(),
            seconds.trimmed()};
}

QStringList worldFileLines(const mapcontrol::Rectangle& extent, QSize pixels) {
    const double width = std::max(1, pixels.width());
    const double height = std::max(1, pixels.height());
    return {fixed(extent.width() / width, 15, 16),
            QStringLiteral("0.000000000000000"),
            QStringLiteral("0.000000000000000"),
            QLatin1Char('-') + fixed(extent.height() / height, 15, 16),
            fixed(extent.left(), 14, 16),
            fixed(extent.top(), 14, 16)};
}

QString worldFilePath(const QString& picturePath) {
    const qsizetype nameStart = picturePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = picturePath.indexOf(QLatin1Char('.'), nameStart);
    return (dot < 0 ? picturePath + QLatin1Char('.') : picturePath.left(dot + 1)) +
           QStringLiteral("tfw");
}

QStringList zoomFileLines(const ZoomCorners& c) {
    const QString gap(6, QLatin1Char(' '));
    return {commaText(c.left) + gap + commaText(c.top), commaText(c.right) + gap + commaText(c.top),
            commaText(c.right) + gap + commaText(c.bottom),
            commaText(c.left) + gap + commaText(c.bottom)};
}

ZoomCorners readZoomFile(const QStringList& lines) {
    const auto split = [&lines](int index, QString& longitude, QString& latitude) {
        const QString line = index < lines.size() ? lines[index].trimmed() : QString();
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        longitude = blank < 0 ? line : line.left(blank);
        latitude = blank < 0 ? QString() : line.mid(blank).trimmed();
    };
    ZoomCorners corners;
    split(0, corners.left, corners.top);
    split(2, corners.right, corners.bottom);
    return corners;
}

}  // namespace output
