#include "mapcontrol/expression.h"

#include <random>

#include <gtest/gtest.h>

using mapcontrol::AttributeTable;
using mapcontrol::Expression;
using mapcontrol::ExpressionError;
using mapcontrol::FieldInfo;
using mapcontrol::FieldType;

namespace {

using Rows = std::vector<qsizetype>;

// Row  NAME     VAL     CNT   CODE
//  0   Alpha    1.5     10    "12"
//  1   abc      500.5   20    " 7 "
//  2   Beta     1000    30    "x"
//  3   A_b%c    -2      null  "007"
//  4   null     null    40    null
//  5   It's     0       50    "1e2"
//  6   ""       250     60    ""
AttributeTable sampleTable() {
    AttributeTable table({FieldInfo{"NAME", FieldType::Text}, FieldInfo{"VAL", FieldType::Double},
                          FieldInfo{"CNT", FieldType::Integer},
                          FieldInfo{"CODE", FieldType::Text}});
    struct Row {
        const char16_t* name;
        std::optional<double> val;
        std::optional<double> cnt;
        const char16_t* code;
    };
    const Row rows[] = {
        {u"Alpha", 1.5, 10, u"12"}, {u"abc", 500.5, 20, u" 7 "}, {u"Beta", 1000, 30, u"x"},
        {u"A_b%c", -2, {}, u"007"}, {nullptr, {}, 40, nullptr},  {u"It's", 0, 50, u"1e2"},
        {u"", 250, 60, u""},
    };
    for (const Row& row : rows) {
        row.name ? table.appendText(0, row.name) : table.appendNull(0);
        row.val ? table.appendNumber(1, *row.val) : table.appendNull(1);
        row.cnt ? table.appendNumber(2, *row.cnt) : table.appendNull(2);
        row.code ? table.appendText(3, row.code) : table.appendNull(3);
    }
    return table;
}

const AttributeTable& sample() {
    static const AttributeTable table = sampleTable();
    return table;
}

// The rows `text` selects in the sample table, after checking that the
// row-by-row test and the restricted selection agree with the full one.
Rows select(const QString& text, const AttributeTable& table = sample()) {
    const auto parsed = Expression::parse(text, table);
    if (const auto* error = std::get_if<ExpressionError>(&parsed)) {
        ADD_FAILURE() << text.toStdString() << ": " << error->message.toStdString() << " at "
                      << error->position;
        return {};
    }
    const Expression& expression = std::get<Expression>(parsed);
    const Rows selected = expression.select(table);
    Rows matched;
    Rows all;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        all.push_back(row);
        if (expression.matches(table, row)) {
            matched.push_back(row);
        }
    }
    EXPECT_EQ(selected, matched) << text.toStdString();
    EXPECT_EQ(expression.select(table, all), selected) << text.toStdString();
    return selected;
}

ExpressionError errorOf(const QString& text, const AttributeTable& table = sample()) {
    const auto parsed = Expression::parse(text, table);
    if (!std::holds_alternative<ExpressionError>(parsed)) {
        ADD_FAILURE() << text.toStdString() << " parsed";
        return {};
    }
    return std::get<ExpressionError>(parsed);
}

}  // namespace

TEST(Expression, comparisonOperatorsOnNumbers) {
    EXPECT_EQ(select("VAL = 250"), (Rows{6}));
    EXPECT_EQ(select("VAL <> 250"), (Rows{0, 1, 2, 3, 5}));
    EXPECT_EQ(select("VAL != 250"), (Rows{0, 1, 2, 3, 5}));
    EXPECT_EQ(select("VAL < 1.5"), (Rows{3, 5}));
    EXPECT_EQ(select("VAL <= 1.5"), (Rows{0, 3, 5}));
    EXPECT_EQ(select("VAL > 250"), (Rows{1, 2}));
    EXPECT_EQ(select("VAL >= 250"), (Rows{1, 2, 6}));
    EXPECT_EQ(select("CNT >= 40"), (Rows{4, 5, 6}));
}

TEST(Expression, comparisonOperatorsOnTextsUseCodeUnitOrder) {
    EXPECT_EQ(select("NAME = 'Beta'"), (Rows{2}));
    EXPECT_EQ(select("NAME <> 'Beta'"), (Rows{0, 1, 3, 5, 6}));
    EXPECT_EQ(select("NAME < 'B'"), (Rows{0, 3, 6}));  // "abc" sorts after "B"
    EXPECT_EQ(select("NAME >= 'a'"), (Rows{1}));
    EXPECT_EQ(select("NAME = ''"), (Rows{6}));
}

TEST(Expression, textComparisonIsCaseSensitive) {
    EXPECT_EQ(select("NAME = 'beta'"), Rows{});
    EXPECT_EQ(select("NAME = 'ABC'"), Rows{});
}

TEST(Expression, likeIsCaseSensitive) {
    EXPECT_EQ(select("NAME like 'A%'"), (Rows{0, 3}));
    EXPECT_EQ(select("NAME like 'a%'"), (Rows{1}));
}

TEST(Expression, likePercentMatchesAnyRunIncludingNone) {
    EXPECT_EQ(select("NAME like '%a'"), (Rows{0, 2}));
    EXPECT_EQ(select("NAME like 'Alpha%'"), (Rows{0}));
    EXPECT_EQ(select("NAME like '%'"), (Rows{0, 1, 2, 3, 5, 6}));
    EXPECT_EQ(select("NAME like '%%'"), (Rows{0, 1, 2, 3, 5, 6}));
}

TEST(Expression, likePercentInTheMiddle) {
    EXPECT_EQ(select("NAME like 'Al%ha'"), (Rows{0}));
    EXPECT_EQ(select("NAME like 'A%a'"), (Rows{0}));
    EXPECT_EQ(select("NAME like 'B%t%a'"), (Rows{2}));
    EXPECT_EQ(select("NAME like '%l%h%'"), (Rows{0}));
    EXPECT_EQ(select("NAME like 'B%e%e%a'"), Rows{});  // one "e" cannot serve twice
    EXPECT_EQ(select("NAME like 'Alp%pha'"), Rows{});  // parts may not overlap
}

TEST(Expression, likeUnderscoreMatchesExactlyOneCharacter) {
    EXPECT_EQ(select("NAME like 'B_ta'"), (Rows{2}));
    EXPECT_EQ(select("NAME like 'Bet_'"), (Rows{2}));
    EXPECT_EQ(select("NAME like 'B_a'"), Rows{});
    EXPECT_EQ(select("NAME like '___'"), (Rows{1}));
    EXPECT_EQ(select("NAME like '_%_c'"), (Rows{1, 3}));
}

TEST(Expression, likeWithoutWildcardsIsEquality) {
    EXPECT_EQ(select("NAME like 'abc'"), (Rows{1}));
    EXPECT_EQ(select("NAME like 'ab'"), Rows{});
    EXPECT_EQ(select("NAME like ''"), (Rows{6}));
}

TEST(Expression, notLikeSkipsNulls) {
    EXPECT_EQ(select("NAME not like 'A%'"), (Rows{1, 2, 5, 6}));
}

TEST(Expression, likeOnANumericFieldMatchesItsText) {
    EXPECT_EQ(select("VAL like '5%'"), (Rows{1}));
    EXPECT_EQ(select("VAL like '%.5'"), (Rows{0, 1}));
    EXPECT_EQ(select("CNT like '_0'"), (Rows{0, 1, 2, 4, 5, 6}));
}

TEST(Expression, doubledQuoteInTextIsOneQuote) {
    EXPECT_EQ(select("NAME = 'It''s'"), (Rows{5}));
    EXPECT_EQ(select("NAME like '%''%'"), (Rows{5}));
    EXPECT_EQ(select("'''' = ''''"), (Rows{0, 1, 2, 3, 4, 5, 6}));
}

TEST(Expression, isNullAndIsNotNull) {
    EXPECT_EQ(select("VAL is null"), (Rows{4}));
    EXPECT_EQ(select("CNT IS NULL"), (Rows{3}));
    EXPECT_EQ(select("NAME is not null"), (Rows{0, 1, 2, 3, 5, 6}));
    EXPECT_EQ(select("null is null"), (Rows{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(select("5 is null"), Rows{});
}

TEST(Expression, comparisonsWithNullAreFalse) {
    EXPECT_EQ(select("VAL <> 1.5"), (Rows{1, 2, 3, 5, 6}));
    EXPECT_EQ(select("NAME <> 'x'"), (Rows{0, 1, 2, 3, 5, 6}));
    EXPECT_EQ(select("VAL = null"), Rows{});
    EXPECT_EQ(select("VAL <> null"), Rows{});
    EXPECT_EQ(select("CNT = VAL or CNT <> VAL"), (Rows{0, 1, 2, 5, 6}));
}

TEST(Expression, notInvertsTheWholeConditionIncludingNullRows) {
    EXPECT_EQ(select("not VAL = 1.5"), (Rows{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(select("not not VAL = 1.5"), (Rows{0}));
    EXPECT_EQ(select("not (VAL > 0 or NAME = '')"), (Rows{3, 4, 5}));
}

TEST(Expression, andBindsTighterThanOr) {
    EXPECT_EQ(select("CNT = 20 or VAL = 1.5 and CNT = 30"), (Rows{1}));
    EXPECT_EQ(select("VAL = 1.5 and CNT = 30 or CNT = 20"), (Rows{1}));
    EXPECT_EQ(select("(CNT = 20 or VAL = 1.5) and CNT = 30"), Rows{});
}

TEST(Expression, notBindsTighterThanAnd) {
    EXPECT_EQ(select("not VAL = 1.5 and CNT = 10"), Rows{});
    EXPECT_EQ(select("not (VAL = 1.5 and CNT = 10)"), (Rows{1, 2, 3, 4, 5, 6}));
}

TEST(Expression, longAndOrChainsSelectCorrectly) {
    EXPECT_EQ(select("VAL > 0 and CNT > 10 and NAME like '%b%' and CODE = 7"), (Rows{1}));
    EXPECT_EQ(select("CNT = 10 or CNT = 30 or CNT = 60 or VAL = -2"), (Rows{0, 2, 3, 6}));
}

TEST(Expression, keywordsAndFieldNamesIgnoreCase) {
    EXPECT_EQ(select("val > 300 AND Name LIKE 'B%'"), (Rows{2}));
    EXPECT_EQ(select("NOT Val Is NoT NuLl"), (Rows{4}));
}

TEST(Expression, fieldNamesMayBeBracketedOrDoubleQuoted) {
    EXPECT_EQ(select("[VAL] > 300"), (Rows{1, 2}));
    EXPECT_EQ(select("\"val\" > 300"), (Rows{1, 2}));
    EXPECT_EQ(select("[name]='Beta'"), (Rows{2}));
}

TEST(Expression, keywordAsFieldNameNeedsBrackets) {
    AttributeTable table(
        {FieldInfo{"IN", FieldType::Text}, FieldInfo{"Rock Type", FieldType::Text}});
    table.appendText(0, u"x");
    table.appendText(1, u"granite");
    EXPECT_EQ(select("[in] = 'x'", table), (Rows{0}));
    EXPECT_EQ(select("\"IN\" = 'x' and [Rock Type] like 'gr%'", table), (Rows{0}));
    EXPECT_EQ(errorOf("IN = 'x'", table).position, 0);
}

TEST(Expression, numberLiteralForms) {
    EXPECT_EQ(select("VAL = -2"), (Rows{3}));
    EXPECT_EQ(select("VAL = - 2"), (Rows{3}));
    EXPECT_EQ(select("VAL = +250"), (Rows{6}));
    EXPECT_EQ(select("VAL = 5.005e2"), (Rows{1}));
    EXPECT_EQ(select("VAL = 25E+1"), (Rows{6}));
    EXPECT_EQ(select("VAL < .5 and VAL > -2.5e0"), (Rows{3, 5}));
    EXPECT_EQ(select("VAL = 1000."), (Rows{2}));
}

TEST(Expression, literalOnTheLeftCompares) {
    EXPECT_EQ(select("300 < VAL"), (Rows{1, 2}));
    EXPECT_EQ(select("'Beta' = NAME"), (Rows{2}));
}

TEST(Expression, numericFieldAgainstQuotedNumberComparesNumbers) {
    EXPECT_EQ(select("VAL = '250'"), (Rows{6}));
    EXPECT_EQ(select("VAL > ' 400 '"), (Rows{1, 2}));
    EXPECT_EQ(select("VAL < '1e3'"), (Rows{0, 1, 3, 5, 6}));  // not "1e3" as text
}

TEST(Expression, numericFieldAgainstTextThatIsNoNumberNeverMatches) {
    EXPECT_EQ(select("VAL = 'abc'"), Rows{});
    EXPECT_EQ(select("VAL <> 'abc'"), Rows{});
    EXPECT_EQ(select("VAL > ''"), Rows{});
}

TEST(Expression, textFieldAgainstNumberReadsTheTextAsANumber) {
    EXPECT_EQ(select("CODE = 7"), (Rows{1, 3}));
    EXPECT_EQ(select("CODE > 10"), (Rows{0, 5}));
    // Rows whose text is no number ("x", "") match no operator.
    EXPECT_EQ(select("CODE <> 12"), (Rows{1, 3, 5}));
}

TEST(Expression, textFieldAgainstQuotedTextComparesText) {
    EXPECT_EQ(select("CODE = '7'"), Rows{});
    EXPECT_EQ(select("CODE = ' 7 '"), (Rows{1}));
    EXPECT_EQ(select("CODE = '007'"), (Rows{3}));
}

TEST(Expression, fieldAgainstField) {
    EXPECT_EQ(select("CNT > VAL"), (Rows{0, 5}));
    EXPECT_EQ(select("NAME = NAME"), (Rows{0, 1, 2, 3, 5, 6}));
    EXPECT_EQ(select("CODE < CNT"), (Rows{1}));  // the text read as a number
}

TEST(Expression, literalsAloneAreConstant) {
    EXPECT_EQ(select("1 = 1"), (Rows{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(select("'a' = 'b'"), Rows{});
    EXPECT_EQ(select("'10' = 10"), (Rows{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(select("1 = 0 or VAL = 250"), (Rows{6}));
    EXPECT_EQ(select("1 = 1 and VAL = 250"), (Rows{6}));
}

TEST(Expression, inListIsAnyEqual) {
    EXPECT_EQ(select("CNT in (10, 30, 99)"), (Rows{0, 2}));
    EXPECT_EQ(select("NAME in ('abc','Beta')"), (Rows{1, 2}));
    EXPECT_EQ(select("CODE in (7)"), (Rows{1, 3}));
    EXPECT_EQ(select("CNT in (10, null)"), (Rows{0}));
}

TEST(Expression, notInListIsAllDifferentAndSkipsNulls) {
    EXPECT_EQ(select("CNT not in (10, 20)"), (Rows{2, 4, 5, 6}));
    EXPECT_EQ(select("CNT not in (10, null)"), Rows{});
}

TEST(Expression, betweenIncludesBothEnds) {
    EXPECT_EQ(select("VAL between 0 and 500.5"), (Rows{0, 1, 5, 6}));
    EXPECT_EQ(select("NAME between 'A' and 'C'"), (Rows{0, 2, 3}));
    EXPECT_EQ(select("VAL between 500.5 and 0"), Rows{});
}

TEST(Expression, notBetweenSkipsNulls) {
    EXPECT_EQ(select("VAL not between 0 and 500.5"), (Rows{2, 3}));
}

TEST(Expression, andAfterBetweenStartsANewCondition) {
    EXPECT_EQ(select("VAL between 0 and 300 and CNT > 55"), (Rows{6}));
    EXPECT_EQ(select("VAL between 0 and 300 or CNT = 30"), (Rows{0, 2, 5, 6}));
}

TEST(Expression, nonAsciiTextsCompareExactly) {
    AttributeTable table({FieldInfo{"UNIT", FieldType::Text}});
    for (const char16_t* text : {u"Grès", u"Gres", u"Gneiß"}) {
        table.appendText(0, text);
    }
    EXPECT_EQ(select("UNIT = 'Grès'", table), (Rows{0}));
    EXPECT_EQ(select("UNIT like 'Gr_s'", table), (Rows{0, 1}));
    EXPECT_EQ(select("UNIT like '%ß'", table), (Rows{2}));
}

TEST(Expression, selectAmongCandidates) {
    const auto parsed = Expression::parse("VAL >= 0", sample());
    const Expression& expression = std::get<Expression>(parsed);
    EXPECT_EQ(expression.select(sample(), {1, 2, 3, 4}), (Rows{1, 2}));
    EXPECT_EQ(expression.select(sample(), {6, 1, 1, 99, -1, 0}), (Rows{0, 1, 6}));
    EXPECT_EQ(expression.select(sample(), {}), Rows{});
}

TEST(Expression, rowsOutOfRangeNeverMatch) {
    const auto parsed = Expression::parse("1 = 1", sample());
    const Expression& expression = std::get<Expression>(parsed);
    EXPECT_TRUE(expression.matches(sample(), 6));
    EXPECT_FALSE(expression.matches(sample(), 7));
    EXPECT_FALSE(expression.matches(sample(), -1));
}

TEST(Expression, tableWithOtherFieldsMatchesNothing) {
    const auto parsed = Expression::parse("CODE = 7", sample());
    const Expression& expression = std::get<Expression>(parsed);
    AttributeTable other({FieldInfo{"X", FieldType::Double}});
    other.appendNumber(0, 7);
    EXPECT_EQ(expression.select(other), Rows{});
    EXPECT_FALSE(expression.matches(other, 0));
}

TEST(ExpressionErrors, missingFieldIsNamedWithItsPosition) {
    const ExpressionError error = errorOf("DEPTH > 3");
    EXPECT_TRUE(error.message.contains("DEPTH")) << error.message.toStdString();
    EXPECT_EQ(error.position, 0);
    const ExpressionError bracketed = errorOf("VAL > 3 and [Rock Type] = 'x'");
    EXPECT_TRUE(bracketed.message.contains("Rock Type")) << bracketed.message.toStdString();
    EXPECT_EQ(bracketed.position, 12);
}

TEST(ExpressionErrors, emptyOrBlankIsAnError) {
    EXPECT_FALSE(errorOf("").message.isEmpty());
    EXPECT_FALSE(errorOf("  \t\n").message.isEmpty());
}

TEST(ExpressionErrors, syntaxErrorsGiveThePosition) {
    const std::pair<const char*, int> cases[] = {
        {"VAL >", 5},
        {"VAL > 3 and", 11},
        {"(VAL > 3", 8},
        {"VAL > 3)", 7},
        {"NAME = 'abc", 7},
        {"VAL 3", 4},
        {"VAL = 3 4", 8},
        {"VAL ! 3", 4},
        {"NAME like 5", 10},
        {"VAL = 12abc", 6},
        {"VAL = 1e", 6},
        {"VAL not 3", 8},
        {"VAL is 3", 7},
        {"VAL in 3", 7},
        {"VAL in (1,", 10},
        {"VAL between 1 or 2", 14},
        {"VAL = -'a'", 7},
        {"[VAL > 3", 0},
        {"\"VAL > 3", 0},
        {"VAL = 1e999", 6},
        {"VAL > 3 and and", 12},
        {"VAL == 3", 5},
        {"VAL = 1.2.3", 6},
        {"[] = 1", 0},
        {"VAL = 3;", 7},
        {"VAL", 3},
    };
    for (const auto& [text, position] : cases) {
        const ExpressionError error = errorOf(text);
        EXPECT_EQ(error.position, position) << text << ": " << error.message.toStdString();
        EXPECT_FALSE(error.message.isEmpty()) << text;
    }
}

TEST(ExpressionErrors, nestingDeeperThanTheLimitIsRefused) {
    const int limit = Expression::maxNesting;
    const QString fits = QString("(").repeated(limit) + "VAL > 1" + QString(")").repeated(limit);
    EXPECT_EQ(select(fits), (Rows{0, 1, 2, 6}));
    const QString tooDeep =
        QString("(").repeated(limit + 1) + "VAL > 1" + QString(")").repeated(limit + 1);
    EXPECT_EQ(errorOf(tooDeep).position, limit);
    EXPECT_EQ(errorOf(QString("not ").repeated(limit + 1) + "VAL > 1").position, limit * 4);
    EXPECT_EQ(errorOf(QString("(not ").repeated(100'000)).position, limit / 2 * 5);
}

TEST(ExpressionErrors, longFlatChainsAreNotNesting) {
    QStringList terms;
    for (int i = 0; i < 20'000; ++i) {
        terms << QString("CNT = %1").arg(i * 10);
    }
    EXPECT_EQ(select(terms.join(" or ")), (Rows{0, 1, 2, 4, 5, 6}));
    EXPECT_EQ(select("CNT not in (" + QString("1,").repeated(20'000) + "2)"),
              (Rows{0, 1, 2, 4, 5, 6}));
}

TEST(ExpressionErrors, controlAndBinaryCharactersAreErrors) {
    EXPECT_EQ(errorOf(QString("VAL > 3 ") + QChar(0)).position, 8);
    EXPECT_EQ(errorOf(QString::fromLatin1("\x01\x02\xff")).position, 0);
    EXPECT_EQ(errorOf(QString("VAL ") + QChar(0xD800) + " 3").position, 4);
    EXPECT_TRUE(errorOf(QString::fromLatin1("VAL # 3")).message.contains("'#'"));
}

TEST(ExpressionErrors, randomInputNeverCrashesAndPositionsStayInside) {
    const QStringList pieces{
        "VAL", "NAME", "CODE", "[CNT]", "\"VAL\"", "'a'",     "''", "'",  "(",  ")", "not", "and",
        "or",  "like", "in",   "is",    "null",    "between", "=",  "<>", "<=", ">", "!",   "-",
        "1",   "2.5e", ".",    ",",     "%",       "_",       "[",  "]",  "\"", " ", "\t"};
    std::mt19937 random(20240611);
    int parsed = 0;
    for (int round = 0; round < 5000; ++round) {
        QString text;
        const int count = int(random() % 12);
        for (int i = 0; i < count; ++i) {
            if (random() % 8 == 0) {
                text += QChar(char16_t(random() % 0x10000));
            } else {
                text += pieces[int(random() % pieces.size())] + ' ';
            }
        }
        const auto result = Expression::parse(text, sample());
        if (const auto* error = std::get_if<ExpressionError>(&result)) {
            ASSERT_GE(error->position, 0) << text.toStdString();
            ASSERT_LE(error->position, text.size()) << text.toStdString();
            ASSERT_FALSE(error->message.isEmpty());
        } else {
            ++parsed;
            const Expression& expression = std::get<Expression>(result);
            const Rows rows = expression.select(sample());
            for (qsizetype row = 0; row < sample().rowCount(); ++row) {
                ASSERT_EQ(expression.matches(sample(), row),
                          std::binary_search(rows.begin(), rows.end(), row))
                    << text.toStdString();
            }
        }
    }
    EXPECT_GT(parsed, 0);
}
