#pragma once

#include <QString>

namespace mapcontrol {
class VectorLayer;
}

namespace symbology {

inline const QString kTooManyClassesMessage =
    QStringLiteral("Insuficiente recursos para esta classificação.Muitas classes!");

// The most classes a unique-value classification makes; more distinct values
// than this are refused (the colour table and the legend hold as many).
inline constexpr int kMaxUniqueClasses = 8001;

// Gives the layer a unique-value renderer on `field`, one class per distinct
// value in ascending text order, in the renderer's own colours: circles for
// points, and for polygons a transparent fill while the transparency mode is
// on (else solid). Line and point renderers take the line and marker symbol
// types; a polygon renderer keeps its own. False (layer unchanged) when the
// field does not exist or has more than kMaxUniqueClasses values.
bool classifyByUniqueValues(mapcontrol::VectorLayer& layer, const QString& field,
                            bool transparencyMode);

}  // namespace symbology
