#pragma once

#include "mapcontrol/symbol.h"

class QLabel;

namespace symbology {

// A colour swatch: a label showing a 25 x 25 picture filled with a colour.
void paintSwatch(QLabel& swatch, mapcontrol::ColourInt colour);
// The colour a swatch shows at pixel (10, 10); black when it shows none.
mapcontrol::ColourInt swatchColour(const QLabel& swatch);

// The colour the symbol editors store for a chosen colour: pure red is the
// legend pictures' transparent colour, so it is kept as red 255, green 2,
// blue 2; every other colour as chosen.
mapcontrol::ColourInt storedColour(mapcontrol::ColourInt chosen);

}  // namespace symbology
