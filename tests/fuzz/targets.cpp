#include "fuzz/targets.h"

#include <string>
#include <vector>

#include "config/ini_text.h"
#include "platform/download_request.h"
#include "platform/http_head.h"
#include "platform/url.h"

namespace kv::fuzz {
namespace {

void check(bool ok, const char* what) {
    if (!ok) throw BrokenInvariant(what);
}

bool same_parts(const UrlParts& a, const UrlParts& b) {
    return a.scheme == b.scheme && a.user == b.user && a.password == b.password && a.host == b.host &&
           a.port == b.port && a.path == b.path;
}

std::vector<std::string_view> fields(std::string_view input, std::size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const auto sep = input.find('\x01');
        if (sep == std::string_view::npos) break;
        out.push_back(input.substr(0, sep));
        input.remove_prefix(sep + 1);
    }
    out.push_back(input);
    out.resize(count);
    return out;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

bool has_line_break(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

bool trimmed(std::string_view s) { return s.empty() || (!is_blank(s.front()) && !is_blank(s.back())); }

// A section, key and value the file can hold and give back unchanged.
bool storable(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || key.empty() || !trimmed(section) || !trimmed(key) || !trimmed(value)) return false;
    if (has_line_break(section) || has_line_break(key) || has_line_break(value)) return false;
    if (key.find('=') != std::string_view::npos || key.front() == '[') return false;
    if (value.size() > ini::kMaxValueBytes) return false;
    const bool quoted =
        value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return !quoted;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

void http_head(std::string_view in) {
    const std::size_t end = find_head_end(in);
    check(end <= in.size(), "head end beyond the input");
    const HeadParse p = parse_response_head(end ? in.substr(0, end) : in);
    if (!p.ok()) return;
    const ResponseHead& h = p.head;
    check(h.status >= 100 && h.status <= 999, "status out of range");
    check(h.fields.size() <= kMaxHeaderFields, "too many fields");
    check(!(h.chunked && h.content_length), "a length beside a transfer coding");
    if (h.content_length) check(*h.content_length >= 0, "negative length");
    if (h.content_range && !h.content_range->unsatisfied) {
        check(h.content_range->first >= 0 && h.content_range->first <= h.content_range->last, "range backwards");
        check(h.content_range->length() > 0, "empty range");
        if (h.content_range->complete) check(h.content_range->last < *h.content_range->complete, "range past the end");
    }
    if (h.location) {
        const UrlSplit base = split_url("http://h/a/b");
        const UrlSplit target = split_url(resolve_reference(base.parts, *h.location));
        if (target.ok()) {
            check(!target.parts.host.empty() && !target.parts.path.empty(), "redirect without host or path");
        }
    }
}

void url(std::string_view in) {
    const UrlSplit u = split_url(in);
    if (u.ok()) {
        const UrlParts& p = u.parts;
        check(!p.host.empty(), "no host");
        check(!p.path.empty() && p.path.front() == '/', "path not rooted");
        check(p.path.find('#') == std::string::npos, "fragment in the path");
        check(p.port != 0 || default_port(p.scheme) == 0, "port 0");
        // What is joined splits back into the same parts. (A host with brackets inside is nothing a name
        // lookup finds; the connect fails on it, so it need not survive the round trip.)
        if (p.host.find_first_of("[]") == std::string::npos) {
            const UrlSplit again = split_url(join_url(p));
            check(again.ok() && same_parts(again.parts, p), "join and split disagree");
        }
        // The Referer made from it has the same host and no credentials.
        const UrlSplit ref = split_url(derive_referer(in));
        check(ref.ok(), "Referer does not split");
        check(ref.parts.user.empty() && ref.parts.password.empty(), "credentials in a Referer");
        check(ref.parts.host == p.host && ref.parts.port == p.port, "Referer names another server");
        // A redirect's target, wherever it points, carries no fragment.
        const UrlSplit next = split_url(resolve_reference(split_url("http://u:p@h:81/a/b?q").parts, in));
        if (next.ok()) check(next.parts.path.find('#') == std::string::npos, "fragment after a redirect");
    }
    const std::string strip = strip_credentials(in);
    check(strip.size() <= in.size(), "stripping grew the address");
    std::string host;
    std::uint16_t port = 0;
    if (split_host_port(in, host, port)) check(!host.empty() && port != 0, "proxy without host or port");
}

void ini(std::string_view in) {
    const auto f = fields(in, 6);
    const std::string_view text = f[0], section = f[1], key = f[2], value = f[3], other_section = f[4],
                           other_key = f[5];
    check(ini::get(text, section, key).size() <= ini::kMaxValueBytes, "value longer than the read buffer");
    const std::string out = ini::put(text, section, key, value);
    check(!out.empty() && out.back() == '\n', "the written text does not end with a line end");
    if (!storable(section, key, value)) return;
    check(ini::get(out, section, key) == value, "a stored value does not read back");
    // A value replaces the old one where it stands. (An empty one may lose a blank after the '=' the second
    // time, which reads the same.)
    if (!value.empty()) {
        check(ini::put(out, section, key, value) == out, "storing the same value twice changes the text");
    }
    if (!same_name(trim(other_section), section) || !same_name(trim(other_key), key)) {
        check(ini::get(out, other_section, other_key) == ini::get(text, other_section, other_key),
              "storing one value changed another");
    }
}

}  // namespace kv::fuzz
