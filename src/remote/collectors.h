#pragma once

#include "mapcontrol/geometry.h"
#include "platform/result.h"

#include <QColor>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QImage;

// Field collector tracking: the collector list's lines and colours, the
// position files the gateway sends, their address and file name, and the
// drawing of the positions over a snapshot of the map. Plain rules, no
// window: the tracking window reads its controls and calls these. Collector
// list files ("*.rel") are the list's lines as plain text lines, read and
// written with platform::readTextLines and platform::writeTextLines.
namespace remote {

// The platform's colour integers: red in the low byte, then green, then blue.
constexpr int kAzulValue = 16711680;
constexpr int kVermelhoValue = 255;
constexpr int kPretoValue = 0;
constexpr int kVerdeValue = 32768;
constexpr int kAmareloValue = 65535;
constexpr int kCinzaValue = 8421504;

// One entry of the colour table: the name a list line may give and the
// platform integer of its colour.
struct NamedColour {
    const char* name;
    int value;
};
inline constexpr std::array<NamedColour, 6> kCollectorColours{{
    {"azul", kAzulValue},
    {"vermelho", kVermelhoValue},
    {"preto", kPretoValue},
    {"verde", kVerdeValue},
    {"amarelo", kAmareloValue},
    {"cinza", kCinzaValue},
}};

// Platform colour integer <-> colour (red in the low byte).
QColor colourFromValue(int value);
int colourValue(const QColor& colour);

// The colour a collector is drawn in before any line of the list names one.
QColor defaultCollectorColour();  // red, 255

// One line of the collector list: the prefix, and the colour part when the
// line has a comma (the text after the first comma, possibly empty).
struct CollectorLine {
    QString prefix;
    std::optional<QString> colourPart;

    friend bool operator==(const CollectorLine&, const CollectorLine&) = default;
};
CollectorLine parseCollectorLine(const QString& line);

// The colour a colour part names, after trimming the blanks around it: one
// of the six names of the table (exact, case-sensitive), or "RGB" / "rgb" as
// its first three characters followed by three whole numbers 0-255 (red,
// green, blue), each after a comma, blanks around them allowed
// ("RGB,0,128,255"). Nothing for any other text, a number out of range or
// missing, or a fourth number.
std::optional<QColor> collectorColour(const QString& colourPart);

// The colour "Côr" keeps from the colour dialog: pure red (255, 0, 0) becomes
// (255, 2, 2), because pure red is drawn transparent elsewhere; every other
// colour stays.
QColor registeredColour(const QColor& chosen);

// The list line "Cadastra" adds: prefix + ",RGB," + r + "," + g + "," + b in
// decimal, the colour passed through registeredColour.
QString registeredLine(const QString& prefix, const QColor& colour);

// A collector of one tick: its prefix and the colour its points take.
struct Collector {
    QString prefix;
    QColor colour;

    friend bool operator==(const Collector&, const Collector&) = default;
};

// The collectors of the list's lines, in order, one per line: the colour is
// red until a line's colour part names one; a line without a colour part, or
// whose colour part names none, keeps the colour of the line before it.
std::vector<Collector> collectorsOf(const QStringList& listLines);

// One reported position, in decimal degrees.
struct Position {
    QString name;
    double latitude = 0;   // y; negative is south
    double longitude = 0;  // x; negative is west

    friend bool operator==(const Position&, const Position&) = default;
};

// The positions of a position file's lines: three comma-separated fields,
// name, latitude and longitude, the numbers with "." as decimal point and
// blanks around them allowed. Lines of another form (a field too many or
// too few, a number that is not one, not finite, or outside -90..90 /
// -180..180) are skipped, so an error page the server sent instead draws
// nothing.
std::vector<Position> readPositions(const QStringList& lines);

// The pixel of a position on a picture of `size` showing `extent`:
// x = round((longitude - left) * width / (right - left)),
// y = round((top - latitude) * height / (top - bottom)).
// In pixels, rounded, possibly far outside the picture. Nothing when the
// extent is empty or flat, or the pixel is beyond what a double holds.
std::optional<QPointF> pixelOf(const mapcontrol::Rectangle& extent, QSize size,
                               const Position& position);

// A collector with the positions read for it this tick.
struct CollectorTrack {
    Collector collector;
    std::vector<Position> positions;
};

// Draws every track over `image` (the snapshot of the map, which shows
// `extent`), in order: circles 8 pixels across (corners x - 4, y - 4 and
// x + 4, y + 4), black outline, filled in the collector's colour, at every
// position, or only at the last one when `allPoints` is false. With both
// `allPoints` and `joinPoints`, each position is joined to the one before it
// by a line 3 pixels wide in the collector's colour (drawn after the
// position's circle); otherwise no lines.
void drawCollectors(QImage& image, const mapcontrol::Rectangle& extent,
                    const std::vector<CollectorTrack>& tracks, bool allPoints, bool joinPoints);

// The address of a collector's position list on the gateway: `gatewayHost` +
// "/cgi-bin/localiza.exe/mandalista?lista=" + the prefix percent-encoded
// (UTF-8; letters, digits and "-._~" stay as they are).
QString positionsUrl(const QString& gatewayHost, const QString& prefix);

// Whether `prefix` + ".pos" names a file inside the program folder: refused
// are prefixes that are empty or blank, or hold "/", "\", "..", ":" (a drive)
// or a control character (NUL among them).
bool isSafePrefix(const QString& prefix);

// The native path of a collector's position file: `programFolder`/prefix.pos.
// Nothing for a prefix isSafePrefix refuses.
std::optional<QString> positionFilePath(const QString& programFolder, const QString& prefix);

// Downloads `url` into the native file `path` (net::Session::download or a
// net::Downloader): the file is replaced only by an answer that came whole.
using DownloadFunction = std::function<platform::Result(const QString& url, const QString& path)>;

// One tick's downloads and reads: for each collector in order, its position
// file downloaded from the gateway into the program folder, then read. A
// collector whose prefix is unsafe, whose download fails or whose file
// cannot be read is left out, silently, as the tracking window wants; its
// old file is not read. A cancelled download ends the tick's downloads.
std::vector<CollectorTrack> fetchTracks(const std::vector<Collector>& collectors,
                                        const QString& gatewayHost, const QString& programFolder,
                                        const DownloadFunction& download);

}  // namespace remote
