#include "mapcontrol/symbol.h"

#include <cmath>

namespace mapcontrol {

void setSymbolsType(std::vector<Symbol>& symbols, SymbolType type) {
    for (Symbol& symbol : symbols) {
        symbol.type = type;
        if (type == SymbolType::Marker && symbol.size < 2) {
            symbol.size = 6;
        }
    }
}

ColourInt defaultClassColour(int index) {
    constexpr double kGoldenAngle = 137.507764;
    const double hue = std::fmod(30.0 + index * kGoldenAngle, 360.0);
    const double saturation = (index % 2 == 0) ? 0.55 : 0.40;
    const double value = (index % 3 == 1) ? 0.80 : 0.92;
    return fromQColor(QColor::fromHsvF(static_cast<float>(hue / 360.0),
                                       static_cast<float>(saturation), static_cast<float>(value)));
}

}  // namespace mapcontrol
