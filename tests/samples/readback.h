#pragma once

#include "support/fixtures/gdal_support.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gdal_priv.h>

// Reading back, through GDAL/OGR and as raw bytes, what the tests wrote.
namespace readback {

// Opens a shapefile with ENCODING="" so that text fields and field names come
// back as the bytes on disk, whatever the .cpg says.
inline GDALDatasetUniquePtr openVector(const QString& path) {
    fixtures::registerGdalDrivers();
    const char* const options[] = {"ENCODING=", nullptr};
    return GDALDatasetUniquePtr(GDALDataset::FromHandle(GDALOpenEx(
        QFile::encodeName(path).constData(), GDAL_OF_VECTOR, nullptr, options, nullptr)));
}

inline GDALDatasetUniquePtr openRaster(const QString& path) {
    fixtures::registerGdalDrivers();
    return GDALDatasetUniquePtr(GDALDataset::FromHandle(GDALOpenEx(
        QFile::encodeName(path).constData(), GDAL_OF_RASTER, nullptr, nullptr, nullptr)));
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every line end in the bytes is CR LF.
inline bool allLinesEndWithCrLf(const QByteArray& bytes) {
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        if (bytes[k] == '\n' && (k == 0 || bytes[k - 1] != '\r')) {
            return false;
        }
        if (bytes[k] == '\r' && (k + 1 == bytes.size() || bytes[k + 1] != '\n')) {
            return false;
        }
    }
    return bytes.endsWith("\r\n");
}

}  // namespace readback
