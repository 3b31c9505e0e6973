// The attribute expressions of queries, parsed against a small table and
// tested on its rows.
#include "fuzz_support.h"
#include "mapcontrol/attribute_table.h"
#include "mapcontrol/expression.h"

namespace {

const mapcontrol::AttributeTable& table() {
    static const mapcontrol::AttributeTable t = [] {
        mapcontrol::AttributeTable table({{QStringLiteral("NOME"), mapcontrol::FieldType::Text},
                                          {QStringLiteral("VAL"), mapcontrol::FieldType::Double},
                                          {QStringLiteral("ID"), mapcontrol::FieldType::Integer}});
        const char* names[] = {"Serra", "vale", "", "K2pv"};
        for (int row = 0; row < 4; ++row) {
            table.appendText(0, QString::fromLatin1(names[row]));
            table.appendNumber(1, row * 12.5 - 3);
            if (row == 2) {
                table.appendNull(2);
            } else {
                table.appendNumber(2, row);
            }
        }
        return table;
    }();
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const auto parsed = mapcontrol::Expression::parse(text, table());
    if (const auto* expression = std::get_if<mapcontrol::Expression>(&parsed)) {
        for (qsizetype row = 0; row < table().rowCount(); ++row) {
            (void)expression->matches(table(), row);
        }
    }
    return 0;
}
