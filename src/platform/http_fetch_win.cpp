// The small fetches on WinINet.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>

#include "platform/http_fetch.h"
#include "platform/text_win.h"

namespace kv {
namespace {

constexpr wchar_t kAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct InternetCloser {
    void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// The process's internet handle. A fetch holds a reference for its whole run, so closing the session at exit
// never pulls the handle from under a fetch on another thread.
std::mutex& session_lock() {
    static std::mutex m;
    return m;
}
std::shared_ptr<void>& session_storage() {
    static std::shared_ptr<void> s;
    return s;
}

std::shared_ptr<void> session() {
    std::lock_guard g(session_lock());
    auto& s = session_storage();
    if (!s) {
        if (HINTERNET h = InternetOpenW(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0))
            s = std::shared_ptr<void>(h, InternetCloser{});
    }
    return s;
}

void set_timeouts(HINTERNET h, const HttpTimeouts& t) {
    for (auto [option, ms] : {std::pair{INTERNET_OPTION_CONNECT_TIMEOUT, t.connect_ms},
                              std::pair{INTERNET_OPTION_SEND_TIMEOUT, t.send_ms},
                              std::pair{INTERNET_OPTION_RECEIVE_TIMEOUT, t.receive_ms}}) {
        DWORD value = static_cast<DWORD>(std::max(ms, 1));
        InternetSetOptionW(h, option, &value, sizeof value);
    }
}

struct UrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring host, user, password, object;
    INTERNET_PORT port = 0;
};

bool split(const std::wstring& url, UrlParts& out) {
    URL_COMPONENTSW c{};
    c.dwStructSize = sizeof c;
    // -1: point into `url` instead of copying; nothing is escaped.
    c.dwSchemeLength = c.dwHostNameLength = c.dwUserNameLength = c.dwPasswordLength = c.dwUrlPathLength =
        c.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
    auto part = [](const wchar_t* p, DWORD n) { return p ? std::wstring(p, n) : std::wstring(); };
    out.scheme = c.nScheme;
    out.host = part(c.lpszHostName, c.dwHostNameLength);
    out.user = part(c.lpszUserName, c.dwUserNameLength);
    out.password = part(c.lpszPassword, c.dwPasswordLength);
    out.object = part(c.lpszUrlPath, c.dwUrlPathLength) + part(c.lpszExtraInfo, c.dwExtraInfoLength);
    if (out.object.empty()) out.object = L"/";
    out.port = c.nPort;
    return !out.host.empty() && (out.scheme == INTERNET_SCHEME_HTTP || out.scheme == INTERNET_SCHEME_HTTPS);
}

void read_body(HINTERNET request, std::size_t max_bytes, const HttpTimeouts& t, HttpFetch& out) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(t.total_ms, 1));
    char buf[16384];
    for (;;) {
        // Asking what has arrived first makes every read take what is there instead of waiting for a full
        // buffer: a body that stalls still gives what came before the stall.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
            out.cut = true;  // a read error ends the body; what arrived stands
            return;
        }
        if (available == 0) return;
        const std::size_t room = max_bytes - out.body.size();
        if (room == 0) {
            out.cut = true;
            return;
        }
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>({available, room, sizeof buf}));
        if (!InternetReadFile(request, buf, want, &got)) {
            out.cut = true;
            return;
        }
        if (got == 0) return;
        out.body.append(buf, got);
        if (std::chrono::steady_clock::now() >= deadline) {
            out.cut = true;
            return;
        }
    }
}

}  // namespace

HttpFetch http_get_bytes(std::string_view url, std::size_t max_bytes, const HttpTimeouts& timeouts) {
    HttpFetch result;
    UrlParts parts;
    if (!split(gbk_to_wide(url_without_fragment(url)), parts)) return result;
    const std::shared_ptr<void> internet = session();
    if (!internet) return result;

    InternetHandle connection(InternetConnectW(
        internet.get(), parts.host.c_str(), parts.port, parts.user.empty() ? nullptr : parts.user.c_str(),
        parts.password.empty() ? nullptr : parts.password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return result;
    set_timeouts(connection.get(), timeouts);

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP |
                  INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
    if (parts.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* accept[] = {L"*/*", nullptr};
    InternetHandle request(HttpOpenRequestW(connection.get(), L"GET", parts.object.c_str(), L"HTTP/1.0",
                                            nullptr, accept, flags, 0));
    if (!request) return result;
    set_timeouts(request.get(), timeouts);
    if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return result;

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return result;
    result.answered = true;
    result.status = static_cast<int>(status);
    read_body(request.get(), max_bytes, timeouts, result);
    return result;
}

std::string http_get_text(std::string_view url) {
    return text_before_nul(http_get_bytes(url, kTextFetchLimit).body);
}

void close_http_session() {
    std::lock_guard g(session_lock());
    session_storage().reset();
}

}  // namespace kv
