// Position files: any lines give positions of finite degrees, which are
// drawn on a small picture in every plotting mode.
#include "fuzz_support.h"
#include "remote/collectors.h"

#include <QImage>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    const std::vector<remote::Position> positions = remote::readPositions(lines);
    fuzz::check(static_cast<qsizetype>(positions.size()) <= lines.size(), "at most one per line");
    for (const remote::Position& p : positions) {
        fuzz::check(std::isfinite(p.latitude) && std::abs(p.latitude) <= 90 &&
                        std::isfinite(p.longitude) && std::abs(p.longitude) <= 180,
                    "positions are degrees");
    }
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::vector<remote::CollectorTrack> tracks{{{"a", QColor(0, 128, 0)}, positions}};
    // A view of the whole world and a very deep one.
    for (const mapcontrol::Rectangle& extent :
         {mapcontrol::Rectangle(-180, 180, 90, -90), mapcontrol::Rectangle(0, 1e-9, 1e-9, 0)}) {
        remote::drawCollectors(image, extent, tracks, true, true);
        remote::drawCollectors(image, extent, tracks, false, false);
    }
    return 0;
}
