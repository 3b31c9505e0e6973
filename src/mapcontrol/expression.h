#pragma once

#include "mapcontrol/attribute_table.h"

#include <QString>

#include <memory>
#include <variant>
#include <vector>

namespace mapcontrol {

struct ExpressionError {
    QString message;  // for the user, in Portuguese
    // Index in the expression text (from 0) of the character where the fault
    // was found; the text's length when the text ended too early.
    int position = 0;
};

// A condition on the attributes of one table, written as an SQL WHERE clause,
// parsed once and then tested on rows. It is not a general SQL evaluator:
// there is no arithmetic, no functions and no three-valued logic.
//
// Syntax: fields by bare name, [bracketed] or "double-quoted" (case-
// insensitive; a keyword used as a field name must be bracketed or quoted);
// 'single-quoted' texts with '' for a quote; numbers such as 12, -3.5, .5,
// 1e-3; comparisons = <> != < <= > >=; [not] like; is [not] null;
// [not] in (v1, v2, ...); [not] between a and b; not, and, or (binding in
// that order, tightest first) and parentheses. Keywords ignore case; the
// literal null may stand anywhere a value may.
//
// Meaning:
// - Texts compare exactly, case-sensitively, by UTF-16 code unit (so also in
//   order: "B" < "a"). like matches the whole text: % any run of characters,
//   _ exactly one UTF-16 code unit; 'A%' does not match "abc".
// - When one side is a number (numeric field or number literal) and the
//   other a text (text field or quoted text), the text is read as a number by
//   the rule of AttributeTable::number; when it is not one, the comparison is
//   false - for every operator, <> included.
// - like on a numeric field matches the field's text (AttributeTable::text).
// - A comparison, like, in or between (negated forms included) with a null
//   value is false. The not operator simply inverts, so `not (A = 1)` holds
//   on rows where A is null while `A <> 1` does not.
// - x in (a, b) is x = a or x = b; x not in (a, b) is x <> a and x <> b;
//   x between a and b is x >= a and x <= b; x not between a and b is
//   x < a or x > b.
//
// An Expression holds the column numbers of the table it was parsed against;
// used on a table whose fields differ in number or kind, it matches nothing.
class Expression {
public:
    // Deepest nesting of parentheses and `not` that parse accepts.
    static constexpr int maxNesting = 200;

    // Parses `text` against the fields of `table`. Never throws: any fault,
    // including an empty text or an unknown field, gives an error.
    static std::variant<Expression, ExpressionError> parse(const QString& text,
                                                           const AttributeTable& table);

    // False for a row out of range.
    bool matches(const AttributeTable& table, qsizetype row) const;
    // Rows that match, ascending.
    std::vector<qsizetype> select(const AttributeTable& table) const;
    // Same, restricted to `candidates`, ascending; rows out of range are
    // dropped, and candidates out of order or repeated are tolerated.
    std::vector<qsizetype> select(const AttributeTable& table,
                                  const std::vector<qsizetype>& candidates) const;

    struct Program;

private:
    explicit Expression(std::shared_ptr<const Program> program) : m_program(std::move(program)) {}

    std::shared_ptr<const Program> m_program;
};

}  // namespace mapcontrol
