#include "platform/shell_win.h"

#include <oleauto.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "launch/launch_args.h"
#include "platform/com_win.h"

namespace kv {
namespace {

void set_bstr(VARIANT& v, std::wstring_view text) {
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

ComPtr<IDispatch> create_from_progid(const wchar_t* progid) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progid, &clsid))) return nullptr;
    ComPtr<IDispatch> object;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object))))
        return nullptr;
    return object;
}

// "Run" with window style 1 and no waiting.
HRESULT shell_run(IDispatch* shell, std::wstring_view command_line) {
    VARIANT args[3];
    for (auto& a : args) VariantInit(&a);
    set_bstr(args[0], command_line);
    args[1].vt = VT_I4;
    args[1].lVal = 1;
    args[2].vt = VT_BOOL;
    args[2].boolVal = VARIANT_FALSE;
    const HRESULT hr = dispatch_invoke(shell, L"Run", DISPATCH_METHOD, args, 3);
    for (auto& a : args) VariantClear(&a);
    return hr;
}

}  // namespace

ShellHolder ShellHolder::from_progid(const wchar_t* progid) { return ShellHolder(create_from_progid(progid)); }

ShellHolder ShellHolder::from_type_library(const wchar_t* file, const wchar_t* class_name) {
    ComPtr<ITypeLib> lib;
    if (SUCCEEDED(LoadTypeLib(file, &lib))) {
        std::wstring name(class_name);
        ITypeInfo* infos[1] = {};
        MEMBERID ids[1] = {};
        USHORT found = 1;
        if (SUCCEEDED(lib->FindName(name.data(), 0, infos, ids, &found)) && found == 1 && infos[0]) {
            ComPtr<ITypeInfo> info;
            info.Attach(infos[0]);
            TYPEATTR* attr = nullptr;
            bool coclass = false;
            if (SUCCEEDED(info->GetTypeAttr(&attr))) {
                coclass = attr->typekind == TKIND_COCLASS;
                info->ReleaseTypeAttr(attr);
            }
            ComPtr<IDispatch> object;
            if (coclass && SUCCEEDED(info->CreateInstance(nullptr, IID_PPV_ARGS(&object)))) return ShellHolder(object);
        }
    }
    return ShellHolder(create_from_progid(class_name));
}

bool dispatch_call(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* args, unsigned count,
                   VARIANT* result) {
    return SUCCEEDED(dispatch_invoke(object, name, kind, args, count, result));
}

HRESULT dispatch_invoke(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* args, unsigned count,
                        VARIANT* result) {
    if (!object) return E_POINTER;
    DISPID id = 0;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    if (const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr))
        return hr;
    // Invoke takes its arguments last to first.
    std::vector<VARIANT> reversed(args, args + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, count, 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    Variant ignored;
    EXCEPINFO excep{};
    UINT arg_err = 0;
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result ? result : &ignored.v,
                                &excep, &arg_err);
    if (hr == DISP_E_EXCEPTION) {
        // The method's own error travels in the exception record.
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        if (FAILED(excep.scode)) hr = excep.scode;
    }
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT run_with_shell(const ShellHolder& shell, std::wstring_view path, std::wstring_view arguments) {
    ComPtr<IDispatch> object;
    if (!shell.get_object(object)) return REGDB_E_CLASSNOTREG;
    return shell_run(object.Get(), shell_command_line(path, arguments));
}

void open_url(std::wstring_view address) {
    ComPtr<IDispatch> shell = create_from_progid(L"WScript.Shell");
    if (!shell) return;
    shell_run(shell.Get(), L"rundll32.exe url.dll,FileProtocolHandler " + std::wstring(address));
}

std::wstring special_folder_path(int folder) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &pidl)) || !pidl) return {};
    wchar_t buf[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListW(pidl, buf);
    CoTaskMemFree(pidl);
    std::wstring path = ok ? buf : L"";
    if (path.empty()) return {};
    if (path.back() != L'\\') path += L'\\';
    return path;
}

}  // namespace kv
