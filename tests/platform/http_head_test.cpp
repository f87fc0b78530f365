#include "platform/http_head.h"

#include <gtest/gtest.h>

#include <string>

namespace kv {
namespace {

TEST(HttpHead, FindsTheEndOfTheHead) {
    EXPECT_EQ(find_head_end("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody"), 25u);
    EXPECT_EQ(find_head_end("HTTP/1.1 200 OK\nA: b\n\nbody"), 22u);
    EXPECT_EQ(find_head_end("HTTP/1.1 200 OK\r\nA: b\r\n"), 0u);
    EXPECT_EQ(find_head_end("HTTP/1.1 200 OK\r\nA: b\r\n\r"), 0u);
    EXPECT_EQ(find_head_end(""), 0u);
}

TEST(HttpHead, ParsesATypicalPartialResponse) {
    const HeadParse p = parse_response_head(
        "HTTP/1.1 206 Partial Content\r\n"
        "Server: nginx\r\n"
        "content-length: 1000\r\n"
        "Content-Range:   bytes 500-1499/2000  \r\n"
        "X-Empty:\r\n"
        "\r\n");
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.head.status, 206);
    EXPECT_EQ(p.head.reason, "Partial Content");
    EXPECT_EQ(p.head.version_minor, 1);
    EXPECT_EQ(p.head.content_length, 1000);
    ASSERT_TRUE(p.head.content_range);
    EXPECT_EQ(p.head.content_range->first, 500);
    EXPECT_EQ(p.head.content_range->last, 1499);
    EXPECT_EQ(p.head.content_range->complete, 2000);
    EXPECT_EQ(p.head.content_range->length(), 1000);
    ASSERT_NE(p.head.field("SERVER"), nullptr);
    EXPECT_EQ(*p.head.field("server"), "nginx");
    ASSERT_NE(p.head.field("x-empty"), nullptr);
    EXPECT_EQ(*p.head.field("x-empty"), "");
    EXPECT_EQ(p.head.field("Location"), nullptr);
}

TEST(HttpHead, ReadsRedirectsAndOddButValidStatusLines) {
    HeadParse p = parse_response_head("HTTP/1.0 302 Found\r\nLocation:  /next?x=1 \r\n\r\n");
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.head.status, 302);
    EXPECT_EQ(p.head.version_minor, 0);
    EXPECT_EQ(p.head.location, "/next?x=1");
    EXPECT_FALSE(p.head.content_length);

    p = parse_response_head("HTTP/1.1 200\nContent-Length: 0\n\n");  // no reason text, bare LF
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.head.status, 200);
    EXPECT_EQ(p.head.reason, "");
    EXPECT_EQ(p.head.content_length, 0);

    p = parse_response_head("HTTP/1.1 200 OK\r\nContent-Length: 5\r\ncontent-length: 5\r\n\r\n");
    ASSERT_TRUE(p.ok()) << "repeated equal lengths are allowed";
    EXPECT_EQ(p.head.content_length, 5);
}

TEST(HttpHead, TransferCodingCancelsTheLength) {
    const HeadParse p =
        parse_response_head("HTTP/1.1 200 OK\r\nContent-Length: 99\r\nTransfer-Encoding: chunked\r\n\r\n");
    ASSERT_TRUE(p.ok());
    EXPECT_TRUE(p.head.chunked);
    EXPECT_FALSE(p.head.content_length);
}

TEST(HttpHead, RefusesHostileHeads) {
    const std::pair<std::string, HeadError> cases[] = {
        {"", HeadError::BadStatusLine},
        {"HTTP/1.1", HeadError::BadStatusLine},
        {"HTTP/1.1 20 OK\r\n\r\n", HeadError::BadStatusLine},
        {"HTTP/1.1 2000 OK\r\n\r\n", HeadError::BadStatusLine},
        {"HTTP/1.1 -20 OK\r\n\r\n", HeadError::BadStatusLine},
        {"HTTP/2.0 200 OK\r\n\r\n", HeadError::BadStatusLine},
        {"ICY 200 OK\r\n\r\n", HeadError::BadStatusLine},
        {"HTTP/1.1 099 Low\r\n\r\n", HeadError::BadStatusLine},
        {"HTTP/1.1 200 OK\r\nNoColon\r\n\r\n", HeadError::BadHeaderLine},
        {"HTTP/1.1 200 OK\r\n: empty name\r\n\r\n", HeadError::BadHeaderLine},
        {"HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n", HeadError::BadHeaderLine},
        {"HTTP/1.1 200 OK\r\nA: b\r\n folded\r\n\r\n", HeadError::BadHeaderLine},
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: +1\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: 1 2\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length:\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0x10\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: 9223372036854775807\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: 9246744073709551614\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes 0-1/9246744073709551614\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5, 5\r\n\r\n", HeadError::BadContentLength},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes 5-4/10\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes 0-10/10\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes 0-9\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 206 P\r\nContent-Range: items 0-9/10\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes -1-9/10\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes */*\r\n\r\n", HeadError::BadContentRange},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes 0-1/2\r\nContent-Range: bytes 0-1/2\r\n\r\n",
         HeadError::BadContentRange},
        {"HTTP/1.1 200 OK\r\n" + std::string(kMaxResponseHead, 'a'), HeadError::TooLarge},
    };
    for (const auto& [head, error] : cases) {
        SCOPED_TRACE(head.substr(0, 120));
        EXPECT_EQ(parse_response_head(head).error, error);
    }
}

TEST(HttpHead, BoundsTheNumberOfFields) {
    std::string head = "HTTP/1.1 200 OK\r\n";
    for (std::size_t i = 0; i < kMaxHeaderFields; ++i) head += "X: y\r\n";
    EXPECT_TRUE(parse_response_head(head + "\r\n").ok());
    EXPECT_EQ(parse_response_head(head + "X: y\r\n\r\n").error, HeadError::TooManyFields);
}

TEST(HttpHead, SizesUpToTheLimitAreExact) {
    EXPECT_EQ(parse_content_length("1152921504606846975"), (std::int64_t{1} << 60) - 1);
    EXPECT_FALSE(parse_content_length("1152921504606846976"));
    EXPECT_EQ(parse_content_length(" 0012 "), 12);
}

TEST(HttpHead, ContentRangeForms) {
    auto r = parse_content_range("bytes 0-0/1");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->length(), 1);
    r = parse_content_range("bytes 3-9/*");
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->complete);
    EXPECT_EQ(r->length(), 7);
    r = parse_content_range("bytes */1234");
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->unsatisfied);
    EXPECT_EQ(r->complete, 1234);
    EXPECT_EQ(r->length(), 0);
    EXPECT_FALSE(parse_content_range("bytes 3-/9"));
    EXPECT_FALSE(parse_content_range("bytes=0-1/2"));
}

}  // namespace
}  // namespace kv
