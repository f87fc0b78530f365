// A thin blocking TCP client socket with time-outs, the same on POSIX and Winsock (started on first use).
// Calls block for at most their time-out; interrupt() from another thread makes a blocked call on the same
// socket return at once, which is how a download is stopped promptly.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handle.h"

namespace kv::net {

// Sockets as integers (a file descriptor, or a Winsock SOCKET); closed by the platform's file.
struct SocketTraits {
    using Value = std::uintptr_t;
    static constexpr Value kInvalid = ~Value{0};
    static void close(Value socket) noexcept;
};
using SocketHandle = UniqueHandle<SocketTraits>;

enum class Error {
    None,
    Resolve,      // the host name has no address
    Refused,      // nothing listens there
    Unreachable,  // no route, or the connect failed otherwise
    TimedOut,
    Closed,       // the peer closed (or the socket was interrupted)
    Reset,
    Stopped,      // the caller's stop flag was raised
    Io,
};

const char* error_text(Error error);

struct IoResult {
    Error error = Error::None;
    std::size_t bytes = 0;
    bool ok() const { return error == Error::None; }
};

class TcpSocket {
public:
    TcpSocket() = default;
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;


    // Resolves `host` and connects to the first address that answers within `timeout_ms` in all. The wait is
    // cut short when `stop` becomes true. The send and receive time-outs then apply to every later call. A
    // time-out of 0 or less means no limit.
    Error connect(const std::string& host, std::uint16_t port, int timeout_ms, int send_timeout_ms,
                  int receive_timeout_ms, const std::atomic<bool>& stop);
    // Sends everything or fails.
    IoResult send_all(const char* data, std::size_t size);
    // Up to `size` bytes; 0 bytes with Error::Closed when the peer has closed.
    IoResult receive(char* buffer, std::size_t size);
    // Receives of at most `block` bytes each into consecutive parts of `buffer`, `size` bytes at most in all.
    // The first waits as receive() does; the others take only what has arrived already. They share one system
    // call, which matters at small block sizes (and far more under Wine, where every call is costly): recvmmsg
    // on Linux, one WSARecv with a buffer per block on Windows. Each receive's byte count goes to `sizes` (room
    // for `max_blocks`), `count` tells how many. Error::Closed only when the peer closed before any byte came.
    IoResult receive_blocks(char* buffer, std::size_t size, std::size_t block, std::uint32_t* sizes,
                            std::size_t max_blocks, std::size_t& count);
    // Makes a send or receive blocked on another thread return at once, and every later one fail; the caller
    // keeps it from overlapping connect, close or destruction. (POSIX: the socket is shut down both ways. Winsock
    // does not wake a blocked call for that, so there the socket is non-blocking and calls wait in short
    // slices that notice the interruption.)
    void interrupt();
    void close() { handle_.reset(); }
    bool is_open() const { return handle_.valid(); }
    // Time-outs of later send and receive calls; 0 or less waits without limit.
    void set_timeouts(int send_timeout_ms, int receive_timeout_ms);

private:
    friend class TcpListener;
    SocketHandle handle_;
    std::atomic<bool> interrupted_{false};
    int send_timeout_ms_ = 0;     // where the system does not keep them (Winsock, see interrupt())
    int receive_timeout_ms_ = 0;
};

// A listening socket on 127.0.0.1, for loopback servers in tests and tools.
class TcpListener {
public:

    // Port 0 picks a free one.
    Error listen_loopback(std::uint16_t port = 0);
    std::uint16_t port() const { return port_; }
    // Waits up to `timeout_ms` for a connection; Error::TimedOut when none came.
    Error accept(TcpSocket& out, int timeout_ms);
    void close() { handle_.reset(); }

private:
    SocketHandle handle_;
    std::uint16_t port_ = 0;
};

}  // namespace kv::net
