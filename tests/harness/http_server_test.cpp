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
