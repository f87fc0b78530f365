// What a download does with one answer, judged against what it asked for: follow a redirect, take a body at
// its file offset, try again, stop trusting the server's ranges, or give up on the task, with the reason.
// Pure: no sockets, no state; the connection loop acts on the verdict.
#pragma once

#include <cstdint>
#include <string>

#include "platform/downloader.h"
#include "platform/http_head.h"
#include "platform/url.h"

namespace kv {

// Redirects followed for one request before the task gives up.
inline constexpr int kMaxRedirects = 5;

struct AskedFor {
    std::int64_t from = 0;          // the start of the Range sent
    std::int64_t known_total = -1;  // the file's size as the task's first answer announced it; -1 before
    int redirects = 0;              // redirects followed on the way to this answer
};

enum class AnswerKind {
    Redirect,        // ask again at `location`
    Body,            // the body holds file bytes [offset, limit) of a file of `total` bytes
    Retry,           // this answer is of no use; the connection tries again later
    DistrustRanges,  // the server's ranges cannot be trusted: read from the start from now on, and try again
    Fatal,           // the task cannot succeed
};

struct AnswerVerdict {
    AnswerKind kind = AnswerKind::Fatal;
    DownloadError reason = DownloadError::None;  // None for Redirect and Body
    std::string why;                             // for the status routine and the result's text
    std::string location;                        // Redirect: the absolute address
    std::int64_t offset = 0;                     // Body
    std::int64_t limit = 0;                      // Body
    std::int64_t total = -1;                     // Body: the complete length of the file
};

// `parsed` is the answer's head, `url` the address it came from.
AnswerVerdict classify_answer(const HeadParse& parsed, const UrlParts& url, const AskedFor& asked);

}  // namespace kv
