// GetCapabilities documents: both readers and the answer check take any
// bytes, every entry carries the service number it was read for, and boxes
// are finite numbers.
#include "wms/capabilities.h"
#include "fuzz_support.h"
#include "wms/wms_text.h"

#include <cmath>

namespace {

constexpr int kService = 7;

void checkRead(const wms::Capabilities& read) {
    for (const QString& entry : read.entries) {
        const std::optional<wms::LayerEntry> parsed = wms::parseLayerEntry(entry);
        fuzz::check(parsed.has_value(), "an entry has a \"*\"");
        fuzz::check(parsed->service == kService, "an entry carries its service number");
    }
    if (read.firstBox) {
        const wms::LatLonBox& b = *read.firstBox;
        fuzz::check(std::isfinite(b.minx) && std::isfinite(b.miny) && std::isfinite(b.maxx) &&
                        std::isfinite(b.maxy),
                    "a finite box");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray document = fuzz::bytes(data, size);
    const wms::Capabilities lines = wms::readCapabilitiesByLines(document, kService);
    const wms::Capabilities xml = wms::readCapabilitiesAsXml(document, kService);
    const wms::Capabilities read = wms::readCapabilities(document, kService);
    checkRead(lines);
    checkRead(xml);
    checkRead(read);
    fuzz::check(read.entries == lines.entries || read.entries == xml.entries,
                "the result is one reader's");
    wms::ExtentExtremes extremes;
    if (read.firstBox) extremes.add(*read.firstBox);
    fuzz::check(std::isfinite(extremes.north) && std::isfinite(extremes.west), "finite extremes");
    // The listed systems: each once, none empty or with a blank.
    const QStringList systems = wms::readListedSystems(document);
    QStringList once = systems;
    fuzz::check(once.removeDuplicates() == 0, "each system once");
    for (const QString& code : systems) {
        fuzz::check(!code.isEmpty() && !code.contains(QLatin1Char(' ')), "a system is one word");
    }
    // The check before the read: a refusal always says something.
    const platform::Result answer = wms::checkCapabilitiesAnswer(document);
    fuzz::check(answer.ok == wms::isCapabilitiesDocument(document), "the check is the root's");
    fuzz::check(answer.ok || !answer.message.isEmpty(), "a refusal has a message");
    return 0;
}
