#pragma once

#include "mapcontrol/geometry.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mapcontrol {
class RecordSet;
class Shape;
}  // namespace mapcontrol

namespace query {

// The line that ends a record in a query report: 85 "-".
QString reportSeparator();
// The report lines of the record set's current record: "field : value" for
// every field in table order, then the separator.
QStringList reportLines(const mapcontrol::RecordSet& records);

// The semicolon-separated table of a report: a header of the field names
// (the text before each line's first ":", up to the first record's end),
// then one row per record of the texts after each line's first ":". Nothing
// is quoted: a ";" in a value shifts the columns, as the format has it.
QStringList semicolonTable(const QStringList& report);

// The value list of a field: every distinct value once, ordered without
// regard to letter case; values that differ only in case are all kept.
QStringList valueList(const QStringList& distinctValues);

// The box around the features a query found, grown one geometry at a time
// from the first (so projected coordinates are boxed as well as degrees);
// a bound moves only for a value strictly beyond it.
class FoundExtent {
public:
    void add(const mapcontrol::Shape& shape);
    bool isEmpty() const { return !m_set; }
    // A point query's box is widened by 0.2 on a side where it has no width
    // (a single point, or points in a line).
    void widenPoints();
    // The extent list: xmin, xmax, ymin, ymax, each as a round-trip number text.
    QStringList texts() const;
    // The extent list read back as a rectangle; nothing when it is not four numbers.
    static std::optional<mapcontrol::Rectangle> fromTexts(const QStringList& texts);

    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;

private:
    void grow(double left, double right, double bottom, double top);
    bool m_set = false;
};

}  // namespace query
