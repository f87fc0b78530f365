#include "platform/http_head.h"

#include <cctype>

namespace kv {
namespace {

// Sizes beyond this are refused: they cannot be a real file and keep later sums far from overflow.
constexpr std::int64_t kMaxSize = std::int64_t{1} << 60;

bool is_space(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && (is_space(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool is_token_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) return true;
    switch (c) {
        case '!': case '#': case '$': case '%': case '&': case '\'': case '*': case '+': case '-': case '.':
        case '^': case '_': case '`': case '|': case '~':
            return true;
        default:
            return false;
    }
}

// Decimal digits only, no sign, below kMaxSize.
std::optional<std::int64_t> parse_size(std::string_view s) {
    if (s.empty() || s.size() > 19) return std::nullopt;
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value > (kMaxSize - 1 - (c - '0')) / 10) return std::nullopt;  // before it can overflow
        value = value * 10 + (c - '0');
    }
    return value;
}

// "HTTP/1.1 206 Partial Content"
bool parse_status_line(std::string_view line, ResponseHead& head) {
    if (line.size() < 12 || line.substr(0, 5) != "HTTP/") return false;
    if (!std::isdigit(static_cast<unsigned char>(line[5])) || line[6] != '.' ||
        !std::isdigit(static_cast<unsigned char>(line[7])) || line[8] != ' ')
        return false;
    head.version_major = line[5] - '0';
    head.version_minor = line[7] - '0';
    if (head.version_major != 1) return false;
    int status = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
        status = status * 10 + (line[i] - '0');
    }
    if (status < 100) return false;
    if (line.size() > 12 && line[12] != ' ') return false;
    head.status = status;
    head.reason.assign(line.size() > 13 ? trim(line.substr(13)) : std::string_view{});
    return true;
}

}  // namespace

const std::string* ResponseHead::field(std::string_view name) const {
    for (const auto& [n, v] : fields) {
        if (iequals(n, name)) return &v;
    }
    return nullptr;
}

std::size_t find_head_end(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n') continue;
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') return i + 2;
        if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') return i + 3;
    }
    return 0;
}

std::optional<std::int64_t> parse_content_length(std::string_view value) { return parse_size(trim(value)); }

std::optional<ContentRange> parse_content_range(std::string_view value) {
    value = trim(value);
    if (value.size() < 6 || !iequals(value.substr(0, 5), "bytes") || !is_space(value[5])) return std::nullopt;
    value = trim(value.substr(6));
    const auto slash = value.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view range = value.substr(0, slash);
    const std::string_view complete = value.substr(slash + 1);
    ContentRange out;
    if (complete != "*") {
        out.complete = parse_size(complete);
        if (!out.complete) return std::nullopt;
    }
    if (range == "*") {
        if (!out.complete) return std::nullopt;  // "bytes */*" says nothing
        out.unsatisfied = true;
        return out;
    }
    const auto dash = range.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto first = parse_size(range.substr(0, dash));
    const auto last = parse_size(range.substr(dash + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    if (out.complete && *last >= *out.complete) return std::nullopt;
    out.first = *first;
    out.last = *last;
    return out;
}

HeadParse parse_response_head(std::string_view head) {
    HeadParse out;
    if (head.size() > kMaxResponseHead) {
        out.error = HeadError::TooLarge;
        return out;
    }
    ResponseHead& h = out.head;
    std::size_t at = 0;
    auto next_line = [&](std::string_view& line) {
        if (at >= head.size()) return false;
        const auto nl = head.find('\n', at);
        const std::size_t end = nl == std::string_view::npos ? head.size() : nl;
        line = head.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        return true;
    };
    std::string_view line;
    if (!next_line(line) || !parse_status_line(line, h)) {
        out.error = HeadError::BadStatusLine;
        return out;
    }
    bool length_seen = false;
    while (next_line(line)) {
        if (line.empty()) break;
        if (is_space(line.front())) {  // obsolete line folding: refused, as RFC 7230 allows
            out.error = HeadError::BadHeaderLine;
            return out;
        }
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            out.error = HeadError::BadHeaderLine;
            return out;
        }
        const std::string_view name = line.substr(0, colon);
        for (char c : name) {
            if (!is_token_char(c)) {
                out.error = HeadError::BadHeaderLine;
                return out;
            }
        }
        if (h.fields.size() >= kMaxHeaderFields) {
            out.error = HeadError::TooManyFields;
            return out;
        }
        const std::string_view value = trim(line.substr(colon + 1));
        h.fields.emplace_back(std::string(name), std::string(value));
        if (iequals(name, "Content-Length")) {
            const auto length = parse_content_length(value);
            // Repeated fields must agree: differing lengths are a classic smuggling vector.
            if (!length || (length_seen && h.content_length != length)) {
                out.error = HeadError::BadContentLength;
                return out;
            }
            length_seen = true;
            h.content_length = length;
        } else if (iequals(name, "Content-Range")) {
            const auto range = parse_content_range(value);
            if (!range || h.content_range) {
                out.error = HeadError::BadContentRange;
                return out;
            }
            h.content_range = range;
        } else if (iequals(name, "Location")) {
            if (!h.location) h.location = std::string(value);
        } else if (iequals(name, "Transfer-Encoding")) {
            if (!iequals(value, "identity")) h.chunked = true;
        }
    }
    // With a transfer coding the body is framed by the coding, and any Content-Length must be ignored.
    if (h.chunked) h.content_length.reset();
    return out;
}

}  // namespace kv
