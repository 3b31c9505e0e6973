// Zoom files: corners read back as finite degrees.
#include "fuzz_support.h"
#include "output/zoom_coordinates.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const output::ZoomCorners corners = output::readZoomFile(fuzz::lines(data, size));
    for (const QString& text : {corners.left, corners.top, corners.right, corners.bottom}) {
        const output::DmsTexts dms = output::dmsFromCommaText(text);
        const double value = output::cornerValue(dms.degrees, dms.minutes, dms.seconds);
        fuzz::check(std::isfinite(value), "a finite corner");
        const output::DmsTexts shown = output::dmsTexts(value);
        fuzz::check(!shown.degrees.isEmpty(), "degrees shown");
    }
    (void)output::zoomFileLines(corners);
    return 0;
}
