#include "net/session.h"
#include "download_fixture.h"
#include "support/http_server.h"

#include <QFile>

#include <gtest/gtest.h>

#include <thread>

namespace {

using Reply = support::HttpServer::Reply;

Reply hanging() {
    Reply reply;
    reply.hang = true;
    return reply;
}

Reply redirectTo(const std::string& location) {
    Reply reply;
    reply.status = 302;
    reply.location = location;
    return reply;
}

class SessionTest : public nettest::DownloadFixture {};

}  // namespace

TEST_F(SessionTest, requestsToOneHostReuseOneConnection) {
    server.reply("/a", {200, "a"});
    server.reply("/b", {200, "b"});
    net::Session session(limits);
    for (const char* path : {"/a", "/b", "/a"}) {
        ASSERT_TRUE(session.download(server.url(path), target())) << path;
    }
    EXPECT_EQ(server.connectionsAccepted(), 1);
    EXPECT_EQ(session.connectionsOpened(), 1);
}

TEST_F(SessionTest, oneShotDownloadsEachOpenTheirOwnConnection) {
    server.reply("/a", {200, "a"});
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(net::DownloadToFile(server.url("/a"), target(), limits));
    }
    EXPECT_EQ(server.connectionsAccepted(), 3);
}

TEST_F(SessionTest, failuresDoNotSpoilTheSessionForTheNextRequest) {
    server.reply("/ok", {200, "fine"});
    server.reply("/fail", {503, "busy"});
    server.reply("/hang", hanging());
    net::Session session(limits);
    EXPECT_FALSE(session.download(server.url("/fail"), target()));
    EXPECT_FALSE(session.download(server.url("/missing"), target()));
    // After a failure the handle's options hold: a 2xx still succeeds and
    // writes what it received.
    ASSERT_TRUE(session.download(server.url("/ok"), target()));
    QFile file(target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "fine");
    EXPECT_EQ(session.connectionsOpened(), server.connectionsAccepted());
}

TEST_F(SessionTest, silentServerFailsAfterTheTotalTimeOutAndTheSessionGoesOn) {
    server.reply("/hang", hanging());
    server.reply("/ok", {200, "ok"});
    limits.totalTimeoutMs = 300;
    net::Session session(limits);
    const platform::Result result = session.download(server.url("/hang"), target());
    EXPECT_FALSE(result);
    EXPECT_NE(result.detail.toStdString(), "cancelado");
    EXPECT_TRUE(folderContents().isEmpty());
    EXPECT_TRUE(session.download(server.url("/ok"), target()));
}

TEST_F(SessionTest, endlessAnswerStopsAtTheSizeCap) {
    Reply endless;
    endless.endless = true;
    server.reply("/endless", endless);
    limits.maxBytes = 200'000;
    net::Session session(limits);
    const platform::Result result = session.download(server.url("/endless"), target());
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.detail.contains("maior que")) << result.detail.toStdString();
    EXPECT_TRUE(folderContents().isEmpty());
}

TEST_F(SessionTest, redirectsAreFollowedUpToFive) {
    for (int i = 0; i < 6; ++i) {
        server.reply("/r" + std::to_string(i), redirectTo("/r" + std::to_string(i + 1)));
    }
    server.reply("/r6", {200, "arrived"});
    net::Session session(limits);
    EXPECT_TRUE(session.download(server.url("/r1"), target()));  // five redirects
    const platform::Result tooMany = session.download(server.url("/r0"), target());
    EXPECT_FALSE(tooMany);
    EXPECT_TRUE(tooMany.detail.startsWith("redirecionamentos demais ("))
        << tooMany.detail.toStdString();
    // The earlier answer stays; nothing of the failed one is left.
    EXPECT_EQ(folderContents(), QStringList({"answer.xml"}));
    QFile file(target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "arrived");
}

TEST_F(SessionTest, redirectLoopFails) {
    server.reply("/loop", redirectTo("/loop"));
    net::Session session(limits);
    const platform::Result result = session.download(server.url("/loop"), target());
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.detail.isEmpty());
    EXPECT_TRUE(folderContents().isEmpty());
    EXPECT_EQ(server.targets().size(), 6U);  // the first request and five redirects
}

TEST_F(SessionTest, cancelFromAnotherThreadEndsAHangingDownload) {
    server.reply("/hang", hanging());
    net::Session session(limits);  // a minute's time-out: only the cancel ends it soon
    std::thread canceller([&] {
        while (server.targets().empty()) {
            std::this_thread::yield();
        }
        session.cancel();
    });
    const platform::Result result = session.download(server.url("/hang"), target());
    canceller.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(result.detail.toStdString(), "cancelado");
    EXPECT_TRUE(result.message.contains(server.url("/hang")));
    EXPECT_TRUE(folderContents().isEmpty());
}

TEST_F(SessionTest, cancelHoldsUntilResetAndDoesNotReachTheServer) {
    server.reply("/ok", {200, "ok"});
    net::Session session(limits);
    session.cancel();
    const platform::Result cancelled = session.download(server.url("/ok"), target());
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(cancelled.detail.toStdString(), "cancelado");
    EXPECT_TRUE(server.targets().empty());
    EXPECT_TRUE(folderContents().isEmpty());

    session.resetCancel();
    EXPECT_TRUE(session.download(server.url("/ok"), target()));
    EXPECT_EQ(server.targets().size(), 1U);
}

TEST_F(SessionTest, filesNotSyncedToTheDiskAreStillReplacedOnlyWhenWhole) {
    server.reply("/ok", {200, "posicoes"});
    server.reply("/fail", {503, "busy"});
    limits.syncToDisk = false;
    net::Session session(limits);
    ASSERT_TRUE(session.download(server.url("/ok"), target()));
    QFile file(target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "posicoes");
    file.close();
    // A failure leaves the earlier answer and no temporary file.
    EXPECT_FALSE(session.download(server.url("/fail"), target()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "posicoes");
    file.close();
    EXPECT_FALSE(QFile::exists(target() + ".part"));
    ASSERT_TRUE(session.download(server.url("/ok"), target()));
    EXPECT_FALSE(QFile::exists(target() + ".part"));
}
