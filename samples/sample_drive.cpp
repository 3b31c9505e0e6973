#include "sample_drive.h"

#include "sample_writers.h"

#include "platform/text_file.h"

#include <QDir>

namespace samples {

namespace {

using platform::Result;

// Themes top of the list first; a leading '*' marks a theme switched off.
// The relief is off so that the vector themes show.
struct Theme {
    QString fileName;
    bool visible;
};

// Project lines: the file name padded by 26 blanks, a comma, then the data
// file's path relative to the drive root with backslashes.
QStringList projectLines() {
    const QList<Theme> themes{{QStringLiteral("amostras.shp"), true},
                              {QStringLiteral("falhas.shp"), true},
                              {QStringLiteral("geologia.shp"), true},
                              {QStringLiteral("relevo.tif"), false}};
    const QString padding(26, QLatin1Char(' '));
    QStringList lines;
    for (const Theme& theme : themes) {
        lines.append((theme.visible ? QString() : QStringLiteral("*")) + theme.fileName + padding +
                     QStringLiteral(",dados\\") + theme.fileName);
    }
    return lines;
}

}  // namespace

platform::Result writeSampleDrive(const QString& rootNativePath) {
    const QDir root(QDir::fromNativeSeparators(rootNativePath));
    for (const char* folder : {"dados", "projeto"}) {
        if (!root.mkpath(QLatin1String(folder))) {
            return Result::failure(QStringLiteral("Não foi possível criar a pasta %1")
                                       .arg(QDir::toNativeSeparators(root.filePath(folder))));
        }
    }
    const QString data = QDir::toNativeSeparators(root.filePath("dados"));
    for (auto* writer : {writeGeology, writeFaults, writeSamplePoints, writeRelief}) {
        if (Result result = writer(data); !result) {
            return result;
        }
    }
    return platform::writeTextLines(QDir::toNativeSeparators(root.filePath("projeto/amostra.jjj")),
                                    projectLines());
}

}  // namespace samples
