#include "support/http_server.h"

#include <httplib.h>

#include <gtest/gtest.h>

TEST(HttpServer, answersScriptedRepliesAnd404OtherwiseRecordingRawTargets) {
    support::HttpServer server;
    server.reply("/a b", {201, "made", "text/xml"});
    httplib::Client client("127.0.0.1", server.port());
    const auto made = client.Get("/a%20b?x=1&&y=");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->status, 201);
    EXPECT_EQ(made->body, "made");
    const auto missing = client.Get("/other");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(server.targets(), (std::vector<std::string>{"/a%20b?x=1&&y=", "/other"}));
}

TEST(HttpServer, countsConnectionsAndKeepsThemAliveBetweenRequests) {
    support::HttpServer server;
    server.reply("/a", {200, "a"});
    httplib::Client kept("127.0.0.1", server.port());
    kept.set_keep_alive(true);
    ASSERT_TRUE(kept.Get("/a"));
    ASSERT_TRUE(kept.Get("/a"));
    EXPECT_EQ(server.connectionsAccepted(), 1);
    httplib::Client other("127.0.0.1", server.port());
    ASSERT_TRUE(other.Get("/a"));
    EXPECT_EQ(server.connectionsAccepted(), 2);
}

TEST(HttpServer, sendsRedirectsAndEndlessBodies) {
    support::HttpServer server;
    support::HttpServer::Reply moved;
    moved.status = 301;
    moved.location = "/there";
    server.reply("/here", moved);
    support::HttpServer::Reply endless;
    endless.endless = true;
    server.reply("/endless", endless);
    httplib::Client client("127.0.0.1", server.port());
    const auto redirect = client.Get("/here");
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->status, 301);
    EXPECT_EQ(redirect->get_header_value("Location"), "/there");

    size_t received = 0;
    const auto body = client.Get("/endless", [&](const char*, size_t length) {
        received += length;
        return received < 1'000'000;  // the server would go on for ever
    });
    EXPECT_FALSE(body);
    EXPECT_GE(received, 1'000'000U);
}
