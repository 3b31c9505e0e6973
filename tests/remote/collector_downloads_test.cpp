#include "net/session.h"
#include "platform/text_file.h"
#include "remote/collectors.h"
#include "support/http_server.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace remote {
namespace {

const std::string kListPath = "/cgi-bin/localiza.exe/mandalista";

// The gateway on the in-process server, with a program folder of its own.
struct Gateway {
    support::HttpServer http;
    QTemporaryDir programDir;
    net::Session session;

    QString host() const { return http.url({}); }
    QString folder() const { return programDir.path(); }
    DownloadFunction download() {
        return
            [this](const QString& url, const QString& path) { return session.download(url, path); };
    }
    std::vector<CollectorTrack> fetch(const QStringList& list) {
        return fetchTracks(collectorsOf(list), host(), folder(), download());
    }
};

// --- address and file name ---

TEST(CollectorAddress, gatewayPathAndPercentEncodedPrefix) {
    EXPECT_EQ(positionsUrl("http://gw.invalid", "ab12"),
              "http://gw.invalid/cgi-bin/localiza.exe/mandalista?lista=ab12");
    EXPECT_EQ(positionsUrl("http://gw.invalid:8080", "a b&c=d#e"),
              "http://gw.invalid:8080/cgi-bin/localiza.exe/mandalista?lista=a%20b%26c%3Dd%23e");
    EXPECT_EQ(positionsUrl("http://gw.invalid", QStringLiteral("São-1_x.~")),
              "http://gw.invalid/cgi-bin/localiza.exe/mandalista?lista=S%C3%A3o-1_x.~");
}

TEST(CollectorAddress, prefixesThatWouldLeaveTheProgramFolderAreRefused) {
    for (const QString& prefix :
         {QString(), QStringLiteral("  "), QStringLiteral("../conf"), QStringLiteral(".."),
          QStringLiteral("a/b"), QStringLiteral("/etc/passwd"), QStringLiteral("a\\b"),
          QStringLiteral("C:x"), QStringLiteral("a..b"), QString(QChar(0)) + "a",
          QStringLiteral("a\tb")}) {
        EXPECT_FALSE(isSafePrefix(prefix)) << prefix.toStdString();
        EXPECT_EQ(positionFilePath("/prog", prefix), std::nullopt);
    }
    for (const QString& prefix : {QStringLiteral("ab12"), QStringLiteral("São 1"),
                                  QStringLiteral(".oculto"), QStringLiteral("a.b")}) {
        EXPECT_TRUE(isSafePrefix(prefix)) << prefix.toStdString();
    }
    EXPECT_EQ(positionFilePath("/prog", "ab12"), "/prog/ab12.pos");
}

// --- one tick's downloads ---

TEST(CollectorDownloads, eachCollectorIsAskedForInListOrderAndItsFileRead) {
    Gateway gateway;
    gateway.http.reply(kListPath, {200, "c1,-4.5,-65.5\r\nc1,-4.6,-65.4\r\n"});
    const std::vector<CollectorTrack> tracks = gateway.fetch({"ab 1", "cd,verde"});
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].collector, (Collector{"ab 1", QColor(255, 0, 0)}));
    EXPECT_EQ(tracks[1].collector, (Collector{"cd", QColor(0, 128, 0)}));
    const std::vector<Position> expected{{"c1", -4.5, -65.5}, {"c1", -4.6, -65.4}};
    EXPECT_EQ(tracks[0].positions, expected);
    EXPECT_EQ(tracks[1].positions, expected);
    EXPECT_EQ(gateway.http.targets(),
              (std::vector<std::string>{kListPath + "?lista=ab%201", kListPath + "?lista=cd"}));
    EXPECT_TRUE(QFile::exists(QDir(gateway.folder()).filePath("ab 1.pos")));
    EXPECT_TRUE(QFile::exists(QDir(gateway.folder()).filePath("cd.pos")));
    EXPECT_EQ(gateway.session.connectionsOpened(), 1);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST(CollectorDownloads, aFailedDownloadSkipsTheCollectorAndKeepsItsOldFileUnread) {
    Gateway gateway;  // no reply: every request is answered 404
    const QString old = QDir(gateway.folder()).filePath("ab.pos");
    ASSERT_TRUE(platform::writeTextLines(old, {"x,1,2"}));
    EXPECT_TRUE(gateway.fetch({"ab"}).empty());  // the old positions are not drawn
    EXPECT_EQ(bytesOf(old), "x,1,2\r\n");
    EXPECT_EQ(gateway.http.targets().size(), 1u);
    EXPECT_EQ(QDir(gateway.folder()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"ab.pos"}));
}

TEST(CollectorDownloads, aCancelledDownloadEndsTheTicksDownloads) {
    Gateway gateway;
    gateway.http.reply(kListPath, {200, "c,-4.5,-65.5\r\n"});
    int asked = 0;
    const std::vector<CollectorTrack> tracks = fetchTracks(
        collectorsOf({"ab", "cd", "ef"}), gateway.host(), gateway.folder(),
        [&](const QString& url, const QString& path) {
            if (++asked == 2) {
                platform::Result cancelled = platform::Result::failure("Falha", "cancelado");
                cancelled.cancelled = true;
                return cancelled;
            }
            return gateway.session.download(url, path);
        });
    EXPECT_EQ(asked, 2);  // "ef" is not asked for
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].collector.prefix, "ab");
}

TEST(CollectorDownloads, unsafePrefixesAreNeverAskedForNorWritten) {
    Gateway gateway;
    gateway.http.reply(kListPath, {200, "c,1,2\r\n"});
    QTemporaryDir outside;
    const QString escape = QDir(gateway.folder()).relativeFilePath(outside.filePath("x"));
    const std::vector<CollectorTrack> tracks = gateway.fetch({escape, "", "ok,azul"});
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].collector.prefix, "ok");
    EXPECT_EQ(gateway.http.targets(), (std::vector<std::string>{kListPath + "?lista=ok"}));
    EXPECT_FALSE(QFile::exists(outside.filePath("x.pos")));
}

TEST(CollectorDownloads, anHtmlErrorPageDrawsNothing) {
    Gateway gateway;
    support::HttpServer::Reply page{
        200, "<html><body><h1>Erro</h1><p>lista,1,2 indisponivel</p></body></html>\n", "text/html"};
    gateway.http.reply(kListPath, page);
    const std::vector<CollectorTrack> tracks = gateway.fetch({"ab,preto"});
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_TRUE(tracks[0].positions.empty());
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QImage before = image;
    drawCollectors(image, mapcontrol::Rectangle(-90, 90, 90, -90), tracks, true, true);
    EXPECT_EQ(image, before);
}

TEST(CollectorListFiles, aListSavedAndOpenedAgainGivesTheSameCollectors) {
    QTemporaryDir dir;
    const QString path = dir.filePath("equipe.rel");
    const QStringList list{"ab", QStringLiteral("São,verde"), "cd,RGB,255,2,2"};
    ASSERT_TRUE(platform::writeTextLines(path, list));
    const platform::TextLines read = platform::readTextLines(path);
    ASSERT_TRUE(read.result);
    EXPECT_EQ(collectorsOf(read.lines), collectorsOf(list));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("ab\r\nS\xe3o,verde\r\ncd,RGB,255,2,2\r\n"));
}

}  // namespace
}  // namespace remote
