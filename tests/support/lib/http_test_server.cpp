#include "support/lib/http_test_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace kv::test {
namespace {

constexpr int kIoTimeoutMs = 5000;

bool iequals(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool send_text(net::TcpSocket& socket, const std::string& text) {
    return socket.send_all(text.data(), text.size()).ok();
}

}  // namespace

std::string HttpRequest::header(const std::string& name) const {
    std::size_t at = head.find('\n');
    while (at != std::string::npos && at + 1 < head.size()) {
        const std::size_t end = head.find('\n', at + 1);
        std::string line = head.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto colon = line.find(':');
        if (colon != std::string::npos && iequals(line.substr(0, colon), name)) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            return value;
        }
        at = end;
    }
    return {};
}

std::string pattern_body(std::size_t size, std::uint32_t seed) {
    std::string out(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        out[i] = static_cast<char>(x >> 24);
    }
    return out;
}

HttpTestServer::HttpTestServer() {
    if (listener_.listen_loopback(0) != net::Error::None) return;
    port_ = listener_.port();
    acceptor_ = std::thread([this] { accept_loop(); });
}

HttpTestServer::~HttpTestServer() {
    stop_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    {
        std::lock_guard g(lock_);
        for (net::TcpSocket* s : live_) s->interrupt();
    }
    std::vector<std::thread> workers;
    {
        std::lock_guard g(lock_);
        workers.swap(workers_);
    }
    for (auto& t : workers) t.join();
}

std::string HttpTestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::add(const std::string& path, Resource resource) {
    auto entry = std::make_unique<Entry>();
    entry->drops_left = resource.drops;
    entry->stalls_left = resource.stalls;
    entry->resource = std::move(resource);
    std::lock_guard g(lock_);
    resources_[path] = std::move(entry);
}

std::vector<HttpRequest> HttpTestServer::requests() const {
    std::lock_guard g(lock_);
    return requests_;
}

std::vector<HttpRequest> HttpTestServer::requests_for(const std::string& path) const {
    std::vector<HttpRequest> out;
    for (auto& r : requests()) {
        if (r.target == path) out.push_back(r);
    }
    return out;
}

void HttpTestServer::accept_loop() {
    while (!stop_) {
        auto socket = std::make_unique<net::TcpSocket>();
        if (listener_.accept(*socket, 50) != net::Error::None) continue;
        ++accepted_;
        ++open_;
        std::lock_guard g(lock_);
        live_.push_back(socket.get());
        workers_.emplace_back([this, s = std::move(socket)]() mutable {
            serve(*s);
            std::lock_guard g(lock_);
            live_.erase(std::find(live_.begin(), live_.end(), s.get()));
            s->close();
            --open_;
        });
    }
}

void HttpTestServer::serve(net::TcpSocket& socket) {
    socket.set_timeouts(kIoTimeoutMs, kIoTimeoutMs);
    HttpRequest request;
    char chunk[2048];
    while (request.head.find("\r\n\r\n") == std::string::npos) {
        if (request.head.size() > 64 * 1024 || stop_) return;
        const net::IoResult r = socket.receive(chunk, sizeof chunk);
        if (!r.ok()) return;
        request.head.append(chunk, r.bytes);
    }
    request.head.resize(request.head.find("\r\n\r\n") + 4);
    const std::string line = request.head.substr(0, request.head.find("\r\n"));
    const auto sp1 = line.find(' ');
    const auto sp2 = line.rfind(' ');
    if (sp1 != std::string::npos && sp2 > sp1) {
        request.method = line.substr(0, sp1);
        request.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    }
    const std::string range = request.header("Range");
    if (range.rfind("bytes=", 0) == 0 && !range.empty() && range.back() == '-') {
        const std::string digits = range.substr(6, range.size() - 7);
        if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos) {
            request.range_start = std::stoll(digits);
        }
    }
    Entry* entry = nullptr;
    {
        std::lock_guard g(lock_);
        requests_.push_back(request);
        // A proxy is asked for the full address: serve it by its path.
        std::string path = request.target;
        if (path.rfind("http://", 0) == 0) {
            const auto slash = path.find('/', 7);
            path = slash == std::string::npos ? "/" : path.substr(slash);
        }
        const auto it = resources_.find(path);
        if (it != resources_.end()) entry = it->second.get();
    }
    if (!entry) {
        send_text(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        return;
    }
    answer(socket, request, *entry);
}

void HttpTestServer::answer(net::TcpSocket& socket, const HttpRequest& request, Entry& entry) {
    const Resource& res = entry.resource;
    if (res.first_delay_ms > 0 && !entry.first_done.exchange(true)) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(res.first_delay_ms);
        while (!stop_ && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (res.status != 0) {
        std::string text = "HTTP/1.1 " + std::to_string(res.status) + " Test\r\n";
        if (!res.location.empty()) text += "Location: " + res.location + "\r\n";
        text += "Content-Length: 4\r\nConnection: close\r\n\r\nnope";
        send_text(socket, text);
        return;
    }
    const int number = entry.answered.fetch_add(1);
    const std::string& body = res.change_after >= 0 && number >= res.change_after ? res.changed_body : res.body;
    const auto size = static_cast<std::int64_t>(body.size());
    const bool partial = res.ranges && request.range_start.has_value();
    if (partial && *request.range_start >= size) {
        send_text(socket, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(size) +
                              "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    std::int64_t from = 0;
    std::int64_t to = size;
    std::string head;
    if (partial) {
        from = *request.range_start;
        if (from > 0) from = std::clamp<std::int64_t>(from + res.shift_range, 0, size - 1);
        if (res.range_cap > 0) to = std::min(size, from + res.range_cap);
        head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-" +
               std::to_string(to - 1) + "/" + std::to_string(size) + "\r\n";
    } else {
        head = "HTTP/1.1 200 OK\r\n";
    }
    head += "Content-Type: application/octet-stream\r\n";
    if (res.send_length) head += "Content-Length: " + std::to_string(to - from + res.extra_length) + "\r\n";
    head += "Connection: close\r\n\r\n";
    const std::int64_t with_head = std::clamp<std::int64_t>(res.body_with_head, 0, to - from);
    head.append(body, static_cast<std::size_t>(from), static_cast<std::size_t>(with_head));
    if (!send_text(socket, head)) return;
    send_body(socket, entry, body, from + with_head, to);
}

bool HttpTestServer::send_body(net::TcpSocket& socket, Entry& entry, const std::string& body, std::int64_t from,
                               std::int64_t to) {
    const Resource& res = entry.resource;
    const bool dropping = res.drop_after >= 0 && entry.drops_left.fetch_sub(1) > 0;
    const bool slow = res.slow_start >= 0 && from == res.slow_start && res.slow_rate > 0;
    std::int64_t sent = 0;
    bool stalled = res.stall_after < 0 || entry.stalls_left.fetch_sub(1) <= 0;
    while (from + sent < to && !stop_) {
        std::int64_t n = std::min<std::int64_t>(to - from - sent, slow ? std::max<std::int64_t>(res.slow_rate / 50, 1) : 16384);
        if (dropping) n = std::min(n, res.drop_after - sent);
        if (!stalled) n = std::min(n, res.stall_after - sent);
        if (n > 0 && !socket.send_all(body.data() + from + sent, static_cast<std::size_t>(n)).ok()) return false;
        sent += n;
        if (dropping && sent >= res.drop_after) return false;
        if (!stalled && sent >= res.stall_after) {
            stalled = true;
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(res.stall_ms);
            while (!stop_ && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (slow) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace kv::test
