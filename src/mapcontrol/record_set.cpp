#include "mapcontrol/record_set.h"

#include <QSet>

#include <unordered_map>

#include <cmath>

namespace mapcontrol {

namespace {

bool isShapeField(const QString& field) {
    return field.compare(QLatin1String("Shape"), Qt::CaseInsensitive) == 0;
}

}  // namespace

RecordSet::RecordSet(std::shared_ptr<const VectorData> data,
                     std::vector<VectorData::FeatureId> rows)
    : m_data(std::move(data)), m_rows(std::move(rows)) {}

const AttributeTable* RecordSet::table() const {
    return m_data ? &m_data->table() : nullptr;
}

int RecordSet::fieldCount() const {
    return m_data ? m_data->table().fieldCount() : 0;
}

QString RecordSet::fieldName(int index) const {
    return m_data && index >= 0 && index < fieldCount() ? m_data->table().field(index).name
                                                        : QString();
}

FieldType RecordSet::fieldType(int index) const {
    return m_data && index >= 0 && index < fieldCount() ? m_data->table().field(index).type
                                                        : FieldType::Text;
}

QString RecordSet::text(const QString& field) const {
    if (!m_data || isEnd()) {
        return {};
    }
    const int column = m_data->table().fieldIndex(field);
    return column < 0 ? QString() : m_data->table().text(column, current());
}

std::optional<double> RecordSet::number(const QString& field) const {
    if (!m_data || isEnd()) {
        return std::nullopt;
    }
    const int column = m_data->table().fieldIndex(field);
    if (column < 0 || m_data->table().isNull(column, current())) {
        return std::nullopt;
    }
    return m_data->table().number(column, current());
}

Shape RecordSet::shape() const {
    if (!m_data || isEnd()) {
        return {};
    }
    return m_data->shape(current());
}

std::optional<FieldStatistics> RecordSet::statistics(const QString& field) const {
    if (!m_data || isShapeField(field)) {
        return std::nullopt;
    }
    const AttributeTable& table = m_data->table();
    const int column = table.fieldIndex(field);
    if (column < 0 || !table.field(column).isNumeric()) {
        return std::nullopt;
    }
    if (m_rows.size() == m_data->featureCount()) {
        return table.statistics(column);
    }
    // Welford's running mean and variance: stable for large values.
    FieldStatistics stats;
    double m2 = 0.0;
    for (const VectorData::FeatureId row : m_rows) {
        if (table.isNull(column, row)) {
            continue;
        }
        const double v = table.number(column, row).value_or(0.0);
        ++stats.count;
        if (stats.count == 1) {
            stats.minimum = stats.maximum = v;
        }
        stats.minimum = std::min(stats.minimum, v);
        stats.maximum = std::max(stats.maximum, v);
        const double delta = v - stats.mean;
        stats.mean += delta / static_cast<double>(stats.count);
        m2 += delta * (v - stats.mean);
    }
    if (stats.count == 0) {
        return std::nullopt;
    }
    stats.standardDeviation = std::sqrt(m2 / static_cast<double>(stats.count));
    return stats;
}

Strings RecordSet::distinctTexts(const QString& field) const {
    QStringList texts;
    if (!m_data || m_rows.empty()) {
        return {};
    }
    const AttributeTable& table = m_data->table();
    const int column = table.fieldIndex(field);
    if (column < 0) {
        return Strings::fromTexts({QString()});  // every record reads ""
    }
    // The distinct values are gathered first, as numbers or views into the
    // table, and only they are turned into texts and sorted: a million
    // records of a few dozen values cost one pass.
    const AttributeTable::ColumnReader r = table.reader(column);
    const qsizetype rows = table.rowCount();
    bool hasNull = false;
    if (table.field(column).isNumeric()) {
        std::unordered_map<double, VectorData::FeatureId> firstRow;
        for (const VectorData::FeatureId row : m_rows) {
            if (static_cast<qsizetype>(row) >= rows || r.isNull(static_cast<qsizetype>(row))) {
                hasNull = true;
            } else {
                firstRow.try_emplace(r.number(static_cast<qsizetype>(row)), row);
            }
        }
        for (const auto& [value, row] : firstRow) {
            texts.append(table.text(column, static_cast<qsizetype>(row)));
        }
    } else {
        QSet<QStringView> seen;
        for (const VectorData::FeatureId row : m_rows) {
            if (static_cast<qsizetype>(row) >= rows || r.isNull(static_cast<qsizetype>(row))) {
                hasNull = true;
            } else {
                seen.insert(r.text(static_cast<qsizetype>(row)));
            }
        }
        for (const QStringView text : seen) {
            texts.append(text.toString());
        }
    }
    if (hasNull) {
        texts.append(QString());
    }
    return Strings::fromTexts(std::move(texts));
}

}  // namespace mapcontrol
