// Internal to the browser host: the DWebBrowserEvents2 sink it connects to the control. Kept in its own
// header so the tests can drive the sink with hand-made DISPPARAMS (under Wine no page can raise these
// events).
#pragma once

#include <windows.h>
// (the COM headers below expect <windows.h> first)
#include <oaidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>

namespace kv::ui {
class BrowserHost;
}

namespace kv::ui::detail {

// Reference-counted like any COM object; create with make(). It is called on the thread that owns the control
// (an STA), so it takes no locks. Nothing thrown by a handler leaves Invoke.
class BrowserEvents final : public IDispatch {
public:
    using NewWindowHandler = std::function<bool(const std::wstring& url)>;
    using DocumentHandler = std::function<void()>;

    // nullptr when out of memory.
    static Microsoft::WRL::ComPtr<BrowserEvents> make();

    BrowserEvents(const BrowserEvents&) = delete;
    BrowserEvents& operator=(const BrowserEvents&) = delete;

    // NewWindow2 and NewWindow3 ask this handler; false sets *Cancel. NewWindow2 carries no address, so the
    // handler sees an empty one. The control may raise both for one request: the handler is then asked twice.
    // A handler that throws refuses the window (nothing unexpected should open); with no handler the
    // control's default holds.
    void set_new_window_handler(NewWindowHandler handler) { new_window_ = std::move(handler); }

    // Called on DocumentComplete for the control's own document only: frames report it too, with their own
    // IDispatch. `top` is compared by COM identity and never called through, so it is held without a
    // reference.
    void set_document_handler(IUnknown* top, DocumentHandler handler);

    // Forgets both handlers. The control may keep the sink (and call it) after its owner is gone.
    void detach();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: only Invoke matters for an event sink.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* arg_err) override;

private:
    BrowserEvents() = default;
    ~BrowserEvents() = default;

    HRESULT on_new_window(DISPID id, const DISPPARAMS& params);
    HRESULT on_document_complete(const DISPPARAMS& params);

    LONG refs_ = 1;
    NewWindowHandler new_window_;
    DocumentHandler document_complete_;
    const void* top_ = nullptr;
};

// The sink a host connected to its control, for tests that raise events by hand.
struct BrowserHostAccess {
    static IDispatch* events(const BrowserHost& host);
};

}  // namespace kv::ui::detail
