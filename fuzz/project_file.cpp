// Project files: the lines become theme entries; written back and read
// again they give the same entries.
#include "files/project_file.h"
#include "files/project_lines.h"
#include "fuzz_support.h"
#include "platform/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    const std::vector<files::ThemeEntry> entries = files::themeEntriesFromProjectLines(lines, 'D');
    fuzz::check(entries.size() == static_cast<std::size_t>(lines.size()), "one entry per line");
    // The written file, through the encoding and line ends of the disk.
    QByteArray written;
    for (const QString& line : files::projectFileLines(entries)) {
        written += platform::encodeWindows1252(line) + "\r\n";
    }
    const std::vector<files::ThemeEntry> again =
        files::themeEntriesFromProjectLines(platform::splitTextLines(written), 'D');
    fuzz::check(again == entries, "a written project reads back the same");
    (void)files::firstThemePath(lines, 'D');
    return 0;
}
