// INI text in the form the Windows profile functions read and write, as pure functions on byte strings.
// Bytes are never re-encoded: GBK text passes through unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kv::ini {

// The profile read buffer is 10240 bytes including its terminating zero.
inline constexpr std::size_t kMaxValueBytes = 10239;

// The value of `key` in `section`, or "" when the section or key is missing. Names match without regard to
// ASCII letter case; surrounding blanks are ignored; only the first section of a name is searched; a value
// enclosed in matching single or double quotes loses them; the result is cut to kMaxValueBytes.
std::string get(std::string_view text, std::string_view section, std::string_view key);

// `text` with one value stored. An existing key has its value replaced on its own line; a missing key is added
// after the last line of its section; a missing section is appended at the end. Every other byte is kept,
// except that the text always ends with a line end afterwards (CR LF where one was missing), as the system's
// profile writer leaves it.
std::string put(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace kv::ini
