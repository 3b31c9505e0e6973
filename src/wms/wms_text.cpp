#include "wms/wms_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace wms {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Optional sign, digits with at most one ".", at least one digit, then an
// optional exponent: "-47.5", "+3", ".5", "1e5", "5.38289000000000E+0000".
bool isDecimalNumber(QStringView s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) ++i;
    qsizetype digits = 0;
    for (; i < n && isAsciiDigit(s[i]); ++i) ++digits;
    if (i < n && s[i] == QLatin1Char('.')) {
        for (++i; i < n && isAsciiDigit(s[i]); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) ++i;
        qsizetype exponentDigits = 0;
        for (; i < n && isAsciiDigit(s[i]); ++i) ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

QString nonFiniteText(double value) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// `value` rounded to `precision` digits after the point, in the fixed
// ('f') or exponent ('E') form. Qt formats with a "." whatever the locale
// and rounds an exact half away from zero. A zero, negative or rounded to
// zero, is written without a sign.
QString formatted(double value, char format, int precision) {
    QString text = QString::asprintf(format == 'f' ? "%.*f" : "%.*E", precision, value);
    if (text.startsWith(QLatin1Char('-'))) {
        const qsizetype exponent = text.indexOf(QLatin1Char('E'));
        const QStringView digits = QStringView(text).left(exponent < 0 ? text.size() : exponent);
        if (std::none_of(digits.begin(), digits.end(),
                         [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); })) {
            text.remove(0, 1);
        }
    }
    return text;
}

}  // namespace

QString fixedText(double value, int decimals, int width) {
    QString text =
        std::isfinite(value) ? formatted(value, 'f', std::max(decimals, 0)) : nonFiniteText(value);
    return text.rightJustified(width, QLatin1Char(' '));
}

QString defaultRealText(double value) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    // "d.ddddddddddddddE+dd" (two or three exponent digits) becomes
    // " d.ddddddddddddddE+dddd".
    QString text = formatted(value, 'E', 14);
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    const QString exponentDigits = text.mid(e + 2).rightJustified(4, QLatin1Char('0'));
    text = text.left(e + 2) + exponentDigits;
    return text.startsWith(QLatin1Char('-')) ? text : QLatin1Char(' ') + text;
}

std::optional<double> parseNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!isDecimalNumber(trimmed)) return std::nullopt;
    // from_chars reads the C form whatever the locale, but takes no "+".
    const QByteArray bytes =
        (trimmed.startsWith(QLatin1Char('+')) ? trimmed.mid(1) : trimmed).toLatin1();
    double value = 0.0;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error != std::errc() || end != bytes.data() + bytes.size() || !std::isfinite(value)) {
        return std::nullopt;  // beyond the range of a double
    }
    return value;
}

double numberOrZero(const QString& text) {
    return parseNumber(text).value_or(0.0);
}

QString bboxText(const mapcontrol::Rectangle& extent) {
    return fixedText(extent.left(), 9, 12) + QLatin1Char(',') + fixedText(extent.bottom(), 9, 12) +
           QLatin1Char(',') + fixedText(extent.right(), 9, 12) + QLatin1Char(',') +
           fixedText(extent.top(), 9, 12);
}

QString layerEntryText(int service, const QString& title, const QString& name) {
    return QString::number(service) + QLatin1Char('*') + title + QLatin1Char(',') + name;
}

std::optional<LayerEntry> parseLayerEntry(const QString& entry) {
    const qsizetype star = entry.indexOf(QLatin1Char('*'));
    if (star < 0) return std::nullopt;
    LayerEntry parsed;
    bool isNumber = false;
    const int service = QStringView(entry).left(star).toInt(&isNumber);
    parsed.service = isNumber && service >= 0 ? service : -1;
    const qsizetype comma = entry.lastIndexOf(QLatin1Char(','));
    if (comma > star) {
        parsed.title = entry.mid(star + 1, comma - star - 1);
        parsed.name = entry.mid(comma + 1);
    } else {
        parsed.title = entry.mid(star + 1);  // no "," after the "*": no name
    }
    return parsed;
}

QString layerNameOf(const QString& entry) {
    const qsizetype comma = entry.lastIndexOf(QLatin1Char(','));
    return comma < 0 ? QString() : entry.mid(comma + 1);
}

QString catalogueAddress(const QString& line) {
    return line.mid(line.lastIndexOf(QLatin1Char(',')) + 1);
}

QStringList addressesForKey(const QStringList& catalogueLines, const QString& key) {
    QStringList addresses;
    if (key.isEmpty()) return addresses;  // an empty answer names no sheet
    for (const QString& line : catalogueLines) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma == key.size() && line.startsWith(key)) {
            addresses.append(line.mid(comma + 1));
        }
    }
    return addresses;
}

}  // namespace wms
