// The request a download sends and the Referer it derives, without sockets.
#include "platform/download_request.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(DownloadRequest, CarriesTheFixedHeadersAndTheRange) {
    DownloadRequest r{split_url("http://u:pw@host:8080/ostrel/BF2.exe?v=2").parts, false, "http://host:8080/ostrel/",
                      123456};
    EXPECT_EQ(build_request(r),
              "GET /ostrel/BF2.exe?v=2 HTTP/1.1\r\n"
              "Host: host:8080\r\n"
              "Accept: */*\r\n"
              "Referer: http://host:8080/ostrel/\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
              "Pragma: no-cache\r\n"
              "Cache-Control: no-cache\r\n"
              "Range: bytes=123456-\r\n"
              "Connection: close\r\n"
              "\r\n");
    // Through a proxy the request line names the whole address, still without credentials.
    r.via_proxy = true;
    r.from = 0;
    const std::string via = build_request(r);
    EXPECT_EQ(via.substr(0, via.find("\r\n")), "GET http://host:8080/ostrel/BF2.exe?v=2 HTTP/1.1");
    EXPECT_EQ(via.find("pw"), std::string::npos);
}

TEST(DownloadRequest, RefererNeverCarriesCredentials) {
    const struct {
        const char* address;
        const char* derived;
    } cases[] = {
        {"http://host/ostrel/BF2.exe", "http://host/ostrel/"},
        {"http://user:pw@host:81/a/b.bin", "http://host:81/a/"},
        {"http://user@host/b.bin", "http://host/"},
        {"http://us@er:p@ss@host/x/y", "http://host/x/"},  // the last '@' of the authority ends the credentials
        {"http://host/a@b/c.bin", "http://host/a@b/"},     // an '@' in the path is the path's
        {"http://u:p@host", "http://host/"},
        {"http://host/dir/file#frag/ment", "http://host/dir/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(derive_referer(c.address), c.derived);
    }
    EXPECT_EQ(strip_credentials("http://u:p@ref.example/page?q=a@b"), "http://ref.example/page?q=a@b");
    EXPECT_EQ(strip_credentials("not an address@all"), "not an address@all");
}

}  // namespace
}  // namespace kv
