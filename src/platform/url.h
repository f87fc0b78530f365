// Splitting an address such as "http://user:pw@host:8080/dir/file?q" into its parts. Everything from the first
// '#' is dropped; nothing is unescaped or re-escaped, so the path goes on the wire exactly as it was written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

struct UrlParts {
    std::string scheme;    // lower case, such as "http"
    std::string user;      // empty when absent
    std::string password;  // empty when absent
    std::string host;      // an IPv6 literal keeps its brackets off: "::1"
    std::uint16_t port = 0;
    std::string path;      // starts with '/', query included; "/" when the address has none
};

enum class UrlError { None, Empty, NoScheme, NoHost, BadPort };

struct UrlSplit {
    UrlError error = UrlError::None;
    UrlParts parts;
    bool ok() const { return error == UrlError::None; }
};

// The well-known port of a scheme (http 80, https 443, ftp 21), 0 for others.
std::uint16_t default_port(std::string_view scheme);

UrlSplit split_url(std::string_view url);

// "host" or "host:port" as a Host header writes it: the port only when it is not the scheme's default,
// an IPv6 host in brackets.
std::string host_header(const UrlParts& url);

// scheme://[user[:password]@]host[:port]path, the parts put back together.
std::string join_url(const UrlParts& url);

// Where a redirect's Location points, taken relative to the address it came from when it is not absolute.
std::string resolve_reference(const UrlParts& base, std::string_view reference);

// "host:port" (or "[v6]:port"); false when the port is missing or out of range.
bool split_host_port(std::string_view text, std::string& host, std::uint16_t& port);

// The address up to and including its last '/' (after the fragment is dropped); an address without a path
// gives its authority followed by "/".
std::string address_directory(std::string_view url);

}  // namespace kv
