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

}  // namespace kv::net
