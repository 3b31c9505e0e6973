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

namespace {

// Requests sent together: each answer is held until all of them arrived, so
// requests sent one after another would wait for the time-out instead.
class SessionBatchTest : public nettest::DownloadFixture {
protected:
    SessionBatchTest() { limits.totalTimeoutMs = 10'000; }

    Reply held(std::string body, int status = 200) const {
        Reply reply{status, std::move(body)};
        reply.holdUntilRequests = 3;
        return reply;
    }
    QByteArray contents(const QString& name) const {
        QFile file(target(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    std::vector<net::DownloadRequest> threeRequests(const std::vector<std::string>& paths) const {
        std::vector<net::DownloadRequest> requests;
        for (size_t i = 0; i < paths.size(); ++i) {
            requests.push_back({server.url(QString::fromStdString(paths[i])),
                                target(QStringLiteral("answer%1").arg(i))});
        }
        return requests;
    }
};

}  // namespace

TEST_F(SessionBatchTest, allRequestsArriveBeforeAnyAnswerAndEachLandsInItsOwnFile) {
    server.reply("/a", held("alpha"));
    server.reply("/b", held("beta"));
    server.reply("/c", held("gama"));
    net::Session session(limits);
    const std::vector<platform::Result> results =
        session.downloadAll(threeRequests({"/a", "/b", "/c"}));
    ASSERT_EQ(results.size(), 3u);
    for (const platform::Result& result : results) {
        EXPECT_TRUE(result) << result.detail.toStdString();
    }
    EXPECT_EQ(contents("answer0"), "alpha");
    EXPECT_EQ(contents("answer1"), "beta");
    EXPECT_EQ(contents("answer2"), "gama");
    EXPECT_EQ(folderContents(), QStringList({"answer0", "answer1", "answer2"}));
}

TEST_F(SessionBatchTest, eachTransferKeepsTheRulesOfASingleDownload) {
    Reply endless;
    endless.endless = true;
    endless.holdUntilRequests = 3;
    server.reply("/endless", endless);
    server.reply("/busy", held("busy", 503));
    server.reply("/ok", held("fine"));
    limits.maxBytes = 200'000;
    net::Session session(limits);
    const std::vector<platform::Result> results =
        session.downloadAll(threeRequests({"/endless", "/busy", "/ok"}));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_FALSE(results[0]);
    EXPECT_TRUE(results[0].detail.contains("maior que 200000 bytes"))
        << results[0].detail.toStdString();
    EXPECT_TRUE(results[0].message.contains(server.url("/endless")));
    EXPECT_FALSE(results[1]);
    EXPECT_EQ(results[1].detail, QString::fromUtf8("o servidor respondeu com o código HTTP 503"));
    EXPECT_TRUE(results[1].message.contains(server.url("/busy")));
    EXPECT_FALSE(results[0].unreachable || results[1].unreachable);
    EXPECT_TRUE(results[2]) << results[2].detail.toStdString();
    // The failed ones leave nothing, not even a temporary file; the good
    // one is whole.
    EXPECT_EQ(folderContents(), QStringList({"answer2"}));
    EXPECT_EQ(contents("answer2"), "fine");
}

TEST_F(SessionBatchTest, anUnreachableServerFailsOnlyItsOwnTransfer) {
    int closedPort = 0;
    {
        support::HttpServer gone;
        closedPort = gone.port();
    }
    server.reply("/a", {200, "alpha"});
    net::Session session(limits);
    const std::vector<platform::Result> results = session.downloadAll(
        {{server.url("/a"), target("answer0")},
         {QStringLiteral("http://127.0.0.1:%1/b").arg(closedPort), target("answer1")}});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0]);
    EXPECT_FALSE(results[1]);
    EXPECT_TRUE(results[1].unreachable);
    EXPECT_TRUE(results[1].detail.startsWith(QString::fromUtf8("conexão recusada")))
        << results[1].detail.toStdString();
    EXPECT_EQ(folderContents(), QStringList({"answer0"}));
}

TEST_F(SessionBatchTest, aCancelEndsEveryTransferAndLeavesNoTemporaryFile) {
    server.reply("/hang", hanging());
    net::Session session(limits);
    std::thread canceller([&] {
        while (server.targets().size() < 3) {
            std::this_thread::yield();
        }
        session.cancel();
    });
    const std::vector<platform::Result> results =
        session.downloadAll(threeRequests({"/hang", "/hang", "/hang"}));
    canceller.join();
    ASSERT_EQ(results.size(), 3u);
    for (const platform::Result& result : results) {
        EXPECT_FALSE(result);
        EXPECT_EQ(result.detail.toStdString(), "cancelado");
        EXPECT_FALSE(result.unreachable);
    }
    EXPECT_TRUE(folderContents().isEmpty()) << folderContents().join(' ').toStdString();
}

TEST_F(SessionBatchTest, aSecondBatchReusesTheConnectionsOfTheFirst) {
    server.reply("/a", held("alpha"));
    server.reply("/b", held("beta"));
    server.reply("/c", held("gama"));
    net::Session session(limits);
    for (const platform::Result& result : session.downloadAll(threeRequests({"/a", "/b", "/c"}))) {
        ASSERT_TRUE(result) << result.detail.toStdString();
    }
    EXPECT_EQ(server.connectionsAccepted(), 3);
    for (const platform::Result& result : session.downloadAll(threeRequests({"/c", "/a", "/b"}))) {
        ASSERT_TRUE(result) << result.detail.toStdString();
    }
    EXPECT_EQ(server.connectionsAccepted(), 3);
    EXPECT_EQ(session.connectionsOpened(), 3);
    EXPECT_EQ(contents("answer0"), "gama");
}
