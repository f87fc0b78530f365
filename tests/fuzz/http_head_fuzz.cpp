// libFuzzer target: the response-head parser (and the URL splitter, which reads Location values) on arbitrary
// bytes. Besides crashes and sanitizer reports, it traps when a parsed head breaks what the engine relies on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/http_head.h"
#include "platform/url.h"

namespace {
void check(bool ok) {
    if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::size_t end = kv::find_head_end(in);
    check(end <= in.size());
    const kv::HeadParse p = kv::parse_response_head(end ? in.substr(0, end) : in);
    if (p.ok()) {
        const kv::ResponseHead& h = p.head;
        check(h.status >= 100 && h.status <= 999);
        check(h.fields.size() <= kv::kMaxHeaderFields);
        check(!(h.chunked && h.content_length));
        if (h.content_length) check(*h.content_length >= 0);
        if (h.content_range && !h.content_range->unsatisfied) {
            check(h.content_range->first >= 0 && h.content_range->first <= h.content_range->last);
            check(h.content_range->length() > 0);
            if (h.content_range->complete) check(h.content_range->last < *h.content_range->complete);
        }
        if (h.location) {
            const kv::UrlSplit base = kv::split_url("http://h/a/b");
            const kv::UrlSplit target = kv::split_url(kv::resolve_reference(base.parts, *h.location));
            if (target.ok()) check(!target.parts.host.empty() && !target.parts.path.empty());
        }
    }
    const kv::UrlSplit u = kv::split_url(in);
    if (u.ok()) {
        check(!u.parts.host.empty());
        check(!u.parts.path.empty() && (u.parts.path.front() == '/'));
        check(u.parts.path.find('#') == std::string::npos);
    }
    return 0;
}
