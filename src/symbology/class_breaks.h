#pragma once

#include "mapcontrol/attribute_table.h"
#include "mapcontrol/symbol.h"

#include <QString>

#include <optional>
#include <vector>

namespace mapcontrol {
class VectorLayer;
}

namespace symbology {

// Class breaks from a numeric field's statistics: the candidates mean - 3 SD,
// then each one SD more (by successive additions), `candidates` of them;
// those within minimum..maximum become the breaks, in order.
struct ClassBreaks {
    // The breaks kept.
    std::vector<double> breaks;
    // The class-break value list as the classification window holds it: the
    // candidates as they were tried, with the kept breaks written over them
    // from index 0.
    std::vector<double> values;
};

// The most candidates tried; a larger count typed by the user is cut to it,
// so that a mistyped number cannot freeze the program.
inline constexpr int kMaxCandidates = 10000;

ClassBreaks computeClassBreaks(const mapcontrol::FieldStatistics& statistics, int candidates);

// Gives the layer a class-break renderer on `field` with the breaks of its
// statistics; lines and polygons are coloured by a ramp from `start` to
// `end`, points keep the renderer's own colours. Nothing when the field is not
// a numeric field of the layer; else the breaks given to the renderer.
std::optional<ClassBreaks> classifyByBreaks(mapcontrol::VectorLayer& layer, const QString& field,
                                            int candidates, mapcontrol::ColourInt start,
                                            mapcontrol::ColourInt end);

}  // namespace symbology
