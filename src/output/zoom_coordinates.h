#pragma once

#include "mapcontrol/geometry.h"

#include <QSize>
#include <QString>
#include <QStringList>

namespace output {

// A corner value in degrees, minutes and seconds as the zoom window shows
// it: the degrees carry the sign (integers right-aligned in 4 characters),
// minutes and seconds are magnitudes (seconds with 4 decimals). A value
// between 0 and -1 degree shows its degrees as "-0" so that it keeps its sign.
struct DmsTexts {
    QString degrees;
    QString minutes;
    QString seconds;
};
DmsTexts dmsTexts(double value);

// The value of degrees, minutes and seconds typed by the user: degrees +
// minutes/60 + seconds/3600, or minus both for negative degrees (also
// "-0"). Texts that are not numbers read as 0.
double cornerValue(const QString& degrees, const QString& minutes, const QString& seconds);

// A decimal degree text with 8 decimals in a field of at least 10.
QString decimalText(double value);

// Degrees, minutes and seconds from a decimal text with "," as separator
// (as zoom files hold them): degrees the text before the ","; minutes the
// whole part of the fraction × 60; seconds what remains × 60 (8 decimals,
// width 10).
DmsTexts dmsFromCommaText(const QString& text);

// The world file of a picture of `pixels` showing `extent`: pixel width,
// two zero rotations, minus the pixel height, the left and the top edges.
QStringList worldFileLines(const mapcontrol::Rectangle& extent, QSize pixels);
// The world file beside a picture (native path): in the picture's folder,
// the picture's file name up to and including its first "." followed by
// "tfw" ("mapa.tif" gives "mapa.tfw"; dots in folder names do not count).
QString worldFilePath(const QString& picturePath);

// The corners of a zoom file, as decimal texts.
struct ZoomCorners {
    QString left;    // upper-left longitude
    QString top;     // upper-left latitude
    QString right;   // lower-right longitude
    QString bottom;  // lower-right latitude
};
// Four lines clockwise from the upper left, each "longitude      latitude"
// with the first "." of each text made a ",".
QStringList zoomFileLines(const ZoomCorners& corners);
// Lines 1 and 3 of a zoom file: the text before the first blank is the
// longitude, the rest (trimmed) the latitude. Missing lines read as empty.
ZoomCorners readZoomFile(const QStringList& lines);

}  // namespace output
