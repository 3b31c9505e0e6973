#include "wms/capabilities.h"

#include "wms/service_pictures.h"
#include "wms/wms_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace wms {
namespace {

// A MapServer-like answer: the service's own Name before any layer, a root
// layer with its box, queryable layers below it, default styles, a title
// with commas and an accent, a group without a name holding a layer.
const char* const kMapServer = R"(<?xml version='1.0' encoding="UTF-8" standalone="no" ?>
<!DOCTYPE WMT_MS_Capabilities SYSTEM "http://schemas.opengis.net/wms/1.1.1/WMS_MS_Capabilities.dtd"
 [
 <!ELEMENT VendorSpecificCapabilities EMPTY>
 ]>  <!-- end of DOCTYPE declaration -->
<WMT_MS_Capabilities version="1.1.1">
<Service>
  <Name>OGC:WMS</Name>
  <Title>Geologia do Brasil</Title>
  <OnlineResource xmlns:xlink="http://www.w3.org/1999/xlink" xlink:href="http://geo.invalid/wms?"/>
</Service>
<Capability>
  <Request>
    <GetMap>
      <Format>image/jpeg</Format>
    </GetMap>
  </Request>
  <Layer>
    <Name>brasil</Name>
    <Title>Geologia do Brasil</Title>
    <SRS>EPSG:4326</SRS>
    <LatLonBoundingBox minx="-73.9904" miny="-33.7511" maxx="-28.8477" maxy="5.27184" />
    <Layer queryable="1" opaque="0" cascaded="0">
        <Name>lito_1000000</Name>
        <Title>Litologia, escala 1:1.000.000 (unidades, idades)</Title>
        <SRS>EPSG:4326</SRS>
        <LatLonBoundingBox minx="-73.9" miny="-33.7" maxx="-28.8" maxy="5.2" />
        <Style>
          <Name>default</Name>
          <Title>default</Title>
        </Style>
    </Layer>
    <Layer>
        <Title>Recursos minerais</Title>
        <Layer queryable="1" opaque="0" cascaded="0">
            <Name>ocorrencias</Name>
            <Title>Ocorrências &amp; depósitos</Title>
        </Layer>
    </Layer>
    <Layer queryable="0" opaque="1">
        <Name>relevo</Name>
        <Title>Relevo sombreado</Title>
    </Layer>
  </Layer>
</Capability>
</WMT_MS_Capabilities>
)";

// A queryable root whose box values are not all numbers, and no title line
// but the next element after one name.
const char* const kQueryableRoot = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<WMT_MS_Capabilities version="1.1.1" updateSequence="0">
<Capability>
<Layer queryable="1">
<Name>geologia_sb22</Name>
<Title>Folha SB-22 Araguaia, geologia</Title>
<LatLonBoundingBox minx="-54.0" miny="abc" maxx="" maxy="-4,5"/>
<Layer queryable="1">
<Name>falhas</Name>
<Title>Falhas e fraturas</Title>
</Layer>
</Layer>
</Capability>
</WMT_MS_Capabilities>
)";

// No box at all, layers whose names are "default" and a layer without a name.
const char* const kNoBox = R"(<?xml version="1.0"?>
<WMT_MS_Capabilities version="1.1.1">
<Capability>
<Layer>
<Title>Raiz sem nome</Title>
<Layer queryable="1">
<Name>default</Name>
<Title>Camada padrão</Title>
</Layer>
<Layer queryable="1">
<Name>drenagem</Name>
<Title>Drenagem</Title>
</Layer>
</Layer>
</Capability>
</WMT_MS_Capabilities>
)";

QByteArray withLineEnds(const char* document, const char* end) {
    QByteArray bytes(document);
    bytes.replace("\n", end);
    return bytes;
}

void expectBox(const std::optional<LatLonBox>& box, double minx, double miny, double maxx,
               double maxy) {
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ(box->minx, minx);
    EXPECT_DOUBLE_EQ(box->miny, miny);
    EXPECT_DOUBLE_EQ(box->maxx, maxx);
    EXPECT_DOUBLE_EQ(box->maxy, maxy);
}

TEST(Capabilities, linesGiveEachNamedLayerWithTheTitleOnTheNextLine) {
    const Capabilities read = readCapabilitiesByLines(kMapServer, 0);
    EXPECT_EQ(read.entries,
              QStringList({"0*Geologia do Brasil,brasil",
                           "0*Litologia, escala 1:1.000.000 (unidades, idades),lito_1000000",
                           "0*Ocorrências & depósitos,ocorrencias", "0*Relevo sombreado,relevo"}));
    // The root layer's box, the first in the document.
    expectBox(read.firstBox, -73.9904, -33.7511, -28.8477, 5.27184);
    // The name is the text after the entry's last comma.
    EXPECT_EQ(layerNameOf(read.entries[1]), "lito_1000000");
}

TEST(Capabilities, bothReadersAgreeOnDocumentsWithOneElementPerLine) {
    struct Case {
        const char* what;
        QByteArray document;
    };
    const QByteArray bom("\xEF\xBB\xBF");
    const std::vector<Case> cases = {
        {"MapServer, LF", kMapServer},
        {"MapServer, CR LF", withLineEnds(kMapServer, "\r\n")},
        {"MapServer, CR alone", withLineEnds(kMapServer, "\r")},
        {"MapServer, byte order mark", bom + withLineEnds(kMapServer, "\r\n")},
        {"queryable root", kQueryableRoot},
        {"queryable root, CR alone", withLineEnds(kQueryableRoot, "\r")},
        {"no box", kNoBox},
    };
    for (const Case& c : cases) {
        const Capabilities lines = readCapabilitiesByLines(c.document, 2);
        const Capabilities xml = readCapabilitiesAsXml(c.document, 2);
        EXPECT_FALSE(lines.entries.isEmpty()) << c.what;
        EXPECT_EQ(lines.entries, xml.entries) << c.what;
        ASSERT_EQ(lines.firstBox.has_value(), xml.firstBox.has_value()) << c.what;
        if (lines.firstBox) {
            expectBox(xml.firstBox, lines.firstBox->minx, lines.firstBox->miny,
                      lines.firstBox->maxx, lines.firstBox->maxy);
        }
        EXPECT_EQ(readCapabilities(c.document, 2).entries, lines.entries) << c.what;
    }
}

TEST(Capabilities, crAloneEndsALineLikeLfAndCrLf) {
    const QStringList expected = readCapabilitiesByLines(kMapServer, 0).entries;
    EXPECT_EQ(expected.size(), 4);
    EXPECT_EQ(readCapabilitiesByLines(withLineEnds(kMapServer, "\r"), 0).entries, expected);
    EXPECT_EQ(readCapabilitiesByLines(withLineEnds(kMapServer, "\r\n"), 0).entries, expected);
    // An empty line between CR LF pairs is still one line: the title stays next.
    EXPECT_EQ(
        readCapabilitiesByLines("<Layer>\r\n<Name>a</Name>\r\n<Title>A</Title>\r\n", 0).entries,
        QStringList({"0*A,a"}));
    EXPECT_EQ(readCapabilitiesByLines("<Layer>\n\r<Name>a</Name>\r<Title>A</Title>", 0).entries,
              QStringList({"0*A,a"}));
}

TEST(Capabilities, latin1DocumentsKeepTheirAccents) {
    QByteArray document(kQueryableRoot);
    document.replace("Falhas e fraturas", "Falhas e fraturas (s\xE9rie)");
    const Capabilities lines = readCapabilitiesByLines(document, 0);
    EXPECT_EQ(lines.entries.value(1), "0*Falhas e fraturas (série),falhas");
    EXPECT_EQ(readCapabilitiesAsXml(document, 0).entries, lines.entries);
}

TEST(Capabilities, boxValuesThatAreNotNumbersAreZero) {
    expectBox(readCapabilitiesByLines(kQueryableRoot, 0).firstBox, -54.0, 0, 0, 0);
    expectBox(readCapabilitiesAsXml(kQueryableRoot, 0).firstBox, -54.0, 0, 0, 0);
    // Fewer than four quoted values: the missing ones are 0.
    expectBox(readCapabilitiesByLines("<LatLonBoundingBox minx=\"-10\" miny=\"-20\" maxx=30/>", 0)
                  .firstBox,
              -10, -20, 0, 0);
    expectBox(readCapabilitiesByLines("<LatLonBoundingBox/>", 0).firstBox, 0, 0, 0, 0);
    // Only the first box counts.
    expectBox(
        readCapabilitiesByLines("<LatLonBoundingBox minx=\"1\" miny=\"2\" maxx=\"3\" maxy=\"4\"/>\n"
                                "<LatLonBoundingBox minx=\"5\" miny=\"6\" maxx=\"7\" maxy=\"8\"/>",
                                0)
            .firstBox,
        1, 2, 3, 4);
    EXPECT_FALSE(readCapabilitiesByLines(kNoBox, 0).firstBox);
    EXPECT_FALSE(readCapabilitiesAsXml(kNoBox, 0).firstBox);
}

TEST(Capabilities, namesBeforeAnyLayerAndDefaultNamesGiveNoEntry) {
    // The service's own Name comes before any layer.
    const char* service = "<Service>\n<Name>OGC:WMS</Name>\n<Title>Serviço</Title>\n</Service>\n";
    EXPECT_TRUE(readCapabilitiesByLines(service, 0).entries.isEmpty());
    EXPECT_TRUE(readCapabilitiesAsXml(service, 0).entries.isEmpty());
    // A "default" name, and the layer stays open for the next name.
    const char* withDefault =
        "<Layer queryable=\"1\">\n<Name>default</Name>\n<Title>Padrão</Title>\n"
        "<Name>geologia</Name>\n<Title>Geologia</Title>\n</Layer>\n";
    EXPECT_EQ(readCapabilitiesByLines(withDefault, 0).entries,
              QStringList({"0*Geologia,geologia"}));
    // After a name the layer is closed: a style name below it adds nothing.
    const char* style =
        "<Layer>\n<Name>geologia</Name>\n<Title>Geologia</Title>\n<Style>\n"
        "<Name>cores</Name>\n<Title>Cores</Title>\n</Style>\n</Layer>\n";
    EXPECT_EQ(readCapabilitiesByLines(style, 0).entries, QStringList({"0*Geologia,geologia"}));
    EXPECT_EQ(readCapabilitiesAsXml(style, 0).entries, QStringList({"0*Geologia,geologia"}));
    // The default layer of the document above has no entry in either reader.
    EXPECT_EQ(readCapabilitiesAsXml(kNoBox, 1).entries, QStringList({"1*Drenagem,drenagem"}));
}

TEST(Capabilities, entriesCarryTheServiceNumberAndBoxesMakeTheUnion) {
    const Capabilities first = readCapabilities(kMapServer, 0);
    const Capabilities second = readCapabilities(kQueryableRoot, 1);
    EXPECT_EQ(second.entries, QStringList({"1*Folha SB-22 Araguaia, geologia,geologia_sb22",
                                           "1*Falhas e fraturas,falhas"}));
    ExtentExtremes extremes;
    ASSERT_TRUE(first.firstBox && second.firstBox);
    extremes.add(*first.firstBox);
    extremes.add(*second.firstBox);
    EXPECT_DOUBLE_EQ(extremes.north, 5.27184);
    EXPECT_DOUBLE_EQ(extremes.south, -33.7511);
    EXPECT_DOUBLE_EQ(extremes.east, 0);  // the second box's maxx is not a number
    EXPECT_DOUBLE_EQ(extremes.west, -73.9904);

    ExtentExtremes two;
    two.add({-50, -10, -40, 0});
    two.add({-45, -20, -30, -5});
    EXPECT_DOUBLE_EQ(two.north, 0);
    EXPECT_DOUBLE_EQ(two.south, -20);
    EXPECT_DOUBLE_EQ(two.east, -30);
    EXPECT_DOUBLE_EQ(two.west, -50);
}

TEST(Capabilities, extremesStartAtTheValuesThatMeanNoBoxYet) {
    const ExtentExtremes none;
    EXPECT_EQ(none.north, -12121212121.0);
    EXPECT_EQ(none.east, -1212121212.0);
    EXPECT_EQ(none.west, 12121212121.0);
    EXPECT_EQ(none.south, 1212121212.0);
    ExtentExtremes one;
    one.add({-74, -34, -34, 5.3});
    EXPECT_EQ(one.north, 5.3);
    EXPECT_EQ(one.east, -34);
    EXPECT_EQ(one.west, -74);
    EXPECT_EQ(one.south, -34);
}

TEST(Capabilities, addressIsCutBeforeItsFirstComma) {
    EXPECT_EQ(addressBeforeComma("http://geo.invalid/wms?map=a.map&,Geologia, 1:250.000"),
              "http://geo.invalid/wms?map=a.map&");
    EXPECT_EQ(addressBeforeComma("http://geo.invalid/wms?"), "http://geo.invalid/wms?");
    EXPECT_EQ(addressBeforeComma(",x"), "");
}

TEST(Capabilities, aDocumentOnOneLineIsReadAsXml) {
    QByteArray oneLine(kMapServer);
    oneLine.replace("\n", "");
    // The line rules cut the name after the line's first ">" (the
    // declaration's): an empty name, so the XML reader's entries and box.
    const Capabilities lines = readCapabilitiesByLines(oneLine, 3);
    EXPECT_TRUE(lines.entries.isEmpty() || layerNameOf(lines.entries.first()).isEmpty());
    const Capabilities read = readCapabilities(oneLine, 3);
    EXPECT_EQ(read.entries, readCapabilitiesByLines(kMapServer, 3).entries);
    expectBox(read.firstBox, -73.9904, -33.7511, -28.8477, 5.27184);

    // The same without "default" anywhere, so that the line rules do find a
    // "<Name>" in the open layer.
    QByteArray noStyles = oneLine;
    noStyles.replace("<Name>default</Name>", "").replace("<Title>default</Title>", "");
    const Capabilities lines2 = readCapabilitiesByLines(noStyles, 3);
    ASSERT_EQ(lines2.entries.size(), 1);
    EXPECT_EQ(layerNameOf(lines2.entries.first()), "");
    EXPECT_EQ(readCapabilities(noStyles, 3).entries, read.entries);
}

TEST(Capabilities, aLargeDocumentOnOneLineGivesAllItsLayers) {
    QByteArray document =
        "<?xml version=\"1.0\"?><WMT_MS_Capabilities version=\"1.1.1\">"
        "<Capability><Layer><Title>Raiz</Title>"
        "<LatLonBoundingBox minx=\"-74\" miny=\"-34\" maxx=\"-34\" maxy=\"5\"/>";
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        document += "<Layer queryable=\"1\"><Name>camada_" + QByteArray::number(i) +
                    "</Name><Title>Camada " + QByteArray::number(i) +
                    ", folha</Title><Style><Name>default</Name></Style></Layer>";
    }
    document += "</Layer></Capability></WMT_MS_Capabilities>";
    const Capabilities read = readCapabilities(document, 0);
    ASSERT_EQ(read.entries.size(), count);
    EXPECT_EQ(read.entries.first(), "0*Camada 0, folha,camada_0");
    EXPECT_EQ(read.entries.last(), "0*Camada 19999, folha,camada_19999");
    expectBox(read.firstBox, -74, -34, -34, 5);
}

TEST(Capabilities, titleOnTheNameLineIsReadRightOnlyByTheXmlReader) {
    const char* document =
        "<WMT_MS_Capabilities version=\"1.1.1\">\n<Capability>\n<Layer queryable=\"1\">\n"
        "<Name>lito</Name><Title>Litologia</Title>\n<SRS>EPSG:4326</SRS>\n</Layer>\n"
        "</Capability>\n</WMT_MS_Capabilities>\n";
    // The line rules take the next line, whatever it is, for the title.
    EXPECT_EQ(readCapabilitiesByLines(document, 0).entries, QStringList({"0*EPSG:4326,lito"}));
    EXPECT_EQ(readCapabilitiesAsXml(document, 0).entries, QStringList({"0*Litologia,lito"}));
}

TEST(Capabilities, lineRulesCutToTheEndOfTheLineAndTakeAMissingTitleAsEmpty) {
    // "<Name>" without its closing tag: to the end of the line. The document
    // is not well-formed, and the line rules alone give the layer.
    const char* open = "<Layer>\n  <Name>lito_250000  \n  <Title>Litologia 1:250.000</Title>\n";
    EXPECT_EQ(readCapabilitiesByLines(open, 0).entries,
              QStringList({"0*Litologia 1:250.000,lito_250000"}));
    EXPECT_EQ(readCapabilities(open, 0).entries,
              QStringList({"0*Litologia 1:250.000,lito_250000"}));
    // The last line holds the name: no title line, an empty title.
    EXPECT_EQ(readCapabilitiesByLines("<Layer>\n<Name>lito</Name>", 0).entries,
              QStringList({"0*,lito"}));
    EXPECT_EQ(readCapabilitiesByLines("<Layer>\n<Name>lito</Name>\n", 0).entries,
              QStringList({"0*,lito"}));
    // A title line without ">": from the start of the line up to its "<", or
    // all of it.
    EXPECT_EQ(readCapabilitiesByLines("<Layer>\n<Name>lito</Name>\nLitologia <b", 0).entries,
              QStringList({"0*Litologia,lito"}));
    EXPECT_EQ(readCapabilitiesByLines("<Layer>\n<Name>lito</Name>\nLitologia", 0).entries,
              QStringList({"0*Litologia,lito"}));
    // A title line whose only ">" ends it: an empty title.
    EXPECT_EQ(readCapabilitiesByLines("<Layer>\n<Name>lito</Name>\nLitologia</Title>", 0).entries,
              QStringList({"0*,lito"}));
}

TEST(Capabilities, prettyPrintedNamesAndTitlesLoseTheirBlanks) {
    const char* document =
        "<WMT_MS_Capabilities>\n<Capability>\n<Layer>\n<Name>\n  lito\n</Name>\n"
        "<Title>\n  Litologia\n  do Brasil\n</Title>\n</Layer>\n</Capability>\n"
        "</WMT_MS_Capabilities>\n";
    // The line rules find an empty name; the XML reader reads it.
    const Capabilities read = readCapabilities(document, 0);
    EXPECT_EQ(read.entries, QStringList({"0*Litologia do Brasil,lito"}));
    EXPECT_EQ(
        readCapabilitiesByLines("<Layer>\n<Name> lito </Name>\n<Title>  A  b </Title>", 0).entries,
        QStringList({"0*A b,lito"}));
}

TEST(Capabilities, xmlReaderTakesEachLayersOwnNameAndTitle) {
    // Title before Name, a nested layer before the parent's own elements end,
    // a second Name ignored, entries in the order of their names.
    const char* document =
        "<WMT_MS_Capabilities><Capability>"
        "<Layer><Title>Pai</Title><Name>pai</Name>"
        "<Layer><Name>filho</Name><Layer><Title>Neto sem nome</Title></Layer>"
        "<Title>Filho</Title></Layer>"
        "<Name>outro</Name></Layer>"
        "<Layer><Name>solto</Name></Layer>"
        "</Capability></WMT_MS_Capabilities>";
    EXPECT_EQ(readCapabilitiesAsXml(document, 4).entries,
              QStringList({"4*Pai,pai", "4*Filho,filho", "4*,solto"}));
}

TEST(Capabilities, brokenXmlGivesWhatWasReadBeforeTheFault) {
    const char* document =
        "<WMT_MS_Capabilities><Capability><Layer><Name>a</Name><Title>A</Title></Layer>"
        "<Layer><Name>b</Name><Title>B</Title></Lay";
    EXPECT_EQ(readCapabilitiesAsXml(document, 0).entries, QStringList({"0*A,a", "0*B,b"}));
    EXPECT_TRUE(readCapabilitiesAsXml("", 0).entries.isEmpty());
    EXPECT_TRUE(readCapabilitiesAsXml(QByteArray("\0\xff\xfe garbage", 12), 0).entries.isEmpty());
    EXPECT_TRUE(readCapabilities("", 0).entries.isEmpty());
    EXPECT_FALSE(readCapabilities("", 0).firstBox);
    // Neither reader finds a layer: the line rules' (empty) result.
    const Capabilities error = readCapabilities(
        "<ServiceExceptionReport><ServiceException>msWMSLoadGetMapParams(): "
        "LatLonBoundingBox</ServiceException></ServiceExceptionReport>",
        0);
    EXPECT_TRUE(error.entries.isEmpty());
}

TEST(Capabilities, lineRulesDecodeCharacterReferences) {
    const char* document =
        "<WMT_MS_Capabilities>\n<Capability>\n<Layer>\n<Name>rios_&amp;_lagos</Name>\n"
        "<Title>Rios &#x26; lagos &lt;1:1M&gt; &#231;&quot;&apos; &bogus; &#0; & x</Title>\n"
        "</Layer>\n</Capability>\n</WMT_MS_Capabilities>\n";
    const Capabilities lines = readCapabilitiesByLines(document, 0);
    EXPECT_EQ(lines.entries,
              QStringList({"0*Rios & lagos <1:1M> ç\"' &bogus; &#0; & x,rios_&_lagos"}));
}

TEST(CapabilitiesAnswer, documentsOfBothVersionsPassWhateverComesBeforeTheirRoot) {
    EXPECT_TRUE(isCapabilitiesDocument(kMapServer));  // a DOCTYPE with "]>" and a comment
    EXPECT_TRUE(checkCapabilitiesAnswer(kMapServer));
    EXPECT_TRUE(isCapabilitiesDocument(
        "\xEF\xBB\xBF\r\n  <?xml version=\"1.0\"?>\n<!-- <Layer> -->\n"
        "<WMS_Capabilities version=\"1.3.0\" xmlns=\"http://www.opengis.net/wms\">"));
    EXPECT_TRUE(isCapabilitiesDocument("<wms:WMS_Capabilities xmlns:wms=\"x\"/>"));
    EXPECT_TRUE(isCapabilitiesDocument(
        "<!DOCTYPE WMT_MS_Capabilities SYSTEM 'x.dtd' [ <!ENTITY a \"b>c\"> ]>"
        "<WMT_MS_Capabilities>"));
    const QString utf16 = QStringLiteral("<?xml version=\"1.0\"?><WMT_MS_Capabilities/>");
    QByteArray le("\xFF\xFE");
    le.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    EXPECT_TRUE(isCapabilitiesDocument(le));
}

TEST(CapabilitiesAnswer, pagesAndExceptionReportsFailWithTheServersText) {
    const platform::Result page = checkCapabilitiesAnswer(
        "<html><head><title>Proxy</title></head><body><p>Autentica&ccedil;&atilde;o "
        "necess&aacute;ria</p></body></html>");
    EXPECT_FALSE(page);
    EXPECT_EQ(page.message, QString::fromUtf8("Proxy\nAutenticação necessária"));
    EXPECT_TRUE(page.detail.contains("3c 68 74 6d 6c")) << page.detail.toStdString();

    const platform::Result exception = checkCapabilitiesAnswer(
        "<?xml version='1.0'?>\n<ServiceExceptionReport version=\"1.1.1\">\n<ServiceException>"
        "msLoadMap(): Unable to access file.</ServiceException>\n</ServiceExceptionReport>");
    EXPECT_EQ(exception.message, "msLoadMap(): Unable to access file.");

    EXPECT_EQ(checkCapabilitiesAnswer({}).message, kEmptyAnswerMessage);
    EXPECT_EQ(checkCapabilitiesAnswer("<?xml version='1.0'?><Outro/>").message,
              kNotCapabilitiesMessage);
    EXPECT_EQ(checkCapabilitiesAnswer(QByteArray("\x89PNG\r\n\x1A\n\0\0", 10)).message,
              kNotCapabilitiesMessage);
    // A declaration that never ends, or a root after 64 KB of comment, is not one.
    EXPECT_FALSE(isCapabilitiesDocument("<!DOCTYPE WMT_MS_Capabilities [ <WMT_MS_Capabilities>"));
    EXPECT_FALSE(
        isCapabilitiesDocument("<!--" + QByteArray(70'000, ' ') + "--><WMT_MS_Capabilities>"));
    EXPECT_FALSE(isCapabilitiesDocument("texto <WMT_MS_Capabilities>"));
}

}  // namespace
}  // namespace wms
