// What the engine makes of each answer, judged against what it asked for: a table of heads, no sockets.
#include "platform/download_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv {
namespace {

struct Case {
    const char* name;
    std::string head;  // status line and fields, without the blank line
    AskedFor asked;
    AnswerKind kind;
    DownloadError reason;
    std::int64_t offset = 0;  // for bodies
    std::int64_t limit = 0;
    std::int64_t total = -1;
    std::string location = "";  // for redirects
};

AskedFor first(std::int64_t from = 0) { return AskedFor{from, -1, 0}; }
AskedFor later(std::int64_t from, std::int64_t total) { return AskedFor{from, total, 0}; }

TEST(DownloadAnswer, EveryAnswerIsJudgedAgainstWhatWasAsked) {
    using K = AnswerKind;
    using E = DownloadError;
    const std::vector<Case> cases = {
        // The first answer tells the size: the Content-Length of a 200, the complete length of a 206.
        {"200 first", "HTTP/1.1 200 OK\r\nContent-Length: 5000", first(), K::Body, E::None, 0, 5000, 5000},
        {"206 whole", "HTTP/1.1 206 P\r\nContent-Range: bytes 0-4999/5000\r\nContent-Length: 5000", first(),
         K::Body, E::None, 0, 5000, 5000},
        {"206 shorter than asked", "HTTP/1.1 206 P\r\nContent-Range: bytes 0-99999/1000000\r\nContent-Length: 100000",
         first(), K::Body, E::None, 0, 100000, 1000000},
        {"206 later part", "HTTP/1.1 206 P\r\nContent-Range: bytes 300-399/1000\r\nContent-Length: 100",
         later(300, 1000), K::Body, E::None, 300, 400, 1000},
        // A 200 to a ranged request is the whole file from its start.
        {"200 to a range", "HTTP/1.1 200 OK\r\nContent-Length: 1000", later(300, 1000), K::Body, E::None, 0, 1000,
         1000},
        {"empty file", "HTTP/1.1 416 R\r\nContent-Range: bytes */0\r\nContent-Length: 0", first(), K::Body, E::None,
         0, 0, 0},
        // The file changed on the server: another total.
        {"200 other total", "HTTP/1.1 200 OK\r\nContent-Length: 1001", later(0, 1000), K::Fatal, E::ServerError},
        {"206 other total", "HTTP/1.1 206 P\r\nContent-Range: bytes 300-1000/1001\r\nContent-Length: 701",
         later(300, 1000), K::DistrustRanges, E::ServerError},
        // Ranges that cannot be trusted.
        {"206 other start", "HTTP/1.1 206 P\r\nContent-Range: bytes 200-999/1000\r\nContent-Length: 800",
         later(300, 1000), K::DistrustRanges, E::RangeRefused},
        {"206 length disagrees", "HTTP/1.1 206 P\r\nContent-Range: bytes 0-999/1000\r\nContent-Length: 1100", first(),
         K::DistrustRanges, E::RangeRefused},
        {"206 unknown total", "HTTP/1.1 206 P\r\nContent-Range: bytes 0-999/*\r\nContent-Length: 1000", first(),
         K::Retry, E::ServerError},
        {"206 without range", "HTTP/1.1 206 P\r\nContent-Length: 1000", first(), K::Retry, E::ServerError},
        // No length.
        {"200 no length", "HTTP/1.1 200 OK\r\nContent-Type: x", first(), K::Fatal, E::NoLength},
        {"200 chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 10", first(), K::Fatal,
         E::NoLength},
        {"206 no length", "HTTP/1.1 206 P\r\nContent-Range: bytes 0-9/10", first(), K::Fatal, E::NoLength},
        // Statuses.
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3", first(), K::Fatal, E::NotFound},
        {"410", "HTTP/1.1 410 Gone\r\nContent-Length: 3", first(), K::Fatal, E::NotFound},
        {"500", "HTTP/1.1 500 Oops\r\nContent-Length: 3", first(), K::Fatal, E::ServerError},
        {"416 later", "HTTP/1.1 416 R\r\nContent-Range: bytes */0", later(10, 1000), K::Fatal, E::ServerError},
        {"303", "HTTP/1.1 303 See Other\r\nLocation: /x", first(), K::Fatal, E::ServerError},
        {"malformed", "HTTP/1.1 2xx OK", first(), K::Retry, E::ServerError},
        // Redirects: relative and absolute, fragments dropped, only to http, at most kMaxRedirects in a row.
        {"302 relative", "HTTP/1.1 302 F\r\nLocation: next.bin#part", first(), K::Redirect, E::None, 0, 0, -1,
         "http://h:8080/dir/next.bin"},
        {"301 absolute", "HTTP/1.1 301 M\r\nLocation: http://other/x?y=1#z", first(), K::Redirect, E::None, 0, 0, -1,
         "http://other/x?y=1"},
        {"redirect to https", "HTTP/1.1 302 F\r\nLocation: https://other/x", first(), K::Fatal, E::ServerError},
        {"redirect without location", "HTTP/1.1 302 F\r\nContent-Length: 0", first(), K::Fatal, E::ServerError},
        {"one redirect too many", "HTTP/1.1 302 F\r\nLocation: /x", AskedFor{0, -1, kMaxRedirects}, K::Fatal,
         E::ServerError},
        {"last redirect allowed", "HTTP/1.1 302 F\r\nLocation: /x", AskedFor{0, -1, kMaxRedirects - 1}, K::Redirect,
         E::None, 0, 0, -1, "http://h:8080/x"},
    };
    const UrlParts url = split_url("http://h:8080/dir/file.bin").parts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AnswerVerdict v = classify_answer(parse_response_head(c.head + "\r\n\r\n"), url, c.asked);
        EXPECT_EQ(v.kind, c.kind) << v.why;
        EXPECT_EQ(v.reason, c.reason) << v.why;
        if (c.kind == AnswerKind::Body) {
            EXPECT_EQ(v.offset, c.offset);
            EXPECT_EQ(v.limit, c.limit);
            EXPECT_EQ(v.total, c.total);
        } else if (c.kind == AnswerKind::Redirect) {
            EXPECT_EQ(v.location, c.location);
        } else {
            EXPECT_FALSE(v.why.empty());
        }
    }
}

}  // namespace
}  // namespace kv
