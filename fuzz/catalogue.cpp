// The service catalogue and layer entries: addresses and keys come out of
// any line, and a well-formed entry is rebuilt from its parts.
#include "fuzz_support.h"
#include "wms/wms_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    for (const QString& line : lines) {
        const QString address = wms::catalogueAddress(line);
        fuzz::check(!address.contains(QLatin1Char(',')) && line.endsWith(address),
                    "the address ends the line after its last comma");

        const QString name = wms::layerNameOf(line);
        fuzz::check(!name.contains(QLatin1Char(',')) && line.endsWith(name),
                    "the layer name ends the entry");
        const std::optional<wms::LayerEntry> entry = wms::parseLayerEntry(line);
        fuzz::check(entry.has_value() == line.contains(QLatin1Char('*')), "entries have a \"*\"");
        if (!entry) continue;
        fuzz::check(!entry->name.contains(QLatin1Char(',')), "no comma in a layer name");
        const qsizetype star = line.indexOf(QLatin1Char('*'));
        if (line.lastIndexOf(QLatin1Char(',')) > star) {
            fuzz::check(entry->name == name, "the name is after the last comma");
            if (entry->service >= 0 && QString::number(entry->service) == line.left(star)) {
                fuzz::check(wms::layerEntryText(entry->service, entry->title, entry->name) == line,
                            "an entry is rebuilt from its parts");
            }
        }
    }
    if (!lines.isEmpty()) {
        const QString key = lines.first().section(QLatin1Char(','), 0, 0);
        const QStringList addresses = wms::addressesForKey(lines, key);
        fuzz::check(addresses.size() <= lines.size(), "at most one address per line");
        for (const QString& address : addresses) {
            fuzz::check(lines.contains(key + QLatin1Char(',') + address),
                        "an address follows its key and first comma");
        }
    }
    return 0;
}
