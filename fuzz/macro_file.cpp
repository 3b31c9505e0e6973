// WMS macro files: any lines read, and what was read is written back to
// lines that read the same.
#include "wms/macro_file.h"
#include "fuzz_support.h"

namespace {

bool isItemLine(const QString& line) {
    return line.startsWith(QLatin1String("A;")) || line.startsWith(QLatin1String("B;"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    const wms::MacroFile macro = wms::parseMacroLines(lines);
    fuzz::check(macro.services.size() + static_cast<qsizetype>(macro.layers.size()) <= lines.size(),
                "at most one item per line");
    const QStringList written = wms::macroLines(macro);
    fuzz::check(
        written.size() == 4 + macro.services.size() + static_cast<qsizetype>(macro.layers.size()),
        "four extent lines, then one line per item");
    // The extent lines are read for items too: the round trip holds when
    // they are not item lines themselves.
    if (!isItemLine(macro.north) && !isItemLine(macro.south) && !isItemLine(macro.east) &&
        !isItemLine(macro.west)) {
        const wms::MacroFile again = wms::parseMacroLines(written);
        fuzz::check(again.north == macro.north && again.south == macro.south &&
                        again.east == macro.east && again.west == macro.west,
                    "extent texts round-trip");
        fuzz::check(again.services == macro.services, "services round-trip");
        fuzz::check(again.layers == macro.layers, "layers and marks round-trip");
    }
    return 0;
}
