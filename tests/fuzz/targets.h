// The fuzz targets, as plain functions: libFuzzer runs them through the *_fuzz.cpp entry points, and the native
// suite replays the seed corpora through them. A target throws BrokenInvariant when a parse breaks what the
// program relies on; crashes and sanitizer reports speak for themselves.
#pragma once

#include <stdexcept>
#include <string_view>

namespace kv::fuzz {

struct BrokenInvariant : std::logic_error {
    using std::logic_error::logic_error;
};

// The HTTP response-head parser, and the address splitter on Location values.
void http_head(std::string_view input);
// The address splitter and what is built from its parts: joined addresses, redirects, Referers.
void url(std::string_view input);
// The settings-file reader and writer. The input is up to six fields separated by '\x01': text, section,
// key, value, and a second section and key that the write must leave alone.
void ini(std::string_view input);

struct Target {
    const char* name;  // also the folder of its seeds under tests/fuzz/corpus
    void (*run)(std::string_view);
};
inline constexpr Target kTargets[] = {{"http_head", http_head}, {"url", url}, {"ini", ini}};

}  // namespace kv::fuzz
