// The settings file, read as the program reads it.
#include "fuzz_support.h"
#include "platform/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::Settings settings;
    (void)platform::parseSettings(fuzz::lines(data, size).join(QLatin1Char('\n')), settings);
    return 0;
}
