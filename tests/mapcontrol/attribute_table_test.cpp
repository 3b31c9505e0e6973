#include "mapcontrol/attribute_table.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using mapcontrol::AttributeTable;
using mapcontrol::FieldInfo;
using mapcontrol::FieldType;
using mapcontrol::numberText;
using mapcontrol::parseNumber;

namespace {

AttributeTable tableOf(FieldType type, const std::vector<double>& values) {
    AttributeTable table({FieldInfo{"V", type}});
    for (double v : values) {
        table.appendNumber(0, v);
    }
    return table;
}

}  // namespace

TEST(AttributeTable, fieldIndexIgnoresCaseAndGivesMinusOneForMissing) {
    const AttributeTable table(
        {FieldInfo{"Name", FieldType::Text}, FieldInfo{"ROCK_AGE", FieldType::Double}});
    EXPECT_EQ(table.fieldIndex(u"name"), 0);
    EXPECT_EQ(table.fieldIndex(u"NAME"), 0);
    EXPECT_EQ(table.fieldIndex(u"rock_Age"), 1);
    EXPECT_EQ(table.fieldIndex(u"ROCK"), -1);
    EXPECT_EQ(table.fieldIndex(u""), -1);
}

TEST(AttributeTable, emptyTableHasNoRowsAndAnswersSafely) {
    const AttributeTable none;
    EXPECT_EQ(none.fieldCount(), 0);
    EXPECT_EQ(none.rowCount(), 0);
    EXPECT_EQ(none.fieldIndex(u"x"), -1);
    EXPECT_FALSE(none.statistics(0).has_value());
    EXPECT_TRUE(none.isNull(0, 0));

    const AttributeTable noRows({FieldInfo{"V", FieldType::Double}});
    EXPECT_EQ(noRows.rowCount(), 0);
    const auto stats = noRows.statistics(0);
    ASSERT_TRUE(stats.has_value());
    EXPECT_EQ(stats->count, 0);
    EXPECT_EQ(noRows.text(0, 0), "");
}

TEST(AttributeTable, valuesReadBackByColumnAndRow) {
    AttributeTable table({FieldInfo{"NAME", FieldType::Text}, FieldInfo{"N", FieldType::Integer},
                          FieldInfo{"X", FieldType::Double}});
    table.reserve(3);
    const QStringList names{"Granite", "", "Schist"};
    for (int row = 0; row < 3; ++row) {
        table.appendText(0, names[row]);
        table.appendNumber(1, row * 10);
        table.appendNumber(2, row + 0.25);
    }
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.text(0, 0), "Granite");
    EXPECT_EQ(table.textView(0, 1), u"");
    EXPECT_FALSE(table.isNull(0, 1));
    EXPECT_EQ(table.textView(0, 2), u"Schist");
    EXPECT_EQ(table.text(1, 2), "20");
    EXPECT_EQ(table.number(2, 1), 1.25);
    EXPECT_EQ(table.textView(1, 0), u"");  // not a text column
}

TEST(AttributeTable, rowCountCountsOnlyRowsWithEveryColumnFilled) {
    AttributeTable table({FieldInfo{"A", FieldType::Text}, FieldInfo{"B", FieldType::Double}});
    table.appendText(0, u"a");
    EXPECT_EQ(table.rowCount(), 0);
    table.appendNumber(1, 1.0);
    EXPECT_EQ(table.rowCount(), 1);
}

TEST(AttributeTable, nullsAreKeptForTheirRowOnly) {
    AttributeTable table({FieldInfo{"T", FieldType::Text}, FieldInfo{"V", FieldType::Double}});
    for (int row = 0; row < 200; ++row) {
        if (row == 3 || row == 130) {
            table.appendNull(0);
            table.appendNull(1);
        } else {
            table.appendText(0, QString::number(row));
            table.appendNumber(1, row);
        }
    }
    for (int row = 0; row < 200; ++row) {
        const bool null = row == 3 || row == 130;
        ASSERT_EQ(table.isNull(0, row), null) << row;
        ASSERT_EQ(table.isNull(1, row), null) << row;
    }
    EXPECT_EQ(table.text(0, 3), "");
    EXPECT_EQ(table.text(1, 130), "");
    EXPECT_EQ(table.number(1, 130), 0.0);
    EXPECT_FALSE(table.number(0, 3).has_value());
    EXPECT_EQ(table.text(0, 4), "4");  // text after a null starts at the right offset
    EXPECT_EQ(table.text(0, 131), "131");
}

TEST(AttributeTable, readsOutOfRangeGiveNullAndEmpty) {
    AttributeTable table({FieldInfo{"V", FieldType::Double}});
    table.appendNumber(0, 5.0);
    EXPECT_TRUE(table.isNull(0, 1));
    EXPECT_TRUE(table.isNull(1, 0));
    EXPECT_TRUE(table.isNull(0, -1));
    EXPECT_FALSE(table.number(0, 1).has_value());
    EXPECT_EQ(table.text(-1, 0), "");
    table.appendNumber(3, 1.0);  // ignored
    EXPECT_EQ(table.rowCount(), 1);
}

TEST(AttributeTable, integersPrintAsPlainDecimal) {
    const AttributeTable table = tableOf(FieldType::Integer, {812, -5, 0, 1e16, 1.0e15 + 1});
    EXPECT_EQ(table.text(0, 0), "812");
    EXPECT_EQ(table.text(0, 1), "-5");
    EXPECT_EQ(table.text(0, 2), "0");
    EXPECT_EQ(table.text(0, 3), "10000000000000000");
    EXPECT_EQ(table.text(0, 4), "1000000000000001");
}

TEST(AttributeTable, doublesPrintByNumberText) {
    const AttributeTable table = tableOf(FieldType::Double, {812, 0.5, 1.25e20});
    EXPECT_EQ(table.text(0, 0), "812");
    EXPECT_EQ(table.text(0, 1), "0.5");
    EXPECT_EQ(table.text(0, 2), "1.25E+20");
}

TEST(NumberText, roundsToFifteenDigitsWithoutTrailingZeros) {
    EXPECT_EQ(numberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberText(123456789.123456789), "123456789.123457");
    EXPECT_EQ(numberText(2.50), "2.5");
    EXPECT_EQ(numberText(-2.5), "-2.5");
    EXPECT_EQ(numberText(100.0), "100");
    EXPECT_EQ(numberText(1.0 / 3.0), "0.333333333333333");
}

TEST(NumberText, exponentOnlyOutsideOneTenThousandthToTenToTheFifteen) {
    EXPECT_EQ(numberText(999999999999999.0), "999999999999999");
    EXPECT_EQ(numberText(1e15), "1E+15");
    EXPECT_EQ(numberText(9999999999999999.0), "1E+16");  // rounding moves it up
    EXPECT_EQ(numberText(1.25e20), "1.25E+20");
    EXPECT_EQ(numberText(-3e100), "-3E+100");
    EXPECT_EQ(numberText(0.0001), "0.0001");
    EXPECT_EQ(numberText(0.00001), "1E-05");
    EXPECT_EQ(numberText(1.5e-300), "1.5E-300");
}

TEST(NumberText, zeroAndNonFiniteValues) {
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(numberText(std::numeric_limits<double>::infinity()), "Inf");
    EXPECT_EQ(numberText(-std::numeric_limits<double>::infinity()), "-Inf");
}

TEST(ParseNumber, acceptsCFormWithBlanksAndSign) {
    EXPECT_EQ(parseNumber(u"12"), 12.0);
    EXPECT_EQ(parseNumber(u"  12.5\t"), 12.5);
    EXPECT_EQ(parseNumber(u"-3"), -3.0);
    EXPECT_EQ(parseNumber(u"+4"), 4.0);
    EXPECT_EQ(parseNumber(u".5"), 0.5);
    EXPECT_EQ(parseNumber(u"5."), 5.0);
    EXPECT_EQ(parseNumber(u"1e3"), 1000.0);
    EXPECT_EQ(parseNumber(u"2.5E-2"), 0.025);
    EXPECT_EQ(parseNumber(u"007"), 7.0);
}

TEST(ParseNumber, rejectsEverythingElse) {
    for (const char16_t* text : {u"", u"  ", u"abc", u"1,5", u"12abc", u"1e", u"e5", u".", u"-",
                                 u"+-1", u"1 2", u"inf", u"nan", u"0x10", u"1e999", u"--1"}) {
        EXPECT_FALSE(parseNumber(text).has_value()) << QString::fromUtf16(text).toStdString();
    }
}

TEST(AttributeTable, numberOfTextColumnReadsTheTextAsANumber) {
    AttributeTable table({FieldInfo{"CODE", FieldType::Text}});
    for (const char16_t* text : {u" 42 ", u"x42", u""}) {
        table.appendText(0, text);
    }
    table.appendNull(0);
    EXPECT_EQ(table.number(0, 0), 42.0);
    EXPECT_FALSE(table.number(0, 1).has_value());
    EXPECT_FALSE(table.number(0, 2).has_value());
    EXPECT_FALSE(table.number(0, 3).has_value());
}

TEST(AttributeTable, valuesOfTheOtherKindAreConverted) {
    AttributeTable table({FieldInfo{"T", FieldType::Text}, FieldInfo{"V", FieldType::Double}});
    table.appendNumber(0, 2.5);
    table.appendText(1, u" 7.25 ");
    table.appendNumber(0, 1.0);
    table.appendText(1, u"seven");
    table.appendText(0, u"x");
    table.appendNumber(1, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(table.text(0, 0), "2.5");
    EXPECT_EQ(table.number(1, 0), 7.25);
    EXPECT_TRUE(table.isNull(1, 1));
    EXPECT_TRUE(table.isNull(1, 2));
}

TEST(AttributeTable, statisticsArePopulationFiguresOverNonNullRows) {
    AttributeTable table({FieldInfo{"V", FieldType::Double}});
    for (double v : {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0}) {
        table.appendNumber(0, v);
        table.appendNull(0);
    }
    const auto stats = table.statistics(0);
    ASSERT_TRUE(stats.has_value());
    EXPECT_EQ(stats->count, 8);
    EXPECT_DOUBLE_EQ(stats->minimum, 2.0);
    EXPECT_DOUBLE_EQ(stats->maximum, 9.0);
    EXPECT_DOUBLE_EQ(stats->mean, 5.0);
    EXPECT_DOUBLE_EQ(stats->standardDeviation, 2.0);
}

TEST(AttributeTable, statisticsStayAccurateFarFromZero) {
    // Sums of squares would lose every significant digit here.
    const AttributeTable table = tableOf(FieldType::Double, {1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16});
    const auto stats = table.statistics(0);
    ASSERT_TRUE(stats.has_value());
    EXPECT_DOUBLE_EQ(stats->mean, 1e9 + 10);
    EXPECT_NEAR(stats->standardDeviation, std::sqrt(22.5), 1e-6);
}

TEST(AttributeTable, statisticsOfASingleValueAndOfAllNulls) {
    const auto single = tableOf(FieldType::Integer, {-7}).statistics(0);
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->count, 1);
    EXPECT_EQ(single->minimum, -7.0);
    EXPECT_EQ(single->maximum, -7.0);
    EXPECT_EQ(single->standardDeviation, 0.0);

    AttributeTable nulls({FieldInfo{"V", FieldType::Double}});
    nulls.appendNull(0);
    const auto none = nulls.statistics(0);
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->count, 0);
    EXPECT_EQ(none->mean, 0.0);
}

TEST(AttributeTable, statisticsOfATextColumnAreNothing) {
    AttributeTable table({FieldInfo{"T", FieldType::Text}});
    table.appendText(0, u"12");
    EXPECT_FALSE(table.statistics(0).has_value());
}

TEST(AttributeTable, millionRowsOfFiveFieldsStayCompact) {
    AttributeTable table({FieldInfo{"ID", FieldType::Integer}, FieldInfo{"VAL", FieldType::Double},
                          FieldInfo{"NAME", FieldType::Text}, FieldInfo{"UNIT", FieldType::Text},
                          FieldInfo{"AGE", FieldType::Text}});
    const qsizetype rows = 1'000'000;
    table.reserve(rows);
    const char16_t* words[] = {u"Alpha123", u"Basalt_7", u"Cretac.8"};
    for (qsizetype row = 0; row < rows; ++row) {
        table.appendNumber(0, double(row));
        table.appendNumber(1, row * 0.5);
        for (int column = 2; column < 5; ++column) {
            table.appendText(column, words[(row + column) % 3]);
        }
    }
    table.squeeze();
    ASSERT_EQ(table.rowCount(), rows);
    // 2 doubles + 3 texts of 8 UTF-16 units with a 4-byte offset each.
    const std::size_t payload = std::size_t(rows) * (2 * 8 + 3 * (8 * 2 + 4));
    EXPECT_GE(table.memoryBytes(), payload);
    EXPECT_LT(table.memoryBytes(), payload + payload / 20);
    EXPECT_EQ(table.text(4, rows - 1), QString::fromUtf16(words[(rows - 1 + 4) % 3]));
    EXPECT_EQ(table.text(0, rows - 1), "999999");
}
