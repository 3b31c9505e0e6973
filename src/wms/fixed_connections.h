#pragma once

#include "mapcontrol/geometry.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace platform {
struct Settings;
}

// The fixed remote picture sources of the connections window: their request
// addresses byte for byte, the gateway's map list and the JPEG decoding of
// the global mosaic. Plain rules, no window; hosts come from the settings.
namespace wms {

// The items of the connection kind list (RadioGroup2), by index.
enum class FixedKind {
    MapGroups = 0,     // "Grupo-mapas": maps of the remote database drawn by the gateway
    Mosaic = 1,        // "Imagem-cont.": the global satellite mosaic
    Geology = 2,       // "Geol-mil-cont.": the geology map
    Relief90 = 3,      // "Relevo 90m"
    Relief30 = 4,      // "Relevo 30m"
    MineralGrids = 5,  // "ARIM´s": mineral-resource models and grids
    Disconnect = 6,    // "Desconecta": no request
};

// The picture types of the mosaic (radiogroup5 items 0 to 2; item 3 "Volta"
// asks nothing).
enum class MosaicType { Pan = 0, Composite = 1, DailyPlanet = 2 };

// The group number of "OUTROS MAPAS", whose maps are asked without "_lito".
inline constexpr int kOtherMapsGroup = 7;

// What a map of the map list is asked with (kind 0).
struct MapGroupRequest {
    QString mapName;
    int group = 0;
    QString searchCode;       // a plotted search result's code; empty: none
    bool drainage = false;    // "Drenagens" checked
    bool structural = false;  // "Estrutural" checked
    bool roads = false;       // "Estradas" checked
    bool towns = false;       // "Cidades" checked
};

// Everything one fixed connection request depends on besides the hosts, the
// extent and the picture size. The caller keeps it between requests, so a
// navigation step asks again with the same choice.
struct FixedRequest {
    FixedKind kind = FixedKind::Disconnect;
    MapGroupRequest map;                  // kind 0
    MosaicType mosaic = MosaicType::Pan;  // kind 1
    int mineralLayer = -1;                // kind 5: "Tipo-ARIM" item 0..8
};

// --- Request addresses (W × H in pixels; extents in decimal degrees). ---

// Kind 0: the gateway's picture of a map, with the optional parts in the
// order search, drainage, structural, roads, towns.
QString mapGroupUrl(const QString& gatewayHost, const MapGroupRequest& request, int width,
                    int height);

// Kind 1: the mosaic picture of `extent` (see bboxText).
QString mosaicUrl(const QString& mosaicHost, MosaicType type, const mapcontrol::Rectangle& extent,
                  int width, int height);

// Kind 2: the geology map.
QString geologyUrl(const QString& geologyHost, const mapcontrol::Rectangle& extent, int width,
                   int height);

// Kinds 3 and 4: the relief model of `layer` ("relevo90" or "relevo30").
QString reliefUrl(const QString& gridsHost, const QString& layer,
                  const mapcontrol::Rectangle& extent, int width, int height);

// The layer names of the "Tipo-ARIM" items, in item order.
const QStringList& mineralLayerNames();

// Kind 5: the mineral-resource layer `layer` (an entry of mineralLayerNames).
QString mineralGridUrl(const QString& gridsHost, const QString& layer,
                       const mapcontrol::Rectangle& extent, int width, int height);

// The request of any kind, hosts taken from `settings`. Empty when there is
// nothing to ask: "Desconecta", kind 0 without a map name, kind 5 without a
// layer chosen (an item outside 0..8).
QString fixedConnectionUrl(const platform::Settings& settings, const FixedRequest& request,
                           const mapcontrol::Rectangle& extent, int width, int height);

// The legend picture of a map of kind 0 ("_lito" always, as the gateway
// names its legends).
QString mapGroupLegendUrl(const QString& gatewayHost, const QString& mapName);

// The gateway's map list, saved as "lista.txt" in the program folder.
QString mapListUrl(const QString& gatewayHost);

// The geology map's features inside `extent` as GML (the "Vetor" button),
// opened in the web browser: the filter is sent as written, its blanks
// already "%20", the box's numbers with 12 decimals.
QString vectorUrl(const QString& gatewayHost, const mapcontrol::Rectangle& extent);

// --- The map list of kind 0. ---

// One group of the group combo (ComboBox2).
struct MapGroup {
    QString caption;
    int number = 0;
};

// The seven groups in combo order.
const std::vector<MapGroup>& mapGroups();

// A group's combo text: the caption padded with blanks to 30 characters
// (one blank at least), "," and the number.
QString mapGroupText(const MapGroup& group);

// The number after the first "," of a group combo text, blanks around it
// allowed. Nothing when there is no "," or no whole number after it ("ESCOLHA
// O GRUPO").
std::optional<int> groupNumber(const QString& text);

// The lines of the map list whose number between the first "," and the
// first ";" equals `group`, in file order. Lines without both, or with ";"
// before ",", or without a number there, belong to no group.
QStringList mapListLinesOfGroup(const QStringList& lines, int group);

// A map chosen in the map combo.
struct MapChoice {
    QString searchCode;  // empty when the line carries none
    QString mapName;
    mapcontrol::Rectangle extent;
};

// Reads a map line: the search code is the text between the first two "*"
// (that text and its stars are then left out of the rest); after the first
// ";" come the map name up to the next "," (trimmed) and top, left, bottom,
// right separated by ",", further fields ignored. Nothing for a line
// without ";", with an empty name, with fewer than four numbers or a field
// that is not a number, or whose extent is not a rectangle with a width and
// a height (left < right, bottom < top).
std::optional<MapChoice> parseMapLine(const QString& line);

// --- The mosaic's JPEG. ---

// A JPEG decoded with libjpeg, its error codes kept.
struct JpegDecode {
    // Format_RGB32. Null when decoding stopped before the size was known;
    // otherwise the picture's size, rows not decoded left white.
    QImage image;
    // The libjpeg message code (J_MESSAGE_CODE) of the error that stopped
    // decoding; nothing when it ran to the end (warnings such as a cut
    // stream are not errors).
    std::optional<int> error;
};

// Decodes `bytes`. A picture of more than `maxPixels` pixels is not
// decoded: its error is JERR_IMAGE_TOO_BIG and its image null.
JpegDecode decodeWithLibjpeg(const QByteArray& bytes, qint64 maxPixels = 400'000'000);

// What the mosaic's picture error shows: "Tente novamente..." for
// JERR_NO_QUANT_TABLE, nothing (empty; the picture is kept as decoded) for
// JERR_SOF_UNSUPPORTED and JERR_TOO_LITTLE_DATA, "Error loading JPEG file"
// for any other code.
QString kindOneJpegMessage(int code);

}  // namespace wms
