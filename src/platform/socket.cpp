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

TcpSocket::TcpSocket(TcpSocket&& other) noexcept
    : handle_(std::move(other.handle_)),
      interrupted_(other.interrupted_.load()),
      send_timeout_ms_(other.send_timeout_ms_),
      receive_timeout_ms_(other.receive_timeout_ms_) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        handle_ = std::move(other.handle_);
        interrupted_ = other.interrupted_.load();
        send_timeout_ms_ = other.send_timeout_ms_;
        receive_timeout_ms_ = other.receive_timeout_ms_;
    }
    return *this;
}

}  // namespace kv::net
