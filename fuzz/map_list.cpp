// The gateway's map list: group numbers, the lines of a group and the map
// lines read into a name and an extent.
#include "fuzz_support.h"
#include "wms/fixed_connections.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    for (const QString& line : lines) {
        const std::optional<int> group = wms::groupNumber(line);
        fuzz::check(!group || line.contains(QLatin1Char(',')), "a group number follows a comma");
        if (group) {
            const QStringList of = wms::mapListLinesOfGroup({line}, *group);
            if (!line.contains(QLatin1Char(';'))) {
                fuzz::check(of.isEmpty(), "a line without \";\" is in no group");
            }
        }

        const std::optional<wms::MapChoice> choice = wms::parseMapLine(line);
        if (!choice) continue;
        fuzz::check(line.contains(QLatin1Char(';')), "a map line has a \";\"");
        fuzz::check(!choice->mapName.isEmpty() && choice->mapName == choice->mapName.trimmed(),
                    "a map name is trimmed and not empty");
        fuzz::check(!choice->mapName.contains(QLatin1Char(',')), "no comma in a map name");
        const mapcontrol::Rectangle& e = choice->extent;
        fuzz::check(e.left() < e.right() && e.bottom() < e.top(), "the extent has an area");
        fuzz::check(std::isfinite(e.left()) && std::isfinite(e.right()) && std::isfinite(e.top()) &&
                        std::isfinite(e.bottom()),
                    "the extent's sides are numbers");
        fuzz::check(choice->searchCode.isEmpty() || line.count(QLatin1Char('*')) >= 2,
                    "a search code lies between two stars");
    }
    if (!lines.isEmpty()) {
        const std::optional<int> group = wms::groupNumber(lines.first());
        const QStringList of = wms::mapListLinesOfGroup(lines, group.value_or(0));
        fuzz::check(of.size() <= lines.size(), "a group holds lines of the list only");
        for (const QString& line : of) {
            fuzz::check(lines.contains(line), "a group's line comes from the list");
            fuzz::check(line.indexOf(QLatin1Char(',')) < line.indexOf(QLatin1Char(';')),
                        "a group's line has its comma before its semicolon");
        }
    }
    return 0;
}
