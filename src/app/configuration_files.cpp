#include "app/configuration_files.h"

#include "platform/drives.h"
#include "platform/text_file.h"

#include <QFileInfo>

namespace app {

platform::Result readStartupFiles(const QString& configFolder, const platform::DriveTable& drives,
                                  StartupFiles& files) {
    if (const auto conf = drives.toNative(configFolder + QStringLiteral("\\conf.dat"));
        conf && QFileInfo::exists(*conf)) {
        const platform::TextLines text = platform::readFirstTextLine(*conf);
        if (!text.result) {
            return text.result;
        }
        files.gatewayLine = text.lines.value(0);
    }
    const auto config = drives.toNative(configFolder + QStringLiteral("\\config.dat"));
    if (!config || !QFileInfo::exists(*config)) {
        return platform::Result::success();
    }
    files.hasConfig = true;
    const platform::TextLines text = platform::readTextLines(*config);
    if (!text.result) {
        return text.result;
    }
    parseConfigDat(text.lines, files);
    return platform::Result::success();
}

void parseConfigDat(const QStringList& lines, StartupFiles& files) {
    const QString first = lines.value(0);
    if (!first.isEmpty()) {
        files.dataDrive = first.at(0);
    }
    if (lines.value(1) == QLatin1String("S") && lines.size() >= 3) {
        files.projectPath = lines.at(2);
    }
}

}  // namespace app
