#include "mapcontrol/attribute_table.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace mapcontrol {

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Whether `text` (already trimmed, sign removed) has the form
// digits [ "." digits ] [ ("e"|"E") [sign] digits ] with at least one mantissa digit.
bool hasNumberForm(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    qsizetype mantissaDigits = 0;
    while (i < n && isDigit(text[i].unicode())) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i].unicode())) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            ++i;
        }
        qsizetype exponentDigits = 0;
        while (i < n && isDigit(text[i].unicode())) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == n;
}

bool isNumericType(FieldType type) {
    return type == FieldType::Integer || type == FieldType::Double;
}

}  // namespace

std::optional<double> parseNumber(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode())) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1].unicode())) {
        --end;
    }
    bool negative = false;
    if (begin < end && (text[begin] == u'+' || text[begin] == u'-')) {
        negative = text[begin] == u'-';
        ++begin;
    }
    const QStringView body = text.sliced(begin, end - begin);
    if (!hasNumberForm(body)) {
        return std::nullopt;
    }
    // The form check leaves only ASCII, so the narrowing copy is exact.
    std::array<char, 128> small;
    std::string large;
    char* chars = small.data();
    if (body.size() > qsizetype(small.size())) {
        large.resize(std::size_t(body.size()));
        chars = large.data();
    }
    for (qsizetype i = 0; i < body.size(); ++i) {
        chars[i] = char(body[i].unicode());
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(chars, chars + body.size(), value);
    if (ec != std::errc() || ptr != chars + body.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

QString numberText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    }
    if (value == 0.0) {
        return QStringLiteral("0");
    }
    // General format at precision 15 is printf's %.15g: trailing zeros dropped,
    // exponent form outside 1E-4 <= |v| < 1E+15. to_chars ignores the locale.
    std::array<char, 64> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
    text.replace(u'e', u'E');
    return text;
}

AttributeTable::AttributeTable(QList<FieldInfo> fields)
    : m_fields(std::move(fields)), m_columns(std::size_t(m_fields.size())) {}

int AttributeTable::fieldIndex(QStringView name) const {
    for (int i = 0; i < fieldCount(); ++i) {
        if (QStringView(m_fields[i].name).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

qsizetype AttributeTable::rowCount() const {
    // A row exists once every column has its value.
    if (m_columns.empty()) {
        return 0;
    }
    qsizetype rows = std::numeric_limits<qsizetype>::max();
    for (const Column& column : m_columns) {
        rows = std::min(rows, column.rows);
    }
    return rows;
}

void AttributeTable::reserve(qsizetype rows) {
    if (rows <= 0) {
        return;
    }
    for (int i = 0; i < fieldCount(); ++i) {
        if (isNumericType(m_fields[i].type)) {
            m_columns[std::size_t(i)].numbers.reserve(std::size_t(rows));
        } else {
            m_columns[std::size_t(i)].ends.reserve(std::size_t(rows));
        }
    }
}

void AttributeTable::markNull(Column& column) {
    const auto row = std::size_t(column.rows);
    const std::size_t word = row >> 6;
    if (column.nullBits.size() <= word) {
        column.nullBits.resize(word + 1, 0);
    }
    column.nullBits[word] |= std::uint64_t(1) << (row & 63);
}

void AttributeTable::appendNull(int column) {
    if (column < 0 || column >= fieldCount()) {
        return;
    }
    Column& c = m_columns[std::size_t(column)];
    markNull(c);
    if (isNumericType(m_fields[column].type)) {
        c.numbers.push_back(0.0);
    } else {
        c.ends.push_back(std::uint32_t(c.chars.size()));
    }
    ++c.rows;
}

void AttributeTable::appendNumber(int column, double value) {
    if (column < 0 || column >= fieldCount()) {
        return;
    }
    if (std::isnan(value)) {
        appendNull(column);
        return;
    }
    if (!isNumericType(m_fields[column].type)) {
        appendText(column, numberText(value));
        return;
    }
    Column& c = m_columns[std::size_t(column)];
    c.numbers.push_back(value);
    ++c.rows;
}

void AttributeTable::appendText(int column, QStringView value) {
    if (column < 0 || column >= fieldCount()) {
        return;
    }
    if (isNumericType(m_fields[column].type)) {
        const std::optional<double> number = parseNumber(value);
        if (number) {
            appendNumber(column, *number);
        } else {
            appendNull(column);
        }
        return;
    }
    Column& c = m_columns[std::size_t(column)];
    const std::size_t size = c.chars.size() + std::size_t(value.size());
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("attribute text column exceeds 2^32 - 1 characters");
    }
    c.chars.insert(c.chars.end(), value.utf16(), value.utf16() + value.size());
    c.ends.push_back(std::uint32_t(size));
    ++c.rows;
}

void AttributeTable::squeeze() {
    for (Column& c : m_columns) {
        c.numbers.shrink_to_fit();
        c.chars.shrink_to_fit();
        c.ends.shrink_to_fit();
        c.nullBits.shrink_to_fit();
    }
}

bool AttributeTable::validCell(int column, qsizetype row) const {
    return column >= 0 && column < fieldCount() && row >= 0 &&
           row < m_columns[std::size_t(column)].rows;
}

bool AttributeTable::isNull(int column, qsizetype row) const {
    if (!validCell(column, row)) {
        return true;
    }
    return reader(column).isNull(row);
}

std::optional<double> AttributeTable::number(int column, qsizetype row) const {
    if (!validCell(column, row)) {
        return std::nullopt;
    }
    const ColumnReader r = reader(column);
    if (m_fields[column].isNumeric()) {
        return r.isNull(row) ? 0.0 : r.number(row);
    }
    if (r.isNull(row)) {
        return std::nullopt;
    }
    return parseNumber(r.text(row));
}

QString AttributeTable::text(int column, qsizetype row) const {
    if (!validCell(column, row)) {
        return {};
    }
    const ColumnReader r = reader(column);
    if (r.isNull(row)) {
        return {};
    }
    if (!m_fields[column].isNumeric()) {
        return r.text(row).toString();
    }
    const double value = r.number(row);
    // Integers print whole while they fit a 64-bit integer exactly enough.
    if (m_fields[column].type == FieldType::Integer && std::trunc(value) == value &&
        std::fabs(value) < 9.0e18) {
        return QString::number(static_cast<qint64>(value));
    }
    return numberText(value);
}

QStringView AttributeTable::textView(int column, qsizetype row) const {
    if (!validCell(column, row) || m_fields[column].isNumeric()) {
        return {};
    }
    return reader(column).text(row);
}

std::optional<FieldStatistics> AttributeTable::statistics(int column) const {
    if (column < 0 || column >= fieldCount() || !m_fields[column].isNumeric()) {
        return std::nullopt;
    }
    const ColumnReader r = reader(column);
    const qsizetype rows = m_columns[std::size_t(column)].rows;
    FieldStatistics stats;
    double m2 = 0.0;  // sum of squared deviations from the running mean (Welford)
    for (qsizetype row = 0; row < rows; ++row) {
        if (r.isNull(row)) {
            continue;
        }
        const double value = r.number(row);
        ++stats.count;
        if (stats.count == 1) {
            stats.minimum = stats.maximum = stats.mean = value;
            continue;
        }
        stats.minimum = std::min(stats.minimum, value);
        stats.maximum = std::max(stats.maximum, value);
        const double delta = value - stats.mean;
        stats.mean += delta / double(stats.count);
        m2 += delta * (value - stats.mean);
    }
    if (stats.count > 0) {
        stats.standardDeviation = std::sqrt(std::max(0.0, m2 / double(stats.count)));
    }
    return stats;
}

std::size_t AttributeTable::memoryBytes() const {
    std::size_t bytes = m_columns.capacity() * sizeof(Column);
    for (const Column& c : m_columns) {
        bytes += c.numbers.capacity() * sizeof(double) + c.chars.capacity() * sizeof(char16_t) +
                 c.ends.capacity() * sizeof(std::uint32_t) +
                 c.nullBits.capacity() * sizeof(std::uint64_t);
    }
    for (const FieldInfo& f : m_fields) {
        bytes += sizeof(FieldInfo) + std::size_t(f.name.capacity()) * sizeof(QChar);
    }
    return bytes;
}

AttributeTable::ColumnReader AttributeTable::reader(int column) const {
    const Column& c = m_columns[std::size_t(column)];
    ColumnReader r;
    r.m_numbers = c.numbers.data();
    r.m_chars = c.chars.data();
    r.m_ends = c.ends.data();
    r.m_nullBits = c.nullBits.data();
    r.m_nullWords = c.nullBits.size();
    return r;
}

}  // namespace mapcontrol
