#include "ui/browser_host_win.h"

#include <docobj.h>

#include <algorithm>
#include <new>

#include "platform/com_win.h"
#include "platform/trace.h"
#include "ui/browser_host_events_win.h"

namespace kv::ui {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kHostClass[] = L"AtlAxWin";  // registered by atl.dll's AtlAxWinInit
// The host window's text names the control it creates.
constexpr wchar_t kControlProgId[] = L"Shell.Explorer.2";

struct AtlApi {
    using GetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
    GetControl get_control = nullptr;
    bool ready = false;
};

template <typename Fn>
Fn proc_address(HMODULE dll, const char* name) {
    // Through void(*)() so that -Wcast-function-type accepts the cast from FARPROC.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

// atl.dll is loaded once from the system folder (never from the game folder the launcher runs in) and stays
// loaded: the window class it registers points into it.
const AtlApi& atl() {
    static const AtlApi api = [] {
        AtlApi result;
        wchar_t path[MAX_PATH];
        const UINT len = GetSystemDirectoryW(path, MAX_PATH);
        constexpr wchar_t kName[] = L"\\atl.dll";
        if (len == 0 || len + std::size(kName) > MAX_PATH) return result;
        std::copy(std::begin(kName), std::end(kName), path + len);
        HMODULE dll = LoadLibraryW(path);
        if (!dll) return result;
        const auto init = proc_address<BOOL(WINAPI*)()>(dll, "AtlAxWinInit");
        result.get_control = proc_address<AtlApi::GetControl>(dll, "AtlAxGetControl");
        result.ready = init && result.get_control && init();
        return result;
    }();
    return api;
}

VARIANT_BOOL to_variant_bool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

BrowserHost::BrowserHost() = default;

std::unique_ptr<BrowserHost> BrowserHost::create(HWND parent, int id, const RECT& rect,
                                                 const BrowserOptions& options) {
    try {
        if (!parent || !IsWindow(parent)) return nullptr;
        const AtlApi& api = atl();
        if (!api.ready) return nullptr;

        // Filled in step by step; on any failure the destructor undoes what was done.
        std::unique_ptr<BrowserHost> host(new (std::nothrow) BrowserHost());
        if (!host) return nullptr;
        host->text_size_ = std::clamp(options.text_size, 0, 4);

        host->hwnd_ = CreateWindowExW(0, kHostClass, kControlProgId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                      rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                      GetModuleHandleW(nullptr), nullptr);
        if (!host->hwnd_) return nullptr;

        ComPtr<IUnknown> control;
        if (FAILED(api.get_control(host->hwnd_, control.GetAddressOf())) || !control) return nullptr;
        if (FAILED(control.As(&host->browser_))) return nullptr;
        if (!host->connect_events()) return nullptr;

        if (FAILED(host->browser_->put_Silent(to_variant_bool(options.silent))) ||
            FAILED(host->browser_->put_Offline(to_variant_bool(options.offline)))) {
            return nullptr;
        }
        host->apply_text_size();  // fails harmlessly while no document is loaded
        return host;
    } catch (...) {
        trace_failure("browser host", current_exception_text());
        return nullptr;
    }
}

BrowserHost::~BrowserHost() {
    // The control may outlive this object (the host window holds it) and still fire events: cut the sink off
    // first, then disconnect it.
    if (events_) events_->detach();
    if (events_point_ && events_cookie_) events_point_->Unadvise(events_cookie_);
    events_point_.Reset();
    events_.Reset();
    browser_.Reset();
    // Destroying the parent destroys this window too; the handle is then stale.
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool BrowserHost::connect_events() {
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(browser_.As(&container))) return false;
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2,
                                              events_point_.ReleaseAndGetAddressOf()))) {
        return false;
    }
    events_ = detail::BrowserEvents::make();
    if (!events_) return false;
    // The zoom command needs a document, so the text size is set again whenever the page has loaded.
    events_->set_document_handler(browser_.Get(), [this] { apply_text_size(); });
    DWORD cookie = 0;
    if (FAILED(events_point_->Advise(static_cast<IDispatch*>(events_.Get()), &cookie))) return false;
    events_cookie_ = cookie;
    return true;
}

void BrowserHost::apply_text_size() {
    if (!browser_) return;
    VARIANT level;
    VariantInit(&level);
    V_VT(&level) = VT_I4;
    V_I4(&level) = text_size_;
    browser_->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &level, nullptr);
}

bool BrowserHost::navigate(const std::wstring& url) {
    if (!browser_) return false;
    try {
        const Bstr address(url);
        if (!address.get()) return false;
        VARIANT empty;
        VariantInit(&empty);
        if (FAILED(browser_->Navigate(address.get(), &empty, &empty, &empty, &empty))) return false;
        last_address_ = url;
        return true;
    } catch (...) {
        trace_failure("browser navigate", current_exception_text());
        return false;
    }
}

void BrowserHost::move(const RECT& rect) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void BrowserHost::set_new_window_handler(NewWindowHandler handler) {
    if (events_) events_->set_new_window_handler(std::move(handler));
}

IDispatch* detail::BrowserHostAccess::events(const BrowserHost& host) {
    return host.events_.Get();
}

}  // namespace kv::ui
