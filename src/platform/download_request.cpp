#include "platform/download_request.h"

namespace kv {
namespace {
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";
}  // namespace

std::string build_request(const DownloadRequest& r) {
    UrlParts bare = r.url;
    bare.user.clear();
    bare.password.clear();
    std::string out = "GET " + (r.via_proxy ? join_url(bare) : bare.path) + " HTTP/1.1\r\n";
    out += "Host: " + host_header(bare) + "\r\n";
    out += "Accept: */*\r\n";
    out += "Referer: " + r.referer + "\r\n";
    out += std::string("User-Agent: ") + kUserAgent + "\r\n";
    out += "Pragma: no-cache\r\n";
    out += "Cache-Control: no-cache\r\n";
    out += "Range: bytes=" + std::to_string(r.from) + "-\r\n";
    out += "Connection: close\r\n\r\n";
    return out;
}

std::string strip_credentials(std::string_view address) {
    const auto sep = address.find("://");
    if (sep == std::string_view::npos) return std::string(address);
    const std::size_t host_from = sep + 3;
    const auto authority_end = address.find_first_of("/?#", host_from);
    const std::string_view authority = address.substr(host_from, authority_end - host_from);
    const auto at = authority.rfind('@');
    if (at == std::string_view::npos) return std::string(address);
    return std::string(address.substr(0, host_from)) + std::string(address.substr(host_from + at + 1));
}

std::string derive_referer(std::string_view address) { return address_directory(strip_credentials(address)); }

}  // namespace kv
