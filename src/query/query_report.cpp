#include "query/query_report.h"

#include "mapcontrol/record_set.h"
#include "mapcontrol/shape.h"

#include <algorithm>

namespace query {

QString reportSeparator() {
    return QString(85, QLatin1Char('-'));
}

QStringList reportLines(const mapcontrol::RecordSet& records) {
    QStringList lines;
    for (int i = 0; i < records.fieldCount(); ++i) {
        const QString name = records.fieldName(i);
        lines.append(name + QStringLiteral(" : ") + records.text(name));
    }
    lines.append(reportSeparator());
    return lines;
}

QStringList semicolonTable(const QStringList& report) {
    QStringList header;
    for (const QString& line : report) {
        if (!line.contains(QLatin1String("-------"))) {
            header.append(line.section(QLatin1Char(':'), 0, 0));
        }
        if (line.contains(QLatin1String("--------"))) {
            break;
        }
    }
    QStringList table{header.join(QLatin1Char(';'))};
    QStringList row;
    for (const QString& line : report) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            row.append(line.mid(colon + 1));
        } else {
            table.append(row.join(QLatin1Char(';')));
            row.clear();
        }
    }
    return table;
}

QStringList valueList(const QStringList& distinctValues) {
    QStringList values = distinctValues;
    std::stable_sort(values.begin(), values.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return values;
}

void FoundExtent::grow(double left, double right, double bottom, double top) {
    if (!m_set) {
        xmin = left;
        xmax = right;
        ymin = bottom;
        ymax = top;
        m_set = true;
        return;
    }
    if (left < xmin) xmin = left;
    if (right > xmax) xmax = right;
    if (bottom < ymin) ymin = bottom;
    if (top > ymax) ymax = top;
}

void FoundExtent::add(const mapcontrol::Shape& shape) {
    if (shape.isEmpty()) {
        return;
    }
    const mapcontrol::Rectangle box = shape.extent();
    grow(box.left(), box.right(), box.bottom(), box.top());
}

void FoundExtent::widenPoints() {
    if (xmin == xmax) {
        xmin -= 0.2;
        xmax += 0.2;
    }
    if (ymin == ymax) {
        ymin -= 0.2;
        ymax += 0.2;
    }
}

QStringList FoundExtent::texts() const {
    QStringList list;
    for (const double v : {xmin, xmax, ymin, ymax}) {
        list.append(QString::number(v, 'E', 16));
    }
    return list;
}

std::optional<mapcontrol::Rectangle> FoundExtent::fromTexts(const QStringList& texts) {
    if (texts.size() < 4) {
        return std::nullopt;
    }
    double v[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = texts[i].toDouble(&ok);
        if (!ok) return std::nullopt;
    }
    return mapcontrol::Rectangle(v[0], v[1], v[3], v[2]);
}

}  // namespace query
