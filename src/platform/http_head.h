// The head of an HTTP response: status line and header fields, read from bytes a server sent. Built for
// hostile input: sizes are bounded, numbers are checked for overflow, malformed framing fields are errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv {

// A head larger than this is refused rather than buffered.
inline constexpr std::size_t kMaxResponseHead = 16 * 1024;
inline constexpr std::size_t kMaxHeaderFields = 100;

enum class HeadError {
    None,
    TooLarge,
    BadStatusLine,
    BadHeaderLine,
    TooManyFields,
    BadContentLength,
    BadContentRange,
};

// "Content-Range: bytes first-last/complete"; `complete` is empty for "/*". An unsatisfied-range answer
// ("bytes */complete") has `unsatisfied` set and first = last = -1.
struct ContentRange {
    std::int64_t first = -1;
    std::int64_t last = -1;
    std::optional<std::int64_t> complete;
    bool unsatisfied = false;
    std::int64_t length() const { return unsatisfied ? 0 : last - first + 1; }
};

struct ResponseHead {
    int version_major = 1;
    int version_minor = 1;
    int status = 0;
    std::string reason;
    std::vector<std::pair<std::string, std::string>> fields;  // names as sent, values trimmed
    // Absent when the field is missing or when a transfer coding makes it meaningless.
    std::optional<std::int64_t> content_length;
    std::optional<ContentRange> content_range;
    std::optional<std::string> location;
    bool chunked = false;  // a Transfer-Encoding other than "identity" was announced

    // The first field of this name (case-insensitive), or nullptr.
    const std::string* field(std::string_view name) const;
};

struct HeadParse {
    HeadError error = HeadError::None;
    ResponseHead head;
    bool ok() const { return error == HeadError::None; }
};

// The length of the head in `bytes` including the blank line that ends it ("\r\n\r\n", a bare "\n\n" is
// accepted too), or 0 when the blank line has not arrived yet.
std::size_t find_head_end(std::string_view bytes);

// Parses a complete head (as delimited by find_head_end; the trailing blank line may be included or not).
HeadParse parse_response_head(std::string_view head);

// The value of a Content-Length or Content-Range field on its own, for reuse and tests.
std::optional<std::int64_t> parse_content_length(std::string_view value);
std::optional<ContentRange> parse_content_range(std::string_view value);

}  // namespace kv
