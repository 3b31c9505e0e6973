#include "platform/text_file.h"
#include "platform/text_codec.h"
#include "support/disk_full.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

TEST(Windows1252, everyByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    bool lossless = false;
    EXPECT_EQ(platform::encodeWindows1252(platform::decodeWindows1252(all), &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(Windows1252, portugueseAndTypographicCharactersUseTheirSingleBytes) {
    EXPECT_EQ(platform::encodeWindows1252(QString::fromUtf8("Formação Ribeirão")),
              QByteArray("Forma\xe7\xe3o Ribeir\xe3o"));
    EXPECT_EQ(platform::decodeWindows1252("\x80\x93\x96\xb4"), QString::fromUtf8("€“–´"));
}

TEST(Windows1252, charactersOutsideTheCodePageBecomeOneQuestionMark) {
    bool lossless = true;
    EXPECT_EQ(platform::encodeWindows1252(QString::fromUtf8("a→b😀c"), &lossless), "a?b?c");
    EXPECT_FALSE(lossless);
}

TEST(TextFile, linesAreWrittenInWindows1252EachEndedByCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    ASSERT_TRUE(platform::writeTextLines(path, {QString::fromUtf8("ação"), "", "fim"}));
    EXPECT_EQ(readBytes(path), QByteArray("a\xe7\xe3o\r\n\r\nfim\r\n"));
    ASSERT_TRUE(platform::writeTextLines(path, {}));
    EXPECT_EQ(readBytes(path), QByteArray());
}

TEST(TextFile, readingAcceptsCrLfLfAndAFinalLineWithoutEnd) {
    const QStringList lines = platform::splitTextLines("um\r\ndois\nr\xe9s\r\n\r\nfim");
    EXPECT_EQ(lines, QStringList({"um", "dois", QString::fromUtf8("rés"), "", "fim"}));
    EXPECT_EQ(platform::splitTextLines("a\r\n"), QStringList({"a"}));
    EXPECT_EQ(platform::splitTextLines(""), QStringList());
    EXPECT_EQ(platform::splitTextLines("\r\n"), QStringList({""}));
    // A lone CR is part of the line's text, as on Windows.
    EXPECT_EQ(platform::splitTextLines("a\rb\n"), QStringList({"a\rb"}));
}

TEST(TextFile, writtenLinesReadBackUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("round.txt");
    const QStringList lines = {"*geologia.shp                          ,dados\\geologia.shp", "  ",
                               QString::fromUtf8("Quaternário, aluviões"), ""};
    ASSERT_TRUE(platform::writeTextLines(path, lines));
    const platform::TextLines read = platform::readTextLines(path);
    ASSERT_TRUE(read.result);
    EXPECT_EQ(read.lines, lines);
}

TEST(TextFile, firstLineProbeReadsOneLineOrNothing) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("two.txt"), "primeira\r\nsegunda\r\n");
    writeBytes(dir.filePath("empty.txt"), "");
    EXPECT_EQ(platform::readFirstTextLine(dir.filePath("two.txt")).lines,
              QStringList({"primeira"}));
    const platform::TextLines empty = platform::readFirstTextLine(dir.filePath("empty.txt"));
    EXPECT_TRUE(empty.result);
    EXPECT_TRUE(empty.lines.isEmpty());
}

TEST(TextFile, missingFileIsAFailureWithADetail) {
    const platform::TextLines read = platform::readTextLines("/nonexistent/quelvora/x.txt");
    EXPECT_FALSE(read.result);
    EXPECT_FALSE(read.result.message.isEmpty());
    EXPECT_FALSE(read.result.detail.isEmpty());
    EXPECT_FALSE(platform::readFirstTextLine("/nonexistent/quelvora/x.txt").result);
}

TEST(TextFile, writeFailingHalfWayLeavesThePreviousFileIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cores.cor");
    ASSERT_TRUE(platform::writeTextLines(path, {"SIGLA,1", "GR,200,10,30,3"}));

    // A file size limit makes the disk refuse the write part of the way
    // through, as a full disk would; this holds for root too.
    platform::Result result = platform::Result::success();
    {
        const support::DiskFull full(4096);
        ASSERT_TRUE(full.isSet());
        result = platform::writeTextLines(path, QStringList(100, QString(200, 'x')));
    }

    EXPECT_FALSE(result);
    EXPECT_EQ(readBytes(path), QByteArray("SIGLA,1\r\nGR,200,10,30,3\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"cores.cor"}));
}

TEST(TextFile, aDiskFullWithinTheFirstWriteIsSeenToo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zoom.txt");
    ASSERT_TRUE(platform::writeTextLines(path, {"antes"}));
    // The disk takes the first 8 bytes of a small file, then refuses: the
    // short write must not pass for a whole one.
    platform::Result result = platform::Result::success();
    {
        const support::DiskFull full(8);
        ASSERT_TRUE(full.isSet());
        result = platform::writeTextLines(path, {"-47,50000000      -5,25"});
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(readBytes(path), QByteArray("antes\r\n"));
}

TEST(TextFile, writeIntoAMissingFolderFails) {
    QTemporaryDir dir;
    EXPECT_FALSE(platform::writeTextLines(dir.filePath("no/such/folder/a.txt"), {"x"}));
}

TEST(Windows1252, charactersOutsideTheCodePageAreNamedOnceEach) {
    EXPECT_EQ(platform::unencodableWindows1252(QString::fromUtf8("D:\\Łódź\\Łódź.shp")),
              QString::fromUtf8("Łź"));
    EXPECT_EQ(platform::unencodableWindows1252(QString::fromUtf8("açúcar € “x”")), QString());
    EXPECT_EQ(platform::unencodableWindows1252(QString::fromUtf8("mapa 🗺")),
              QString::fromUtf8("🗺"));
}

TEST(TextFile, textTheCodePageCannotHoldIsRefusedAndTheOldFileStays) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.jjj");
    writeBytes(path, "old\r\n");
    const platform::Result written = platform::writeTextLines(
        path, {"geo.shp,dados\\geo.shp", QString::fromUtf8("pts2.shp,Łódź\\pts2.shp")});
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.message.contains(QString::fromUtf8("Łódź\\pts2.shp")));
    EXPECT_TRUE(written.message.contains(QString::fromUtf8(": Łź.")));
    EXPECT_EQ(readBytes(path), "old\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"p.jjj"}));
}
