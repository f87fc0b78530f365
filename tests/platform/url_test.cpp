#include "platform/url.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

struct SplitCase {
    const char* url;
    const char* scheme;
    const char* user;
    const char* password;
    const char* host;
    int port;
    const char* path;
};

TEST(Url, SplitsAddressesIntoParts) {
    const SplitCase cases[] = {
        {"http://example.com/ostrel/BF2.exe", "http", "", "", "example.com", 80, "/ostrel/BF2.exe"},
        {"HTTP://Example.com:8080", "http", "", "", "Example.com", 8080, "/"},
        {"http://u:p@h:1/a/b?c=d/e", "http", "u", "p", "h", 1, "/a/b?c=d/e"},
        {"http://user@h/x", "http", "user", "", "h", 80, "/x"},
        {"http://u:p:q@h/", "http", "u", "p:q", "h", 80, "/"},
        {"ftp://h/dir/", "ftp", "", "", "h", 21, "/dir/"},
        {"https://h", "https", "", "", "h", 443, "/"},
        {"http://h?x=1", "http", "", "", "h", 80, "/?x=1"},
        {"http://h/p#frag/with/slash", "http", "", "", "h", 80, "/p"},
        {"http://h/a%20b/c d", "http", "", "", "h", 80, "/a%20b/c d"},  // no escaping either way
        {"http://[::1]:8080/v6", "http", "", "", "::1", 8080, "/v6"},
        {"http://[::1]/v6", "http", "", "", "::1", 80, "/v6"},
        {"http://h:/empty-port", "http", "", "", "h", 80, "/empty-port"},
        {"http://a@b@h/", "http", "a@b", "", "h", 80, "/"},
        {"gopher://h/", "gopher", "", "", "h", 0, "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const UrlSplit s = split_url(c.url);
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(s.parts.scheme, c.scheme);
        EXPECT_EQ(s.parts.user, c.user);
        EXPECT_EQ(s.parts.password, c.password);
        EXPECT_EQ(s.parts.host, c.host);
        EXPECT_EQ(s.parts.port, c.port);
        EXPECT_EQ(s.parts.path, c.path);
    }
}

TEST(Url, RefusesMalformedAddresses) {
    const std::pair<const char*, UrlError> cases[] = {
        {"", UrlError::Empty},
        {"#only-fragment", UrlError::Empty},
        {"example.com/file", UrlError::NoScheme},
        {"://h/", UrlError::NoScheme},
        {"ht tp://h/", UrlError::NoScheme},
        {"http:///path", UrlError::NoHost},
        {"http://user@/x", UrlError::NoHost},
        {"http://[::1/x", UrlError::NoHost},
        {"http://h:0/", UrlError::BadPort},
        {"http://h:65536/", UrlError::BadPort},
        {"http://h:8o/", UrlError::BadPort},
        {"http://h:123456/", UrlError::BadPort},
        {"http://[::1]x/", UrlError::NoHost},
    };
    for (const auto& [url, error] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(split_url(url).error, error);
    }
}

TEST(Url, HostHeaderAndJoinKeepNonDefaultPortsOnly) {
    EXPECT_EQ(host_header(split_url("http://h/x").parts), "h");
    EXPECT_EQ(host_header(split_url("http://h:80/x").parts), "h");
    EXPECT_EQ(host_header(split_url("http://h:8080/x").parts), "h:8080");
    EXPECT_EQ(host_header(split_url("http://[::1]:81/").parts), "[::1]:81");
    EXPECT_EQ(join_url(split_url("http://u:p@h:81/a?b#c").parts), "http://u:p@h:81/a?b");
}

TEST(Url, ResolvesRedirectTargets) {
    const UrlParts base = split_url("http://h:81/dir/file.exe?q=1").parts;
    const std::pair<const char*, const char*> cases[] = {
        {"http://other/x", "http://other/x"},
        {"//other:82/y", "http://other:82/y"},
        {"/root", "http://h:81/root"},
        {"next.exe", "http://h:81/dir/next.exe"},
        {"../up", "http://h:81/dir/../up"},
        {"?z=2", "http://h:81/dir/file.exe?z=2"},
        {"rel/path?with=://inside", "http://h:81/dir/rel/path?with=://inside"},
    };
    for (const auto& [ref, want] : cases) {
        SCOPED_TRACE(ref);
        EXPECT_EQ(resolve_reference(base, ref), want);
    }
}

TEST(Url, SplitsProxyHostAndPort) {
    std::string host;
    std::uint16_t port = 0;
    ASSERT_TRUE(split_host_port("proxy.lan:3128", host, port));
    EXPECT_EQ(host, "proxy.lan");
    EXPECT_EQ(port, 3128);
    ASSERT_TRUE(split_host_port("[::1]:8080", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 8080);
    EXPECT_FALSE(split_host_port("proxy.lan", host, port));
    EXPECT_FALSE(split_host_port(":3128", host, port));
    EXPECT_FALSE(split_host_port("h:99999", host, port));
}

TEST(Url, DirectoryIsTheAddressUpToItsLastSlash) {
    EXPECT_EQ(address_directory("http://h/ostrel/BF2.exe"), "http://h/ostrel/");
    EXPECT_EQ(address_directory("http://h/file"), "http://h/");
    EXPECT_EQ(address_directory("http://h"), "http://h/");
    EXPECT_EQ(address_directory("http://h/a/b#x/y"), "http://h/a/");
}

}  // namespace
}  // namespace kv
