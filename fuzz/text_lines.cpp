// The text files every other file is read through: Windows-1252 bytes, any
// line ends. Every byte decodes and encodes back.
#include "fuzz_support.h"
#include "platform/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray raw = fuzz::bytes(data, size);
    bool lossless = false;
    fuzz::check(platform::encodeWindows1252(platform::decodeWindows1252(raw), &lossless) == raw,
                "bytes round-trip");
    for (const QString& line : platform::splitTextLines(raw)) {
        fuzz::check(!line.contains(QLatin1Char('\n')), "no line end inside a line");
    }
    return 0;
}
