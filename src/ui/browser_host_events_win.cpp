#include "ui/browser_host_events_win.h"

#include <exdisp.h>
#include <exdispid.h>

#include <new>

#include "platform/trace.h"
namespace kv::ui::detail {

namespace {

// DISPPARAMS hold the arguments last to first; `index` counts from the first as the event declares them.
const VARIANT* argument(const DISPPARAMS& params, UINT index) {
    if (!params.rgvarg || index >= params.cArgs) return nullptr;
    return &params.rgvarg[params.cArgs - 1 - index];
}

VARIANT_BOOL* cancel_flag(const VARIANT* v) {
    if (!v || V_VT(v) != (VT_BYREF | VT_BOOL)) return nullptr;
    return V_BOOLREF(v);
}

// A BSTR argument, passed either way the control might; nullptr when it is something else.
const VARIANT* text_argument(const VARIANT* v) {
    if (!v) return nullptr;
    if (V_VT(v) == VT_BSTR) return v;
    if (V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v)) return v;
    return nullptr;
}

std::wstring text_of(const VARIANT* v) {
    BSTR s = V_VT(v) == VT_BSTR ? V_BSTR(v) : *V_BSTRREF(v);
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
}

const void* identity_of(IUnknown* object) {
    if (!object) return nullptr;
    Microsoft::WRL::ComPtr<IUnknown> unknown;
    if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf())))) {
        return nullptr;
    }
    return unknown.Get();
}

}  // namespace

Microsoft::WRL::ComPtr<BrowserEvents> BrowserEvents::make() {
    Microsoft::WRL::ComPtr<BrowserEvents> sink;
    sink.Attach(new (std::nothrow) BrowserEvents());  // born with one reference, which `sink` takes over
    return sink;
}

void BrowserEvents::set_document_handler(IUnknown* top, DocumentHandler handler) {
    top_ = identity_of(top);
    document_complete_ = std::move(handler);
}

void BrowserEvents::detach() {
    new_window_ = nullptr;
    document_complete_ = nullptr;
    top_ = nullptr;
}

HRESULT STDMETHODCALLTYPE BrowserEvents::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE BrowserEvents::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE BrowserEvents::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE BrowserEvents::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserEvents::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserEvents::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserEvents::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params,
                                                VARIANT*, EXCEPINFO*, UINT*) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    // A handler may destroy the host that owns this sink; stay alive until the call returns.
    Microsoft::WRL::ComPtr<BrowserEvents> keep(this);
    try {
        switch (id) {
            case DISPID_NEWWINDOW2:
            case DISPID_NEWWINDOW3:
                return params ? on_new_window(id, *params) : DISP_E_PARAMNOTOPTIONAL;
            case DISPID_DOCUMENTCOMPLETE:
                return params ? on_document_complete(*params) : DISP_E_PARAMNOTOPTIONAL;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    } catch (...) {
        trace_failure("browser event", current_exception_text());
        return E_UNEXPECTED;
    }
}

// NewWindow2(IDispatch** ppDisp, VARIANT_BOOL* Cancel)
// NewWindow3(IDispatch** ppDisp, VARIANT_BOOL* Cancel, DWORD dwFlags, BSTR bstrUrlContext, BSTR bstrUrl)
HRESULT BrowserEvents::on_new_window(DISPID id, const DISPPARAMS& params) {
    const UINT expected = id == DISPID_NEWWINDOW3 ? 5 : 2;
    if (params.cArgs != expected) return DISP_E_BADPARAMCOUNT;
    VARIANT_BOOL* cancel = cancel_flag(argument(params, 1));
    const VARIANT* url = id == DISPID_NEWWINDOW3 ? text_argument(argument(params, 4)) : nullptr;
    if (!cancel || (id == DISPID_NEWWINDOW3 && !url)) return DISP_E_TYPEMISMATCH;
    if (!new_window_) return S_OK;

    bool allow = false;
    try {
        const NewWindowHandler handler = new_window_;  // the handler may replace itself
        allow = handler(url ? text_of(url) : std::wstring());
    } catch (...) {
        trace_failure("browser new window", current_exception_text());
        allow = false;
    }
    if (!allow) *cancel = VARIANT_TRUE;
    return S_OK;
}

// DocumentComplete(IDispatch* pDisp, VARIANT* URL)
HRESULT BrowserEvents::on_document_complete(const DISPPARAMS& params) {
    const VARIANT* frame = argument(params, 0);
    if (!frame || V_VT(frame) != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    if (!document_complete_ || !top_ || identity_of(V_DISPATCH(frame)) != top_) return S_OK;
    const DocumentHandler handler = document_complete_;
    handler();
    return S_OK;
}

}  // namespace kv::ui::detail
