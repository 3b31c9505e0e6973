#include "remote/search_plot.h"

#include "platform/text_file.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace remote {
namespace {

QStringList page(const QString& fourthLine) {
    return {"<html>", "<head>", "<title>Pesquisa</title>", fourthLine, "</head>"};
}

TEST(ResultFileName, isTheFourthLineWithoutItsFirstElevenCharacters) {
    const ResultName r = resultFileName(page("<p>arquivo=pesq_20240101_17.txt"));
    ASSERT_TRUE(r.name.has_value());
    EXPECT_EQ(*r.name, "pesq_20240101_17.txt");
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_EQ(resultFileName(page("12345678901resultado.txt")).name, "resultado.txt");
    EXPECT_EQ(resultFileName(page("12345678901Pesq-2.v1.TXT")).name, "Pesq-2.v1.TXT");
    EXPECT_EQ(resultFileName(page(QString::fromUtf8("12345678901pesquisa_água.txt"))).name,
              QString::fromUtf8("pesquisa_água.txt"));
}

TEST(ResultFileName, refusesAnythingButAPlainFileNameNamingIt) {
    const QString prefix = QStringLiteral("12345678901");
    for (const QString& name :
         {QStringLiteral(".bashrc"), QStringLiteral("a b.txt"), QStringLiteral("=pesq.txt"),
          QStringLiteral("a;b.txt"), QStringLiteral("a*b"), QStringLiteral("a\"b")}) {
        SCOPED_TRACE(name.toStdString());
        const ResultName r = resultFileName(page(prefix + name));
        EXPECT_FALSE(r.name.has_value());
        EXPECT_TRUE(r.message.contains("\"" + name + "\"")) << r.message.toStdString();
    }
}

TEST(ResultFileName, refusesTheProgramsOwnFilesInAnyLetterCase) {
    const QString prefix = QStringLiteral("12345678901");
    for (const QString& name :
         {"quelvora", "QUELVORA", "CONFIG.DAT", "conf.dat", "lista.txt", "ListaWms.txt",
          "listawms1.txt", "layers.txt", "parametro.txt", "temp.jpg", "Temp.BMP", "temp1.bmp",
          "fox1.bmp", "fox2.bmp", "quelvora.conf", "drives.conf", "legenda.jpg", "Legenda.PNG"}) {
        SCOPED_TRACE(name.toStdString());
        const ResultName r = resultFileName(page(prefix + name));
        EXPECT_FALSE(r.name.has_value());
        EXPECT_TRUE(r.message.contains(name)) << r.message.toStdString();
        EXPECT_TRUE(r.message.contains("próprio programa")) << r.message.toStdString();
    }
    // A name that only begins like one of them is the search's own.
    EXPECT_EQ(resultFileName(page(prefix + "lista.txt.1")).name, "lista.txt.1");
    EXPECT_EQ(resultFileName(page(prefix + "quelvora_pesq.txt")).name, "quelvora_pesq.txt");
}

TEST(ResultFileName, refusesNamesThatLeaveTheProgramFolderOrNameNoFile) {
    const QString prefix = QStringLiteral("12345678901");
    const QStringList bad = {"", "../conf.dat", "..", ".", "sub/a.txt", "sub\\a.txt", "/etc/passwd",
                             "C:a.txt", "z:", "a..b", "a\tb", "a\rb",
                             // No Windows file name holds a colon; an accented
                             // letter before one was found by the fuzzer.
                             "ab:c.txt", QString::fromUtf8("ú:a3,x,1")};
    for (const QString& name : bad) {
        SCOPED_TRACE(name.toStdString());
        const ResultName r = resultFileName(page(prefix + name));
        EXPECT_FALSE(r.name.has_value());
        EXPECT_FALSE(r.message.isEmpty());
    }
    const ResultName nul = resultFileName(page(prefix + QStringLiteral("a") + QChar(0) + "b"));
    EXPECT_FALSE(nul.name.has_value());
    EXPECT_FALSE(nul.message.contains(QChar(0)));
    // The fourth line shorter than the prefix leaves nothing.
    EXPECT_FALSE(resultFileName(page("short")).name.has_value());
}

TEST(ResultFileName, pageOfFewerThanFourLinesHasNoName) {
    const ResultName r = resultFileName({"a", "b", "12345678901x.txt"});
    EXPECT_FALSE(r.name.has_value());
    EXPECT_TRUE(r.message.contains("quatro linhas"));
    EXPECT_FALSE(resultFileName({}).name.has_value());
}

TEST(ResultFile, headerOnlyGivesNoPoints) {
    EXPECT_TRUE(readResultFile({"ID,LATITUDE,LONGITUDE,NOME"}).empty());
    EXPECT_TRUE(readResultFile({}).empty());
}

TEST(ResultFile, readsFieldsTwoAndThreeAndSkipsLinesWithoutNumbers) {
    const std::vector<SearchPoint> points = readResultFile({
        "ID,LAT,LON,NOME",
        "a1,-15.5,-47.25,Brasília, DF",  // further fields ignored
        "a2,-15.5",                      // no longitude
        "a3,x,-47",                      // latitude not a number
        "",                              // empty line
        "a5, -3e1 ,+12,",                // blanks around, signs and exponents
        "a6,-15,5,-47,25",               // decimal commas split the numbers
        "a7,nan,1", "a8,1,inf", "a9,1e999,1",
        "a10,2,3",  // no fourth field
    });
    const std::vector<SearchPoint> expected = {
        {1, -15.5, -47.25}, {5, -30, 12}, {6, -15, 5}, {10, 2, 3}};
    EXPECT_EQ(points, expected);
}

// A 1000 × 800 picture of a 10 × 8 extent: the logical space is 4,000,000 ×
// 3,200,000 and one pixel is 4,000 logical units each way, so a circle's
// radius is 4 pixels.
const mapcontrol::Rectangle kExtent(-50, -40, -12, -20);  // left, right, top, bottom

QImage whitePicture() {
    QImage picture(1000, 800, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

bool isYellow(const QImage& p, int x, int y) {
    return p.pixel(x, y) == qRgb(255, 255, 0);
}

bool isDark(QRgb c) {
    return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128;
}

int darkPixels(const QImage& p, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) n += isDark(p.pixel(x, y));
    }
    return n;
}

TEST(PlotFrame, longerSideSpansFourMillionUnitsAndYGrowsUp) {
    const auto wide = PlotFrame::make(kExtent, {1000, 800});
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->logicalWidth(), 4'000'000);
    EXPECT_EQ(wide->logicalHeight(), 3'200'000);
    EXPECT_EQ(wide->logicalPoint(-16, -45), QPointF(2'000'000, 1'600'000));
    EXPECT_EQ(wide->pixel(QPointF(2'000'000, 1'600'000)), QPointF(500, 400));
    EXPECT_EQ(wide->pixel(QPointF(0, 0)), QPointF(0, 800));  // bottom-left corner

    const auto tall = PlotFrame::make(mapcontrol::Rectangle(0, 3, 9, 0), {30, 90});
    ASSERT_TRUE(tall.has_value());
    EXPECT_EQ(tall->logicalWidth(), 1'333'333);
    EXPECT_EQ(tall->logicalHeight(), 4'000'000);
    // Rounded to whole logical units: 1 × 1,333,333 / 3 = 444,444.33.
    EXPECT_EQ(tall->logicalPoint(0, 1), QPointF(444'444, 0));
}

TEST(PlotFrame, degenerateExtentsAndPicturesHaveNone) {
    EXPECT_FALSE(PlotFrame::make(mapcontrol::Rectangle(), {10, 10}));
    EXPECT_FALSE(PlotFrame::make(mapcontrol::Rectangle(1, 1, 2, 0), {10, 10}));
    EXPECT_FALSE(PlotFrame::make(mapcontrol::Rectangle(0, 1, 1, 1), {10, 10}));
    EXPECT_FALSE(PlotFrame::make(mapcontrol::Rectangle(0, 1e9, 1e-9, 0), {10, 10}));
    EXPECT_FALSE(PlotFrame::make(kExtent, {0, 10}));
}

TEST(SearchPlot, circlesAreYellowWithABlackOutlineAtTheirPoints) {
    QImage picture = whitePicture();
    const std::vector<SearchPoint> points = {{1, -16, -45}, {2, -13, -41}};
    EXPECT_EQ(plotSearchPoints(picture, kExtent, points), 2);
    for (const QPoint centre : {QPoint(500, 400), QPoint(900, 100)}) {
        SCOPED_TRACE(centre.x());
        EXPECT_TRUE(isYellow(picture, centre.x(), centre.y()));
        EXPECT_TRUE(isYellow(picture, centre.x() - 2, centre.y() + 2));
        // The outline lies about 4 pixels out on each side; beyond it the picture is untouched.
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            int dark = 0;
            for (int d = 3; d <= 5; ++d) dark += isDark(picture.pixel(centre + step * d));
            EXPECT_GE(dark, 1);
            EXPECT_EQ(picture.pixel(centre + step * 7), qRgb(255, 255, 255));
        }
    }
    // Nothing else was drawn: no yellow far from the two points.
    EXPECT_FALSE(isYellow(picture, 300, 300));
}

TEST(SearchPlot, numbersOnlyOnExtentsAtMostAThirdOfAUnitWide) {
    // The number's top-left is 70,000 units left of and 90,000 above the
    // point: 17.5 pixels left and 22.5 up here.
    const QRect numberArea(470, 370, 40, 24);
    QImage wide = whitePicture();
    plotSearchPoints(wide, kExtent, {{1, -16, -45}});
    EXPECT_EQ(darkPixels(wide, numberArea), 0);

    // The same geometry at 1/30 of the size: 0.3333 wide draws numbers,
    // 0.33331 does not.
    QImage narrow = whitePicture();
    const mapcontrol::Rectangle third(0, 0.3333, 0.26664, 0);
    EXPECT_EQ(plotSearchPoints(narrow, third, {{7, 0.13332, 0.16665}}), 1);
    EXPECT_TRUE(isYellow(narrow, 500, 400));
    EXPECT_GT(darkPixels(narrow, numberArea), 5);
    EXPECT_EQ(darkPixels(narrow, QRect(520, 300, 100, 60)), 0);  // right of the number

    QImage justWider = whitePicture();
    plotSearchPoints(justWider, mapcontrol::Rectangle(0, 0.33331, 0.266648, 0),
                     {{7, 0.133324, 0.166655}});
    EXPECT_EQ(darkPixels(justWider, numberArea), 0);
}

TEST(SearchPlot, pointsFarOutsideAreSkippedAndABadExtentDrawsNothing) {
    QImage picture = whitePicture();
    const std::vector<SearchPoint> points = {{1, -16, 1e300}, {2, 1e12, -45}, {3, -16, -45}};
    EXPECT_EQ(plotSearchPoints(picture, kExtent, points), 1);

    QImage untouched = whitePicture();
    EXPECT_EQ(plotSearchPoints(untouched, mapcontrol::Rectangle(1, 1, 1, 1), points), 0);
    EXPECT_EQ(untouched, whitePicture());
    EXPECT_EQ(plotSearchPoints(untouched, kExtent, {}), 0);
    EXPECT_EQ(untouched, whitePicture());
}

TEST(SearchPlot, circleWiderThanThePictureIsStillDrawn) {
    // 0.001 wide and 10 high: 400 logical units across 100 pixels, so the
    // circle is 4,000 pixels wide and 0.4 high.
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);
    EXPECT_EQ(plotSearchPoints(picture, mapcontrol::Rectangle(0, 0.001, 10, 0), {{1, 5, 0.0005}}),
              1);
    EXPECT_TRUE(isDark(picture.pixel(50, 50)) || isYellow(picture, 50, 50));
    EXPECT_EQ(picture.pixel(50, 40), qRgb(255, 255, 255));
}

TEST(Spreadsheet, commasBecomeTabsAndDataLinesTakeDecimalCommas) {
    const QStringList lines = {"ID,2,LAT.DEC,LON", "a1,2,-15.5,-47.25,x", "b,2,2,c", ""};
    const QStringList out = spreadsheetLines(lines);
    EXPECT_EQ(out, QStringList({"ID\tLAT.DEC\tLON", "a1\t-15,5\t-47,25\tx", "b\t2\tc", ""}));

    QTemporaryDir dir;
    const QString path = dir.filePath("pesquisa.txt");
    ASSERT_TRUE(platform::writeTextLines(path, out).ok);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              QByteArray("ID\tLAT.DEC\tLON\r\na1\t-15,5\t-47,25\tx\r\nb\t2\tc\r\n\r\n"));
    EXPECT_TRUE(spreadsheetLines({}).isEmpty());
}

}  // namespace
}  // namespace remote
