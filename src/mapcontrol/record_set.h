#pragma once

#include "mapcontrol/attribute_table.h"
#include "mapcontrol/shape.h"
#include "mapcontrol/strings.h"
#include "mapcontrol/vector_data.h"

#include <memory>
#include <optional>
#include <vector>

namespace mapcontrol {

// A set of records of a vector layer (all of them, or a search result) with
// a cursor. It keeps the layer's data alive. Rows are in ascending file order.
// An empty set starts at its end.
class RecordSet {
public:
    RecordSet() = default;
    RecordSet(std::shared_ptr<const VectorData> data, std::vector<VectorData::FeatureId> rows);

    qsizetype count() const { return static_cast<qsizetype>(m_rows.size()); }
    void moveFirst() { m_position = 0; }
    void moveNext() {
        if (m_position < m_rows.size()) ++m_position;
    }
    bool isEnd() const { return m_position >= m_rows.size(); }
    // The feature number of the current record; undefined at the end.
    VectorData::FeatureId current() const { return m_rows.at(m_position); }
    const std::vector<VectorData::FeatureId>& rows() const { return m_rows; }

    // Table description.
    int fieldCount() const;
    QString fieldName(int index) const;
    FieldType fieldType(int index) const;
    const AttributeTable* table() const;

    // Values of the current record, by field name (case-insensitive). The
    // name "Shape" gives the geometry. A missing field or the end gives "".
    QString text(const QString& field) const;
    std::optional<double> number(const QString& field) const;
    Shape shape() const;

    // Statistics of a numeric field over the set's records (population
    // standard deviation); nothing for a text or missing field or no records.
    std::optional<FieldStatistics> statistics(const QString& field) const;

    // Every distinct value of a field over the set's records, as text, in
    // ascending order (the cursor is left alone).
    Strings distinctTexts(const QString& field) const;

private:
    std::shared_ptr<const VectorData> m_data;
    std::vector<VectorData::FeatureId> m_rows;
    std::size_t m_position = 0;
};

}  // namespace mapcontrol
