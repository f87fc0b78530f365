#include "ui/int_text.h"

#include <cstdint>

namespace kv {

bool accepts_integer_char(wchar_t c) { return c < 0x20 || (c >= L'0' && c <= L'9') || c == L'-'; }

std::wstring normalize_integer_text(std::wstring_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    constexpr std::int64_t kMax = INT32_MAX;
    constexpr std::int64_t kMinMagnitude = -static_cast<std::int64_t>(INT32_MIN);
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > kMinMagnitude) magnitude = kMinMagnitude;  // saturate; the clamp below finishes it
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > kMax) value = kMax;
    if (value == 0) return {};
    return std::to_wstring(value);
}

}  // namespace kv
