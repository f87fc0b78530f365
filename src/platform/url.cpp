#include "platform/url.h"

#include <cctype>

namespace kv {
namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Digits only, 1..65535.
bool parse_port(std::string_view s, std::uint16_t& port) {
    if (s.empty() || s.size() > 5) return false;
    unsigned value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

std::string_view drop_fragment(std::string_view url) {
    const auto hash = url.find('#');
    return hash == std::string_view::npos ? url : url.substr(0, hash);
}

// Splits "host", "host:port", "[v6]" or "[v6]:port". An empty port text means "not given".
bool split_authority_host(std::string_view text, std::string& host, std::string_view& port_text) {
    port_text = {};
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return false;
        host.assign(text.substr(1, close - 1));
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            port_text = rest.substr(1);
        }
        return true;
    }
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        host.assign(text);
    } else {
        host.assign(text.substr(0, colon));
        port_text = text.substr(colon + 1);
    }
    return true;
}

}  // namespace

std::uint16_t default_port(std::string_view scheme) {
    const std::string s = lower(scheme);
    if (s == "http") return 80;
    if (s == "https") return 443;
    if (s == "ftp") return 21;
    return 0;
}

UrlSplit split_url(std::string_view url) {
    UrlSplit out;
    url = drop_fragment(url);
    if (url.empty()) {
        out.error = UrlError::Empty;
        return out;
    }
    const auto sep = url.find("://");
    if (sep == std::string_view::npos || sep == 0) {
        out.error = UrlError::NoScheme;
        return out;
    }
    for (char c : url.substr(0, sep)) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            out.error = UrlError::NoScheme;
            return out;
        }
    }
    UrlParts& p = out.parts;
    p.scheme = lower(url.substr(0, sep));
    std::string_view rest = url.substr(sep + 3);
    const auto path_at = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, path_at);
    std::string_view path = path_at == std::string_view::npos ? std::string_view{} : rest.substr(path_at);

    const auto at = authority.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view userinfo = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const auto colon = userinfo.find(':');
        p.user.assign(userinfo.substr(0, colon));
        if (colon != std::string_view::npos) p.password.assign(userinfo.substr(colon + 1));
    }
    std::string_view port_text;
    if (!split_authority_host(authority, p.host, port_text)) {
        out.error = UrlError::NoHost;
        return out;
    }
    if (p.host.empty()) {
        out.error = UrlError::NoHost;
        return out;
    }
    p.port = default_port(p.scheme);
    if (!port_text.empty() && !parse_port(port_text, p.port)) {
        out.error = UrlError::BadPort;
        return out;
    }
    if (path.empty()) {
        p.path.assign(1, '/');
    } else if (path.front() == '?') {
        p.path.reserve(path.size() + 1);
        p.path.push_back('/');
        p.path.append(path);
    } else {
        p.path.assign(path);
    }
    return out;
}

std::string host_header(const UrlParts& url) {
    const bool v6 = url.host.find(':') != std::string::npos;
    std::string out;
    if (v6) out.push_back('[');
    out.append(url.host);
    if (v6) out.push_back(']');
    if (url.port != default_port(url.scheme)) {
        out.push_back(':');
        out.append(std::to_string(url.port));
    }
    return out;
}

std::string join_url(const UrlParts& url) {
    std::string out = url.scheme + "://";
    if (!url.user.empty() || !url.password.empty()) {
        out += url.user;
        if (!url.password.empty()) out += ":" + url.password;
        out += "@";
    }
    return out + host_header(url) + url.path;
}

std::string resolve_reference(const UrlParts& base, std::string_view reference) {
    reference = drop_fragment(reference);
    const auto sep = reference.find("://");
    const auto first_special = reference.find_first_of("/?");
    if (sep != std::string_view::npos && (first_special == std::string_view::npos || sep < first_special)) {
        return std::string(reference);
    }
    if (reference.substr(0, 2) == "//") return base.scheme + ":" + std::string(reference);
    UrlParts target = base;
    if (reference.empty()) return join_url(target);
    if (reference.front() == '/') {
        target.path.assign(reference);
    } else if (reference.front() == '?') {
        target.path = base.path.substr(0, base.path.find('?')) + std::string(reference);
    } else {
        const std::string dir_path = base.path.substr(0, base.path.find('?'));
        target.path = dir_path.substr(0, dir_path.rfind('/') + 1) + std::string(reference);
    }
    return join_url(target);
}

bool split_host_port(std::string_view text, std::string& host, std::uint16_t& port) {
    std::string_view port_text;
    if (!split_authority_host(text, host, port_text) || host.empty()) return false;
    return parse_port(port_text, port);
}

std::string address_directory(std::string_view url) {
    url = drop_fragment(url);
    const auto sep = url.find("://");
    const std::size_t path_from = sep == std::string_view::npos ? 0 : sep + 3;
    const auto slash = url.rfind('/');
    if (slash == std::string_view::npos || slash < path_from) return std::string(url) + "/";
    return std::string(url.substr(0, slash + 1));
}

}  // namespace kv
