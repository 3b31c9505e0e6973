// Colour files, for every geometry: bounded tables, whatever the counts say.
#include "files/colour_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    for (const char* geometry : {"poligono", "linha", "ponto", "retangulo"}) {
        const files::ColourTable table = files::parseColourFile(lines, QString::fromLatin1(geometry));
        fuzz::check(table.entries.size() <= 8001, "at most 8001 classes");
    }
    return 0;
}
