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
        fuzz::check(!files::namesShapefile(line) || files::namesVectorTheme(line),
                    "a shapefile's line is a vector theme's");
        const files::ThemeSource source = files::themeSource(path);
        fuzz::check(files::themeSourcePath(source.file, source.layer) == path ||
                        (source.layer.isEmpty() && path.endsWith(files::kLayerNameTag)),
                    "a path splits into its file and layer and back");
        fuzz::check(path.startsWith(files::themeFilePath(path)), "a theme's file starts its path");
        const QString layer = files::layerName(line);
        fuzz::check(!layer.contains(QLatin1Char('\\')), "a layer name has no folders");
        (void)workspace::themeBaseName(line);
    }
    return 0;
}
