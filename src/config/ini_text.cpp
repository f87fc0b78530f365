#include "config/ini_text.h"

#include <optional>

namespace kv::ini {
namespace {

bool is_blank(char c) {
    // The profile reader also treats ^Z (an old DOS end-of-file mark) as a blank.
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// One physical line: [begin, content_end) is the text, [content_end, end) its line end ("\r\n", "\n" or none).
struct Line {
    std::size_t begin;
    std::size_t content_end;
    std::size_t end;
};

std::optional<Line> next_line(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return std::nullopt;
    std::size_t nl = text.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    std::size_t content_end = nl == std::string_view::npos ? text.size() : nl;
    if (content_end > pos && text[content_end - 1] == '\r') --content_end;
    return Line{pos, content_end, end};
}

enum class Kind { Blank, Section, Key };

struct Parsed {
    Kind kind = Kind::Blank;
    std::string_view name;                    // section or key name, trimmed
    std::optional<std::size_t> value_offset;  // where the value starts within the line
    std::string_view value;                   // trimmed value
};

Parsed parse(std::string_view line) {
    Parsed p;
    std::string_view t = trim(line);
    if (t.empty()) return p;
    if (t.front() == '[') {
        std::size_t close = t.rfind(']');
        if (close != std::string_view::npos) {
            p.kind = Kind::Section;
            p.name = trim(t.substr(1, close - 1));
            return p;
        }
    }
    p.kind = Kind::Key;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        p.name = t;
        return p;
    }
    p.name = trim(t.substr(0, eq));
    p.value = trim(t.substr(eq + 1));
    // A rewrite replaces the value itself and keeps the blanks the user put before it.
    p.value_offset = p.value.empty() ? static_cast<std::size_t>(t.data() - line.data()) + eq + 1
                                     : static_cast<std::size_t>(p.value.data() - line.data());
    return p;
}

// Where the first section of a name lies: the line after its header, and the end of its last non-blank line.
struct SectionSpan {
    std::size_t body_begin;
    std::size_t last_content_end;  // end of the last non-blank line's text, or of the header
    std::size_t last_line_end;     // end of that line, line end included
};

std::optional<SectionSpan> find_section(std::string_view text, std::string_view section) {
    std::optional<SectionSpan> span;
    // The empty name stands for the lines before the first section header, as the system reads it.
    if (section.empty()) span = SectionSpan{0, 0, 0};
    for (auto line = next_line(text, 0); line; line = next_line(text, line->end)) {
        Parsed p = parse(text.substr(line->begin, line->content_end - line->begin));
        if (span) {
            if (p.kind == Kind::Section) break;
            if (p.kind == Kind::Key) {
                span->last_content_end = line->content_end;
                span->last_line_end = line->end;
            }
        } else if (p.kind == Kind::Section && !p.name.empty() && same_name(p.name, section)) {
            span = SectionSpan{line->end, line->content_end, line->end};
        }
    }
    return span;
}

struct KeyHit {
    Line line;
    Parsed parsed;
};

std::optional<KeyHit> find_key(std::string_view text, const SectionSpan& span, std::string_view key) {
    for (auto line = next_line(text, span.body_begin); line && line->begin < span.last_line_end;
         line = next_line(text, line->end)) {
        Parsed p = parse(text.substr(line->begin, line->content_end - line->begin));
        if (p.kind == Kind::Key && same_name(p.name, key)) return KeyHit{*line, p};
    }
    return std::nullopt;
}

}  // namespace

std::string get(std::string_view text, std::string_view section, std::string_view key) {
    auto span = find_section(text, trim(section));
    if (!span) return {};
    auto hit = find_key(text, *span, trim(key));
    if (!hit) return {};
    std::string_view v = hit->parsed.value;
    if (v.size() > 1 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > kMaxValueBytes) v = v.substr(0, kMaxValueBytes);
    return std::string(v);
}

namespace {
// Ends `out` with a line end: a bare CR left by an editor gets its LF, anything else a whole CR LF.
void end_line(std::string& out) {
    if (out.empty() || out.back() == '\n') return;
    out.append(out.back() == '\r' ? "\n" : "\r\n");
}

std::string put_unterminated(std::string_view text, std::string_view sec, std::string_view k,
                             std::string_view value) {
    std::string out;
    out.reserve(text.size() + sec.size() + k.size() + value.size() + 8);

    auto span = find_section(text, sec);
    if (span) {
        if (auto hit = find_key(text, *span, k)) {
            const Line& l = hit->line;
            if (hit->parsed.value_offset) {
                out.append(text.substr(0, l.begin + *hit->parsed.value_offset));
            } else {
                // A key line without "=": the name stays as written and gains its value.
                std::string_view raw = text.substr(l.begin, l.content_end - l.begin);
                std::size_t name_end = static_cast<std::size_t>(hit->parsed.name.data() - raw.data()) +
                                       hit->parsed.name.size();
                out.append(text.substr(0, l.begin + name_end));
                out.push_back('=');
            }
            out.append(value);
            out.append(text.substr(l.content_end));
            return out;
        }
        // New key after the section's last line.
        out.append(text.substr(0, span->last_line_end));
        end_line(out);
        out.append(k).append("=").append(value).append("\r\n");
        out.append(text.substr(span->last_line_end));
        return out;
    }
    out.append(text);
    end_line(out);
    out.append("[").append(sec).append("]\r\n");
    out.append(k).append("=").append(value).append("\r\n");
    return out;
}
}  // namespace

std::string put(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view sec = trim(section);
    const std::string_view k = trim(key);
    std::string out = put_unterminated(text, sec, k, value);
    end_line(out);
    return out;
}

}  // namespace kv::ini
