#include "wms/macro_file.h"

#include "platform/text_file.h"
#include "wms/wms_text.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace wms {
namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

MacroFile sampleMacro() {
    MacroFile macro;
    macro.north = " 5.27184000";
    macro.south = "-33.75110000";
    macro.east = "-28.84770000";
    macro.west = "-73.99040000";
    macro.services = {"http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&",
                      "http://ags.invalid/arcgis/services/Lito_1000000/MapServer/WMSServer?"};
    macro.layers = {{"0*Geologia do Brasil,brasil", false},
                    {"0*Litologia, escala 1:1.000.000,lito_1000000", true},
                    {"1*Ocorrências,0", true},
                    {"1*Projetos,1", false}};
    return macro;
}

void expectSame(const MacroFile& a, const MacroFile& b) {
    EXPECT_EQ(a.north, b.north);
    EXPECT_EQ(a.south, b.south);
    EXPECT_EQ(a.east, b.east);
    EXPECT_EQ(a.west, b.west);
    EXPECT_EQ(a.services, b.services);
    EXPECT_EQ(a.layers, b.layers);
}

TEST(MacroFile, linesAreExtentThenServicesThenLayersWithTheirMarks) {
    EXPECT_EQ(macroLines(sampleMacro()),
              QStringList({" 5.27184000", "-33.75110000", "-28.84770000", "-73.99040000",
                           "A;http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&",
                           "A;http://ags.invalid/arcgis/services/Lito_1000000/MapServer/WMSServer?",
                           "B;0*Geologia do Brasil,brasil",
                           "B;#0*Litologia, escala 1:1.000.000,lito_1000000", "B;#1*Ocorrências,0",
                           "B;1*Projetos,1"}));
}

TEST(MacroFile, writtenFileIsWindows1252WithCrLfAndReadsBackInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("servicos.end");
    ASSERT_TRUE(writeMacroFile(path, sampleMacro()).ok);
    const QByteArray bytes = fileBytes(path);
    EXPECT_TRUE(
        bytes.startsWith(" 5.27184000\r\n-33.75110000\r\n-28.84770000\r\n-73.99040000\r\nA;"));
    EXPECT_TRUE(bytes.contains("B;#1*Ocorr\xEAncias,0\r\nB;1*Projetos,1\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), 10);
    EXPECT_EQ(bytes.count('\r'), 10);

    const MacroRead read = readMacroFile(path);
    ASSERT_TRUE(read.result.ok);
    expectSame(read.macro, sampleMacro());
}

TEST(MacroFile, noServicesAndNoLayersIsExactlyFourLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("vazio.end");
    MacroFile empty;
    empty.north = "1";
    empty.south = "2";
    empty.east = "3";
    empty.west = "4";
    ASSERT_TRUE(writeMacroFile(path, empty).ok);
    EXPECT_EQ(fileBytes(path), "1\r\n2\r\n3\r\n4\r\n");
    const MacroRead read = readMacroFile(path);
    ASSERT_TRUE(read.result.ok);
    EXPECT_TRUE(read.macro.services.isEmpty());
    EXPECT_TRUE(read.macro.layers.empty());
    EXPECT_EQ(read.macro.west, "4");

    // Four empty extent texts are four empty lines.
    ASSERT_TRUE(writeMacroFile(path, MacroFile()).ok);
    EXPECT_EQ(fileBytes(path), "\r\n\r\n\r\n\r\n");
}

TEST(MacroFile, emptyServicesStayInPlaceSoServiceNumbersHold) {
    MacroFile macro;
    macro.services = {"", "http://b.invalid/wms?"};
    macro.layers = {{"", false}, {"1*B,b", true}};
    expectSame(parseMacroLines(macroLines(macro)), macro);
}

TEST(MacroFile, shortFilesJunkAndOtherPrefixesAreSkipped) {
    MacroFile read = parseMacroLines({"10", "-20"});
    EXPECT_EQ(read.north, "10");
    EXPECT_EQ(read.south, "-20");
    EXPECT_EQ(read.east, "");
    EXPECT_EQ(read.west, "");
    EXPECT_TRUE(read.services.isEmpty());

    read = parseMacroLines({"1", "2", "3", "4", "", "A", "B", ";", "a;x", "b;y", "C;z", " A;w",
                            "A;http://a.invalid/?", "B;", "B;#", "B;##0*T,t", "B;0*U,u",
                            "A;http://b.invalid/?"});
    EXPECT_EQ(read.services, QStringList({"http://a.invalid/?", "http://b.invalid/?"}));
    const std::vector<std::pair<QString, bool>> layers = {
        {"", false}, {"", true}, {"#0*T,t", true}, {"0*U,u", false}};
    EXPECT_EQ(read.layers, layers);
    EXPECT_TRUE(parseMacroLines({}).services.isEmpty());
    EXPECT_EQ(parseMacroLines({}).north, "");
}

TEST(MacroFile, everyLineIsTestedForThePrefixesTheExtentLinesToo) {
    // The rule reads the whole file for services and layers; the extent
    // lines of a file the program wrote never start with "A;" or "B;".
    const MacroFile read = parseMacroLines({"A;http://x.invalid/?", "2", "3", "4", "B;0*T,t"});
    EXPECT_EQ(read.north, "A;http://x.invalid/?");
    EXPECT_EQ(read.services, QStringList({"http://x.invalid/?"}));
    EXPECT_EQ(read.layers.size(), 1u);
}

TEST(MacroFile, aHundredThousandLayersRoundTrip) {
    MacroFile macro = sampleMacro();
    macro.layers.clear();
    for (int i = 0; i < 100000; ++i) {
        macro.layers.emplace_back(QStringLiteral("%1*Camada %2,c%2").arg(i % 7).arg(i), i % 3 == 0);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("grande.end");
    ASSERT_TRUE(writeMacroFile(path, macro).ok);
    const MacroRead read = readMacroFile(path);
    ASSERT_TRUE(read.result.ok);
    ASSERT_EQ(read.macro.layers.size(), 100000u);
    EXPECT_EQ(read.macro.layers[99999], std::make_pair(QString("4*Camada 99999,c99999"), true));
    EXPECT_EQ(read.macro.layers[99998], std::make_pair(QString("3*Camada 99998,c99998"), false));
    expectSame(read.macro, macro);
}

TEST(MacroFile, foreignTitlesAreWrittenWithQuestionMarksAndNamesComeBackWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("servicos.end");
    MacroFile foreign = sampleMacro();
    foreign.north = "5,1 °′";  // a prime the code page lacks
    foreign.layers.emplace_back("0*Łódź, 東京 🌍,lodz", true);
    foreign.layers.emplace_back("1*Без запятой", false);  // no name at all
    ASSERT_TRUE(writeMacroFile(path, foreign).ok);
    const QByteArray bytes = fileBytes(path);
    EXPECT_TRUE(bytes.startsWith("5,1 \xB0?\r\n")) << bytes.toStdString();
    EXPECT_TRUE(
        bytes.endsWith("B;#0*?\xF3"
                       "d?, ?? ?,lodz\r\nB;1*??? ???????\r\n"))
        << bytes.toStdString();

    const MacroRead read = readMacroFile(path);
    ASSERT_TRUE(read.result.ok);
    EXPECT_EQ(read.macro.services, foreign.services);
    ASSERT_EQ(read.macro.layers.size(), foreign.layers.size());
    for (std::size_t i = 0; i < foreign.layers.size(); ++i) {
        EXPECT_EQ(layerNameOf(read.macro.layers[i].first), layerNameOf(foreign.layers[i].first));
        EXPECT_EQ(read.macro.layers[i].second, foreign.layers[i].second);
    }
}

TEST(MacroFile, anAddressOrANameTheFileCannotHoldIsRefusedNamingItAndTheOldFileStays) {
    QTemporaryDir dir;
    const QString path = dir.filePath("servicos.end");
    ASSERT_TRUE(writeMacroFile(path, sampleMacro()).ok);
    const QByteArray before = fileBytes(path);

    MacroFile foreign = sampleMacro();
    foreign.layers.emplace_back("0*Łódź,Łódź_1", true);
    platform::Result result = writeMacroFile(path, foreign);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains("o nome do layer \"Łódź_1\""))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(": Łź.")) << result.message.toStdString();
    EXPECT_EQ(fileBytes(path), before);

    foreign = sampleMacro();
    foreign.services.append("http://карта.invalid/wms?");
    result = writeMacroFile(path, foreign);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains("o endereço do serviço \"http://карта.invalid/wms?\""))
        << result.message.toStdString();
    EXPECT_EQ(fileBytes(path), before);

    // A line break in an item would turn into lines that read back as
    // something else.
    MacroFile broken = sampleMacro();
    broken.services[1] = "http://a.invalid/?\r\nB;#0*Falsa,falsa";
    result = writeMacroFile(path, broken);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains("quebra de linha")) << result.message.toStdString();
    EXPECT_EQ(fileBytes(path), before);
    broken.services[1] = "http://a.invalid/?";
    broken.north = "1\r";
    EXPECT_FALSE(writeMacroFile(path, broken).ok);
    EXPECT_EQ(fileBytes(path), before);
}

TEST(MacroFile, aFileThatCannotBeReadIsAFailureWithNothingRead) {
    QTemporaryDir dir;
    const MacroRead read = readMacroFile(dir.filePath("nao_existe.end"));
    EXPECT_FALSE(read.result.ok);
    EXPECT_FALSE(read.result.message.isEmpty());
    EXPECT_TRUE(read.macro.services.isEmpty());
    EXPECT_TRUE(read.macro.layers.empty());
    EXPECT_FALSE(writeMacroFile(dir.filePath("sem_pasta/x.end"), sampleMacro()).ok);
}

TEST(MacroFile, lfOnlyFilesAreReadToo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("lf.end");
    ASSERT_TRUE(
        platform::writeFileAtomically(path, "1\n2\n3\n4\nA;http://a.invalid/?\nB;#0*A,a").ok);
    const MacroRead read = readMacroFile(path);
    ASSERT_TRUE(read.result.ok);
    EXPECT_EQ(read.macro.west, "4");
    EXPECT_EQ(read.macro.services, QStringList({"http://a.invalid/?"}));
    ASSERT_EQ(read.macro.layers.size(), 1u);
    EXPECT_EQ(read.macro.layers[0], std::make_pair(QString("0*A,a"), true));
}

}  // namespace
}  // namespace wms
