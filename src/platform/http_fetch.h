// Small blocking HTTP GETs: the version files of the update road, and raw files such as signatures.
//
// The fetch functions exist in the Windows build only (WinINet). One internet handle serves the process: it
// is opened by the first fetch and closed by close_http_session() at exit. Requests go out directly (no
// proxy), as GET with HTTP/1.0 and "Accept: */*", never from or into a cache; https is fetched over a secure
// connection and redirects are followed. Bounded time-outs keep a dead host from freezing the caller for
// long.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

struct HttpTimeouts {
    int connect_ms = 5000;   // per connection attempt
    int send_ms = 5000;      // sending the request
    int receive_ms = 10000;  // waiting for the answer's head, and for each piece of the body
    int total_ms = 10000;    // reading the whole body; what arrived by then is kept
};

struct HttpFetch {
    bool answered = false;  // a response head arrived (any status)
    int status = 0;         // its status code, 0 without an answer
    std::string body;       // the body's raw bytes, NULs included; at most max_bytes
    bool cut = false;       // the body went on beyond max_bytes, or its reading ended early (error, time-out)
};

// Fetches `url` (a GBK text). Everything from the first '#' on is never sent. Any status is an answer whose
// body is returned. A bad address, an unreachable host or a refused connection give answered == false.
HttpFetch http_get_bytes(std::string_view url, std::size_t max_bytes, const HttpTimeouts& timeouts = {});

// The body of any answer as text: up to its first NUL byte, at most kTextFetchLimit bytes. Every failure
// gives the empty text, which callers read as an unreachable host.
std::string http_get_text(std::string_view url);
inline constexpr std::size_t kTextFetchLimit = 1024 * 1024;

// Closes the process's internet handle; a later fetch opens a new one.
void close_http_session();

// ---- Portable helpers (both builds) ----

// The address without its fragment: everything from the first '#' on is dropped.
std::string_view url_without_fragment(std::string_view url);
// The bytes up to the first NUL (all of them when there is none).
std::string text_before_nul(std::string_view bytes);

}  // namespace kv
