// The theme-line rules: display part, path, layer and base names, kind.
#include "files/theme_line.h"
#include "fuzz_support.h"
#include "workspace/theme_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const QString& line : fuzz::lines(data, size)) {
        const QString path = files::themePath(line);
        fuzz::check(line.endsWith(path), "the path is the line's end");
        (void)files::themeKind(path);
        (void)files::colourFilePath(path);
        (void)files::namesShapefile(line);
        const QString layer = files::layerName(line);
        fuzz::check(!layer.contains(QLatin1Char('\\')), "a layer name has no folders");
        (void)workspace::themeBaseName(line);
    }
    return 0;
}
