#pragma once

#include "mapcontrol/geometry.h"

#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QImage;

// The result of a remote database search, plotted on the picture of the
// main window: the result file's name taken from the saved search page, the
// points read from the result file, their drawing, and the spreadsheet form
// of the file. Plain rules; the search window downloads and saves.
namespace remote {

// The result file's name, or why there is none.
struct ResultName {
    std::optional<QString> name;
    QString message;  // for the user when there is no name
};

// The name of the result file on the gateway: the fourth line of the saved
// search page (parametro.txt) without its first 11 characters. The name
// becomes a file of the program folder that "Desconecta" deletes again, so
// only a plain file name is taken (letters, digits, "_", "-" and ".", not
// starting with "."), and never one of programOwnFileNames in any letter
// case; a refused name's message names it.
ResultName resultFileName(const QStringList& parametroLines);

// The names of the program's own files (the executable, its settings and
// configuration files, its working and list files), in lower case.
const QStringList& programOwnFileNames();

// One found record of the result file.
struct SearchPoint {
    int number = 0;  // its data line, from 1 (the number drawn beside it)
    double latitude = 0.0;
    double longitude = 0.0;

    friend bool operator==(const SearchPoint&, const SearchPoint&) = default;
};

// The records of a result file: the first line is a header; every further
// line is comma-separated with the latitude in field 2 and the longitude in
// field 3. A line without both as finite numbers is skipped (its number is
// not given to the next line).
std::vector<SearchPoint> readResultFile(const QStringList& lines);

// The drawing space of a plot: the larger side of the extent spans
// 4,000,000 logical units and the other side its share (rounded to a whole
// unit); y grows upwards from the bottom-left corner; the logical space fills
// the picture (pixel size `picture`), each axis scaled on its own.
class PlotFrame {
public:
    static constexpr double kLongSide = 4'000'000;
    static constexpr double kCircleRadius = 16'000;  // logical units
    static constexpr double kNumberDx = -70'000;     // the number's top-left from the point
    static constexpr double kNumberDy = 90'000;
    static constexpr double kNumberedWidth = 0.3333;  // numbers only for extents this narrow

    // Nothing for an empty extent, one without width or height, or an empty picture.
    static std::optional<PlotFrame> make(const mapcontrol::Rectangle& extent, QSize picture);

    double logicalWidth() const { return m_logicalWidth; }
    double logicalHeight() const { return m_logicalHeight; }
    // Logical coordinates of a point: each rounded to the nearest whole unit.
    QPointF logicalPoint(double latitude, double longitude) const;
    // Picture coordinates (pixels, y down) of a logical point.
    QPointF pixel(const QPointF& logical) const;
    bool drawsNumbers() const { return m_extent.width() <= kNumberedWidth; }

private:
    PlotFrame(const mapcontrol::Rectangle& extent, QSize picture, double w, double h)
        : m_extent(extent), m_picture(picture), m_logicalWidth(w), m_logicalHeight(h) {}

    mapcontrol::Rectangle m_extent;
    QSize m_picture;
    double m_logicalWidth;
    double m_logicalHeight;
};

// Draws the points on `picture`, whose whole area shows `extent`: each a
// circle of kCircleRadius logical units, black outline, filled yellow
// (255, 255, 0), with its number at kNumberDx, kNumberDy when the extent is
// at most kNumberedWidth wide. Points far outside the picture are not drawn.
// Returns how many circles were drawn; 0 (nothing touched) when the frame
// cannot be made.
int plotSearchPoints(QImage& picture, const mapcontrol::Rectangle& extent,
                     const std::vector<SearchPoint>& points);

// The result file for a spreadsheet: in every line each ",2," becomes ","
// and then each "," a tab; in the data lines (all but the first) each "."
// also becomes "," (decimal commas).
QStringList spreadsheetLines(const QStringList& lines);

}  // namespace remote
