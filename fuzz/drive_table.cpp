// The drive table: entries as QUELVORA_DRIVES and drives.conf give them,
// then paths from the rest of the input, resolved under one empty folder so
// that the run does not wander the disk.
#include "fuzz_support.h"
#include "platform/drives.h"

#include <QDir>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir root;
    const QStringList lines = fuzz::lines(data, size);
    platform::DriveTable table;
    (void)table.addEntries(lines.value(0));
    for (const QChar letter : table.letters()) {
        table.setRoot(letter, root.path());
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (const std::optional<QString> native = table.toNative(lines[i])) {
            fuzz::check(native->startsWith(root.path()), "a path stays on its drive");
            (void)table.toWindows(*native);
        }
        (void)platform::hasDriveLetter(lines[i]);
    }
    return 0;
}
