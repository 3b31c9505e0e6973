// conf.dat and config.dat as the program reads them at start.
#include "app/configuration_files.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    app::StartupFiles files;
    const QStringList lines = fuzz::lines(data, size);
    app::parseConfigDat(lines, files);
    fuzz::check(!files.projectPath || lines.value(1) == QLatin1String("S"),
                "a project only with S");
    return 0;
}
