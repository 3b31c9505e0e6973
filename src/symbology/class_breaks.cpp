#include "symbology/class_breaks.h"

#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/vector_layer.h"

#include <algorithm>

namespace symbology {

ClassBreaks computeClassBreaks(const mapcontrol::FieldStatistics& statistics, int candidates) {
    ClassBreaks result;
    const int n = std::clamp(candidates, 0, kMaxCandidates);
    constexpr float kThree = 3.0f;
    // The first candidate is worked out in extended precision; each later
    // one is the double before it plus the deviation, rounded to a double at
    // every step, so that a candidate meant to land on the minimum or the
    // maximum lands on it as the data holds it.
    double b = static_cast<double>(static_cast<long double>(statistics.mean) -
                                   kThree * static_cast<long double>(statistics.standardDeviation));
    result.values.assign(static_cast<std::size_t>(n) + 1, 0.0);
    result.values[0] = b;
    for (int k = 0; k < n; ++k) {
        // A kept break lands at an index whose candidate was written earlier,
        // so the list ends with the kept breaks from index 0 upwards.
        if (statistics.minimum <= b && b <= statistics.maximum) {
            result.breaks.push_back(b);
            result.values[result.breaks.size() - 1] = b;
        }
        b += statistics.standardDeviation;
        result.values[static_cast<std::size_t>(k) + 1] = b;
    }
    return result;
}

std::optional<ClassBreaks> classifyByBreaks(mapcontrol::VectorLayer& layer, const QString& field,
                                            int candidates, mapcontrol::ColourInt start,
                                            mapcontrol::ColourInt end) {
    const std::optional<mapcontrol::FieldStatistics> statistics = layer.records().statistics(field);
    if (!statistics) {
        return std::nullopt;
    }
    const ClassBreaks breaks = computeClassBreaks(*statistics, candidates);
    auto renderer = std::make_unique<mapcontrol::ClassBreaksRenderer>();
    renderer->setField(field);
    renderer->setBreakCount(static_cast<int>(breaks.breaks.size()));
    for (int i = 0; i < renderer->breakCount(); ++i) {
        renderer->setBreakValue(i, breaks.breaks[static_cast<std::size_t>(i)]);
    }
    switch (layer.shapeType()) {
        case mapcontrol::ShapeType::Polygon:
            renderer->setSymbolType(mapcontrol::SymbolType::Fill);
            break;
        case mapcontrol::ShapeType::Line:
            renderer->setSymbolType(mapcontrol::SymbolType::Line);
            break;
        default:
            renderer->setSymbolType(mapcontrol::SymbolType::Marker);
            break;
    }
    if (layer.shapeType() != mapcontrol::ShapeType::Point) {
        renderer->rampColours(start, end);
    }
    layer.setRenderer(std::move(renderer));
    return breaks;
}

}  // namespace symbology
