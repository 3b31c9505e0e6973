#include "symbology/swatch.h"

#include <QLabel>
#include <QPixmap>

namespace symbology {

namespace {
constexpr int kSwatchSize = 25;
}

void paintSwatch(QLabel& swatch, mapcontrol::ColourInt colour) {
    QPixmap picture(kSwatchSize, kSwatchSize);
    picture.fill(mapcontrol::toQColor(colour));
    swatch.setPixmap(picture);
}

mapcontrol::ColourInt swatchColour(const QLabel& swatch) {
    const QPixmap picture = swatch.pixmap();
    if (picture.width() <= 10 || picture.height() <= 10) {
        return 0;
    }
    return mapcontrol::fromQColor(picture.toImage().pixelColor(10, 10));
}

mapcontrol::ColourInt storedColour(mapcontrol::ColourInt chosen) {
    return chosen == mapcontrol::colourInt(255, 0, 0) ? mapcontrol::colourInt(255, 2, 2) : chosen;
}

}  // namespace symbology
