// The small fetches on WinINet against a loopback server.
#include <gtest/gtest.h>

#include "platform/http_fetch.h"
#include "support/lib/http_test_server.h"

namespace kv {
namespace {

using namespace std::string_literals;

test::Resource body(std::string text) {
    test::Resource r;
    r.body = std::move(text);
    return r;
}

TEST(HttpFetch, AsksOnceWithHttp10AndTheAgentAndSendsNoFragment) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.add("/ostrel/ver.txt", body("UN-20160324"));
    EXPECT_EQ(http_get_text(server.url("/ostrel/ver.txt#part")), "UN-20160324");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const test::HttpRequest& r = requests[0];
    EXPECT_EQ(r.head.substr(0, r.head.find("\r\n")), "GET /ostrel/ver.txt HTTP/1.0");
    EXPECT_EQ(r.header("Accept"), "*/*");
    EXPECT_EQ(r.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    EXPECT_EQ(r.head.find("part"), std::string::npos);
}

TEST(HttpFetch, TextEndsAtTheFirstNulWhileBytesKeepEverything) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.add("/v", body("UN-2\0tail"s));
    EXPECT_EQ(http_get_text(server.url("/v")), "UN-2");
    const HttpFetch f = http_get_bytes(server.url("/v"), 1024);
    EXPECT_TRUE(f.answered);
    EXPECT_EQ(f.status, 200);
    EXPECT_EQ(f.body, "UN-2\0tail"s);
    EXPECT_FALSE(f.cut);
}

TEST(HttpFetch, AnErrorPageIsAnAnswerAndItsBodyTheText) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    EXPECT_EQ(http_get_text(server.url("/missing")), "not found");
    const HttpFetch f = http_get_bytes(server.url("/missing"), 1024);
    EXPECT_TRUE(f.answered);
    EXPECT_EQ(f.status, 404);
}

TEST(HttpFetch, RedirectsAreFollowed) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    test::Resource moved;
    moved.status = 302;
    moved.location = server.url("/new");
    server.add("/old", moved);
    server.add("/new", body("UN-9"));
    EXPECT_EQ(http_get_text(server.url("/old")), "UN-9");
}

TEST(HttpFetch, NeverFromTheCache) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.add("/v", body("first"));
    EXPECT_EQ(http_get_text(server.url("/v")), "first");
    server.add("/v", body("second"));
    EXPECT_EQ(http_get_text(server.url("/v")), "second");
    EXPECT_EQ(server.requests_for("/v").size(), 2u);
}

TEST(HttpFetch, FailuresGiveTheEmptyText) {
    std::uint16_t closed_port;
    {
        test::HttpTestServer gone;
        ASSERT_TRUE(gone.ok());
        closed_port = gone.port();
    }
    for (const std::string& url : {"http://127.0.0.1:" + std::to_string(closed_port) + "/v",
                                   "http:///ostrel/ver.txt"s, ""s, "not an address"s, "ftp://127.0.0.1/v"s}) {
        EXPECT_EQ(http_get_text(url), "") << url;
        EXPECT_FALSE(http_get_bytes(url, 100).answered) << url;
    }
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.add("/empty", body(""));
    const HttpFetch f = http_get_bytes(server.url("/empty"), 100);
    EXPECT_TRUE(f.answered);
    EXPECT_EQ(f.body, "");
}

TEST(HttpFetch, ABodyBeyondTheLimitIsCut) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.add("/big", body(test::pattern_body(100000)));
    const HttpFetch f = http_get_bytes(server.url("/big"), 4096);
    EXPECT_EQ(f.body, test::pattern_body(100000).substr(0, 4096));
    EXPECT_TRUE(f.cut);
    const HttpFetch exact = http_get_bytes(server.url("/big"), 100000);
    EXPECT_EQ(exact.body.size(), 100000u);
    EXPECT_FALSE(exact.cut);
}

TEST(HttpFetch, AStalledBodyEndsAtTheReceiveTimeoutWithWhatArrived) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    test::Resource stalled = body("UN-20160324 and more that never comes");
    stalled.stall_after = 11;
    stalled.stall_ms = 5000;
    server.add("/v", stalled);
    HttpTimeouts quick;
    quick.receive_ms = 500;
    const HttpFetch f = http_get_bytes(server.url("/v"), 1024, quick);
    EXPECT_TRUE(f.answered);
    EXPECT_TRUE(f.cut);
    EXPECT_EQ(f.body, "UN-20160324");
}

TEST(HttpFetch, TheSessionCanBeClosedAndOpensAgain) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.add("/v", body("x"));
    EXPECT_EQ(http_get_text(server.url("/v")), "x");
    close_http_session();
    EXPECT_EQ(http_get_text(server.url("/v")), "x");
}

}  // namespace
}  // namespace kv
