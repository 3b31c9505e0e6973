#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The link between identified features and the remote database's record
// pages: what identify collects from a record (LinkState), the record page
// address built from it, the decision taken at the end of an identify click,
// and the "Busca Kestram" look-up over the attribute window's lines. Plain
// rules, no window: the main window owns the LinkState and the windows load
// the addresses.
namespace remote {

// Shown when a single map sheet of an index layer is marked "N".
extern const QString kNotInDatabaseMessage;

// Shape kinds as the map control numbers them.
inline constexpr int kPointShape = 21;
inline constexpr int kLineShape = 22;
inline constexpr int kPolygonShape = 23;

// What identify (with the "KESTRAM" check box on) collected from the first
// record found. Points fill the record kind ("GEOQUIMICA", "GEOCRONOLOGIA",
// "AFLORAMENTOS", "RECMIN"), the key, latitude (first), longitude (second)
// and origin (third); polygons the map kind ("GEOLOGIA", "PROJETO",
// "INDICE"), the unit, project or sheet code (first), the availability flag
// "S" or "N" (second) and the group (third). Lines fill nothing.
struct LinkState {
    int shapeKind = 0;  // 21 points, 22 lines, 23 polygons; 0 before any identify
    QString recordKind;
    QString mapKind;
    QString key;
    QString first;
    QString second;
    QString third;
    bool found = false;  // a key, latitude, longitude, unit, project or index field was read

    friend bool operator==(const LinkState&, const LinkState&) = default;
};

// One record's fields as (name, value), in the layer's field order.
using RecordFields = std::vector<std::pair<QString, QString>>;

// Takes the first found record of an identify into `state`. The shape kind
// becomes `shapeType` and both kinds are emptied at every call; the key and
// the three values change only when their field is present, so values of an
// earlier record stay otherwise. Field names are compared exactly (case
// included) and looked up in this order, a later one overriding an earlier
// one: points N_LAB, CODIGO, AFLORAMENT, CODIGO_OBJ (each the key and its
// record kind), LATITUDE, LAT (first), LONGITUDE, LONG, LON (second), ORIGEM
// (third); polygons SIGLA_UNID ("GEOLOGIA", second "S"), PROJETO ("PROJETO",
// second "S"), INDICE ("INDICE", second "N") (each the first value), GRUPO
// (third), KESTRAM (second). The found flag is only ever set here: ORIGEM,
// GRUPO and KESTRAM do not set it. A name held by several fields takes the
// last of them.
void fillLinkState(LinkState& state, int shapeType, const RecordFields& fields);

// The record page of `state`: "http:\\" + gatewayLine + a backslash path
// (the web view accepts backslashes). Polygons: map kind GEOLOGIA, PROJETO,
// or INDICE with second value "S"; points: record kind RECMIN, GEOQUIMICA,
// GEOCRONOLOGIA or AFLORAMENTOS. Nothing for any other state (the window
// then keeps what it shows).
std::optional<QString> recordPageAddress(const LinkState& state, const QString& gatewayLine);

// What the end of an identify click with the "KESTRAM" check box on does
// (after hiding "Busca Kestram" in every case).
enum class IdentifyEnd {
    Nothing,          // no linkable field was read, or no rule applies
    ShowRecordPage,   // show the record page window (it loads recordPageAddress)
    NotInDatabase,    // show kNotInDatabaseMessage
    ShowSearchButton  // show "Busca Kestram" and the attribute window
};

// Decides the end of an identify click that found `recordCount` records and
// clears the found flag. Without the flag: Nothing. With two or more
// records: ShowSearchButton. With exactly one: ShowRecordPage when the second
// value is "S", NotInDatabase when it is "N". A single point record whose key
// field was read (its record kind is set and its key is not empty) also gives
// ShowRecordPage: for points the second value holds the longitude, never "S"
// or "N", so without this a single sample could never reach its own page.
IdentifyEnd finishIdentify(LinkState& state, int recordCount);

// What "Busca Kestram" found in the attribute window's lines.
struct RecordSearch {
    LinkState state;  // the updated state: shape kind, kind and first value
    QString address;  // "http:\\" + gatewayLine + "\pls\vorn\..." + value
};

// "Busca Kestram" over the shown record's lines ("FIELD : value"), tested in
// order, a later match overriding an earlier one: a line holding "N_LAB"
// (point, GEOQUIMICA), field name exactly "CODIGO" (point, GEOCRONOLOGIA),
// first ten characters "CODIGO_OBJ" (point, RECMIN), holding "COD_AFLORAMENTO"
// (point, AFLORAMENTO), holding "SIGLA_UNID" (polygon, GEOLOGIA), holding
// "PROJETO" (polygon, PROJETO). The value is the text after the line's first
// ":", its leading blank kept. The match sets the shape kind, the record kind
// (points) or the map kind (polygons) and the first value of `state`; the
// other slots stay. Nothing when no line matches.
//
// The window loads the address and shows the record page window. When that
// window was hidden, its show step would build recordPageAddress from the
// updated state, whose key and second value still come from identify's first
// record: for a point that is another record's page. So the window should run
// its show step first and load this address after it, leaving the chosen
// record's page on screen.
std::optional<RecordSearch> searchRecord(const LinkState& state, const QStringList& lines,
                                         const QString& gatewayLine);

}  // namespace remote
