// The request a download sends, built from what it asks for: no sockets, no state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/url.h"

namespace kv {

struct DownloadRequest {
    UrlParts url;             // where the file is now (after any redirects)
    bool via_proxy = false;   // the request line then carries the absolute address
    std::string referer;      // sent as it is: make it with derive_referer or strip_credentials
    std::int64_t from = 0;    // the first byte asked for
};

// "GET ... HTTP/1.1" with the launcher's fixed headers and "Range: bytes=<from>-". The path, or for a proxy the
// absolute address, goes on the request line without user name, password or fragment.
std::string build_request(const DownloadRequest& request);

// An address without the "user[:password]@" of its authority; everything else stays as written.
std::string strip_credentials(std::string_view address);

// The Referer sent when none is given: the address up to its last '/', without credentials.
std::string derive_referer(std::string_view address);

}  // namespace kv
