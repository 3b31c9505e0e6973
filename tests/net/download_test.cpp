#include "net/download.h"
#include "download_fixture.h"
#include "platform/settings.h"
#include "support/disk_full.h"
#include "support/http_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Download : public nettest::DownloadFixture {};

}  // namespace

TEST_F(Download, serverReceivesTheUrlAsBuiltWithBlanksAsPercent20) {
    server.reply("/cgi-bin/wms", {200, "<ok/>"});
    const QString query =
        "/cgi-bin/wms?service=WMS&&version=1.1.1&&layers=a b&&bbox= -48.000000000,-16.000000000"
        "&&x=%41&&p=../q&&empty=";
    ASSERT_TRUE(net::DownloadToFile(server.url(query), target(), limits));
    ASSERT_EQ(server.targets().size(), 1U);
    EXPECT_EQ(server.targets()[0],
              "/cgi-bin/wms?service=WMS&&version=1.1.1&&layers=a%20b&&bbox=%20-48.000000000,"
              "-16.000000000&&x=%41&&p=../q&&empty=");
    EXPECT_EQ(readBytes(target()), "<ok/>");
}

TEST_F(Download, pathIsSentWithoutSquashingDotSegments) {
    server.reply("/a/../b", {200, "x"});
    (void)net::DownloadToFile(server.url("/a/../b"), target(), limits);
    ASSERT_EQ(server.targets().size(), 1U);
    EXPECT_EQ(server.targets()[0], "/a/../b");
}

TEST_F(Download, errorStatusesFailAndLeaveNoFile) {
    server.reply("/fail", {500, "boom"});
    for (const char* path : {"/missing", "/fail"}) {
        const platform::Result result = net::DownloadToFile(server.url(path), target(), limits);
        EXPECT_FALSE(result) << path;
        EXPECT_FALSE(result.detail.isEmpty());
        EXPECT_TRUE(folderContents().isEmpty()) << path;
    }
}

TEST_F(Download, everyFailureLeavesTheEarlierFileByteIdenticalAndNothingElse) {
    // The user's catalogue, say: CR LF lines and a Windows-1252 letter.
    const QByteArray earlier("Geologia,http://a/wms?\r\nRelevo,http://b/cgi?map=\xe1&\r\n");
    int closedPort = 0;
    {
        support::HttpServer gone;
        closedPort = gone.port();
    }
    server.reply("/fail", {500, "boom"});
    server.reply("/hang", {200, "", "text/plain", false, true});
    server.reply("/big", {200, std::string(150'000, 'b'), "text/plain", true});
    server.reply("/endless", {200, "", "text/plain", false, false, true});
    limits.totalTimeoutMs = 300;
    limits.maxBytes = 100'000;
    const QStringList urls = {
        server.url("/missing"), server.url("/fail"),
        server.url("/hang"),    server.url("/big"),
        server.url("/endless"), QString("http://127.0.0.1:%1/x").arg(closedPort)};
    for (const bool sync : {true, false}) {
        limits.syncToDisk = sync;
        for (const QString& url : urls) {
            SCOPED_TRACE((url + (sync ? " synced" : " not synced")).toStdString());
            QFile old(target());
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(earlier);
            old.close();
            const platform::Result result = net::DownloadToFile(url, target(), limits);
            EXPECT_FALSE(result);
            EXPECT_FALSE(result.detail.isEmpty());
            EXPECT_EQ(readBytes(target()), earlier);
            EXPECT_EQ(folderContents(), QStringList({"answer.xml"}));
        }
    }
}

TEST_F(Download, failuresSayWhyInTheUsersWords) {
    int closedPort = 0;
    {
        support::HttpServer gone;
        closedPort = gone.port();
    }
    server.reply("/hang", {200, "", "text/plain", false, true});
    limits.totalTimeoutMs = 300;
    const auto reasonFor = [this](const QString& url) {
        return net::DownloadToFile(url, target(), limits).detail.toStdString();
    };
    EXPECT_EQ(reasonFor(server.url("/missing")), "o servidor respondeu com o código HTTP 404");
    EXPECT_EQ(reasonFor(server.url("/hang")).rfind("tempo esgotado", 0), 0u)
        << reasonFor(server.url("/hang"));
    const std::string refused = reasonFor(QString("http://127.0.0.1:%1/x").arg(closedPort));
    EXPECT_EQ(refused.rfind("conexão recusada", 0), 0u) << refused;
}

TEST_F(Download, successReplacesAnOlderFileWhole) {
    QFile old(target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'o'));
    old.close();
    server.reply("/small", {200, "new"});
    ASSERT_TRUE(net::DownloadToFile(server.url("/small"), target(), limits));
    EXPECT_EQ(readBytes(target()), "new");
    EXPECT_EQ(folderContents(), QStringList({"answer.xml"}));
}

TEST_F(Download, silentServerFailsWithinTheTimeout) {
    server.reply("/hang", {200, "", "text/plain", false, true});
    limits.totalTimeoutMs = 300;
    const platform::Result result = net::DownloadToFile(server.url("/hang"), target(), limits);
    EXPECT_FALSE(result);
    EXPECT_TRUE(folderContents().isEmpty());
}

TEST_F(Download, answerOverTheCapFailsWithOrWithoutContentLength) {
    limits.maxBytes = 100'000;
    server.reply("/big", {200, std::string(150'000, 'b')});
    server.reply("/bigchunked", {200, std::string(150'000, 'c'), "text/plain", true});
    server.reply("/fits", {200, std::string(100'000, 'f'), "text/plain", true});
    for (const char* path : {"/big", "/bigchunked"}) {
        const platform::Result result = net::DownloadToFile(server.url(path), target(), limits);
        EXPECT_FALSE(result) << path;
        EXPECT_TRUE(result.detail.contains("maior que")) << result.detail.toStdString();
        EXPECT_TRUE(folderContents().isEmpty()) << path;
    }
    ASSERT_TRUE(net::DownloadToFile(server.url("/fits"), target(), limits));
    EXPECT_EQ(readBytes(target()).size(), 100'000);
}

TEST_F(Download, refusedConnectionFails) {
    int closedPort = 0;
    {
        support::HttpServer gone;
        closedPort = gone.port();
    }
    const QString url = QString("http://127.0.0.1:%1/x").arg(closedPort);
    EXPECT_FALSE(net::DownloadToFile(url, target(), limits));
    EXPECT_TRUE(folderContents().isEmpty());
}

TEST_F(Download, onlyHttpAddressesAreFetched) {
    QFile local(dir.filePath("local.txt"));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write("secret");
    local.close();
    EXPECT_FALSE(net::DownloadToFile("file://" + local.fileName(), target(), limits));
    EXPECT_FALSE(QFile::exists(target()));
}

TEST_F(Download, unwritableTargetFailsWithoutLeavingAnything) {
    server.reply("/ok", {200, "x"});
    const platform::Result result =
        net::DownloadToFile(server.url("/ok"), dir.filePath("no/such/folder/a.jpg"), limits);
    EXPECT_FALSE(result);
    EXPECT_TRUE(folderContents().isEmpty());
}

TEST_F(Download, diskRefusingTheWriteHalfWayFailsAndLeavesNoFile) {
    server.reply("/photo", {200, std::string(64 * 1024, 'p')});
    platform::Result result = platform::Result::success();
    {
        const support::DiskFull full(8192);
        ASSERT_TRUE(full.isSet());
        result = net::DownloadToFile(server.url("/photo"), target("foto.jpg"), limits);
    }
    EXPECT_FALSE(result);
    EXPECT_TRUE(folderContents().isEmpty());
}

TEST(DownloadLimits, comeFromTheSettings) {
    platform::Settings settings;
    settings.downloadConnectTimeoutMs = 1;
    settings.downloadTotalTimeoutMs = 2;
    settings.downloadMaxBytes = 3;
    settings.downloadExtraCaFile = "/etc/ssl/empresa.pem";
    const net::DownloadLimits limits = net::DownloadLimits::fromSettings(settings);
    EXPECT_EQ(limits.connectTimeoutMs, 1);
    EXPECT_EQ(limits.totalTimeoutMs, 2);
    EXPECT_EQ(limits.maxBytes, 3);
    EXPECT_EQ(limits.extraCaFile, "/etc/ssl/empresa.pem");
}

TEST(RequestUrl, onlyBlanksAreEncoded) {
    EXPECT_EQ(net::requestUrl("http://h/a b?x=1 2&&y=%20&&z=ç"),
              "http://h/a%20b?x=1%202&&y=%20&&z=\xc3\xa7");
}

// Only failures that reached no server count as unreachable: the kept
// pictures stand in for those and never for a server's own error.
TEST_F(Download, onlyFailuresReachingNoServerAreUnreachable) {
    int closedPort = 0;
    {
        support::HttpServer gone;
        closedPort = gone.port();
    }
    server.reply("/hang", {200, "", "text/plain", false, true});
    server.reply("/error", {500, "falha interna"});
    server.reply("/ok", {200, "sim"});
    limits.totalTimeoutMs = 300;
    const auto unreachable = [this](const QString& url) {
        return net::DownloadToFile(url, target(), limits).unreachable;
    };
    EXPECT_TRUE(unreachable(QString("http://127.0.0.1:%1/x").arg(closedPort)));
    EXPECT_TRUE(unreachable(server.url("/hang")));
    EXPECT_FALSE(unreachable(server.url("/error")));
    EXPECT_FALSE(unreachable(server.url("/missing")));
    EXPECT_FALSE(unreachable(server.url("/ok")));
}
