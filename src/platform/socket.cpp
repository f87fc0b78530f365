#include "platform/socket.h"

namespace kv::net {

const char* error_text(Error error) {
    switch (error) {
        case Error::None: return "ok";
        case Error::Resolve: return "host not found";
        case Error::Refused: return "connection refused";
        case Error::Unreachable: return "host unreachable";
        case Error::TimedOut: return "timed out";
        case Error::Closed: return "connection closed";
        case Error::Reset: return "connection reset";
        case Error::Stopped: return "stopped";
        case Error::Io: return "socket error";
    }
    return "socket error";
}

// Ownership moves the same way on every platform; only closing differs.
TcpSocket::~TcpSocket() { close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = kInvalid;
    }
    return *this;
}

TcpListener::~TcpListener() { close(); }

TcpListener::TcpListener(TcpListener&& other) noexcept : handle_(other.handle_), port_(other.port_) {
    other.handle_ = kInvalid;
}

TcpListener& TcpListener::operator=(TcpListener&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        port_ = other.port_;
        other.handle_ = kInvalid;
    }
    return *this;
}

}  // namespace kv::net
