#pragma once

#include "platform/result.h"

#include <QString>

namespace samples {

// Writes the invented sample project into rootNativePath, the folder that
// plays the root of a drive: data under dados\, the project file
// projeto\amostra.jjj. Creates the folders as needed and replaces earlier
// sample files. The output is the same, byte for byte, on every run.
platform::Result writeSampleDrive(const QString& rootNativePath);

}  // namespace samples
