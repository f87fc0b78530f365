// A small HTTP/1.1 server on 127.0.0.1 for download tests. It serves files with faults on request (dropped
// connections, stalls, Range ignored, no length, a wrong Content-Range, a short body, redirects, error
// statuses, a slow first answer) and records every request head it received, byte for byte.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace kv::test {

struct HttpRequest {
    std::string head;    // as received, up to and including the blank line
    std::string method;
    std::string target;  // as on the request line
    std::optional<std::int64_t> range_start;  // from "Range: bytes=N-"
    std::string header(const std::string& name) const;  // "" when absent
};

// How one path answers. Counters such as `drops` are shared by all requests to the path.
struct Resource {
    std::string body;
    int status = 0;                 // non-zero: answer this status with a short text body instead of the file
    std::string location;           // Location of a 301/302
    bool ranges = true;             // honour "Range: bytes=N-"
    bool send_length = true;        // announce Content-Length
    std::int64_t extra_length = 0;  // announce this many bytes more than are sent, then close
    std::int64_t drop_after = -1;   // close after this many body bytes ...
    int drops = 0;                  // ... on this many requests
    std::int64_t stall_after = -1;  // pause after this many body bytes ...
    int stall_ms = 0;               // ... for this long ...
    int stalls = 1;                 // ... on this many requests
    int first_delay_ms = 0;         // the first request waits this long before its head
    std::int64_t shift_range = 0;   // answers to ranges not starting at 0 start this many bytes off
    std::int64_t slow_start = -1;   // a request for exactly this start is sent at `slow_rate` bytes/s
    std::int64_t slow_rate = 0;
    std::int64_t body_with_head = 0;  // this many body bytes go out in the same send as the head
    std::int64_t range_cap = 0;       // a 206 carries at most this many bytes (its Content-Range says so)
    int change_after = -1;            // requests after this many are answered from `changed_body`, as if the
    std::string changed_body;         // file had been replaced on the server meanwhile
};

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool ok() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    std::string url(const std::string& path) const;  // "http://127.0.0.1:<port>" + path

    void add(const std::string& path, Resource resource);
    std::vector<HttpRequest> requests() const;
    std::vector<HttpRequest> requests_for(const std::string& path) const;
    // Connections accepted so far and how many are open now.
    int connections() const { return accepted_.load(); }
    int open_connections() const { return open_.load(); }

private:
    struct Entry {
        Resource resource;
        std::atomic<int> drops_left{0};
        std::atomic<int> stalls_left{0};
        std::atomic<bool> first_done{false};
        std::atomic<int> answered{0};
    };
    void accept_loop();
    void serve(net::TcpSocket& socket);
    void answer(net::TcpSocket& socket, const HttpRequest& request, Entry& entry);
    bool send_body(net::TcpSocket& socket, Entry& entry, const std::string& body, std::int64_t from,
                   std::int64_t to);

    net::TcpListener listener_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::atomic<int> open_{0};
    mutable std::mutex lock_;
    std::map<std::string, std::unique_ptr<Entry>> resources_;
    std::vector<HttpRequest> requests_;
    std::vector<std::thread> workers_;
    std::vector<net::TcpSocket*> live_;
    std::thread acceptor_;
};

// A body of `size` bytes that differs at every offset, so that a misplaced byte shows.
std::string pattern_body(std::size_t size, std::uint32_t seed = 1);

}  // namespace kv::test
