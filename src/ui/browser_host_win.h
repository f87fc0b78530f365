// Host for the embedded web browser control (IWebBrowser2, "Shell.Explorer.2") used by the main window's
// announcement pane and by the entertainment window.
//
// The control lives in a child window of the "AtlAxWin" class from the system's atl.dll, so no ATL headers or
// libraries are needed. The caller owns the COM apartment: OleInitialize must have been called on this thread
// (the launcher does it at start-up) and the thread must pump messages. Every member is called on that
// thread.
//
//   auto browser = BrowserHost::create(hwnd(), kIdNews, rect, BrowserOptions{});
//   if (browser) browser->navigate(L"http://example.invalid/news");
#pragma once

#include <windows.h>
// (the COM headers below expect <windows.h> first)
#include <exdisp.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>

namespace kv::ui {

namespace detail {
class BrowserEvents;
struct BrowserHostAccess;
}  // namespace detail

struct BrowserOptions {
    bool silent = false;   // put_Silent: suppress script-error dialogs
    bool offline = false;  // put_Offline: the control reads pages from its cache instead of the network
    int text_size = 2;     // 0 smallest .. 4 largest (OLECMDID_ZOOM); 2 is medium. Clamped to that range.
};

class BrowserHost {
public:
    // Return false to refuse the window. `url` is the address the page asked for; it is empty when the
    // control raised only NewWindow2, which carries none. The same request may be asked about twice
    // (NewWindow2 and NewWindow3). A handler that throws refuses the window.
    using NewWindowHandler = std::function<bool(const std::wstring& url)>;

    // Creates the control as a child of `parent` with control id `id` at `rect` (parent client coordinates)
    // and applies `options`. Returns nullptr when atl.dll or the control is unavailable, the event sink
    // cannot be connected, or Silent/Offline cannot be set; never throws. The text size needs a loaded
    // document, so it is set again whenever a page has loaded.
    static std::unique_ptr<BrowserHost> create(HWND parent, int id, const RECT& rect,
                                               const BrowserOptions& options);

    // Disconnects the event sink, releases the control and destroys the host window (unless the parent took
    // it down already).
    ~BrowserHost();
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;

    // Starts loading `url`. False when the control refused the address; last_address() then keeps the
    // previous one.
    bool navigate(const std::wstring& url);
    // The address most recently sent with navigate() (not where redirects or links led since).
    const std::wstring& last_address() const { return last_address_; }

    // Moves and resizes the host window; `rect` is in parent client coordinates.
    void move(const RECT& rect);
    HWND hwnd() const { return hwnd_; }

    // Pop-ups and target=_blank links (NewWindow2/NewWindow3). With no handler new windows are allowed, which
    // is the control's default. Pass nullptr to go back to that.
    void set_new_window_handler(NewWindowHandler handler);

    // The control itself, for what this class does not wrap. Borrowed: valid while the host lives.
    IWebBrowser2* browser() const { return browser_.Get(); }

private:
    BrowserHost();
    bool connect_events();
    void apply_text_size();

    friend struct detail::BrowserHostAccess;

    HWND hwnd_ = nullptr;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    Microsoft::WRL::ComPtr<IConnectionPoint> events_point_;
    Microsoft::WRL::ComPtr<detail::BrowserEvents> events_;
    DWORD events_cookie_ = 0;
    int text_size_ = 2;
    std::wstring last_address_;
};

}  // namespace kv::ui
