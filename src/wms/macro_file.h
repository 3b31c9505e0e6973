#pragma once

#include "platform/result.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// WMS macro files ("*.end"): the extent edits, the services and the layer
// entries with their check marks, one item per line.
namespace wms {

struct MacroFile {
    QString north, south, east, west;              // lines 1 to 4 as written
    QStringList services;                          // "A;" lines
    std::vector<std::pair<QString, bool>> layers;  // "B;" lines: entry, checked
};

// The file's lines: the four extent texts, "A;" + address per service,
// "B;#" + entry (checked) or "B;" + entry per layer.
QStringList macroLines(const MacroFile& macro);

// Reads lines back: lines 1 to 4 (missing ones empty) are the extent texts;
// every line is also tested for "A;" and "B;" (the first four match neither
// in a file the program wrote); lines shorter than two characters and other
// prefixes are skipped.
MacroFile parseMacroLines(const QStringList& lines);

// Writes the file (Windows-1252, CR LF, replaced only when whole). In
// titles and the extent texts a character the code page cannot hold is
// written as "?"; in a service address or a layer name (the text after an
// entry's last ",") it is refused with a message naming that address or
// name, as is a line break inside an item, and the old file stays.
platform::Result writeMacroFile(const QString& nativePath, const MacroFile& macro);

// Reads the file's lines (CR LF or LF) with parseMacroLines; a file that
// cannot be read is a failure with an empty macro.
struct MacroRead {
    platform::Result result;
    MacroFile macro;
};
MacroRead readMacroFile(const QString& nativePath);

}  // namespace wms
