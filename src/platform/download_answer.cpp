#include "platform/download_answer.h"

namespace kv {
namespace {

AnswerVerdict verdict(AnswerKind kind, DownloadError reason, std::string why) {
    AnswerVerdict v;
    v.kind = kind;
    v.reason = reason;
    v.why = std::move(why);
    return v;
}

AnswerVerdict no_length() {
    return verdict(AnswerKind::Fatal, DownloadError::NoLength, "the response announces no length");
}

AnswerVerdict body(std::int64_t offset, std::int64_t limit, std::int64_t total) {
    AnswerVerdict v;
    v.kind = AnswerKind::Body;
    v.offset = offset;
    v.limit = limit;
    v.total = total;
    return v;
}

AnswerVerdict redirect(const ResponseHead& h, const UrlParts& url, const AskedFor& asked) {
    if (asked.redirects >= kMaxRedirects) {
        return verdict(AnswerKind::Fatal, DownloadError::ServerError, "too many redirects");
    }
    if (!h.location || h.location->empty()) {
        return verdict(AnswerKind::Fatal, DownloadError::ServerError, "redirect without a Location");
    }
    const std::string next = resolve_reference(url, *h.location);
    const UrlSplit split = split_url(next);
    if (!split.ok() || split.parts.scheme != "http") {
        return verdict(AnswerKind::Fatal, DownloadError::ServerError,
                       "redirect to an address that is not http: " + next);
    }
    AnswerVerdict v;
    v.kind = AnswerKind::Redirect;
    v.location = next;
    return v;
}

std::string range_text(const ContentRange& cr) {
    return "bytes " + std::to_string(cr.first) + "-" + std::to_string(cr.last) + "/" +
           (cr.complete ? std::to_string(*cr.complete) : std::string("*"));
}

AnswerVerdict partial(const ResponseHead& h, const AskedFor& asked) {
    if (!h.content_length) return no_length();
    const auto& cr = h.content_range;
    if (!cr || cr->unsatisfied || !cr->complete) {
        return verdict(AnswerKind::Retry, DownloadError::ServerError,
                       "partial response without a usable Content-Range");
    }
    if (asked.known_total >= 0 && *cr->complete != asked.known_total) {
        return verdict(AnswerKind::DistrustRanges, DownloadError::ServerError,
                       "the file changed size during the download: " + range_text(*cr));
    }
    if (cr->first != asked.from || *h.content_length != cr->length()) {
        return verdict(AnswerKind::DistrustRanges, DownloadError::RangeRefused,
                       "partial response for another range than asked: " + range_text(*cr));
    }
    // A part shorter than asked is still good: its bytes are kept, and the rest is asked for again.
    return body(cr->first, cr->last + 1, *cr->complete);
}

}  // namespace

AnswerVerdict classify_answer(const HeadParse& parsed, const UrlParts& url, const AskedFor& asked) {
    if (!parsed.ok()) return verdict(AnswerKind::Retry, DownloadError::ServerError, "malformed response head");
    const ResponseHead& h = parsed.head;
    switch (h.status) {
        case 301:
        case 302: return redirect(h, url, asked);
        case 200:
            if (!h.content_length) {
                return no_length();
            }
            if (asked.known_total >= 0 && *h.content_length != asked.known_total) {
                return verdict(AnswerKind::Fatal, DownloadError::ServerError,
                               "the file changed size during the download");
            }
            return body(0, *h.content_length, *h.content_length);  // the whole file, whatever was asked
        case 206: return partial(h, asked);
        case 416:
            // An empty file: nothing is satisfiable, not even the first byte.
            if (asked.known_total < 0 && h.content_range && h.content_range->unsatisfied &&
                h.content_range->complete == 0) {
                return body(0, 0, 0);
            }
            break;
        case 404:
        case 410:
            return verdict(AnswerKind::Fatal, DownloadError::NotFound, "HTTP status " + std::to_string(h.status));
        default: break;
    }
    return verdict(AnswerKind::Fatal, DownloadError::ServerError, "HTTP status " + std::to_string(h.status));
}

}  // namespace kv
