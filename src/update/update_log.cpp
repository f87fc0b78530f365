#include "update/update_log.h"

#include <cstdio>
#include <fstream>
#include <mutex>

#include "platform/paths.h"
#include "platform/trace.h"

namespace kv {
namespace {

// The length of the well-formed UTF-8 sequence at s[i], 0 when there is none (stray, overlong or truncated
// sequences, surrogates, code points past U+10FFFF).
std::size_t utf8_length(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() - i < n || b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k) {
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    }
    return n;
}

// `v` cut to kMaxLogValue bytes at a character boundary, then escaped and quoted where needed.
std::string value_text(std::string_view v) {
    std::string out;
    bool quote = v.empty();
    std::size_t i = 0;
    while (i < v.size()) {
        const std::size_t n = utf8_length(v, i);
        const unsigned char c = static_cast<unsigned char>(v[i]);
        const std::size_t cost = (n == 0 || c < 0x20 || c == 0x7F) ? 4 : (c == '"' || c == '\\') ? 2 : n;
        if (out.size() + cost > kMaxLogValue) {
            out += "...";
            break;
        }
        if (n == 0 || c < 0x20 || c == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
            quote = true;
            i += 1;
            continue;
        }
        if (c == '"' || c == '\\') out += '\\';
        quote = quote || c == ' ' || c == '"' || c == '\\';
        out.append(v.substr(i, n));
        i += n;
    }
    return quote ? '"' + out + '"' : out;
}

void field(std::string& line, const char* key, std::string_view value) {
    if (value.empty()) return;
    line += ' ';
    line += key;
    line += '=';
    line += value_text(value);
}

std::string kilobytes_per_second(std::int64_t bytes) {
    char text[40];
    std::snprintf(text, sizeof text, "%.1fKB/s", static_cast<double>(bytes) / 1024.0);
    return text;
}

bool ends_with_line_end(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in || !in.seekg(-1, std::ios::end)) return true;
    return in.get() == '\n';
}

// Writes `tail` over the start of `file` and cuts the file there.
bool rewrite_in_place(const std::filesystem::path& file, const std::string& tail) {
    {
        std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
        if (!out) return false;
        out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        out.close();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::resize_file(file, tail.size(), ec);
    return !ec;
}

// Rewrites `file` with its newest whole lines that fit in `budget` bytes (the file is `size` bytes long),
// through a temporary file that then takes its place, so that an interrupted cut leaves one or the other.
bool keep_newest(const std::filesystem::path& file, std::uintmax_t size, std::size_t budget) {
    // One byte more than the budget, to see whether the cut falls on a line start.
    const std::uintmax_t from = size > budget ? size - budget - 1 : 0;
    std::string tail;
    {
        std::ifstream in(file, std::ios::binary);
        if (!in) return false;
        in.seekg(static_cast<std::streamoff>(from));
        tail.resize(static_cast<std::size_t>(size - from));
        in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
        tail.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (from > 0) {
        const std::size_t cut = tail.find('\n');
        tail.erase(0, cut == std::string::npos ? tail.size() : cut + 1);
    }
    std::filesystem::path temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        out.close();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (!ec) return true;
    std::filesystem::remove(temp, ec);
    // Windows cannot replace a file that someone holds open (a player's viewer): cut it where it is.
    return rewrite_in_place(file, tail);
}

}  // namespace

std::string format_update_event(const LogTime& t, const UpdateEvent& e) {
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    std::string line = stamp;
    line += ' ';
    line += value_text(e.event);
    field(line, "host", gbk_to_utf8(e.host));
    field(line, "local", gbk_to_utf8(e.local_version));
    field(line, "remote", gbk_to_utf8(e.remote_version));
    if (e.size) field(line, "size", std::to_string(*e.size));
    if (e.bytes_per_second) field(line, "speed", kilobytes_per_second(*e.bytes_per_second));
    field(line, "outcome", e.outcome);
    if (e.error) field(line, "error", download_error_name(*e.error));
    field(line, "swap", e.swap);
    field(line, "signature", e.signature);
    field(line, "detail", e.detail);
    return line;
}

bool append_log_line(const std::filesystem::path& file, std::string_view line, std::size_t limit,
                     std::size_t keep) {
    std::string text(line);
    text += "\r\n";
    if (text.size() > keep || keep > limit) return false;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (!ec && size > 0 && !ends_with_line_end(file)) text.insert(0, "\r\n");  // after a cut-off write
    if (!ec && size + text.size() > limit && !keep_newest(file, size, keep - text.size())) return false;
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

std::filesystem::path update_log_path() {
    return launcher_file(std::string("\\") + kUpdateLogName);
}

bool log_update_event(const UpdateEvent& e) noexcept {
    try {
        const std::string line = format_update_event(local_log_time(), e);
        static std::mutex writer;  // taken alone, never while another lock is held
        std::lock_guard lock(writer);
        if (append_log_line(update_log_path(), line)) return true;
        const std::u8string where = update_log_path().u8string();
        trace_failure("update log", "could not write " + std::string(where.begin(), where.end()));
    } catch (...) {
        trace_failure("update log", current_exception_text());
    }
    return false;
}

}  // namespace kv
