#pragma once

#include "mapcontrol/geometry.h"

#include <QString>
#include <QStringList>

#include <optional>

// Texts of the web map services client: number forms, layer entries and
// catalogue lines. Plain rules, no window.
namespace wms {

// `value` with `decimals` decimals, right-aligned with blanks in a field of
// at least `width` characters: fixedText(-74, 9, 12) is "-74.000000000",
// fixedText(5.5, 9, 12) is " 5.500000000". The decimal separator is "."
// whatever the locale; an exact half rounds away from zero; a value that
// rounds to zero has no sign; NaN and infinities are "NAN", "INF", "-INF".
QString fixedText(double value, int decimals, int width);

// The default real-number text form: a blank or "-", one digit, ".", 14
// digits, "E", the exponent's sign and four digits: 15 significant digits in
// all, as " 5.38289000000000E+0000" or "-7.38394320000000E+0001"; 0 is
// " 0.00000000000000E+0000".
QString defaultRealText(double value);

// A number typed in an edit or read from a file: blanks around it are
// allowed; a sign, digits with one ".", an exponent ("1e5", "+3", the forms
// above). Anything else ("5,3", "inf", a number beyond a double) gives 0.
double numberOrZero(const QString& text);

// The same number form read strictly: nothing instead of 0 for anything
// else.
std::optional<double> parseNumber(const QString& text);

// The four numbers of a request's bbox, each fixedText(v, 9, 12), joined by
// ",": left, bottom, right, top.
QString bboxText(const mapcontrol::Rectangle& extent);

// One layer entry of the layer list: service number, "*", title, ",", name.
struct LayerEntry {
    int service = -1;  // -1 when the text before "*" is not a number
    QString title;
    QString name;
};

// Builds the entry text.
QString layerEntryText(int service, const QString& title, const QString& name);

// Splits an entry at its first "*". The name is the text after the last ","
// of the entry (a layer name cannot hold a comma; titles may), the title the
// text between "*" and that comma (all of the rest, with an empty name, when
// no "," follows the "*"). Nothing when the entry has no "*".
std::optional<LayerEntry> parseLayerEntry(const QString& entry);

// The layer name of an entry as the identify and legend requests take it:
// the text after the entry's last ","; empty when it has none.
QString layerNameOf(const QString& entry);

// The service address of a catalogue line: the text after its last ","
// (the whole line when it has none).
QString catalogueAddress(const QString& line);

// The addresses of the catalogue lines whose text before the first ","
// equals `key` exactly (the text after that first ","), in file order. Lines
// without "," hold no address; an empty key (an empty answer) matches none.
QStringList addressesForKey(const QStringList& catalogueLines, const QString& key);

}  // namespace wms
