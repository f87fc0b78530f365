#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "platform/socket.h"

namespace kv::net {
namespace {

// Winsock is started once for the process and left running: it is needed until exit.
bool winsock_ready() {
    static const bool ready = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

SOCKET sock_of(std::uintptr_t h) { return static_cast<SOCKET>(h); }

struct AddrInfoDeleter {
    void operator()(addrinfo* a) const { freeaddrinfo(a); }
};

Error from_wsa(int e) {
    switch (e) {
        case WSAECONNREFUSED: return Error::Refused;
        case WSAETIMEDOUT:
        case WSAEWOULDBLOCK: return Error::TimedOut;
        case WSAECONNRESET:
        case WSAECONNABORTED: return Error::Reset;
        case WSAESHUTDOWN: return Error::Closed;
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH: return Error::Unreachable;
        default: return Error::Io;
    }
}

// Waits for a non-blocking connect to finish, in short slices so that `stop` is noticed.
Error wait_connected(SOCKET s, std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop) {
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) return Error::Stopped;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                               std::chrono::steady_clock::now());
        if (left.count() <= 0) return Error::TimedOut;
        const long slice = static_cast<long>(std::min<long long>(left.count(), 50));
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval tv{slice / 1000, (slice % 1000) * 1000};
        const int r = select(0, nullptr, &writable, &failed, &tv);
        if (r == SOCKET_ERROR) return Error::Io;
        if (r == 0) continue;
        if (FD_ISSET(s, &writable)) return Error::None;
        int err = 0;
        int len = sizeof err;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
        return err == 0 ? Error::Unreachable : from_wsa(err);
    }
}

// Waits until `s` can be read (or written), in short slices so that an interruption is noticed. A time-out of
// 0 or less waits without limit. None also when the socket failed: the next call tells how.
Error wait_ready(SOCKET s, bool write, int timeout_ms, const std::atomic<bool>& interrupted) {
    const auto deadline = timeout_ms > 0 ? std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms)
                                         : std::chrono::steady_clock::time_point::max();
    for (;;) {
        if (interrupted.load(std::memory_order_relaxed)) return Error::Closed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                               std::chrono::steady_clock::now());
        if (left.count() <= 0) return Error::TimedOut;
        const long slice = static_cast<long>(std::min<long long>(left.count(), 50));
        fd_set ready;
        fd_set failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(s, &ready);
        FD_SET(s, &failed);
        timeval tv{slice / 1000, (slice % 1000) * 1000};
        const int r = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &tv);
        if (r == SOCKET_ERROR) return from_wsa(WSAGetLastError());
        if (r > 0) return Error::None;
    }
}

bool set_non_blocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

}  // namespace

void SocketTraits::close(Value socket) noexcept { closesocket(sock_of(socket)); }

void TcpSocket::interrupt() {
    interrupted_ = true;
    if (handle_) shutdown(sock_of(handle_.get()), SD_BOTH);
}

Error TcpSocket::connect(const std::string& host, std::uint16_t port, int timeout_ms, int send_timeout_ms,
                         int receive_timeout_ms, const std::atomic<bool>& stop) {
    close();
    interrupted_ = false;
    if (!winsock_ready()) return Error::Io;
    // No time-out given: wait as long as it takes (a stop still ends the wait).
    const auto deadline = timeout_ms > 0 ? std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms)
                                         : std::chrono::steady_clock::time_point::max();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* raw = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &raw) != 0 || !raw) return Error::Resolve;
    std::unique_ptr<addrinfo, AddrInfoDeleter> list(raw);
    Error last = Error::Unreachable;
    for (addrinfo* a = list.get(); a; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        handle_.reset(static_cast<std::uintptr_t>(s));
        // Non-blocking for good: every later wait is one that interrupt() can end.
        set_non_blocking(s);
        Error e = Error::None;
        if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            const int err = WSAGetLastError();
            e = err == WSAEWOULDBLOCK ? wait_connected(s, deadline, stop) : from_wsa(err);
        }
        if (e == Error::None) {
            set_timeouts(send_timeout_ms, receive_timeout_ms);
            return Error::None;
        }
        close();
        last = e;
        if (e == Error::Stopped || e == Error::TimedOut) break;
    }
    return last;
}

IoResult TcpSocket::send_all(const char* data, std::size_t size) {
    std::size_t sent = 0;
    while (sent < size) {
        if (interrupted_) return {Error::Closed, sent};
        const int chunk = static_cast<int>(std::min<std::size_t>(size - sent, 1 << 30));
        const int n = ::send(sock_of(handle_.get()), data + sent, chunk, 0);
        if (n != SOCKET_ERROR) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        const int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK) return {from_wsa(err), sent};
        if (const Error e = wait_ready(sock_of(handle_.get()), true, send_timeout_ms_, interrupted_); e != Error::None) {
            return {e, sent};
        }
    }
    return {Error::None, sent};
}

IoResult TcpSocket::receive(char* buffer, std::size_t size) {
    const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
    for (;;) {
        if (interrupted_) return {Error::Closed, 0};
        const int n = ::recv(sock_of(handle_.get()), buffer, chunk, 0);
        if (n > 0) return {Error::None, static_cast<std::size_t>(n)};
        if (n == 0) return {Error::Closed, 0};
        const int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK) return {from_wsa(err), 0};
        if (const Error e = wait_ready(sock_of(handle_.get()), false, receive_timeout_ms_, interrupted_);
            e != Error::None) {
            return {e, 0};
        }
    }
}

IoResult TcpSocket::receive_blocks(char* buffer, std::size_t size, std::size_t block, std::uint32_t* sizes,
                                   std::size_t max_blocks, std::size_t& count) {
    count = 0;
    constexpr std::size_t kMaxBatch = 32;
    if (block == 0) block = size;
    // One buffer per block: a stream socket fills them in order, so each one is a receive of at most `block`
    // bytes, and the call returns with what has arrived once the first byte is there.
    WSABUF bufs[kMaxBatch];
    DWORD n = 0;
    for (std::size_t at = 0; at < size && n < std::min(max_blocks, kMaxBatch); ++n) {
        const std::size_t len = std::min({block, size - at, std::size_t{1} << 30});
        bufs[n].buf = buffer + at;
        bufs[n].len = static_cast<ULONG>(len);
        at += len;
    }
    if (n == 0) return {Error::None, 0};
    DWORD got = 0;
    for (;;) {
        if (interrupted_) return {Error::Closed, 0};
        DWORD flags = 0;
        if (WSARecv(sock_of(handle_.get()), bufs, n, &got, &flags, nullptr, nullptr) != SOCKET_ERROR) break;
        const int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK) return {from_wsa(err), 0};
        if (const Error e = wait_ready(sock_of(handle_.get()), false, receive_timeout_ms_, interrupted_);
            e != Error::None) {
            return {e, 0};
        }
    }
    if (got == 0) return {Error::Closed, 0};
    std::size_t left = got;
    for (DWORD i = 0; i < n && left > 0; ++i) {
        const std::size_t part = std::min<std::size_t>(left, bufs[i].len);
        sizes[count++] = static_cast<std::uint32_t>(part);
        left -= part;
    }
    return {Error::None, got};
}

// Kept for the waits of the non-blocking socket (SO_RCVTIMEO and SO_SNDTIMEO apply to blocking calls only).
void TcpSocket::set_timeouts(int send_timeout_ms, int receive_timeout_ms) {
    send_timeout_ms_ = send_timeout_ms;
    receive_timeout_ms_ = receive_timeout_ms;
}

Error TcpListener::listen_loopback(std::uint16_t port) {
    close();
    if (!winsock_ready()) return Error::Io;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return Error::Io;
    handle_.reset(static_cast<std::uintptr_t>(s));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 64) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close();
        return Error::Io;
    }
    port_ = ntohs(addr.sin_port);
    return Error::None;
}

Error TcpListener::accept(TcpSocket& out, int timeout_ms) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(sock_of(handle_.get()), &readable);
    timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    const int r = select(0, &readable, nullptr, nullptr, &tv);
    if (r == 0) return Error::TimedOut;
    if (r == SOCKET_ERROR) return Error::Io;
    const SOCKET s = ::accept(sock_of(handle_.get()), nullptr, nullptr);
    if (s == INVALID_SOCKET) return Error::Io;
    out.handle_.reset(static_cast<std::uintptr_t>(s));
    out.interrupted_ = false;
    set_non_blocking(s);
    return Error::None;
}

}  // namespace kv::net
