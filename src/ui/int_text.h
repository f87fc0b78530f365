// Input rules of the integer edit boxes (the full-screen resolution), as pure functions.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// Characters the user may type: digits, "-", and control characters such as backspace.
bool accepts_integer_char(wchar_t c);

// The text a box shows after it loses the focus: the integer at the start of `text` (0 when there is none),
// clamped to a signed 32-bit integer, in plain decimal; 0 gives the empty text. "007" gives "7".
std::wstring normalize_integer_text(std::wstring_view text);

}  // namespace kv
