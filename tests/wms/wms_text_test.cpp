#include "wms/wms_text.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace wms {
namespace {

// Sets a default locale with a decimal comma while it lives.
class CommaLocale {
public:
    CommaLocale() : m_saved(QLocale()) {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }
    ~CommaLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

TEST(WmsText, fixedTextIsRightAlignedWithAPointWhateverTheLocale) {
    const CommaLocale comma;
    EXPECT_EQ(fixedText(5.5, 9, 12), " 5.500000000");
    EXPECT_EQ(fixedText(-74, 9, 12), "-74.000000000");  // wider than the field: not cut
    EXPECT_EQ(fixedText(-7.915567282, 9, 12), "-7.915567282");
    EXPECT_EQ(fixedText(-47.12355, 4, 8), "-47.1236");
    EXPECT_EQ(fixedText(-7.25, 4, 8), " -7.2500");
    EXPECT_EQ(fixedText(0.00005, 4, 8), "  0.0001");
    EXPECT_EQ(fixedText(-74, 8, 3), "-74.00000000");
    // An exact half rounds away from zero.
    EXPECT_EQ(fixedText(2.5, 0, 3), "  3");
    EXPECT_EQ(fixedText(-0.0009765625, 9, 12), "-0.000976563");
}

TEST(WmsText, fixedTextWritesZeroWithoutASign) {
    EXPECT_EQ(fixedText(-0.0, 9, 12), " 0.000000000");
    EXPECT_EQ(fixedText(-0.00000000001, 9, 12), " 0.000000000");
    EXPECT_EQ(fixedText(-0.0000000006, 9, 12), "-0.000000001");
}

TEST(WmsText, nonFiniteNumbersAreWrittenAsWordsThatReadBackAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fixedText(nan, 9, 12), "         NAN");
    EXPECT_EQ(fixedText(-inf, 4, 8), "    -INF");
    EXPECT_EQ(defaultRealText(inf), "INF");
    EXPECT_EQ(numberOrZero(defaultRealText(nan)), 0.0);
    EXPECT_EQ(numberOrZero(fixedText(-inf, 4, 8)), 0.0);
}

TEST(WmsText, defaultRealTextHasFifteenDigitsAndAFourDigitExponent) {
    const CommaLocale comma;
    EXPECT_EQ(defaultRealText(0), " 0.00000000000000E+0000");
    EXPECT_EQ(defaultRealText(-0.0), " 0.00000000000000E+0000");
    EXPECT_EQ(defaultRealText(5.38289), " 5.38289000000000E+0000");
    EXPECT_EQ(defaultRealText(-73.839432), "-7.38394320000000E+0001");
    EXPECT_EQ(defaultRealText(0.00001), " 1.00000000000000E-0005");
    EXPECT_EQ(defaultRealText(-1.5e300), "-1.50000000000000E+0300");
    EXPECT_EQ(defaultRealText(123456789012345678.0), " 1.23456789012346E+0017");
}

TEST(WmsText, numberOrZeroReadsTheProgramsOwnFormsAndNothingElse) {
    const CommaLocale comma;
    EXPECT_DOUBLE_EQ(numberOrZero(" 5.38289000000000E+0000"), 5.38289);
    EXPECT_DOUBLE_EQ(numberOrZero("-7.38394320000000E+0001"), -73.839432);
    EXPECT_DOUBLE_EQ(numberOrZero(" -7.2500"), -7.25);
    EXPECT_DOUBLE_EQ(numberOrZero("\t-74.00000000  "), -74.0);
    EXPECT_DOUBLE_EQ(numberOrZero("1e5"), 100000.0);
    EXPECT_DOUBLE_EQ(numberOrZero("+3"), 3.0);
    EXPECT_DOUBLE_EQ(numberOrZero(".5"), 0.5);
    EXPECT_DOUBLE_EQ(numberOrZero("5."), 5.0);
    EXPECT_DOUBLE_EQ(numberOrZero("-1E-3"), -0.001);
    // Not decimal numbers in the program's form: 0.
    for (const char* text : {"",    "   ",   "-",     "+",   ".",     "e5",     "1e",      "1e+",
                             "5,3", "1.2.3", "12abc", "abc", "0x10",  "inf",    "-inf",    "nan",
                             "NAN", "1 000", "--1",   "+-1", "1e999", "-1e999", "\xd9\xa3"}) {
        EXPECT_EQ(numberOrZero(QString::fromUtf8(text)), 0.0) << text;
        EXPECT_EQ(parseNumber(QString::fromUtf8(text)), std::nullopt) << text;
    }
    // Read strictly, a written zero is a number.
    EXPECT_EQ(parseNumber(" 0.000000000"), 0.0);
    EXPECT_EQ(parseNumber("-7.25"), -7.25);
}

TEST(WmsText, defaultRealTextReadsBackToTheSameNumber) {
    for (const double v : {0.0, 1.0, -47.25, 5.38289, -73.839432, 12121212121.0, 1e-7, -0.1}) {
        EXPECT_DOUBLE_EQ(numberOrZero(defaultRealText(v)), v) << v;
        EXPECT_NEAR(numberOrZero(fixedText(v, 9, 12)), v, 5e-10) << v;
    }
}

TEST(WmsText, bboxIsLeftBottomRightTopInFieldsOfTwelve) {
    EXPECT_EQ(
        bboxText(mapcontrol::Rectangle(-57.581454957, -38.038597814, -7.915567282, -19.947229551)),
        "-57.581454957,-19.947229551,-38.038597814,-7.915567282");
    EXPECT_EQ(bboxText(mapcontrol::Rectangle(-5, 5.5, 1, 0)),
              "-5.000000000, 0.000000000, 5.500000000, 1.000000000");
}

TEST(WmsText, layerEntryNameIsAfterTheLastComma) {
    EXPECT_EQ(layerEntryText(0, "Geologia", "lito_1000000"), "0*Geologia,lito_1000000");
    auto entry = parseLayerEntry("0*Geologia,lito_1000000");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->service, 0);
    EXPECT_EQ(entry->title, "Geologia");
    EXPECT_EQ(entry->name, "lito_1000000");

    // A title may hold commas; a layer name cannot.
    const QString withCommas = layerEntryText(12, "Countries (name, continent)", "countries");
    EXPECT_EQ(withCommas, "12*Countries (name, continent),countries");
    entry = parseLayerEntry(withCommas);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->service, 12);
    EXPECT_EQ(entry->title, "Countries (name, continent)");
    EXPECT_EQ(entry->name, "countries");
    EXPECT_EQ(layerNameOf(withCommas), "countries");

    // Titles may hold "*" too: the service number ends at the first one.
    entry = parseLayerEntry("3*Rochas * metamórficas,meta");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->service, 3);
    EXPECT_EQ(entry->title, "Rochas * metamórficas");
}

TEST(WmsText, damagedLayerEntriesGiveWhatTheyHold) {
    EXPECT_FALSE(parseLayerEntry("Geologia,lito"));
    EXPECT_FALSE(parseLayerEntry(""));
    auto entry = parseLayerEntry("x*Geologia,lito");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->service, -1);
    EXPECT_EQ(entry->name, "lito");
    EXPECT_EQ(parseLayerEntry("-2*Geologia,lito")->service, -1);
    EXPECT_EQ(parseLayerEntry("99999999999*Geologia,lito")->service, -1);
    // No "," after the "*": all of it is the title, and there is no name.
    entry = parseLayerEntry("1,5*Geologia");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->service, -1);
    EXPECT_EQ(entry->title, "Geologia");
    EXPECT_EQ(entry->name, "");
    entry = parseLayerEntry("4*");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->service, 4);
    EXPECT_EQ(entry->title, "");
    EXPECT_EQ(entry->name, "");
    EXPECT_EQ(layerNameOf(""), "");
    EXPECT_EQ(layerNameOf("0*Geologia"), "");
    EXPECT_EQ(layerNameOf("0*Geologia,"), "");
}

TEST(WmsText, catalogueAddressIsAfterTheLastCommaWithItsBlank) {
    EXPECT_EQ(catalogueAddress("Geologia do Brasil,http://geo.invalid/wms?map=br.map&"),
              "http://geo.invalid/wms?map=br.map&");
    // Two commas: only the text after the second one, with the blank after it.
    EXPECT_EQ(catalogueAddress("Folha SB-22, escala 1:250.000, http://geo.invalid/sb22?"),
              " http://geo.invalid/sb22?");
    EXPECT_EQ(catalogueAddress("http://geo.invalid/wms?"), "http://geo.invalid/wms?");
    EXPECT_EQ(catalogueAddress(""), "");
    EXPECT_EQ(catalogueAddress("Geologia,"), "");
    const QString longLine = QString(10000, QLatin1Char('x')) + ",http://a.invalid/?";
    EXPECT_EQ(catalogueAddress(longLine), "http://a.invalid/?");
}

TEST(WmsText, addressesForKeyMatchTheTextBeforeTheFirstCommaExactly) {
    const QString longLine = QStringLiteral("SB22,") + QString(10000, QLatin1Char('y'));
    const QStringList catalogue = {
        "",
        "SB22,http://geo.invalid/sb22?",
        "sb22,http://geo.invalid/lower?",
        "SB22 ,http://geo.invalid/blank?",
        "SB2,http://geo.invalid/short?",
        "SB22",
        "SB22,http://geo.invalid/second?,with a comma",
        ",http://geo.invalid/nokey?",
        longLine,
    };
    EXPECT_EQ(addressesForKey(catalogue, "SB22"),
              QStringList({"http://geo.invalid/sb22?", "http://geo.invalid/second?,with a comma",
                           QString(10000, QLatin1Char('y'))}));
    EXPECT_EQ(addressesForKey(catalogue, "SC23"), QStringList());
    EXPECT_EQ(addressesForKey(catalogue, "SB22,http"), QStringList());
    // An empty answer from the gateway names no sheet, even where a line has
    // nothing before its comma.
    EXPECT_EQ(addressesForKey(catalogue, ""), QStringList());
    EXPECT_EQ(addressesForKey({}, "SB22"), QStringList());
}

}  // namespace
}  // namespace wms
