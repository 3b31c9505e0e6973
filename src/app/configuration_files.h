#pragma once

#include "platform/result.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class DriveTable;
}

namespace app {

// What conf.dat and config.dat in the configuration folder say.
struct StartupFiles {
    // conf.dat: its first line, the record pages' host; nothing without the file.
    std::optional<QString> gatewayLine;
    // config.dat present at all (the command line is then ignored).
    bool hasConfig = false;
    // config.dat line 1, first character; nothing when the line is empty.
    std::optional<QChar> dataDrive;
    // config.dat line 3, read only when line 2 is exactly "S".
    std::optional<QString> projectPath;
};

// What config.dat's lines say (conf.dat's first line is taken as it is).
void parseConfigDat(const QStringList& lines, StartupFiles& files);

// Reads both files from `configFolder` (Windows form) through the drive
// table. A missing file is skipped silently; one that exists but cannot be
// read gives a failure (with what was read before it kept in `files`).
platform::Result readStartupFiles(const QString& configFolder, const platform::DriveTable& drives,
                                  StartupFiles& files);

}  // namespace app
