#include <fcntl.h>
#include <netdb.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <memory>

#include "platform/socket.h"

namespace kv::net {
namespace {

int fd_of(std::uintptr_t h) { return static_cast<int>(h); }

void set_timeout(int fd, int option, int ms) {
    if (ms <= 0) return;
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

// A large receive buffer, set before connecting so that the window scale allows for it, keeps a fast sender
// from stalling on a full window; then the receiver wakes less often and its reads send fewer window updates,
// which is most of a fast download's cost in system time. A fixed size turns the kernel's own tuning off, so it
// is set only where the system permits the full size; elsewhere the kernel's tuning stays.
constexpr int kReceiveBuffer = 4 * 1024 * 1024;

bool large_receive_buffers_allowed() {
    static const bool allowed = [] {
        std::ifstream in("/proc/sys/net/core/rmem_max");
        long long most = 0;
        return static_cast<bool>(in >> most) && most >= kReceiveBuffer;
    }();
    return allowed;
}

void set_receive_buffer(int fd) {
    if (!large_receive_buffers_allowed()) return;
    const int size = kReceiveBuffer;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

struct AddrInfoDeleter {
    void operator()(addrinfo* a) const { freeaddrinfo(a); }
};

Error from_errno(int e) {
    switch (e) {
        case ECONNREFUSED: return Error::Refused;
        case ETIMEDOUT:
        case EAGAIN: return Error::TimedOut;
        case ECONNRESET:
        case EPIPE: return Error::Reset;
        case ENETUNREACH:
        case EHOSTUNREACH: return Error::Unreachable;
        default: return Error::Io;
    }
}

// Waits for a non-blocking connect to finish, in short slices so that `stop` is noticed.
Error wait_connected(int fd, std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop) {
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) return Error::Stopped;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                               std::chrono::steady_clock::now());
        if (left.count() <= 0) return Error::TimedOut;
        pollfd p{fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
        if (r < 0 && errno != EINTR) return Error::Io;
        if (r <= 0) continue;
        int err = 0;
        socklen_t len = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return Error::Io;
        return err == 0 ? Error::None : (err == ECONNREFUSED ? Error::Refused : from_errno(err));
    }
}

}  // namespace

void SocketTraits::close(Value socket) noexcept { ::close(fd_of(socket)); }

void TcpSocket::interrupt() {
    interrupted_ = true;
    if (handle_) ::shutdown(fd_of(handle_.get()), SHUT_RDWR);
}

Error TcpSocket::connect(const std::string& host, std::uint16_t port, int timeout_ms, int send_timeout_ms,
                         int receive_timeout_ms, const std::atomic<bool>& stop) {
    close();
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
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        set_receive_buffer(fd);
        handle_.reset(static_cast<std::uintptr_t>(fd));
        Error e = Error::None;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            e = errno == EINPROGRESS ? wait_connected(fd, deadline, stop) : from_errno(errno);
        }
        if (e == Error::None) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
        const ssize_t n = ::send(fd_of(handle_.get()), data + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {from_errno(errno), sent};
        }
        sent += static_cast<std::size_t>(n);
    }
    return {Error::None, sent};
}

IoResult TcpSocket::receive(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::recv(fd_of(handle_.get()), buffer, size, 0);
        if (n > 0) return {Error::None, static_cast<std::size_t>(n)};
        if (n == 0) return {Error::Closed, 0};
        if (errno == EINTR) continue;
        return {from_errno(errno), 0};
    }
}

IoResult TcpSocket::receive_blocks(char* buffer, std::size_t size, std::size_t block, std::uint32_t* sizes,
                                   std::size_t max_blocks, std::size_t& count) {
    count = 0;
    constexpr std::size_t kMaxBatch = 32;
    if (block == 0) block = size;
    mmsghdr msgs[kMaxBatch];
    iovec iov[kMaxBatch];
    std::size_t n = 0;
    for (std::size_t at = 0; at < size && n < std::min(max_blocks, kMaxBatch); ++n) {
        const std::size_t len = std::min(block, size - at);
        iov[n] = {buffer + at, len};
        msgs[n] = {};
        msgs[n].msg_hdr.msg_iov = &iov[n];
        msgs[n].msg_hdr.msg_iovlen = 1;
        at += len;
    }
    if (n == 0) return {Error::None, 0};
    for (;;) {
        // MSG_WAITFORONE: only the first receive waits (up to the receive time-out).
        const int got = ::recvmmsg(fd_of(handle_.get()), msgs, static_cast<unsigned>(n), MSG_WAITFORONE, nullptr);
        if (got < 0) {
            if (errno == EINTR) continue;
            return {from_errno(errno), 0};
        }
        // Each receive had its own place in the buffer; one that came back short leaves a gap, so the later
        // ones move down to follow on.
        std::size_t bytes = 0;
        for (int i = 0; i < got && msgs[i].msg_len > 0; ++i) {
            char* from = static_cast<char*>(iov[i].iov_base);
            if (from != buffer + bytes) std::memmove(buffer + bytes, from, msgs[i].msg_len);
            sizes[count++] = msgs[i].msg_len;
            bytes += msgs[i].msg_len;
        }
        // A receive of 0 bytes is the peer's close; what came before it is still good.
        if (count == 0) return {Error::Closed, 0};
        return {Error::None, bytes};
    }
}

void TcpSocket::set_timeouts(int send_timeout_ms, int receive_timeout_ms) {
    set_timeout(fd_of(handle_.get()), SO_SNDTIMEO, send_timeout_ms);
    set_timeout(fd_of(handle_.get()), SO_RCVTIMEO, receive_timeout_ms);
}

Error TcpListener::listen_loopback(std::uint16_t port) {
    close();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Error::Io;
    handle_.reset(static_cast<std::uintptr_t>(fd));
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close();
        return Error::Io;
    }
    port_ = ntohs(addr.sin_port);
    return Error::None;
}

Error TcpListener::accept(TcpSocket& out, int timeout_ms) {
    pollfd p{fd_of(handle_.get()), POLLIN, 0};
    const int r = ::poll(&p, 1, timeout_ms);
    if (r == 0) return Error::TimedOut;
    if (r < 0) return Error::Io;
    const int fd = ::accept4(fd_of(handle_.get()), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return Error::Io;
    out.handle_.reset(static_cast<std::uintptr_t>(fd));
    return Error::None;
}

}  // namespace kv::net
