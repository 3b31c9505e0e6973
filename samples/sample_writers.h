#pragma once

#include "platform/result.h"

#include <QString>

// Writers of the sample drive's data files, each into the given data folder
// (a native path that exists).
namespace samples {

platform::Result writeGeology(const QString& dataFolder);
platform::Result writeFaults(const QString& dataFolder);
platform::Result writeSamplePoints(const QString& dataFolder);
platform::Result writeRelief(const QString& dataFolder);

}  // namespace samples
